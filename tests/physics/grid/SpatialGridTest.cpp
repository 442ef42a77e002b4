#include <gtest/gtest.h>
#include <climits>
#include <functional>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <vector>
#include "base/Random.h"
#include "base/Statistics.h"
#include "base/WorkTeam.h"
#include "physics/geometry/SegmentIntersection.h"
#include "physics/grid/SpatialGrid.h"
#include "physics/toys/Toy.h"

using namespace KIV;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();
const RectF kWorld(0.0f, 0.0f, 2000.0f, 1500.0f);

VectorF RandomPoint(Random& r, float margin = 0.0f)
{
    return {r.NextFloatInRange(kWorld.x1 - margin, kWorld.x2 + margin),
            r.NextFloatInRange(kWorld.y1 - margin, kWorld.y2 + margin)};
}

VectorF RandomOffset(Random& r, float length)
{
    return {r.NextFloatInRange(-length, length), r.NextFloatInRange(-length, length)};
}

// A toy that has only an outline: all the grid reads.
std::unique_ptr<Toy> MakeOutlineToy(const std::vector<VectorF>& points, int32_t slot)
{
    auto toy = std::make_unique<Toy>();
    for (const VectorF& p : points) toy->mOutline.PushBack(p);
    toy->mSlotIndex = slot;
    VectorF c;
    for (const VectorF& p : points) c += p;
    toy->mPosition = c / static_cast<float>(points.size());
    return toy;
}

std::vector<VectorF> RandomTriangle(Random& r, float size)
{
    const VectorF a = RandomPoint(r);
    return {a, a + RandomOffset(r, size), a + RandomOffset(r, size)};
}

// Every live terrain record, read through the grid's own tables so the
// brute-force answers use the very same numbers.
std::vector<int32_t> AllStaticNodes(const SpatialGrid& grid)
{
    std::vector<int32_t> nodes;
    const SlotList& store = grid.GetStaticStore();
    for (int32_t o = store.GetUsedTail(); o >= 0; o = store.GetObject(o).mPrev)
        for (int32_t n = store.GetObject(o).mFirstNode; n >= 0; n = store.GetNode(n).mNext) nodes.push_back(n);
    return nodes;
}

struct Edge {
    Toy* mToy;
    int32_t mPoint;
    VectorF mA, mB;
};

std::vector<Edge> AllToyEdges(const std::vector<std::unique_ptr<Toy>>& toys)
{
    std::vector<Edge> edges;
    for (const auto& t : toys) {
        const int32_t n = t->mOutline.Count();
        for (int32_t i = 0; i < n; ++i) edges.push_back({t.get(), i, t->mOutline[i], t->mOutline[(i + 1) % n]});
    }
    return edges;
}

RectF Box(const VectorF& a, const VectorF& b)
{
    return {std::min(a.mX, b.mX), std::min(a.mY, b.mY), std::max(a.mX, b.mX), std::max(a.mY, b.mY)};
}

// The cells an edge must occupy: the clamped rectangle of its end cells.
std::set<int32_t> ExpectedCells(const SpatialGrid& grid, const VectorF& a, const VectorF& b)
{
    std::set<int32_t> cells;
    CellRange r;
    if (!grid.GetCellRange(a, b, r)) return cells;
    for (int32_t row = r.mRow0; row <= r.mRow1; ++row)
        for (int32_t column = r.mColumn0; column <= r.mColumn1; ++column) cells.insert(grid.GetCellIndex(column, row));
    return cells;
}

// For every toy node: the cells that list it.
std::map<int32_t, std::set<int32_t>> ToyNodeCells(const SpatialGrid& grid)
{
    std::map<int32_t, std::set<int32_t>> cells;
    const SlotList& store = grid.GetToyStore();
    for (int32_t cell = 0; cell < grid.GetCellCount(); ++cell)
        for (int32_t e = store.GetCellHead(cell); e >= 0; e = store.GetEntry(e).mNextInCell)
            EXPECT_TRUE(cells[store.GetEntry(e).mNode].insert(cell).second) << "node listed twice in a cell";
    return cells;
}

// Every toy in the grid has exactly one entry per outline point, filed in
// exactly the cells of its current edge; nothing else is filed.
void ExpectToysConsistent(const SpatialGrid& grid, const std::vector<Toy*>& inGrid)
{
    std::map<int32_t, std::set<int32_t>> cells = ToyNodeCells(grid);
    const SlotList& store = grid.GetToyStore();
    std::set<int32_t> seenNodes;
    int32_t nodes = 0;
    for (Toy* toy : inGrid) {
        ASSERT_TRUE(store.IsObjectInUse(toy->mGridSlot));
        const int32_t n = toy->mOutline.Count();
        EXPECT_EQ(toy->mGridEntryCount, n);
        std::set<int32_t> points;
        for (int32_t node = store.GetObject(toy->mGridSlot).mFirstNode; node >= 0; node = store.GetNode(node).mNext) {
            const ToyEdgeEntry& e = grid.GetToyEntry(node);
            ASSERT_EQ(e.mToy, toy);
            points.insert(e.mPoint);
            seenNodes.insert(node);
            ++nodes;
            EXPECT_EQ(cells[node], ExpectedCells(grid, toy->mOutline[e.mPoint], toy->mOutline[(e.mPoint + 1) % n]));
        }
        EXPECT_EQ(static_cast<int32_t>(points.size()), n);
    }
    EXPECT_EQ(nodes, store.GetUsedNodeCount());
    EXPECT_EQ(static_cast<int32_t>(inGrid.size()), store.GetUsedObjectCount());
    for (const auto& [node, c] : cells) {
        if (!c.empty()) {
            EXPECT_TRUE(seenNodes.count(node)) << "a cell still lists a released node";
        }
    }
}

class SpatialGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mSavedStatistics = gStatistics;
        gStatistics = &mStatistics;
        ASSERT_TRUE(mGrid.SetupCells(kWorld));
    }
    void TearDown() override { gStatistics = mSavedStatistics; }

    void AddRandomTerrain(Random& r, int32_t triangles)
    {
        for (int32_t i = 0; i < triangles; ++i) {
            const std::vector<VectorF> t = RandomTriangle(r, i % 10 == 0 ? 400.0f : 40.0f);
            ASSERT_GE(mGrid.InsertStaticPolygon(t.data(), 3), 0);
        }
    }

    void AddRandomToys(Random& r, int32_t count)
    {
        for (int32_t i = 0; i < count; ++i) {
            std::vector<VectorF> outline = RandomTriangle(r, 30.0f);
            outline.push_back(outline[2] + RandomOffset(r, 20.0f));
            mToys.push_back(MakeOutlineToy(outline, i));
            ASSERT_TRUE(mGrid.InsertToy(*mToys.back()));
        }
    }

    GridQueryContext& Context() { return mGrid.GetQueryContext(0); }

    Statistics mStatistics;
    Statistics* mSavedStatistics = nullptr;
    SpatialGrid mGrid;
    std::vector<std::unique_ptr<Toy>> mToys;
};

} // namespace

TEST(SpatialGridSetup, RejectsWorldsItCannotCoverAndKeepsTheOldGrid)
{
    SpatialGrid grid;
    ASSERT_TRUE(grid.SetupCells({0, 0, 100, 50}));
    const RectI bounds = grid.GetBounds();
    const RectF bad[] = {{kNaN, 0, 10, 10}, {0, 0, kInf, 10}, {0, -kInf, 10, 10},
                         {10, 0, 0, 10},    {0, 0, 3e9f, 10}, {-2e6f, 0, 10, 10}};
    for (const RectF& r : bad) {
        EXPECT_FALSE(grid.SetupCells(r));
        EXPECT_EQ(grid.GetBounds(), bounds);
    }
}

TEST(SpatialGridSetup, CountsArePowersOfTwoAndTheMarginIsSplit)
{
    SpatialGrid grid;
    ASSERT_TRUE(grid.SetupCells({0, 0, 100, 50}));
    // 102 x 52 units -> 13 x 7 cells -> 16 x 8; 26 and 12 units of margin.
    EXPECT_EQ(grid.GetColumnCount(), 16);
    EXPECT_EQ(grid.GetRowCount(), 8);
    EXPECT_EQ(grid.GetBounds(), RectI(-14, -7, 114, 57));
}

TEST(SpatialGridSetup, CellOfAPointIsFlooredAndRangeCheckedBeforeConversion)
{
    SpatialGrid grid;
    ASSERT_TRUE(grid.SetupCells({0, 0, 100, 50}));  // x0 = -14, y0 = -7, 16 x 8 cells
    struct Case {
        VectorF mPoint;
        int32_t mCell;
    } const cases[] = {
        {{-14.0f, -7.0f}, 0},
        {{-6.0f, -7.0f}, 1},
        {{-6.5f, 1.0f}, 16},          // column 0 (floored), row 1
        {{-14.5f, 0.0f}, -1},         // left of the grid: truncation would say column 0
        {{0.0f, -7.25f}, -1},         // above the grid
        {{113.9f, 56.9f}, 8 * 16 - 1},
        {{114.0f, 0.0f}, -1},         // the far bound is outside
        {{kNaN, 0.0f}, -1},
        {{0.0f, kNaN}, -1},
        {{kInf, 0.0f}, -1},
        {{-kInf, 0.0f}, -1},
        {{1e30f, 1e30f}, -1},
        {{-3e38f, 0.0f}, -1},
        {{2147483648.0f, 0.0f}, -1},  // would overflow an int conversion
    };
    for (const Case& c : cases) EXPECT_EQ(grid.GetCellIndex(c.mPoint), c.mCell) << c.mPoint.mX << ", " << c.mPoint.mY;
}

TEST(SpatialGridSetup, CellRectanglesAreClampedToTheGrid)
{
    SpatialGrid grid;
    ASSERT_TRUE(grid.SetupCells({0, 0, 100, 50}));
    CellRange r;
    ASSERT_TRUE(grid.GetCellRange({-1e30f, 20.0f}, {1e30f, 20.0f}, r));
    EXPECT_EQ(r.mColumn0, 0);
    EXPECT_EQ(r.mColumn1, 15);
    EXPECT_EQ(r.mRow0, r.mRow1);
    EXPECT_FALSE(grid.GetCellRange({-1e30f, -5e29f}, {-1e29f, -1e29f}, r)) << "wholly beside the grid";
    EXPECT_FALSE(grid.GetCellRange({kNaN, 0.0f}, {10.0f, 10.0f}, r));
}

TEST_F(SpatialGridTest, TerrainSegmentQueriesMatchBruteForce)
{
    Random r;
    AddRandomTerrain(r, 1200);
    const std::vector<int32_t> nodes = AllStaticNodes(mGrid);
    ASSERT_EQ(nodes.size(), 3600u);
    int32_t hits = 0, inside = 0;
    for (int32_t q = 0; q < 3000; ++q) {
        const VectorF from = RandomPoint(r, 50.0f);
        const float reach = q % 3 == 0 ? 20.0f : (q % 3 == 1 ? 200.0f : 1500.0f);
        GridSegmentQuery query;
        query.mFrom = from;
        query.mTo = from + RandomOffset(r, reach);
        query.mTestToys = false;
        query.mReportInside = true;

        float bestT = 2.0f;
        VectorF bestPoint;
        bool expectInside = false;
        for (int32_t n : nodes) {
            const StaticSegment& s = mGrid.GetStaticSegment(n);
            if (Cross(s.mDirection, query.mFrom - s.mStart) >= 0.0f) {
                expectInside = expectInside || SegmentsIntersect(query.mFrom, query.mTo, s.mStart, s.mEnd);
                continue;
            }
            VectorF x;
            float t;
            if (SegmentsIntersectAt(query.mFrom, query.mTo, s.mStart, s.mEnd, x, t) && t < bestT) {
                bestT = t;
                bestPoint = x;
            }
        }
        // Only the part of a query over the grid is searched.
        if (mGrid.GetCellIndex(query.mFrom) < 0 || mGrid.GetCellIndex(query.mTo) < 0) continue;
        GridSegmentHit hit;
        const bool found = mGrid.QuerySegment(query, Context(), hit);
        ASSERT_EQ(found, bestT <= 1.0f) << "query " << q;
        EXPECT_EQ(hit.mInside, expectInside) << "query " << q;
        inside += hit.mInside;
        if (!found) continue;
        ++hits;
        EXPECT_EQ(hit.mT, bestT);
        EXPECT_EQ(hit.mPoint, bestPoint);
        const StaticSegment& s = mGrid.GetStaticSegment(hit.mStaticSegment);
        VectorF x;
        float t;
        ASSERT_TRUE(SegmentsIntersectAt(query.mFrom, query.mTo, s.mStart, s.mEnd, x, t));
        EXPECT_EQ(t, bestT);
    }
    EXPECT_GT(hits, 500);  // the test must exercise hits, not only misses
    EXPECT_GT(inside, 50);
}

