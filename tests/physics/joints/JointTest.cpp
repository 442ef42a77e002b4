#include <gtest/gtest.h>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include "base/MathUtil.h"
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"

using namespace KIV;

namespace {

constexpr float kDegree = kPi / 180.0f;
constexpr float kDt = 1.0f / 210.0f;

std::unique_ptr<Toy> MakeBox(const VectorF& position, float angle = 0.0f, float halfSize = 20.0f)
{
    auto toy = std::make_unique<Toy>();
    const float h = halfSize;
    const VectorF square[4] = {{-h, -h}, {h, -h}, {h, h}, {-h, h}};
    EXPECT_TRUE(toy->BuildFromPolygon(square, 4, 1.0f, position, angle));
    return toy;
}

std::unique_ptr<Toy> MakeTriangle()
{
    auto toy = std::make_unique<Toy>();
    const VectorF triangle[3] = {{0.0f, 0.0f}, {40.0f, 0.0f}, {0.0f, 40.0f}};
    EXPECT_TRUE(toy->BuildFromPolygon(triangle, 3, 1.0f, VectorF(), 0.0f));
    return toy;
}

// Two boxes pinned at the midpoint between them.
struct JointedPair : ::testing::Test {
    std::unique_ptr<Toy> a = MakeBox({0.0f, 0.0f});
    std::unique_ptr<Toy> b = MakeBox({40.0f, 0.0f});
    Joint joint;

