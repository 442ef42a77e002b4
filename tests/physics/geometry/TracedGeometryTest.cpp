#include <gtest/gtest.h>
#include <cmath>
#include <vector>
#include "base/Random.h"
#include "physics/geometry/SampleOutlines.h"
#include "physics/geometry/TracedGeometry.h"

using namespace KIV;

namespace {

std::vector<int32_t> WalkTriangles(const TracedGeometry& g, int32_t point)
{
    std::vector<int32_t> out;
    for (int32_t n = g.FirstPointTriangleNode(point); n >= 0; n = g.NextPointTriangleNode(n))
        out.push_back(g.mPointTriangleEntries[n]);
    return out;
}

std::vector<int32_t> WalkEdges(const TracedGeometry& g, int32_t point)
{
    std::vector<int32_t> out;
    for (int32_t n = g.FirstPointEdgeNode(point); n >= 0; n = g.NextPointEdgeNode(n)) out.push_back(g.mPointEdgeEntries[n]);
    return out;
}

// A 10 x 10 square meshed as two triangles round the diagonal 0-2.
class SquareMesh : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mMesh.BuildMesh(OutlineOf({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), 20.0f)); }
    TracedGeometry mMesh;
};

// An ellipse meshed with inner points: a body to copy, push and query.
class BodyMesh : public ::testing::Test {
protected:
    void SetUp() override
    {
        Array<VectorF> outline;
        MakeEllipseOutline(outline, 48, 60.0f, 35.0f);
        ASSERT_TRUE(mMesh.BuildMesh(outline, 10.0f));
        ASSERT_GT(mMesh.GetPointCount(), mMesh.mOutlineCount);
    }
    TracedGeometry mMesh;
};

} // namespace

