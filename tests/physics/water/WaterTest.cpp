#include <gtest/gtest.h>
#include <cmath>
#include <string>
#include <vector>
#include "physics/water/Water.h"
#include "physics/world/Scene.h"
#include "support/TerrainPictures.h"

using namespace KIV;

namespace {

using Polygon = std::vector<VectorF>;

// Terrain outlines run clockwise on screen (y grows downward), as traced
// pictures do: the open side of every edge is to its left on screen.
Polygon Box(float x1, float y1, float x2, float y2) { return {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}}; }

// A U of solid terrain: arms from y = 0 down to the floor, whose inner top
// lies at y = floorTop; the cavity spans inner x from innerLeft to innerRight.
Polygon Basin(float innerLeft, float innerRight, float floorTop)
{
    const float outerLeft = innerLeft - 10.0f, outerRight = innerRight + 10.0f, bottom = floorTop + 10.0f;
    return {{outerLeft, 0},         {innerLeft, 0},         {innerLeft, floorTop}, {innerRight, floorTop},
            {innerRight, 0},        {outerRight, 0},        {outerRight, bottom},  {outerLeft, bottom}};
}

struct TraceCase {
    const char* mName;
    std::vector<Polygon> mTerrain;
    VectorF mSeed;
    std::vector<VectorF> mOutline;  // empty: no pool
    int32_t mSpanPoints;            // points of the single surface span, 0 for none
};

class WaterTraceTest : public ::testing::TestWithParam<TraceCase> {};

std::string CaseName(const ::testing::TestParamInfo<TraceCase>& info) { return info.param.mName; }

// The outline with the surface's inserted points left out: the corners the trace found.
std::vector<VectorF> Corners(const Water& water)
{
    std::vector<VectorF> corners;
    for (int32_t i = 0; i < water.mOutline.Count(); ++i) {
        bool inserted = false;
        for (int32_t s = 0; s < water.mSpans.Count(); ++s) {
            const WaterSpan& span = *water.mSpans[s];
            inserted |= i > span.mFirstPoint && i < span.mFirstPoint + span.mPointCount - 1;
        }
        if (!inserted) corners.push_back(water.mOutline[i]);
    }
    return corners;
}

