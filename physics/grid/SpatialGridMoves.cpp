#include "physics/grid/SpatialGrid.h"
#include <algorithm>
#include <climits>
#include "base/WorkTeam.h"
#include "physics/grid/ToyMovePlan.h"
#include "physics/toys/Toy.h"

// Relinking many moved toys side by side. One after another, each toy's
// links leave their cells and new ones are pushed at the heads of the cells
// the outline now covers. A cell's list then holds the links added to it, the
// last added first, followed by the links it kept, in their old order; that
// order is all the queries see. So the cells can be split among threads by
// columns: each thread takes the old links out of its own columns, then adds
// the new ones of its columns, toys in list order, a toy's links in the order
// the single loop adds them. Which entry record carries a link is planned
// before: a toy reuses its own old records and takes the rest from the free
// chain, serially.

namespace KIV {

namespace {

// Several bands a thread, so that a thread whose bands hold few links takes
// more of them.
constexpr int32_t kBandsPerThread = 4;
// Toys a chunk when planning: a toy's plan is a walk over its links.
constexpr int32_t kPlanGrain = 32;

int32_t CellArea(const CellRange& r)
{
    if (r.mColumn1 < r.mColumn0 || r.mRow1 < r.mRow0) return 0;
    return (r.mColumn1 - r.mColumn0 + 1) * (r.mRow1 - r.mRow0 + 1);
}

void Widen(ToyMovePlan::ToyMove& m, int32_t column0, int32_t column1)
{
    if (m.mColumn0 > m.mColumn1) {
        m.mColumn0 = column0;
        m.mColumn1 = column1;
        return;
    }
    m.mColumn0 = std::min(m.mColumn0, column0);
    m.mColumn1 = std::max(m.mColumn1, column1);
}

} // namespace

void SpatialGrid::UpdateAwakeToys(Toy* const* toys, int32_t count, bool sideBySide)
{
    WorkTeam& team = WorkTeam::Shared();
    if (!sideBySide || count < 2 || !team.CanFork()) {
        for (int32_t i = 0; i < count; ++i)
            if (toys[i] && !toys[i]->mSleeping) UpdateToy(*toys[i]);
        return;
    }
    if (!mMoves) mMoves = std::make_unique<ToyMovePlan>();
    ToyMovePlan& plan = *mMoves;
    plan.mList = toys;
    plan.mToys.assign(count, ToyMovePlan::ToyMove{});
    plan.mOldEntries.resize(team.GetThreadCount());
    for (std::vector<int32_t>& list : plan.mOldEntries) list.clear();
    const size_t nodes = static_cast<size_t>(mToys.GetNodeCapacity());
    if (plan.mNodeRanges.size() < nodes) {
        plan.mNodeRanges.resize(nodes);
        plan.mNodeFirst.resize(nodes);
    }
    team.For(count, kPlanGrain, true, [&](int32_t i, int32_t thread) {
        if (toys[i]) PlanToyMove(*toys[i], i, thread);
    });
    PlanToyMoves(toys, count);
    team.For(plan.mBands, 1, true, [&](int32_t band, int32_t) { UnlinkMovedToys(band); });
    team.For(plan.mBands, 1, true, [&](int32_t band, int32_t) { LinkMovedToys(band); });
    FinishToyMoves();
}

void SpatialGrid::PlanToyNodes(const Toy& toy, int32_t index)
{
    ToyMovePlan& plan = *mMoves;
    ToyMovePlan::ToyMove& m = plan.mToys[index];
    const int32_t n = toy.mOutline.Count();
    const VectorF* points = toy.mOutline.Data();
    int32_t links = 0;
    for (int32_t node = mToys.GetObject(toy.mGridSlot).mFirstNode; node >= 0; node = mToys.GetNode(node).mNext) {
        const int32_t i = mToyEntries[node].mPoint;
        CellRange r;
        if (i >= 0 && i < n && GetCellRange(points[i], points[i + 1 == n ? 0 : i + 1], r))
            Widen(m, r.mColumn0, r.mColumn1);
        else
            r = CellRange{};
        plan.mNodeRanges[node] = r;
        plan.mNodeFirst[node] = links;
        links += CellArea(r);
    }
    m.mNewCount = links;
}

void SpatialGrid::PlanToyMove(Toy& toy, int32_t index, int32_t thread)
{
    ToyMovePlan& plan = *mMoves;
    ToyMovePlan::ToyMove& m = plan.mToys[index];
    // What UpdateToy would pass by, it passes by.
    if (toy.mSleeping || !HoldsToy(toy) || toy.mOutline.Count() < 3) return;
    const int32_t slot = toy.mGridSlot;
    if (mToys.GetObject(slot).mNodeCount != toy.mOutline.Count()) {
        // Its chain is made anew serially, where the free nodes are taken in list order.
        m.mState = ToyMovePlan::kReshaped;
        return;
    }
    m.mState = ToyMovePlan::kMoving;
    PlanToyNodes(toy, index);
    std::vector<int32_t>& old = plan.mOldEntries[thread];
    m.mOldThread = thread;
    m.mOldOffset = static_cast<int32_t>(old.size());
    const int32_t columnMask = mLayout.mColumns - 1;
    for (int32_t node = mToys.GetObject(slot).mFirstNode; node >= 0; node = mToys.GetNode(node).mNext) {
        for (int32_t e = mToys.GetNode(node).mFirstEntry; e >= 0; e = mToys.GetEntry(e).mNextOfNode) {
            old.push_back(e);
            const int32_t column = mToys.GetEntry(e).mCell & columnMask;
            Widen(m, column, column);
        }
        // The node's own list is rebuilt from its new links.
        mToys.SetFirstEntry(node, -1);
    }
    m.mOldCount = static_cast<int32_t>(old.size()) - m.mOldOffset;
}

void SpatialGrid::PlanToyMoves(Toy* const* toys, int32_t count)
{
    ToyMovePlan& plan = *mMoves;
    int64_t extra = 0;
    int32_t first = INT_MAX, last = -1;
    for (int32_t i = 0; i < count; ++i) {
        ToyMovePlan::ToyMove& m = plan.mToys[i];
        if (m.mState == ToyMovePlan::kReshaped) {
            m.mState = ToyMovePlan::kStill;
            if (!ReshapeToyChain(*toys[i])) continue;
            const size_t nodes = static_cast<size_t>(mToys.GetNodeCapacity());
            if (plan.mNodeRanges.size() < nodes) {
                plan.mNodeRanges.resize(nodes);
                plan.mNodeFirst.resize(nodes);
            }
            m.mState = ToyMovePlan::kMoving;
            PlanToyNodes(*toys[i], i);
        }
        if (m.mState != ToyMovePlan::kMoving) continue;
        m.mExtraOffset = static_cast<int32_t>(std::min<int64_t>(extra, INT_MAX));
        extra += std::max(0, m.mNewCount - m.mOldCount);
        if (m.mColumn0 <= m.mColumn1) {
            first = std::min(first, m.mColumn0);
            last = std::max(last, m.mColumn1);
        }
    }
    // Links beyond what the table can hold are left out, as AddCellEntry leaves them out.
    plan.mExtra.clear();
    mToys.ReserveFreeEntries(static_cast<int32_t>(std::min<int64_t>(extra, INT_MAX)));
    for (int64_t k = 0; k < extra; ++k) {
        const int32_t e = mToys.TakeFreeEntry();
        if (e < 0) break;
        plan.mExtra.push_back(e);
    }

    plan.mBands = 0;
    if (last < first) return;
    const int32_t columns = last - first + 1;
    const int32_t wanted = std::max(1, WorkTeam::Shared().GetThreadCount() * kBandsPerThread);
    plan.mFirstColumn = first;
    plan.mBandWidth = (columns + wanted - 1) / wanted;
    plan.mBands = (columns + plan.mBandWidth - 1) / plan.mBandWidth;
    plan.mBandStart.assign(plan.mBands + 1, 0);
    auto bandsOf = [&plan](const ToyMovePlan::ToyMove& m, int32_t& b0, int32_t& b1) {
        b0 = (m.mColumn0 - plan.mFirstColumn) / plan.mBandWidth;
        b1 = (m.mColumn1 - plan.mFirstColumn) / plan.mBandWidth;
        return m.mState == ToyMovePlan::kMoving && m.mColumn0 <= m.mColumn1;
    };
    int32_t b0, b1;
    for (const ToyMovePlan::ToyMove& m : plan.mToys)
        if (bandsOf(m, b0, b1))
            for (int32_t b = b0; b <= b1; ++b) ++plan.mBandStart[b + 1];
    for (int32_t b = 0; b < plan.mBands; ++b) plan.mBandStart[b + 1] += plan.mBandStart[b];
    plan.mBandToys.resize(plan.mBandStart[plan.mBands]);
    plan.mBandNext.assign(plan.mBandStart.begin(), plan.mBandStart.end() - 1);
    for (int32_t i = 0; i < count; ++i)
        if (bandsOf(plan.mToys[i], b0, b1))
            for (int32_t b = b0; b <= b1; ++b) plan.mBandToys[plan.mBandNext[b]++] = i;
}

void SpatialGrid::UnlinkMovedToys(int32_t band)
{
    const ToyMovePlan& plan = *mMoves;
    const int32_t column0 = plan.mFirstColumn + band * plan.mBandWidth;
    const int32_t column1 = column0 + plan.mBandWidth - 1;
    const int32_t columnMask = mLayout.mColumns - 1;
    for (int32_t k = plan.mBandStart[band]; k < plan.mBandStart[band + 1]; ++k) {
        const ToyMovePlan::ToyMove& m = plan.mToys[plan.mBandToys[k]];
        const int32_t* old = plan.mOldEntries[m.mOldThread].data() + m.mOldOffset;
        for (int32_t j = 0; j < m.mOldCount; ++j) {
            const int32_t column = mToys.GetEntry(old[j]).mCell & columnMask;
            if (column >= column0 && column <= column1) mToys.UnlinkFromCell(old[j]);
        }
    }
}

void SpatialGrid::LinkMovedToys(int32_t band)
{
    const ToyMovePlan& plan = *mMoves;
    const int32_t column0 = plan.mFirstColumn + band * plan.mBandWidth;
    const int32_t column1 = column0 + plan.mBandWidth - 1;
    for (int32_t k = plan.mBandStart[band]; k < plan.mBandStart[band + 1]; ++k) {
        const int32_t index = plan.mBandToys[k];
        const ToyMovePlan::ToyMove& m = plan.mToys[index];
        const Toy& toy = *plan.mList[index];
        for (int32_t node = mToys.GetObject(toy.mGridSlot).mFirstNode; node >= 0; node = mToys.GetNode(node).mNext) {
            const CellRange& r = plan.mNodeRanges[node];
            const int32_t c0 = std::max(r.mColumn0, column0), c1 = std::min(r.mColumn1, column1);
            if (c0 > c1) continue;
            const int32_t width = r.mColumn1 - r.mColumn0 + 1;
            const int32_t first = plan.mNodeFirst[node];
            const int32_t end = first + CellArea(r);
            for (int32_t row = r.mRow0; row <= r.mRow1; ++row) {
                for (int32_t column = c0; column <= c1; ++column) {
                    const int32_t link = first + (row - r.mRow0) * width + (column - r.mColumn0);
                    const int32_t e = plan.EntryFor(m, link);
                    if (e < 0) continue;
                    const int32_t previous = link > first ? plan.EntryFor(m, link - 1) : -1;
                    mToys.LinkAtCellHead(e, node, GetCellIndex(column, row), previous);
                    // The node's list starts at its last link, as AddCellEntry leaves it.
                    if (link + 1 == end || plan.EntryFor(m, link + 1) < 0) mToys.SetFirstEntry(node, e);
                }
            }
        }
    }
}

void SpatialGrid::FinishToyMoves()
{
    const ToyMovePlan& plan = *mMoves;
    for (const ToyMovePlan::ToyMove& m : plan.mToys) {
        if (m.mState != ToyMovePlan::kMoving) continue;
        const int32_t* old = plan.mOldEntries[m.mOldThread].data() + m.mOldOffset;
        for (int32_t j = m.mNewCount; j < m.mOldCount; ++j) mToys.ReturnEntry(old[j]);
    }
}

} // namespace KIV
