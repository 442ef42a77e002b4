#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <set>
#include <utility>
#include "base/PointList.h"
#include "physics/toys/ElasticLinks.h"
#include "physics/geometry/SampleOutlines.h"
#include "physics/toys/Toy.h"
#include "physics/geometry/TracedGeometry.h"

#include "physics/MeshSamples.h"

using namespace KIV;
using namespace KIV::MeshSamples;

namespace {

void EnableOnly(TracedGeometry& g, std::initializer_list<int32_t> families)
{
    for (LinkFamily& f : g.mLinkFamilies) f.mEnabled = 0;
    for (int32_t f : families) g.mLinkFamilies[f].mEnabled = 1;
    g.mLinksBuilt = 0;
}

// Loose points with elastic state and no mesh: every guarded move passes.
TracedGeometry LoosePoints(int32_t n)
{
    TracedGeometry g;
    for (int32_t i = 0; i < n; ++i) g.mPoints.PushBack({float(i) * 10.0f, 0.0f});
    g.mRestPoints = g.mPoints;
    BuildElasticLinks(g);
    return g;
}

float MaxDistanceToRest(const TracedGeometry& g)
{
    float largest = 0.0f;
    for (int32_t i = 0; i < g.mPoints.Count(); ++i)
        largest = std::max(largest, (g.mPoints[i] - g.mRestPoints[i]).GetLength());
    return largest;
}

} // namespace

TEST(ElasticLinks, FamiliesAddTheirLinks)
{
    const TracedGeometry source = MeshedEllipse(30, 40.0f, 30.0f);
    const int32_t n = source.mOutlineCount;
    const int32_t edges = source.mInnerEdges.Count();
    {
        TracedGeometry g = source;  // by default the mesh family alone
        BuildElasticLinks(g);
        EXPECT_EQ(g.mElasticLinks.Count(), edges + n);
        EXPECT_EQ(g.mElasticVelocities.Count(), g.mPoints.Count());
        // Built links stay until freed.
        g.mLinkFamilies[kLinkOutline1 + 1].mEnabled = 1;
        BuildElasticLinks(g);
        EXPECT_EQ(g.mElasticLinks.Count(), edges + n);
        FreeElasticLinks(g);
        EXPECT_EQ(g.mLinksBuilt, 0);
        EXPECT_EQ(g.mElasticLinks.Count(), 0);
    }
    for (int32_t k = 1; k <= 8; ++k) {
        TracedGeometry g = source;
        EnableOnly(g, {kLinkOutline1 + k - 1});
        BuildElasticLinks(g);
        ASSERT_EQ(g.mElasticLinks.Count(), n) << k;
        // From the last outline point down to 0, each k steps ahead.
        EXPECT_EQ(g.mElasticLinks[0].mA, n - 1);
        EXPECT_EQ(g.mElasticLinks[0].mB, (n - 1 + k) % n);
    }
    {
        // Ring links come in pairs, one from each end, and each joins points
        // exactly that many hops apart (so never neighbours).
        TracedGeometry g = source;
        EnableOnly(g, {kLinkRing2});
        BuildElasticLinks(g);
        std::set<std::pair<int32_t, int32_t>> links;
        for (const ToyLink& l : g.mElasticLinks) links.insert({l.mA, l.mB});
        EXPECT_EQ(links.size(), size_t(g.mElasticLinks.Count()));
        for (const auto& [a, b] : links) EXPECT_TRUE(links.count({b, a}));
        for (const MeshEdge& e : g.mInnerEdges) EXPECT_FALSE(links.count({e.mA, e.mB}));
        EXPECT_GT(links.size(), size_t(g.mPoints.Count()));
    }
}