TEST_P(WaterTraceTest, TracesThePoolTheTerrainEncloses)
{
    const TraceCase& c = GetParam();
    Scene scene;
    ASSERT_TRUE(scene.SetupGrid(RectF(-500, -500, 1500, 1500)));
    for (const Polygon& p : c.mTerrain)
        ASSERT_GE(scene.GetGrid().InsertStaticPolygon(p.data(), int32_t(p.size())), 0);

    Water* water = scene.AddWater(c.mSeed);
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(water->mOwner, &scene);
    const std::vector<VectorF> corners = Corners(*water);
    ASSERT_EQ(corners.size(), c.mOutline.size());
    for (size_t i = 0; i < corners.size(); ++i) {
        EXPECT_FLOAT_EQ(corners[i].mX, c.mOutline[i].mX) << "point " << i;
        EXPECT_FLOAT_EQ(corners[i].mY, c.mOutline[i].mY) << "point " << i;
    }
    if (c.mOutline.empty()) {
        EXPECT_TRUE(water->IsEmpty());
        EXPECT_EQ(water->mGeometry.GetTriangleCount(), 0);
        EXPECT_EQ(water->mSurfaceShape.mPoints.Count(), 0);
        EXPECT_EQ(water->mOutlineShape.mPoints.Count(), 0);
        return;
    }
    EXPECT_EQ(water->GetLevel(), c.mSeed.mY);
    // The surface: one span from the first point, sampled about every 10 units.
    ASSERT_EQ(water->mSpans.Count(), 1);
    EXPECT_EQ(water->mSpans[0]->mFirstPoint, 0);
    EXPECT_EQ(water->mSpans[0]->mPointCount, c.mSpanPoints);
    for (int32_t i = 0; i < c.mSpanPoints; ++i) EXPECT_EQ(water->mOutline[i].mY, c.mSeed.mY);
    // The traced geometry is meshed, and the debug outline draws every edge with two marks per point.
    EXPECT_GT(water->mGeometry.GetTriangleCount(), 0);
    EXPECT_EQ(water->mGeometry.mOutlineCount, water->mOutline.Count());
    EXPECT_EQ(water->mOutlineShape.mPoints.Count(), water->mOutline.Count() * 6);
    EXPECT_EQ(water->mOutlineShape.mKind, 1);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, WaterTraceTest,
    ::testing::Values(
        // Nothing to the right of the seed: the first cast hits nothing.
        TraceCase{"NoTerrainToTheRight", {Box(-100, 90, 60, 100)}, {80, 50}, {}, 0},
        // The right wall is thin and open behind: from inside it the level line
        // meets the face of the block beyond, so the water would run out.
        TraceCase{"WallOpenBehind", {Basin(10, 90, 90), Box(150, 20, 200, 100)}, {50, 50}, {}, 0},
        // The same basin with nothing behind its wall holds the pool.
        TraceCase{"WallSolidBehind",
                  {Basin(10, 90, 90), Box(150, 60, 200, 100)},
                  {50, 50},
                  {{10.01f, 50}, {90, 50}, {90, 90}, {10, 90}},
                  9},
        // A level stretch 95 units long (10.01 to 105): m = 11, nine points between its ends.
        TraceCase{"SurfaceOf95UnitsGetsNinePoints",
                  {Basin(10, 105.01f, 90)},
                  {50, 50},
                  {{10.01f, 50}, {105.01f, 50}, {105.01f, 90}, {10, 90}},
                  11},
        // Along the level to the right wall, down its vertices in decreasing
        // index order, back up to the level at the left wall.
        TraceCase{"ClosedBasinInTracedOrder",
                  {Basin(10, 90, 90)},
                  {50, 50},
                  {{10.01f, 50}, {90, 50}, {90, 90}, {10, 90}},
                  9},
        // Three objects: the trace passes from the right wall to the floor to
        // the left wall where each meets the next.
        TraceCase{"BasinOfThreeObjects",
                  {Box(0, 0, 10, 100), Box(90, 0, 100, 100), Box(0, 90, 100, 100)},
                  {50, 50},
                  {{10.01f, 50}, {90, 50}, {89.99f, 90}, {10, 89.99f}},
                  9}),
    CaseName);

// A U whose floor rises to a peak at (50, 50) between two hollows.
Polygon PeakedBasin()
{
    return {{0, 0},  {10, 0},  {10, 90}, {40, 90},   {50, 50}, {60, 90},
            {90, 90}, {90, 0}, {100, 0}, {100, 100}, {0, 100}};
}

// Basin(10, 90, 90) with `copies` copies of the point `extra` put before its vertex `at`.
Polygon BasinWith(int32_t at, VectorF extra, int32_t copies)
{
    Polygon p = Basin(10, 90, 90);
    p.insert(p.begin() + at, size_t(copies), extra);
    return p;
}

// The pool of Basin(10, 90, 90) seeded at (50, 50).
const std::vector<VectorF> kBasinPool = {{10.01f, 50}, {90, 50}, {90, 90}, {10, 90}};

