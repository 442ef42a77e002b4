#include "physics/geometry/OutlineMesher.h"
#include <cmath>
#include "base/MathUtil.h"
#include "base/PointList.h"
#include "physics/geometry/ExactPredicates.h"
#include "physics/geometry/SegmentIntersection.h"

namespace KIV {

namespace {

// Hard caps, so a bad outline cannot hang the build.
constexpr int32_t kMaxRefinePasses = 1000000;
// New triangles of a flip must keep at least this much doubled area.
constexpr float kMinFlipCross = 0.0001f;
// The slots one and two steps on round a triangle: a division by three per
// lookup costs more than the rest of a flip test that rejects.
constexpr int32_t kNextSlot[3] = {1, 2, 0};
constexpr int32_t kSlotAfterNext[3] = {2, 0, 1};
// Above this many edges (some 16 bytes each, beside their triangles and
// points) the flip loop fetches the records it will test next.
constexpr int64_t kPrefetchEdges = 8192;

} // namespace

bool OutlineMesher::Triangulate(float spacing)
{
    TracedGeometry& g = mGeometry;
    mN = g.mOutlineCount;
    if (mN < 3 || g.mPoints.Count() != mN || !std::isfinite(spacing)) return false;

    float twiceArea = 0.0f;
    for (int32_t i = 0; i < mN; ++i) twiceArea += Cross(g.mPoints[i], g.mPoints[i + 1 < mN ? i + 1 : 0]);
    mOrientation = twiceArea < 0.0f ? -1.0f : 1.0f;

    ComputeEffectiveSpacing(spacing);
    // Room for about the mesh the spacing asks for (a little over three points
    // per spacing squared of area), so the lists grow once instead of many
    // times; a wrong guess only costs growth later.
    const double estimate = mN + 3.0 * std::fabs(double(twiceArea)) * 0.5 / mSpacingSquared;
    const int32_t points = estimate < double(kMaxMeshPoints) ? int32_t(estimate) + 1 : kMaxMeshPoints;
    g.mPoints.Reserve(points);
    g.mInnerEdges.Reserve(3 * points);
    g.mFlipQueued.Reserve(3 * points);
    mTriangles.Reserve(2 * points);
    for (int32_t i = 0; i < mN; ++i)
        g.mRingEdgeVectors[i] = g.mPoints[i + 1 < mN ? i + 1 : 0] - g.mPoints[i];
    for (int32_t i = 0; i < mN; ++i)
        g.mReflexFlags[i] = IsReflex(g.mRingEdgeVectors[i > 0 ? i - 1 : mN - 1], g.mRingEdgeVectors[i]) ? 1 : 0;

    // Without every ear there is no mesh to flip or refine.
    if (!ClipEars()) return false;
    FlipEdges();
    if (mFailed || !RefineLongEdges()) return false;

    const int32_t count = mTriangles.Count();
    if (!g.mEdgeTriangles.SetCapacity(count, count)) return false;
    for (int32_t t = 0; t < count; ++t)
        for (int32_t k = 0; k < 3; ++k) g.mEdgeTriangles[t].mEdges[k] = mTriangles[t].mEdges[k];
    BuildVertexTriangles();
    return !mFailed;
}

void OutlineMesher::ComputeEffectiveSpacing(float spacing)
{
    // The spacing is never below the longest outline edge: outline edges are
    // never split, so a shorter spacing could not be met.
    const TracedGeometry& g = mGeometry;
    float squared = spacing * spacing;
    bool raised = false;
    for (int32_t i = 0; i < mN; ++i) {
        const float l = (g.mPoints[i + 1 < mN ? i + 1 : 0] - g.mPoints[i]).GetLengthSquared();
        if (l > squared) {
            squared = l;
            raised = true;
        }
    }
    if (raised) spacing = SqrtF(squared);
    mSpacingSquared = spacing * spacing;
}

bool OutlineMesher::IsReflex(const VectorF& incoming, const VectorF& outgoing) const
{
    return Cross(incoming, outgoing) * mOrientation <= 0.0f;
}

float OutlineMesher::GetEdgeLengthSquared(int32_t edge) const
{
    const MeshEdge& e = mGeometry.mInnerEdges[edge];
    return (mGeometry.mPoints[e.mB] - mGeometry.mPoints[e.mA]).GetLengthSquared();
}

// ---- Ear clipping ----

bool OutlineMesher::AppendTriangle(int32_t e0, int32_t e1, int32_t e2, int32_t c0, int32_t c1, int32_t c2)
{
    if (!mTriangles.PushBack(WorkTriangle{{e0, e1, e2}, {c0, c1, c2}})) {
        mFailed = true;
        return false;
    }
    return true;
}

bool OutlineMesher::ClipEars()
{
    TracedGeometry& g = mGeometry;
    Array<ListLinks>& ring = g.mRing;
    for (int32_t i = 0; i < mN; ++i) {
        ring[i].mNext = i + 1 < mN ? i + 1 : 0;
        ring[i].mPrev = i > 0 ? i - 1 : mN - 1;
        g.mRingEdges[i] = -1;
    }
    if (mN == 3) return AppendTriangle(-1, -1, -1, 0, 1, 2);
    // The plain form (tests) walks every corner; the indexed form steps over
    // runs of reflex corners and finds blocking edges through the grid.
    const bool indexed = !mDiagonalTest;
    if (indexed && (!mGrid.Build(g.mPoints.Data(), mN) || !mRingIndex.Init(g.mReflexFlags.Data(), mN))) return false;

    int32_t cur = 0;
    bool alternate = false;
    int32_t misses = 0;
    int32_t ringSize = mN;
    while (ringSize > 3) {
        // A full round without an ear: the outline touches itself or is degenerate.
        if (++misses > mN + 5) return false;
        // Alternating back and forth keeps the clipped fan from winding round
        // the outline in one direction only.
        if (alternate) cur = ring[ring[cur].mPrev].mPrev;
        const int32_t j = ring[cur].mNext;
        const int32_t k = ring[j].mNext;
        if (g.mReflexFlags[j] && indexed) {
            // Walking on would miss once at j and once at every reflex corner
            // after it, up to the next convex one.
            const int32_t convex = mRingIndex.NextConvexAfter(j);
            if (convex < 0) return false;
            misses += mRingIndex.CountBetween(j, convex);
            if (misses > mN + 5) return false;
            alternate = false;
            cur = ring[convex].mPrev;
            continue;
        }
        if (g.mReflexFlags[j] || !IsValidDiagonal(cur, k)) {
            alternate = false;
            cur = j;
            continue;
        }
        const int32_t triangle = mTriangles.Count();
        const int32_t edge = g.mInnerEdges.Count();
        if (!AppendTriangle(g.mRingEdges[cur], g.mRingEdges[j], edge, cur, j, k)) return false;
        if (g.mRingEdges[cur] >= 0) g.mInnerEdges[g.mRingEdges[cur]].mTriangle2 = triangle;
        if (g.mRingEdges[j] >= 0) g.mInnerEdges[g.mRingEdges[j]].mTriangle2 = triangle;
        if (!g.mInnerEdges.PushBack(MeshEdge{cur, k, triangle, -1})) return false;
        --ringSize;
        g.mRingEdges[cur] = edge;
        ring[cur].mNext = k;
        ring[k].mPrev = cur;
        g.mRingEdgeVectors[cur] = g.mPoints[k] - g.mPoints[cur];
        g.mReflexFlags[cur] = IsReflex(g.mRingEdgeVectors[ring[cur].mPrev], g.mRingEdgeVectors[cur]) ? 1 : 0;
        g.mReflexFlags[k] = IsReflex(g.mRingEdgeVectors[cur], g.mRingEdgeVectors[k]) ? 1 : 0;
        if (indexed) {
            mRingIndex.Remove(j);
            mRingIndex.SetReflex(cur, g.mReflexFlags[cur]);
            mRingIndex.SetReflex(k, g.mReflexFlags[k]);
        }
        misses = 0;
        alternate = !alternate;
        cur = k;
    }
    const int32_t next = ring[cur].mNext;
    const int32_t prev = ring[cur].mPrev;
    const int32_t triangle = mTriangles.Count();
    if (!AppendTriangle(g.mRingEdges[cur], g.mRingEdges[next], g.mRingEdges[prev], cur, next, prev)) return false;
    for (int32_t e : mTriangles[triangle].mEdges)
        if (e >= 0) g.mInnerEdges[e].mTriangle2 = triangle;
    return true;
}

bool OutlineMesher::IsDiagonalWithinCorners(int32_t a, int32_t c) const
{
    // The inside of the outline at a corner lies between the outgoing edge and
    // the reversed incoming edge, swept the way the outline turns.
    const TracedGeometry& g = mGeometry;
    const Array<VectorF>& e = g.mRingEdgeVectors;
    const VectorF d = g.mPoints[c] - g.mPoints[a];
    const VectorF outA = e[a], backA = -e[g.mRing[a].mPrev];
    const VectorF outC = e[c], backC = -e[g.mRing[c].mPrev];
    if (mOrientation > 0.0f) return IsDirectionBetween(d, backA, outA) && IsDirectionBetween(-d, backC, outC);
    return IsDirectionBetween(d, outA, backA) && IsDirectionBetween(-d, outC, backC);
}

// A candidate diagonal a-c with what every test against it reads, worked out
// once: the search tries some ten edges and points per diagonal.
struct OutlineMesher::DiagonalProbe {
    DiagonalProbe(const OutlineMesher& mesher, int32_t a, int32_t c)
        : mPoints(mesher.mGeometry.mPoints.Data()), mInts(mesher.mGeometry.mIntOutline.Data()), mN(mesher.mN),
          mA(a), mC(c), mBeforeA(a > 0 ? a - 1 : mN - 1), mBeforeC(c > 0 ? c - 1 : mN - 1), mPa(mPoints[a]),
          mPc(mPoints[c])
    {
        const VectorI& ia = mInts[a];
        const VectorI& ic = mInts[c];
        mMinX = ia.mX < ic.mX ? ia.mX : ic.mX;
        mMaxX = ia.mX < ic.mX ? ic.mX : ia.mX;
        mMinY = ia.mY < ic.mY ? ia.mY : ic.mY;
        mMaxY = ia.mY < ic.mY ? ic.mY : ia.mY;
    }

