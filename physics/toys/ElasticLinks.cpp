#include "physics/toys/ElasticLinks.h"
#include <cmath>
#include <utility>
#include "base/MathUtil.h"
#include "base/PointList.h"
#include "physics/geometry/TracedGeometry.h"

namespace KIV {

namespace {

// A guard, not a rule of the integration: at the default 200 Hz a step would need 50 s of
// time to reach it, so every sane frequency and step length runs all its sub-steps. Only an
// absurd frequency (a script setting millions of hertz) meets it; its time beyond the guard is
// dropped so that one toy cannot stall the step.
constexpr int32_t kMaxSubSteps = 10000;
// The hop counts of the ring families, in family order.
constexpr int32_t kRingHops[5] = {2, 3, 4, 8, 12};
constexpr int32_t kOutlineFamilies = 8;

int32_t NextOutline(int32_t i, int32_t n) { return i + 1 < n ? i + 1 : 0; }

// Into [-pi, pi).
float WrapToHalfTurn(float x)
{
    float r = std::fmod(x + kPi, kTwoPi) - kPi;
    if (r < -kPi) r += kTwoPi;
    return r;
}

void SizeAndZero(Array<VectorF>& list, int32_t n)
{
    if (list.Resize(n)) list.FillZero();
}

bool StateFits(const TracedGeometry& g)
{
    const int32_t n = g.mPoints.Count();
    return n > 0 && g.mElasticVelocities.Count() == n && g.mElasticForces.Count() == n;
}

float LinkFactor(const TracedGeometry& g, int32_t family) { return g.mLinkFamilies[family].mFactor * g.mGlobalStiffness; }

// Calls f(neighbour) for every mesh neighbour of point p: the far ends of its
// inner edges and, for an outline point, its two outline neighbours.
template <typename F>
void ForEachNeighbour(const TracedGeometry& g, int32_t p, F&& f)
{
    for (int32_t node = g.FirstPointEdgeNode(p); node >= 0; node = g.NextPointEdgeNode(node)) {
        const MeshEdge& e = g.mInnerEdges[g.mPointEdgeEntries[node]];
        f(e.mA == p ? e.mB : e.mA);
    }
    const int32_t n = g.mOutlineCount;
    if (p < n) {
        f(NextOutline(p, n));
        f(p > 0 ? p - 1 : n - 1);
    }
}

// Scalar springs: each link pushes its ends apart or together along the link.
void AddScalarLinkForces(TracedGeometry& g)
{
    const VectorF* p = g.mPoints.Data();
    VectorF* force = g.mElasticForces.Data();
    for (int32_t k = g.mElasticLinks.Count() - 1; k >= 0; --k) {
        const ToyLink& link = g.mElasticLinks[k];
        const VectorF d = p[link.mA] - p[link.mB];
        const float length = d.GetLength();
        if (!(length > 0.0f)) continue;
        const VectorF f = d * ((link.mRestLength - length) * link.mFactor / length);
        force[link.mA] += f;
        force[link.mB] -= f;
    }
}

// Vectored springs: per axis towards the rest offset. With forces by min/max
// a point keeps only its strongest pull each way per axis, so links that
// agree do not add up.
void AddVectoredLinkForces(TracedGeometry& g)
{
    const VectorF* p = g.mPoints.Data();
    VectorF* force = g.mElasticForces.Data();
    const bool byMinMax = g.mForcesByMinMax != 0 && g.mElasticForceMin.Count() == g.mPoints.Count() &&
                          g.mElasticForceMax.Count() == g.mPoints.Count();
    if (byMinMax) {
        g.mElasticForceMin.FillZero();
        g.mElasticForceMax.FillZero();
    }
    const auto keep = [&](int32_t i, const VectorF& c) {
        VectorF& lo = g.mElasticForceMin[i];
        VectorF& hi = g.mElasticForceMax[i];
        if (c.mX < 0.0f) {
            if (c.mX < lo.mX) lo.mX = c.mX;
        } else if (c.mX > hi.mX) {
            hi.mX = c.mX;
        }
        if (c.mY < 0.0f) {
            if (c.mY < lo.mY) lo.mY = c.mY;
        } else if (c.mY > hi.mY) {
            hi.mY = c.mY;
        }
    };
    for (int32_t k = g.mElasticLinks.Count() - 1; k >= 0; --k) {
        const ToyLink& link = g.mElasticLinks[k];
        const VectorF f = ((p[link.mB] - p[link.mA]) - VectorF(link.mRestOffsetX, link.mRestOffsetY)) * link.mFactor;
        if (byMinMax) {
            keep(link.mA, f);
            keep(link.mB, f * -1.0f);
        } else {
            force[link.mA] += f;
            force[link.mB] -= f;
        }
    }
    if (byMinMax)
        for (int32_t i = 0; i < g.mPoints.Count(); ++i) force[i] += g.mElasticForceMin[i] + g.mElasticForceMax[i];
}

// Both ends of every mesh edge move towards their mean velocity.
void SmoothVelocities(TracedGeometry& g)
{
    const float s = g.mVelocitySmoothing;
    if (s == 0.0f) return;
    VectorF* v = g.mElasticVelocities.Data();
    const auto smooth = [&](int32_t a, int32_t b) {
        const VectorF mean = (v[a] + v[b]) * 0.5f;
        v[a] += (mean - v[a]) * s;
        v[b] += (mean - v[b]) * s;
    };
    for (const MeshEdge& e : g.mInnerEdges) smooth(e.mA, e.mB);
    const int32_t n = g.mOutlineCount;
    for (int32_t i = 0; i + 1 < n; ++i) smooth(i, i + 1);
    if (n > 1) smooth(n - 1, 0);
}

void RemoveMeanVelocity(TracedGeometry& g)
{
    VectorF* v = g.mElasticVelocities.Data();
    const int32_t n = g.mElasticVelocities.Count();
    SubtractOffsetFromPoints(v, n, AveragePoints(v, n));
}

bool IsHeld(const uint8_t* held, int32_t i) { return held && held[i]; }

// Held points keep their place and lose their velocity.
void StopHeldPoints(TracedGeometry& g, const uint8_t* held)
{
    if (!held) return;
    for (int32_t i = 0; i < g.mElasticVelocities.Count(); ++i)
        if (held[i]) g.mElasticVelocities[i] = VectorF();
}

void SimpleSubStep(TracedGeometry& g, const uint8_t* held)
{
    const int32_t n = g.mPoints.Count();
    if (g.mVectoredSprings) {
        AddVectoredLinkForces(g);
    } else {
        AddScalarLinkForces(g);
        SmoothVelocities(g);
    }
    VectorF* v = g.mElasticVelocities.Data();
    for (int32_t i = 0; i < n; ++i) v[i] += g.mElasticForces[i];
    RemoveMeanVelocity(g);
    StopHeldPoints(g, held);
    for (int32_t i = 0; i < n; ++i) {
        if (IsHeld(held, i)) continue;
        // Twice the step when accepted, the second one guarded as well.
        const VectorF step = v[i] * g.mTimeScale;
        if (g.TryMovePointElastic(i, step)) g.TryMovePointElastic(i, step);
    }
    for (int32_t i = 0; i < n; ++i) v[i] *= g.mDamping;
    g.mElasticForces.FillZero();
}

// Damped link forces at the given positions and velocities (unit masses),
// on top of the impacts gathered since the last sub-step, which hold for the
// whole sub-step.
void EvaluateDampedForces(const TracedGeometry& g, const VectorF* p, const VectorF* v, VectorF* out)
{
    const int32_t n = g.mPoints.Count();
    for (int32_t i = 0; i < n; ++i) out[i] = g.mElasticForces[i];
    for (int32_t k = g.mElasticLinks.Count() - 1; k >= 0; --k) {
        const ToyLink& link = g.mElasticLinks[k];
        const VectorF d = p[link.mA] - p[link.mB];
        const float length = d.GetLength();
        if (!(length > 0.0f)) continue;
        const float inv = 1.0f / length;
        const float along = Dot(d, v[link.mA] - v[link.mB]);
        const VectorF f = d * (inv * ((link.mRestLength - length) * link.mFactor - g.mDamping * inv * along));
        out[link.mA] += f;
        out[link.mB] -= f;
    }
}

bool SizeStageLists(TracedGeometry& g)
{
    const int32_t n = g.mPoints.Count();
    bool ok = g.mStageStartPositions.Resize(n) && g.mStageStartVelocities.Resize(n) && g.mElasticScratch.Resize(n);
    for (int32_t k = 0; k < 4 && ok; ++k) ok = g.mStagePositions[k].Resize(n) && g.mStageVelocities[k].Resize(n);
    return ok;
}

// The classic four-stage scheme over positions and velocities; the position
// change of the step goes through the guarded move once.
void FourthOrderSubStep(TracedGeometry& g, const uint8_t* held)
{
    if (!SizeStageLists(g)) return;
    const int32_t n = g.mPoints.Count();
    const float h = g.mTimeScale;
    VectorF* p0 = g.mStageStartPositions.Data();
    VectorF* v0 = g.mStageStartVelocities.Data();
    VectorF* at = g.mElasticScratch.Data();  // the stage's positions
    for (int32_t i = 0; i < n; ++i) {
        p0[i] = g.mPoints[i];
        v0[i] = g.mElasticVelocities[i];
    }
    // Stage k: velocity mStagePositions[k] (the rate of the positions) and
    // force mStageVelocities[k] (the rate of the velocities).
    const float fractions[4] = {0.0f, 0.5f, 0.5f, 1.0f};
    for (int32_t k = 0; k < 4; ++k) {
        VectorF* rateP = g.mStagePositions[k].Data();
        const float f = fractions[k] * h;
        for (int32_t i = 0; i < n; ++i) {
            if (k == 0) {
                at[i] = p0[i];
                rateP[i] = v0[i];
            } else {
                at[i] = p0[i] + g.mStagePositions[k - 1][i] * f;
                rateP[i] = v0[i] + g.mStageVelocities[k - 1][i] * f;
            }
        }
        EvaluateDampedForces(g, at, rateP, g.mStageVelocities[k].Data());
    }
    const float sixth = h / 6.0f;
    VectorF* v = g.mElasticVelocities.Data();
    for (int32_t i = 0; i < n; ++i) {
        const VectorF dv = (g.mStageVelocities[0][i] + g.mStageVelocities[1][i] * 2.0f +
                            g.mStageVelocities[2][i] * 2.0f + g.mStageVelocities[3][i]) *
                           sixth;
        at[i] = (g.mStagePositions[0][i] + g.mStagePositions[1][i] * 2.0f + g.mStagePositions[2][i] * 2.0f +
                 g.mStagePositions[3][i]) *
                sixth;
        v[i] = v0[i] + dv;
    }
    RemoveMeanVelocity(g);
    SmoothVelocities(g);
    StopHeldPoints(g, held);
    // An accepted guarded move stays applied; a refused one leaves the point.
    for (int32_t i = 0; i < n; ++i)
        if (!IsHeld(held, i)) g.TryMovePointElastic(i, at[i]);
    g.mElasticForces.FillZero();
}

} // namespace

void AddElasticLink(TracedGeometry& record, int32_t a, int32_t b, float factor)
{
    TracedGeometry& g = record;
    const int32_t n = g.mPoints.Count();
    if (a < 0 || a >= n || b < 0 || b >= n) return;
    const Array<VectorF>& rest = g.mRestPoints.Count() == n ? g.mRestPoints : g.mPoints;
    ToyLink link;
    link.mA = a;
    link.mB = b;
    const VectorF offset = rest[b] - rest[a];
    link.mRestOffsetX = offset.mX;
    link.mRestOffsetY = offset.mY;
    link.mRestLength = offset.GetLength();
    link.mInvRestLength = link.mRestLength > 0.0f ? 1.0f / link.mRestLength : 1.0f;
    link.mFactor = factor;
    g.mElasticLinks.PushBack(link);
}

void AddRingLinks(TracedGeometry& record, int32_t hops, float factor)
{
    TracedGeometry& g = record;
    const int32_t n = g.mPoints.Count();
    // A visit stamp per point instead of clearing marks for every start point.
    Array<int32_t> visited;
    Array<int32_t> frontier, next;
    if (!visited.Resize(n)) return;
    visited.FillMinusOne();
    for (int32_t s = 0; s < n; ++s) {
        visited[s] = s;
        frontier.Clear();
        frontier.PushBack(s);
        for (int32_t hop = 0; hop < hops && !frontier.IsEmpty(); ++hop) {
            next.Clear();
            for (const int32_t p : frontier)
                ForEachNeighbour(g, p, [&](int32_t q) {
                    if (visited[q] == s) return;
                    visited[q] = s;
                    next.PushBack(q);
                });
            std::swap(frontier, next);
        }
        for (const int32_t t : frontier)
            if (t != s) AddElasticLink(g, s, t, factor);
    }
}

void BuildElasticLinks(TracedGeometry& record)
{
    TracedGeometry& g = record;
    if (g.mLinksBuilt) return;
    g.mLinksBuilt = 1;
    const int32_t n = g.mPoints.Count();
    const int32_t outline = g.mOutlineCount;
    const int32_t edges = g.mInnerEdges.Count();
    SizeAndZero(g.mElasticVelocities, n);
    SizeAndZero(g.mElasticForces, n);
    SizeAndZero(g.mElasticForceMin, n);
    SizeAndZero(g.mElasticForceMax, n);

    int32_t reserve = 0;
    for (int32_t k = 0; k < kOutlineFamilies; ++k)
        if (g.mLinkFamilies[kLinkOutline1 + k].mEnabled) reserve += outline;
    if (g.mLinkFamilies[kLinkMesh].mEnabled) reserve += edges;
    for (int32_t f = kLinkRing2; f <= kLinkRing12; ++f)
        if (g.mLinkFamilies[f].mEnabled) reserve += 4 * edges;
    g.mElasticLinks.Clear();
    g.mElasticLinks.Reserve(reserve);

    if (g.mLinkFamilies[kLinkMesh].mEnabled) {
        const float meshFactor = LinkFactor(g, kLinkMesh);
        for (const MeshEdge& e : g.mInnerEdges) AddElasticLink(g, e.mA, e.mB, meshFactor);
        const float outlineFactor = LinkFactor(g, kLinkOutline1);
        for (int32_t i = 0; i < outline; ++i) AddElasticLink(g, i, NextOutline(i, outline), outlineFactor);
    }
    for (int32_t r = 0; r < 5; ++r)
        if (g.mLinkFamilies[kLinkRing2 + r].mEnabled) AddRingLinks(g, kRingHops[r], LinkFactor(g, kLinkRing2 + r));
    for (int32_t k = 1; k <= kOutlineFamilies; ++k) {
        const int32_t family = kLinkOutline1 + k - 1;
        if (!g.mLinkFamilies[family].mEnabled || (k >= 3 && outline <= k) || outline < 1) continue;
        const float factor = LinkFactor(g, family);
        for (int32_t i = outline - 1; i >= 0; --i) AddElasticLink(g, i, (i + k) % outline, factor);
    }
}

void FreeElasticLinks(TracedGeometry& record)
{
    TracedGeometry& g = record;
    g.mLinksBuilt = 0;
    g.mElasticLinks.Free();
    g.mElasticVelocities.Free();
    g.mElasticForces.Free();
    g.mElasticForceMin.Free();
    g.mElasticForceMax.Free();
    g.mElasticScratch.Free();
    g.mStageStartPositions.Free();
    g.mStageStartVelocities.Free();
    for (int32_t k = 0; k < 4; ++k) {
        g.mStagePositions[k].Free();
        g.mStageVelocities[k].Free();
    }
}

void ElasticStep(TracedGeometry& record, float dt, const uint8_t* held)
{
    TracedGeometry& g = record;
    if (StateFits(g) && g.mSubStepPeriod > 0.0f) {
        g.mTimeAccumulator += dt;
        int32_t steps = 0;
        while (g.mTimeAccumulator > g.mSubStepPeriod) {
            if (++steps > kMaxSubSteps) {
                g.mTimeAccumulator = 0.0f;
                break;
            }
            g.mTimeAccumulator -= g.mSubStepPeriod;
            if (g.mFourthOrder)
                FourthOrderSubStep(g, held);
            else
                SimpleSubStep(g, held);
        }
    }
    RecentreShape(g, g.mElasticKeepArea != 0);
    RemoveRigidRotation(g);
}

void ApplyElasticImpact(TracedGeometry& record, const VectorF& position, const VectorF& impulse)
{
    TracedGeometry& g = record;
    const int32_t n = g.mPoints.Count();
    if (g.mElasticForces.Count() != n || !(g.mImpactRadius > 0.0f)) return;
    const VectorF j = impulse * g.mImpactScale;
    for (int32_t i = 0; i < n; ++i) {
        const float d2 = (g.mPoints[i] - position).GetLengthSquared();
        float weight = 0.0f;
        switch (g.mFalloffMode) {
        case 0:
            if (d2 < g.mImpactRadiusSq) weight = 1.0f - SqrtF(d2) * g.mInvImpactRadius;
            break;
        case 1:
            if (d2 < g.mImpactRadiusSq) weight = 1.0f - d2 * g.mInvImpactRadiusSq;
            break;
        case 2: weight = 1.0f / (1.0f + SqrtF(d2) * g.mInvImpactRadius); break;
        case 3: weight = 1.0f / (1.0f + d2 * g.mInvImpactRadiusSq); break;
        default: return;
        }
        g.mElasticForces[i] += j * weight;
    }
}

void RecentreShape(TracedGeometry& record, bool keepArea)
{
    TracedGeometry& g = record;
    const float area = g.ComputeOutlineArea();
    if (!(area > 0.0f)) return;
    const VectorF centroid = g.ComputeOutlineCentroid(area);
    SubtractOffsetFromPoints(g.mPoints.Data(), g.mPoints.Count(), centroid);
    if (keepArea && g.mTotalArea > 0.0f) {
        const float s = SqrtF(g.mTotalArea / area);
        ScalePoints(g.mPoints.Data(), g.mPoints.Count(), VectorF(s, s));
    }
}

void RemoveRigidRotation(TracedGeometry& record)
{
    TracedGeometry& g = record;
    const int32_t n = g.mOutlineCount;
    if (n < 1 || g.mRestOutlineAngles.Count() < n) return;
    ComputeOutlineAngles(g.mPoints.Data(), n, g.mOutlineAngles);
    float sum = 0.0f;
    for (int32_t i = 0; i < n; ++i) sum += WrapToHalfTurn(g.mOutlineAngles[i] - g.mRestOutlineAngles[i]);
    const SinCos back = MakeSinCos(sum / static_cast<float>(n));
    RotatePoints(g.mPoints.Data(), g.mPoints.Count(), back);
    RotatePoints(g.mElasticVelocities.Data(), g.mElasticVelocities.Count(), back);
}

} // namespace KIV
