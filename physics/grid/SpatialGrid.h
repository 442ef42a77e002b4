#pragma once
#include <cstdint>
#include <memory>
#include <vector>
#include "base/Array.h"
#include "base/Color.h"
#include "base/Rect.h"
#include "base/Vector.h"
#include "physics/contacts/Contact.h"
#include "physics/grid/GridLayout.h"
#include "physics/grid/GridReads.h"
#include "physics/grid/SlotList.h"

namespace KIV {

class Toy;
class Robot;
struct ToyMovePlan;

// One terrain edge in the grid.
struct StaticSegment {
    VectorF mStart;
    VectorF mEnd;
    RectF mBox;
    uint8_t mInUse = 0;
    uint8_t mDisabled = 0;
    uint8_t mCollidesWithToys = 1;
    uint8_t mCollidesWithParticles = 1;
    VectorF mNormal;  // (d.y, -d.x): the side the edge is hit from
    float mNormalAngle = 0.0f;
    VectorF mDirection;
    float mSlippery = 0.0f;
    const void* mOwner = nullptr;
    int32_t mEdgeIndex = -1;
    int32_t mSlot = -1;  // the static store object the edge belongs to
};

// One toy outline edge in the grid: from outline point mPoint to the next.
struct ToyEdgeEntry {
    int32_t mPoint = -1;
    Toy* mToy = nullptr;
};

// What the grid needs of a terrain object to enter its edges.
struct StaticOutline {
    const VectorF* mPoints = nullptr;
    int32_t mCount = 0;
    bool mReversed = false;  // edge i runs from point i to point i - 1
    bool mPassDynamics = false;
    bool mPassParticles = false;
    float mSlippery = 0.0f;
    const void* mOwner = nullptr;
};

// Which terrain edges a query sees: toys pass through pass-dynamics edges,
// particles through pass-particles edges.
enum class GridMover : uint8_t { kAny, kToy, kParticle };

struct GridSegmentQuery {
    VectorF mFrom;
    VectorF mTo;
    bool mTestStatic = true;
    bool mTestToys = true;
    GridMover mMover = GridMover::kAny;
    const Toy* mExcludedToy = nullptr;
    const Robot* mExcludedRobot = nullptr;
    const void* mExcludedOwner = nullptr;
    // The static store object to pass by: terrain entered without an owner
    // (plain polygons) can only be told apart by its slot.
    int32_t mExcludedSlot = -1;
    bool mReportInside = false;  // also tell whether a terrain edge was crossed from behind
};

struct GridSegmentHit {
    float mT = 2.0f;
    VectorF mPoint;
    int32_t mStaticSegment = -1;
    Toy* mToy = nullptr;
    int32_t mToyPoint = -1;
    bool mInside = false;  // the segment crossed a terrain edge from its back side
};

struct CrossingFilter {
    bool mTestStatic = true;
    bool mTestToys = true;
    const Robot* mExcludedRobot = nullptr;
    const void* mExcludedOwner = nullptr;
};

struct GridDebugLine {
    VectorF mFrom;
    VectorF mTo;
    ColorRGBA mColor;
};

// The candidates of one cell, copied out of the cell lists for a run of
// queries that meet that cell again (see GridQueryRun): what the filters of
// the run's queries pass, in the order a walk of the cell meets them.
struct GatheredStatic {
    VectorF mStart;
    VectorF mEnd;
    VectorF mDirection;
    int32_t mNode = -1;
};

struct GatheredToyEdge {
    VectorF mA;
    VectorF mB;
    Toy* mToy = nullptr;
    int32_t mPoint = -1;
};

struct GridCellGather {
    int32_t mCell = -1;      // the cell the lists hold, -1 for none
    // The cell's span of offsets from the grid's corner; empty when the
    // layout's cells cannot be told this way (see SpatialGrid::GatherCell).
    float mLowX = 0.0f, mHighX = 0.0f, mLowY = 0.0f, mHighY = 0.0f;
    GridSegmentQuery mFilters;
    std::vector<GatheredStatic> mStatics;
    std::vector<GatheredToyEdge> mToyEdges;
};

// Query stamps of one thread. A multi-cell query stamps every segment it has
// tested so that a segment listed in several cells is tested once. Each
// thread that queries the grid owns one context, so parallel queries neither
// race nor disturb each other's results. Each context has cache lines of its
// own: a stamp is written at every walk, and a neighbour in the same line
// would make the threads' queries wait for each other.
class alignas(64) GridQueryContext {
public:
    // Starts a new stamp; on wrapping every stamp is reset and counting restarts at 1.
    int32_t Advance();
    void SetStamp(int32_t stamp) { mStamp = stamp; }
    int32_t GetStamp() const { return mStamp; }
    // Tests and marks a node of the static (store 0) or toy (store 1) table:
    // true when it was already tested under the current stamp.
    bool CheckAndMark(int32_t store, int32_t node);
    int32_t GetNodeStamp(int32_t store, int32_t node) const;
    // Scratch of the query runs made with this context.
    GridCellGather& Gather() { return mGather; }
    // While a log is set, every query made with this context notes the
    // cells it reads there; null stops the noting.
    void SetReadLog(GridReadLog* log) { mReadLog = log; }
    GridReadLog* GetReadLog() const { return mReadLog; }
    void NoteRead(const CellRange& range)
    {
        if (mReadLog) mReadLog->Note(range);
    }

private:
    GridReadLog* mReadLog = nullptr;
    int32_t mStamp = 0;
    std::vector<int32_t> mStamps[2];
    GridCellGather mGather;
};

// The uniform grid over the world that files terrain edges and toy outline
// edges by the 8-unit cells their bounding boxes cover.
class SpatialGrid {
public:
    static constexpr int32_t kCellSize = 8;
    static constexpr int32_t kCellShift = 3;
    // Keeps the cell tables within memory.
    static constexpr int32_t kMaxCells = 1 << 24;

