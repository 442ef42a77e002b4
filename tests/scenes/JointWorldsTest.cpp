#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include "base/WorkTeam.h"
#include "physics/world/GameSettings.h"
#include "physics/joints/Joint.h"
#include "physics/world/PhysicsStep.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/JointWorlds.h"
#include "scenes/Scenes.h"
#include "scenes/StepWorlds.h"

using namespace KIV;

namespace {

constexpr float kDt = 1.0f / Scenes::kStepFrequency;

// An empty walled world, large enough that nothing below reaches a wall.
struct OpenWorld : ::testing::Test {
    Scene scene;
    GameSettings settings;

    void SetUp() override
    {
        ASSERT_TRUE(Scenes::MakeWalledWorld(scene, RectF(0.0f, 0.0f, 2000.0f, 1600.0f)));
        Scenes::ApplyStepDefaults(scene);
    }

    Toy* Box(const VectorF& centre, float size = 40.0f, float density = 1.0f)
    {
        Toy* toy = Scenes::AddBoxToy(scene, VectorF(size, size), centre, 0.0f, density);
        EXPECT_NE(toy, nullptr);
        Scenes::ApplyStepDefaults(scene);
        return toy;
    }

    void Step(int32_t steps = 1) { Scenes::StepWorld(scene, settings, steps); }
};

// A box on a world pin 150 units away, released level.
void SwingPendulum(Scene& scene, const GameSettings& settings)
{
    const VectorF pin(1000.0f, 300.0f);
    Toy* bob = Scenes::AddBoxToy(scene, VectorF(40.0f, 40.0f), VectorF(1150.0f, 300.0f));
    ASSERT_NE(bob, nullptr);
    Scenes::ApplyStepDefaults(scene);
    Joint* joint = Scenes::PinToWorld(scene, bob, pin);
    ASSERT_NE(joint, nullptr);
    float lowest = bob->GetPosition().mY;
    // The worst drift of the anchor from its pin, and of the bob from its
    // arc, in each of ten seconds of swinging.
    float drift[10] = {}, offArc[10] = {};
    for (int32_t step = 0; step < 2100; ++step) {
        Scenes::StepWorld(scene, settings, 1);
        const int32_t second = step / 210;
        drift[second] = std::max(drift[second], VectorF::GetDistance(joint->GetWorldPointA(), pin));
        offArc[second] =
            std::max(offArc[second], std::fabs(VectorF::GetDistance(bob->GetPosition(), pin) - 150.0f));
        lowest = std::max(lowest, bob->GetPosition().mY);
    }
    EXPECT_GT(lowest, 440.0f) << "the bob swings down through the bottom of its arc";
    for (int32_t second = 0; second < 10; ++second) {
        EXPECT_LT(drift[second], 4.0f) << second;
        EXPECT_LT(offArc[second], 4.0f) << second;
    }
    EXPECT_LE(drift[9], drift[0]) << "the drift does not grow";
}

TEST_F(OpenWorld, PendulumKeepsItsAnchorDistance) { SwingPendulum(scene, settings); }

TEST_F(OpenWorld, PendulumKeepsItsAnchorDistanceWithTheOldResponse)
{
    settings.mOldResponseFunctions = 1;
    SwingPendulum(scene, settings);
}

TEST_F(OpenWorld, ChainLinksStayPinnedToEachOther)
{
    Toy* links[4];
    for (int32_t i = 0; i < 4; ++i) links[i] = Box({1000.0f + 40.0f * i, 300.0f}, 30.0f);
    ASSERT_NE(Scenes::PinToWorld(scene, links[0], {985.0f, 300.0f}), nullptr);
    Joint* joints[3];
    for (int32_t i = 0; i < 3; ++i)
        joints[i] = Scenes::JoinToys(scene, links[i], links[i + 1], {1020.0f + 40.0f * i, 300.0f});
    float worst = 0.0f;
    for (int32_t step = 0; step < 630; ++step) {
        Step();
        for (const Joint* j : joints)
            worst = std::max(worst, VectorF::GetDistance(j->GetWorldPointA(),
                                                         j->GetToyB()->LocalToWorld(j->GetPointB())));
    }
    EXPECT_LT(worst, 3.0f);
    EXPECT_GT(links[3]->GetPosition().mY, 350.0f) << "the chain hangs down";
}

TEST_F(OpenWorld, MotorReachesItsMaximumSpeedAndNoMore)
{
    // Pinned at its centre, so only the motor turns it.
    Toy* wheel = Box({1000.0f, 300.0f});
    Joint* joint = Scenes::PinToWorld(scene, wheel, wheel->GetPosition());
    ASSERT_NE(joint, nullptr);
    joint->SetMotor(true, 0.4f, 5.0f);
    joint->DoMotorForce(-50.0f, true);  // 20 radians per second per second, counter to the sign
    // The speed test reads the velocity the toy had a step before the one
    // being integrated, so the motor may overshoot by two steps' push.
    const float slack = 2.0f * 0.4f * 50.0f * kDt;
    float fastest = 0.0f;
    for (int32_t step = 0; step < 420; ++step) {
        Step();
        fastest = std::max(fastest, wheel->GetAngularVelocity());
    }
    EXPECT_LE(fastest, 5.0f + slack);
    EXPECT_GT(wheel->GetAngularVelocity(), 5.0f - slack);
}

TEST_F(OpenWorld, GearDrivesItsPartner)
{
    Toy* driver = Box({900.0f, 300.0f});
    Toy* driven = Box({1100.0f, 300.0f});
    Joint* motor = Scenes::PinToWorld(scene, driver, driver->GetPosition());
    ASSERT_NE(Scenes::PinToWorld(scene, driven, driven->GetPosition()), nullptr);
    Joint* gear = Scenes::JoinToys(scene, driver, driven, {1000.0f, 300.0f});
    ASSERT_NE(gear, nullptr);
    gear->mGearJoint = true;
    gear->SetGearRatio(-0.5f);
    motor->SetMotor(true, 0.4f, 4.0f);
    motor->DoMotorForce(-50.0f, true);
    Step(210);
    EXPECT_GT(driver->GetAngularVelocity(), 1.0f);
    EXPECT_NEAR(driven->GetAngularVelocity(), -0.5f * driver->GetAngularVelocity(), 0.05f);
    EXPECT_NEAR(driven->GetOrientation(), -0.5f * driver->GetOrientation(), 0.1f);
}

TEST_F(OpenWorld, JointOverItsBreakLimitBreaks)
{
    // Holding a box against gravity takes an impulse of about m g dt a step:
    // 1600 x 800 / 210 = 6095 for the light box, four times that for the heavy one.
    Toy* light = Box({800.0f, 300.0f}, 40.0f, 1.0f);
    Toy* heavy = Box({1200.0f, 300.0f}, 40.0f, 4.0f);
    Joint* holdsLight = Scenes::PinToWorld(scene, light, {800.0f, 280.0f});
    Joint* holdsHeavy = Scenes::PinToWorld(scene, heavy, {1200.0f, 280.0f});
    for (Joint* j : {holdsLight, holdsHeavy}) j->SetBreakJointMinForce(12000.0f);
    Step(105);
    EXPECT_FALSE(holdsLight->ShouldBreak());
    EXPECT_TRUE(holdsHeavy->ShouldBreak());
    EXPECT_GT(holdsHeavy->GetMaxConstraintReachedSqrL(), 12000.0f * 12000.0f);
}

TEST_F(OpenWorld, RemovedToyLeavesItsJointsDeadAndTheStepRunsOn)
{
    Toy* a = Box({1000.0f, 300.0f});
    Toy* b = Box({1040.0f, 300.0f});
    Joint* link = Scenes::JoinToys(scene, a, b, {1020.0f, 300.0f});
    Step(10);
    ASSERT_TRUE(scene.RemoveToy(b));
    EXPECT_TRUE(link->IsDead());
    EXPECT_EQ(link->GetToyB(), nullptr);
    EXPECT_EQ(link->GetToyA(), a);
    Step(10);
    EXPECT_TRUE(scene.DeleteJoint(scene.mJoints, link));
    EXPECT_EQ(a->mJoints.Count(), 0);
    EXPECT_EQ(scene.mJoints.mSlots.GetUsedCount(), 0);
    Step(10);
}

TEST_F(OpenWorld, RadialPushPushesUntilItExpires)
{
    Toy* box = Box({1000.0f, 1000.0f});
    scene.mGravity = VectorF();
    // Expires in its second step: pushes in steps 1 and 2, is gone from step 3.
    scene.AddRadialPush({940.0f, 1000.0f}, 100.0f, 50000.0f, 1.5f * kDt);
    const int32_t pushes[] = {1, 1, 0, 0};
    for (int32_t expected : pushes) {
        const float before = box->mVelocityAfterImpulses.mX;
        Step();
        EXPECT_EQ(box->mVelocityChanges.Count() > 0, expected == 1);
        if (expected) {
            EXPECT_GT(box->mVelocityAfterImpulses.mX, before);
        }
    }
    EXPECT_EQ(scene.mRadialPushes.Count(), 0);
}

TEST(JointCreation, RefusesBeyondTheListsSlots)
{
    Scene scene;
    Toy* toy = scene.NewToySlot();
    for (int32_t i = 0; i < JointList::kMaxJoints; ++i)
        ASSERT_NE(scene.CreateJoint(scene.mEditJoints, "j", toy, {}, nullptr, {}, nullptr), nullptr) << i;
    EXPECT_EQ(scene.CreateJoint(scene.mEditJoints, "j", toy, {}, nullptr, {}, nullptr), nullptr);
    EXPECT_EQ(scene.mEditJoints.mJoints.Count(), JointList::kMaxJoints);
    EXPECT_NE(scene.mEditJoints.mJoints[0]->mFirstIndex, scene.mEditJoints.mJoints[1]->mFirstIndex);
    // The other list has slots of its own.
    Joint* first = scene.CreateJoint(scene.mJoints, "a very long joint name", toy, {}, nullptr, {1, 2}, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_GE(first->mFirstIndex, 0);
    EXPECT_EQ(first->GetName().GetInString(), "a very long join");
    EXPECT_TRUE(first->IsWorldJoint());
    EXPECT_EQ(first->GetWorldPoint(), VectorF(1, 2));
}

// Chains of jointed toys step to the same bits twice and on several threads
// (the determinism check program goes further, on idle machines).
TEST(ChainWorld, StepsDeterministicallySerialAndParallel)
{
    auto run = [](bool parallel, int32_t threads) {
        Scene scene;
        EXPECT_TRUE(Scenes::MakeChains(scene, 32));
        GameSettings settings;
        settings.mParallelismEnabled = parallel ? 1 : 0;
        if (parallel) WorkTeam::Shared().SetThreadCount(threads);
        Scenes::StepWorld(scene, settings, 300);
        return Scenes::HashToyState(scene);
    };
    const uint64_t serial = run(false, 1);
    EXPECT_EQ(run(false, 1), serial);
    for (int32_t threads : {2, 4}) EXPECT_EQ(run(true, threads), serial) << threads << " threads";
}

} // namespace