TEST(ElasticLinks, OutlineFamiliesBeyondTwoNeedMorePointsThanTheirStep)
{
    Array<VectorF> triangle;
    triangle.PushBack({0, 0});
    triangle.PushBack({30, 0});
    triangle.PushBack({0, 30});
    TracedGeometry source;
    ASSERT_TRUE(source.BuildMesh(triangle, 100.0f));
    const int32_t expected[8] = {3, 3, 0, 0, 0, 0, 0, 0};
    for (int32_t k = 1; k <= 8; ++k) {
        TracedGeometry g = source;
        EnableOnly(g, {kLinkOutline1 + k - 1});
        BuildElasticLinks(g);
        EXPECT_EQ(g.mElasticLinks.Count(), expected[k - 1]) << k;
    }
}

TEST(ElasticLinks, LinkFactorsCarryTheGlobalStiffnessAndRestFromTheRestShape)
{
    TracedGeometry g = MeshedEllipse(20, 30.0f, 30.0f);
    g.mGlobalStiffness = 3.0f;
    g.mLinkFamilies[kLinkMesh].mFactor = 0.5f;
    g.mPoints[0] += VectorF(5, 5);  // the current shape does not matter
    BuildElasticLinks(g);
    const ToyLink& first = g.mElasticLinks[0];
    EXPECT_FLOAT_EQ(first.mFactor, 1.5f);
    const VectorF offset = g.mRestPoints[first.mB] - g.mRestPoints[first.mA];
    EXPECT_EQ(first.mRestOffsetX, offset.mX);
    EXPECT_EQ(first.mRestOffsetY, offset.mY);
    EXPECT_FLOAT_EQ(first.mRestLength, offset.GetLength());
    // A link between coincident rest points has inverse length 1, not infinity.
    AddElasticLink(g, 3, 3, 1.0f);
    EXPECT_EQ(g.mElasticLinks.Last().mRestLength, 0.0f);
    EXPECT_EQ(g.mElasticLinks.Last().mInvRestLength, 1.0f);
}

TEST(ElasticStep, SubStepsRunWhenTheAccumulatedTimeExceedsThePeriod)
{
    struct Case {
        float dt;
        int32_t calls;
        int32_t subSteps;
    };
    // Period 1/200 = 0.005 (as a float, exactly half of 0.01f): a step runs a
    // sub-step only while the accumulated time is strictly greater than the
    // period, so 0.005 runs none at first and the remainder carries over.
    // A long step (a low physics frequency) runs every one of its periods: none of its time is lost.
    const Case cases[] = {{0.005f, 1, 0}, {0.005f, 2, 1}, {0.01f, 1, 1},    {0.01f, 2, 3},
                          {0.0101f, 1, 2}, {0.0f, 3, 0},   {0.4025f, 1, 80}};
    for (const Case& c : cases) {
        TracedGeometry g = LoosePoints(3);
        // Opposite velocities (mean 0) that only the damping changes.
        g.mElasticVelocities[0] = {0.001f, 0.0f};
        g.mElasticVelocities[2] = {-0.001f, 0.0f};
        for (int32_t i = 0; i < c.calls; ++i) ElasticStep(g, c.dt, nullptr);
        float expected = 0.001f;
        for (int32_t i = 0; i < c.subSteps; ++i) expected *= 0.99f;
        EXPECT_NEAR(std::fabs(g.mElasticVelocities[0].mX), expected, 1e-9f) << c.dt << " x" << c.calls;
    }
}