    SpatialGrid();
    ~SpatialGrid();
    SpatialGrid(const SpatialGrid&) = delete;
    SpatialGrid& operator=(const SpatialGrid&) = delete;

    // false for a rectangle that is not finite, reversed or too large; the
    // grid is left as it was then.
    bool SetupCells(const RectF& world);
    bool IsSetUp() const { return mLayout.IsSetUp(); }
    const GridLayout& GetLayout() const { return mLayout; }
    int32_t GetCellIndex(const VectorF& p) const { return mLayout.GetCellIndex(p); }
    bool GetCellRange(const VectorF& a, const VectorF& b, CellRange& range) const
    {
        return mLayout.GetCellRange(a, b, range);
    }
    int32_t GetCellIndex(int32_t column, int32_t row) const { return mLayout.GetCellIndex(column, row); }

    // Terrain edges. Insert returns the static slot, -1 when the outline has
    // fewer than 3 points or the tables cannot grow.
    int32_t InsertStaticEntry(const StaticOutline& outline);
    bool UpdateStaticEntry(int32_t slot, const StaticOutline& outline);
    bool ReleaseStaticEntry(int32_t slot);
    void ClearStatic();
    // Enters a closed polygon as a terrain object of its own (ground, walls).
    int32_t InsertStaticPolygon(const VectorF* points, int32_t count, const void* owner = nullptr,
                                float slippery = 0.0f);
    bool SetStaticEntryDisabled(int32_t slot, bool disabled);

    // Toy outline edges: one entry per outline point.
    bool InsertToy(Toy& toy);
    bool UpdateToy(Toy& toy);
    // UpdateToy for every toy of the list that is awake, leaving every cell
    // list as the calls one after another in list order would (which entry
    // records hold the links may differ). sideBySide lets the work team share
    // the relinking, cell columns to each thread; it pays only for many
    // moving toys.
    void UpdateAwakeToys(Toy* const* toys, int32_t count, bool sideBySide);
    // The toy leaves the grid: its grid slot becomes -1 and its entry count 0.
    bool ReleaseToy(Toy& toy);
    // Re-sizes the tables and re-enters every terrain edge and the given toys.
    bool Rebuild(Toy* const* toys, int32_t count);

    // Nearest crossing of the segment; see GridSegmentQuery for the filters.
    bool QuerySegment(const GridSegmentQuery& query, GridQueryContext& context, GridSegmentHit& hit) const;
    // Nearest crossing of point..end with an outline edge of the toy; the
    // crossing replaces the point.
    bool SegmentHitsToy(VectorF& point, const VectorF& end, const Toy& toy, GridQueryContext& context) const;
    // Whether any enabled terrain edge crosses the segment.
    bool SegmentTouchesStatic(const VectorF& a, const VectorF& b, GridQueryContext& context) const;
    // Appends one crossing event per crossing of each edge of the closed
    // polyline (the toy's own outline when points is null) and sorts each
    // edge's events along the edge. Returns the number of events appended, -1
    // when the list cannot grow.
    int32_t CollectCrossingEvents(const Toy& toy, const VectorF* points, int32_t count, Array<ContactRecord>& events,
                                  const CrossingFilter& filter, GridQueryContext& context) const;
    // The toy's line contacts (its crossing events) made anew with the toy's
    // own filters: other toys only when it bounces off toys, its robot's
    // toys left out when it does not bounce off robot-linked toys.
    int32_t CollectToyCrossings(Toy& toy, GridQueryContext& context) const;
    // Every terrain segment and toy edge whose bounding box overlaps the rectangle, each once.
    void QueryRect(const RectF& rect, GridQueryContext& context, Array<int32_t>* staticSegments,
                   Array<ToyEdgeEntry>* toyEdges) const;

