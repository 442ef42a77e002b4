#pragma once
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

} // namespace KIV
