#include "physics/toys/KeptGridReads.h"
#include "physics/grid/SpatialGrid.h"
#include "physics/toys/Toy.h"

namespace KIV {

namespace {

// The pair flag the queries' filters read for the partner, 0 when they read none.
uint8_t PairFlag(const Toy* partner, int32_t slot)
{
    return partner && slot >= 0 && slot < Toy::kMaxToys ? partner->mPairFlags[slot] : 0;
}

bool AddPartner(Array<ReadPartner>& partners, const Toy* partner, int32_t slot)
{
    for (const ReadPartner& p : partners)
        if (p.mToy == partner) return true;
    return partners.PushBack(ReadPartner{partner, PairFlag(partner, slot)});
}

} // namespace

bool KeepGridReads(KeptGridReads& kept, const Toy& toy, const SpatialGrid& grid, const GridReadLog& log,
                   NotedPassOf noted, uint64_t pass)
{
    kept.mPartners.Clear();
    if (!kept.mCells.Keep(grid, log)) return false;
    const SlotList& toys = grid.GetToyStore();
    const int32_t slot = toy.mSlotIndex;
    const Toy* last = nullptr;  // a cell lists a toy's entries mostly in runs
    for (const int32_t cell : kept.mCells.Cells())
        for (int32_t e = toys.GetCellHead(cell); e >= 0; e = toys.GetEntry(e).mNextInCell) {
            const Toy* partner = grid.GetToyEntry(toys.GetEntry(e).mNode).mToy;
            if (!partner || partner == &toy || partner == last) continue;
            last = partner;
            if (noted(*partner) != pass || !AddPartner(kept.mPartners, partner, slot)) {
                kept.mCells.Forget();
                return false;
            }
        }
    return true;
}

bool GridReadsHold(const KeptGridReads& kept, const Toy& toy, const SpatialGrid& grid, NotedPassOf steady,
                   uint64_t pass)
{
    // The cells first: while they hold, every toy they list is still alive.
    if (!kept.mCells.IsKept() || !kept.mCells.Holds(grid)) return false;
    for (const ReadPartner& partner : kept.mPartners)
        if (steady(*partner.mToy) != pass || PairFlag(partner.mToy, toy.mSlotIndex) != partner.mPairFlag) return false;
    return true;
}

} // namespace KIV