TEST_F(SpatialGridTest, ToyEdgeQueriesMatchBruteForceWithEveryExclusion)
{
    Random r;
    AddRandomToys(r, 800);
    // Some toys refuse the querying toy, some belong to a robot.
    Robot* robot = reinterpret_cast<Robot*>(static_cast<uintptr_t>(0x1000));  // only compared, never read
    for (size_t i = 0; i < mToys.size(); i += 7) mToys[i]->mPairFlags[3] = 0;
    for (size_t i = 0; i < mToys.size(); i += 5) mToys[i]->mOwningRobot = robot;
    Toy* querying = mToys[3].get();
    const std::vector<Edge> edges = AllToyEdges(mToys);
    int32_t hits = 0;
    for (int32_t q = 0; q < 3000; ++q) {
        GridSegmentQuery query;
        query.mFrom = RandomPoint(r);
        query.mTo = query.mFrom + RandomOffset(r, q % 2 ? 30.0f : 300.0f);
        query.mTestStatic = false;
        query.mExcludedToy = q % 2 ? querying : nullptr;
        query.mExcludedRobot = q % 3 ? robot : nullptr;

        float bestT = 2.0f;
        VectorF bestPoint;
        for (const Edge& e : edges) {
            if (e.mToy == query.mExcludedToy) continue;
            if (query.mExcludedToy && e.mToy->mPairFlags[3] == 0) continue;
            if (query.mExcludedRobot && e.mToy->mOwningRobot == query.mExcludedRobot) continue;
            if (Cross(e.mB - e.mA, query.mFrom - e.mA) >= 0.0f) continue;
            VectorF x;
            float t;
            if (SegmentsIntersectAt(query.mFrom, query.mTo, e.mA, e.mB, x, t) && t < bestT) {
                bestT = t;
                bestPoint = x;
            }
        }
        if (mGrid.GetCellIndex(query.mTo) < 0) continue;
        GridSegmentHit hit;
        ASSERT_EQ(mGrid.QuerySegment(query, Context(), hit), bestT <= 1.0f) << "query " << q;
        if (bestT > 1.0f) continue;
        ++hits;
        EXPECT_EQ(hit.mT, bestT);
        EXPECT_EQ(hit.mPoint, bestPoint);
        ASSERT_NE(hit.mToy, nullptr);
        EXPECT_NE(hit.mToy, query.mExcludedToy);
    }
    EXPECT_GT(hits, 500);
}

TEST_F(SpatialGridTest, RectangleQueriesReturnExactlyTheOverlappingSegments)
{
    Random r;
    AddRandomTerrain(r, 1000);
    AddRandomToys(r, 500);
    const std::vector<int32_t> nodes = AllStaticNodes(mGrid);
    const std::vector<Edge> edges = AllToyEdges(mToys);
    for (int32_t q = 0; q < 400; ++q) {
        // Within the world: the grid files nothing that lies wholly beside it.
        const VectorF a = RandomPoint(r);
        RectF rect = Box(a, a + RandomOffset(r, q % 2 ? 20.0f : 250.0f));
        rect = {std::max(rect.x1, kWorld.x1), std::max(rect.y1, kWorld.y1), std::min(rect.x2, kWorld.x2),
                std::min(rect.y2, kWorld.y2)};
        Array<int32_t> statics;
        Array<ToyEdgeEntry> toyEdges;
        mGrid.QueryRect(rect, Context(), &statics, &toyEdges);

        std::set<int32_t> expectStatic;
        for (int32_t n : nodes)
            if (mGrid.GetStaticSegment(n).mBox.Overlaps(rect)) expectStatic.insert(n);
        std::set<std::pair<Toy*, int32_t>> expectToy;
        for (const Edge& e : edges)
            if (Box(e.mA, e.mB).Overlaps(rect)) expectToy.insert({e.mToy, e.mPoint});

        std::set<int32_t> gotStatic(statics.begin(), statics.end());
        EXPECT_EQ(gotStatic.size(), static_cast<size_t>(statics.Count())) << "a segment reported twice";
        EXPECT_EQ(gotStatic, expectStatic);
        std::set<std::pair<Toy*, int32_t>> gotToy;
        for (const ToyEdgeEntry& e : toyEdges) gotToy.insert({e.mToy, e.mPoint});
        EXPECT_EQ(gotToy.size(), static_cast<size_t>(toyEdges.Count())) << "an edge reported twice";
        EXPECT_EQ(gotToy, expectToy);
    }
}