TEST(ElasticStep, MinMaxForcesKeepOnlyTheStrongestPullEachWay)
{
    struct Case {
        float offsets[3];
        float minMaxForce;
        float summedForce;
    };
    // Point 0 is pulled by links to points 1..3 (all points at the origin):
    // link 0->k with rest offset -x pushes point 0 by +x.
    const Case cases[] = {{{2.0f, 3.0f, 0.0f}, 3.0f, 5.0f}, {{-1.0f, 3.0f, 0.0f}, 2.0f, 2.0f}};
    for (const Case& c : cases) {
        for (const bool minMax : {true, false}) {
            TracedGeometry g;
            for (int32_t i = 0; i < 4; ++i) g.mPoints.PushBack({0, 0});
            g.mRestPoints = g.mPoints;
            g.mLinkFamilies[kLinkMesh].mEnabled = 0;
            BuildElasticLinks(g);
            for (int32_t k = 0; k < 3; ++k) {
                ToyLink link;
                link.mA = 0;
                link.mB = k + 1;
                link.mRestOffsetX = -c.offsets[k];
                link.mFactor = 1.0f;
                g.mElasticLinks.PushBack(link);
            }
            g.mVectoredSprings = 1;
            g.mForcesByMinMax = minMax ? 1 : 0;
            g.mDamping = 1.0f;
            g.mTimeScale = 0.0f;  // measure the velocities alone
            ElasticStep(g, 0.006f, nullptr);
            // Point 0's velocity is its force less the mean over the four points.
            const float force0 = minMax ? c.minMaxForce : c.summedForce;
            float sum = force0;
            for (int32_t k = 0; k < 3; ++k) sum -= c.offsets[k];  // each partner has one link
            EXPECT_NEAR(g.mElasticVelocities[0].mX, force0 - sum / 4.0f, 1e-5f) << minMax;
        }
    }
}

TEST(ElasticStep, CoincidentPointsAddNoScalarForce)
{
    TracedGeometry g;
    g.mPoints.PushBack({0, 0});
    g.mPoints.PushBack({0, 0});
    g.mRestPoints.PushBack({0, 0});
    g.mRestPoints.PushBack({10, 0});
    g.mLinkFamilies[kLinkMesh].mEnabled = 0;
    BuildElasticLinks(g);
    AddElasticLink(g, 0, 1, 1.0f);
    ElasticStep(g, 0.006f, nullptr);
    for (const VectorF& v : g.mElasticVelocities) {
        EXPECT_FALSE(std::isnan(v.mX));
        EXPECT_TRUE(v.IsZero());
    }
}

TEST(ElasticStep, ADeformedToyReturnsToItsRestShape)
{
    for (const bool fourthOrder : {false, true}) {
        TracedGeometry g = MeshedEllipse(40, 50.0f, 35.0f);
        g.mFourthOrder = fourthOrder ? 1 : 0;
        g.mLinkFamilies[kLinkMesh].mFactor = 0.05f;
        g.mLinkFamilies[kLinkOutline1].mFactor = 0.05f;
        // The fourth-order scheme takes the damping as a viscosity of the links.
        if (fourthOrder) g.mDamping = 0.2f;
        BuildElasticLinks(g);
        // Squash one side.
        ApplyElasticImpact(g, g.mPoints[0], VectorF(-1000.0f, 0.0f));
        for (int32_t i = 0; i < 10; ++i) ElasticStep(g, 1.0f / 210.0f, nullptr);
        const float squashed = MaxDistanceToRest(g);
        EXPECT_GT(squashed, 0.3f) << fourthOrder;
        for (int32_t i = 0; i < 210 * 10; ++i) ElasticStep(g, 1.0f / 210.0f, nullptr);
        EXPECT_LT(MaxDistanceToRest(g), 0.05f * squashed) << fourthOrder;
        for (const IndexTriangle& t : g.mTriangles)
            ASSERT_GT(Cross(g.mPoints[t.mB] - g.mPoints[t.mA], g.mPoints[t.mC] - g.mPoints[t.mA]), 0.0f);
    }
}

TEST(ElasticStep, RemovesTheRigidTurnAndHeldPointsStayPut)
{
    TracedGeometry g = MeshedEllipse(40, 50.0f, 35.0f);
    BuildElasticLinks(g);
    // A rigid turn of the whole shape is taken back at once.
    RotatePoints(g.mPoints.Data(), g.mPoints.Count(), MakeSinCos(0.4f));
    ElasticStep(g, 0.0f, nullptr);
    EXPECT_LT(MaxDistanceToRest(g), 1e-3f);

    // Two loose points (no outline, so nothing re-centres them) pulled
    // together by a link stretched to twice its rest length.
    for (const bool holdFirst : {false, true}) {
        TracedGeometry h = LoosePoints(2);
        h.mRestPoints[1] = {5.0f, 0.0f};
        AddElasticLink(h, 0, 1, 0.1f);
        const uint8_t held[2] = {uint8_t(holdFirst ? 1 : 0), 0};
        ElasticStep(h, 0.006f, held);
        if (holdFirst) {
            EXPECT_EQ(h.mPoints[0], VectorF(0.0f, 0.0f));
            EXPECT_TRUE(h.mElasticVelocities[0].IsZero());
        } else {
            EXPECT_GT(h.mPoints[0].mX, 0.0f);
        }
        EXPECT_LT(h.mPoints[1].mX, 10.0f);
    }
}

