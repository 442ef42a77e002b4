#include <gtest/gtest.h>
#include <map>
#include <set>
#include "base/Random.h"
#include "physics/grid/SlotList.h"

using namespace KIV;

namespace {

// Walks every cell list and every node's entry chain and checks that the two
// views agree: each entry sits in the cell it names, is reachable from its
// node, and the used counts match what is linked.
void ExpectConsistent(const SlotList& list)
{
    std::set<int32_t> fromCells;
    for (int32_t cell = 0; cell < list.GetCellCount(); ++cell) {
        int32_t prev = -1;
        for (int32_t e = list.GetCellHead(cell); e >= 0; e = list.GetEntry(e).mNextInCell) {
            ASSERT_EQ(list.GetEntry(e).mCell, cell);
            ASSERT_EQ(list.GetEntry(e).mPrevInCell, prev);
            ASSERT_TRUE(fromCells.insert(e).second) << "entry listed twice";
            prev = e;
        }
    }
    std::set<int32_t> fromNodes;
    int32_t nodes = 0;
    int32_t objects = 0;
    for (int32_t o = list.GetUsedTail(); o >= 0; o = list.GetObject(o).mPrev) {
        ++objects;
        int32_t count = 0;
        for (int32_t n = list.GetObject(o).mFirstNode; n >= 0; n = list.GetNode(n).mNext, ++count)
            for (int32_t e = list.GetNode(n).mFirstEntry; e >= 0; e = list.GetEntry(e).mNextOfNode) {
                ASSERT_EQ(list.GetEntry(e).mNode, n);
                fromNodes.insert(e);
            }
        ASSERT_EQ(count, list.GetObject(o).mNodeCount);
        nodes += count;
    }
    EXPECT_EQ(fromCells, fromNodes);
    EXPECT_EQ(static_cast<int32_t>(fromCells.size()), list.GetUsedEntryCount());
    EXPECT_EQ(nodes, list.GetUsedNodeCount());
    EXPECT_EQ(objects, list.GetUsedObjectCount());
}

} // namespace

TEST(SlotList, ReleaseOfABadOrFreeObjectIsRefusedAndChangesNothing)
{
    SlotList list;
    ASSERT_TRUE(list.Init(16, 4));
    const int32_t o = list.Alloc(7);
    ASSERT_GE(list.AllocateChain(o, 2), 0);
    list.AddCellEntry(list.GetObject(o).mFirstNode, 3);

    EXPECT_FALSE(list.Release(-1));
    EXPECT_FALSE(list.Release(1000));
    EXPECT_EQ(list.GetUsedObjectCount(), 1);
    EXPECT_EQ(list.GetUsedEntryCount(), 1);

    EXPECT_TRUE(list.Release(o));
    // A second release would put the object on the free list twice.
    EXPECT_FALSE(list.Release(o));
    EXPECT_EQ(list.GetUsedObjectCount(), 0);
    EXPECT_EQ(list.GetUsedNodeCount(), 0);
    EXPECT_EQ(list.GetCellHead(3), -1);
}

TEST(SlotList, ChainsAndCellEntriesRefuseBadArguments)
{
    SlotList list;
    ASSERT_TRUE(list.Init(4, 2));
    const int32_t o = list.Alloc(0);
    EXPECT_EQ(list.AllocateChain(o, 0), -1);
    EXPECT_EQ(list.AllocateChain(-1, 3), -1);
    const int32_t node = list.AllocateChain(o, 1);
    EXPECT_EQ(list.AddCellEntry(node, -1), -1);
    EXPECT_EQ(list.AddCellEntry(node, 4), -1);
    EXPECT_EQ(list.GetUsedEntryCount(), 0);
}

