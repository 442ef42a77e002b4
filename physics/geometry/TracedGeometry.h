#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/IndexPool.h"
#include "base/Random.h"
#include "base/Vector.h"
#include "physics/geometry/ToyLink.h"
#include "render/DrawState.h"

namespace KIV {

// An inner edge of a mesh: a diagonal of the outline or an edge made by
// splitting. Outline edges are never listed; an outline edge joins outline
// point i to point (i + 1) mod N.
struct MeshEdge {
    int32_t mA = -1;
    int32_t mB = -1;
    int32_t mTriangle1 = -1; // the triangle on the edge's first side
    int32_t mTriangle2 = -1; // the triangle on its other side
};

// A triangle given by its three edges in the order its boundary is walked;
// -1 stands for an outline edge. Inner-edge indices are kept in 32 bits: a
// mesh has about three inner edges per point, so 16 bits would wrap long before
// the point indices do.
struct EdgeTriangle {
    int32_t mEdges[3] = {-1, -1, -1};
};

// One link pair of the clipping ring.
struct ListLinks {
    int32_t mNext = -1;
    int32_t mPrev = -1;
};

// A source point's index in each of the two pieces of a break.
struct PiecePair {
    int32_t mA = -1;
    int32_t mB = -1;
};

// Which piece an edge or triangle went to in a break, and its index there.
struct BreakClass {
    int32_t mIndex = -1;
    int32_t mKind = 0;
};

// A family of elastic links that can be switched on and weighted.
struct LinkFamily {
    uint8_t mEnabled = 0;
    float mFactor = 0.01f;
};

enum LinkFamilyIndex : int32_t {
    kLinkOutline1 = 0, // outline 1 to 8: indices 0 to 7
    kLinkMesh = 8,
    kLinkRing2 = 9,
    kLinkRing3 = 10,
    kLinkRing4 = 11,
    kLinkRing8 = 12,
    kLinkRing12 = 13,
    kLinkFamilyCount = 14,
};

// Triangles hold 16-bit point indices (the shapes draw them directly), so a
// mesh holds at most this many points; a build that would need more fails.
inline constexpr int32_t kMaxMeshPoints = kMaxIndexedPoints;

// The geometry record of one soft body: outline and inner points, the triangle
// mesh with its edge adjacency, springs and rest shape, and the deformation and
// break state that other parts of the physics keep with the mesh. Embedded in
// every toy and water body and cached per traced outline.
//
// Conventions: the outline points are the first mOutlineCount points, in
// outline order, running clockwise on screen (y grows downward); every built
// triangle winds so that Cross(Pb - Pa, Pc - Pa) > 0.
class TracedGeometry {
public:
    TracedGeometry() { Init(); }
    TracedGeometry(const TracedGeometry& src) : TracedGeometry() { CopyFrom(src); }
    TracedGeometry& operator=(const TracedGeometry& src)
    {
        CopyFrom(src);
        return *this;
    }

    // Empty lists and default settings.
    void Init();
    // Releases every list; settings are kept.
    void Free();

    // ---- Building (outline to mesh) ----
    // Meshes a closed outline: the outline points, inner points until no inner
    // edge is longer than the spacing (raised to the longest outline edge), the
    // triangles, springs and rest shape. False, with the record left as it was,
    // for fewer than 3 points, coordinates that are not finite or beyond 1e9,
    // an outline that cannot be triangulated (self-touching or degenerate), or
    // a mesh that would need more than kMaxMeshPoints points.
    bool BuildMesh(const Array<VectorF>& outline, float spacing);
    // The check and preparation that start a build: copies the outline and
    // sizes the triangulation's working lists. False for fewer than 3 points
    // or unusable coordinates.
    bool SetOutline(const Array<VectorF>& outline);
    // Scaled (texture) points: the points moved by the offset, then multiplied
    // per axis by the scale.
    void BuildScaledPoints(const VectorF& offset, const VectorF& scale);

