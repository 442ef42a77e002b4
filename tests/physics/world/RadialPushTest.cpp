#include <gtest/gtest.h>
#include <limits>
#include "physics/world/RadialPush.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"

using namespace KIV;

namespace {

constexpr float kDt = 1.0f / 210.0f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

// A world with one 40 x 40 box toy centred at (500, 500): corners at 480 and 520.
struct PushWorld : ::testing::Test {
    Scene scene;
    Toy* toy = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(scene.SetupGrid(RectF(0.0f, 0.0f, 1000.0f, 1000.0f)));
        toy = scene.NewToySlot();
        ASSERT_NE(toy, nullptr);
        const VectorF square[4] = {{-20.0f, -20.0f}, {20.0f, -20.0f}, {20.0f, 20.0f}, {-20.0f, 20.0f}};
        ASSERT_TRUE(toy->BuildFromPolygon(square, 4, 1.0f, VectorF(500.0f, 500.0f), 0.0f));
        toy->mStepLength = kDt;
        ASSERT_TRUE(scene.GetGrid().InsertToy(*toy));
    }

    int32_t PointIndex(const VectorF& p) const
    {
        for (int32_t i = 0; i < toy->GetOutlinePointCount(); ++i)
            if (toy->mOutline[i] == p) return i;
        return -1;
    }

    // Velocity changes the push gave outline point i.
    int32_t PushesOn(int32_t i) const
    {
        int32_t n = 0;
        for (const VelocityChangeRecord& r : toy->mVelocityChanges) n += r.mPointIndex == i ? 1 : 0;
        return n;
    }

    void Apply(const RadialPush& push)
    {
        toy->mVelocityChanges.Clear();
        ApplyRadialPush(push, scene.GetGrid(), scene.GetGrid().GetQueryContext(0));
    }
};

TEST(RadialPushRecord, IsFilledAsTheSceneAddsIt)
{
    struct Case {
        float radius, time;
        float storedRadius;
        uint8_t timed;
    };
    const Case cases[] = {{0.0f, 1.0f, 0.00001f, 1}, {-5.0f, 0.0f, 0.00001f, 0}, {30.0f, -1.0f, 30.0f, 0}};
    for (const Case& c : cases) {
        Scene scene;
        scene.AddRadialPush({1.0f, 2.0f}, c.radius, 7.0f, c.time);
        ASSERT_EQ(scene.mRadialPushes.Count(), 1);
        const RadialPush& p = *scene.mRadialPushes[0];
        EXPECT_EQ(p.mRadius, c.storedRadius);
        EXPECT_EQ(p.mRadiusSquared, c.storedRadius * c.storedRadius);
        EXPECT_EQ(p.mTimed, c.timed);
        EXPECT_EQ(p.mRemainingTime, c.time);
        EXPECT_EQ(p.mIgnoreShielding, 0);
        EXPECT_EQ(p.mExpired, 0);
        EXPECT_EQ(p.mStrength, 7.0f);
    }
}

TEST(RadialPushRecord, TimedPushesExpireAndGoUntimedOnesStay)
{
    PtrArray<RadialPush> pushes;
    pushes.AppendNew()->Set({}, 10.0f, 1.0f, 2.5f * kDt);  // expires in its third step
    pushes.AppendNew()->Set({}, 20.0f, 1.0f, 0.0f);        // never expires
    pushes.AppendNew()->Set({}, 30.0f, 1.0f, 0.5f * kDt);  // expires in its first step
    const float dt = kDt;
    const int32_t expected[] = {3, 2, 2, 1, 1};
    for (int32_t step = 0; step < 5; ++step) {
        // Deletion comes before the countdown: a push that expires in a step
        // still pushes in it and is gone at the start of the next.
        DeleteExpiredRadialPushes(pushes);
        EXPECT_EQ(pushes.Count(), expected[step]) << step;
        CountDownTimersParallel(pushes, &dt, false);
    }
    EXPECT_EQ(pushes[0]->mRadius, 20.0f);
}