TEST(SlotList, RandomWorkBeyondTheInitialCapacityKeepsBothViewsInStep)
{
    SlotList list;
    ASSERT_TRUE(list.Init(64, 2));  // every table has to grow many times
    Random random;
    std::vector<int32_t> live;
    for (int32_t step = 0; step < 3000; ++step) {
        const int32_t action = random.NextInt(4);
        if (action <= 1 || live.empty()) {
            const int32_t o = list.Alloc(step);
            ASSERT_GE(o, 0);
            const int32_t n = 1 + random.NextInt(6);
            ASSERT_GE(list.AllocateChain(o, n), 0);
            for (int32_t node = list.GetObject(o).mFirstNode; node >= 0; node = list.GetNode(node).mNext)
                for (int32_t k = random.NextInt(4); k > 0; --k) ASSERT_GE(list.AddCellEntry(node, random.NextInt(64)), 0);
            live.push_back(o);
        } else if (action == 2) {
            const size_t i = static_cast<size_t>(random.NextInt(static_cast<int32_t>(live.size())));
            ASSERT_TRUE(list.Release(live[i]));
            live.erase(live.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            const int32_t o = live[static_cast<size_t>(random.NextInt(static_cast<int32_t>(live.size())))];
            list.RemoveCellEntries(o);
            for (int32_t node = list.GetObject(o).mFirstNode; node >= 0; node = list.GetNode(node).mNext)
                ASSERT_GE(list.AddCellEntry(node, random.NextInt(64)), 0);
        }
        if (step % 250 == 0) ExpectConsistent(list);
    }
    ExpectConsistent(list);
    for (int32_t o : live) EXPECT_EQ(list.GetObject(o).mInUse, 1);
}

namespace {

// What a cell lists: its entries' records and nodes, in list order.
std::vector<std::pair<int32_t, int32_t>> CellList(const SlotList& list, int32_t cell)
{
    std::vector<std::pair<int32_t, int32_t>> entries;
    for (int32_t e = list.GetCellHead(cell); e >= 0; e = list.GetEntry(e).mNextInCell)
        entries.emplace_back(e, list.GetEntry(e).mNode);
    return entries;
}

} // namespace

// A reader trusts a cell while its change count holds: no change to a cell's
// list may leave its count where it was.
TEST(SlotList, EveryChangeToACellsListMovesItsCount)
{
    constexpr int32_t kCells = 16;
    SlotList list;
    ASSERT_TRUE(list.Init(kCells, 2));
    Random random;
    std::vector<int32_t> live;
    std::vector<std::vector<std::pair<int32_t, int32_t>>> lists(kCells);
    std::vector<uint32_t> counts(kCells);
    for (int32_t step = 0; step < 2000; ++step) {
        for (int32_t cell = 0; cell < kCells; ++cell) {
            lists[static_cast<size_t>(cell)] = CellList(list, cell);
            counts[static_cast<size_t>(cell)] = list.GetCellChanges(cell);
        }
        const int32_t action = random.NextInt(5);
        int32_t touched = -1;
        if (action <= 1 || live.empty()) {
            const int32_t o = list.Alloc(step);
            ASSERT_GE(list.AllocateChain(o, 1 + random.NextInt(4)), 0);
            for (int32_t node = list.GetObject(o).mFirstNode; node >= 0; node = list.GetNode(node).mNext)
                for (int32_t k = random.NextInt(3); k > 0; --k) ASSERT_GE(list.AddCellEntry(node, random.NextInt(kCells)), 0);
            live.push_back(o);
        } else {
            const size_t i = static_cast<size_t>(random.NextInt(static_cast<int32_t>(live.size())));
            const int32_t o = live[i];
            if (action == 2) {
                ASSERT_TRUE(list.Release(o));
                live.erase(live.begin() + static_cast<std::ptrdiff_t>(i));
            } else if (action == 3) {
                list.RemoveCellEntries(o);
                for (int32_t node = list.GetObject(o).mFirstNode; node >= 0; node = list.GetNode(node).mNext)
                    ASSERT_GE(list.AddCellEntry(node, random.NextInt(kCells)), 0);
            } else {
                // An object listed there changed in place: its cells move, and only they.
                list.TouchObjectCells(o);
                touched = o;
            }
        }
        for (int32_t cell = 0; cell < kCells; ++cell) {
            const bool moved = list.GetCellChanges(cell) != counts[static_cast<size_t>(cell)];
            if (CellList(list, cell) != lists[static_cast<size_t>(cell)])
                ASSERT_TRUE(moved) << "cell " << cell << " step " << step << " action " << action;
            if (touched < 0) continue;
            bool listsTouched = false;
            for (int32_t node = list.GetObject(touched).mFirstNode; node >= 0; node = list.GetNode(node).mNext)
                for (int32_t e = list.GetNode(node).mFirstEntry; e >= 0; e = list.GetEntry(e).mNextOfNode)
                    listsTouched = listsTouched || list.GetEntry(e).mCell == cell;
            ASSERT_EQ(moved, listsTouched) << "cell " << cell << " step " << step;
        }
    }
    // Set up anew, the store starts an epoch no earlier store had.
    const uint64_t epoch = list.GetEpoch();
    list.Clear();
    EXPECT_NE(list.GetEpoch(), epoch);
    SlotList other;
    ASSERT_TRUE(other.Init(kCells, 2));
    EXPECT_NE(other.GetEpoch(), list.GetEpoch());
}
