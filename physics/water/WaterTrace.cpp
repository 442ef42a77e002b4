#include <cmath>
#include <cstring>
#include "physics/grid/SpatialGrid.h"
#include "physics/water/Water.h"

namespace KIV {

namespace {

// Far enough to the right to leave any world the grid can cover.
constexpr float kFar = 1000000.0f;
// The small steps that keep a traced point off the edge it was found on.
constexpr float kNudge = 0.01f;

uint64_t PointKey(const VectorF& p)
{
    // -0 and +0 are one point.
    const float x = p.mX == 0.0f ? 0.0f : p.mX, y = p.mY == 0.0f ? 0.0f : p.mY;
    uint32_t bx, by;
    std::memcpy(&bx, &x, 4);
    std::memcpy(&by, &y, 4);
    return (uint64_t(bx) << 32) | by;
}

// The vertices of the terrain object the trace runs along, read from the
// grid's own copy of its edges: the grid is all the trace trusts, so a terrain
// object that went away cannot be reached through a stale pointer.
struct TraceObject {
    int32_t mSlot = -1;
    int32_t mStep = -1;  // the index step that walks against the edges' direction
    Array<VectorF> mVertices;

    bool Load(const SpatialGrid& grid, int32_t slot)
    {
        const SlotList& store = grid.GetStaticStore();
        mSlot = -1;
        mVertices.Clear();
        if (!store.IsObjectInUse(slot)) return false;
        const StaticSegment* first = nullptr;
        // A basin's floor has thousands of vertices: room for them at once.
        if (!mVertices.Reserve(store.GetObject(slot).mNodeCount)) return false;
        for (int32_t node = store.GetObject(slot).mFirstNode; node >= 0; node = store.GetNode(node).mNext) {
            const StaticSegment& s = grid.GetStaticSegment(node);
            if (!first) first = &s;
            if (!mVertices.PushBack(s.mStart)) return false;
        }
        const int32_t n = mVertices.Count();
        if (n < 3) return false;
        // Edge i runs to point i + 1, or to point i - 1 for an outline entered
        // the other way round; walking back along the edges undoes either.
        mStep = (first->mEnd == mVertices[1] || !(first->mEnd == mVertices[n - 1])) ? -1 : 1;
        mSlot = slot;
        return true;
    }
    int32_t Next(int32_t index) const
    {
        const int32_t n = mVertices.Count();
        return ((index + mStep) % n + n) % n;
    }
};

struct Tracer {
    SpatialGrid& mGrid;
    GridQueryContext& mContext;
    GridSegmentHit mHit;