    bool IsEdgeAt(int32_t edge) const { return edge == mA || edge == mC || edge == mBeforeA || edge == mBeforeC; }

    // Integer boxes first (the outline truncated toward zero keeps their
    // order), then the exact test.
    bool CrossesEdge(int32_t edge) const
    {
        const int32_t next = edge + 1 < mN ? edge + 1 : 0;
        const VectorI& i0 = mInts[edge];
        const VectorI& i1 = mInts[next];
        const int32_t eMinX = i0.mX < i1.mX ? i0.mX : i1.mX, eMaxX = i0.mX < i1.mX ? i1.mX : i0.mX;
        const int32_t eMinY = i0.mY < i1.mY ? i0.mY : i1.mY, eMaxY = i0.mY < i1.mY ? i1.mY : i0.mY;
        if (mMaxX < eMinX || eMaxX < mMinX || mMaxY < eMinY || eMaxY < mMinY) return false;
        return SegmentsIntersect(mPa, mPc, mPoints[edge], mPoints[next]);
    }

    bool HasPointOn(int32_t q) const
    {
        if (q == mA || q == mC) return false;
        const VectorF& pa = mPa;
        const VectorF& pc = mPc;
        const VectorF& p = mPoints[q];
        const float minX = pa.mX < pc.mX ? pa.mX : pc.mX, maxX = pa.mX < pc.mX ? pc.mX : pa.mX;
        const float minY = pa.mY < pc.mY ? pa.mY : pc.mY, maxY = pa.mY < pc.mY ? pc.mY : pa.mY;
        if (p.mX < minX || p.mX > maxX || p.mY < minY || p.mY > maxY) return false;
        if (p.mX == pa.mX && p.mX == pc.mX) return true;
        if (p.mY == pa.mY && p.mY == pc.mY) return true;
        return AbsF((p.mY - pc.mY) * (pa.mX - p.mX) - (pa.mY - p.mY) * (p.mX - pc.mX)) == 0.0f;
    }

