#include "physics/toys/ToyDeform.h"
#include "base/PointList.h"
#include "physics/toys/ElasticLinks.h"
#include "physics/geometry/TracedGeometry.h"

namespace KIV {

namespace {

// Share of an impulse at the hit point within the near radius.
constexpr float kNearShare = 0.2f;
// Relaxation: forces into velocity, damping, the force's share of the new
// velocity, passes per round and rounds per dent.
constexpr float kForceToVelocity = 0.1f;
constexpr float kVelocityKeep = 0.99f;
constexpr float kForceShare = 0.005f;
constexpr int32_t kPassesPerRound = 15;
constexpr int32_t kRoundsPerDent = 3;

// The dent lists follow the point count (a record copied or grown since its
// springs were built still relaxes safely).
void SizeDentLists(TracedGeometry& g)
{
    const int32_t n = g.mPoints.Count();
    if (g.mDentForces.Count() != n && g.mDentForces.Resize(n)) g.mDentForces.FillZero();
    if (g.mDentVelocities.Count() != n && g.mDentVelocities.Resize(n)) g.mDentVelocities.FillZero();
}

} // namespace

void ApplyImpactForces(TracedGeometry& record, int32_t hitPoint, const VectorF& impulse)
{
    TracedGeometry& g = record;
    const int32_t n = g.mPoints.Count();
    if (hitPoint < 0 || hitPoint >= n) return;
    SizeDentLists(g);
    if (g.mDentForces.Count() != n) return;
    const float nearRadius = g.mNearDentRadius;
    const float farRadius = g.mFarDentRadius;
    const VectorF centre = g.mPoints[hitPoint];
    for (int32_t i = 0; i < n; ++i) {
        const float d = VectorF::GetDistance(g.mPoints[i], centre);
        if (nearRadius > 0.0f && d < nearRadius) g.mDentForces[i] += impulse * (kNearShare * (1.0f - d / nearRadius));
        if (farRadius > 0.0f) g.mDentForces[i] += impulse / (1.0f + d / farRadius);
    }
}

void RelaxDent(TracedGeometry& record)
{
    TracedGeometry& g = record;
    const int32_t n = g.mPoints.Count();
    SizeDentLists(g);
    if (n == 0 || g.mDentForces.Count() != n || g.mDentVelocities.Count() != n) return;
    VectorF* force = g.mDentForces.Data();
    VectorF* velocity = g.mDentVelocities.Data();
    const VectorF* p = g.mPoints.Data();

    for (int32_t i = 0; i < n; ++i) velocity[i] += force[i] * kForceToVelocity;
    for (const ToyLink& s : g.mSprings) {
        if (s.mA < 0 || s.mA >= n || s.mB < 0 || s.mB >= n) continue;
        const VectorF d = (p[s.mA] + velocity[s.mA]) - (p[s.mB] + velocity[s.mB]);
        const float length = d.GetLength();
        if (!(length > 0.0f)) continue;
        const VectorF pull = d * (s.mInvRestLength * length - 1.0f);
        force[s.mA] -= pull;
        force[s.mB] += pull;
    }
    for (int32_t i = 0; i < n; ++i) velocity[i] = velocity[i] * kVelocityKeep + force[i] * kForceShare;
    // The dent changes the shape, not the place: the common drift goes.
    SubtractOffsetFromPoints(velocity, n, AveragePoints(velocity, n));
    // An accepted point takes its step twice; the second step is guarded too,
    // or it could turn over the triangles the first step just kept upright.
    for (int32_t i = 0; i < n; ++i)
        if (g.TryMovePoint(i, velocity[i])) g.TryMovePoint(i, velocity[i]);
    g.mDentForces.FillZero();
}

void Dent(TracedGeometry& record)
{
    TracedGeometry& g = record;
    SizeDentLists(g);
    g.mSavedDentForces.Assign(g.mDentForces);
    for (int32_t round = 0; round < kRoundsPerDent; ++round) {
        for (int32_t pass = 0; pass < kPassesPerRound; ++pass) RelaxDent(g);
        RecentreShape(g, g.mPlasticKeepArea != 0);
    }
}

void ResetDeformation(TracedGeometry& record, bool restoreShape)
{
    TracedGeometry& g = record;
    if (restoreShape && g.mRestPoints.Count() == g.mPoints.Count()) g.mPoints.Assign(g.mRestPoints);
    g.mDentForces.FillZero();
    g.mDentVelocities.FillZero();
}

} // namespace KIV

