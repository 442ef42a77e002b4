#include "physics/joints/Joint.h"
#include <cmath>
#include "base/MathUtil.h"
#include "physics/toys/Toy.h"

namespace KIV {

namespace {

// Two toys turning closer than this are locked together by a brake.
constexpr float kBrakeLockSpeed = 0.02f;
constexpr int32_t kCircleSegments = 16;
constexpr float kMarkerRadius = 4.0f;
constexpr float kCrossArm = 3.0f;
constexpr ColorRGBA kAnchorColour{255, 255, 0, 255};
constexpr ColorRGBA kLinkColour{0, 255, 255, 255};

// Writes the value and tells whether it differed, so setters mark the joint
// changed only for real changes.
template <typename T>
bool Assign(T& field, const T& value)
{
    if (field == value) return false;
    field = value;
    return true;
}

// Steps of a fade: seconds times steps per second, rounded half away from
// zero, at least one. A NaN or absurd duration must not reach an int
// conversion: it becomes one step or the longest countable fade.
uint32_t FadeFrameCount(float inverseStepLength, float seconds)
{
    const float frames = inverseStepLength * seconds;
    if (!(frames >= 1.0f)) return 1;
    if (frames >= 2147483520.0f) return 2147483520u;
    return static_cast<uint32_t>(RoundToInt(frames));
}

void AppendLine(Array<VectorF>& points, const VectorF& a, const VectorF& b)
{
    points.PushBack(a);
    points.PushBack(b);
}

} // namespace

Joint::Joint() = default;

Joint::~Joint()
{
    for (Shape& shape : mShapes) shape.Free();
    mPoseAngles.Free();
}

void Joint::ConnectToys(Toy* toyA, const VectorF& anchorA, Toy* toyB, const VectorF& anchorB)
{
    mToyA = toyA;
    mToyB = toyB;
    mWorldJoint = false;
    mAnchorA = anchorA;
    mAnchorB = anchorB;
    mDead = !toyA || !toyB;
    UpdateInertia();
}

void Joint::ConnectToWorld(Toy* toyA, const VectorF& anchorA, const VectorF& worldPoint)
{
    mWorldJoint = true;
    mWorldPoint = worldPoint;
    mToyA = toyA;
    mToyB = nullptr;
    mAnchorA = anchorA;
    mDead = !toyA;
    UpdateInertia();
}

bool Joint::ShouldBreak() const
{
    if (mToyA && mToyA->GetOutlinePointCount() == 3) return true;
    if (mToyB && mToyB->GetOutlinePointCount() == 3) return true;
    if (mGearJoint && !mToyA && !mToyB) return true;
    return mConstraint.GetLength() > mBreakJointMinForce;
}

VectorF Joint::GetWorldPointA() const { return mToyA ? mToyA->LocalToWorld(mAnchorA) : VectorF(); }

float Joint::GetPoseAngle(int32_t index) const
{
    return index >= 0 && index < mPoseAngles.Count() ? mPoseAngles[index].mAngle : 0.0f;
}

void Joint::MirrorPoseAngle(const FastName& pose)
{
    const int32_t i = FindPoseIndex(mPoseAngles, pose);
    if (i >= 0) mPoseAngles[i].mAngle = -mPoseAngles[i].mAngle;
}

void Joint::BuildShapes()
{
    Array<VectorF> points(64);
    const VectorF anchorA = GetWorldPointA();
    if (mToyA) AppendLine(points, mToyA->GetPosition(), anchorA);
    if (mToyB) AppendLine(points, mToyB->GetPosition(), mToyB->LocalToWorld(mAnchorB));
    for (int32_t i = 0; i < kCircleSegments; ++i) {
        const float a0 = kTwoPi * static_cast<float>(i) / kCircleSegments;
        const float a1 = kTwoPi * static_cast<float>(i + 1) / kCircleSegments;
        AppendLine(points, anchorA + VectorF(std::cos(a0), std::sin(a0)) * kMarkerRadius,
                   anchorA + VectorF(std::cos(a1), std::sin(a1)) * kMarkerRadius);
    }
    AppendLine(points, anchorA - VectorF(kCrossArm, 0.0f), anchorA + VectorF(kCrossArm, 0.0f));
    AppendLine(points, anchorA - VectorF(0.0f, kCrossArm), anchorA + VectorF(0.0f, kCrossArm));
    mShapes[0].InitPoints(1, points, kAnchorColour);
}

void Joint::BuildLinkShape()
{
    Array<VectorF> points(2);
    const VectorF anchorB = mWorldJoint ? mWorldPoint : (mToyB ? mToyB->LocalToWorld(mAnchorB) : VectorF());
    AppendLine(points, GetWorldPointA(), anchorB);
    mShapes[1].InitPoints(1, points, kLinkColour);
}

std::string Joint::GetNameA() const { return mToyA ? mToyA->GetName().GetInString() : std::string(); }

std::string Joint::GetNameB() const { return mToyB ? mToyB->GetName().GetInString() : std::string(); }

Toy* Joint::GetOtherToy(Toy* toy) const
{
    if (!toy) return nullptr;
    if (toy == mToyA) return mToyB;
    if (toy == mToyB) return mToyA;
    return nullptr;
}

void Joint::SetMotorEnabled(bool enabled)
{
    if (Assign(mMotorEnabled, static_cast<uint8_t>(enabled ? 1 : 0))) mChanged = 1;
}

void Joint::SetMotorPower(float power)
{
    if (Assign(mMotorPower, power)) mChanged = 1;
}

void Joint::SetMotorMaxSpeed(float speed)
{
    if (Assign(mMotorMaxSpeed, speed)) mChanged = 1;
}

void Joint::SetMotor(bool enabled, float power, float maxSpeed)
{
    // Every field is written; any real change marks the joint.
    const bool a = Assign(mMotorEnabled, static_cast<uint8_t>(enabled ? 1 : 0));
    const bool b = Assign(mMotorPower, power);
    const bool c = Assign(mMotorMaxSpeed, maxSpeed);
    if (a || b || c) mChanged = 1;
}

void Joint::DoMotorForce(const float& force, const bool& hold)
{
    const bool a = Assign(mMotorForceTarget, force);
    const bool b = Assign(mHoldMotorForce, static_cast<uint8_t>(hold ? 1 : 0));
    if (a || b) mChanged = 1;
}

void Joint::SetBrakePower(float power)
{
    if (Assign(mBrakePower, power)) mChanged = 1;
}

void Joint::DoBrakeMotor(const float& value)
{
    if (Assign(mBrakeMotor, value)) mChanged = 1;
    // The lock compares both toys: a world joint or a joint that lost a toy
    // only keeps the brake value.
    if (!mToyA || !mToyB) return;
    const float difference = mToyA->mAngularVelocityAfterImpulses - mToyB->mAngularVelocityAfterImpulses;
    if (AbsF(difference) < kBrakeLockSpeed) mToyA->mAngularVelocityAfterImpulses = mToyB->mAngularVelocityAfterImpulses;
}

void Joint::SetAngularFriction(const float& friction)
{
    if (Assign(mAngularFriction, friction)) mChanged = 1;
}

void Joint::SetAngularSpringPower(const float& power)
{
    if (Assign(mSpringPower, power)) mChanged = 1;
}

void Joint::SetAngularSpringAngle(const float& angle)
{
    if (Assign(mSpringAngle, angle)) mChanged = 1;
}

void Joint::SetAngularSpring(const float& power, const float& angle)
{
    const bool a = Assign(mSpringPower, power);
    const bool b = Assign(mSpringAngle, angle);
    if (a || b) mChanged = 1;
}

void Joint::FadeAngularSpring(const float& angle, const float& seconds)
{
    mFadeStartAngle = mSpringAngle;
    mFadeAngleChange = WrapAngle(angle - mFadeStartAngle, -kPi, kTwoPi);
    mChanged = 1;
    mFadeFramesTotal = FadeFrameCount(mInverseStepLength, seconds);
    mFadeFramesDone = 0;
}

void Joint::FadeAngularSpringByPose(const FastName& pose, const float& seconds)
{
    const int32_t i = FindPoseIndex(mPoseAngles, pose);
    if (i < 0) return;
    FadeAngularSpring(GetPoseAngle(i), seconds);
}

JointList::JointList()
{
    mJoints.SetGrowBy(64);
    mSlots.Init(kMaxJoints);
}

} // namespace KIV