    const VectorF* mPoints;
    const VectorI* mInts;
    int32_t mN, mA, mC, mBeforeA, mBeforeC;
    VectorF mPa, mPc;
    int32_t mMinX, mMaxX, mMinY, mMaxY;
};

bool OutlineMesher::IsEdgeAtDiagonal(int32_t edge, int32_t a, int32_t c) const
{
    return DiagonalProbe(*this, a, c).IsEdgeAt(edge);
}

bool OutlineMesher::DiagonalCrossesEdge(int32_t a, int32_t c, int32_t edge) const
{
    return DiagonalProbe(*this, a, c).CrossesEdge(edge);
}

bool OutlineMesher::IsPointOnDiagonal(int32_t a, int32_t c, int32_t q) const
{
    return DiagonalProbe(*this, a, c).HasPointOn(q);
}

bool OutlineMesher::IsValidDiagonal(int32_t a, int32_t c)
{
    if (mDiagonalTest) return mDiagonalTest(*this, a, c);
    if (!IsDiagonalWithinCorners(a, c)) return false;
    const int32_t known = mBlockCache.Find(a, c);
    if (known >= 0) return known == 0;
    const DiagonalProbe probe(*this, a, c);
    const bool blocked = mGrid.AnyNear(
        probe.mPa, probe.mPc, [&probe](int32_t edge) { return !probe.IsEdgeAt(edge) && probe.CrossesEdge(edge); },
        [&probe](int32_t q) { return probe.HasPointOn(q); });
    if (!mBlockCache.Store(a, c, blocked)) mFailed = true;
    return !blocked;
}

// ---- Edge flips ----

int32_t OutlineMesher::FindEdgeSlot(const WorkTriangle& t, int32_t edge)
{
    for (int32_t k = 0; k < 3; ++k)
        if (t.mEdges[k] == edge) return k;
    return -1;
}

void OutlineMesher::ReplaceSide(MeshEdge* edges, int32_t edge, int32_t from, int32_t to)
{
    MeshEdge& e = edges[edge];
    if (e.mTriangle1 == from) e.mTriangle1 = to;
    else if (e.mTriangle2 == from) e.mTriangle2 = to;
}

void OutlineMesher::OnEdgeChanged(int32_t edge, float lengthSquared)
{
    if (mHeapActive && !mHeap.Set(edge, lengthSquared)) mFailed = true;
}

void OutlineMesher::FlipEdges()
{
    TracedGeometry& g = mGeometry;
    const int64_t edges = g.mInnerEdges.Count();
    const int64_t maxPasses = edges * edges + 4;
    // An edge is in the queue at most once (its flag tells), so a queue with
    // room for every edge never grows here: the loop keeps it as a plain stack
    // in registers, as it does the mesh's lists, which flips never resize.
    // The circle tests follow the triangles, growing as the triangles' list does.
    if (!g.mFlipQueue.Reserve(int32_t(edges)) || !mCircles.Reserve(mTriangles.Capacity()) ||
        !mCircles.SetCount(mTriangles.Count())) {
        mFailed = true;
        return;
    }
    FlipWork work{g.mInnerEdges.Data(), mTriangles.Data(), mCircles.Data(), g.mPoints.Data(), g.mFlipQueued.Data(),
                  g.mFlipQueue.Data(), g.mFlipQueue.Count()};
    // A mesh of a few thousand edges stays in the caches as a whole; a larger
    // one does not, and the queue jumps about it.
    if (edges > kPrefetchEdges)
        RunFlipQueue<true>(work, maxPasses);
    else
        RunFlipQueue<false>(work, maxPasses);
    g.mFlipQueue.SetCount(work.mQueueCount);
}

template <bool kPrefetch>
void OutlineMesher::RunFlipQueue(FlipWork& work, int64_t maxPasses)
{
    for (int64_t pass = 0; pass < maxPasses && work.mQueueCount > 0; ++pass) {
        const int32_t count = --work.mQueueCount;
        const int32_t edge = work.mQueue[count];
        work.mQueued[edge] = 0;
        // Fetch the records of the next two edges while this one is tested.
        if (kPrefetch) {
            if (count >= 2) __builtin_prefetch(work.mEdges + work.mQueue[count - 2]);
            if (count >= 1) {
                const MeshEdge& next = work.mEdges[work.mQueue[count - 1]];
                if (next.mTriangle1 >= 0) __builtin_prefetch(work.mTriangles + next.mTriangle1);
                if (next.mTriangle2 >= 0) __builtin_prefetch(work.mTriangles + next.mTriangle2);
            }
        }
        FlipEdge(work, edge);
    }
}

void OutlineMesher::FlipEdge(FlipWork& work, int32_t edge)
{
    MeshEdge& e = work.mEdges[edge];
    const int32_t t1 = e.mTriangle1, t2 = e.mTriangle2;
    if (t1 < 0 || t2 < 0) return;
    WorkTriangle& tri1 = work.mTriangles[t1];
    WorkTriangle& tri2 = work.mTriangles[t2];
    const int32_t k2 = FindEdgeSlot(tri2, edge);
    if (k2 < 0) return;

    // Only a far corner strictly inside the circle through the triangle flips;
    // cocircular quads stay as they are. The test is exact: a float circle
    // centre misjudges nearly cocircular points (five neighbours on a finely
    // traced curve), and the flips then chase each other round them for ever.
    // A flip must also leave both new triangles some thickness: that rules
    // out the edges from a new split point to the quad's far corners, whose
    // flips would make a flat triangle. Both tests only read, so their order
    // changes no decision; the circle goes first, as it turns down about two
    // edges in three and the thickness test hardly any, and the rest of the
    // quad is read only for the edges it lets through.
    // The circle test of IsInsideCircle, with the triangle's turn and the
    // half of the circle test that is the triangle's own kept between the
    // tests of its three edges. Corner 0 starts the circle whichever edge is
    // tested: a rotation of the corners changes neither sign.
    const int32_t z = tri2.mCorners[kSlotAfterNext[k2]];
    const VectorF pz = work.mPoints[z];
    InCircleTest& circle = work.mCircles[t1];
    const auto corner = [&work, &tri1](int32_t k) { return work.mPoints[tri1.mCorners[k]]; };
    if (tri1.mTurn == kTurnUnknown) tri1.mTurn = circle.Prepare(corner(0), corner(1), corner(2));
    if (!(circle.Sign(pz, corner) * tri1.mTurn > 0)) return;

    // T1 walks u -> v -> w with the edge first, a1 = v-w, a2 = w-u; T2 walks
    // v -> u -> z, b1 = u-z, b2 = z-v. So v is the end that a1 touches.
    const int32_t k1 = FindEdgeSlot(tri1, edge);
    if (k1 < 0) return;
    const int32_t k1Next = kNextSlot[k1], k1After = kSlotAfterNext[k1];
    const int32_t u = tri1.mCorners[k1], v = tri1.mCorners[k1Next], w = tri1.mCorners[k1After];
    const VectorF pu = work.mPoints[u];
    const VectorF pv = work.mPoints[v];
    const VectorF pw = work.mPoints[w];
    if (!(AbsF(Cross(pw - pz, pv - pz)) > kMinFlipCross && AbsF(Cross(pu - pz, pw - pz)) > kMinFlipCross)) return;

    const int32_t a1 = tri1.mEdges[k1Next], a2 = tri1.mEdges[k1After];
    const int32_t b1 = tri2.mEdges[kNextSlot[k2]], b2 = tri2.mEdges[kSlotAfterNext[k2]];
    e.mA = w;
    e.mB = z;
    tri1 = WorkTriangle{{edge, b2, a1}, {w, z, v}};
    tri2 = WorkTriangle{{edge, a2, b1}, {z, w, u}};
    if (a2 >= 0) ReplaceSide(work.mEdges, a2, t1, t2);
    if (b2 >= 0) ReplaceSide(work.mEdges, b2, t2, t1);
    OnEdgeChanged(edge, (pz - pw).GetLengthSquared());
    const auto queue = [&work](int32_t side) {
        if (side < 0 || work.mQueued[side]) return;
        work.mQueue[work.mQueueCount++] = side;
        work.mQueued[side] = 1;
    };
    queue(a1);
    queue(a2);
    queue(b1);
    queue(b2);
}

// ---- Refinement ----

int32_t OutlineMesher::FindLongestEdge()
{
    if (mLongestEdge) return mLongestEdge(*this);
    return mHeap.Top();
}

bool OutlineMesher::RefineLongEdges()
{
    if (!mLongestEdge) {
        mHeap.SetThreshold(mSpacingSquared);
        for (int32_t i = 0; i < mGeometry.mInnerEdges.Count(); ++i)
            if (!mHeap.Set(i, GetEdgeLengthSquared(i))) return false;
        mHeapActive = true;
    }
    for (int32_t pass = 0; pass < kMaxRefinePasses; ++pass) {
        const int32_t edge = FindLongestEdge();
        if (edge < 0 || mSpacingSquared >= GetEdgeLengthSquared(edge)) break;
        // Triangles keep 16-bit point indices: a mesh that would outgrow them fails.
        if (mGeometry.mPoints.Count() >= kMaxMeshPoints) return false;
        if (!SplitEdge(edge)) break;
        if (mFailed) return false;
        FlipEdges();
        if (mFailed) return false;
    }
    mHeapActive = false;
    return !mFailed;
}

bool OutlineMesher::SplitEdge(int32_t edge)
{
    TracedGeometry& g = mGeometry;
    const MeshEdge old = g.mInnerEdges[edge];
    const int32_t t1 = old.mTriangle1, t2 = old.mTriangle2;
    if (t1 < 0 || t2 < 0) return false;
    const int32_t k1 = FindEdgeSlot(mTriangles[t1], edge);
    const int32_t k2 = FindEdgeSlot(mTriangles[t2], edge);
    if (k1 < 0 || k2 < 0) return false;

    // The quad around the edge, named as for a flip: T1 = u -> v -> w,
    // T2 = v -> u -> z. The new point m takes four triangles round it:
    // T1 = v w m, T3 = w u m, T2 = u z m, T4 = z v m.
    const WorkTriangle tri1 = mTriangles[t1];
    const WorkTriangle tri2 = mTriangles[t2];
    const int32_t a1 = tri1.mEdges[kNextSlot[k1]], a2 = tri1.mEdges[kSlotAfterNext[k1]];
    const int32_t b1 = tri2.mEdges[kNextSlot[k2]], b2 = tri2.mEdges[kSlotAfterNext[k2]];
    const int32_t u = tri1.mCorners[k1], v = tri1.mCorners[kNextSlot[k1]], w = tri1.mCorners[kSlotAfterNext[k1]];
    const int32_t z = tri2.mCorners[kSlotAfterNext[k2]];

    const int32_t m = g.mPoints.Count();
    const VectorF mid = (g.mPoints[old.mA] + g.mPoints[old.mB]) * 0.5f;
    const int32_t e1 = g.mInnerEdges.Count(), e2 = e1 + 1, e3 = e1 + 2;
    const int32_t t3 = mTriangles.Count(), t4 = t3 + 1;
    // The split edge keeps its first end and becomes its first half; e1 is the
    // second half, e2 joins m to w and e3 joins m to z.
    const int32_t mu = old.mA == u ? edge : e1;
    const int32_t mv = old.mA == u ? e1 : edge;

    // Geometric growth: a large mesh is refined one point at a time.
    g.mPoints.SetGrowBy(m / 2 + 32);
    g.mInnerEdges.SetGrowBy(e1 / 2 + 32);
    mTriangles.SetGrowBy(t3 / 2 + 32);
    g.mFlipQueued.SetGrowBy(e1 / 2 + 256);
    if (!g.mPoints.PushBack(mid) || !g.mInnerEdges.PushBack(MeshEdge{m, old.mB, -1, -1}) ||
        !g.mInnerEdges.PushBack(MeshEdge{m, w, t1, t3}) || !g.mInnerEdges.PushBack(MeshEdge{m, z, t2, t4}) ||
        !AppendTriangle(a2, mu, e2, w, u, m) || !AppendTriangle(b2, mv, e3, z, v, m) ||
        !g.mFlipQueued.PushBack(0) || !g.mFlipQueued.PushBack(0) || !g.mFlipQueued.PushBack(0)) {
        mFailed = true;
        return false;
    }
    g.mInnerEdges[edge].mB = m;
    const auto sides = [&](int32_t e, int32_t first, int32_t second) {
        g.mInnerEdges[e].mTriangle1 = first;
        g.mInnerEdges[e].mTriangle2 = second;
    };
    sides(mv, t1, t4);
    sides(mu, t3, t2);

    mTriangles[t1] = WorkTriangle{{a1, e2, mv}, {v, w, m}};
    mTriangles[t2] = WorkTriangle{{b1, e3, mu}, {u, z, m}};
    if (a2 >= 0) ReplaceSide(g.mInnerEdges.Data(), a2, t1, t3);
    if (b2 >= 0) ReplaceSide(g.mInnerEdges.Data(), b2, t2, t4);

    if (mHeapActive) {
        OnEdgeChanged(edge, GetEdgeLengthSquared(edge));
        OnEdgeChanged(e1, GetEdgeLengthSquared(e1));
        OnEdgeChanged(e2, GetEdgeLengthSquared(e2));
        OnEdgeChanged(e3, GetEdgeLengthSquared(e3));
    }
    PushQueue(a1);
    PushQueue(a2);
    PushQueue(b1);
    PushQueue(b2);
    PushQueue(edge);
    PushQueue(e1);
    PushQueue(e2);
    PushQueue(e3);
    return true;
}

// ---- Point-index triangles ----

void OutlineMesher::GetTriangleFromEdges(int32_t triangle, int32_t out[3]) const
{
    // Edge k runs from corner k to corner k + 1, so the corners give the
    // points that the edges share without reading the edge records.
    const WorkTriangle& t = mTriangles[triangle];
    const int32_t* c = t.mCorners;
    const bool inner0 = t.mEdges[0] >= 0, inner1 = t.mEdges[1] >= 0, inner2 = t.mEdges[2] >= 0;
    out[0] = c[0];
    out[1] = c[1];
    out[2] = c[2];
    if (inner0 + inner1 + inner2 >= 2) {
        // Two inner edges (the first two in edge order): their shared point,
        // then the far end of the first and of the second.
        if (inner0 && inner1) {
            out[0] = c[1];
            out[1] = c[0];
            out[2] = c[2];
        } else if (inner0) { // edges 0 and 2, meeting at corner 0
            out[0] = c[0];
            out[1] = c[1];
            out[2] = c[2];
        } else { // edges 1 and 2, meeting at corner 2
            out[0] = c[2];
            out[1] = c[1];
            out[2] = c[0];
        }
    } else if (inner0 + inner1 + inner2 == 1) {
        // An ear: two outline edges round the outline point between the
        // inner edge's ends, named from the end two steps on.
        const MeshEdge& e = mGeometry.mInnerEdges[t.mEdges[inner0 ? 0 : (inner1 ? 1 : 2)]];
        if (e.mA >= mN || e.mB >= mN) return;
        const int32_t s = (e.mA + 2) % mN == e.mB ? e.mB : e.mA;
        out[0] = s;
        out[1] = (s - 2 + mN) % mN;
        out[2] = (s - 1 + mN) % mN;
    }
}

void OutlineMesher::BuildVertexTriangles()
{
    TracedGeometry& g = mGeometry;
    const int32_t count = mTriangles.Count();
    if (!g.mTriangles.SetCapacity(count, count)) {
        mFailed = true;
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        int32_t t[3];
        if (count == 1) {
            t[0] = 0;
            t[1] = 1;
            t[2] = 2;
        } else if (count == 2) {
            // A quad round one diagonal from point v.
            const int32_t v = g.mInnerEdges[0].mA;
            t[0] = i == 0 ? v : (v + 2) % 4;
            t[1] = i == 0 ? (v + 1) % 4 : (v + 3) % 4;
            t[2] = i == 0 ? (v + 2) % 4 : v;
        } else {
            GetTriangleFromEdges(i, t);
        }
        // Every triangle, small meshes included, winds positive.
        if (Cross(g.mPoints[t[1]] - g.mPoints[t[0]], g.mPoints[t[2]] - g.mPoints[t[0]]) <= 0.0f) {
            const int32_t swap = t[1];
            t[1] = t[2];
            t[2] = swap;
        }
        g.mTriangles[i] = IndexTriangle{uint16_t(t[0]), uint16_t(t[1]), uint16_t(t[2])};
    }
}

} // namespace KIV