    void SetUp() override
    {
        joint.ConnectToys(a.get(), {20.0f, 0.0f}, b.get(), {-20.0f, 0.0f});
        joint.SolveAngular(kDt);
    }
};

TEST_F(JointedPair, ConnectionMeasuresBothToys)
{
    EXPECT_FALSE(joint.IsDead());
    EXPECT_FALSE(joint.IsWorldJoint());
    EXPECT_EQ(joint.mInertiaA, a->mMomentOfInertia);
    EXPECT_EQ(joint.mInverseInertiaB, 1.0f / b->mMomentOfInertia);
    EXPECT_EQ(joint.GetOtherToy(a.get()), b.get());
    EXPECT_EQ(joint.GetOtherToy(b.get()), a.get());
    EXPECT_EQ(joint.GetOtherToy(nullptr), nullptr);
    EXPECT_FLOAT_EQ(joint.mInverseStepLength, 210.0f);
}

TEST(Joint, ConnectionWithoutItsToysIsDead)
{
    auto a = MakeBox({0.0f, 0.0f});
    Joint toys;
    toys.ConnectToys(a.get(), {}, nullptr, {});
    EXPECT_TRUE(toys.IsDead());
    Joint world;
    world.ConnectToWorld(nullptr, {}, {5.0f, 5.0f});
    EXPECT_TRUE(world.IsDead());
    world.ConnectToWorld(a.get(), {3.0f, 4.0f}, {5.0f, 5.0f});
    EXPECT_FALSE(world.IsDead());
    EXPECT_TRUE(world.IsWorldJoint());
    EXPECT_EQ(world.GetToyB(), nullptr);
    EXPECT_EQ(world.GetPointA(), VectorF(3.0f, 4.0f));
    EXPECT_EQ(world.GetWorldPoint(), VectorF(5.0f, 5.0f));
    EXPECT_EQ(world.GetNameB(), "");
}

TEST(Joint, SettersMarkChangedOnlyForRealChanges)
{
    struct Case {
        const char* name;
        std::function<void(Joint&)> setSame;   // writes the stored value again
        std::function<void(Joint&)> setOther;  // writes a new value
        bool marksWhenChanged;
    };
    const Case cases[] = {
        {"motor power", [](Joint& j) { j.SetMotorPower(0.4f); }, [](Joint& j) { j.SetMotorPower(0.5f); }, true},
        {"motor enabled", [](Joint& j) { j.SetMotorEnabled(false); }, [](Joint& j) { j.SetMotorEnabled(true); }, true},
        {"max speed", [](Joint& j) { j.SetMotorMaxSpeed(5.0f); }, [](Joint& j) { j.SetMotorMaxSpeed(6.0f); }, true},
        {"motor", [](Joint& j) { j.SetMotor(false, 0.4f, 5.0f); }, [](Joint& j) { j.SetMotor(false, 0.4f, 7.0f); },
         true},
        {"motor force", [](Joint& j) { j.DoMotorForce(0.0f, false); }, [](Joint& j) { j.DoMotorForce(0.0f, true); },
         true},
        {"brake power", [](Joint& j) { j.SetBrakePower(1.0f); }, [](Joint& j) { j.SetBrakePower(2.0f); }, true},
        {"brake motor", [](Joint& j) { j.DoBrakeMotor(0.0f); }, [](Joint& j) { j.DoBrakeMotor(1.0f); }, true},
        {"friction", [](Joint& j) { j.SetAngularFriction(0.0f); }, [](Joint& j) { j.SetAngularFriction(0.1f); },
         true},
        {"spring power", [](Joint& j) { j.SetAngularSpringPower(0.0f); },
         [](Joint& j) { j.SetAngularSpringPower(3.0f); }, true},
        {"spring angle", [](Joint& j) { j.SetAngularSpringAngle(0.0f); },
         [](Joint& j) { j.SetAngularSpringAngle(1.0f); }, true},
        {"spring", [](Joint& j) { j.SetAngularSpring(0.0f, 0.0f); }, [](Joint& j) { j.SetAngularSpring(0.0f, 2.0f); },
         true},
        {"gear ratio", [](Joint& j) { j.SetGearRatio(1.0f); }, [](Joint& j) { j.SetGearRatio(3.0f); }, false},
        {"spring shift", [](Joint& j) { j.ShiftAngularSpring(0.0f); }, [](Joint& j) { j.ShiftAngularSpring(1.0f); },
         false},
        {"break force", [](Joint& j) { j.SetBreakJointMinForce(Joint::kDefaultBreakForce); },
         [](Joint& j) { j.SetBreakJointMinForce(5.0f); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Joint joint;
        c.setSame(joint);
        EXPECT_EQ(joint.mChanged, 0);
        c.setOther(joint);
        EXPECT_EQ(joint.mChanged != 0, c.marksWhenChanged);
    }
}

TEST(JointFade, TakesTheShortWayRound)
{
    Joint joint;
    joint.mSpringAngle = 170.0f * kDegree;
    joint.FadeAngularSpring(-170.0f * kDegree, 0.1f);
    EXPECT_NEAR(joint.mFadeAngleChange, 20.0f * kDegree, 1e-5f);
    EXPECT_EQ(joint.mChanged, 1);
}

TEST(JointFade, TakesItsSetNumberOfSteps)
{
    struct Case {
        float seconds;
        uint32_t steps;
    };
    // 210 steps per second; a zero, negative or NaN duration is one step.
    const Case cases[] = {{0.0f, 1}, {-3.0f, 1}, {std::numeric_limits<float>::quiet_NaN(), 1},
                          {10.0f / 210.0f, 10}, {0.5f, 105}, {1.0f, 210}, {1e30f, 2147483520u}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        Joint joint;
        joint.SolveAngular(kDt);
        joint.FadeAngularSpring(1.0f, c.seconds);
        EXPECT_EQ(joint.mFadeFramesTotal, c.steps);
        if (c.steps > 1000) continue;
        for (uint32_t step = 1; step <= c.steps; ++step) {
            joint.Step();
            // Finished-now is true on the last step of the fade and on no other.
            EXPECT_EQ(joint.GetAngularSpringAngleFadeFinishedNow(), step == c.steps) << step;
        }
        EXPECT_FLOAT_EQ(joint.GetAngularSpringAngle(), 1.0f);
        joint.Step();
        EXPECT_FALSE(joint.GetAngularSpringAngleFadeFinishedNow());
        EXPECT_FLOAT_EQ(joint.GetAngularSpringAngle(), 1.0f);
    }
}

TEST(JointFade, ByPoseFadesToThePoseAngleAndIgnoresUnknownPoses)
{
    Joint joint;
    joint.SolveAngular(kDt);
    joint.mPoseAngles.PushBack(PoseAngle{FastName("basic"), 0.0f, 0});
    joint.mPoseAngles.PushBack(PoseAngle{FastName("crouch"), 0.8f, 0});
    joint.FadeAngularSpringByPose(FastName("jump"), 1.0f);
    EXPECT_EQ(joint.mFadeFramesTotal, 0u);
    EXPECT_EQ(joint.mChanged, 0);
    joint.FadeAngularSpringByPose(FastName("crouch"), 2.0f / 210.0f);
    joint.Step();
    joint.Step();
    EXPECT_FLOAT_EQ(joint.GetAngularSpringAngle(), 0.8f);
    joint.MirrorPoseAngle(FastName("crouch"));
    EXPECT_FLOAT_EQ(joint.GetPoseAngle(1), -0.8f);
    joint.MirrorPoseAngle(FastName("absent"));
    EXPECT_FLOAT_EQ(joint.GetPoseAngle(0), 0.0f);
    EXPECT_FLOAT_EQ(joint.GetPoseAngle(7), 0.0f);
}

TEST(JointStep, MotorForceSmoothsTowardsItsTarget)
{
    Joint joint;
    joint.mMotorForceSmoothing = 0.5f;
    joint.DoMotorForce(8.0f, true);
    const float expected[] = {4.0f, 6.0f, 7.0f, 7.5f};
    for (float e : expected) {
        joint.Step();
        EXPECT_FLOAT_EQ(joint.mMotorForce, e);
    }
    // Without hold the target lasts one step.
    Joint once;
    once.DoMotorForce(8.0f, false);
    once.Step();
    EXPECT_FLOAT_EQ(once.mMotorForce, 8.0f);
    once.Step();
    EXPECT_FLOAT_EQ(once.mMotorForce, 0.0f);
}

TEST_F(JointedPair, SpringPullsTheShortWayThroughHalfATurn)
{
    // A at +179 degrees, B at -179: the spring to 0 closes a 2-degree gap,
    // not a 358-degree one, turning A up through 180.
    a->mOrientation = 179.0f * kDegree;
    b->mOrientation = -179.0f * kDegree;
    joint.SetAngularSpring(1.0f, 0.0f);
    joint.SolveAngular(kDt);
    const float gap = 2.0f * kDegree;
    const float inertiaSum = joint.mInertiaA + joint.mInertiaB;
    EXPECT_NEAR(a->mTorque, inertiaSum / joint.mInertiaA * gap, 1e-3f);
    EXPECT_NEAR(b->mTorque, -inertiaSum / joint.mInertiaB * gap, 1e-3f);
}

TEST_F(JointedPair, MotorStopsPushingBeyondMaxSpeedOnlyInThatDirection)
{
    struct Case {
        float force;        // DoMotorForce argument; the motor pushes A by -force
        float relativeSpeed;  // A's angular velocity minus B's
        bool pushes;
    };
    const Case cases[] = {
        {-1.0f, 4.0f, true}, {-1.0f, 5.0f, false}, {-1.0f, 6.0f, false},
        {1.0f, 6.0f, true},  {1.0f, -5.0f, false}, {1.0f, -4.0f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.force << " at " << c.relativeSpeed);
        a->mTorque = b->mTorque = 0.0f;
        a->mAngularVelocity = c.relativeSpeed;
        b->mAngularVelocity = 0.0f;
        joint.SetMotorEnabled(true);
        joint.DoMotorForce(c.force, false);
        joint.Step();
        joint.SolveAngular(kDt);
        EXPECT_EQ(a->mTorque != 0.0f, c.pushes);
        if (c.pushes) {
            EXPECT_EQ(a->mTorque > 0.0f, c.force < 0.0f);
        }
    }
}

TEST_F(JointedPair, BrakeActsForOneStepAndLocksNearlyEqualTurning)
{
    a->mAngularVelocityAfterImpulses = 1.0f;
    b->mAngularVelocityAfterImpulses = 1.01f;
    joint.DoBrakeMotor(1.0f);
    EXPECT_EQ(a->mAngularVelocityAfterImpulses, 1.01f);
    a->mAngularVelocityAfterImpulses = 0.0f;
    joint.SolveAngular(kDt);
    EXPECT_GT(a->mTorque, 0.0f);
    EXPECT_LT(b->mTorque, 0.0f);
    EXPECT_EQ(joint.mBrakeMotor, 0.0f);
}

TEST(JointMissingToyB, BrakeAndWorldSpringTouchOnlyToyA)
{
    // The brake compares two toys and the spring of a two-toy joint turns
    // both: on a world joint, or on a joint whose toy B went away, neither
    // may reach for toy B.
    auto a = MakeBox({0.0f, 0.0f});
    Joint world;
    world.ConnectToWorld(a.get(), {10.0f, 0.0f}, {10.0f, 0.0f});
    a->mAngularVelocityAfterImpulses = 0.5f;
    world.DoBrakeMotor(2.0f);
    EXPECT_EQ(a->mAngularVelocityAfterImpulses, 0.5f);
    world.SetAngularSpring(2.0f, 0.3f);
    world.SetAngularFriction(0.1f);
    world.SolveAngular(kDt);
    EXPECT_NE(a->mTorque, 0.0f);
    EXPECT_TRUE(std::isfinite(a->mTorque));

    auto b = MakeBox({40.0f, 0.0f});
    Joint lost;
    lost.ConnectToys(a.get(), {}, b.get(), {});
    lost.mToyB = nullptr;  // as the scene leaves a joint whose toy was removed
    lost.DoBrakeMotor(1.0f);
    lost.SetAngularSpring(2.0f, 0.3f);
    const float torque = a->mTorque;
    lost.SolveAngular(kDt);
    EXPECT_EQ(a->mTorque, torque);
    EXPECT_FALSE(lost.SolveVelocity());
    lost.CorrectPosition();
}

TEST_F(JointedPair, VelocitySolveStopsTheAnchorsSeparating)
{
    a->mVelocityAfterImpulses = {-30.0f, 5.0f};
    b->mVelocityAfterImpulses = {20.0f, -8.0f};
    a->mAngularVelocityAfterImpulses = 0.7f;
    b->mAngularVelocityAfterImpulses = -1.1f;
    a->mOrientation = 0.3f;
    b->mOrientation = -0.2f;
    joint.UpdateAnchors();
    auto separation = [this] {
        auto at = [](const Toy& t, const VectorF& r) {
            const float w = t.mAngularVelocityAfterImpulses;
            return t.mVelocityAfterImpulses + VectorF(w * r.mY, -w * r.mX);
        };
        return at(*a, joint.mWorldAnchorA) - at(*b, joint.mWorldAnchorB);
    };
    const VectorF before = separation();
    ASSERT_TRUE(joint.SolveVelocity());
    // One impulse along the separation leaves none along it.
    EXPECT_NEAR(Dot(separation(), before) / before.GetLength(), 0.0f, 1e-3f);
    EXPECT_GT(joint.GetConstraint().GetLength(), 0.0f);
    EXPECT_LT(Dot(joint.GetConstraint(), before), 0.0f);
}

TEST_F(JointedPair, OldAndNewVelocitySolvesGiveTheSameImpulse)
{
    a->mVelocityAfterImpulses = {-30.0f, 5.0f};
    b->mVelocityAfterImpulses = {20.0f, -8.0f};
    a->mAngularVelocityAfterImpulses = 0.7f;
    a->mOrientation = 0.3f;
    joint.UpdateAnchors();
    const VectorF va = a->mVelocityAfterImpulses, vb = b->mVelocityAfterImpulses;
    const float wa = a->mAngularVelocityAfterImpulses, wb = b->mAngularVelocityAfterImpulses;
    ASSERT_TRUE(joint.SolveVelocity());
    const VectorF newImpulse = joint.GetConstraint();
    a->mVelocityAfterImpulses = va;
    b->mVelocityAfterImpulses = vb;
    a->mAngularVelocityAfterImpulses = wa;
    b->mAngularVelocityAfterImpulses = wb;
    joint.mConstraint = VectorF();
    ASSERT_TRUE(joint.SolveVelocityOld());
    EXPECT_NEAR(joint.GetConstraint().mX, newImpulse.mX, 1e-3f * newImpulse.GetLength());
    EXPECT_NEAR(joint.GetConstraint().mY, newImpulse.mY, 1e-3f * newImpulse.GetLength());
}

TEST_F(JointedPair, GearCouplesTheTurningOfBothToys)
{
    joint.mGearJoint = true;
    joint.SetGearRatio(-2.0f);
    a->mAngularVelocityAfterImpulses = 3.0f;
    b->mAngularVelocityAfterImpulses = 0.0f;
    const VectorF va = a->mVelocityAfterImpulses;
    ASSERT_TRUE(joint.SolveVelocity());
    EXPECT_FLOAT_EQ(b->mAngularVelocityAfterImpulses, -2.0f * a->mAngularVelocityAfterImpulses);
    EXPECT_EQ(a->mVelocityAfterImpulses, va);  // a gear does not pin
    // Its angular solve is the robot's: motor and spring leave the toys alone.
    joint.SetMotorEnabled(true);
    joint.DoMotorForce(5.0f, true);
    joint.SetAngularSpring(3.0f, 1.0f);
    joint.Step();
    joint.SolveAngular(kDt);
    EXPECT_EQ(a->mTorque, 0.0f);
}

TEST_F(JointedPair, ReachedPoseTurnsBothToysAsOne)
{
    joint.mPoseCheckArmed = 1;
    joint.mPoseTolerance = 0.05f;
    joint.SetAngularSpringAngle(0.5f);
    b->mOrientation = 0.6f;  // 0.1 from the pose: not there yet
    joint.SolveAngular(kDt);
    EXPECT_EQ(joint.mPoseReached, 0);
    b->mOrientation = 0.52f;
    joint.SolveAngular(kDt);
    EXPECT_EQ(joint.mPoseReached, 1);
    EXPECT_EQ(joint.mPoseCheckArmed, 0);
    a->mVelocityAfterImpulses = {10.0f, 0.0f};
    a->mAngularVelocityAfterImpulses = 2.0f;
    b->mAngularVelocityAfterImpulses = -1.0f;
    joint.UpdateAnchors();
    ASSERT_TRUE(joint.SolveVelocity());
    EXPECT_EQ(a->mAngularVelocityAfterImpulses, b->mAngularVelocityAfterImpulses);
}

TEST_F(JointedPair, SpringShiftAcceleratesTheSpringAngle)
{
    joint.ShiftAngularSpring(210.0f * 210.0f);  // one unit per step squared
    joint.SolveAngular(kDt);
    EXPECT_NEAR(joint.GetAngularSpringAngle(), 0.5f, 1e-4f);
    joint.SolveAngular(kDt);
    EXPECT_NEAR(joint.GetAngularSpringAngle(), 2.0f, 1e-4f);
    joint.SolveAngular(kDt);
    EXPECT_NEAR(joint.GetAngularSpringAngle(), 4.5f - kTwoPi, 1e-4f) << "wrapped into half a turn either way";
    joint.ShiftAngularSpring(0.0f);
    joint.SolveAngular(kDt);
    EXPECT_EQ(joint.mSpringShiftSpeed, 0.0f);
    EXPECT_NEAR(joint.GetAngularSpringAngle(), 4.5f - kTwoPi, 1e-4f);
}

TEST(JointBreak, ShouldBreakCases)
{
    auto box = MakeBox({0.0f, 0.0f});
    auto other = MakeBox({50.0f, 0.0f});
    auto triangle = MakeTriangle();
    ASSERT_EQ(triangle->GetOutlinePointCount(), 3);

    Joint pulled;
    pulled.ConnectToys(box.get(), {}, other.get(), {});
    pulled.SetBreakJointMinForce(100.0f);
    pulled.mConstraint = {60.0f, 80.0f};  // exactly at the limit
    EXPECT_FALSE(pulled.ShouldBreak());
    pulled.mConstraint = {60.0f, 80.1f};
    EXPECT_TRUE(pulled.ShouldBreak());

    Joint onTriangle;
    onTriangle.ConnectToys(box.get(), {}, triangle.get(), {});
    EXPECT_TRUE(onTriangle.ShouldBreak());
    Joint worldTriangle;
    worldTriangle.ConnectToWorld(triangle.get(), {}, {});
    EXPECT_TRUE(worldTriangle.ShouldBreak());

    Joint gear;
    gear.mGearJoint = true;
    EXPECT_TRUE(gear.ShouldBreak());
    gear.ConnectToys(box.get(), {}, other.get(), {});
    EXPECT_FALSE(gear.ShouldBreak());
}

TEST(JointMeasure, KeepsTheLargestSquaredConstraint)
{
    Joint joint;
    joint.mChanged = 1;
    joint.mConstraint = {3.0f, 4.0f};
    joint.Measure();
    EXPECT_EQ(joint.mChanged, 0);
    EXPECT_FLOAT_EQ(joint.GetConstraintSqrL(), 25.0f);
    joint.Step();
    EXPECT_EQ(joint.GetConstraint(), VectorF());
    joint.Measure();
    EXPECT_FLOAT_EQ(joint.GetConstraintSqrL(), 0.0f);
    EXPECT_FLOAT_EQ(joint.GetMaxConstraintReachedSqrL(), 25.0f);
    joint.NullMeasuredStuff();
    EXPECT_FLOAT_EQ(joint.GetMaxConstraintReachedSqrL(), 0.0f);
}

} // namespace