TEST_F(SpatialGridTest, TouchAndOneToyQueriesMatchBruteForce)
{
    Random r;
    AddRandomTerrain(r, 600);
    AddRandomToys(r, 300);
    const std::vector<int32_t> nodes = AllStaticNodes(mGrid);
    int32_t touches = 0, toyHits = 0;
    for (int32_t q = 0; q < 2000; ++q) {
        const VectorF a = RandomPoint(r);
        const VectorF b = a + RandomOffset(r, 120.0f);
        if (mGrid.GetCellIndex(b) < 0) continue;
        bool expectTouch = false;
        for (int32_t n : nodes)
            expectTouch = expectTouch || SegmentsIntersect(a, b, mGrid.GetStaticSegment(n).mStart, mGrid.GetStaticSegment(n).mEnd);
        EXPECT_EQ(mGrid.SegmentTouchesStatic(a, b, Context()), expectTouch);
        touches += expectTouch;

        const Toy& toy = *mToys[static_cast<size_t>(q) % mToys.size()];
        const VectorF from = toy.mPosition + RandomOffset(r, 40.0f);
        const VectorF to = from + RandomOffset(r, 60.0f);
        float bestT = 2.0f;
        VectorF bestPoint;
        for (int32_t i = 0; i < toy.mOutline.Count(); ++i) {
            VectorF x;
            float t;
            if (SegmentsIntersectAt(from, to, toy.mOutline[i], toy.mOutline[(i + 1) % toy.mOutline.Count()], x, t) && t < bestT) {
                bestT = t;
                bestPoint = x;
            }
        }
        VectorF point = from;
        if (mGrid.GetCellIndex(from) < 0 || mGrid.GetCellIndex(to) < 0) continue;
        ASSERT_EQ(mGrid.SegmentHitsToy(point, to, toy, Context()), bestT <= 1.0f);
        EXPECT_EQ(point, bestT <= 1.0f ? bestPoint : from);
        toyHits += bestT <= 1.0f;
    }
    EXPECT_GT(touches, 200);
    EXPECT_GT(toyHits, 200);
}

TEST_F(SpatialGridTest, CrossingEventsAreEveryCrossingOnceSortedAlongEachEdge)
{
    Random r;
    AddRandomTerrain(r, 800);
    AddRandomToys(r, 400);
    const std::vector<int32_t> nodes = AllStaticNodes(mGrid);
    const std::vector<Edge> edges = AllToyEdges(mToys);
    int32_t total = 0;
    for (size_t k = 0; k < mToys.size(); k += 3) {
        Toy& toy = *mToys[k];
        Array<ContactRecord> events;
        const int32_t count = mGrid.CollectCrossingEvents(toy, nullptr, 0, events, CrossingFilter{}, Context());
        ASSERT_EQ(count, events.Count());
        const int32_t n = toy.mOutline.Count();
        int32_t at = 0;
        for (int32_t i = 0; i < n; ++i) {
            const VectorF a = toy.mOutline[i], b = toy.mOutline[(i + 1) % n];
            std::multiset<float> expect;
            for (int32_t s : nodes) {
                VectorF x;
                float t;
                if (SegmentsIntersectAt(a, b, mGrid.GetStaticSegment(s).mStart, mGrid.GetStaticSegment(s).mEnd, x, t))
                    expect.insert(t);
            }
            for (const Edge& e : edges) {
                VectorF x;
                float t;
                if (e.mToy != &toy && SegmentsIntersectAt(a, b, e.mA, e.mB, x, t)) expect.insert(t);
            }
            std::vector<float> got;
            for (; at < events.Count() && events[at].mEdgeIndex == i; ++at) got.push_back(events[at].mEdgeT);
            EXPECT_TRUE(std::is_sorted(got.begin(), got.end()));
            EXPECT_EQ(std::multiset<float>(got.begin(), got.end()), expect) << "toy " << k << " edge " << i;
            total += static_cast<int32_t>(got.size());
        }
        EXPECT_EQ(at, events.Count());
    }
    EXPECT_GT(total, 100);
}

TEST_F(SpatialGridTest, InsertUpdateAndReleaseKeepTheGridConsistent)
{
    Random r;
    AddRandomToys(r, 300);
    std::vector<Toy*> inGrid;
    for (const auto& t : mToys) inGrid.push_back(t.get());
    ExpectToysConsistent(mGrid, inGrid);

    for (int32_t round = 0; round < 20; ++round) {
        for (size_t i = 0; i < mToys.size(); ++i) {
            Toy& toy = *mToys[i];
            const int32_t action = r.NextInt(10);
            const bool present = mGrid.GetToyStore().IsObjectInUse(toy.mGridSlot);
            if (action == 0 && present) {
                EXPECT_TRUE(mGrid.ReleaseToy(toy));
                EXPECT_EQ(toy.mGridSlot, -1);
                EXPECT_EQ(toy.mGridEntryCount, 0);
                EXPECT_FALSE(mGrid.UpdateToy(toy)) << "an update of a toy not in the grid";
            } else if (action == 1 && !present) {
                EXPECT_TRUE(mGrid.InsertToy(toy));
            } else if (present) {
                // Moves of every size, some leaving the grid, and now and then a new point count.
                const VectorF move = RandomOffset(r, action == 2 ? 900.0f : 12.0f);
                for (VectorF& p : toy.mOutline) p += move;
                if (action == 3) toy.mOutline.PushBack(toy.mOutline[0] + RandomOffset(r, 10.0f));
                EXPECT_TRUE(mGrid.UpdateToy(toy));
            }
        }
        inGrid.clear();
        for (const auto& t : mToys)
            if (t->mGridSlot >= 0) inGrid.push_back(t.get());
        ExpectToysConsistent(mGrid, inGrid);
    }
}

TEST_F(SpatialGridTest, InsertionRefusesWhatItCannotFile)
{
    auto two = MakeOutlineToy({{10, 10}, {20, 20}}, 0);
    EXPECT_FALSE(mGrid.InsertToy(*two));
    EXPECT_EQ(two->mGridSlot, -1);
    auto toy = MakeOutlineToy({{10, 10}, {20, 10}, {20, 20}}, 1);
    ASSERT_TRUE(mGrid.InsertToy(*toy));
    EXPECT_FALSE(mGrid.InsertToy(*toy)) << "entered twice";
    EXPECT_EQ(mGrid.GetToyStore().GetUsedObjectCount(), 1);

    const VectorF line[2] = {{0, 0}, {5, 5}};
    EXPECT_EQ(mGrid.InsertStaticPolygon(line, 2), -1);
    EXPECT_FALSE(mGrid.UpdateStaticEntry(-1, StaticOutline{}));
    EXPECT_FALSE(mGrid.ReleaseStaticEntry(-1));
    // Edges with a point that is not a number are kept out of every cell; an
    // edge reaching to infinity is filed in the cells it covers on the grid.
    const VectorF bad[3] = {{kNaN, 0}, {10, 10}, {20, kInf}};
    const int32_t slot = mGrid.InsertStaticPolygon(bad, 3);
    ASSERT_GE(slot, 0);
    const std::set<int32_t> cells = ExpectedCells(mGrid, bad[1], bad[2]);
    EXPECT_GT(cells.size(), 100u);
    EXPECT_EQ(mGrid.GetStaticStore().GetUsedEntryCount(), static_cast<int32_t>(cells.size()));
    EXPECT_TRUE(mGrid.ReleaseStaticEntry(slot));
    EXPECT_EQ(mGrid.GetStaticStore().GetUsedEntryCount(), 0);
}

