#include "physics/toys/ToyDeform.h"
#include <emmintrin.h>
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
// The passes take four springs or checks at a time, lane by lane with the
// very operations of the scalar guard, so they land every point on the same
// bits. A point's move stands or falls by all its checks together, so their
// order does not matter, and a run short of four lanes repeats its last check.
constexpr int32_t kLanes = 4;
struct SpringBlock {
    int32_t mA[kLanes], mB[kLanes];  // a spare lane joins point 0 to itself and pulls nothing
    float mInvRest[kLanes];
};
struct EdgeBlock {
    // The edge's other end from the moving point: the squared length is the
    // same bits whichever way round the ends are taken.
    int32_t mOther[kLanes];
    float mInvRest[kLanes];
    float mInvRestSquared[kLanes];  // NaN where its square would leave the normal range
};
struct TriangleBlock {
    int32_t mA[kLanes], mB[kLanes], mC[kLanes];  // in the triangle's own corner order, for its winding
    float mMinArea[kLanes], mMaxArea[kLanes];
};
struct DentPlan {
    Array<SpringBlock> mSprings;
    Array<int32_t> mEdgeStart;      // per point, then one past the last run
    Array<EdgeBlock> mEdges;
    Array<int32_t> mTriangleStart;  // likewise
    Array<TriangleBlock> mTriangles;
    Array<uint8_t> mFixed;          // core points never move in a dent
    Array<VectorF> mAhead;          // per pass: each point moved by its velocity
};

static_assert(sizeof(VectorF) == 2 * sizeof(float), "points load as one 64-bit lane pair");

// The x and y of four points, one per lane.
struct Lanes2 {
    __m128 mX, mY;
};
inline __m128 LoadPair(const VectorF* p, int32_t i)
{
    return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + i)));
}
inline Lanes2 GatherPoints(const VectorF* p, const int32_t* index)
{
    const __m128 low = _mm_movelh_ps(LoadPair(p, index[0]), LoadPair(p, index[1]));
    const __m128 high = _mm_movelh_ps(LoadPair(p, index[2]), LoadPair(p, index[3]));
    return {_mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)), _mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1))};
}
constexpr int kAllLanes = (1 << kLanes) - 1;
// Adds or takes an x, y pair (the low two lanes) to or from a point's figures.
inline void AddToPoint(VectorF* p, int32_t i, __m128 pair)
{
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p + i), _mm_castps_si128(_mm_add_ps(LoadPair(p, i), pair)));
}
inline void TakeFromPoint(VectorF* p, int32_t i, __m128 pair)
{
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p + i), _mm_castps_si128(_mm_sub_ps(LoadPair(p, i), pair)));
}

// Moves accepted by the plastic guard, whose bounds the dent shares.
constexpr float kMinEdgeRatio = TracedGeometry::kMinEdgeRatio;
constexpr float kMaxEdgeRatio = TracedGeometry::kMaxEdgeRatio;
constexpr float kMinAreaFactor = TracedGeometry::kMinAreaFactor;
constexpr float kMaxAreaFactor = TracedGeometry::kPlasticMaxAreaFactor;
constexpr float kNoAreaBound = std::numeric_limits<float>::infinity();
// Most edges sit well inside their bounds: their squared ratio, off by a few
// units in the last place at most, settles them without the square root when
// it keeps clear of the squared bounds by far more than that. Only edges near
// a bound, or with figures outside the normal range, take the exact test.
constexpr float kClearMinRatioSquared = kMinEdgeRatio * kMinEdgeRatio * 1.0001f;
constexpr float kClearMaxRatioSquared = kMaxEdgeRatio * kMaxEdgeRatio * 0.9999f;
constexpr float kLeastSquarableInverse = 1e-18f;
constexpr float kMostSquarableInverse = 1e18f;

// One gathered check before it is packed into its lanes.
struct EdgeCheck {
    int32_t mOther;
    float mInvRest, mInvRestSquared;
};
struct TriangleCheck {
    int32_t mA, mB, mC;
    float mMinArea, mMaxArea;
};

// False for an edge listed at point i that does not end there.
bool AddEdgeCheck(Array<EdgeCheck>& run, int32_t i, int32_t a, int32_t b, float invRest)
{
    if (a != i && b != i) return false;
    const bool squarable = invRest >= kLeastSquarableInverse && invRest <= kMostSquarableInverse;
    run.PushBack({a == i ? b : a, invRest, squarable ? invRest * invRest : std::numeric_limits<float>::quiet_NaN()});
    return true;
}

