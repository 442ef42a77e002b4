#include <gtest/gtest.h>
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/Scenes.h"

using namespace KIV;

namespace {

Array<VectorF> Polygon(std::initializer_list<VectorF> points)
{
    Array<VectorF> a;
    for (const VectorF& p : points) a.PushBack(p);
    return a;
}

} // namespace

TEST(BuildFromPolygon, MeshesCentresAndPlacesTheToyWhateverTheWinding)
{
    const Array<VectorF> windings[] = {Polygon({{0, 0}, {20, 0}, {20, 10}, {0, 10}}),
                                       Polygon({{0, 0}, {0, 10}, {20, 10}, {20, 0}})};
    for (const Array<VectorF>& square : windings) {
        Toy toy;
        ASSERT_TRUE(toy.BuildFromPolygon(square.Data(), square.Count(), 2.0f, {300, 200}, 0.0f));
        EXPECT_FLOAT_EQ(toy.GetArea(), 200.0f);
        EXPECT_FLOAT_EQ(toy.GetWeight(), 400.0f);
        EXPECT_FLOAT_EQ(toy.GetOrigWeight(), 400.0f);
        EXPECT_FLOAT_EQ(toy.mInverseMass, 1.0f / 400.0f);
        EXPECT_GT(toy.GetMomentOfInertia(), 0.0f);
        EXPECT_EQ(toy.GetPosition(), VectorF(300, 200));
        ASSERT_EQ(toy.GetOutlinePointCount(), 4);
        ASSERT_EQ(toy.mPenetrationValues.Count(), 4);
        for (float v : toy.mPenetrationValues) EXPECT_EQ(v, 0.25f);
        RectF box(1e9f, 1e9f, -1e9f, -1e9f);
        float doubleArea = 0.0f;
        for (int32_t i = 0; i < 4; ++i) {
            box.IncludePoint(toy.mOutline[i]);
            doubleArea += Cross(toy.mOutline[i], toy.mOutline[(i + 1) % 4]);
        }
        EXPECT_EQ(box, RectF(290, 195, 310, 205)) << "centred on its centroid";
        EXPECT_GT(doubleArea, 0.0f) << "clockwise on screen, as the mesher builds";
        EXPECT_EQ(toy.mOutline.Data()[4], toy.mOutline[0]) << "the loop is closed";
        EXPECT_EQ(toy.mPointRecords.Count(), 4);
        EXPECT_EQ(toy.mDeformationVectors.Count(), 4);
    }
}

TEST(BuildFromPolygon, RefusesWhatCannotBeMeshedAndLeavesTheToyEmpty)
{
    const Array<VectorF> bad[] = {Polygon({{0, 0}, {10, 0}}), Polygon({{0, 0}, {10, 0}, {20, 0}}),
                                  Polygon({{0, 0}, {1e30f, 0}, {0, 1e30f}})};
    for (const Array<VectorF>& polygon : bad) {
        Toy toy;
        EXPECT_FALSE(toy.BuildFromPolygon(polygon.Data(), polygon.Count(), 1.0f, {0, 0}, 0.0f));
        EXPECT_EQ(toy.GetOutlinePointCount(), 0);
        EXPECT_EQ(toy.GetWeight(), 0.0f);
    }
    Toy toy;
    EXPECT_FALSE(toy.BuildFromPolygon(nullptr, 3, 1.0f, {0, 0}, 0.0f));
}

TEST(BuildFromPolygon, DensityZeroGivesTheMinimumWeight)
{
    const Array<VectorF> square = Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    Toy toy;
    ASSERT_TRUE(toy.BuildFromPolygon(square.Data(), 4, 0.0f, {0, 0}, 0.0f));
    EXPECT_FLOAT_EQ(toy.GetWeight(), 1e-8f);
    // Raising the density from 0 gives the true weight, not an infinite multiple.
    toy.SetDensity(1.0f);
    EXPECT_FLOAT_EQ(toy.GetWeight(), 100.0f);
}

TEST(Scenes, PolygonToysEnterTheTableAndTheGrid)
{
    Scene scene;
    ASSERT_TRUE(Scenes::MakeWalledWorld(scene, {0, 0, 1000, 600}));
    Toy* box = Scenes::AddBoxToy(scene, {30, 20}, {500, 300}, 0.3f);
    ASSERT_NE(box, nullptr);
    EXPECT_GE(box->mGridSlot, 0);
    EXPECT_EQ(box->mGridEntryCount, box->GetOutlinePointCount());
    EXPECT_EQ(scene.GetToyCount(), 1);

    Array<ToyEdgeEntry> edges;
    scene.GetGrid().QueryRect({480, 280, 520, 320}, scene.GetGrid().GetQueryContext(), nullptr, &edges);
    EXPECT_EQ(edges.Count(), box->GetOutlinePointCount());

    // A failed build leaves no toy behind.
    const Array<VectorF> line = Polygon({{0, 0}, {5, 0}, {10, 0}});
    EXPECT_EQ(Scenes::AddPolygonToy(scene, line, {100, 100}), nullptr);
    EXPECT_EQ(scene.GetToyCount(), 1);
    EXPECT_EQ(scene.GetToySlots().GetUsedCount(), 1);
}

TEST(Scenes, TerrainIsHitFromOutsideWhateverTheWinding)
{
    Scene scene;
    ASSERT_TRUE(Scenes::MakeWalledWorld(scene, {0, 0, 1000, 600}, 40.0f));
    const Array<VectorF> counterClockwise = Polygon({{400, 200}, {400, 260}, {460, 260}, {460, 200}});
    ASSERT_GE(Scenes::AddStaticPolygon(scene, counterClockwise), 0);
    struct Case {
        VectorF mFrom, mTo, mHit;
    } const cases[] = {
        {{500, 500}, {500, 590}, {500, 560}},  // down onto the ground slab
        {{100, 300}, {20, 300}, {40, 300}},    // left into the wall
        {{430, 150}, {430, 230}, {430, 200}},  // onto the extra block
    };
    for (const Case& c : cases) {
        GridSegmentQuery q;
        q.mFrom = c.mFrom;
        q.mTo = c.mTo;
        GridSegmentHit hit;
        ASSERT_TRUE(scene.GetGrid().QuerySegment(q, scene.GetGrid().GetQueryContext(), hit));
        EXPECT_EQ(hit.mPoint, c.mHit);
        // From inside nothing is hit, but the crossing is reported.
        q.mFrom = c.mTo;
        q.mTo = c.mFrom;
        q.mReportInside = true;
        EXPECT_FALSE(scene.GetGrid().QuerySegment(q, scene.GetGrid().GetQueryContext(), hit));
        EXPECT_TRUE(hit.mInside);
    }
}

TEST(Scenes, BoxPileFillsItsRows)
{
    Scene scene;
    ASSERT_TRUE(Scenes::MakeWalledWorld(scene, {0, 0, 2000, 1000}));
    EXPECT_EQ(Scenes::AddBoxPile(scene, 10, 4, {20, 20}, {100, 950}), 40);
    EXPECT_EQ(scene.GetToyCount(), 40);
}