    bool Cast(const VectorF& from, const VectorF& to, int32_t excludedSlot)
    {
        // Along the edges of the grid's only terrain object there is nothing
        // else to meet: the walk over the cells would find no segment to test.
        const SlotList& store = mGrid.GetStaticStore();
        if (excludedSlot >= 0 && store.GetUsedObjectCount() == 1 && store.IsObjectInUse(excludedSlot)) {
            mHit = GridSegmentHit();
            return false;
        }
        GridSegmentQuery q;
        q.mFrom = from;
        q.mTo = to;
        q.mTestStatic = true;
        q.mTestToys = false;
        q.mExcludedSlot = excludedSlot;
        mHit = GridSegmentHit();
        return mGrid.QuerySegment(q, mContext, mHit) && mHit.mStaticSegment >= 0;
    }
    const StaticSegment& HitSegment() const { return mGrid.GetStaticSegment(mHit.mStaticSegment); }
};

uint32_t PointSlot(uint64_t key, int32_t slots)
{
    return uint32_t((key * 0x9E3779B97F4A7C15ull) >> 32) & uint32_t(slots - 1);
}

} // namespace

void Water::ClearPointSet()
{
    mPointSet.Fill(kNoPoint);
    mPointSetCount = 0;
}

bool Water::AppendPoint(const VectorF& p)
{
    // Kept at most half full; the table only grows, a pool's next trace is
    // about as long.
    if (2 * (mPointSetCount + 1) > mPointSet.Count()) {
        Array<uint64_t> keys(std::move(mPointSet));
        if (!mPointSet.Resize(keys.Count() > 0 ? 2 * keys.Count() : 2048)) {
            mPointSet = std::move(keys);
            return false;
        }
        ClearPointSet();
        for (const uint64_t key : keys) {
            if (key == kNoPoint) continue;
            uint32_t slot = PointSlot(key, mPointSet.Count());
            while (mPointSet[slot] != kNoPoint) slot = (slot + 1) & uint32_t(mPointSet.Count() - 1);
            mPointSet[slot] = key;
            ++mPointSetCount;
        }
    }
    if (!mOutline.PushBack(p)) return false;
    const uint64_t key = PointKey(p);
    uint32_t slot = PointSlot(key, mPointSet.Count());
    while (mPointSet[slot] != kNoPoint && mPointSet[slot] != key) slot = (slot + 1) & uint32_t(mPointSet.Count() - 1);
    if (mPointSet[slot] == kNoPoint) ++mPointSetCount;
    mPointSet[slot] = key;
    return true;
}

bool Water::HasPoint(const VectorF& p) const
{
    if (mPointSet.Count() == 0) return false;
    const uint64_t key = PointKey(p);
    for (uint32_t slot = PointSlot(key, mPointSet.Count());; slot = (slot + 1) & uint32_t(mPointSet.Count() - 1)) {
        if (mPointSet[slot] == key) return true;
        if (mPointSet[slot] == kNoPoint) return false;
    }
}

bool Water::Trace(SpatialGrid& grid, const VectorF& seed)
{
    ClearPointSet();
    // A grid that covers no world, or a seed outside the world it covers,
    // encloses no pool; the casts would otherwise start from nowhere.
    if (!grid.IsSetUp() || !std::isfinite(seed.mX) || !std::isfinite(seed.mY)) return false;
    const RectI bounds = grid.GetBounds();
    if (seed.mX < float(bounds.mP1.mX) || seed.mX > float(bounds.mP2.mX) || seed.mY < float(bounds.mP1.mY) ||
        seed.mY > float(bounds.mP2.mY))
        return false;

    grid.ReserveQueryContexts(1);
    Tracer tracer{grid, grid.GetQueryContext(0), {}};
    TraceObject object;
    const float level = seed.mY;
    const VectorF far(seed.mX + kFar, level);
    auto underWater = [level](const VectorF& p) { return p.mY >= level; };

    if (!tracer.Cast(seed, far, -1)) return false;
    const VectorF first = tracer.mHit.mPoint;
    if (!AppendPoint(first)) return false;
    // From just inside the wall the first cast found, the rest of the level
    // line must stay in solid terrain: a hit means the wall is open behind
    // and the water would run out. (From just before the wall the cast would
    // only meet the very face it found.)
    const StaticSegment wall = tracer.HitSegment();
    if (tracer.Cast(VectorF(first.mX + kNudge, level), far, -1)) return false;
    VectorF c(first.mX, level);
    if (!AppendPoint(c)) return false;
    if (!object.Load(grid, wall.mSlot)) return false;
    // The trace runs on along the wall's own outline from here.
    int32_t current = object.mSlot;
    int32_t vertex = wall.mEdgeIndex;
    VectorF v = object.mVertices[vertex];
    if (!underWater(v)) return false;

    // The level point where the edge c..to rises out of the water; the trace
    // goes on along the level from there.
    auto surface = [&](const VectorF& to) -> bool {
        const float denominator = to.mY - c.mY;
        if (denominator == 0.0f) return false;
        const float t = (level - c.mY) / denominator;
        c = VectorF(c.mX + t * (to.mX - c.mX) + kNudge, level);
        if (!AppendPoint(c)) return false;
        v = mOutline[0].mX <= c.mX ? VectorF(c.mX + kFar, level) : mOutline[0];
        current = -1;
        return true;
    };

    bool closed = false;
    for (int32_t step = 0; step < kMaxTraceSteps && !closed; ++step) {
        if (!tracer.Cast(c, v, current)) {
            if (!underWater(v)) {
                if (!surface(v)) return false;
            } else if (current >= 0) {
                if (v == c) {
                    // A zero-length edge (a vertex given twice): the point
                    // is on the outline already and closes nothing.
                    vertex = object.Next(vertex);
                    v = object.mVertices[vertex];
                } else if (v.mY == level && c.mY > level) {
                    // Rising to a vertex exactly on the level, the terrain
                    // meets the surface there, as at an edge that crosses it:
                    // followed on, the trace would run over a rim at the level
                    // and round the outside of the terrain.
                    if (!surface(v)) return false;
                } else if (HasPoint(v)) {
                    closed = true;
                } else {
                    if (!AppendPoint(v)) return false;
                    c = v;
                    vertex = object.Next(vertex);
                    v = object.mVertices[vertex];
                }
            } else {
                // Back at the start along a clear level: the cast reached the
                // wall point the trace began on (rounding may leave it a hair
                // short of the face).
                if (!(c == mOutline[0]) && !(v == mOutline[0])) return false;
                closed = true;
            }
            continue;
        }
        const VectorF h = tracer.mHit.mPoint;
        const StaticSegment hit = tracer.HitSegment();
        if (!underWater(h)) {
            if (!surface(h)) return false;
            continue;
        }
        // Back along the level at the face the trace began on: closed, even
        // where rounding puts the hit a hair beside the first point.
        if (current < 0 && v == mOutline[0] && hit.mSlot == wall.mSlot && hit.mEdgeIndex == wall.mEdgeIndex) {
            closed = true;
            continue;
        }
        const bool onLevel = h.mY == level && c.mY == level && v.mY == level;
        c = h - hit.mDirection * kNudge;
        if (onLevel) c.mY = level;
        if (HasPoint(c)) {
            closed = true;
            continue;
        }
        if (!AppendPoint(c)) return false;
        if (hit.mSlot != object.mSlot && !object.Load(grid, hit.mSlot)) return false;
        current = object.mSlot;
        vertex = hit.mEdgeIndex;
        v = object.mVertices[vertex];
    }
    (void)closed;  // the step limit ends a trace that never closes; what it found still counts
    return true;
}

} // namespace KIV