TEST_F(SpatialGridTest, TerrainUpdatesMoveTheEdgesAndReleaseRemovesThem)
{
    // Clockwise on screen, as every outline: edges are hit from the outside.
    std::vector<VectorF> square = {{100, 100}, {200, 100}, {200, 200}, {100, 200}};
    const int32_t slot = mGrid.InsertStaticPolygon(square.data(), 4);
    ASSERT_GE(slot, 0);
    GridSegmentQuery q;
    q.mFrom = {150, 50};
    q.mTo = {150, 150};
    GridSegmentHit hit;
    ASSERT_TRUE(mGrid.QuerySegment(q, Context(), hit));
    EXPECT_EQ(hit.mPoint, VectorF(150, 100));

    for (VectorF& p : square) p += VectorF(0, 20);
    square.push_back(VectorF(50, 170));  // and one point more, off the top edge
    StaticOutline moved;
    moved.mPoints = square.data();
    moved.mCount = 5;
    ASSERT_TRUE(mGrid.UpdateStaticEntry(slot, moved));
    ASSERT_TRUE(mGrid.QuerySegment(q, Context(), hit));
    EXPECT_EQ(hit.mPoint, VectorF(150, 120));
    EXPECT_EQ(mGrid.GetStaticStore().GetUsedNodeCount(), 5);

    ASSERT_TRUE(mGrid.ReleaseStaticEntry(slot));
    EXPECT_FALSE(mGrid.QuerySegment(q, Context(), hit));
    EXPECT_EQ(mGrid.GetStaticStore().GetUsedEntryCount(), 0);
}

TEST_F(SpatialGridTest, QueryStampsSurviveWrapping)
{
    // A long wall listed in many cells must be tested once per query, also
    // across the wrap of the stamp counter.
    const VectorF wall[3] = {{100, 500}, {1900, 500}, {1000, 520}};
    ASSERT_GE(mGrid.InsertStaticPolygon(wall, 3), 0);
    GridSegmentQuery q;
    q.mFrom = {150, 400};
    q.mTo = {1850, 600};
    q.mReportInside = true;  // edges seen from behind are tested too
    for (int32_t stamp : {INT32_MAX - 2, INT32_MAX - 1, INT32_MAX, 1}) {
        if (stamp != 1) Context().SetStamp(stamp);
        StatSetInt(kStatLineIntersectCalls, 0);
        GridSegmentHit hit;
        ASSERT_TRUE(mGrid.QuerySegment(q, Context(), hit));
        EXPECT_EQ(StatGetInt(kStatLineIntersectCalls), 3) << "each edge tested once at stamp " << stamp;
        EXPECT_GT(Context().GetStamp(), 0);
    }
    Context().SetStamp(INT32_MAX);
    EXPECT_EQ(Context().Advance(), 1);
}

TEST_F(SpatialGridTest, AQueryWithinOneCellTestsOnlyThatCell)
{
    // A triangle inside one cell and one far away; a short query inside that
    // cell meets only the near one's edges.
    const VectorF corner(static_cast<float>(mGrid.GetBounds().mP1.mX + 16 * SpatialGrid::kCellSize),
                         static_cast<float>(mGrid.GetBounds().mP1.mY + 40 * SpatialGrid::kCellSize));
    const VectorF near[3] = {corner + VectorF(1, 1), corner + VectorF(6, 1), corner + VectorF(3, 6)};
    const VectorF far[3] = {{801, 801}, {806, 801}, {803, 806}};
    ASSERT_GE(mGrid.InsertStaticPolygon(near, 3), 0);
    ASSERT_GE(mGrid.InsertStaticPolygon(far, 3), 0);
    GridSegmentQuery q;
    q.mFrom = corner + VectorF(0.5f, 3.0f);
    q.mTo = corner + VectorF(7.5f, 3.5f);
    q.mReportInside = true;
    CellRange range;
    ASSERT_TRUE(mGrid.GetCellRange(q.mFrom, q.mTo, range));
    ASSERT_TRUE(range.IsSingleCell());
    const int32_t stamp = Context().GetStamp();
    StatSetInt(kStatLineIntersectCalls, 0);
    GridSegmentHit hit;
    EXPECT_TRUE(mGrid.QuerySegment(q, Context(), hit));
    EXPECT_EQ(StatGetInt(kStatLineIntersectCalls), 3);
    EXPECT_EQ(Context().GetStamp(), stamp) << "the one-cell path needs no stamp";
}

TEST_F(SpatialGridTest, ParallelQueriesWithTheirOwnContextsMatchSerialOnes)
{
    Random r;
    AddRandomTerrain(r, 800);
    AddRandomToys(r, 400);
    std::vector<GridSegmentQuery> queries(4000);
    for (GridSegmentQuery& q : queries) {
        q.mFrom = RandomPoint(r);
        q.mTo = q.mFrom + RandomOffset(r, 300.0f);
    }
    std::vector<GridSegmentHit> serial(queries.size()), parallel(queries.size());
    for (size_t i = 0; i < queries.size(); ++i) mGrid.QuerySegment(queries[i], Context(), serial[i]);
    WorkTeam team(4);
    mGrid.ReserveQueryContexts(team.GetThreadCount());
    team.For(static_cast<int32_t>(queries.size()), 8, true, [&](int32_t i, int32_t thread) {
        mGrid.QuerySegment(queries[static_cast<size_t>(i)], mGrid.GetQueryContext(thread),
                           parallel[static_cast<size_t>(i)]);
    });
    for (size_t i = 0; i < queries.size(); ++i) {
        EXPECT_EQ(parallel[i].mT, serial[i].mT);
        EXPECT_EQ(parallel[i].mPoint, serial[i].mPoint);
        EXPECT_EQ(parallel[i].mToy, serial[i].mToy);
        EXPECT_EQ(parallel[i].mStaticSegment, serial[i].mStaticSegment);
    }
}