TEST_F(SquareMesh, PerPointListsAreasSpringsAndRestShape)
{
    const TracedGeometry& g = mMesh;
    // The one inner edge under both its points; lists are walked newest first,
    // and triangles were entered by first, then second, then third corners.
    EXPECT_EQ(WalkEdges(g, 0), std::vector<int32_t>{0});
    EXPECT_EQ(WalkEdges(g, 2), std::vector<int32_t>{0});
    EXPECT_TRUE(WalkEdges(g, 1).empty());
    EXPECT_EQ(WalkTriangles(g, 0), (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(WalkTriangles(g, 2), (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(WalkTriangles(g, 1), std::vector<int32_t>{0});

    EXPECT_FLOAT_EQ(g.mTriangleAreas[0], 50.0f);
    EXPECT_FLOAT_EQ(g.mTotalArea, 100.0f);

    // Inner edges first, then the outline edges in order.
    ASSERT_EQ(g.mSprings.Count(), 5);
    EXPECT_EQ(g.mSprings[0].mA, 0);
    EXPECT_EQ(g.mSprings[0].mB, 2);
    EXPECT_FLOAT_EQ(g.mSprings[0].mRestLength, std::sqrt(200.0f));
    for (int32_t i = 1; i < 5; ++i) {
        EXPECT_EQ(g.mSprings[i].mA, i - 1);
        EXPECT_EQ(g.mSprings[i].mB, i % 4);
        EXPECT_FLOAT_EQ(g.mSprings[i].mRestLength, 10.0f);
        EXPECT_FLOAT_EQ(g.mSprings[i].mInvRestLength, 0.1f);
        EXPECT_FLOAT_EQ(g.mOutlineEdgeInvLengths[i - 1], 0.1f);
    }
    EXPECT_FLOAT_EQ(g.mInnerEdgeInvLengths[0], 1.0f / std::sqrt(200.0f));
    EXPECT_EQ(g.mSpringsBuilt, 1);
    ASSERT_EQ(g.mDentVelocities.Count(), 4);
    EXPECT_EQ(g.mDentForces[3], VectorF());
    EXPECT_FLOAT_EQ(g.mBoundingRadius, std::sqrt(200.0f));

    // Rest outline angles: each point's incoming edge, point 0's from the last point.
    const float expected[4] = {-1.5707964f, 0.0f, 1.5707964f, 3.1415927f};
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(g.mRestOutlineAngles[i], expected[i]);
        EXPECT_FLOAT_EQ(g.mOutlineAngles[i], expected[i]);
        EXPECT_EQ(g.mRestPoints[i], g.mPoints[i]);
    }
}

TEST(TracedGeometrySprings, CoincidentPointsRestAtLengthOne)
{
    TracedGeometry g;
    g.mOutlineCount = 3;
    g.mPoints.PushBack({0, 0});
    g.mPoints.PushBack({0, 0});
    g.mPoints.PushBack({4, 0});
    g.BuildSprings();
    ASSERT_EQ(g.mSprings.Count(), 3);
    EXPECT_EQ(g.mSprings[0].mRestLength, 1.0f);
    EXPECT_EQ(g.mSprings[0].mInvRestLength, 1.0f);
    EXPECT_EQ(g.mSprings[1].mRestLength, 4.0f);
}

TEST(TracedGeometrySprings, OutlineAreaAndCentroidInEitherDirection)
{
    struct Case {
        const char* name;
        Array<VectorF> outline;
        float area;
        VectorF centroid;
    };
    const Case cases[] = {
        {"square", OutlineOf({{10, 10}, {20, 10}, {20, 20}, {10, 20}}), 100.0f, {15, 15}},
        {"mirrored square", OutlineOf({{10, 20}, {20, 20}, {20, 10}, {10, 10}}), 100.0f, {15, 15}},
        {"mirrored L", OutlineOf({{0, 0}, {0, 20}, {10, 20}, {10, 10}, {20, 10}, {20, 0}}), 300.0f, {25.0f / 3, 25.0f / 3}},
        {"flat", OutlineOf({{0, 0}, {3, 0}, {9, 0}}), 0.0f, {4, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TracedGeometry g;
        g.mOutlineCount = c.outline.Count();
        g.mPoints.Assign(c.outline);
        const float area = g.ComputeOutlineArea();
        EXPECT_FLOAT_EQ(area, c.area);
        const VectorF centroid = g.ComputeOutlineCentroid(area);
        EXPECT_NEAR(centroid.mX, c.centroid.mX, 1e-4f);
        EXPECT_NEAR(centroid.mY, c.centroid.mY, 1e-4f);
    }
}

TEST_F(BodyMesh, CoreEdgesAndPoints)
{
    TracedGeometry& g = mMesh;
    // No hull distance and no core radius: every inner edge is core, and so is
    // every point an inner edge touches.
    g.mHullDistance = 0.0f;
    g.mCoreRadius = 0.0f;
    g.ClassifyCoreEdges();
    g.MarkCorePoints();
    ASSERT_EQ(g.mCoreEdgeFlags.Count(), g.GetInnerEdgeCount());
    for (int32_t e = 0; e < g.GetInnerEdgeCount(); ++e) EXPECT_EQ(g.mCoreEdgeFlags[e], 1);
    for (int32_t p = 0; p < g.GetPointCount(); ++p) EXPECT_EQ(g.mCorePointFlags[p], WalkEdges(g, p).empty() ? 0 : 1);

    // A core radius keeps exactly the edges with an end inside it.
    g.mCoreRadius = 20.0f;
    g.ClassifyCoreEdges();
    for (int32_t e = 0; e < g.GetInnerEdgeCount(); ++e) {
        const bool inside = g.mPoints[g.mInnerEdges[e].mA].GetLength() <= 20.0f ||
                            g.mPoints[g.mInnerEdges[e].mB].GetLength() <= 20.0f;
        EXPECT_EQ(g.mCoreEdgeFlags[e], inside ? 1 : 0);
    }

    // A hull distance wider than the body leaves no core at all.
    g.mCoreRadius = 0.0f;
    g.mHullDistance = 1000.0f;
    g.ClassifyCoreEdges();
    g.MarkCorePoints();
    for (int32_t e = 0; e < g.GetInnerEdgeCount(); ++e) EXPECT_EQ(g.mCoreEdgeFlags[e], 0);
    for (int32_t p = 0; p < g.GetPointCount(); ++p) EXPECT_EQ(g.mCorePointFlags[p], 0);
}

TEST_F(BodyMesh, CopySharesNothingAndKeepsDeformation)
{
    TracedGeometry& src = mMesh;
    src.BuildScaledPoints(VectorF(1, 1), VectorF(0.01f, 0.01f));
    src.mHullDistance = 0.0f;
    src.ClassifyCoreEdges();
    src.MarkCorePoints();
    src.mPoints[src.GetPointCount() - 1] += VectorF(0.5f, 0.0f); // a dent
    src.mSnapshotPoints.Assign(src.mPoints);
    src.mNearDentRadius = 7.0f;
    src.mLinkFamilies[kLinkRing3].mEnabled = 1;

    TracedGeometry copy;
    copy.CopyFrom(src);
    EXPECT_EQ(copy.mOutlineCount, src.mOutlineCount);
    EXPECT_EQ(copy.mNearDentRadius, 7.0f);
    EXPECT_EQ(copy.mLinkFamilies[kLinkRing3].mEnabled, 1);
    EXPECT_EQ(copy.mTotalArea, src.mTotalArea);

    const auto same = [](const auto& a, const auto& b, const char* name) {
        ASSERT_EQ(a.Count(), b.Count()) << name;
        ASSERT_GT(a.Count(), 0) << name;
        EXPECT_NE(a.Data(), b.Data()) << name;
        EXPECT_EQ(0, std::memcmp(a.Data(), b.Data(), sizeof(*a.Data()) * a.Count())) << name;
    };
    same(copy.mPoints, src.mPoints, "points");
    same(copy.mRestPoints, src.mRestPoints, "rest points");
    same(copy.mOutlineAngles, src.mOutlineAngles, "angles");
    same(copy.mRestOutlineAngles, src.mRestOutlineAngles, "rest angles");
    same(copy.mScaledPoints, src.mScaledPoints, "scaled points");
    same(copy.mInnerEdges, src.mInnerEdges, "inner edges");
    same(copy.mTriangles, src.mTriangles, "triangles");
    same(copy.mEdgeTriangles, src.mEdgeTriangles, "edge triangles");
    same(copy.mPointTriangleEntries, src.mPointTriangleEntries, "triangle entries");
    same(copy.mPointEdgeEntries, src.mPointEdgeEntries, "edge entries");
    same(copy.mTriangleAreas, src.mTriangleAreas, "areas");
    same(copy.mInnerEdgeInvLengths, src.mInnerEdgeInvLengths, "inner inverse lengths");
    same(copy.mOutlineEdgeInvLengths, src.mOutlineEdgeInvLengths, "outline inverse lengths");
    same(copy.mCoreEdgeFlags, src.mCoreEdgeFlags, "core edges");
    same(copy.mCorePointFlags, src.mCorePointFlags, "core points");
    same(copy.mSprings, src.mSprings, "springs");
    same(copy.mDentForces, src.mDentForces, "dent forces");
    same(copy.mSnapshotPoints, src.mSnapshotPoints, "snapshot");
    for (int32_t p = 0; p < src.GetPointCount(); ++p) {
        EXPECT_EQ(WalkTriangles(copy, p), WalkTriangles(src, p));
        EXPECT_EQ(WalkEdges(copy, p), WalkEdges(src, p));
    }

    // Changing the copy leaves the source alone.
    const VectorF before = src.mPoints[0];
    copy.mPoints[0] += VectorF(3, 3);
    copy.mSprings[0].mRestLength = 99.0f;
    const int32_t head = src.FirstPointTriangleNode(0);
    copy.mPointTriangles.Init(1, 1);
    EXPECT_EQ(src.mPoints[0], before);
    EXPECT_NE(src.mSprings[0].mRestLength, 99.0f);
    EXPECT_EQ(src.FirstPointTriangleNode(0), head);

    // Onto itself: unchanged.
    const Array<VectorF> points(src.mPoints);
    src.CopyFrom(src);
    EXPECT_EQ(0, std::memcmp(points.Data(), src.mPoints.Data(), sizeof(VectorF) * points.Count()));
}

TEST(TracedGeometryQueries, MomentOfInertiaOfARectangle)
{
    // A 40 x 20 rectangle about its centre, outline points 5 apart.
    Array<VectorF> outline;
    for (int32_t i = 0; i < 8; ++i) outline.PushBack(VectorF(-20.0f + 5.0f * i, -10.0f));
    for (int32_t i = 0; i < 4; ++i) outline.PushBack(VectorF(20.0f, -10.0f + 5.0f * i));
    for (int32_t i = 0; i < 8; ++i) outline.PushBack(VectorF(20.0f - 5.0f * i, 10.0f));
    for (int32_t i = 0; i < 4; ++i) outline.PushBack(VectorF(-20.0f, 10.0f - 5.0f * i));
    TracedGeometry g;
    ASSERT_TRUE(g.BuildMesh(outline, 5.0f));
    ASSERT_GT(g.GetPointCount(), outline.Count());
    const float area = g.ComputeOutlineArea();
    EXPECT_FLOAT_EQ(area, 800.0f);
    const float mass = 3.0f;
    EXPECT_NEAR(g.ComputeMomentOfInertia(area, mass), mass * (40.0f * 40.0f + 20.0f * 20.0f) / 12.0f, 1e-2f);
    EXPECT_EQ(g.ComputeMomentOfInertia(area, 0.0f), 0.0f);
    EXPECT_EQ(g.ComputeMomentOfInertia(0.0f, mass), 0.0f);
}

TEST_F(SquareMesh, PushesOfTheNearestPoint)
{
    TracedGeometry& g = mMesh;
    // Point 1 is no core point (no inner edge touches it). An accepted push
    // moves it by twice the accepted offset.
    ASSERT_TRUE(g.PushNearestPoint({9, 1}, {-0.5f, 0.25f}));
    EXPECT_EQ(g.mPoints[1], VectorF(9.0f, 0.5f));

    // Across the diagonal at every size: the triangle would turn over.
    const VectorF before = g.mPoints[1];
    EXPECT_FALSE(g.PushNearestPoint({9, 1}, {-200, 200}));
    EXPECT_EQ(g.mPoints[1], before);

    // A core point never moves.
    g.mHullDistance = 0.0f;
    g.ClassifyCoreEdges();
    g.MarkCorePoints();
    EXPECT_FALSE(g.PushNearestPoint({0, 0}, {0.1f, 0.1f}));
    EXPECT_EQ(g.mPoints[0], VectorF(0, 0));

    TracedGeometry empty;
    EXPECT_FALSE(empty.PushNearestPoint({0, 0}, {1, 1}));
}

TEST_F(SquareMesh, SecondMoveOfAPushIsGuardedToo)
{
    TracedGeometry& g = mMesh;
    // Half the push is accepted; twice that half would cross the diagonal.
    ASSERT_TRUE(g.PushNearestPoint({9, 1}, {-6, 6}));
    EXPECT_EQ(g.mPoints[1], VectorF(7, 3));
    for (const IndexTriangle& t : g.mTriangles)
        EXPECT_GT(Cross(g.mPoints[t.mB] - g.mPoints[t.mA], g.mPoints[t.mC] - g.mPoints[t.mA]), 0.0f);
}

TEST_F(SquareMesh, TexturePointQueries)
{
    TracedGeometry& g = mMesh;
    EXPECT_EQ(g.GetInnerPoint(), VectorF(0, 0)); // no texture points yet
    g.BuildScaledPoints(VectorF(1, 1), VectorF(2, 2));
    EXPECT_EQ(g.mScaledPoints[2], VectorF(22, 22));

    // First triangle (0, 1, 2), scaled: (2, 2), (22, 2), (22, 22).
    const VectorF inner = g.GetInnerPoint();
    EXPECT_NEAR(inner.mX, 46.0f / 3.0f, 1e-4f);
    EXPECT_NEAR(inner.mY, 26.0f / 3.0f, 1e-4f);

    struct Case {
        const char* name;
        VectorF p, expected;
    };
    const Case cases[] = {
        {"inside", {3, 4}, {8, 10}},
        {"a corner", {10, 0}, {22, 2}},
        {"on the diagonal", {5, 5}, {12, 12}},
        {"outside: the nearest outline point", {-5, 3}, {2, 2}},
    };
    for (const Case& c : cases) {
        const VectorF t = g.ClosestInsideTexturePoint(c.p);
        EXPECT_NEAR(t.mX, c.expected.mX, 1e-4f) << c.name;
        EXPECT_NEAR(t.mY, c.expected.mY, 1e-4f) << c.name;
    }
}

TEST_F(BodyMesh, RandomPointsLieInTheMesh)
{
    TracedGeometry& g = mMesh;
    g.BuildScaledPoints(VectorF(), VectorF(1, 1));
    Random random;
    for (int32_t i = 0; i < 200; ++i) {
        const VectorF p = g.RandomPointInMesh(random.NextInt(g.GetPointCount()), random);
        EXPECT_TRUE(IsPointInPolygon(g.mPoints.Data(), g.mOutlineCount, p)) << p.mX << "," << p.mY;
        const VectorF q = g.RandomScaledPointNear(p.mX, p.mY, random);
        EXPECT_TRUE(IsPointInPolygon(g.mPoints.Data(), g.mOutlineCount, q)) << q.mX << "," << q.mY;
    }
    // An index beyond the last point takes the last point.
    Random a, b;
    EXPECT_EQ(g.RandomPointInMesh(g.GetPointCount() + 50, a), g.RandomPointInMesh(g.GetPointCount() - 1, b));
    EXPECT_EQ(a.mSeed, b.mSeed);

    TracedGeometry bare;
    bare.mPoints.PushBack(VectorF(1, 1));
    EXPECT_EQ(bare.RandomPointInMesh(0, random), VectorF(0.5f, 0.5f));
    EXPECT_EQ(bare.RandomScaledPointNear(0, 0, random), VectorF(0.5f, 0.5f));
}

TEST(TracedGeometryQueries, PointInPolygon)
{
    const Array<VectorF> l = OutlineOf({{0, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 20}, {0, 20}});
    Array<VectorF> mirrored(l);
    ReverseOutline(mirrored);
    struct Case {
        const char* name;
        VectorF p;
        bool inside;
    };
    const Case cases[] = {
        {"in the foot", {15, 5}, true}, {"in the stem", {5, 15}, true},  {"in the notch", {15, 15}, false},
        {"left of it", {-3, 5}, false}, {"right of it", {25, 5}, false}, {"below it", {5, 25}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsPointInPolygon(l.Data(), l.Count(), c.p), c.inside) << c.name;
        EXPECT_EQ(IsPointInPolygon(mirrored.Data(), mirrored.Count(), c.p), c.inside) << c.name << " (mirrored)";
    }
    EXPECT_FALSE(IsPointInPolygon(l.Data(), 2, {1, 0}));
    EXPECT_FALSE(IsPointInPolygon(l.Data(), 2, {5, 0}));
}

TEST(TracedGeometryQueries, RayHitsTheFacingEdge)
{
    const Array<VectorF> square = OutlineOf({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    VectorF hit(-1, -1);
    ASSERT_TRUE(RayHitOutline(square.Data(), square.Count(), {-5, 5}, {1, 0}, hit));
    EXPECT_EQ(hit, VectorF(0, 5)); // the entry, not the far side
    ASSERT_TRUE(RayHitOutline(square.Data(), square.Count(), {5, -7}, {0, 2}, hit));
    EXPECT_EQ(hit, VectorF(5, 0));
    // From inside only the far side is ahead, and it does not face the ray.
    EXPECT_FALSE(RayHitOutline(square.Data(), square.Count(), {5, 5}, {1, 0}, hit));
    EXPECT_FALSE(RayHitOutline(square.Data(), square.Count(), {-5, 5}, {-1, 0}, hit));
}

TEST(TracedGeometryQueries, SliverTriangles)
{
    TracedGeometry fat;
    ASSERT_TRUE(fat.BuildMesh(OutlineOf({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), 20.0f));
    EXPECT_EQ(fat.FindSliverTriangle(), -1);

    TracedGeometry thin;
    ASSERT_TRUE(thin.BuildMesh(OutlineOf({{0, 0}, {20, 0}, {10, 0.3f}}), 30.0f));
    EXPECT_EQ(thin.FindSliverTriangle(), 0);

    TracedGeometry body;
    Array<VectorF> outline;
    MakeEllipseOutline(outline, 40, 50.0f, 50.0f);
    ASSERT_TRUE(body.BuildMesh(outline, 10.0f));
    EXPECT_EQ(body.FindSliverTriangle(), -1);
}

TEST_F(SquareMesh, SnapshotPointsFollowTheMesh)
{
    TracedGeometry& g = mMesh;
    // Without a snapshot of every point the point comes back as it is.
    EXPECT_EQ(g.MapSnapshotPointToCurrent({2, 2}), VectorF(2, 2));
    g.mSnapshotPoints.Assign(g.mPoints);
    for (VectorF& p : g.mPoints) p += VectorF(3, 0);
    const VectorF moved = g.MapSnapshotPointToCurrent({2, 1});
    EXPECT_NEAR(moved.mX, 5.0f, 1e-5f);
    EXPECT_NEAR(moved.mY, 1.0f, 1e-5f);
    EXPECT_EQ(g.MapSnapshotPointToCurrent({30, 30}), VectorF(30, 30)); // in no triangle
    const VectorF rest = g.MapRestPointToCurrent({2, 1});
    EXPECT_NEAR(rest.mX, 5.0f, 1e-5f);
}
