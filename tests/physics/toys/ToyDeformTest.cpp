#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include "physics/geometry/SampleOutlines.h"
#include "physics/toys/ElasticLinks.h"
#include "physics/toys/ToyDeform.h"
#include "physics/geometry/TracedGeometry.h"

#include "physics/MeshSamples.h"

using namespace KIV;
using namespace KIV::MeshSamples;

namespace {

// A record of loose points: enough for the force spreading, which only
// measures distances.
TracedGeometry PointsOnALine(std::initializer_list<float> xs)
{
    TracedGeometry g;
    for (float x : xs) g.mPoints.PushBack({x, 0.0f});
    return g;
}

} // namespace

TEST(GuardedMove, TableOfAcceptedAndRefusedMoves)
{
    const TracedGeometry source = MeshedEllipse(24, 40.0f, 30.0f);
    const int32_t n = source.mOutlineCount;
    ASSERT_GT(source.mPoints.Count(), n);
    const int32_t inner = n;  // the first inner point
    // The direction that pushes an outline point over its inner neighbours, and a
    // stretch that grows its triangles beyond 2.5 but not 3.5 times their area.
    struct Case {
        const char* name;
        int32_t point;
        VectorF offset;
        bool core;
        bool plastic;
        bool elastic;
    };
    const VectorF outward = source.mPoints[0] * 0.1f;
    const Case cases[] = {
        {"small move", 0, outward, false, true, true},
        {"core point", inner, VectorF(0.1f, 0.1f), true, false, true},
        {"index past the mesh", source.mPoints.Count(), VectorF(0.1f, 0.0f), false, false, false},
        {"negative index", -1, VectorF(0.1f, 0.0f), false, false, false},
        {"turns triangles over", 0, source.mPoints[0] * -1.5f, false, false, false},
        {"nothing at all", 3, VectorF(), false, true, true},
    };
    for (const Case& c : cases) {
        for (const bool plastic : {true, false}) {
            TracedGeometry g = source;
            g.mCorePointFlags.Resize(g.mPoints.Count());
            g.mCorePointFlags.FillZero();
            if (c.core) g.mCorePointFlags[c.point] = 1;
            const bool accepted = plastic ? g.TryMovePoint(c.point, c.offset) : g.TryMovePointElastic(c.point, c.offset);
            EXPECT_EQ(accepted, plastic ? c.plastic : c.elastic) << c.name << (plastic ? " (plastic)" : " (elastic)");
            // A refused move leaves every point where it was; an accepted one moves just its point, once.
            for (int32_t i = 0; i < g.mPoints.Count(); ++i) {
                const VectorF expected = accepted && i == c.point ? source.mPoints[i] + c.offset : source.mPoints[i];
                ASSERT_EQ(g.mPoints[i], expected) << c.name;
            }
        }
    }
}

TEST(GuardedMove, AreaGrowthBetweenThePlasticAndTheElasticLimitIsOnlyElastic)
{
    const TracedGeometry source = MeshedEllipse(24, 40.0f, 30.0f);
    // Push outline point 0 outward until its triangles pass 2.5 times their rest area.
    int32_t acceptedOnlyElastic = 0;
    for (float f = 0.1f; f < 3.0f; f += 0.05f) {
        TracedGeometry plastic = source, elastic = source;
        const VectorF offset = source.mPoints[0] * f;
        const bool p = plastic.TryMovePoint(0, offset);
        const bool e = elastic.TryMovePointElastic(0, offset);
        EXPECT_FALSE(p && !e) << f;  // the elastic limit is the looser one
        if (e && !p) ++acceptedOnlyElastic;
    }
    EXPECT_GT(acceptedOnlyElastic, 0);
}