namespace {

// Round outlines of many short edges, as the run's main users have: the
// paths of neighbouring points meet the same cells again and again.
std::vector<VectorF> RoundOutline(const VectorF& centre, float radius, int32_t points)
{
    std::vector<VectorF> outline;
    for (int32_t i = 0; i < points; ++i) {
        // Clockwise on screen, as the grid's toys wind.
        const float a = 6.2831853f * static_cast<float>(i) / static_cast<float>(points);
        outline.push_back(centre + VectorF(radius * std::cos(a), radius * std::sin(a)));
    }
    return outline;
}

void ExpectSameHit(bool gotRun, const GridSegmentHit& run, bool gotPlain, const GridSegmentHit& plain,
                   const char* name, size_t query)
{
    EXPECT_EQ(gotRun, gotPlain) << name << " query " << query;
    EXPECT_EQ(run.mT, plain.mT) << name << " query " << query;
    EXPECT_EQ(run.mPoint, plain.mPoint) << name << " query " << query;
    EXPECT_EQ(run.mStaticSegment, plain.mStaticSegment) << name << " query " << query;
    EXPECT_EQ(run.mToy, plain.mToy) << name << " query " << query;
    EXPECT_EQ(run.mToyPoint, plain.mToyPoint) << name << " query " << query;
    EXPECT_EQ(run.mInside, plain.mInside) << name << " query " << query;
}

} // namespace

TEST_F(SpatialGridTest, QueryRunsAnswerAsSingleQueries)
{
    Random r;
    AddRandomTerrain(r, 600);
    AddRandomToys(r, 300);
    // Round toys crowded into one corner, where cells list many edges of several toys.
    std::vector<Toy*> round;
    for (int32_t i = 0; i < 60; ++i) {
        const VectorF centre(r.NextFloatInRange(100.0f, 300.0f), r.NextFloatInRange(100.0f, 300.0f));
        mToys.push_back(MakeOutlineToy(RoundOutline(centre, r.NextFloatInRange(6.0f, 30.0f), 40 + i), 300 + i));
        ASSERT_TRUE(mGrid.InsertToy(*mToys.back()));
        round.push_back(mToys.back().get());
    }
    Robot* robot = reinterpret_cast<Robot*>(static_cast<uintptr_t>(0x1000));  // only compared, never read
    for (size_t i = 0; i < mToys.size(); i += 5) mToys[i]->mOwningRobot = robot;
    for (size_t i = 0; i < mToys.size(); i += 7) mToys[i]->mPairFlags[round[0]->mSlotIndex] = 0;
    int placeholder = 0;
    const void* owner = &placeholder;

    // Each case is one run: its queries in order, as a toy's step would ask them.
    enum class Kind {
        kOutlinePaths,
        kLongPaths,
        kFiltersChange,
        kTwoCellsInTurn,
        kOffTheGrid,
        kInsideReports,
        kOnCellBorders
    };
    // The grid's corner: cell borders lie a whole number of cells from it.
    const VectorF corner(static_cast<float>(mGrid.GetBounds().mP1.mX), static_cast<float>(mGrid.GetBounds().mP1.mY));
    const float cellSize = static_cast<float>(SpatialGrid::kCellSize);
    auto onBorder = [&](float v, float origin, int32_t ulps) {
        float b = origin + std::round((v - origin) / cellSize) * cellSize;
        for (; ulps > 0; --ulps) b = std::nextafter(b, kInf);
        for (; ulps < 0; ++ulps) b = std::nextafter(b, -kInf);
        return b;
    };
    // Terrain edges lying on row borders, listed only in the cells below
    // them: a path that ends on such a border meets them in the next row.
    for (float y = 96.0f; y < 310.0f; y += 2.0f * cellSize) {
        const float b = onBorder(y, corner.mY, 0);
        const VectorF below[3] = {{60.0f, b}, {340.0f, b}, {200.0f, b + 3.0f}};
        const VectorF above[3] = {{340.0f, b + cellSize}, {60.0f, b + cellSize}, {200.0f, b + cellSize + 3.0f}};
        ASSERT_GE(mGrid.InsertStaticPolygon(below, 3), 0);
        ASSERT_GE(mGrid.InsertStaticPolygon(above, 3), 0);
    }
    struct Case {
        const char* name;
        Kind kind;
    };
    const Case cases[] = {
        {"each point's short path, outline order", Kind::kOutlinePaths},
        {"paths leaving their cells among short ones", Kind::kLongPaths},
        {"the filters change within one cell", Kind::kFiltersChange},
        {"two cells in turn", Kind::kTwoCellsInTurn},
        {"ends off the grid or not numbers", Kind::kOffTheGrid},
        {"inside reports among plain queries", Kind::kInsideReports},
        {"ends on cell borders and a hair either side", Kind::kOnCellBorders},
    };
    int32_t toyHits = 0, terrainHits = 0;
    for (const Case& c : cases) {
        int32_t copied = 0;
        for (Toy* toy : round) {
            std::vector<GridSegmentQuery> queries;
            const int32_t n = toy->mOutline.Count();
            for (int32_t i = n - 1; i >= 0; --i) {
                GridSegmentQuery q;
                q.mFrom = toy->mOutline[i];
                q.mTo = q.mFrom + RandomOffset(r, 1.5f);
                q.mMover = GridMover::kToy;
                q.mExcludedToy = toy;
                switch (c.kind) {
                case Kind::kOutlinePaths:
                    q.mExcludedRobot = toy->mOwningRobot;
                    break;
                case Kind::kLongPaths:
                    if (i % 3 == 0) q.mTo = q.mFrom + RandomOffset(r, 24.0f);
                    break;
                case Kind::kFiltersChange: {
                    // Every few points, so that copies are made before the filters change.
                    const int32_t j = i / 3;
                    q.mExcludedToy = j % 2 ? toy : round[0];
                    q.mExcludedRobot = j % 3 ? robot : nullptr;
                    q.mTestToys = j % 5 != 0;
                    q.mTestStatic = j % 7 != 0;
                    q.mMover = j % 4 ? GridMover::kToy : GridMover::kParticle;
                    q.mExcludedOwner = j % 6 ? nullptr : owner;
                    q.mExcludedSlot = j % 8 ? -1 : 3;
                    break;
                }
                case Kind::kTwoCellsInTurn:
                    q.mFrom = toy->mOutline[(i / 2) % 2 ? i : (i + n / 2) % n];
                    q.mTo = q.mFrom + RandomOffset(r, 1.0f);
                    break;
                case Kind::kOffTheGrid: {
                    const float far = i % 2 ? -50.0f : kWorld.x2 + 50.0f;
                    if (i % 4 == 0) q.mTo = {far, q.mFrom.mY};
                    if (i % 4 == 1) q.mFrom = {far, q.mFrom.mY};
                    if (i % 9 == 0) q.mTo = {kNaN, q.mFrom.mY};
                    if (i % 11 == 0) q.mFrom = {q.mFrom.mX, kInf};
                    break;
                }
                case Kind::kInsideReports:
                    q.mReportInside = i % 3 == 0;
                    break;
                case Kind::kOnCellBorders:
                    if (i % 3 != 2) q.mFrom.mX = onBorder(q.mFrom.mX, corner.mX, i % 3 - 1);
                    if (i % 4 != 3) q.mTo.mY = onBorder(q.mTo.mY, corner.mY, i % 4 - 1);
                    break;
                }
                queries.push_back(q);
            }
            GridQueryRun run(mGrid, Context());
            for (size_t k = 0; k < queries.size(); ++k) {
                GridSegmentHit a, b;
                const bool gotRun = run.QuerySegment(queries[k], a);
                // A plain query on the same context between the run's queries must not disturb it.
                const bool gotPlain = mGrid.QuerySegment(queries[k], Context(), b);
                ExpectSameHit(gotRun, a, gotPlain, b, c.name, k);
                toyHits += gotRun && a.mToy ? 1 : 0;
                terrainHits += gotRun && a.mStaticSegment >= 0 ? 1 : 0;
            }
            copied += Context().Gather().mCell >= 0 ? 1 : 0;
        }
        EXPECT_GT(copied, 10) << c.name << ": the copies must be exercised, not only the plain walk";
    }
    EXPECT_GT(toyHits, 200);
    EXPECT_GT(terrainHits, 200);
}

