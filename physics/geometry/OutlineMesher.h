#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Vector.h"
#include "physics/geometry/ClipRingIndex.h"
#include "physics/geometry/DiagonalBlockCache.h"
#include "physics/geometry/EdgeLengthHeap.h"
#include "physics/geometry/ExactPredicates.h"
#include "physics/geometry/OutlineEdgeGrid.h"
#include "physics/geometry/TracedGeometry.h"

namespace KIV {

// The triangulation behind TracedGeometry::BuildMesh: ear clipping on the
// outline, Delaunay edge flips, and splitting of the longest inner edges until
// none is longer than the spacing, then the point-index triangles.
//
// Three steps would scan or walk everything again and again: the blocking test
// of a candidate diagonal, the walk over reflex corners between ears, and the
// choice of the longest inner edge. They run on an outline grid (with a cache
// of the diagonals already tested), a ring index and a length heap that give
// exactly the answers of the plain procedure; tests replace them with plain
// scans and walks to check that.
class OutlineMesher {
public:
    // Replacements for the two searches. The diagonal test answers whether the
    // diagonal a-c may be clipped; the edge search answers the longest inner
    // edge (lowest index among equals) or -1.
    using DiagonalTest = bool (*)(const OutlineMesher& mesher, int32_t a, int32_t c);
    using LongestEdgeSearch = int32_t (*)(const OutlineMesher& mesher);

    // The geometry must have been prepared by TracedGeometry::SetOutline.
    explicit OutlineMesher(TracedGeometry& geometry) : mGeometry(geometry) {}

    void SetSearches(DiagonalTest diagonalTest, LongestEdgeSearch longestEdge)
    {
        mDiagonalTest = diagonalTest;
        mLongestEdge = longestEdge;
    }

    // Spacing, clipping, flips, refinement and point-index triangles. False
    // when the outline cannot be clipped to the end, when the mesh would need
    // more than kMaxMeshPoints points, or when memory runs out.
    bool Triangulate(float spacing);

    // ---- Parts of the diagonal test, for plain-scan replacements ----
    const TracedGeometry& GetGeometry() const { return mGeometry; }
    // The diagonal leaves a and enters c inside the outline's corners there.
    bool IsDiagonalWithinCorners(int32_t a, int32_t c) const;
    // Outline edge i is one of the four edges that start at a, c, a - 1 or c - 1.
    bool IsEdgeAtDiagonal(int32_t edge, int32_t a, int32_t c) const;
    // The diagonal crosses outline edge i (integer boxes first, then the exact test).
    bool DiagonalCrossesEdge(int32_t a, int32_t c, int32_t edge) const;
    // Outline point q (other than a and c) lies on the diagonal.
    bool IsPointOnDiagonal(int32_t a, int32_t c, int32_t q) const;
    float GetEffectiveSpacingSquared() const { return mSpacingSquared; }
    float GetEdgeLengthSquared(int32_t edge) const;

private:
    // A triangle at work: its edges in boundary order (as the record keeps
    // them) and its corners, corner k being where edge k starts. The corners
    // name the quad around an edge directly, also where two outline edges
    // alone would leave it ambiguous (a four-point outline).
    struct WorkTriangle {
        int32_t mEdges[3];
        int32_t mCorners[3];
        // The sign of the corners' orientation once a flip test has needed
        // it (the same from whichever corner it is read), else kTurnUnknown;
        // with it, the triangle's circle test is set up in mCircles.
        int32_t mTurn = kTurnUnknown;
        // Makes the record 32 bytes: the flip loop finds one by a shift.
        int32_t mPadding = 0;
    };
    static constexpr int32_t kTurnUnknown = 2;
    struct DiagonalProbe;

    void ComputeEffectiveSpacing(float spacing);
    bool IsReflex(const VectorF& incoming, const VectorF& outgoing) const;
    bool ClipEars();
    bool IsValidDiagonal(int32_t a, int32_t c);
    bool AppendTriangle(int32_t e0, int32_t e1, int32_t e2, int32_t c0, int32_t c1, int32_t c2);
    // The lists the flip loop works on, which flips change but never resize,
    // and its queue as a stack with room for every edge.
    struct FlipWork {
        MeshEdge* mEdges;
        WorkTriangle* mTriangles;
        InCircleTest* mCircles;
        const VectorF* mPoints;
        uint8_t* mQueued;
        int32_t* mQueue;
        int32_t mQueueCount;
    };
    void FlipEdges();
    template <bool kPrefetch>
    void RunFlipQueue(FlipWork& work, int64_t maxPasses);
    // Inlined into the flip loop: most calls only test and return.
    [[gnu::always_inline]] inline void FlipEdge(FlipWork& work, int32_t edge);
    bool RefineLongEdges();
    int32_t FindLongestEdge();
    bool SplitEdge(int32_t edge);
    void BuildVertexTriangles();
    void GetTriangleFromEdges(int32_t triangle, int32_t out[3]) const;

    static int32_t FindEdgeSlot(const WorkTriangle& t, int32_t edge);
    static void ReplaceSide(MeshEdge* edges, int32_t edge, int32_t from, int32_t to);
    // The queue's two ends run tens of thousands of times in a large build:
    // kept inline.
    [[gnu::always_inline]] void PushQueue(int32_t edge)
    {
        TracedGeometry& g = mGeometry;
        if (edge < 0 || g.mFlipQueued[edge]) return;
        if (!g.mFlipQueue.PushBack(edge)) {
            mFailed = true;
            return;
        }
        g.mFlipQueued[edge] = 1;
    }
    // The edge's squared length as GetEdgeLengthSquared gives it.
    void OnEdgeChanged(int32_t edge, float lengthSquared);

    TracedGeometry& mGeometry;
    DiagonalTest mDiagonalTest = nullptr;
    LongestEdgeSearch mLongestEdge = nullptr;
    int32_t mN = 0;
    float mSpacingSquared = 0.0f;
    // +1 for outlines that run clockwise on screen (the traced direction), -1
    // for mirrored ones: the corner tests follow the outline's own direction.
    float mOrientation = 1.0f;
    bool mFailed = false;
    bool mHeapActive = false;
    Array<WorkTriangle> mTriangles;
    // Per triangle: its circle, from its first corner, set up with its turn.
    Array<InCircleTest> mCircles;
    ClipRingIndex mRingIndex;
    DiagonalBlockCache mBlockCache;
    OutlineEdgeGrid mGrid;
    EdgeLengthHeap mHeap;
};

} // namespace KIV