    // ---- Derived lists (run at the end of BuildMesh, and for break pieces) ----
    void BuildPointEdgeLists();
    void BuildPointTriangleLists();
    void ComputeTriangleAreas();
    void BuildSprings();
    void ComputeInverseEdgeLengths();
    void ComputeBoundingRadius();
    void StoreRestShape();
    // Unsigned shoelace area of the outline.
    float ComputeOutlineArea() const;
    // Centroid of the outline. The area is the unsigned one of
    // ComputeOutlineArea; the outline's own orientation gives its sign, so
    // mirrored outlines get their true centroid. A zero area gives the mean of
    // the outline points.
    VectorF ComputeOutlineCentroid(float area) const;
    // Core edges may not be dented or cracked: starts every edge as core, then
    // drops edges near the outline (hull distance) and far from the centre
    // (core radius).
    void ClassifyCoreEdges();
    void MarkCorePoints();

    // ---- Copy ----
    // Makes this record an independent deep copy of the source (nothing reset).
    void CopyFrom(const TracedGeometry& src);

    // ---- Queries ----
    float ComputeMomentOfInertia(float area, float mass) const;
    // Pushes the point nearest to the position through the guarded move, with
    // the offset and then 1/2, 1/4 and 1/8 of it; an accepted offset is applied
    // twice. False when no point exists or no size is accepted.
    bool PushNearestPoint(const VectorF& position, const VectorF& offset);
    // Guarded point moves: the move is kept only when every edge at the point
    // keeps its length ratio in [0.0004, 4] and every triangle at it keeps its
    // winding and an area within [0.1, 2.5] (elastic form: [0.1, 3.5]) of its
    // rest area. The plastic form never moves a core point.
    bool TryMovePoint(int32_t point, const VectorF& offset);
    bool TryMovePointElastic(int32_t point, const VectorF& offset);
    // The guard's bounds: edge length ratios (the squares of 0.02 and 2.0,
    // compared with the plain ratio; the bounds themselves pass) and triangle
    // areas as factors of the rest area.
    static constexpr float kMinEdgeRatio = 0.0004f;
    static constexpr float kMaxEdgeRatio = 4.0f;
    static constexpr float kMinAreaFactor = 0.1f;
    static constexpr float kPlasticMaxAreaFactor = 2.5f;
    static constexpr float kElasticMaxAreaFactor = 3.5f;
    // Carries a point of the rest (or snapshot) shape into the current shape by
    // the barycentric weights of the first triangle that contains it.
    VectorF MapRestPointToCurrent(const VectorF& point) const;
    VectorF MapSnapshotPointToCurrent(const VectorF& point) const;
    VectorF RandomPointInMesh(int32_t pointIndex, Random& generator) const;
    VectorF RandomScaledPointNear(float x, float y, Random& generator) const;
    VectorF GetInnerPoint() const;
    int32_t FindSliverTriangle() const;
    VectorF ClosestInsideTexturePoint(const VectorF& p) const;

    // Walks of the per-point lists, in list order (newest first).
    int32_t FirstPointTriangleNode(int32_t point) const;
    int32_t FirstPointEdgeNode(int32_t point) const;
    int32_t NextPointTriangleNode(int32_t node) const { return mPointTriangles.GetNext(node); }
    int32_t NextPointEdgeNode(int32_t node) const { return mPointEdges.GetNext(node); }

    int32_t GetPointCount() const { return mPoints.Count(); }
    int32_t GetTriangleCount() const { return mTriangles.Count(); }
    int32_t GetInnerEdgeCount() const { return mInnerEdges.Count(); }

    // ---- The record ----
    int32_t mOutlineCount;
    Array<VectorF> mPoints;     // outline points first, then inner points in creation order
    Array<VectorF> mRestPoints; // the shape the springs and links rest in
    Array<float> mOutlineAngles;
    Array<float> mRestOutlineAngles;
    Array<VectorF> mScaledPoints; // texture points, one per point
    Array<MeshEdge> mInnerEdges;
    Array<IndexTriangle> mTriangles;
    // Per-point incident lists: a node's index selects its entry (a triangle or
    // an inner edge index).
    KeyedListPool mPointTriangles;
    Array<int32_t> mPointTriangleEntries;
    KeyedListPool mPointEdges;
    Array<int32_t> mPointEdgeEntries;
    Array<EdgeTriangle> mEdgeTriangles;
    Array<float> mTriangleAreas; // rest areas
    float mTotalArea;
    float mBoundingRadius;
    Array<float> mInnerEdgeInvLengths;
    Array<float> mOutlineEdgeInvLengths;
    float mHullDistance;
    float mCoreRadius;
    Array<uint8_t> mCoreEdgeFlags;
    Array<uint8_t> mCorePointFlags;

