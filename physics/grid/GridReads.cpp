#include "physics/grid/GridReads.h"
#include <algorithm>
#include "physics/grid/SpatialGrid.h"

namespace KIV {

bool GridReadRecord::Keep(const SpatialGrid& grid, const GridReadLog& log)
{
    mGrid = nullptr;
    mCells.Clear();
    if (log.mIncomplete) return false;
    for (const CellRange& r : log.mRanges)
        for (int32_t row = r.mRow0; row <= r.mRow1; ++row)
            for (int32_t column = r.mColumn0; column <= r.mColumn1; ++column)
                if (!mCells.PushBack(grid.GetCellIndex(column, row))) return false;
    std::sort(mCells.begin(), mCells.end());
    const int32_t n = static_cast<int32_t>(std::unique(mCells.begin(), mCells.end()) - mCells.begin());
    if (!mCells.SetCount(n) || !mChanges.SetCount(2 * n)) return false;
    const SlotList& statics = grid.GetStaticStore();
    const SlotList& toys = grid.GetToyStore();
    for (int32_t k = 0; k < n; ++k) {
        mChanges[2 * k] = statics.GetCellChanges(mCells[k]);
        mChanges[2 * k + 1] = toys.GetCellChanges(mCells[k]);
    }
    mStaticEpoch = statics.GetEpoch();
    mToyEpoch = toys.GetEpoch();
    mGrid = &grid;
    return true;
}

bool GridReadRecord::Holds(const SpatialGrid& grid) const
{
    const SlotList& statics = grid.GetStaticStore();
    const SlotList& toys = grid.GetToyStore();
    if (mGrid != &grid || mStaticEpoch != statics.GetEpoch() || mToyEpoch != toys.GetEpoch()) return false;
    const int32_t n = mCells.Count();
    for (int32_t k = 0; k < n; ++k)
        if (mChanges[2 * k] != statics.GetCellChanges(mCells[k]) || mChanges[2 * k + 1] != toys.GetCellChanges(mCells[k]))
            return false;
    return true;
}

} // namespace KIV