TEST(SpatialGridQueryRun, ANewRunSeesWhatChangedInTheGridSinceTheLastRun)
{
    // Toy 0 with terrain just inside it, which its points' inward paths
    // cross; toy 1 far away until a change brings it.
    struct World {
        SpatialGrid grid;
        std::vector<std::unique_ptr<Toy>> toys;
        int32_t terrain = -1;
        World()
        {
            EXPECT_TRUE(grid.SetupCells(kWorld));
            toys.push_back(MakeOutlineToy(RoundOutline({400, 400}, 20.0f, 60), 0));
            toys.push_back(MakeOutlineToy(RoundOutline({1400, 400}, 20.0f, 60), 1));
            for (const auto& t : toys) EXPECT_TRUE(grid.InsertToy(*t));
            terrain = grid.InsertStaticPolygon(RoundOutline({400, 400}, 18.5f, 30).data(), 30);
        }
        GridSegmentQuery Path(int32_t i) const
        {
            GridSegmentQuery q;
            q.mFrom = toys[0]->mOutline[i];
            q.mTo = q.mFrom - (q.mFrom - VectorF(400, 400)) * 0.1f;
            q.mMover = GridMover::kToy;
            q.mExcludedToy = toys[0].get();
            return q;
        }
    };
    auto moveIn = [](World& w) {
        for (VectorF& p : w.toys[1]->mOutline) p += VectorF(-1000.5f, 0.25f);
        return w.grid.UpdateToy(*w.toys[1]);
    };
    struct Change {
        const char* name;
        std::function<bool(World&)> apply;
    };
    const Change changes[] = {
        {"a toy moved into the cells", moveIn},
        {"that toy's outline bent in place",
         [&](World& w) {
             if (!moveIn(w)) return false;
             for (int32_t i = 0; i < w.toys[1]->mOutline.Count(); i += 2) w.toys[1]->mOutline[i] += VectorF(0.75f, -0.5f);
             return w.grid.UpdateToy(*w.toys[1]);
         }},
        {"the terrain there switched off", [](World& w) { return w.grid.SetStaticEntryDisabled(w.terrain, true); }},
    };
    for (const Change& c : changes) {
        // A path within one cell whose answer the change alters, found with plain queries.
        int32_t probe = -1;
        {
            World before, after;
            ASSERT_TRUE(c.apply(after)) << c.name;
            for (int32_t i = 0; i < before.toys[0]->mOutline.Count() && probe < 0; ++i) {
                CellRange range;
                const GridSegmentQuery q = before.Path(i);
                if (!before.grid.GetCellRange(q.mFrom, q.mTo, range) || !range.IsSingleCell()) continue;
                GridSegmentHit a, b;
                before.grid.QuerySegment(q, before.grid.GetQueryContext(), a);
                after.grid.QuerySegment(q, after.grid.GetQueryContext(), b);
                if (a.mToy != b.mToy || a.mStaticSegment != b.mStaticSegment) probe = i;
            }
        }
        ASSERT_GE(probe, 0) << c.name << " must change what some path hits";
        // One run copies the probe's cell out; the grid changes; the next run
        // asks the same paths and must answer as plain queries do.
        World w;
        GridQueryContext& context = w.grid.GetQueryContext();
        const GridSegmentQuery q = w.Path(probe);
        GridSegmentHit hit;
        {
            GridQueryRun run(w.grid, context);
            run.QuerySegment(q, hit);
            run.QuerySegment(q, hit);
        }
        ASSERT_GE(context.Gather().mCell, 0);
        ASSERT_TRUE(c.apply(w)) << c.name;
        GridQueryRun run(w.grid, context);
        for (int32_t k = 0; k < 2; ++k) {
            GridSegmentHit plain;
            const bool gotRun = run.QuerySegment(q, hit);
            ExpectSameHit(gotRun, hit, w.grid.QuerySegment(q, context, plain), plain, c.name, static_cast<size_t>(k));
        }
    }
}

