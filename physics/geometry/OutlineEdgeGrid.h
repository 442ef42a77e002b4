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
    // or a toy passes mostly empty cells: they are stepped over a column at a
    // time.
    template <bool kFilledOnly, typename Visit>
    bool ForCellsNear(const VectorF& a, const VectorF& b, Visit&& visit) const
    {
        const double x0 = a.mX, y0 = a.mY, x1 = b.mX, y1 = b.mY;
        const double minX = x0 < x1 ? x0 : x1, maxX = x0 < x1 ? x1 : x0;
        const double minY = y0 < y1 ? y0 : y1, maxY = y0 < y1 ? y1 : y0;
        const int32_t c0 = ColumnOf(minX - mMargin), c1 = ColumnOf(maxX + mMargin);
        const double slope = x1 != x0 ? (y1 - y0) / (x1 - x0) : 0.0;
        for (int32_t c = c0; c <= c1; ++c) {
            double lo = mOriginX + c * mCellSize - mMargin;
            double hi = mOriginX + (c + 1) * mCellSize + mMargin;
            lo = lo < minX ? minX : (lo > maxX ? maxX : lo);
            hi = hi < minX ? minX : (hi > maxX ? maxX : hi);
            double yLo = minY, yHi = maxY;
            if (x1 != x0) {
                const double ya = y0 + (lo - x0) * slope, yb = y0 + (hi - x0) * slope;
                yLo = ya < yb ? ya : yb;
                yHi = ya < yb ? yb : ya;
            }
            const int32_t r0 = RowOf(yLo - mMargin), r1 = RowOf(yHi + mMargin);
            for (int32_t r = r0; r <= r1; ++r) {
                if constexpr (kFilledOnly) {
                    r = mNextFilledRow[r * mColumns + c];
                    if (r > r1) break;
                }
                if (visit(r * mColumns + c)) return true;
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
    // an edge or a point, mRows when none does.
    Array<int32_t> mNextFilledRow;
};

} // namespace KIV