// Packs one point's run of checks four to a block; the last block's spare
// lanes repeat the run's last check.
template <class Block, class Check, class Fill>
void PackRun(Array<Block>& blocks, const Array<Check>& run, Fill fill)
{
    const int32_t count = run.Count();
    for (int32_t first = 0; first < count; first += kLanes) {
        Block block;
        for (int32_t lane = 0; lane < kLanes; ++lane)
            fill(block, lane, run[first + lane < count ? first + lane : count - 1]);
        blocks.PushBack(block);
    }
}

void PackSprings(Array<SpringBlock>& blocks, const Array<ToyLink>& springs, int32_t n)
{
    SpringBlock block{};
    int32_t lane = 0;
    for (const ToyLink& s : springs) {
        if (s.mA < 0 || s.mA >= n || s.mB < 0 || s.mB >= n) continue;
        block.mA[lane] = s.mA;
        block.mB[lane] = s.mB;
        block.mInvRest[lane] = s.mInvRestLength;
        if (++lane == kLanes) {
            blocks.PushBack(block);
            block = SpringBlock{};
            lane = 0;
        }
    }
    if (lane > 0) blocks.PushBack(block);
}

// False when the lists cannot be gathered, or when a point lists an edge that
// does not end there (the passes then run on the record itself).
bool GatherDentPlan(const TracedGeometry& g, DentPlan& plan)
{
    const int32_t n = g.mPoints.Count();
    plan.mSprings.Clear();
    plan.mEdges.Clear();
    plan.mTriangles.Clear();
    if (!plan.mEdgeStart.Resize(n + 1) || !plan.mTriangleStart.Resize(n + 1) || !plan.mFixed.Resize(n) ||
        !plan.mAhead.Resize(n))
        return false;
    PackSprings(plan.mSprings, g.mSprings, n);
    const int32_t outline = g.mOutlineCount;
    const bool outlineChecked = g.mOutlineEdgeInvLengths.Count() >= outline;
    thread_local Array<EdgeCheck> edges;
    thread_local Array<TriangleCheck> triangles;
    for (int32_t i = 0; i < n; ++i) {
        plan.mFixed[i] = i < g.mCorePointFlags.Count() && g.mCorePointFlags[i] ? 1 : 0;
        edges.Clear();
        for (int32_t node = g.FirstPointEdgeNode(i); node >= 0; node = g.NextPointEdgeNode(node)) {
            const int32_t e = g.mPointEdgeEntries[node];
            if (e < g.mInnerEdgeInvLengths.Count() &&
                !AddEdgeCheck(edges, i, g.mInnerEdges[e].mA, g.mInnerEdges[e].mB, g.mInnerEdgeInvLengths[e]))
                return false;
        }
        if (i < outline && outlineChecked) {
            const int32_t next = i + 1 < outline ? i + 1 : 0;
            const int32_t prev = i > 0 ? i - 1 : outline - 1;
            AddEdgeCheck(edges, i, i, next, g.mOutlineEdgeInvLengths[i]);
            AddEdgeCheck(edges, i, prev, i, g.mOutlineEdgeInvLengths[prev]);
        }
        plan.mEdgeStart[i] = plan.mEdges.Count();
        PackRun(plan.mEdges, edges, [](EdgeBlock& block, int32_t lane, const EdgeCheck& e) {
            block.mOther[lane] = e.mOther;
            block.mInvRest[lane] = e.mInvRest;
            block.mInvRestSquared[lane] = e.mInvRestSquared;
        });
        triangles.Clear();
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
            triangles.PushBack(c);
        }
        plan.mTriangleStart[i] = plan.mTriangles.Count();
        PackRun(plan.mTriangles, triangles, [](TriangleBlock& block, int32_t lane, const TriangleCheck& t) {
            block.mA[lane] = t.mA;
            block.mB[lane] = t.mB;
            block.mC[lane] = t.mC;
            block.mMinArea[lane] = t.mMinArea;
            block.mMaxArea[lane] = t.mMaxArea;
        });
    }
    plan.mEdgeStart[n] = plan.mEdges.Count();
    plan.mTriangleStart[n] = plan.mTriangles.Count();
    return true;
}