TEST(ImpactForces, SpreadOverTheNearAndFarRadii)
{
    const VectorF j(10.0f, -20.0f);
    struct Case {
        float nearRadius, farRadius;
        float expected[4];  // share of j at distances 0, 5, 15, 30
    };
    const Case cases[] = {
        {10.0f, 0.0f, {0.2f, 0.1f, 0.0f, 0.0f}},
        {0.0f, 10.0f, {1.0f, 1.0f / 1.5f, 1.0f / 2.5f, 1.0f / 4.0f}},
        {20.0f, 10.0f, {0.2f + 1.0f, 0.15f + 1.0f / 1.5f, 0.05f + 1.0f / 2.5f, 1.0f / 4.0f}},
        {0.0f, 0.0f, {0.0f, 0.0f, 0.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        TracedGeometry g = PointsOnALine({0.0f, 5.0f, 15.0f, 30.0f});
        g.mNearDentRadius = c.nearRadius;
        g.mFarDentRadius = c.farRadius;
        ApplyImpactForces(g, 0, j);
        for (int32_t i = 0; i < 4; ++i) {
            EXPECT_NEAR(g.mDentForces[i].mX, j.mX * c.expected[i], 1e-4f) << c.nearRadius << "/" << c.farRadius;
            EXPECT_NEAR(g.mDentForces[i].mY, j.mY * c.expected[i], 1e-4f) << c.nearRadius << "/" << c.farRadius;
        }
    }
    // A hit point outside the mesh spreads nothing.
    TracedGeometry g = PointsOnALine({0.0f, 5.0f});
    ApplyImpactForces(g, 2, j);
    ApplyImpactForces(g, -1, j);
    for (const VectorF& f : g.mDentForces) EXPECT_TRUE(f.IsZero());
}

TEST(Dent, NeverMovesACorePointWhateverTheImpulse)
{
    TracedGeometry g = MeshedEllipse(40, 50.0f, 35.0f);
    g.mHullDistance = 0.0f;
    g.mCoreRadius = 20.0f;
    g.ClassifyCoreEdges();
    g.MarkCorePoints();
    const Array<VectorF> before = g.mPoints;
    for (int32_t i = 0; i < g.mOutlineCount; i += 3) ApplyImpactForces(g, i, g.mPoints[i] * -500.0f);
    for (int32_t pass = 0; pass < 15; ++pass) RelaxDent(g);
    int32_t core = 0;
    for (int32_t i = 0; i < g.mPoints.Count(); ++i)
        if (g.mCorePointFlags[i]) {
            ++core;
            ASSERT_EQ(g.mPoints[i], before[i]);
        }
    EXPECT_GT(core, 0);
    EXPECT_GT(MaxPointShift(g, before), 1.0f);

    // A whole dent only re-centres them: their offsets to each other stay.
    Dent(g);
    int32_t first = -1;
    for (int32_t i = 0; i < g.mPoints.Count(); ++i) {
        if (!g.mCorePointFlags[i]) continue;
        if (first < 0) {
            first = i;
            continue;
        }
        const VectorF now = g.mPoints[i] - g.mPoints[first];
        const VectorF then = before[i] - before[first];
        EXPECT_NEAR(now.mX, then.mX, 1e-3f);
        EXPECT_NEAR(now.mY, then.mY, 1e-3f);
    }
}

TEST(Dent, KeepsEveryTriangleTheRightWayRoundAndWithKeepAreaTheRestArea)
{
    for (const bool keepArea : {false, true}) {
        TracedGeometry g = MeshedEllipse(40, 50.0f, 35.0f);
        g.mPlasticKeepArea = keepArea ? 1 : 0;
        ApplyImpactForces(g, 5, g.mPoints[5] * -40.0f);
        Dent(g);
        for (const IndexTriangle& t : g.mTriangles)
            ASSERT_GT(Cross(g.mPoints[t.mB] - g.mPoints[t.mA], g.mPoints[t.mC] - g.mPoints[t.mA]), 0.0f);
        const float area = g.ComputeOutlineArea();
        if (keepArea)
            EXPECT_NEAR(area, g.mTotalArea, 1e-3f * g.mTotalArea);
        else
            EXPECT_LT(area, g.mTotalArea * 0.999f);  // pushed in
        const VectorF c = g.ComputeOutlineCentroid(area);
        EXPECT_NEAR(c.mX, 0.0f, 1e-3f);
        EXPECT_NEAR(c.mY, 0.0f, 1e-3f);
    }
}

TEST(Dent, ResetRestoresTheRestShapeOnlyWhenAsked)
{
    TracedGeometry g = MeshedEllipse(40, 50.0f, 35.0f);
    ApplyImpactForces(g, 5, g.mPoints[5] * -40.0f);
    Dent(g);
    ApplyImpactForces(g, 9, {1, 1});
    const Array<VectorF> dented = g.mPoints;
    ResetDeformation(g, false);
    EXPECT_EQ(std::memcmp(g.mPoints.Data(), dented.Data(), sizeof(VectorF) * size_t(dented.Count())), 0);
    for (const VectorF& f : g.mDentForces) ASSERT_TRUE(f.IsZero());
    ResetDeformation(g, true);
    for (int32_t i = 0; i < g.mPoints.Count(); ++i) ASSERT_EQ(g.mPoints[i], g.mRestPoints[i]);
}

namespace {

// A dent spelled out from its public parts: the forces saved, then three
// rounds of 15 plain relaxation passes, each round re-centred.
void DentPassByPass(TracedGeometry& g)
{
    g.mSavedDentForces.Assign(g.mDentForces);
    for (int32_t round = 0; round < 3; ++round) {
        for (int32_t pass = 0; pass < 15; ++pass) RelaxDent(g);
        RecentreShape(g, g.mPlasticKeepArea != 0);
    }
}

bool SameBits(const Array<VectorF>& a, const Array<VectorF>& b)
{
    return a.Count() == b.Count() && std::memcmp(a.Data(), b.Data(), sizeof(VectorF) * size_t(a.Count())) == 0;
}

} // namespace

// Dent runs its passes over lists it gathers once; every point, velocity and
// force must come out bit for bit as from the plain passes, including where
// the guard refuses moves, keeps core points, or lacks rest figures.
TEST(Dent, LandsEveryFloatExactlyAsThePlainPasses)
{
    struct Case {
        const char* name;
        float impulse;  // times the hit point's position, pointing inwards when negative
        bool keepArea;
        bool core;
        bool dropTriangleAreas;
        bool dropSomeEdgeLengths;
        bool straySpring;
        int32_t springsDropped;  // from the end, so the last block of springs runs short
        bool edgeOffItsPoints = false;  // an inner edge moved away from the points that list it
    };
    const Case cases[] = {
        {"gentle push", -5.0f, false, false, false, false, false, 0},
        {"hard push, guards refuse", -400.0f, false, false, false, false, false, 0},
        {"outward pull, keep area", 60.0f, true, false, false, false, false, 0},
        {"core points hold", -300.0f, true, true, false, false, false, 0},
        {"no rest areas", -120.0f, false, false, true, false, false, 0},
        {"edge lengths for some edges only", -120.0f, false, false, false, true, false, 0},
        {"spring naming a point past the mesh", -40.0f, false, false, false, false, true, 0},
        {"one spring fewer", -120.0f, false, false, false, false, false, 1},
        {"two springs fewer", -120.0f, false, false, false, false, false, 2},
        {"three springs fewer", -400.0f, false, false, false, false, false, 3},
        {"edge no longer ending at its listed points", -120.0f, false, false, false, false, false, 0, true},
    };
    for (const Case& c : cases) {
        TracedGeometry g = MeshedEllipse(40, 50.0f, 35.0f, 8.0f);
        g.mPlasticKeepArea = c.keepArea ? 1 : 0;
        g.mNearDentRadius = 30.0f;
        g.mFarDentRadius = 12.0f;
        if (c.core) {
            g.mHullDistance = 0.0f;
            g.mCoreRadius = 20.0f;
            g.ClassifyCoreEdges();
            g.MarkCorePoints();
        }
        if (c.dropTriangleAreas) g.mTriangleAreas.Clear();
        if (c.dropSomeEdgeLengths) {
            g.mInnerEdgeInvLengths.SetCount(g.mInnerEdgeInvLengths.Count() / 2);
            g.mOutlineEdgeInvLengths.Clear();
        }
        g.mSprings.SetCount(g.mSprings.Count() - c.springsDropped);
        if (c.edgeOffItsPoints) g.mInnerEdges[0] = {0, 20};  // across the shape: far past its stretch bound
        if (c.straySpring) {
            ToyLink stray;
            stray.mA = 0;
            stray.mB = g.mPoints.Count();
            g.mSprings.PushBack(stray);
        }
        TracedGeometry reference = g;
        // Two dents in a row: the second starts from the first's velocities.
        for (const int32_t hit : {3, 17}) {
            for (TracedGeometry* r : {&g, &reference}) {
                ApplyImpactForces(*r, hit, r->mPoints[hit] * (c.impulse * 0.01f));
                ApplyImpactForces(*r, hit + 5, r->mPoints[hit + 5] * (c.impulse * 0.02f));
            }
            const Array<VectorF> before = g.mPoints;
            Dent(g);
            DentPassByPass(reference);
            EXPECT_GT(MaxPointShift(g, before), 0.0f) << c.name;
            EXPECT_TRUE(SameBits(g.mPoints, reference.mPoints)) << c.name << ", hit " << hit;
            EXPECT_TRUE(SameBits(g.mDentVelocities, reference.mDentVelocities)) << c.name << ", hit " << hit;
            EXPECT_TRUE(SameBits(g.mDentForces, reference.mDentForces)) << c.name << ", hit " << hit;
            EXPECT_TRUE(SameBits(g.mSavedDentForces, reference.mSavedDentForces)) << c.name << ", hit " << hit;
        }
    }
}