    // Springs and plastic deformation.
    uint8_t mSpringsBuilt;
    Array<ToyLink> mSprings; // every mesh edge once: inner edges, then outline edges
    Array<VectorF> mDentVelocities;
    Array<VectorF> mDentForces;
    Array<VectorF> mSavedDentForces;
    Array<VectorF> mSnapshotPoints; // the second stored shape
    float mDeformedHowMuch;
    int32_t mDeformedCount;
    uint8_t mPlasticKeepArea;
    float mNearDentRadius;
    float mFarDentRadius;
    uint8_t mLinksBuilt;

    // Elastic deformation.
    Array<ToyLink> mElasticLinks;
    Array<VectorF> mElasticVelocities;
    Array<VectorF> mElasticForces;
    Array<VectorF> mElasticForceMin;
    Array<VectorF> mElasticForceMax;
    Array<VectorF> mElasticScratch;
    uint8_t mForcesByMinMax;
    float mTimeScale;
    uint8_t mVectoredSprings;
    uint8_t mFourthOrder;
    Array<VectorF> mStageStartPositions;
    Array<VectorF> mStageStartVelocities;
    Array<VectorF> mStagePositions[4];
    Array<VectorF> mStageVelocities[4];
    float mVelocitySmoothing;
    float mGlobalStiffness;
    LinkFamily mLinkFamilies[kLinkFamilyCount];
    float mImpactScale;
    float mImpactRadius;
    float mInvImpactRadius;
    float mImpactRadiusSq;
    float mInvImpactRadiusSq;
    int32_t mFalloffMode;
    float mDamping;
    float mDistPlusVelocityMul;
    float mElasticReserved;
    uint8_t mElasticKeepArea;
    float mFrequency;
    float mSubStepPeriod;
    float mTimeAccumulator;

    // Triangulation working lists: filled by SetOutline, empty again once a
    // build ends.
    Array<VectorI> mIntOutline;      // the outline truncated toward zero
    Array<VectorF> mRingEdgeVectors; // per outline point: to its ring successor
    Array<uint8_t> mReflexFlags;
    Array<ListLinks> mRing;
    Array<int32_t> mRingEdges; // per point: the inner edge leaving it, -1 = its outline edge
    // The flip queue: a LIFO of inner edges, with a queued byte per edge so no
    // edge is queued twice. The last entry is the queue head.
    Array<uint8_t> mFlipQueued;
    Array<int32_t> mFlipQueue;

    // Break working lists.
    float mBreakValue1;
    float mBreakValue2;
    Array<int32_t> mCrackPoints;
    Array<PiecePair> mPiecePairs;
    Array<BreakClass> mEdgeClasses;
    Array<BreakClass> mTriangleClasses;
    Array<int32_t> mCrackEdges;
    Array<uint8_t> mOnCrack;

private:
    // Moves every list of a freshly built record into this one; the settings
    // stay. Lists that described the old mesh end empty.
    void TakeMeshFrom(TracedGeometry& built);
    void FreeTriangulationScratch();
    bool TryMovePointWithin(int32_t point, const VectorF& offset, float maxAreaFactor);
    VectorF MapPointBetweenShapes(const Array<VectorF>& from, const VectorF& point) const;
    VectorF RandomPointInTriangle(int32_t triangle, Random& generator) const;
};

// Copies one per-point list pool: nodes, heads and free-list head.
void CopyKeyedListPool(KeyedListPool& destination, const KeyedListPool& source);

// The angle of each outline point's incoming edge (from the previous point;
// point 0 from the last), one per point.
void ComputeOutlineAngles(const VectorF* points, int32_t count, Array<float>& angles);

// Point-in-polygon for outlines: the crossing of the horizontal line through p
// nearest to p decides by the direction of its edge (read against the outline's
// own orientation, so mirrored outlines answer alike). False for fewer than 3
// points or no crossing.
bool IsPointInPolygon(const VectorF* points, int32_t count, const VectorF& p);

// Casts a segment from the origin along the direction (1,000,000 units long)
// against every outline edge that faces it and writes the nearest hit. From
// behind, it meets the edges it sees from their back instead: those a ray
// from inside the outline leaves it through.
bool RayHitOutline(const VectorF* points, int32_t count, const VectorF& origin, const VectorF& direction,
                   VectorF& hit, bool fromBehind = false);

} // namespace KIV