// Seeds and levels that meet the terrain exactly, terrain that touches itself
// and edges of no length: each ends in the pool the water would fill, or in
// none, and never in one that runs round the outside of the rock.
INSTANTIATE_TEST_SUITE_P(
    StrangeBasins, WaterTraceTest,
    ::testing::Values(
        // Level with the tops of both arms: the pool fills the basin to the
        // brim instead of running over the rims and round the outer faces.
        TraceCase{"LevelThroughTheRims", {Basin(10, 90, 90)}, {50, 0}, {{10.01f, 0}, {90, 0}, {90, 90}, {10, 90}}, 9},
        TraceCase{"SeedOnARimVertex", {Basin(10, 90, 90)}, {10, 0}, {{10.01f, 0}, {90, 0}, {90, 90}, {10, 90}}, 9},
        // A seed on the floor, or on a wall's face, has no water below it to its right.
        TraceCase{"SeedOnAFloorVertex", {Basin(10, 90, 90)}, {10, 90}, {}, 0},
        TraceCase{"SeedOnAWallFace", {Basin(10, 90, 90)}, {90, 50}, {}, 0},
        // A wall vertex exactly on the level changes nothing.
        TraceCase{"LevelThroughAWallVertex",
                  {BasinWith(4, {90, 50}, 1)},
                  {50, 50},
                  kBasinPool,
                  9},
        // A peak that just reaches the level parts two pools: right of it the
        // pool ends at the peak; left of it the water would run over the peak
        // (as over an open wall), so there is none.
        TraceCase{"LevelThroughAPeakRightOfIt",
                  {PeakedBasin()},
                  {70, 50},
                  {{50.01f, 50}, {90, 50}, {90, 90}, {60, 90}},
                  5},
        TraceCase{"LevelThroughAPeakLeftOfIt", {PeakedBasin()}, {20, 50}, {}, 0},
        // Walls that stand on the floor, sharing its edge: the trace passes
        // from one object to the next where they touch.
        TraceCase{"TouchingObjects",
                  {Box(0, 0, 10, 90), Box(0, 90, 100, 100), Box(90, 0, 100, 90)},
                  {50, 50},
                  {{10.01f, 50}, {90, 50}, {89.99f, 90}, {10, 89.99f}},
                  9},
        // A vertex given twice makes an edge of no length, which the trace
        // steps over instead of taking the repeated point for the closing one.
        TraceCase{"ZeroLengthEdgeInTheFloor",
                  {BasinWith(3, {10, 90}, 1)},
                  {50, 50},
                  kBasinPool,
                  9},
        TraceCase{"ZeroLengthEdgeAtTheLevel",
                  {BasinWith(4, {90, 50}, 2)},
                  {50, 50},
                  kBasinPool,
                  9}),
    CaseName);

// An outline entered the other way round (edge i runs to point i - 1) holds the same pool.
TEST(WaterTrace, ReversedOutlineHoldsTheSamePool)
{
    Scene scene;
    ASSERT_TRUE(scene.SetupGrid(RectF(-500, -500, 1500, 1500)));
    Polygon basin = Basin(10, 90, 90);
    std::reverse(basin.begin(), basin.end());
    StaticOutline outline;
    outline.mPoints = basin.data();
    outline.mCount = int32_t(basin.size());
    outline.mReversed = true;
    ASSERT_GE(scene.GetGrid().InsertStaticEntry(outline), 0);

    Water* water = scene.AddWater({50, 50});
    ASSERT_NE(water, nullptr);
    const std::vector<VectorF> corners = Corners(*water);
    ASSERT_EQ(corners.size(), 4u);
    EXPECT_EQ(corners[0], VectorF(10.01f, 50));
    EXPECT_EQ(corners[1], VectorF(90, 50));
    EXPECT_EQ(corners[2], VectorF(90, 90));
    EXPECT_EQ(corners[3], VectorF(10, 90));
}

