// What a robot's Update script does to its joints: poses, fades, spring
// powers, frictions and gear cramps on the joints whose names begin with a
// prefix, and aiming a gun.
#include <cmath>
#include "base/MathUtil.h"
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"
#include "robots/Robot.h"

namespace KIV {

template <typename Action>
void Robot::ForJointsWithPrefix(const std::string& prefix, Action action)
{
    for (Joint* j : mJoints)
        if (j->GetName().FirstCharactersEqual(prefix)) action(*j);
}

void Robot::SetAngularSpringAnglesByPose(const std::string& prefix, const std::string& pose)
{
    const FastName name(pose);
    ForJointsWithPrefix(prefix, [&](Joint& j) {
        int32_t i = FindPoseIndex(j.mPoseAngles, name);
        j.SetAngularSpringAngle(i >= 0 ? j.mPoseAngles[i].mAngle : 0.0f);
    });
}

void Robot::FadeAngularSpringAnglesByPose(const std::string& prefix, const std::string& pose, float seconds)
{
    const FastName name(pose);
    ForJointsWithPrefix(prefix, [&](Joint& j) {
        int32_t i = FindPoseIndex(j.mPoseAngles, name);
        if (i >= 0) j.FadeAngularSpring(j.mPoseAngles[i].mAngle, seconds);
    });
}

void Robot::SetAngularSpringPowers(const std::string& prefix, float power)
{
    ForJointsWithPrefix(prefix, [&](Joint& j) { j.SetAngularSpringPower(power); });
}

void Robot::SetAngularFrictions(const std::string& prefix, float friction)
{
    ForJointsWithPrefix(prefix, [&](Joint& j) { j.SetAngularFriction(friction); });
}

void Robot::MirrorPose(const std::string& prefix, const std::string& pose)
{
    const FastName name(pose);
    ForJointsWithPrefix(prefix, [&](Joint& j) { j.MirrorPoseAngle(name); });
}

void Robot::SetGearCramp(const std::string& prefix, bool on)
{
    ForJointsWithPrefix(prefix, [&](Joint& j) { j.mRobotFlag1 = on ? 1 : 0; });
}

void Robot::SetGearCrampWhenSpringsAtTarget(const std::string& prefix, bool on, float tolerance)
{
    ForJointsWithPrefix(prefix, [&](Joint& j) {
        j.mRobotFlag3 = on ? 1 : 0;
        j.mPoseTolerance = tolerance;
    });
}

void Robot::GunAim1(VectorF aim, const std::string& gunToy, const std::string& baseToy, const std::string& joint,
                    float power)
{
    Toy* gun = GetToyByName(gunToy);
    Toy* base = GetToyByName(baseToy);
    Joint* j = GetJointByName(joint);
    if (!gun || !base || !j) return;
    constexpr float kHalfPi = 1.5707964f;
    constexpr float kThreeHalfPi = 4.712389f;
    constexpr float kBand = 0.6f;
    const VectorF d(aim.mX - gun->GetPosition().mX, aim.mY - gun->GetPosition().mY);
    float a = WrapAngle(std::atan2(d.mY, -d.mX) - base->GetOrientation(), 0.0f, kTwoPi);
    // The gun never points into the band straight through its base.
    if (a > kBand && a <= kHalfPi) a = kBand;
    else if (a > kHalfPi && a < kPi - kBand) a = kPi - kBand;
    const float b = WrapAngle(gun->GetOrientation() - base->GetOrientation(), 0.0f, kTwoPi);
    float step = a - b;
    // Where the short way round crosses the band, turn the long way instead, a quarter turn at a time.
    if (b >= 0.0f && b < kHalfPi && a > kHalfPi && a < kThreeHalfPi) step = -kHalfPi;
    else if (b > kThreeHalfPi && a > kHalfPi && a < kPi) step = -kHalfPi;
    else if (b >= kHalfPi && b < kPi && (a > kThreeHalfPi || a < kHalfPi)) step = kHalfPi;
    else if (b >= kPi && b < kThreeHalfPi && a < kHalfPi) step = kHalfPi;
    j->SetAngularSpring(power, b + step);
}

} // namespace KIV