TEST_F(PushWorld, PointExactlyAtTheRadiusIsNotPushed)
{
    const int32_t corner = PointIndex({520.0f, 480.0f});
    ASSERT_GE(corner, 0);
    RadialPush push;
    push.Set({570.0f, 480.0f}, 50.0f, 1000.0f, 0.0f);  // the corner 50 units away, exactly
    Apply(push);
    EXPECT_EQ(PushesOn(corner), 0);
    push.Set({569.0f, 480.0f}, 50.0f, 1000.0f, 0.0f);
    Apply(push);
    EXPECT_GE(PushesOn(corner), 1);
    for (const VelocityChangeRecord& r : toy->mVelocityChanges) EXPECT_LT(r.mChange.mX, 0.0f) << "pushed away";
}

TEST_F(PushWorld, PointAtTheCentreIsPushedAlongPlusX)
{
    const int32_t corner = PointIndex({480.0f, 520.0f});
    ASSERT_GE(corner, 0);
    RadialPush push;
    push.Set({480.0f, 520.0f}, 5.0f, 1000.0f, 0.0f);
    Apply(push);
    ASSERT_GE(PushesOn(corner), 1);
    for (const VelocityChangeRecord& r : toy->mVelocityChanges) {
        EXPECT_GT(r.mChange.mX, 0.0f);
        EXPECT_EQ(r.mChange.mY, 0.0f);
    }
}

TEST_F(PushWorld, OnlyTerrainShields)
{
    const int32_t corner = PointIndex({520.0f, 480.0f});
    RadialPush push;
    push.Set({560.0f, 480.0f}, 100.0f, 1000.0f, 0.0f);
    // A wall between the centre and the toy's right side.
    const VectorF wall[4] = {{535.0f, 400.0f}, {540.0f, 400.0f}, {540.0f, 560.0f}, {535.0f, 560.0f}};
    StaticOutline outline;
    outline.mPoints = wall;
    outline.mCount = 4;
    ASSERT_GE(scene.GetGrid().InsertStaticEntry(outline), 0);
    Apply(push);
    EXPECT_EQ(PushesOn(corner), 0);
    EXPECT_TRUE(toy->mVelocityChanges.Count() == 0);
    push.mIgnoreShielding = 1;
    Apply(push);
    EXPECT_GE(PushesOn(corner), 1);

    // Another toy in the way does not shield.
    Toy* blocker = scene.NewToySlot();
    const VectorF square[4] = {{-5.0f, -5.0f}, {5.0f, -5.0f}, {5.0f, 5.0f}, {-5.0f, 5.0f}};
    ASSERT_TRUE(blocker->BuildFromPolygon(square, 4, 1.0f, VectorF(440.0f, 480.0f), 0.0f));
    ASSERT_TRUE(scene.GetGrid().InsertToy(*blocker));
    push.Set({420.0f, 480.0f}, 100.0f, 1000.0f, 0.0f);
    Apply(push);
    EXPECT_GE(PushesOn(PointIndex({480.0f, 480.0f})), 1);
}

TEST_F(PushWorld, NaNOrHugeValuesWalkOnlyTheGrid)
{
    struct Case {
        VectorF centre;
        float radius;
        bool pushes;
    };
    const Case cases[] = {
        {{kNaN, 500.0f}, 50.0f, false},
        {{500.0f, kNaN}, 50.0f, false},
        {{500.0f, 500.0f}, kNaN, false},
        {{500.0f, 500.0f}, 1e30f, true},
        {{500.0f, 500.0f}, std::numeric_limits<float>::infinity(), true},
        {{-1e30f, 1e30f}, 1e9f, false},
        {{3e9f, 3e9f}, 1.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.centre.mX << ", " << c.centre.mY << " r " << c.radius);
        RadialPush push;
        push.Set(c.centre, c.radius, 10.0f, 0.0f);
        Apply(push);
        EXPECT_EQ(toy->mVelocityChanges.Count() > 0, c.pushes);
        for (const VelocityChangeRecord& r : toy->mVelocityChanges) {
            EXPECT_TRUE(std::isfinite(r.mChange.mX));
            EXPECT_TRUE(std::isfinite(r.mChange.mY));
        }
    }
}

} // namespace
