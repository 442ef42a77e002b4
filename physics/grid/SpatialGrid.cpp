#include "physics/grid/SpatialGrid.h"
#include <algorithm>
#include <cmath>
#include "physics/geometry/SegmentIntersection.h"
#include "physics/grid/ToyMovePlan.h"
#include "physics/toys/Toy.h"

namespace KIV {

namespace {

// The right-angle turn used for contact levers: point velocity = w * lever - v.
VectorF TurnedLever(const VectorF& point, const VectorF& centre)
{
    VectorF r = point - centre;
    return {-r.mY, r.mX};
}

RectF SegmentBox(const VectorF& a, const VectorF& b)
{
    return {std::min(a.mX, b.mX), std::min(a.mY, b.mY), std::max(a.mX, b.mX), std::max(a.mY, b.mY)};
}

// Events of one edge in ascending order along it; stable, so crossings at the
// same position keep the order in which the cells were walked.
void SortEventsAlongEdge(ContactRecord* events, int32_t count)
{
    for (int32_t i = 1; i < count; ++i) {
        ContactRecord e = events[i];
        int32_t j = i - 1;
        while (j >= 0 && events[j].mEdgeT > e.mEdgeT) {
            events[j + 1] = events[j];
            --j;
        }
        events[j + 1] = e;
    }
}

} // namespace

int32_t GridQueryContext::Advance()
{
    if (mStamp <= 0 || mStamp == INT32_MAX) {
        for (std::vector<int32_t>& s : mStamps) std::fill(s.begin(), s.end(), 0);
        mStamp = 1;
    } else {
        ++mStamp;
    }
    return mStamp;
}

bool GridQueryContext::CheckAndMark(int32_t store, int32_t node)
{
    std::vector<int32_t>& stamps = mStamps[store];
    if (node >= static_cast<int32_t>(stamps.size())) stamps.resize(static_cast<size_t>(node) * 2 + 64, 0);
    if (stamps[node] == mStamp) return true;
    stamps[node] = mStamp;
    return false;
}

int32_t GridQueryContext::GetNodeStamp(int32_t store, int32_t node) const
{
    const std::vector<int32_t>& stamps = mStamps[store];
    return node < static_cast<int32_t>(stamps.size()) ? stamps[node] : 0;
}

SpatialGrid::SpatialGrid() { ReserveQueryContexts(1); }

SpatialGrid::~SpatialGrid() = default;

void SpatialGrid::ReserveQueryContexts(int32_t count)
{
    while (static_cast<int32_t>(mContexts.size()) < count) mContexts.push_back(std::make_unique<GridQueryContext>());
}

bool SpatialGrid::SetupCells(const RectF& world)
{
    GridLayout layout;
    if (!layout.Setup(world, kCellSize, kMaxCells)) return false;
    // The tables start modest and double on demand; a world-sized start
    // would cost hundreds of megabytes on large maps.
    const int32_t capacity = std::min(layout.mCellCount, 65536);
    if (!mStatic.Init(layout.mCellCount, capacity) || !mToys.Init(layout.mCellCount, capacity)) return false;
    if (!mStaticSegments.Resize(mStatic.GetNodeCapacity()) || !mToyEntries.Resize(mToys.GetNodeCapacity()))
        return false;
    for (StaticSegment& s : mStaticSegments) s = StaticSegment{};
    for (ToyEdgeEntry& e : mToyEntries) e = ToyEdgeEntry{};
    mLayout = layout;
    return true;
}

// ---- terrain edges ----

void SpatialGrid::LinkStaticNode(int32_t node)
{
    const StaticSegment& s = mStaticSegments[node];
    CellRange r;
    if (!GetCellRange(s.mStart, s.mEnd, r)) return;
    for (int32_t row = r.mRow0; row <= r.mRow1; ++row)
        for (int32_t column = r.mColumn0; column <= r.mColumn1; ++column)
            mStatic.AddCellEntry(node, GetCellIndex(column, row));
}

void SpatialGrid::WriteStaticSegments(int32_t slot, const StaticOutline& outline)
{
    const int32_t n = outline.mCount;
    int32_t edge = 0;
    for (int32_t node = mStatic.GetObject(slot).mFirstNode; node >= 0; node = mStatic.GetNode(node).mNext, ++edge) {
        int32_t next = outline.mReversed ? (edge == 0 ? n - 1 : edge - 1) : (edge + 1 == n ? 0 : edge + 1);
        StaticSegment& s = mStaticSegments[node];
        s.mStart = outline.mPoints[edge];
        s.mEnd = outline.mPoints[next];
        s.mBox = SegmentBox(s.mStart, s.mEnd);
        s.mInUse = 1;
        s.mDisabled = 0;
        s.mCollidesWithToys = outline.mPassDynamics ? 0 : 1;
        s.mCollidesWithParticles = outline.mPassParticles ? 0 : 1;
        s.mDirection = s.mEnd - s.mStart;
        s.mDirection.NormalizeInPlace();
        s.mNormal = {s.mDirection.mY, -s.mDirection.mX};
        s.mNormalAngle = std::atan2(s.mNormal.mY, s.mNormal.mX);
        s.mSlippery = outline.mSlippery;
        s.mOwner = outline.mOwner;
        s.mEdgeIndex = edge;
        s.mSlot = slot;
        LinkStaticNode(node);
    }
}

namespace {

// Keeps a per-node side table as long as the store's node table.
template <typename T>
bool SyncSideTable(Array<T>& table, int32_t capacity)
{
    int32_t old = table.Count();
    if (old >= capacity) return true;
    if (!table.Resize(capacity)) return false;
    for (int32_t i = old; i < capacity; ++i) table[i] = T{};
    return true;
}

} // namespace

int32_t SpatialGrid::InsertStaticEntry(const StaticOutline& outline)
{
    if (!IsSetUp() || !outline.mPoints || outline.mCount < 3) return -1;
    int32_t slot = mStatic.Alloc(0);
    if (slot < 0) return -1;
    if (mStatic.AllocateChain(slot, outline.mCount) < 0 ||
        !SyncSideTable(mStaticSegments, mStatic.GetNodeCapacity())) {
        mStatic.Release(slot);
        return -1;
    }
    WriteStaticSegments(slot, outline);
    return slot;
}

bool SpatialGrid::UpdateStaticEntry(int32_t slot, const StaticOutline& outline)
{
    if (!mStatic.IsObjectInUse(slot) || !outline.mPoints || outline.mCount < 3) return false;
    if (mStatic.GetObject(slot).mNodeCount != outline.mCount) {
        for (int32_t node = mStatic.GetObject(slot).mFirstNode; node >= 0; node = mStatic.GetNode(node).mNext)
            mStaticSegments[node] = StaticSegment{};
        mStatic.ReleaseChain(slot);
        if (mStatic.AllocateChain(slot, outline.mCount) < 0 ||
            !SyncSideTable(mStaticSegments, mStatic.GetNodeCapacity()))
            return false;
    } else {
        mStatic.RemoveCellEntries(slot);
    }
    WriteStaticSegments(slot, outline);
    return true;
}

bool SpatialGrid::ReleaseStaticEntry(int32_t slot)
{
    if (!mStatic.IsObjectInUse(slot)) return false;
    for (int32_t node = mStatic.GetObject(slot).mFirstNode; node >= 0; node = mStatic.GetNode(node).mNext)
        mStaticSegments[node] = StaticSegment{};
    return mStatic.Release(slot);
}

void SpatialGrid::ClearStatic()
{
    mStatic.Clear();
    for (StaticSegment& s : mStaticSegments) s = StaticSegment{};
}

int32_t SpatialGrid::InsertStaticPolygon(const VectorF* points, int32_t count, const void* owner, float slippery)
{
    StaticOutline outline;
    outline.mPoints = points;
    outline.mCount = count;
    outline.mOwner = owner;
    outline.mSlippery = slippery;
    return InsertStaticEntry(outline);
}

bool SpatialGrid::SetStaticEntryDisabled(int32_t slot, bool disabled)
{
    if (!mStatic.IsObjectInUse(slot)) return false;
    for (int32_t node = mStatic.GetObject(slot).mFirstNode; node >= 0; node = mStatic.GetNode(node).mNext)
        mStaticSegments[node].mDisabled = disabled ? 1 : 0;
    mStatic.TouchObjectCells(slot);
    return true;
}

// ---- toy outline edges ----

void SpatialGrid::LinkToyNode(int32_t node, const VectorF* points, int32_t count)
{
    int32_t i = mToyEntries[node].mPoint;
    if (i < 0 || i >= count) return;
    CellRange r;
    if (!GetCellRange(points[i], points[i + 1 == count ? 0 : i + 1], r)) return;
    if (r.IsSingleCell()) {
        mToys.AddCellEntry(node, GetCellIndex(r.mColumn0, r.mRow0));
        return;
    }
    for (int32_t row = r.mRow0; row <= r.mRow1; ++row)
        for (int32_t column = r.mColumn0; column <= r.mColumn1; ++column)
            mToys.AddCellEntry(node, GetCellIndex(column, row));
}

bool SpatialGrid::InsertToy(Toy& toy)
{
    const int32_t n = toy.mOutline.Count();
    if (!IsSetUp() || n < 3 || mToys.IsObjectInUse(toy.mGridSlot)) return false;
    int32_t slot = mToys.Alloc(toy.mSlotIndex);
    if (slot < 0) return false;
    if (mToys.AllocateChain(slot, n) < 0 || !SyncSideTable(mToyEntries, mToys.GetNodeCapacity())) {
        mToys.Release(slot);
        return false;
    }
    int32_t point = 0;
    for (int32_t node = mToys.GetObject(slot).mFirstNode; node >= 0; node = mToys.GetNode(node).mNext, ++point) {
        mToyEntries[node] = ToyEdgeEntry{point, &toy};
        LinkToyNode(node, toy.mOutline.Data(), n);
    }
    toy.mGridSlot = slot;
    toy.mGridEntryCount = n;
    return true;
}

bool SpatialGrid::HoldsToy(const Toy& toy) const
{
    const int32_t slot = toy.mGridSlot;
    return mToys.IsObjectInUse(slot) && mToyEntries[mToys.GetObject(slot).mFirstNode].mToy == &toy;
}

bool SpatialGrid::ReshapeToyChain(Toy& toy)
{
    const int32_t slot = toy.mGridSlot;
    const int32_t n = toy.mOutline.Count();
    for (int32_t node = mToys.GetObject(slot).mFirstNode; node >= 0; node = mToys.GetNode(node).mNext)
        mToyEntries[node] = ToyEdgeEntry{};
    mToys.ReleaseChain(slot);
    if (mToys.AllocateChain(slot, n) < 0 || !SyncSideTable(mToyEntries, mToys.GetNodeCapacity())) {
        mToys.Release(slot);
        toy.mGridSlot = -1;
        toy.mGridEntryCount = 0;
        return false;
    }
    int32_t point = 0;
    for (int32_t node = mToys.GetObject(slot).mFirstNode; node >= 0; node = mToys.GetNode(node).mNext, ++point)
        mToyEntries[node] = ToyEdgeEntry{point, &toy};
    toy.mGridEntryCount = n;
    return true;
}

bool SpatialGrid::UpdateToy(Toy& toy)
{
    if (!HoldsToy(toy)) return false;
    const int32_t slot = toy.mGridSlot;
    const int32_t n = toy.mOutline.Count();
    if (n < 3) return false;
    // The outline changed its point count: the chain is made anew.
    if (mToys.GetObject(slot).mNodeCount != n && !ReshapeToyChain(toy)) return false;
    for (int32_t node = mToys.GetObject(slot).mFirstNode; node >= 0; node = mToys.GetNode(node).mNext) {
        mToys.RemoveNodeCellEntries(node);
        LinkToyNode(node, toy.mOutline.Data(), n);
    }
    return true;
}

bool SpatialGrid::ReleaseToy(Toy& toy)
{
    const int32_t slot = toy.mGridSlot;
    toy.mGridSlot = -1;
    toy.mGridEntryCount = 0;
    if (!mToys.IsObjectInUse(slot) || mToyEntries[mToys.GetObject(slot).mFirstNode].mToy != &toy) return false;
    for (int32_t node = mToys.GetObject(slot).mFirstNode; node >= 0; node = mToys.GetNode(node).mNext)
        mToyEntries[node] = ToyEdgeEntry{};
    return mToys.Release(slot);
}

bool SpatialGrid::Rebuild(Toy* const* toys, int32_t count)
{
    if (!IsSetUp()) return false;
    // Terrain edges keep their records; only their cell links are made anew.
    for (int32_t slot = mStatic.GetUsedTail(); slot >= 0; slot = mStatic.GetObject(slot).mPrev) {
        mStatic.RemoveCellEntries(slot);
        for (int32_t node = mStatic.GetObject(slot).mFirstNode; node >= 0; node = mStatic.GetNode(node).mNext)
            LinkStaticNode(node);
    }
    mToys.Clear();
    for (ToyEdgeEntry& e : mToyEntries) e = ToyEdgeEntry{};
    bool ok = true;
    for (int32_t i = 0; i < count; ++i) {
        if (!toys[i]) continue;
        toys[i]->mGridSlot = -1;
        toys[i]->mGridEntryCount = 0;
        if (toys[i]->mOutline.Count() >= 3) ok = InsertToy(*toys[i]) && ok;
    }
    GridQueryContext& context = GetQueryContext(0);
    for (int32_t i = 0; i < count; ++i)
        if (toys[i]) ok = CollectToyCrossings(*toys[i], context) >= 0 && ok;
    return ok;
}

// ---- queries ----

bool SpatialGrid::SkipToy(const Toy* candidate, const Toy* querying, const Robot* excludedRobot) const
{
    if (!candidate || candidate == querying) return true;
    if (querying && querying->mSlotIndex >= 0 && querying->mSlotIndex < Toy::kMaxToys &&
        candidate->mPairFlags[querying->mSlotIndex] == 0)
        return true;
    return excludedRobot && candidate->mOwningRobot == excludedRobot;
}

bool SpatialGrid::SkipStatic(const StaticSegment& s, GridMover mover, const void* excludedOwner,
                             int32_t excludedSlot) const
{
    if (!s.mInUse || s.mDisabled) return true;
    if (excludedOwner && s.mOwner == excludedOwner) return true;
    if (excludedSlot >= 0 && s.mSlot == excludedSlot) return true;
    if (mover == GridMover::kToy && !s.mCollidesWithToys) return true;
    return mover == GridMover::kParticle && !s.mCollidesWithParticles;
}

namespace {

// The outline edge a toy entry stands for; false when the outline no longer has that point.
bool ToyEdge(const ToyEdgeEntry& e, VectorF& a, VectorF& b)
{
    const int32_t n = e.mToy ? e.mToy->mOutline.Count() : 0;
    if (e.mPoint < 0 || e.mPoint >= n) return false;
    a = e.mToy->mOutline[e.mPoint];
    b = e.mToy->mOutline[e.mPoint + 1 == n ? 0 : e.mPoint + 1];
    return true;
}

} // namespace

bool SpatialGrid::BeginWalk(const VectorF& a, const VectorF& b, GridQueryContext& context, CellRange& range,
                            bool& stamped) const
{
    if (!GetCellRange(a, b, range)) return false;
    context.NoteRead(range);
    // One cell lists every segment once: only a walk over several cells stamps.
    stamped = !range.IsSingleCell();
    if (stamped) context.Advance();
    return true;
}

template <typename Visit>
bool SpatialGrid::ForEachStatic(int32_t cell, bool stamped, GridQueryContext& context, Visit&& visit) const
{
    for (int32_t e = mStatic.GetCellHead(cell); e >= 0; e = mStatic.GetEntry(e).mNextInCell) {
        const int32_t node = mStatic.GetEntry(e).mNode;
        if (stamped && context.CheckAndMark(0, node)) continue;
        if (!visit(node, mStaticSegments[node])) return false;
    }
    return true;
}

template <typename Visit>
bool SpatialGrid::ForEachToyEdge(int32_t cell, bool stamped, GridQueryContext& context, Visit&& visit) const
{
    for (int32_t e = mToys.GetCellHead(cell); e >= 0; e = mToys.GetEntry(e).mNextInCell) {
        const int32_t node = mToys.GetEntry(e).mNode;
        if (stamped && context.CheckAndMark(1, node)) continue;
        if (!visit(node, mToyEntries[node])) return false;
    }
    return true;
}

template <typename Visit>
bool SpatialGrid::ForEachCell(const CellRange& r, Visit&& visit) const
{
    for (int32_t row = r.mRow0; row <= r.mRow1; ++row)
        for (int32_t column = r.mColumn0; column <= r.mColumn1; ++column)
            if (!visit(GetCellIndex(column, row))) return false;
    return true;
}

namespace {

void TakeHit(GridSegmentHit& hit, const VectorF& x, float t, int32_t segment, Toy* toy, int32_t point)
{
    hit.mT = t;
    hit.mPoint = x;
    hit.mStaticSegment = segment;
    hit.mToy = toy;
    hit.mToyPoint = point;
}

// A segment query's test of one terrain edge that its filters pass.
void TestStaticCandidate(const GridSegmentQuery& q, const VectorF& start, const VectorF& end, const VectorF& direction,
                         int32_t node, GridSegmentHit& hit)
{
    // Outlines wind clockwise on screen: an edge is hit from the side of its
    // normal (d.y, -d.x), where Cross(d, p - start) < 0.
    if (Cross(direction, q.mFrom - start) >= 0.0f) {
        // Not hit from behind; crossing it tells that the start lies inside.
        if (q.mReportInside && SegmentsIntersect(q.mFrom, q.mTo, start, end)) hit.mInside = true;
        return;
    }
    VectorF x;
    float t;
    if (SegmentsIntersectAt(q.mFrom, q.mTo, start, end, x, t) && t < hit.mT) TakeHit(hit, x, t, node, nullptr, -1);
}

// A segment query's test of one toy edge a..b that its filters pass.
void TestToyEdgeCandidate(const GridSegmentQuery& q, const VectorF& a, const VectorF& b, Toy* toy, int32_t point,
                          GridSegmentHit& hit)
{
    if (Cross(b - a, q.mFrom - a) >= 0.0f) return;
    VectorF x;
    float t;
    if (SegmentsIntersectAt(q.mFrom, q.mTo, a, b, x, t) && t < hit.mT) TakeHit(hit, x, t, -1, toy, point);
}

// Whether two queries' filters pass the same candidates.
bool SameFilters(const GridSegmentQuery& a, const GridSegmentQuery& b)
{
    return a.mTestStatic == b.mTestStatic && a.mTestToys == b.mTestToys && a.mMover == b.mMover &&
           a.mExcludedToy == b.mExcludedToy && a.mExcludedRobot == b.mExcludedRobot &&
           a.mExcludedOwner == b.mExcludedOwner && a.mExcludedSlot == b.mExcludedSlot;
}

} // namespace

bool SpatialGrid::QuerySegment(const GridSegmentQuery& q, GridQueryContext& context, GridSegmentHit& hit) const
{
    hit = GridSegmentHit{};
    CellRange r;
    bool stamped;
    if (!BeginWalk(q.mFrom, q.mTo, context, r, stamped)) return false;
    ForEachCell(r, [&](int32_t cell) {
        if (q.mTestStatic)
            ForEachStatic(cell, stamped, context, [&](int32_t node, const StaticSegment& s) {
                if (!SkipStatic(s, q.mMover, q.mExcludedOwner, q.mExcludedSlot))
                    TestStaticCandidate(q, s.mStart, s.mEnd, s.mDirection, node, hit);
                return true;
            });
        if (q.mTestToys)
            ForEachToyEdge(cell, stamped, context, [&](int32_t, const ToyEdgeEntry& entry) {
                VectorF a, b;
                if (!SkipToy(entry.mToy, q.mExcludedToy, q.mExcludedRobot) && ToyEdge(entry, a, b))
                    TestToyEdgeCandidate(q, a, b, entry.mToy, entry.mPoint, hit);
                return true;
            });
        return true;
    });
    return hit.mT <= 1.0f;
}

void SpatialGrid::GatherCell(const GridSegmentQuery& q, const CellRange& r, GridQueryContext& context) const
{
    const int32_t cell = GetCellIndex(r.mColumn0, r.mRow0);
    context.NoteRead(r);
    GridCellGather& g = context.Gather();
    // A point lies in column c when c <= offset / size < c + 1. With a
    // power-of-two size the quotient is the offset scaled exactly, so the
    // offset itself can be compared with c * size and (c + 1) * size, which
    // are whole and exact: the same answer as the cell range, without it.
    g.mLowX = g.mHighX = g.mLowY = g.mHighY = 0.0f;
    if (mLayout.mInverseCellSize != 0.0f) {
        const float size = static_cast<float>(mLayout.mCellSize);
        g.mLowX = static_cast<float>(r.mColumn0) * size;
        g.mHighX = g.mLowX + size;
        g.mLowY = static_cast<float>(r.mRow0) * size;
        g.mHighY = g.mLowY + size;
    }
    g.mStatics.clear();
    g.mToyEdges.clear();
    if (q.mTestStatic)
        ForEachStatic(cell, false, context, [&](int32_t node, const StaticSegment& s) {
            if (!SkipStatic(s, q.mMover, q.mExcludedOwner, q.mExcludedSlot))
                g.mStatics.push_back({s.mStart, s.mEnd, s.mDirection, node});
            return true;
        });
    if (q.mTestToys)
        ForEachToyEdge(cell, false, context, [&](int32_t, const ToyEdgeEntry& entry) {
            VectorF a, b;
            if (!SkipToy(entry.mToy, q.mExcludedToy, q.mExcludedRobot) && ToyEdge(entry, a, b))
                g.mToyEdges.push_back({a, b, entry.mToy, entry.mPoint});
            return true;
        });
    g.mCell = cell;
}

namespace {

// Whether both ends of the segment lie within the copied cell's span.
bool WithinGatheredCell(const GridCellGather& g, const GridLayout& layout, const VectorF& a, const VectorF& b)
{
    const float x0 = static_cast<float>(layout.mX0), y0 = static_cast<float>(layout.mY0);
    const float ax = a.mX - x0, ay = a.mY - y0, bx = b.mX - x0, by = b.mY - y0;
    // Not-a-number fails every comparison and so is never within.
    return ax >= g.mLowX && ax < g.mHighX && bx >= g.mLowX && bx < g.mHighX && ay >= g.mLowY && ay < g.mHighY &&
           by >= g.mLowY && by < g.mHighY;
}

} // namespace

bool SpatialGrid::QuerySegmentInRun(const GridSegmentQuery& q, GridQueryContext& context, GridSegmentHit& hit) const
{
    GridCellGather& g = context.Gather();
    if (!SameFilters(q, g.mFilters)) {
        g.mFilters = q;
        g.mCell = -1;
    }
    // The inside report tests edges the copies leave out: it takes the plain walk.
    if (q.mReportInside) return QuerySegment(q, context, hit);
    CellRange r;
    int32_t cell = g.mCell;
    if (cell < 0 || !WithinGatheredCell(g, mLayout, q.mFrom, q.mTo)) {
        // Walks over several cells stamp: those take the plain walk too.
        if (!GetCellRange(q.mFrom, q.mTo, r) || !r.IsSingleCell()) return QuerySegment(q, context, hit);
        cell = GetCellIndex(r.mColumn0, r.mRow0);
    }
    hit = GridSegmentHit{};
    if (g.mCell != cell) GatherCell(q, r, context);
    for (const GatheredStatic& s : g.mStatics) TestStaticCandidate(q, s.mStart, s.mEnd, s.mDirection, s.mNode, hit);
    for (const GatheredToyEdge& e : g.mToyEdges) TestToyEdgeCandidate(q, e.mA, e.mB, e.mToy, e.mPoint, hit);
    return hit.mT <= 1.0f;
}

bool SpatialGrid::SegmentHitsToy(VectorF& point, const VectorF& end, const Toy& toy, GridQueryContext& context) const
{
    CellRange r;
    bool stamped;
    if (!BeginWalk(point, end, context, r, stamped)) return false;
    float best = 2.0f;
    VectorF bestPoint;
    ForEachCell(r, [&](int32_t cell) {
        return ForEachToyEdge(cell, stamped, context, [&](int32_t, const ToyEdgeEntry& entry) {
            VectorF a, b, x;
            float t;
            if (entry.mToy == &toy && ToyEdge(entry, a, b) && SegmentsIntersectAt(point, end, a, b, x, t) && t < best) {
                best = t;
                bestPoint = x;
            }
            return true;
        });
    });
    if (best > 1.0f) return false;
    point = bestPoint;
    return true;
}

bool SpatialGrid::SegmentTouchesStatic(const VectorF& a, const VectorF& b, GridQueryContext& context) const
{
    CellRange r;
    bool stamped;
    if (!BeginWalk(a, b, context, r, stamped)) return false;
    const bool walkedAll = ForEachCell(r, [&](int32_t cell) {
        return ForEachStatic(cell, stamped, context, [&](int32_t, const StaticSegment& s) {
            return !(s.mInUse && !s.mDisabled && SegmentsIntersect(a, b, s.mStart, s.mEnd));
        });
    });
    return !walkedAll;
}

int32_t SpatialGrid::CollectCrossingEvents(const Toy& toy, const VectorF* points, int32_t count,
                                           Array<ContactRecord>& events, const CrossingFilter& filter,
                                           GridQueryContext& context) const
{
    if (!points) {
        points = toy.mOutline.Data();
        count = toy.mOutline.Count();
    }
    if (!points || count < 2) return 0;
    const int32_t start = events.Count();
    for (int32_t i = 0; i < count; ++i) {
        const VectorF a = points[i];
        const VectorF b = points[i + 1 == count ? 0 : i + 1];
        CellRange r;
        bool stamped;
        if (!BeginWalk(a, b, context, r, stamped)) continue;
        const int32_t first = events.Count();
        ContactRecord c;
        c.mEdgeIndex = i;
        c.mEdgeVector = b - a;
        const bool complete = ForEachCell(r, [&](int32_t cell) {
            if (filter.mTestStatic &&
                !ForEachStatic(cell, stamped, context, [&](int32_t node, const StaticSegment& s) {
                    if (SkipStatic(s, GridMover::kToy, filter.mExcludedOwner)) return true;
                    if (!SegmentsIntersectAt(a, b, s.mStart, s.mEnd, c.mPoint, c.mEdgeT)) return true;
                    c.mStaticSegment = node;
                    c.mStaticOwner = s.mOwner;
                    c.mPartnerToy = nullptr;
                    c.mPartnerPoint = -1;
                    c.mEntering = Cross(s.mDirection, a - s.mStart) < 0.0f ? 1 : 0;
                    c.mNormal = s.mNormal;
                    c.mRestitution = -(1.0f + toy.mRestitutionWithTerrain);
                    c.mMorph = toy.mSlippery;
                    c.mInverseMassSum = 0.0f;
                    c.mLever = TurnedLever(c.mPoint, toy.mPosition);
                    c.mPartnerLever = VectorF{};
                    return events.PushBack(c);
                }))
                return false;
            if (filter.mTestToys &&
                !ForEachToyEdge(cell, stamped, context, [&](int32_t, const ToyEdgeEntry& entry) {
                    VectorF pa, pb;
                    if (SkipToy(entry.mToy, &toy, filter.mExcludedRobot) || !ToyEdge(entry, pa, pb)) return true;
                    if (!SegmentsIntersectAt(a, b, pa, pb, c.mPoint, c.mEdgeT)) return true;
                    const Toy& other = *entry.mToy;
                    VectorF d = pb - pa;
                    c.mEntering = Cross(d, a - pa) < 0.0f ? 1 : 0;
                    d.NormalizeInPlace();
                    c.mStaticSegment = -1;
                    c.mStaticOwner = nullptr;
                    c.mPartnerToy = entry.mToy;
                    c.mPartnerPoint = entry.mPoint;
                    c.mNormal = {d.mY, -d.mX};
                    c.mMorph = std::max(toy.mSlippery, other.mSlippery);
                    c.mRestitution = -(1.0f + std::min(toy.mRestitution, other.mRestitution));
                    c.mInverseMassSum = toy.mInverseMass + other.mInverseMass;
                    c.mLever = TurnedLever(c.mPoint, toy.mPosition);
                    c.mPartnerLever = TurnedLever(c.mPoint, other.mPosition);
                    return events.PushBack(c);
                }))
                return false;
            return true;
        });
        if (!complete) return -1;  // the event list could not grow
        SortEventsAlongEdge(events.Data() + first, events.Count() - first);
    }
    return events.Count() - start;
}

int32_t SpatialGrid::CollectToyCrossings(Toy& toy, GridQueryContext& context) const
{
    toy.mLineContacts.Clear();
    CrossingFilter filter;
    filter.mTestToys = toy.mDontBounceOffToys == 0;
    filter.mExcludedRobot = toy.mDontBounceOffRobotLinked ? toy.mOwningRobot : nullptr;
    return CollectCrossingEvents(toy, nullptr, 0, toy.mLineContacts, filter, context);
}

void SpatialGrid::QueryRect(const RectF& rect, GridQueryContext& context, Array<int32_t>* staticSegments,
                            Array<ToyEdgeEntry>* toyEdges) const
{
    const RectF box = rect.GetNormalized();
    CellRange r;
    if (!GetCellRange({box.x1, box.y1}, {box.x2, box.y2}, r)) return;
    context.NoteRead(r);
    context.Advance();
    ForEachCell(r, [&](int32_t cell) {
        if (staticSegments)
            ForEachStatic(cell, true, context, [&](int32_t node, const StaticSegment& s) {
                if (s.mInUse && s.mBox.Overlaps(box)) staticSegments->PushBack(node);
                return true;
            });
        if (toyEdges)
            ForEachToyEdge(cell, true, context, [&](int32_t, const ToyEdgeEntry& entry) {
                VectorF a, b;
                if (ToyEdge(entry, a, b) && SegmentBox(a, b).Overlaps(box)) toyEdges->PushBack(entry);
                return true;
            });
        return true;
    });
}

const void* SpatialGrid::GetPartnerIdentity(const ContactRecord& contact)
{
    if (contact.mStaticSegment >= 0) return contact.mStaticOwner;
    return contact.mPartnerToy;
}

void SpatialGrid::BuildDebugLines(const RectF& rect, Array<GridDebugLine>& lines) const
{
    lines.Clear();
    const RectF box = rect.GetNormalized();
    CellRange r;
    if (!GetCellRange({box.x1, box.y1}, {box.x2, box.y2}, r)) return;
    const int32_t x0 = mLayout.mX0, y0 = mLayout.mY0;
    const float left = static_cast<float>(x0 + r.mColumn0 * kCellSize);
    const float right = static_cast<float>(x0 + (r.mColumn1 + 1) * kCellSize);
    const float top = static_cast<float>(y0 + r.mRow0 * kCellSize);
    const float bottom = static_cast<float>(y0 + (r.mRow1 + 1) * kCellSize);
    for (int32_t column = r.mColumn0; column <= r.mColumn1 + 1; ++column) {
        const float x = static_cast<float>(x0 + column * kCellSize);
        lines.PushBack({{x, top}, {x, bottom}, ColorRGBA(100, 100, 255, 255)});
    }
    for (int32_t row = r.mRow0; row <= r.mRow1 + 1; ++row) {
        const float y = static_cast<float>(y0 + row * kCellSize);
        lines.PushBack({{left, y}, {right, y}, ColorRGBA(55, 155, 55, 255)});
    }
}

} // namespace KIV
