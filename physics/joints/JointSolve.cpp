#include <cmath>
#include "base/WorkTeam.h"
#include "base/MathUtil.h"
#include "physics/contacts/Contacts.h"
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"

namespace KIV {

namespace {

// The share of a torque that turns a toy: T / I, nothing for a toy whose
// inertia was never measured (a division would feed infinities to the solver).
float PerInertia(float torque, float inertia) { return inertia != 0.0f ? torque / inertia : 0.0f; }

float WrapSigned(float angle) { return WrapAngle(angle, -kPi, kTwoPi); }
float WrapPositive(float angle) { return WrapAngle(angle, 0.0f, kTwoPi); }

float PredictedAngle(const Toy& toy, float stepLength)
{
    return toy.mOrientation + toy.mAngularVelocityAfterImpulses * stepLength;
}

// Velocity of a toy's point at lever r from its position, from the
// velocities after impulses (y grows downward: w turns (x, y) towards (y, -x)).
VectorF AnchorVelocity(const Toy& toy, const VectorF& r)
{
    const float w = toy.mAngularVelocityAfterImpulses;
    return {toy.mVelocityAfterImpulses.mX + w * r.mY, toy.mVelocityAfterImpulses.mY - w * r.mX};
}

VectorF NegatedDirection(const VectorF& v)
{
    VectorF d = -v;
    d.NormalizeInPlace();
    return d;
}

// The anchor of a toy that flexes follows its mesh from the rest shape.
VectorF DeformedAnchor(const Toy& toy, const VectorF& anchor)
{
    return toy.mAllowElasticDeform ? toy.mGeometry.MapRestPointToCurrent(anchor) : anchor;
}

float Square(float v) { return v * v; }

// One body per joint in list order; each touches only its own joint.
template <typename Body>
void ForEachJoint(PtrArray<Joint>& joints, bool parallel, Body body)
{
    const int32_t n = joints.Count();
    // A joint's own step is some tens of nanoseconds: forking pays from a
    // few thousand joints on.
    WorkTeam::Shared().For(n, 1024, parallel, [&](int32_t i, int32_t) {
        if (Joint* joint = joints[i]) body(*joint);
    });
}

} // namespace

void Joint::Step()
{
    mConstraint = VectorF();
    if (mDead) return;
    mMotorForce = mMotorForce + (mMotorForceTarget - mMotorForce) * mMotorForceSmoothing;
    if (!mHoldMotorForce) mMotorForceTarget = 0.0f;
    mFadeFinishedNow = 0;
    if (mFadeFramesDone < mFadeFramesTotal) {
        mChanged = 1;
        ++mFadeFramesDone;
        const float t = static_cast<float>(mFadeFramesDone) / static_cast<float>(mFadeFramesTotal);
        mSpringAngle = mFadeStartAngle + t * mFadeAngleChange;
        if (mFadeFramesDone == mFadeFramesTotal) mFadeFinishedNow = 1;
    }
}

void Joint::UpdateAnchors()
{
    if (mWorldJoint) {
        if (!mToyA) return;
        mWorldAnchorA = mAnchorA.GetRotatedClockwise(mToyA->mOrientation);
        mInverseMassSum = mToyA->mInverseMass;
        return;
    }
    if (!mToyA || !mToyB) return;
    mWorldAnchorA = mAnchorA.GetRotatedClockwise(mToyA->mOrientation);
    mWorldAnchorB = mAnchorB.GetRotatedClockwise(mToyB->mOrientation);
    mInverseMassSum = mToyA->mInverseMass + mToyB->mInverseMass;
}

void Joint::SolveAngular(float stepLength)
{
    mStepLength = stepLength;
    // A zero step has no inverse; 0 keeps infinities out of the corrections.
    mInverseStepLength = stepLength > 0.0f ? 1.0f / stepLength : 0.0f;
    if (mGearJoint || mDead) return;
    // A world joint works on toy A alone; a two-toy joint needs both. Neither
    // form ever reaches for a toy B that is not there.
    Toy* a = mToyA;
    Toy* b = mWorldJoint ? nullptr : mToyB;
    if (!a || (!mWorldJoint && !b)) return;
    const float dt = stepLength;
    const float inertiaSum = b ? mInertiaA + mInertiaB : mInertiaA;

    if (mMotorEnabled) {
        const float force = -mMotorPower * mMotorForce;
        const float torque = inertiaSum * force;
        const float speed = b ? a->mAngularVelocity - b->mAngularVelocity : a->mAngularVelocity;
        if ((torque < 0.0f && speed > -mMotorMaxSpeed) || (torque > 0.0f && speed < mMotorMaxSpeed)) {
            a->mTorque += PerInertia(torque, mInertiaA);
            if (b) b->mTorque -= PerInertia(torque, mInertiaB);
        }
    }

    if (mSpringShift != 0.0f) {
        mSpringAngle += mSpringShiftSpeed * dt + 0.5f * mSpringShift * dt * dt;
        mSpringShiftSpeed += mSpringShift * dt;
        mSpringAngle = WrapSigned(mSpringAngle);
        mChanged = 1;
    } else {
        mSpringShiftSpeed = 0.0f;
    }

    if (mSpringPower != 0.0f) {
        const float target = -(PredictedAngle(*a, dt) + mSpringAngle);
        // Wrapping each side first keeps the error the short way round.
        const float error = b ? WrapSigned(WrapPositive(PredictedAngle(*b, dt)) + WrapPositive(target))
                              : WrapSigned(target);
        const float torque = -inertiaSum * mSpringPower * error;
        a->mTorque -= PerInertia(torque, mInertiaA);
        if (b) b->mTorque += PerInertia(torque, mInertiaB);
    }

    if (mAngularFriction != 0.0f) {
        const float relative = (b ? b->mAngularVelocityAfterImpulses : 0.0f) - a->mAngularVelocityAfterImpulses;
        const float torque = inertiaSum * relative * mAngularFriction;
        a->mTorque += PerInertia(torque, mInertiaA);
        if (b) b->mTorque -= PerInertia(torque, mInertiaB);
    }

    if (mPoseCheckArmed && mFadeFramesDone >= mFadeFramesTotal && b) {
        if (AbsF(WrapSigned(b->mOrientation - a->mOrientation - mSpringAngle)) < mPoseTolerance) {
            mPoseReached = 1;
            mPoseCheckArmed = 0;
        }
    }

    if (mBrakeMotor != 0.0f) {
        const float relative = (b ? b->mAngularVelocityAfterImpulses : 0.0f) - a->mAngularVelocityAfterImpulses;
        const float torque = inertiaSum * relative * mBrakeMotor * mBrakePower;
        a->mTorque += PerInertia(torque, mInertiaA);
        if (b) b->mTorque -= PerInertia(torque, mInertiaB);
        mBrakeMotor = 0.0f;
    }
}

void Joint::Measure()
{
    mChanged = 0;
    mConstraintSquared = mConstraint.mX * mConstraint.mX + mConstraint.mY * mConstraint.mY;
    if (mConstraintSquared > mMaxConstraintSquared) mMaxConstraintSquared = mConstraintSquared;
}

void Joint::UpdateInertia()
{
    UpdateInertia(mToyA);
    if (!mWorldJoint && mToyB != mToyA) UpdateInertia(mToyB);
}

void Joint::UpdateInertia(const Toy* toy)
{
    if (!toy) return;
    // A zero inertia has no inverse: the last good one stays.
    if (toy == mToyA) {
        mInertiaA = toy->mMomentOfInertia;
        if (mInertiaA != 0.0f) mInverseInertiaA = 1.0f / mInertiaA;
    }
    if (toy == mToyB && !mWorldJoint) {
        mInertiaB = toy->mMomentOfInertia;
        if (mInertiaB != 0.0f) mInverseInertiaB = 1.0f / mInertiaB;
    }
}

bool Joint::SolveVelocity()
{
    Toy* a = mToyA;
    Toy* b = mToyB;
    if (mGearJoint) {
        // A gear couples the turning of two toys and never pins them.
        if (mWorldJoint || !a || !b) return false;
        const float denominator = mGearRatio * mInertiaB + mInertiaA;
        if (denominator != 0.0f) {
            a->mAngularVelocityAfterImpulses =
                (a->mAngularVelocityAfterImpulses * mInertiaA + b->mAngularVelocityAfterImpulses * mInertiaB) /
                denominator;
            b->mAngularVelocityAfterImpulses = mGearRatio * a->mAngularVelocityAfterImpulses;
        }
        return true;
    }
    if (!a || (!mWorldJoint && !b)) return false;

    const VectorF rA = mWorldAnchorA;
    const VectorF q = mWorldJoint ? AnchorVelocity(*a, rA) : AnchorVelocity(*a, rA) - AnchorVelocity(*b, mWorldAnchorB);
    if (q.IsZero()) return false;
    const float qSquared = q.GetLengthSquared();
    const float kA = Cross(rA, q);
    const float kB = mWorldJoint ? 0.0f : Cross(mWorldAnchorB, q);
    const float denominator = mWorldJoint ? kA * kA * mInverseInertiaA + mInverseMassSum * qSquared
                                          : kB * kB * mInverseInertiaB + mInverseMassSum * qSquared +
                                                kA * kA * mInverseInertiaA;
    if (denominator == 0.0f) return false;
    const float l = -qSquared / denominator;
    const VectorF impulse = q * l;
    mConstraint += impulse;
    a->mVelocityAfterImpulses += impulse * a->mInverseMass;
    a->mAngularVelocityAfterImpulses -= mInverseInertiaA * l * kA;
    if (mWorldJoint) return true;
    b->mVelocityAfterImpulses -= impulse * b->mInverseMass;
    b->mAngularVelocityAfterImpulses += mInverseInertiaB * l * kB;
    if (mPoseReached && mInertiaA + mInertiaB != 0.0f) {
        // A joint in its pose turns its toys as one body.
        const float w = (a->mAngularVelocityAfterImpulses * mInertiaA + b->mAngularVelocityAfterImpulses * mInertiaB) /
                        (mInertiaA + mInertiaB);
        a->mAngularVelocityAfterImpulses = w;
        b->mAngularVelocityAfterImpulses = w;
    }
    return true;
}

bool Joint::SolveVelocityOld()
{
    Toy* a = mToyA;
    Toy* b = mToyB;
    if (mGearJoint) {
        if (mWorldJoint || !a || !b || mGearRatio == 0.0f) return false;
        return SolveVelocity();
    }
    if (mWorldJoint) {
        if (!a) return false;
        const VectorF r = DeformedAnchor(*a, mAnchorA).GetRotatedClockwise(a->mOrientation);
        const VectorF q = AnchorVelocity(*a, r);
        const VectorF d = NegatedDirection(q);
        const float denominator = a->mInverseMass * d.GetLengthSquared() + mInverseInertiaA * Square(Cross(r, d));
        if (denominator == 0.0f) return true;
        const VectorF impulse = d * (Dot(-q, d) / denominator);
        mConstraint += impulse;
        GatherPendingImpulse(*a, impulse, Cross(r, impulse));
        return true;
    }
    if (!a || !b) return false;
    const VectorF rA = mAnchorA.GetRotatedClockwise(a->mOrientation);
    const VectorF rB = mAnchorB.GetRotatedClockwise(b->mOrientation);
    const VectorF q = AnchorVelocity(*a, rA) - AnchorVelocity(*b, rB);
    const VectorF d = NegatedDirection(q);
    const float kA = Cross(rA, d);
    const float kB = Cross(rB, d);
    const float denominator =
        mInverseInertiaB * kB * kB + mInverseInertiaA * kA * kA + b->mInverseMass + a->mInverseMass;
    if (denominator == 0.0f) return true;
    const VectorF impulse = d * (Dot(-q, d) / denominator);
    mConstraint += impulse;
    GatherPendingImpulse(*a, impulse, Cross(rA, impulse));
    GatherPendingImpulse(*b, -impulse, Cross(rB, -impulse));
    return true;
}

void Joint::CorrectPosition()
{
    if (mGearJoint) return;
    Toy* a = mToyA;
    if (!a) return;
    if (mWorldJoint) {
        const VectorF r = DeformedAnchor(*a, mAnchorA).GetRotatedClockwise(a->mOrientation);
        const VectorF p = a->mPosition + r;
        // A third of the drift per step: a hanging chain settles without ringing.
        const VectorF demand = (p - mWorldPoint) * mInverseStepLength * 0.333f + AnchorVelocity(*a, r);
        const VectorF d = NegatedDirection(demand);
        const float denominator = a->mInverseMass * d.GetLengthSquared() + mInverseInertiaA * Square(Cross(r, d));
        if (denominator == 0.0f) return;
        const VectorF impulse = d * (Dot(-demand, d) / denominator);
        a->mVelocityAfterImpulses += impulse * a->mInverseMass;
        a->mAngularVelocityAfterImpulses -= mInverseInertiaA * Cross(r, impulse);
        return;
    }
    Toy* b = mToyB;
    if (!b) return;
    const VectorF rA = mAnchorA.GetRotatedClockwise(a->mOrientation);
    const VectorF rB = mAnchorB.GetRotatedClockwise(b->mOrientation);
    const VectorF pA = a->mPosition + rA;
    const VectorF pB = b->mPosition + rB;
    const VectorF demand =
        (pA - pB) * mInverseStepLength * 0.99f + (AnchorVelocity(*a, rA) - AnchorVelocity(*b, rB));
    const VectorF d = NegatedDirection(demand);
    const float denominator = a->mInverseMass + b->mInverseMass + mInverseInertiaA * Square(Cross(rA, d)) +
                              mInverseInertiaB * Square(Cross(rB, d));
    if (denominator == 0.0f) return;
    const VectorF impulse = d * (Dot(-demand, d) / denominator);
    a->mVelocityAfterImpulses += impulse * a->mInverseMass;
    a->mAngularVelocityAfterImpulses -= mInverseInertiaA * Cross(rA, impulse);
    b->mVelocityAfterImpulses -= impulse * b->mInverseMass;
    b->mAngularVelocityAfterImpulses += mInverseInertiaB * Cross(rB, impulse);
}

void StepJointsParallel(PtrArray<Joint>& joints, bool parallel)
{
    ForEachJoint(joints, parallel, [](Joint& joint) { joint.Step(); });
}

void UpdateJointAnchorsParallel(PtrArray<Joint>& joints, bool parallel)
{
    ForEachJoint(joints, parallel, [](Joint& joint) { joint.UpdateAnchors(); });
}

void MeasureJointConstraintsParallel(PtrArray<Joint>& joints, bool parallel)
{
    ForEachJoint(joints, parallel, [](Joint& joint) { joint.Measure(); });
}

void BuildJointShapesParallel(PtrArray<Joint>& joints, bool parallel)
{
    ForEachJoint(joints, parallel, [](Joint& joint) {
        joint.BuildShapes();
        joint.BuildLinkShape();
    });
}

void SolveJoints(PtrArray<Joint>& joints, const float* stepLength)
{
    if (!stepLength) return;
    for (Joint* joint : joints)
        if (joint) joint->SolveAngular(*stepLength);
}

void CorrectJointPositions(PtrArray<Joint>& joints)
{
    for (Joint* joint : joints)
        if (joint) joint->CorrectPosition();
}

} // namespace KIV
