#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include "base/Rect.h"
#include "base/Vector.h"

namespace KIV {

// Inclusive cell rectangle, already clamped to the grid.
struct CellRange {
    int32_t mColumn0 = 0;
    int32_t mRow0 = 0;
    int32_t mColumn1 = -1;
    int32_t mRow1 = -1;
    bool IsSingleCell() const { return mColumn0 == mColumn1 && mRow0 == mRow1; }
};

// The layout shared by the uniform grids: power-of-two column and row counts
// of square cells over a world rectangle, and the conversion of points to
// cells.
struct GridLayout {
    // Far beyond any scene; keeps every corner and count inside int32.
    static constexpr float kMaxCoordinate = 1048576.0f;

    int32_t mX0 = 0, mY0 = 0, mX1 = 0, mY1 = 0;
    int32_t mCellSize = 0;
    // 1 / mCellSize when that is exact (a power-of-two size), else 0. The
    // quotient and the product by an exact reciprocal are the same real
    // number rounded once, so they give the same bits; any other size keeps
    // the division.
    float mInverseCellSize = 0.0f;
    int32_t mColumns = 0, mRows = 0, mCellCount = 0;
    int32_t mColumnShift = 0;

    // Bounds = the rectangle's corners truncated and widened by one unit;
    // counts rounded up to powers of two; the bounds then re-centred on the
    // rectangle so the added margin is split between both sides. false (the
    // layout unchanged) for a rectangle that is not finite, reversed, beyond
    // kMaxCoordinate or needing more than maxCells cells.
    bool Setup(const RectF& world, int32_t cellSize, int64_t maxCells);
    bool IsSetUp() const { return mCellCount > 0; }

    // Column (or row) of a coordinate, floored in float and range-checked
    // before any conversion to int: -1 left of (above) the grid, count right
    // of (below) it; false for NaN. So a point just left of the grid never
    // rounds into column 0 and no NaN or huge value reaches an int conversion.
    bool CellCoordinate(float v, int32_t origin, int32_t count, int32_t& out) const;
    // -1 for a point outside the grid or not a number.
    int32_t GetCellIndex(const VectorF& p) const;
    int32_t GetCellIndex(int32_t column, int32_t row) const { return (row << mColumnShift) + column; }
    // The cells of the rectangle spanned by the cells of a and b, clamped to
    // the grid; false when none of it lies on the grid.
    bool GetCellRange(const VectorF& a, const VectorF& b, CellRange& range) const;
};

// Every grid query starts here: inline, so the walks pay no call for it.
// The quotient is compared before it is floored: below 0 exactly when its
// floor is, at or past the (whole) count exactly when its floor is, and in
// between truncation is the floor. So the answers are the floored ones
// without a call to floor, which a step made some hundred thousand times.
inline bool GridLayout::CellCoordinate(float v, int32_t origin, int32_t count, int32_t& out) const
{
    const float offset = v - static_cast<float>(origin);
    const float c = mInverseCellSize != 0.0f ? offset * mInverseCellSize : offset / static_cast<float>(mCellSize);
    if (c != c) return false;
    if (c < 0.0f)
        out = -1;
    else if (c >= static_cast<float>(count))
        out = count;
    else
        out = static_cast<int32_t>(c);
    return true;
}

inline int32_t GridLayout::GetCellIndex(const VectorF& p) const
{
    int32_t column, row;
    if (!IsSetUp() || !CellCoordinate(p.mX, mX0, mColumns, column) || !CellCoordinate(p.mY, mY0, mRows, row))
        return -1;
    if (column < 0 || column >= mColumns || row < 0 || row >= mRows) return -1;
    return GetCellIndex(column, row);
}

inline bool GridLayout::GetCellRange(const VectorF& a, const VectorF& b, CellRange& range) const
{
    int32_t ca, ra, cb, rb;
    if (!IsSetUp() || !CellCoordinate(a.mX, mX0, mColumns, ca) || !CellCoordinate(a.mY, mY0, mRows, ra) ||
        !CellCoordinate(b.mX, mX0, mColumns, cb) || !CellCoordinate(b.mY, mY0, mRows, rb))
        return false;
    range.mColumn0 = std::max(std::min(ca, cb), 0);
    range.mColumn1 = std::min(std::max(ca, cb), mColumns - 1);
    range.mRow0 = std::max(std::min(ra, rb), 0);
    range.mRow1 = std::min(std::max(ra, rb), mRows - 1);
    return range.mColumn0 <= range.mColumn1 && range.mRow0 <= range.mRow1;
}

} // namespace KIV
