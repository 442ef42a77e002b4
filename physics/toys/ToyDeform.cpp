#include "physics/toys/ToyDeform.h"
#include <limits>
#include "base/MathUtil.h"
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

// What a dent's 45 passes read over and over, gathered once per dent: the
// springs whose ends lie in the mesh, and per point the edges and triangles
// its guarded move checks, as flat runs instead of the record's linked lists.
// A point's move stands or falls by all its checks together, so their order
// does not matter; every check computes its figures exactly as the guarded
// move does, so the passes land every point on the same bits.
struct EdgeCheck {
    int32_t mA, mB;  // the length measured is that of point B minus point A
    float mInvRest;
    float mInvRestSquared;  // NaN where its square would leave the normal range
};
struct TriangleCheck {
    int32_t mA, mB, mC;  // in the triangle's own corner order, for its winding
    float mMinArea, mMaxArea;
};
struct DentPlan {
    Array<ToyLink> mSprings;
    Array<int32_t> mEdgeStart;      // per point, then one past the last run
    Array<EdgeCheck> mEdges;
    Array<int32_t> mTriangleStart;  // likewise
    Array<TriangleCheck> mTriangles;
    Array<uint8_t> mFixed;          // core points never move in a dent
    Array<VectorF> mAhead;          // per pass: each point moved by its velocity
};

// Moves accepted by the plastic guard: edge length ratios (squared bounds of
// 0.02 and 2.0) and triangle areas against the rest area.
constexpr float kMinEdgeRatio = 0.0004f;
constexpr float kMaxEdgeRatio = 4.0f;
constexpr float kMinAreaFactor = 0.1f;
constexpr float kMaxAreaFactor = 2.5f;
constexpr float kNoAreaBound = std::numeric_limits<float>::infinity();
// Most edges sit well inside their bounds: their squared ratio, off by a few
// units in the last place at most, settles them without the square root when
// it keeps clear of the squared bounds by far more than that. Only edges near
// a bound, or with figures outside the normal range, take the exact test.
constexpr float kClearMinRatioSquared = kMinEdgeRatio * kMinEdgeRatio * 1.0001f;
constexpr float kClearMaxRatioSquared = kMaxEdgeRatio * kMaxEdgeRatio * 0.9999f;
constexpr float kLeastSquarableInverse = 1e-18f;
constexpr float kMostSquarableInverse = 1e18f;

void AddEdgeCheck(DentPlan& plan, int32_t a, int32_t b, float invRest)
{
    const bool squarable = invRest >= kLeastSquarableInverse && invRest <= kMostSquarableInverse;
    plan.mEdges.PushBack(
        {a, b, invRest, squarable ? invRest * invRest : std::numeric_limits<float>::quiet_NaN()});
}

bool GatherDentPlan(const TracedGeometry& g, DentPlan& plan)
{
    const int32_t n = g.mPoints.Count();
    plan.mSprings.Clear();
    plan.mEdges.Clear();
    plan.mTriangles.Clear();
    if (!plan.mEdgeStart.Resize(n + 1) || !plan.mTriangleStart.Resize(n + 1) || !plan.mFixed.Resize(n) ||
        !plan.mAhead.Resize(n))
        return false;
    for (const ToyLink& s : g.mSprings)
        if (s.mA >= 0 && s.mA < n && s.mB >= 0 && s.mB < n) plan.mSprings.PushBack(s);
    const int32_t outline = g.mOutlineCount;
    const bool outlineChecked = g.mOutlineEdgeInvLengths.Count() >= outline;
    for (int32_t i = 0; i < n; ++i) {
        plan.mFixed[i] = i < g.mCorePointFlags.Count() && g.mCorePointFlags[i] ? 1 : 0;
        plan.mEdgeStart[i] = plan.mEdges.Count();
        for (int32_t node = g.FirstPointEdgeNode(i); node >= 0; node = g.NextPointEdgeNode(node)) {
            const int32_t e = g.mPointEdgeEntries[node];
            if (e < g.mInnerEdgeInvLengths.Count())
                AddEdgeCheck(plan, g.mInnerEdges[e].mA, g.mInnerEdges[e].mB, g.mInnerEdgeInvLengths[e]);
        }
        if (i < outline && outlineChecked) {
            const int32_t next = i + 1 < outline ? i + 1 : 0;
            const int32_t prev = i > 0 ? i - 1 : outline - 1;
            AddEdgeCheck(plan, i, next, g.mOutlineEdgeInvLengths[i]);
            AddEdgeCheck(plan, prev, i, g.mOutlineEdgeInvLengths[prev]);
        }
        plan.mTriangleStart[i] = plan.mTriangles.Count();
        for (int32_t node = g.FirstPointTriangleNode(i); node >= 0; node = g.NextPointTriangleNode(node)) {
            const int32_t t = g.mPointTriangleEntries[node];
            const IndexTriangle& tri = g.mTriangles[t];
            // Without a rest area only the winding is checked: bounds no area passes.
            TriangleCheck c{tri.mA, tri.mB, tri.mC, -kNoAreaBound, kNoAreaBound};
            if (t < g.mTriangleAreas.Count()) {
                const float rest = g.mTriangleAreas[t];
                c.mMinArea = kMinAreaFactor * rest;
                c.mMaxArea = kMaxAreaFactor * rest;
            }
            plan.mTriangles.PushBack(c);
        }
    }
    plan.mEdgeStart[n] = plan.mEdges.Count();
    plan.mTriangleStart[n] = plan.mTriangles.Count();
    return true;
}

