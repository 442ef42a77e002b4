#include "physics/toys/Toy.h"
#include <cmath>
#include <cstring>
#include <new>
#include "base/MathUtil.h"
#include "base/Statistics.h"
#include "physics/joints/Joint.h"
#include "physics/materials/Material.h"
#include "physics/grid/SpatialGrid.h"
#include "render/Texture.h"

namespace KIV {

namespace {

constexpr float kMaxSpeed = 4000.0f;
constexpr float kMaxSpeedSquared = 16000000.0f;
constexpr float kMaxAngularSpeed = 50.0f;
constexpr float kPullStrength = 2500.0f;
constexpr float kPullTorque = 50.0f;

float InverseOrZero(float v) { return v > 0.0f ? 1.0f / v : 0.0f; }

// One coordinate's share of the checksum: its fraction in 1/10000 units.
uint32_t ChecksumTerm(float v)
{
    const float f = std::fmod(v, 1.0f) * 10000.0f;
    // A NaN or infinite coordinate has no fraction; it must not reach an int conversion.
    return std::isfinite(f) ? static_cast<uint32_t>(RoundToInt(f)) : 0u;
}

} // namespace

Toy::Toy()
{
    std::memset(mPairFlags, 1, sizeof(mPairFlags));
    mVelocityAtLastHit = mVelocity;
    mAngularVelocityAtLastHit = mAngularVelocity;
}

Toy::~Toy()
{
    DeleteOwnMaterial();
    for (Shape& shape : mShapes) shape.Free();
    ReleaseTexture();
}

std::string Toy::GetMainTextureFn() const { return mMainTexture ? mMainTexture->mFileName : std::string(); }

std::string Toy::GetMainTextureName() const { return mMainTexture ? mMainTexture->mFullName : std::string(); }

void Toy::ScaleMass(float ratio)
{
    mWeight *= ratio;
    mReferenceWeight = mWeight;
    mInverseMass = InverseOrZero(mWeight);
    mMomentOfInertia *= ratio;
    mInverseMoment = InverseOrZero(mMomentOfInertia);
    RemeasureJoints();
}

void Toy::SetDensity(float density)
{
    if (!(density > 0.0f)) return;
    if (!(mDensity > 0.0f)) {
        // A toy built with density 0 holds the minimum weight, not a
        // multiple of it: a ratio would be infinite.
        mDensity = density;
        ComputeMass();
        mReferenceWeight = mWeight;
        RemeasureJoints();
        return;
    }
    const float ratio = density / mDensity;
    mDensity = density;
    ScaleMass(ratio);
}

void Toy::SetVolumeZ(float volumeZ)
{
    if (!(volumeZ > 0.0f)) return;
    if (!(mVolumeZ > 0.0f)) {
        mVolumeZ = volumeZ;
        ComputeMass();
        mReferenceWeight = mWeight;
        RemeasureJoints();
        return;
    }
    const float ratio = volumeZ / mVolumeZ;
    mVolumeZ = volumeZ;
    ScaleMass(ratio);
}

void Toy::RemeasureJoints()
{
    for (Joint* joint : mJoints)
        if (joint) joint->UpdateInertia(this);
}

bool Toy::IsJointedTo(const Toy* other) const
{
    for (Joint* joint : mJoints)
        if (joint && joint->GetOtherToy(const_cast<Toy*>(this)) == other) return true;
    return false;
}

bool Toy::GetJointedToys(Array<Toy*>& toys) const
{
    if (mJoints.IsEmpty()) return false;
    toys.SetGrowBy(64);
    for (Joint* joint : mJoints)
        if (joint) toys.PushBack(joint->GetOtherToy(const_cast<Toy*>(this)));
    return true;
}

void Toy::SetVelocity(const VectorF& v)
{
    mVelocity = v;
    mVelocityAfterImpulses = v;
}

void Toy::SetAngularVelocity(float w)
{
    mAngularVelocity = w;
    mAngularVelocityAfterImpulses = w;
}

void Toy::SetUseDefaultMaterial(bool b)
{
    const uint8_t value = b ? 1 : 0;
    if (value == mUseDefaultMaterial) return;
    mUseDefaultMaterial = value;
    if (value) DeleteOwnMaterial();
    else if (!mOwnMaterial) mOwnMaterial = new (std::nothrow) Material();
}

float Toy::GetMaxVelocityReached() const { return SqrtF(mMaxSpeedSquared); }

void Toy::NullMeasuredStuff()
{
    mMaxSpeedSquared = 0.0f;
    mMaxVelocityPlusX = 0.0f;
    mMaxVelocityPlusY = 0.0f;
    mMaxVelocityMinusX = 0.0f;
    mMaxVelocityMinusY = 0.0f;
    mMaxAngularVelocityPlus = 0.0f;
    mMaxAngularVelocityMinus = 0.0f;
    mMaxConstraint = 0.0f;
}

void Toy::ClampLinearVelocity(VectorF& velocity)
{
    if (velocity.GetLengthSquared() > kMaxSpeedSquared) {
        velocity.Normalize(kMaxSpeed);
        StatAdd(kStatToysLimitedVelocityCount);
    }
}

void Toy::ClampAngularVelocity(float& angularVelocity)
{
    if (angularVelocity < -kMaxAngularSpeed) {
        angularVelocity = -kMaxAngularSpeed;
        StatAdd(kStatToysLimitedAngVelocityCount);
    } else if (angularVelocity > kMaxAngularSpeed) {
        angularVelocity = kMaxAngularSpeed;
        StatAdd(kStatToysLimitedAngVelocityCount);
    }
}

void Toy::PullTest(const VectorF& target, bool strong)
{
    VectorF pull = target - mPosition;
    pull.Normalize(kPullStrength);
    if (strong) pull *= 10.0f;
    mForce += pull;
    ClampLinearVelocity(mVelocity);
    Wake();
}

void Toy::PullTest2(const VectorF& p)
{
    mTorque += mPosition.mX <= p.mX ? -kPullTorque : kPullTorque;
    Wake();
}

void Toy::PullTest3(bool b)
{
    mTorque += b ? kPullTorque : -kPullTorque;
    Wake();
}

void Toy::PullTest4(const VectorF& force)
{
    mForce += force;
    ClampLinearVelocity(mVelocityAfterImpulses);
    ClampAngularVelocity(mAngularVelocityAfterImpulses);
    Wake();
}

VectorF Toy::WorldToLocal(const VectorF& p) const { return (p - mPosition).GetRotatedClockwise(-mOrientation); }

VectorF Toy::LocalToWorld(const VectorF& p) const { return p.GetRotatedClockwise(mOrientation) + mPosition; }

VectorF Toy::GetVelocityAt(const VectorF& p) const
{
    const float w = mAngularVelocityAfterImpulses;
    return mVelocityAfterImpulses + VectorF(w * (p.mY - mPosition.mY), -w * (p.mX - mPosition.mX));
}

VectorF Toy::GetPointVelocity(int32_t i) const
{
    if (i < 0 || i >= mOutline.Count()) return mVelocityAfterImpulses;
    return GetVelocityAt(mOutline[i]);
}

void Toy::MoveTo(const VectorF& point, float angle, SpatialGrid* grid)
{
    const VectorF offset = point - mPosition;
    const int32_t n = mOutline.Count();
    for (int32_t i = 0; i < n; ++i) mOutline[i] += offset;
    if (n > 0 && mOutline.Reserve(n + 1)) mOutline.Data()[n] = mOutline[0];
    mPosition = point;
    mPredictedPosition = point;
    mOrientation = angle;
    mPredictedOrientation = angle;
    if (grid) grid->UpdateToy(*this);
}

VectorF Toy::GetInnerPoint() const { return mGeometry.GetInnerPoint(); }

VectorF Toy::RandomPointInside()
{
    const int32_t count = mGeometry.GetPointCount();
    if (count <= 0) return mGeometry.RandomPointInMesh(0, mRandom);
    return mGeometry.RandomPointInMesh(mRandom.NextInt(count), mRandom);
}

VectorF Toy::GetBoxCentre() const
{
    VectorF sum;
    for (const VectorF& p : mBoxOutline.mPoints) sum += p;
    return sum * 0.2f;
}

int32_t Toy::GetChecksumValue() const
{
    // Unsigned arithmetic: the same bits as a wrapping sum, without overflow.
    uint32_t sum = static_cast<uint32_t>(mRandom.mSeed);
    sum += ChecksumTerm(mPosition.mX);
    sum += ChecksumTerm(mPosition.mY);
    sum += ChecksumTerm(mOrientation);
    return static_cast<int32_t>(sum);
}

void Toy::PrepareContactLists()
{
    mContactList2.SetGrowBy(32);
    mPenetrationContacts.SetGrowBy(32);
    mPenetrationContacts.Reserve(32);
    for (float& v : mPendingImpulse) v = 0.0f;
    mContactListsPrepared = 1;
}

} // namespace KIV
