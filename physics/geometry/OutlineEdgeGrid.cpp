#include "physics/geometry/OutlineEdgeGrid.h"
#include <cmath>

namespace KIV {

bool OutlineEdgeGrid::Build(const VectorF* points, int32_t count)
{
    if (count < 1) return false;
    double minX = points[0].mX, maxX = minX, minY = points[0].mY, maxY = minY, maxAbs = 0.0;
    for (int32_t i = 0; i < count; ++i) {
        const double x = points[i].mX, y = points[i].mY;
        minX = x < minX ? x : minX;
        maxX = x > maxX ? x : maxX;
        minY = y < minY ? y : minY;
        maxY = y > maxY ? y : maxY;
        maxAbs = std::fabs(x) > maxAbs ? std::fabs(x) : maxAbs;
        maxAbs = std::fabs(y) > maxAbs ? std::fabs(y) : maxAbs;
    }
    const double width = maxX - minX, height = maxY - minY;
    const double extent = width > height ? width : height;
    // Cells about two edges long, so a short diagonal meets only its
    // neighbours' edges; no more than about four cells per edge, at most 1024
    // a side.
    constexpr int32_t kMaxSide = 1024;
    double perimeter = 0.0;
    for (int32_t i = 0; i < count; ++i) {
        const VectorF& a = points[i];
        const VectorF& b = points[i + 1 < count ? i + 1 : 0];
        perimeter += std::sqrt((double(b.mX) - a.mX) * (double(b.mX) - a.mX) + (double(b.mY) - a.mY) * (double(b.mY) - a.mY));
    }
    double cell = 2.0 * perimeter / count;
    const double cellsWanted = 4.0 * count + 1024.0;
    if ((width / cell + 1.0) * (height / cell + 1.0) > cellsWanted)
        cell = std::sqrt((width + cell) * (height + cell) / cellsWanted);
    if (cell < extent / kMaxSide) cell = extent / kMaxSide;
    if (!(cell > 0.0)) cell = 1.0;
    mCellSize = cell;
    mInverseCellSize = 1.0 / cell;
    mOriginX = minX;
    mOriginY = minY;
    mColumns = int32_t(width / cell) + 1;
    mRows = int32_t(height / cell) + 1;
    mColumns = mColumns > kMaxSide ? kMaxSide : mColumns;
    mRows = mRows > kMaxSide ? kMaxSide : mRows;
    // Float segment tests err by a few units in the last place of the
    // coordinates; 1e-5 of the scale is some hundred times that.
    mMargin = (maxAbs + extent) * 1.0e-5 + 1.0e-6;

    const int32_t cells = mColumns * mRows;
    if (!mEdgeStart.Resize(cells + 1) || !mPointStart.Resize(cells + 1) || !mPointItems.Resize(count) ||
        !mEdgeStamp.Resize(count))
        return false;
    mEdgeStart.FillZero();
    mPointStart.FillZero();
    mEdgeStamp.FillZero();
    mStamp = 0;

    // One walk per edge notes its cells and counts them; the edges are then
    // filed from the notes, in edge order within every cell.
    Array<int32_t> edgeCells, edgeOf;
    edgeCells.SetGrowBy(4 * count + 64);
    edgeOf.SetGrowBy(4 * count + 64);
    bool noted = true;
    for (int32_t i = 0; i < count; ++i)
        ForCellsNear<false>(points[i], points[i + 1 < count ? i + 1 : 0], [&](int32_t c) {
            ++mEdgeStart[c + 1];
            noted = noted && edgeCells.PushBack(c) && edgeOf.PushBack(i);
            return false;
        });
    if (!noted) return false;
    for (int32_t c = 0; c < cells; ++c) mEdgeStart[c + 1] += mEdgeStart[c];
    if (!mEdgeItems.Resize(mEdgeStart[cells])) return false;
    Array<int32_t> fill;
    if (!fill.Resize(cells)) return false;
    for (int32_t c = 0; c < cells; ++c) fill[c] = mEdgeStart[c];
    for (int32_t k = 0; k < edgeCells.Count(); ++k) mEdgeItems[fill[edgeCells[k]]++] = edgeOf[k];

    for (int32_t i = 0; i < count; ++i) ++mPointStart[RowOf(points[i].mY) * mColumns + ColumnOf(points[i].mX) + 1];
    for (int32_t c = 0; c < cells; ++c) mPointStart[c + 1] += mPointStart[c];
    for (int32_t c = 0; c < cells; ++c) fill[c] = mPointStart[c];
    for (int32_t i = 0; i < count; ++i) mPointItems[fill[RowOf(points[i].mY) * mColumns + ColumnOf(points[i].mX)]++] = i;

    if (!mNextFilledRow.Resize(cells) || !mNextFilledColumn.Resize(cells)) return false;
    const auto filled = [this](int32_t cell) {
        return mEdgeStart[cell + 1] > mEdgeStart[cell] || mPointStart[cell + 1] > mPointStart[cell];
    };
    // Along every line of cells (the columns for the rows, the rows for the
    // columns), from its far end back: the first filled cell at or after each.
    const auto link = [&filled](Array<int32_t>& next, int32_t lines, int32_t length, int32_t lineStep,
                                int32_t cellStep) {
        for (int32_t line = 0; line < lines; ++line) {
            int32_t first = length;
            for (int32_t k = length - 1; k >= 0; --k) {
                const int32_t cell = line * lineStep + k * cellStep;
                if (filled(cell)) first = k;
                next[cell] = first;
            }
        }
    };
    link(mNextFilledRow, mColumns, mRows, 1, mColumns);
    link(mNextFilledColumn, mRows, mColumns, mColumns, 1);
    return true;
}

} // namespace KIV