// Owners and seeds the trace cannot use give an empty pool, never a crash or a stale one.
TEST(WaterTrace, UnusableOwnersAndSeedsGiveAnEmptyPool)
{
    Scene scene;
    ASSERT_TRUE(scene.SetupGrid(RectF(-500, -500, 1500, 1500)));
    const Polygon basin = Basin(10, 90, 90);
    ASSERT_GE(scene.GetGrid().InsertStaticPolygon(basin.data(), int32_t(basin.size())), 0);
    const float nan = std::nanf("");
    for (const VectorF& seed : {VectorF(-5000, 50), VectorF(50, 9000), VectorF(nan, 50), VectorF(50, nan)}) {
        Water water;
        ASSERT_TRUE(water.Rebuild(&scene, {50, 50}));
        EXPECT_FALSE(water.Rebuild(&scene, seed)) << seed.mX << ", " << seed.mY;
        EXPECT_TRUE(water.IsEmpty());
        EXPECT_EQ(water.mSurfaceShape.mPoints.Count(), 0);
        EXPECT_EQ(water.mOutlineShape.mPoints.Count(), 0);
    }

    // A scene whose grid was never set up has nothing to trace against.
    Scene gridless;
    Water* water = gridless.AddWater({50, 50});
    ASSERT_NE(water, nullptr);
    EXPECT_TRUE(water->IsEmpty());
    EXPECT_EQ(water->mSpans.Count(), 0);

    // Without an owner nothing is traced and the pool keeps what it had.
    Water kept;
    ASSERT_TRUE(kept.Rebuild(&scene, {50, 50}));
    const int32_t points = kept.mOutline.Count();
    EXPECT_FALSE(kept.Rebuild(nullptr, {50, 50}));
    EXPECT_EQ(kept.mOutline.Count(), points);
}

TEST(WaterList, AppendingSelectsTheFirstPool)
{
    Scene scene;
    EXPECT_EQ(scene.mWaters.GetSelectedIndex(), -1);
    ASSERT_NE(scene.AddWater({0, 0}), nullptr);
    ASSERT_NE(scene.AddWater({0, 0}), nullptr);
    EXPECT_EQ(scene.mWaters.Count(), 2);
    EXPECT_EQ(scene.mWaters.GetSelectedIndex(), 0);
}

// A basin that is a terrain object: the pool follows the terrain in the grid.
class WaterOnTerrainTest : public TerrainPictureTest {
protected:
    void SetUp() override
    {
        TerrainPictureTest::SetUp();
        ASSERT_TRUE(mScene.SetupGrid(RectF(-500, -500, 1500, 1500)));
        // A U: arms 20 wide, floor 20 thick, the cavity 80 wide and 80 deep.
        TestPicture u(120, 100);
        u.FillRect(0, 0, 20, 100, 120, 90, 60);
        u.FillRect(100, 0, 120, 100, 120, 90, 60);
        u.FillRect(0, 80, 120, 100, 120, 90, 60);
        Write("T\\basin.png", u);
    }
    BendObject* AddBasin()
    {
        BendObject* o = mScene.mTerrainObjects.AppendNew();
        EXPECT_TRUE(o->SetTexture(Library(), "T\\basin.png"));
        o->Move({200, 200});
        mScene.RebuildStaticGrid();
        return o;
    }
    Scene mScene;
};

TEST_F(WaterOnTerrainTest, RemovingTheBasinEmptiesItsPool)
{
    BendObject* basin = AddBasin();
    const VectorF seed = basin->mFrame.GetCentre();
    Water* water = mScene.AddWater(seed);
    ASSERT_NE(water, nullptr);
    ASSERT_FALSE(water->IsEmpty());
    EXPECT_EQ(water->GetLevel(), seed.mY);

    // The object goes and the grid is rebuilt without it: the pool is traced
    // again and finds nothing, instead of drawing water against thin air.
    ASSERT_TRUE(mScene.mTerrainObjects.DeleteAt(0));
    mScene.RebuildStaticGrid();
    EXPECT_TRUE(water->IsEmpty());
    EXPECT_EQ(water->mSurfaceShape.mPoints.Count(), 0);

    // A new basin in the same place holds the pool again.
    AddBasin();
    EXPECT_FALSE(water->IsEmpty());
}

TEST_F(WaterOnTerrainTest, ReleasedGridEntryIsNotTracedThrough)
{
    BendObject* basin = AddBasin();
    Water* water = mScene.AddWater(basin->mFrame.GetCentre());
    ASSERT_FALSE(water->IsEmpty());
    // The object leaves the grid while it still lives: the trace reads the
    // grid only, so the pool empties on its next rebuild.
    ASSERT_TRUE(mScene.GetGrid().ReleaseStaticEntry(basin->mStaticSlot));
    EXPECT_FALSE(water->Retrace());
    EXPECT_TRUE(water->IsEmpty());
}

} // namespace
