#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Vector.h"

namespace KIV {

// A uniform grid over a closed outline that finds, for a segment, every
// outline edge and every outline point that could touch it. The triangulation
// asks it whether a diagonal is blocked; the exact tests stay with the caller,
// so the answers are exactly those of testing every edge and point.
//
// Edges are filed in every cell they pass through, points in their own cell.
// A query visits every cell within a margin of the segment. The margin is far
// wider than the rounding of the float segment tests (a few units in the last
// place of the outline's extent), so an edge or point that the exact tests
// could report as touching always lies in a visited cell.
class OutlineEdgeGrid {
public:
    bool Build(const VectorF* points, int32_t count);

    // Calls edgeTest(i) for outline edges i (from point i to point i + 1, the
    // last closing to point 0) and pointTest(q) for outline points near the
    // segment a-b, each at most once; true at the first test that answers
    // true.
    template <typename EdgeTest, typename PointTest>
    bool AnyNear(const VectorF& a, const VectorF& b, EdgeTest&& edgeTest, PointTest&& pointTest)
    {
        ++mStamp;
        return ForCellsNear<true>(a, b, [&](int32_t cell) {
            for (int32_t k = mEdgeStart[cell]; k < mEdgeStart[cell + 1]; ++k) {
                const int32_t edge = mEdgeItems[k];
                if (mEdgeStamp[edge] == mStamp) continue;
                mEdgeStamp[edge] = mStamp;
                if (edgeTest(edge)) return true;
            }
            for (int32_t k = mPointStart[cell]; k < mPointStart[cell + 1]; ++k)
                if (pointTest(mPointItems[k])) return true;
            return false;
        });
    }

private:
    // Any mapping that never decreases serves, as long as filing and queries
    // share it: a scaled truncation, clamped to the grid before it is
    // converted, costs a fraction of a division and a floor.
    static int32_t CellOf(double offset, double inverseCellSize, int32_t cells)
    {
        const double c = offset * inverseCellSize;
        return !(c >= 1.0) ? 0 : (c >= cells ? cells - 1 : int32_t(c));
    }
    int32_t ColumnOf(double x) const { return CellOf(x - mOriginX, mInverseCellSize, mColumns); }
    int32_t RowOf(double y) const { return CellOf(y - mOriginY, mInverseCellSize, mRows); }

    // Calls visit(cell) for every cell within the margin of the segment a-b
    // (and perhaps a few more), or only for those that hold an edge or a
    // point; stops and answers true when visit does. A diagonal across a pool
    // or a toy passes mostly empty cells: they are stepped over a column (or
    // a row) at a time, and a query steps along whichever of the two its box
    // spans fewer of, so a long flat diagonal costs a few rows instead of
    // hundreds of columns.
    template <bool kFilledOnly, typename Visit>
    bool ForCellsNear(const VectorF& a, const VectorF& b, Visit&& visit) const
    {
        if constexpr (kFilledOnly) {
            const float minX = a.mX < b.mX ? a.mX : b.mX, maxX = a.mX < b.mX ? b.mX : a.mX;
            const float minY = a.mY < b.mY ? a.mY : b.mY, maxY = a.mY < b.mY ? b.mY : a.mY;
            const int32_t columns = ColumnOf(maxX + mMargin) - ColumnOf(minX - mMargin);
            const int32_t rows = RowOf(maxY + mMargin) - RowOf(minY - mMargin);
            if (rows < columns) return Walk<true, true>(a, b, visit);
        }
        return Walk<false, kFilledOnly>(a, b, visit);
    }

    // The walk behind ForCellsNear: steps along one axis (u: the columns, or
    // the rows when kAlongRows) and in each step visits the cells of the
    // other axis (v) that the segment's stretch there can reach.
    template <bool kAlongRows, bool kFilledOnly, typename Visit>
    bool Walk(const VectorF& a, const VectorF& b, Visit& visit) const
    {
        const double u0 = kAlongRows ? a.mY : a.mX, v0 = kAlongRows ? a.mX : a.mY;
        const double u1 = kAlongRows ? b.mY : b.mX, v1 = kAlongRows ? b.mX : b.mY;
        const double originU = kAlongRows ? mOriginY : mOriginX, originV = kAlongRows ? mOriginX : mOriginY;
        const int32_t cellsU = kAlongRows ? mRows : mColumns, cellsV = kAlongRows ? mColumns : mRows;
        const int32_t* nextFilled = kAlongRows ? mNextFilledColumn.Data() : mNextFilledRow.Data();
        const double minU = u0 < u1 ? u0 : u1, maxU = u0 < u1 ? u1 : u0;
        const double minV = v0 < v1 ? v0 : v1, maxV = v0 < v1 ? v1 : v0;
        const int32_t s0 = CellOf(minU - mMargin - originU, mInverseCellSize, cellsU);
        const int32_t s1 = CellOf(maxU + mMargin - originU, mInverseCellSize, cellsU);
        const double slope = u1 != u0 ? (v1 - v0) / (u1 - u0) : 0.0;
        for (int32_t s = s0; s <= s1; ++s) {
            double lo = originU + s * mCellSize - mMargin;
            double hi = originU + (s + 1) * mCellSize + mMargin;
            lo = lo < minU ? minU : (lo > maxU ? maxU : lo);
            hi = hi < minU ? minU : (hi > maxU ? maxU : hi);
            double vLo = minV, vHi = maxV;
            if (u1 != u0) {
                const double va = v0 + (lo - u0) * slope, vb = v0 + (hi - u0) * slope;
                vLo = va < vb ? va : vb;
                vHi = va < vb ? vb : va;
            }
            const int32_t t0 = CellOf(vLo - mMargin - originV, mInverseCellSize, cellsV);
            const int32_t t1 = CellOf(vHi + mMargin - originV, mInverseCellSize, cellsV);
            for (int32_t t = t0; t <= t1; ++t) {
                const int32_t cell = kAlongRows ? s * mColumns + t : t * mColumns + s;
                if constexpr (kFilledOnly) {
                    t = nextFilled[cell];
                    if (t > t1) break;
                    if (visit(kAlongRows ? s * mColumns + t : t * mColumns + s)) return true;
                } else if (visit(cell)) {
                    return true;
                }
            }
        }
        return false;
    }

    double mOriginX = 0.0;
    double mOriginY = 0.0;
    double mCellSize = 1.0;
    double mInverseCellSize = 1.0;
    double mMargin = 0.0;
    int32_t mColumns = 1;
    int32_t mRows = 1;
    int32_t mStamp = 0;
    Array<int32_t> mEdgeStart; // per cell, into mEdgeItems; one extra entry ends the last cell
    Array<int32_t> mEdgeItems;
    Array<int32_t> mPointStart;
    Array<int32_t> mPointItems;
    Array<int32_t> mEdgeStamp; // per edge: the query that last tested it
    // Per cell: the first row from its own down its column whose cell holds
    // an edge or a point, mRows when none does; and the first such column from
    // its own along its row, mColumns when none does.
    Array<int32_t> mNextFilledRow;
    Array<int32_t> mNextFilledColumn;
};

} // namespace KIV
