#pragma once
#include <cstdint>
#include "base/Array.h"
#include "physics/grid/GridLayout.h"

namespace KIV {

class SpatialGrid;

// The cells a run of queries read: the range of every walk and every cell
// a query run copied out, as the queries met them (see
// GridQueryContext::SetReadLog).
struct GridReadLog {
    Array<CellRange> mRanges{64};
    bool mIncomplete = false;  // a range could not be noted

    void Clear()
    {
        mRanges.Clear();
        mIncomplete = false;
    }
    void Note(const CellRange& range)
    {
        if (!mRanges.PushBack(range)) mIncomplete = true;
    }
};

// The cells of a read log, each once in ascending order, with the change
// counts both cell lists had then. What the queries found there is still
// what they would find while every count and both stores' epochs are the
// same: the lists hold the same entries in the same order, and the terrain
// edges listed are unchanged. The toys listed may have moved their points
// without the grid knowing; whoever keeps the reads judges those.
class GridReadRecord {
public:
    // false, the record empty, when the log is incomplete or the lists cannot grow.
    bool Keep(const SpatialGrid& grid, const GridReadLog& log);
    bool Holds(const SpatialGrid& grid) const;
    void Forget() { mGrid = nullptr; }
    bool IsKept() const { return mGrid != nullptr; }
    const Array<int32_t>& Cells() const { return mCells; }

private:
    const SpatialGrid* mGrid = nullptr;
    uint64_t mStaticEpoch = 0;
    uint64_t mToyEpoch = 0;
    Array<int32_t> mCells{64};
    Array<uint32_t> mChanges{128};  // per cell: the terrain list's count, then the toy list's
};

} // namespace KIV