    // The object a contact is with: the terrain object, else the partner toy.
    static const void* GetPartnerIdentity(const ContactRecord& contact);

    void BuildDebugLines(const RectF& rect, Array<GridDebugLine>& lines) const;

    // Per-thread contexts for parallel queries; grow them serially before the loop.
    void ReserveQueryContexts(int32_t count);
    GridQueryContext& GetQueryContext(int32_t index = 0) { return *mContexts[index]; }

    const StaticSegment& GetStaticSegment(int32_t node) const { return mStaticSegments[node]; }
    const ToyEdgeEntry& GetToyEntry(int32_t node) const { return mToyEntries[node]; }
    const SlotList& GetStaticStore() const { return mStatic; }
    const SlotList& GetToyStore() const { return mToys; }
    RectI GetBounds() const { return RectI(mLayout.mX0, mLayout.mY0, mLayout.mX1, mLayout.mY1); }
    int32_t GetColumnCount() const { return mLayout.mColumns; }
    int32_t GetRowCount() const { return mLayout.mRows; }
    int32_t GetCellCount() const { return mLayout.mCellCount; }

private:
    friend class GridQueryRun;
    // The same answer as QuerySegment, for a query of a run.
    bool QuerySegmentInRun(const GridSegmentQuery& query, GridQueryContext& context, GridSegmentHit& hit) const;
    void WriteStaticSegments(int32_t slot, const StaticOutline& outline);
    void LinkStaticNode(int32_t node);
    void LinkToyNode(int32_t node, const VectorF* points, int32_t count);
    // Whether the toy's slot is its own object in the grid.
    bool HoldsToy(const Toy& toy) const;
    // A new chain of nodes for an outline whose point count changed, its
    // links gone; false (the toy out of the grid) when the tables cannot grow.
    bool ReshapeToyChain(Toy& toy);
    // Steps of UpdateAwakeToys' side-by-side path (SpatialGridMoves.cpp).
    void PlanToyMoves(Toy* const* toys, int32_t count);
    void PlanToyMove(Toy& toy, int32_t index, int32_t thread);
    void PlanToyNodes(const Toy& toy, int32_t index);
    void UnlinkMovedToys(int32_t band);
    void LinkMovedToys(int32_t band);
    void FinishToyMoves();
    // The cells of a walk from a to b; a new stamp when it spans several.
    bool BeginWalk(const VectorF& a, const VectorF& b, GridQueryContext& context, CellRange& range,
                   bool& stamped) const;
    // Visitors answer whether to go on; each walk answers false when one stopped it.
    template <typename Visit>
    bool ForEachCell(const CellRange& range, Visit&& visit) const;
    template <typename Visit>
    bool ForEachStatic(int32_t cell, bool stamped, GridQueryContext& context, Visit&& visit) const;
    template <typename Visit>
    bool ForEachToyEdge(int32_t cell, bool stamped, GridQueryContext& context, Visit&& visit) const;
    // Copies the candidates of the range's one cell out for a run.
    void GatherCell(const GridSegmentQuery& q, const CellRange& r, GridQueryContext& context) const;
    bool SkipToy(const Toy* candidate, const Toy* querying, const Robot* excludedRobot) const;
    bool SkipStatic(const StaticSegment& s, GridMover mover, const void* excludedOwner,
                    int32_t excludedSlot = -1) const;

    GridLayout mLayout;
    SlotList mStatic;
    Array<StaticSegment> mStaticSegments;
    SlotList mToys;
    Array<ToyEdgeEntry> mToyEntries;
    std::vector<std::unique_ptr<GridQueryContext>> mContexts;
    std::unique_ptr<ToyMovePlan> mMoves;
};

// A run of segment queries against a grid that does not change meanwhile,
// such as the paths of one outline's points, which mostly stay within one
// cell and meet the same cells one after another. The cell of a one-cell
// query is copied out once, with what the filters drop left out, and the
// queries that follow in it test the copy: the same candidates in the same
// order, so the same answers as QuerySegment. Paths over several cells take
// the plain walk, so worlds of fast movers copy little.
class GridQueryRun {
public:
    GridQueryRun(const SpatialGrid& grid, GridQueryContext& context) : mGrid(grid), mContext(context)
    {
        mContext.Gather().mCell = -1;
    }
    bool QuerySegment(const GridSegmentQuery& query, GridSegmentHit& hit)
    {
        return mGrid.QuerySegmentInRun(query, mContext, hit);
    }

private:
    const SpatialGrid& mGrid;
    GridQueryContext& mContext;
};

} // namespace KIV