TEST(SpatialGridReadRecord, HoldsUntilACellItReadChanges)
{
    // Toy 0's points' paths read the cells around it; toy 1 and a second
    // piece of terrain lie far away until a change brings them.
    struct World {
        SpatialGrid grid;
        std::vector<std::unique_ptr<Toy>> toys;
        int32_t near = -1;
        int32_t far = -1;
        World()
        {
            EXPECT_TRUE(grid.SetupCells(kWorld));
            toys.push_back(MakeOutlineToy(RoundOutline({400, 400}, 20.0f, 60), 0));
            toys.push_back(MakeOutlineToy(RoundOutline({1400, 400}, 20.0f, 60), 1));
            for (const auto& t : toys) EXPECT_TRUE(grid.InsertToy(*t));
            near = grid.InsertStaticPolygon(RoundOutline({400, 400}, 18.5f, 30).data(), 30);
            far = grid.InsertStaticPolygon(RoundOutline({1400, 1400}, 18.5f, 30).data(), 30);
        }
        // Every point's inward path: the first half's through a query run,
        // which copies their cells out, the rest's with plain walks, some
        // of those reaching the centre over several cells.
        static float Reach(int32_t i, int32_t n) { return i >= n / 2 && i % 7 == 0 ? 1.0f : 0.1f; }
        void Query(GridQueryContext& context)
        {
            GridQueryRun run(grid, context);
            const Toy& toy = *toys[0];
            for (int32_t i = 0; i < toy.mOutline.Count(); ++i) {
                GridSegmentQuery q;
                q.mFrom = toy.mOutline[i];
                q.mTo = q.mFrom - (q.mFrom - VectorF(400, 400)) * Reach(i, toy.mOutline.Count());
                q.mMover = GridMover::kToy;
                q.mExcludedToy = &toy;
                GridSegmentHit hit;
                if (i < toy.mOutline.Count() / 2)
                    run.QuerySegment(q, hit);
                else
                    grid.QuerySegment(q, context, hit);
            }
        }
    };
    auto shift = [](World& w, int32_t toy, const VectorF& by) {
        for (VectorF& p : w.toys[static_cast<size_t>(toy)]->mOutline) p += by;
        return w.grid.UpdateToy(*w.toys[static_cast<size_t>(toy)]);
    };
    struct Change {
        const char* name;
        std::function<bool(World&)> apply;
        bool holds;
    };
    const Change changes[] = {
        {"nothing", [](World&) { return true; }, true},
        {"a toy moved far from the cells", [&](World& w) { return shift(w, 1, {0.0f, 300.0f}); }, true},
        {"terrain far away switched off", [](World& w) { return w.grid.SetStaticEntryDisabled(w.far, true); }, true},
        {"a toy moved into the cells", [&](World& w) { return shift(w, 1, {-1000.5f, 0.25f}); }, false},
        {"the terrain there switched off", [](World& w) { return w.grid.SetStaticEntryDisabled(w.near, true); }, false},
        {"the terrain there reshaped",
         [](World& w) {
             StaticOutline outline;
             const std::vector<VectorF> points = RoundOutline({400, 400}, 17.0f, 30);
             outline.mPoints = points.data();
             outline.mCount = 30;
             return w.grid.UpdateStaticEntry(w.near, outline);
         },
         false},
        {"the terrain there released", [](World& w) { return w.grid.ReleaseStaticEntry(w.near); }, false},
        {"the reading toy relinked", [&](World& w) { return shift(w, 0, {0.5f, 0.0f}); }, false},
        {"the grid set up anew", [](World& w) { return w.grid.SetupCells(kWorld); }, false},
    };
    {
        // A run's query within one cell reads the cell it copies out, though no walk covers it.
        World w;
        GridQueryContext& context = w.grid.GetQueryContext();
        GridReadLog log;
        context.SetReadLog(&log);
        GridQueryRun run(w.grid, context);
        GridSegmentQuery q;
        q.mFrom = VectorF(400.5f, 400.5f);
        q.mTo = VectorF(400.75f, 400.25f);
        GridSegmentHit hit;
        run.QuerySegment(q, hit);
        context.SetReadLog(nullptr);
        ASSERT_EQ(log.mRanges.Count(), 1);
        EXPECT_TRUE(log.mRanges[0].IsSingleCell());
        EXPECT_EQ(w.grid.GetCellIndex(log.mRanges[0].mColumn0, log.mRanges[0].mRow0), w.grid.GetCellIndex(q.mFrom));
    }
    for (const Change& c : changes) {
        World w;
        GridQueryContext& context = w.grid.GetQueryContext();
        GridReadLog log;
        context.SetReadLog(&log);
        w.Query(context);
        context.SetReadLog(nullptr);
        // The record lists every cell the paths' walks cover, each once.
        std::set<int32_t> walked;
        const Toy& toy = *w.toys[0];
        for (int32_t i = 0; i < toy.mOutline.Count(); ++i) {
            const VectorF from = toy.mOutline[i];
            const std::set<int32_t> cells =
                ExpectedCells(w.grid, from, from - (from - VectorF(400, 400)) * World::Reach(i, toy.mOutline.Count()));
            walked.insert(cells.begin(), cells.end());
        }
        GridReadRecord record;
        ASSERT_TRUE(record.Keep(w.grid, log)) << c.name;
        EXPECT_EQ(std::set<int32_t>(record.Cells().begin(), record.Cells().end()), walked) << c.name;
        EXPECT_EQ(record.Cells().Count(), static_cast<int32_t>(walked.size())) << c.name;
        ASSERT_TRUE(c.apply(w)) << c.name;
        EXPECT_EQ(record.Holds(w.grid), c.holds) << c.name;
    }
}
