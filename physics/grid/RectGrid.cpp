#include "physics/grid/RectGrid.h"

namespace KIV {

bool RectGrid::Init(const RectF& world)
{
    GridLayout layout;
    if (!layout.Setup(world, kCellSize, kMaxCells)) return false;
    if (!mCells.Init(layout.mCellCount * kNodesPerCell, layout.mCellCount)) return false;
    mCells.SetGrowBy(layout.mCellCount * kNodesPerCell);
    mLayout = layout;
    return true;
}

bool RectGrid::InsertRect(const RectF& rect, int32_t identity)
{
    const RectF box = rect.GetNormalized();
    CellRange r;
    if (!mLayout.GetCellRange({box.x1, box.y1}, {box.x2, box.y2}, r)) return false;
    for (int32_t row = r.mRow0; row <= r.mRow1; ++row)
        for (int32_t column = r.mColumn0; column <= r.mColumn1; ++column)
            if (!mCells.PushFront(identity, mLayout.GetCellIndex(column, row))) return false;
    return true;
}

void RectGrid::QueryRect(const RectF& rect, Array<int32_t>& result) const
{
    const RectF box = rect.GetNormalized();
    CellRange r;
    if (!mLayout.GetCellRange({box.x1, box.y1}, {box.x2, box.y2}, r)) return;
    const int32_t first = result.Count();
    for (int32_t row = r.mRow0; row <= r.mRow1; ++row) {
        for (int32_t column = r.mColumn0; column <= r.mColumn1; ++column) {
            for (int32_t n = mCells.GetBucketHead(mLayout.GetCellIndex(column, row)); n >= 0; n = mCells.GetNext(n)) {
                const int32_t identity = mCells.GetValue(n);
                bool seen = false;
                for (int32_t i = first; i < result.Count() && !seen; ++i) seen = result[i] == identity;
                if (!seen) result.PushBack(identity);
            }
        }
    }
}

} // namespace KIV
