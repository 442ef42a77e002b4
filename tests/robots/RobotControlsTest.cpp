#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"
#include "robots/Robot.h"

using namespace KIV;

TEST(RobotControls, EachStepCopiesTheFramesKeysAimAndShoot)
{
    uint8_t frame[RobotControls::kFrameBytes] = {};
    frame[0] = 1;      // W went down: Up
    frame[10] = 1;     // D held: Right
    frame[14] = 1;     // space went up: Brake
    frame[20] = 1;     // Down arrow went up: AimDown
    frame[33] = 1;     // left button held: Shoot
    frame[21] = 1;     // padding: never a key
    const float aim[2] = {12.5f, -3.0f};
    std::memcpy(frame + 24, aim, 8);
    Robot r;
    r.ApplyControls(frame);
    EXPECT_TRUE(r.KeyUp_Downed());
    EXPECT_FALSE(r.KeyUp_Down());
    EXPECT_TRUE(r.KeyRight_Down());
    EXPECT_TRUE(r.KeyBrake_Upped());
    EXPECT_TRUE(r.KeyAimDown_Upped());
    EXPECT_TRUE(r.KeyShoot_Down());
    EXPECT_FALSE(r.KeyShoot_Downed());
    EXPECT_EQ(r.KeyMousePos_Aim(), VectorF(12.5f, -3.0f));
    // The next step's frame replaces all of it.
    uint8_t quiet[RobotControls::kFrameBytes] = {};
    r.ApplyControls(quiet);
    EXPECT_FALSE(r.KeyUp_Downed());
    EXPECT_FALSE(r.KeyRight_Down());
}

namespace {

struct Legs {
    Joint hipL, hipR, neck;
    Robot robot;
    Legs()
    {
        hipL.SetName("hipL");
        hipR.SetName("hipR");
        neck.SetName("neck");
        PoseAngle walk;
        walk.mName = FastName("walk");
        walk.mAngle = 0.75f;
        hipL.mPoseAngles.PushBack(walk); // hipR lacks the pose
        for (Joint* j : {&hipL, &hipR, &neck}) {
            j->SetAngularSpringAngle(5.0f);
            robot.AddJoint(j);
        }
    }
    ~Legs() { robot.ReleaseParts(); }
};

} // namespace

TEST(RobotJointControls, PrefixPicksTheJointsAndMissingPosesMeanZero)
{
    Legs legs;
    legs.robot.SetAngularSpringAnglesByPose("hip", "walk");
    EXPECT_EQ(legs.hipL.GetAngularSpringAngle(), 0.75f);
    EXPECT_EQ(legs.hipR.GetAngularSpringAngle(), 0.0f) << "a joint without the pose aims at 0";
    EXPECT_EQ(legs.neck.GetAngularSpringAngle(), 5.0f) << "outside the prefix";
    legs.robot.SetAngularSpringPowers("hip", 40.0f);
    legs.robot.SetAngularFrictions("", 2.0f);
    EXPECT_EQ(legs.hipR.GetAngularSpringPower(), 40.0f);
    EXPECT_EQ(legs.neck.GetAngularSpringPower(), 0.0f);
    EXPECT_EQ(legs.neck.GetAngularFriction(), 2.0f) << "the empty prefix picks every joint";
    legs.robot.MirrorPose("hip", "walk");
    EXPECT_EQ(legs.hipL.GetPoseAngle(0), -0.75f);
    legs.robot.FadeAngularSpringAnglesByPose("hip", "walk", 0.5f);
    EXPECT_EQ(legs.hipR.GetAngularSpringAngle(), 0.0f) << "joints without the pose are left alone";
}

TEST(RobotJointControls, GunAimKeepsOutOfTheBandThroughItsBase)
{
    Toy gun, base;
    Joint joint;
    gun.SetName("gun");
    base.SetName("base");
    joint.SetName("mount");
    Robot r;
    r.AddToy(&gun);
    r.AddToy(&base);
    r.AddJoint(&joint);
    base.SetPlacement({0, 0}, 0.0f, false);

    const struct {
        float aimAngle; // direction of the aim from the gun, as the gun measures it
        float gunAngle;
        float target;
    } cases[] = {
        {1.5707964f, 0.0f, 0.6f},                     // straight through the base: held at the band's edge
        {2.0f, 1.6707964f, 2.5415926f},               // inside the band from the other side
        {0.3f, 0.0f, 0.3f},                           // free to turn straight there
        {3.5f, 0.2f, 0.2f - 1.5707964f},              // the short way crosses the band: a quarter turn back
    };
    for (const auto& c : cases) {
        gun.SetPlacement({10, 10}, c.gunAngle, false);
        const VectorF aim(10 - std::cos(c.aimAngle) * 5, 10 + std::sin(c.aimAngle) * 5);
        r.GunAim1(aim, "gun", "base", "mount", 7.0f);
        EXPECT_NEAR(joint.GetAngularSpringAngle(), c.target, 1e-5) << c.aimAngle;
        EXPECT_EQ(joint.GetAngularSpringPower(), 7.0f);
    }
    joint.SetAngularSpring(1.0f, 9.0f);
    r.GunAim1({0, 0}, "gun", "nobody", "mount", 7.0f);
    EXPECT_EQ(joint.GetAngularSpringAngle(), 9.0f) << "a missing toy leaves the joint alone";
    r.ReleaseParts();
}