// The guarded move of point i by the offset over the gathered checks.
bool TryPlannedMove(const DentPlan& plan, VectorF* p, int32_t i, const VectorF& offset)
{
    const VectorF old = p[i];
    p[i] = old + offset;
    // The triangles first: a refused move mostly fails on one of them.
    for (int32_t k = plan.mTriangleStart[i], end = plan.mTriangleStart[i + 1]; k < end; ++k) {
        const TriangleCheck& t = plan.mTriangles[k];
        const VectorF& a = p[t.mA];
        const float cross = Cross(p[t.mB] - a, p[t.mC] - a);
        const float area = cross * 0.5f;
        if (cross <= 0.0f || area < t.mMinArea || area > t.mMaxArea) {
            p[i] = old;
            return false;
        }
    }
    for (int32_t k = plan.mEdgeStart[i], end = plan.mEdgeStart[i + 1]; k < end; ++k) {
        const EdgeCheck& e = plan.mEdges[k];
        const VectorF d = p[e.mB] - p[e.mA];
        const float lengthSquared = d.mX * d.mX + d.mY * d.mY;
        const float clear = lengthSquared * e.mInvRestSquared;
        if (clear > kClearMinRatioSquared && clear < kClearMaxRatioSquared) continue;
        const float ratio = SqrtF(lengthSquared) * e.mInvRest;
        if (!(ratio >= kMinEdgeRatio && ratio <= kMaxEdgeRatio)) {
            p[i] = old;
            return false;
        }
    }
    return true;
}

// One relaxation pass as RelaxDent runs it, over the gathered plan.
void RelaxPlanned(TracedGeometry& g, DentPlan& plan)
{
    const int32_t n = g.mPoints.Count();
    VectorF* force = g.mDentForces.Data();
    VectorF* velocity = g.mDentVelocities.Data();
    VectorF* p = g.mPoints.Data();
    VectorF* ahead = plan.mAhead.Data();
    for (int32_t i = 0; i < n; ++i) {
        velocity[i] += force[i] * kForceToVelocity;
        ahead[i] = p[i] + velocity[i];
    }
    for (const ToyLink& s : plan.mSprings) {
        const VectorF d = ahead[s.mA] - ahead[s.mB];
        const float length = d.GetLength();
        if (!(length > 0.0f)) continue;
        const VectorF pull = d * (s.mInvRestLength * length - 1.0f);
        force[s.mA] -= pull;
        force[s.mB] += pull;
    }
    // The forces are spent as soon as they are read; the velocities' sum
    // runs in the same order as AveragePoints adds them.
    VectorF sum;
    for (int32_t i = 0; i < n; ++i) {
        velocity[i] = velocity[i] * kVelocityKeep + force[i] * kForceShare;
        force[i] = VectorF();
        sum += velocity[i];
    }
    const VectorF drift = sum / static_cast<float>(n);
    for (int32_t i = 0; i < n; ++i) {
        velocity[i] -= drift;
        if (!plan.mFixed[i] && TryPlannedMove(plan, p, i, velocity[i])) TryPlannedMove(plan, p, i, velocity[i]);
    }
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
    // The passes change points, velocities and forces, never the mesh: what
    // they check is gathered once for all of them.
    thread_local DentPlan plan;
    const int32_t n = g.mPoints.Count();
    const bool planned = n > 0 && g.mDentForces.Count() == n && g.mDentVelocities.Count() == n &&
                         GatherDentPlan(g, plan);
    for (int32_t round = 0; round < kRoundsPerDent; ++round) {
        for (int32_t pass = 0; pass < kPassesPerRound; ++pass) {
            if (planned)
                RelaxPlanned(g, plan);
            else
                RelaxDent(g);
        }
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

