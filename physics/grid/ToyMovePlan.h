#pragma once
#include <cstdint>
#include <vector>
#include "physics/grid/GridLayout.h"

namespace KIV {

class Toy;

// What the side-by-side relinking of moved toys plans before the team
// relinks: each toy's new cell rectangles, the entry records it gives up and
// the ones it takes, and which toys reach each band of cell columns.
struct ToyMovePlan {
    enum State : uint8_t { kStill, kMoving, kReshaped };

    struct ToyMove {
        State mState = kStill;
        int32_t mOldCount = 0;    // links the toy had
        int32_t mNewCount = 0;    // links it gets
        int32_t mOldThread = 0;   // whose mOldEntries list its old links
        int32_t mOldOffset = 0;
        int32_t mExtraOffset = 0; // in mExtra: records for links beyond its old count
        int32_t mColumn0 = 0;     // the cell columns its old and new links touch
        int32_t mColumn1 = -1;
    };

    // The record of the toy's k-th new link: its own old records first, then
    // taken ones; -1 when the table could not give one.
    int32_t EntryFor(const ToyMove& m, int32_t k) const
    {
        if (k < m.mOldCount) return mOldEntries[m.mOldThread][m.mOldOffset + k];
        const int32_t extra = m.mExtraOffset + k - m.mOldCount;
        return extra < static_cast<int32_t>(mExtra.size()) ? mExtra[extra] : -1;
    }

    Toy* const* mList = nullptr;
    std::vector<ToyMove> mToys;                   // by list index
    std::vector<CellRange> mNodeRanges;           // by node: its new cells
    std::vector<int32_t> mNodeFirst;              // by node: its first link's number in its toy
    std::vector<std::vector<int32_t>> mOldEntries; // by thread
    std::vector<int32_t> mExtra;
    int32_t mFirstColumn = 0;
    int32_t mBandWidth = 1;
    int32_t mBands = 0;
    std::vector<int32_t> mBandStart;  // mBands + 1 offsets into mBandToys
    std::vector<int32_t> mBandToys;   // list indices, in list order per band
    std::vector<int32_t> mBandNext;   // filling mBandToys
};

} // namespace KIV