// The guarded move of point i by the offset over the gathered checks, inlined
// so the pass loop keeps its bounds in registers from point to point.
[[gnu::always_inline]] inline bool TryPlannedMove(const DentPlan& plan, VectorF* p, int32_t i, const VectorF& offset)
{
    const VectorF old = p[i];
    p[i] = old + offset;
    // The triangles first: a refused move mostly fails on one of them.
    const __m128 zero = _mm_setzero_ps();
    const __m128 half = _mm_set1_ps(0.5f);
    for (int32_t k = plan.mTriangleStart[i], end = plan.mTriangleStart[i + 1]; k < end; ++k) {
        const TriangleBlock& t = plan.mTriangles[k];
        const Lanes2 a = GatherPoints(p, t.mA);
        const Lanes2 b = GatherPoints(p, t.mB);
        const Lanes2 c = GatherPoints(p, t.mC);
        const __m128 abX = _mm_sub_ps(b.mX, a.mX), abY = _mm_sub_ps(b.mY, a.mY);
        const __m128 acX = _mm_sub_ps(c.mX, a.mX), acY = _mm_sub_ps(c.mY, a.mY);
        const __m128 cross = _mm_sub_ps(_mm_mul_ps(abX, acY), _mm_mul_ps(abY, acX));
        const __m128 area = _mm_mul_ps(cross, half);
        const __m128 refused = _mm_or_ps(_mm_cmple_ps(cross, zero),
                                         _mm_or_ps(_mm_cmplt_ps(area, _mm_loadu_ps(t.mMinArea)),
                                                   _mm_cmpgt_ps(area, _mm_loadu_ps(t.mMaxArea))));
        if (_mm_movemask_ps(refused) != 0) {
            p[i] = old;
            return false;
        }
    }
    const __m128 clearMin = _mm_set1_ps(kClearMinRatioSquared), clearMax = _mm_set1_ps(kClearMaxRatioSquared);
    const __m128 minRatio = _mm_set1_ps(kMinEdgeRatio), maxRatio = _mm_set1_ps(kMaxEdgeRatio);
    const __m128 movedX = _mm_set1_ps(p[i].mX), movedY = _mm_set1_ps(p[i].mY);
    for (int32_t k = plan.mEdgeStart[i], end = plan.mEdgeStart[i + 1]; k < end; ++k) {
        const EdgeBlock& e = plan.mEdges[k];
        const Lanes2 other = GatherPoints(p, e.mOther);
        const __m128 dX = _mm_sub_ps(other.mX, movedX), dY = _mm_sub_ps(other.mY, movedY);
        const __m128 lengthSquared = _mm_add_ps(_mm_mul_ps(dX, dX), _mm_mul_ps(dY, dY));
        const __m128 clear = _mm_mul_ps(lengthSquared, _mm_loadu_ps(e.mInvRestSquared));
        const __m128 settled = _mm_and_ps(_mm_cmpgt_ps(clear, clearMin), _mm_cmplt_ps(clear, clearMax));
        const int settledLanes = _mm_movemask_ps(settled);
        if (settledLanes == kAllLanes) continue;
        const __m128 ratio = _mm_mul_ps(_mm_sqrt_ps(lengthSquared), _mm_loadu_ps(e.mInvRest));
        const __m128 inside = _mm_and_ps(_mm_cmpge_ps(ratio, minRatio), _mm_cmple_ps(ratio, maxRatio));
        if ((settledLanes | _mm_movemask_ps(inside)) != kAllLanes) {
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
    // Four springs' pulls at a time from the moved places, which the pulls
    // leave alone; the forces then take them spring by spring, in order.
    const __m128 zero = _mm_setzero_ps();
    const __m128 one = _mm_set1_ps(1.0f);
    for (const SpringBlock& s : plan.mSprings) {
        const Lanes2 a = GatherPoints(ahead, s.mA);
        const Lanes2 b = GatherPoints(ahead, s.mB);
        const __m128 dX = _mm_sub_ps(a.mX, b.mX), dY = _mm_sub_ps(a.mY, b.mY);
        const __m128 length = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(dX, dX), _mm_mul_ps(dY, dY)));
        const int pulling = _mm_movemask_ps(_mm_cmpgt_ps(length, zero));
        if (pulling == 0) continue;
        const __m128 stretch = _mm_sub_ps(_mm_mul_ps(_mm_loadu_ps(s.mInvRest), length), one);
        const __m128 pullX = _mm_mul_ps(dX, stretch), pullY = _mm_mul_ps(dY, stretch);
        const __m128 low = _mm_unpacklo_ps(pullX, pullY), high = _mm_unpackhi_ps(pullX, pullY);
        const __m128 pulls[kLanes] = {low, _mm_movehl_ps(low, low), high, _mm_movehl_ps(high, high)};
        const auto take = [&](int32_t lane) {
            TakeFromPoint(force, s.mA[lane], pulls[lane]);
            AddToPoint(force, s.mB[lane], pulls[lane]);
        };
        if (pulling == kAllLanes) {
            take(0), take(1), take(2), take(3);
        } else {
            for (int32_t lane = 0; lane < kLanes; ++lane)
                if (pulling & (1 << lane)) take(lane);
        }
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

