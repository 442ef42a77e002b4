#include "physics/toys/CrossingMemo.h"
#include <algorithm>
#include <cstring>
#include "physics/grid/SpatialGrid.h"
#include "physics/toys/Toy.h"

namespace KIV {

namespace {

// Bit equality: -0 and +0 differ in a contact's normal, and a NaN stays
// equal to itself.
bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool SameBits(const VectorF& a, const VectorF& b) { return SameBits(a.mX, b.mX) && SameBits(a.mY, b.mY); }

CrossingFields ReadFields(const Toy& toy)
{
    CrossingFields f;
    f.mPosition = toy.mPosition;
    f.mRestitution = toy.mRestitution;
    f.mRestitutionWithTerrain = toy.mRestitutionWithTerrain;
    f.mSlippery = toy.mSlippery;
    f.mInverseMass = toy.mInverseMass;
    f.mOwningRobot = toy.mOwningRobot;
    f.mSlotIndex = toy.mSlotIndex;
    f.mDontBounceOffToys = toy.mDontBounceOffToys;
    f.mDontBounceOffRobotLinked = toy.mDontBounceOffRobotLinked;
    return f;
}

bool SameFields(const CrossingFields& a, const CrossingFields& b)
{
    return SameBits(a.mPosition, b.mPosition) && SameBits(a.mRestitution, b.mRestitution) &&
           SameBits(a.mRestitutionWithTerrain, b.mRestitutionWithTerrain) && SameBits(a.mSlippery, b.mSlippery) &&
           SameBits(a.mInverseMass, b.mInverseMass) && a.mOwningRobot == b.mOwningRobot &&
           a.mSlotIndex == b.mSlotIndex && a.mDontBounceOffToys == b.mDontBounceOffToys &&
           a.mDontBounceOffRobotLinked == b.mDontBounceOffRobotLinked;
}

bool SameOutline(const Array<VectorF>& kept, const Array<VectorF>& outline)
{
    const int32_t n = outline.Count();
    return kept.Count() == n && (n == 0 || std::memcmp(kept.Data(), outline.Data(), sizeof(VectorF) * n) == 0);
}

bool SameLayout(const GridLayout& a, const GridLayout& b)
{
    return a.mX0 == b.mX0 && a.mY0 == b.mY0 && a.mX1 == b.mX1 && a.mY1 == b.mY1 && a.mCellSize == b.mCellSize &&
           SameBits(a.mInverseCellSize, b.mInverseCellSize) && a.mColumns == b.mColumns && a.mRows == b.mRows &&
           a.mCellCount == b.mCellCount && a.mColumnShift == b.mColumnShift;
}

CrossingStatic ReadStatic(int32_t node, const StaticSegment& s)
{
    CrossingStatic c;
    c.mNode = node;
    c.mInUse = s.mInUse;
    c.mDisabled = s.mDisabled;
    c.mCollidesWithToys = s.mCollidesWithToys;
    c.mStart = s.mStart;
    c.mEnd = s.mEnd;
    c.mDirection = s.mDirection;
    c.mNormal = s.mNormal;
    c.mOwner = s.mOwner;
    return c;
}

bool SameStatic(const CrossingStatic& c, int32_t node, const StaticSegment& s)
{
    return c.mNode == node && c.mInUse == s.mInUse && c.mDisabled == s.mDisabled &&
           c.mCollidesWithToys == s.mCollidesWithToys && SameBits(c.mStart, s.mStart) && SameBits(c.mEnd, s.mEnd) &&
           SameBits(c.mDirection, s.mDirection) && SameBits(c.mNormal, s.mNormal) && c.mOwner == s.mOwner;
}

// The pair flag the walk's filter reads for the partner, 0 when it reads none.
uint8_t PairFlag(const Toy* partner, int32_t slot)
{
    return partner && slot >= 0 && slot < Toy::kMaxToys ? partner->mPairFlags[slot] : 0;
}

// The walk passes over its own toy's entries and empty ones before it reads
// anything of them (and their stamps mark only themselves): where they stand
// in a cell's list does not change its events.
bool ReadByWalk(const ToyEdgeEntry& entry, const Toy& toy) { return entry.mToy && entry.mToy != &toy; }

// The cells the walk reads: those of every edge's range, each once, in
// ascending order.
bool WalkedCells(const Toy& toy, const SpatialGrid& grid, Array<int32_t>& cells)
{
    cells.Clear();
    const int32_t n = toy.mOutline.Count();
    if (n < 2) return false;
    for (int32_t i = 0; i < n; ++i) {
        CellRange r;
        if (!grid.GetCellRange(toy.mOutline[i], toy.mOutline[i + 1 == n ? 0 : i + 1], r)) continue;
        for (int32_t row = r.mRow0; row <= r.mRow1; ++row)
            for (int32_t column = r.mColumn0; column <= r.mColumn1; ++column)
                if (!cells.PushBack(grid.GetCellIndex(column, row))) return false;
    }
    std::sort(cells.begin(), cells.end());
    cells.SetCount(static_cast<int32_t>(std::unique(cells.begin(), cells.end()) - cells.begin()));
    return true;
}

// Whether the cells still list what the kept walk saw, and every toy they
// list is steady in this pass.
bool KeptWalkHolds(const Toy& toy, const SpatialGrid& grid, uint64_t pass)
{
    const CrossingMemo& m = toy.mCrossingMemo;
    if (m.mWalkPass == 0 || m.mWalkPass + 1 != pass || m.mGrid != &grid || !SameLayout(m.mLayout, grid.GetLayout()))
        return false;
    const SlotList& statics = grid.GetStaticStore();
    const SlotList& toys = grid.GetToyStore();
    int32_t s = 0, t = 0;
    for (int32_t k = 0; k < m.mCells.Count(); ++k) {
        const int32_t cell = m.mCells[k];
        const int32_t staticEnd = m.mStaticEnds[k];
        for (int32_t e = statics.GetCellHead(cell); e >= 0; e = statics.GetEntry(e).mNextInCell) {
            const int32_t node = statics.GetEntry(e).mNode;
            if (s == staticEnd || !SameStatic(m.mStatics[s], node, grid.GetStaticSegment(node))) return false;
            ++s;
        }
        if (s != staticEnd) return false;
        const int32_t toyEnd = m.mToyEnds[k];
        for (int32_t e = toys.GetCellHead(cell); e >= 0; e = toys.GetEntry(e).mNextInCell) {
            const int32_t node = toys.GetEntry(e).mNode;
            const ToyEdgeEntry& entry = grid.GetToyEntry(node);
            if (!ReadByWalk(entry, toy)) continue;
            if (t == toyEnd) return false;
            const CrossingToyEdge& kept = m.mToyEdges[t++];
            if (kept.mNode != node || kept.mToy != entry.mToy || kept.mPoint != entry.mPoint) return false;
        }
        if (t != toyEnd) return false;
    }
    // The entries are the kept ones: so are the toys they name.
    for (const CrossingPartner& partner : m.mPartners)
        if (partner.mToy->mCrossingMemo.mSteadyPass != pass || PairFlag(partner.mToy, toy.mSlotIndex) != partner.mPairFlag)
            return false;
    return true;
}

bool AddPartner(Array<CrossingPartner>& partners, const Toy* toy, int32_t slot)
{
    for (const CrossingPartner& p : partners)
        if (p.mToy == toy) return true;
    return partners.PushBack(CrossingPartner{toy, PairFlag(toy, slot)});
}

bool TakeKeptEvents(Toy& toy)
{
    const Array<ContactRecord>& kept = toy.mCrossingMemo.mEvents;
    const int32_t n = kept.Count();
    if (!toy.mLineContacts.SetCount(n)) return false;
    if (n > 0) std::memcpy(static_cast<void*>(toy.mLineContacts.Data()), kept.Data(), sizeof(ContactRecord) * n);
    return true;
}

// Keeps the fresh walk's events with what it read; false when the lists cannot grow.
bool KeepWalk(Toy& toy, const SpatialGrid& grid)
{
    CrossingMemo& m = toy.mCrossingMemo;
    if (!WalkedCells(toy, grid, m.mCells)) return false;
    const int32_t cells = m.mCells.Count();
    if (!m.mStaticEnds.SetCount(cells) || !m.mToyEnds.SetCount(cells)) return false;
    m.mStatics.Clear();
    m.mToyEdges.Clear();
    m.mPartners.Clear();
    const SlotList& statics = grid.GetStaticStore();
    const SlotList& toys = grid.GetToyStore();
    const int32_t slot = toy.mSlotIndex;
    const Toy* last = nullptr;  // entries come in runs of one toy
    for (int32_t k = 0; k < cells; ++k) {
        const int32_t cell = m.mCells[k];
        for (int32_t e = statics.GetCellHead(cell); e >= 0; e = statics.GetEntry(e).mNextInCell) {
            const int32_t node = statics.GetEntry(e).mNode;
            if (!m.mStatics.PushBack(ReadStatic(node, grid.GetStaticSegment(node)))) return false;
        }
        m.mStaticEnds[k] = m.mStatics.Count();
        for (int32_t e = toys.GetCellHead(cell); e >= 0; e = toys.GetEntry(e).mNextInCell) {
            CrossingToyEdge edge;
            edge.mNode = toys.GetEntry(e).mNode;
            const ToyEdgeEntry& entry = grid.GetToyEntry(edge.mNode);
            if (!ReadByWalk(entry, toy)) continue;
            edge.mToy = entry.mToy;
            edge.mPoint = entry.mPoint;
            if (!m.mToyEdges.PushBack(edge)) return false;
            if (entry.mToy != last) {
                if (!AddPartner(m.mPartners, entry.mToy, slot)) return false;
                last = entry.mToy;
            }
        }
        m.mToyEnds[k] = m.mToyEdges.Count();
    }
    const int32_t n = toy.mLineContacts.Count();
    if (!m.mEvents.SetCount(n)) return false;
    if (n > 0) std::memcpy(static_cast<void*>(m.mEvents.Data()), toy.mLineContacts.Data(), sizeof(ContactRecord) * n);
    m.mGrid = &grid;
    m.mLayout = grid.GetLayout();
    return true;
}

} // namespace

void NoteCrossingInputs(Toy& toy, uint64_t pass)
{
    CrossingMemo& m = toy.mCrossingMemo;
    const CrossingFields fields = ReadFields(toy);
    const bool same = m.mNotedPass != 0 && m.mNotedPass + 1 == pass && SameFields(fields, m.mFields) &&
                      SameOutline(m.mOutline, toy.mOutline);
    m.mSteadyPass = same ? pass : 0;
    m.mNotedPass = pass;
    if (same) return;
    const int32_t n = toy.mOutline.Count();
    m.mFields = fields;
    if (!m.mOutline.SetCount(n)) {
        m.mNotedPass = 0;
        return;
    }
    if (n > 0) std::memcpy(static_cast<void*>(m.mOutline.Data()), toy.mOutline.Data(), sizeof(VectorF) * n);
}

void CollectCrossingsWithMemo(Toy& toy, const SpatialGrid& grid, GridQueryContext& context, uint64_t pass)
{
    CrossingMemo& m = toy.mCrossingMemo;
    const bool steady = pass != 0 && m.mSteadyPass == pass;
    m.mReused = steady && KeptWalkHolds(toy, grid, pass) && TakeKeptEvents(toy);
    if (m.mReused) {
        m.mWalkPass = pass;
        return;
    }
    m.mWalkPass = 0;
    if (grid.CollectToyCrossings(toy, context) >= 0 && steady && KeepWalk(toy, grid)) m.mWalkPass = pass;
}

void ForgetCrossings(Toy& toy)
{
    toy.mCrossingMemo.mWalkPass = 0;
    toy.mCrossingMemo.mReused = false;
}

} // namespace KIV