TEST(ElasticImpact, FalloffModesWeighTheImpulseByDistance)
{
    struct Case {
        int32_t mode;
        float weights[3];  // at distances 0, 25 and 100 with radius 50
    };
    const Case cases[] = {
        {0, {1.0f, 0.5f, 0.0f}},
        {1, {1.0f, 0.75f, 0.0f}},
        {2, {1.0f, 1.0f / 1.5f, 1.0f / 3.0f}},
        {3, {1.0f, 1.0f / 1.25f, 1.0f / 5.0f}},
        {4, {0.0f, 0.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        TracedGeometry g = LoosePoints(0);
        for (float x : {0.0f, 25.0f, 100.0f}) g.mPoints.PushBack({x, 0.0f});
        g.mRestPoints = g.mPoints;
        g.mLinksBuilt = 0;
        BuildElasticLinks(g);
        g.mFalloffMode = c.mode;
        ApplyElasticImpact(g, {0, 0}, {0.0f, 2000.0f});
        for (int32_t i = 0; i < 3; ++i)
            EXPECT_NEAR(g.mElasticForces[i].mY, 2000.0f * 0.0005f * c.weights[i], 1e-5f) << c.mode << " " << i;
    }
}

// Settings that a value divides by: 0 (or NaN) is ignored instead of making
// every derived value infinite; degenerate records and periods neither stall
// nor fill the mesh with NaN.
TEST(ElasticSettings, DivisionsByAZeroSettingAreIgnored)
{
    Toy toy;
    toy.SetEDDeformImpulseRange(0.0f);
    toy.SetEDDeformImpulseRange(std::numeric_limits<float>::quiet_NaN());
    EXPECT_FLOAT_EQ(toy.GetEDDeformImpulseRange(), 50.0f);
    EXPECT_FLOAT_EQ(toy.mGeometry.mInvImpactRadius, 0.02f);
    EXPECT_FLOAT_EQ(toy.mGeometry.mInvImpactRadiusSq, 0.0004f);
    toy.SetEDFrequency(0.0f);
    EXPECT_FLOAT_EQ(toy.GetEDFrequency(), 200.0f);
    EXPECT_FLOAT_EQ(toy.mGeometry.mSubStepPeriod, 0.005f);
    toy.SetEDDeformImpulseRange(25.0f);
    EXPECT_FLOAT_EQ(toy.mGeometry.mInvImpactRadiusSq, 1.0f / 625.0f);

    TracedGeometry g = MeshedEllipse(20, 30.0f, 20.0f);
    BuildElasticLinks(g);
    g.mImpactRadius = 0.0f;
    ApplyElasticImpact(g, {0, 0}, {100, 100});
    for (const VectorF& f : g.mElasticForces) EXPECT_TRUE(f.IsZero());
    for (const float period : {0.0f, 1e-12f}) {
        TracedGeometry h = g;
        h.mSubStepPeriod = period;
        ElasticStep(h, 1.0f, nullptr);  // returns: no endless sub-steps
        for (const VectorF& p : h.mPoints) ASSERT_TRUE(std::isfinite(p.mX) && std::isfinite(p.mY));
    }
    // An outline without area is not re-centred by a division by it.
    TracedGeometry flat;
    for (int32_t i = 0; i < 4; ++i) flat.mPoints.PushBack({float(i), 0.0f});
    flat.mOutlineCount = 4;
    flat.mTotalArea = 10.0f;
    RecentreShape(flat, true);
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(flat.mPoints[i], VectorF(float(i), 0.0f));
}
