#include <cmath>
#include <new>
#include "base/MemoryStream.h"
#include "physics/materials/Material.h"
#include "physics/toys/Toy.h"

// The toy state record: a toy's editable physical settings (not its shape,
// place or motion), stored by robot files and the robot editor's undo steps.
// Version 1 ends after the motion blur intensity; version 2 adds the
// default-material settings and the own material.

namespace KIV {

namespace {

// Values a setter would refuse are not taken from a file either: a NaN or
// non-positive density or volume would leave the toy without a usable mass.
bool IsUsableMassFactor(float v) { return v > 0.0f && std::isfinite(v); }

} // namespace

void Toy::DeleteOwnMaterial()
{
    delete mOwnMaterial;
    mOwnMaterial = nullptr;
}

bool Toy::WriteState(MemoryStream& stream) const
{
    MemoryStream& s = stream;
    bool ok = s.WriteByte(kStateRecordVersion) && s.WriteInt(mSlotIndex) && s.WriteByte(mDontBounceOffToys) &&
              s.WriteByte(mDontBounceOffRobotLinked) && s.WriteFloat(mDensity) && s.WriteFloat(mVolumeZ) &&
              s.WriteFloat(mSlippery) && s.WriteFloat(mRestitution) && s.WriteFloat(mRestitutionWithTerrain) &&
              s.WriteFloat(mDeformMotionFactor) && s.WriteByte(mAllowPlasticDeform) &&
              s.WriteFloat(mMinimalImpulseToDeform) && s.WriteFloat(mDeformPower) && s.WriteByte(mAllowElasticDeform) &&
              s.WriteFloat(mMinimalImpulseToBreakHull) && s.WriteFloat(mMinimalImpulseToBreakCore) &&
              s.WriteByte(mAllowSleep) && s.WriteByte(mDenySleepIfJointed) && s.WriteFloat(mStoredValue1) &&
              s.WriteFloat(mStoredValue2) && s.WriteFloat(mAirFriction) && s.WriteFloat(mAirAngularFriction) &&
              s.WriteByte(mBalancer) && s.WriteByte(mBalancerNeedsRobot) && s.WriteByte(mBreakToyCoreToo) &&
              s.WriteInt(mBreakToyToMoreParts) && s.WriteFloat(mBreakLineDirectionShifter) &&
              s.WriteFloat(mBreakLineRandomizer) && s.WriteFloat(mBulletDeformResistance) &&
              s.WriteFloat(mMotionBlurIntensity) && s.WriteByte(mUseDefaultMaterial) &&
              s.WriteBytes(mDefaultMaterialName.mChars, FastName::kLength) && s.WriteByte(mOwnMaterial ? 1 : 0);
    if (ok && mOwnMaterial) ok = mOwnMaterial->Write(s);
    return ok;
}

bool Toy::ReadState(MemoryStream& stream)
{
    MemoryStream& s = stream;
    const int32_t start = s.GetPosition();
    uint8_t version = 0;
    if (!s.ReadByte(version)) return false;
    if (version > kStateRecordVersion) {
        // A later program's record may mean other things by the same bytes.
        s.SetPosition(start);
        return false;
    }
    s.ReadInt(mStoredSlotIndex);
    s.ReadByte(mDontBounceOffToys);
    s.ReadByte(mDontBounceOffRobotLinked);
    float density = mDensity, volumeZ = mVolumeZ;
    if (s.ReadFloat(density) && IsUsableMassFactor(density)) mDensity = density;
    if (s.ReadFloat(volumeZ) && IsUsableMassFactor(volumeZ)) mVolumeZ = volumeZ;
    // Weight and inertia follow the density and thickness; the reference
    // weight stays the one the toy was built with.
    ComputeMass();
    RemeasureJoints();

    s.ReadFloat(mSlippery);
    s.ReadFloat(mRestitution);
    s.ReadFloat(mRestitutionWithTerrain);
    s.ReadFloat(mDeformMotionFactor);
    s.ReadByte(mAllowPlasticDeform);
    s.ReadFloat(mMinimalImpulseToDeform);
    s.ReadFloat(mDeformPower);
    s.ReadByte(mAllowElasticDeform);
    s.ReadFloat(mMinimalImpulseToBreakHull);
    s.ReadFloat(mMinimalImpulseToBreakCore);
    s.ReadByte(mAllowSleep);
    s.ReadByte(mDenySleepIfJointed);
    s.ReadFloat(mStoredValue1);
    s.ReadFloat(mStoredValue2);
    s.ReadFloat(mAirFriction);
    s.ReadFloat(mAirAngularFriction);
    s.ReadByte(mBalancer);
    s.ReadByte(mBalancerNeedsRobot);
    s.ReadByte(mBreakToyCoreToo);
    int32_t parts = mBreakToyToMoreParts;
    if (s.ReadInt(parts)) SetBreakToyToMoreParts(parts);
    s.ReadFloat(mBreakLineDirectionShifter);
    s.ReadFloat(mBreakLineRandomizer);
    s.ReadFloat(mBulletDeformResistance);
    s.ReadFloat(mMotionBlurIntensity);
    if (version < 2) return true;

    s.ReadByte(mUseDefaultMaterial);
    s.ReadBytes(mDefaultMaterialName.mChars, FastName::kLength);
    uint8_t hasOwnMaterial = 0;
    // A record cut before this byte says nothing about the material: the toy keeps what it has.
    if (!s.ReadByte(hasOwnMaterial)) return true;
    if (hasOwnMaterial == 0) {
        DeleteOwnMaterial();
        return true;
    }
    if (!mOwnMaterial) mOwnMaterial = new (std::nothrow) Material();
    return mOwnMaterial && mOwnMaterial->Read(s);
}

} // namespace KIV
