#include "physics/toys/Toy.h"
#include "physics/toys/ElasticLinks.h"

// The elastic-deformation settings of the script interface. They live in the
// toy's geometry record; a change of a spring set makes the links anew.

namespace KIV {

void Toy::RebuildElasticLinks()
{
    // A cleared built byte makes the next elastic step build the links from
    // the new settings.
    mGeometry.mLinksBuilt = 0;
}

LinkFamily* Toy::GetBorderFamily(int32_t set)
{
    return set >= 1 && set <= 8 ? &mGeometry.mLinkFamilies[kLinkOutline1 + set - 1] : nullptr;
}

LinkFamily* Toy::GetInnerFamily(int32_t set)
{
    switch (set) {
    case 1: return &mGeometry.mLinkFamilies[kLinkMesh];
    case 2: return &mGeometry.mLinkFamilies[kLinkRing2];
    case 3: return &mGeometry.mLinkFamilies[kLinkRing3];
    case 4: return &mGeometry.mLinkFamilies[kLinkRing4];
    case 8: return &mGeometry.mLinkFamilies[kLinkRing8];
    case 12: return &mGeometry.mLinkFamilies[kLinkRing12];
    default: return nullptr;
    }
}

float Toy::GetDeformedHowMuch() const { return mGeometry.mDeformedHowMuch; }
int32_t Toy::GetDeformedCount() const { return mGeometry.mDeformedCount; }
int32_t Toy::GetEDSpringsCount() const { return mGeometry.mElasticLinks.Count(); }

void Toy::EDResetDeform()
{
    mGeometry.mPoints.Assign(mGeometry.mRestPoints);
    FreeElasticLinks(mGeometry);
}

float Toy::GetEDFrequency() const { return mGeometry.mFrequency; }

void Toy::SetEDFrequency(float frequency)
{
    if (!(frequency > 0.0f)) return;
    mGeometry.mFrequency = frequency;
    mGeometry.mSubStepPeriod = 1.0f / frequency;
}

bool Toy::GetEDForcesDoMinMax() const { return mGeometry.mForcesByMinMax != 0; }
void Toy::SetEDForcesDoMinMax(bool b) { mGeometry.mForcesByMinMax = b ? 1 : 0; }
bool Toy::GetEDVectoredSprings() const { return mGeometry.mVectoredSprings != 0; }
void Toy::SetEDVectoredSprings(bool b) { mGeometry.mVectoredSprings = b ? 1 : 0; }
float Toy::GetEDDistPlusVelocityMul() const { return mGeometry.mDistPlusVelocityMul; }
void Toy::SetEDDistPlusVelocityMul(float v) { mGeometry.mDistPlusVelocityMul = v; }
float Toy::GetEDDistributeVelocities() const { return mGeometry.mVelocitySmoothing; }
void Toy::SetEDDistributeVelocities(float v) { mGeometry.mVelocitySmoothing = v; }

bool Toy::GetEDEDDoRK4() const { return mGeometry.mFourthOrder != 0; }
void Toy::SetEDDoRK4(bool b)
{
    mGeometry.mFourthOrder = b ? 1 : 0;
    RebuildElasticLinks();
}

float Toy::GetEDSpringsPowerMultiplier() const { return mGeometry.mGlobalStiffness; }
void Toy::SetEDSpringsPowerMultiplier(float v)
{
    mGeometry.mGlobalStiffness = v;
    RebuildElasticLinks();
}

bool Toy::GetEDDoBorderSprings(int32_t set) const
{
    const LinkFamily* f = GetBorderFamily(set);
    return f && f->mEnabled != 0;
}

void Toy::SetEDDoBorderSprings(int32_t set, bool b)
{
    if (LinkFamily* f = GetBorderFamily(set)) {
        f->mEnabled = b ? 1 : 0;
        RebuildElasticLinks();
    }
}

float Toy::GetEDBorderSpringsPower(int32_t set) const
{
    const LinkFamily* f = GetBorderFamily(set);
    return f ? f->mFactor : 0.0f;
}

void Toy::SetEDBorderSpringsPower(int32_t set, float v)
{
    if (LinkFamily* f = GetBorderFamily(set)) {
        f->mFactor = v;
        RebuildElasticLinks();
    }
}

bool Toy::GetEDDoSprings(int32_t set) const
{
    const LinkFamily* f = GetInnerFamily(set);
    return f && f->mEnabled != 0;
}

void Toy::SetEDDoSprings(int32_t set, bool b)
{
    if (LinkFamily* f = GetInnerFamily(set)) {
        f->mEnabled = b ? 1 : 0;
        RebuildElasticLinks();
    }
}

float Toy::GetEDSpringsPower(int32_t set) const
{
    const LinkFamily* f = GetInnerFamily(set);
    return f ? f->mFactor : 0.0f;
}

void Toy::SetEDSpringsPower(int32_t set, float v)
{
    if (LinkFamily* f = GetInnerFamily(set)) {
        f->mFactor = v;
        RebuildElasticLinks();
    }
}

float Toy::GetEDDeformImpulsePower() const { return mGeometry.mImpactScale; }
void Toy::SetEDDeformImpulsePower(float v) { mGeometry.mImpactScale = v; }
float Toy::GetEDDeformImpulseRange() const { return mGeometry.mImpactRadius; }

void Toy::SetEDDeformImpulseRange(float range)
{
    // A range of 0 would make every derived value infinite and the impact
    // weights NaN.
    if (!(range > 0.0f)) return;
    TracedGeometry& g = mGeometry;
    g.mImpactRadius = range;
    g.mInvImpactRadius = 1.0f / range;
    g.mImpactRadiusSq = range * range;
    g.mInvImpactRadiusSq = 1.0f / g.mImpactRadiusSq;
}

float Toy::GetEDSpringsDumping() const { return mGeometry.mDamping; }
void Toy::SetEDSpringsDumping(float v) { mGeometry.mDamping = v; }
bool Toy::GetEDAreaPreservationDeform() const { return mGeometry.mElasticKeepArea != 0; }
void Toy::SetEDAreaPreservationDeform(bool b) { mGeometry.mElasticKeepArea = b ? 1 : 0; }
int32_t Toy::GetEDDeformImpulseStyle() const { return mGeometry.mFalloffMode; }
void Toy::SetEDDeformImpulseStyle(int32_t v) { mGeometry.mFalloffMode = v; }

} // namespace KIV
