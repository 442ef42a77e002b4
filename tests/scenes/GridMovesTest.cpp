#include <gtest/gtest.h>
#include <vector>
#include "base/Random.h"
#include "base/WorkTeam.h"
#include "physics/grid/SpatialGrid.h"
#include "physics/world/GameSettings.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/JointWorlds.h"
#include "scenes/PlaygroundWorld.h"
#include "scenes/StepWorlds.h"

// The grid relinked side by side must hold every cell list as the toy-by-toy
// update leaves it: the queries walk the lists in order, and the step's bits
// follow that order. Two copies of a world are stepped alike, their toys
// moved alike, then one grid is updated toy by toy and the other side by
// side, and the two are compared link by link.

namespace KIV {
namespace {

struct Link {
    int32_t mNode, mToySlot, mPoint;
    bool operator==(const Link&) const = default;
};

// A cell's list as the queries see it; a broken back link or a link filed
// under another cell is reported as a failure.
std::vector<Link> CellLinks(const SpatialGrid& grid, int32_t cell)
{
    const SlotList& store = grid.GetToyStore();
    std::vector<Link> links;
    int32_t previous = -1;
    for (int32_t e = store.GetCellHead(cell); e >= 0; e = store.GetEntry(e).mNextInCell) {
        const SlotCellEntry& entry = store.GetEntry(e);
        EXPECT_EQ(entry.mPrevInCell, previous) << "cell " << cell;
        EXPECT_EQ(entry.mCell, cell);
        const ToyEdgeEntry& edge = grid.GetToyEntry(entry.mNode);
        links.push_back({entry.mNode, edge.mToy ? edge.mToy->mSlotIndex : -1, edge.mPoint});
        previous = e;
    }
    return links;
}

// Each node's own list: the cells of its links, the last linked first.
std::vector<int32_t> NodeCells(const SlotList& store, int32_t node)
{
    std::vector<int32_t> cells;
    for (int32_t e = store.GetNode(node).mFirstEntry; e >= 0; e = store.GetEntry(e).mNextOfNode) {
        EXPECT_EQ(store.GetEntry(e).mNode, node);
        cells.push_back(store.GetEntry(e).mCell);
    }
    return cells;
}

void ExpectSameGrid(const SpatialGrid& serial, const SpatialGrid& sideBySide, const char* name)
{
    ASSERT_EQ(serial.GetCellCount(), sideBySide.GetCellCount()) << name;
    int32_t differing = 0, first = -1, links = 0;
    for (int32_t cell = 0; cell < serial.GetCellCount(); ++cell) {
        const std::vector<Link> expected = CellLinks(serial, cell);
        links += static_cast<int32_t>(expected.size());
        if (CellLinks(sideBySide, cell) == expected) continue;
        if (differing++ == 0) first = cell;
    }
    EXPECT_EQ(differing, 0) << name << ": cell lists differ, the first at cell " << first;
    EXPECT_GT(links, 0) << name << ": an empty grid proves nothing";

    const SlotList& a = serial.GetToyStore();
    const SlotList& b = sideBySide.GetToyStore();
    ASSERT_EQ(a.GetUsedTail(), b.GetUsedTail()) << name;
    int32_t nodesDiffering = 0;
    for (int32_t object = a.GetUsedTail(); object >= 0; object = a.GetObject(object).mPrev) {
        ASSERT_EQ(a.GetObject(object).mFirstNode, b.GetObject(object).mFirstNode) << name;
        for (int32_t node = a.GetObject(object).mFirstNode; node >= 0; node = a.GetNode(node).mNext)
            nodesDiffering += NodeCells(a, node) != NodeCells(b, node);
    }
    EXPECT_EQ(nodesDiffering, 0) << name << ": nodes whose own lists differ";
    EXPECT_EQ(a.GetUsedEntryCount(), b.GetUsedEntryCount()) << name;
    EXPECT_EQ(b.GetUsedEntryCount(), links) << name << ": records counted as used but linked nowhere";
    EXPECT_EQ(a.GetUsedNodeCount(), b.GetUsedNodeCount()) << name;
}

void Shift(Toy& toy, const VectorF& by)
{
    for (VectorF& p : toy.mOutline) p = p + by;
}

// Every awake toy moves a few units, as a step moves a pile's toys.
void Jiggle(Scene& scene)
{
    Random random;
    for (Toy* toy : scene.mToys)
        if (!toy->mSleeping) Shift(*toy, {random.NextFloatInRange(-3.0f, 3.0f), random.NextFloatInRange(-3.0f, 3.0f)});
}

// Toys jump hundreds of units, across the bands of columns that the threads
// share, some wholly or partly off the grid.
void Scatter(Scene& scene)
{
    Random random;
    for (int32_t i = 0; i < scene.mToys.Count(); ++i) {
        Toy& toy = *scene.mToys[i];
        toy.mSleeping = 0;
        VectorF by{random.NextFloatInRange(-400.0f, 400.0f), random.NextFloatInRange(-200.0f, 200.0f)};
        if (i % 17 == 0) by = {-1.0e5f, 0.0f};  // off the world: no links left
        if (i % 19 == 0) by = {0.0f, -toy.mBounds.y2 + 20.0f};  // half above the grid's top
        Shift(toy, by);
    }
}

// What a step does to the toy list besides moving toys: toys leave, new ones
// come (linked where they appear), outlines lose a point (their chains are
// made anew) and some toys fall asleep, which the update passes by.
void AddRemoveReshape(Scene& scene)
{
    for (int32_t i = scene.mToys.Count() - 1; i >= 0; i -= 7) scene.RemoveToy(scene.mToys[i]);
    Random random;
    Scenes::AddSoftToyRows(scene, random, 20, 10, {60.0f, 200.0f});
    for (int32_t i = 0; i < scene.mToys.Count(); ++i) {
        Toy& toy = *scene.mToys[i];
        if (i % 5 == 0) toy.mOutline.SetCount(toy.mOutline.Count() - 1);
        toy.mSleeping = i % 3 == 1 ? 1 : 0;
    }
    Jiggle(scene);
}

struct Case {
    const char* mName;
    bool (*mMake)(Scene&, int32_t);
    int32_t mToys;
    int32_t mSteps;  // stepped before the move
    void (*mMove)(Scene&);
};

TEST(GridMoves, SideBySideUpdateLeavesEveryCellListAsTheToyByToyUpdate)
{
    const Case cases[] = {
        {"settling pile", Scenes::MakeSoftPile, 256, 120, Jiggle},
        {"swinging chains", Scenes::MakeChains, 256, 60, Jiggle},
        {"playground", Scenes::MakePlayground, 384, 60, Jiggle},
        {"toys across band borders", Scenes::MakeSoftPile, 256, 40, Scatter},
        {"toys added, removed and reshaped", Scenes::MakeSoftPile, 128, 60, AddRemoveReshape},
    };
    WorkTeam& team = WorkTeam::Shared();
    const int32_t saved = team.GetThreadCount();
    GameSettings serialSettings;
    serialSettings.mParallelismEnabled = 0;
    for (const Case& c : cases) {
        for (const int32_t threads : {3, 8}) {
            Scene serial, sideBySide;
            ASSERT_TRUE(c.mMake(serial, c.mToys) && c.mMake(sideBySide, c.mToys)) << c.mName;
            for (Scene* scene : {&serial, &sideBySide}) {
                Scenes::StepWorld(*scene, serialSettings, c.mSteps);
                c.mMove(*scene);
            }
            team.SetThreadCount(threads);
            ASSERT_TRUE(team.CanFork()) << "without a team both updates are the same loop";
            serial.mGrid.UpdateAwakeToys(serial.mToys.begin(), serial.mToys.Count(), false);
            sideBySide.mGrid.UpdateAwakeToys(sideBySide.mToys.begin(), sideBySide.mToys.Count(), true);
            team.SetThreadCount(saved);
            ExpectSameGrid(serial.mGrid, sideBySide.mGrid, c.mName);
        }
    }
}

} // namespace
} // namespace KIV
