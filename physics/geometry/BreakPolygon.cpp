#include "physics/geometry/BreakPolygon.h"
#include <cmath>
#include <utility>
#include "base/MathUtil.h"
#include "base/PointList.h"
#include "base/Statistics.h"
#include "physics/geometry/TracedGeometry.h"

// Cutting a mesh in two along a crack of mesh points. The crack runs along
// inner edges from an outline point to an outline point; the triangles on
// either side are gathered by spreading from the crack across the inner
// edges that are not on it, and the crack edges become outline edges of both
// pieces.

namespace KIV {

namespace {

// Edge and triangle classes of a break: which side they went to.
constexpr int32_t kSideNone = 0;
constexpr int32_t kSideA = 1;
constexpr int32_t kSideB = 2;
constexpr int32_t kOnCrack = 3;

bool Refuse(int32_t code)
{
    StatSetInt(kStatBreakPolygonError, code);
    return false;
}

// Into [-pi, pi).
float WrapToHalfTurn(float x)
{
    float r = std::fmod(x + kPi, kTwoPi) - kPi;
    if (r < -kPi) r += kTwoPi;
    return r;
}

bool IsCoreEdge(const TracedGeometry& g, int32_t edge)
{
    return edge < g.mCoreEdgeFlags.Count() && g.mCoreEdgeFlags[edge] != 0;
}

void ResetBreakLists(TracedGeometry& g)
{
    const int32_t points = g.mPoints.Count();
    g.mCrackPoints.Clear();
    g.mCrackEdges.Clear();
    g.mPiecePairs.Resize(points);
    for (PiecePair& p : g.mPiecePairs) p = PiecePair();
    g.mEdgeClasses.Resize(g.mInnerEdges.Count());
    for (BreakClass& c : g.mEdgeClasses) c = BreakClass();
    g.mTriangleClasses.Resize(g.mTriangles.Count());
    for (BreakClass& c : g.mTriangleClasses) c = BreakClass();
    g.mOnCrack.Resize(points);
    g.mOnCrack.FillZero();
}

void AddCrackStep(TracedGeometry& g, int32_t point, int32_t edge)
{
    g.mCrackPoints.PushBack(point);
    g.mCrackEdges.PushBack(edge);
    g.mEdgeClasses[edge].mKind = kOnCrack;
    g.mOnCrack[point] = 1;
}

// The inner edge joining two points, from the first point's list; -1 when none.
int32_t FindJoiningEdge(const TracedGeometry& g, int32_t a, int32_t b)
{
    for (int32_t node = g.FirstPointEdgeNode(a); node >= 0; node = g.NextPointEdgeNode(node)) {
        const int32_t e = g.mPointEdgeEntries[node];
        const MeshEdge& edge = g.mInnerEdges[e];
        if ((edge.mA == a && edge.mB == b) || (edge.mA == b && edge.mB == a)) return e;
    }
    return -1;
}

// Walks the crack on from its last point: at each step the inner edge whose
// far end lies nearest the heading, seen from the crack's first point, until
// an outline point is reached or no edge is left. Returns an error code or 0.
int32_t WalkCrack(TracedGeometry& g, float angle, const CrackRequest& request, Random& random, int32_t skipFirstA,
                  int32_t skipFirstB)
{
    const int32_t n = g.mOutlineCount;
    const int32_t points = g.mPoints.Count();
    const int32_t edges = g.mInnerEdges.Count();
    const VectorF origin = g.mPoints[g.mCrackPoints[0]];
    bool firstStep = true;
    // Each step puts a new point on the crack, so the walk ends within the point count.
    for (;;) {
        const int32_t c = g.mCrackPoints.Last();
        int32_t bestPoint = -1, bestEdge = -1;
        float bestDifference = 0.0f;
        for (int32_t node = g.FirstPointEdgeNode(c); node >= 0; node = g.NextPointEdgeNode(node)) {
            const int32_t e = g.mPointEdgeEntries[node];
            if (e < 0 || e >= edges) return kBreakBadInnerEdge;
            const MeshEdge& edge = g.mInnerEdges[e];
            const int32_t t = edge.mA == c ? edge.mB : (edge.mB == c ? edge.mA : -1);
            if (t < 0 || t >= points) return kBreakBadInnerEdge;
            if (firstStep && (t == skipFirstA || t == skipFirstB)) continue;
            if (!request.mBreakCoreToo && IsCoreEdge(g, e)) continue;
            if (g.mOnCrack[t]) continue;
            const VectorF d = g.mPoints[t] - origin;
            const float difference = AbsF(WrapToHalfTurn(angle - std::atan2(d.mY, d.mX)));
            if (bestPoint < 0 || difference < bestDifference) {
                bestPoint = t;
                bestEdge = e;
                bestDifference = difference;
            }
        }
        firstStep = false;
        if (bestPoint < 0) return 0;
        AddCrackStep(g, bestPoint, bestEdge);
        if (request.mDirectionShifter != 0.0f) {
            float delta = request.mDirectionShifter;
            if (request.mDirectionRandomiser != 0.0f) {
                delta = request.mDirectionShifter * random.NextFloatScaled(request.mDirectionRandomiser);
                if (random.NextBool()) delta = -delta;
            }
            angle = WrapAngle(angle + delta, -kPi, kTwoPi);
        }
        if (bestPoint < n) return 0;
    }
}

// Crack from an outline point: from the first outline point at or after the
// start that has an inner edge, heading along the request's direction.
int32_t CrackFromOutlinePoint(TracedGeometry& g, const CrackRequest& request, Random& random)
{
    const int32_t n = g.mOutlineCount;
    int32_t start = -1;
    for (int32_t k = 0; k < n && start < 0; ++k) {
        const int32_t p = (request.mStartOutlinePoint + k) % n;
        if (g.FirstPointEdgeNode(p) >= 0) start = p;
    }
    if (start < 0) return 0;  // no inner edge anywhere: the crack stays empty
    g.mCrackPoints.PushBack(start);
    g.mOnCrack[start] = 1;
    const int32_t prev = start > 0 ? start - 1 : n - 1;
    const int32_t next = start + 1 < n ? start + 1 : 0;
    const float angle = std::atan2(request.mDirection.mY, request.mDirection.mX);
    return WalkCrack(g, angle, request, random, prev, next);
}

// The heading from the crack's first point to its last.
float CrackHeading(const TracedGeometry& g)
{
    const VectorF d = g.mPoints[g.mCrackPoints[g.mCrackPoints.Count() - 1]] - g.mPoints[g.mCrackPoints[0]];
    return std::atan2(d.mY, d.mX);
}

void ReverseCrack(TracedGeometry& g)
{
    for (int32_t i = 0, j = g.mCrackPoints.Count() - 1; i < j; ++i, --j) std::swap(g.mCrackPoints[i], g.mCrackPoints[j]);
    for (int32_t i = 0, j = g.mCrackEdges.Count() - 1; i < j; ++i, --j) std::swap(g.mCrackEdges[i], g.mCrackEdges[j]);
}

// Crack from a triangle: the ear's cutting edge when all corners are outline
// points, else the two edges through its first inner corner. An end that
// lands on an inner point is walked on to the outline, straight ahead.
int32_t CrackFromTriangle(TracedGeometry& g, const CrackRequest& request, Random& random)
{
    const int32_t n = g.mOutlineCount;
    const IndexTriangle& tri = g.mTriangles[request.mStartTriangle];
    const int32_t c[3] = {tri.mA, tri.mB, tri.mC};
    if (c[0] < n && c[1] < n && c[2] < n) {
        for (int32_t k = 0; k < 3; ++k) {
            const int32_t e = (c[k] + 2) % n;
            if (c[(k + 1) % 3] == e || c[(k + 2) % 3] == e) {
                g.mCrackPoints.PushBack(c[k]);
                g.mCrackPoints.PushBack(e);
                break;
            }
        }
    } else {
        const int32_t k = c[0] >= n ? 0 : (c[1] >= n ? 1 : 2);
        g.mCrackPoints.PushBack(c[(k + 2) % 3]);
        g.mCrackPoints.PushBack(c[k]);
        g.mCrackPoints.PushBack(c[(k + 1) % 3]);
    }
    if (g.mCrackPoints.IsEmpty()) return 0;
    g.mOnCrack[g.mCrackPoints[0]] = 1;
    for (int32_t i = 0; i + 1 < g.mCrackPoints.Count(); ++i) {
        const int32_t a = g.mCrackPoints[i], b = g.mCrackPoints[i + 1];
        const int32_t e = FindJoiningEdge(g, a, b);
        if (e < 0) {
            g.mCrackPoints.Clear();
            g.mCrackEdges.Clear();
            return 0;
        }
        g.mCrackEdges.PushBack(e);
        g.mEdgeClasses[e].mKind = kOnCrack;
        g.mOnCrack[a] = 1;
        g.mOnCrack[b] = 1;
    }
    // A crack that stopped inside would cut nothing: both ends go on to the outline.
    if (g.mCrackPoints.Last() >= n) {
        if (const int32_t code = WalkCrack(g, CrackHeading(g), request, random, -1, -1)) return code;
    }
    if (g.mCrackPoints[0] >= n) {
        ReverseCrack(g);
        if (const int32_t code = WalkCrack(g, CrackHeading(g), request, random, -1, -1)) return code;
    }
    return 0;
}

// Gives every source point of the piece outline its index there; the piece's
// outline count is its point count afterwards.
void AddPieceOutlinePoint(TracedGeometry& source, TracedGeometry& piece, int32_t point, bool sideA)
{
    PiecePair& pair = source.mPiecePairs[point];
    (sideA ? pair.mA : pair.mB) = piece.mPoints.Count();
    piece.mPoints.PushBack(source.mPoints[point]);
}

void BuildPieceOutlines(TracedGeometry& g, TracedGeometry& pieceA, TracedGeometry& pieceB)
{
    const int32_t n = g.mOutlineCount;
    const int32_t count = g.mCrackPoints.Count();
    const int32_t first = g.mCrackPoints[0];
    const int32_t last = g.mCrackPoints[count - 1];
    const int32_t span = ((last - first) % n + n) % n + 1;
    for (int32_t j = 0; j < n - span + 2; ++j) AddPieceOutlinePoint(g, pieceA, (last + j) % n, true);
    for (int32_t k = 1; k <= count - 2; ++k) AddPieceOutlinePoint(g, pieceA, g.mCrackPoints[k], true);
    for (int32_t j = 0; j < span; ++j) AddPieceOutlinePoint(g, pieceB, (first + j) % n, false);
    for (int32_t k = count - 2; k >= 1; --k) AddPieceOutlinePoint(g, pieceB, g.mCrackPoints[k], false);
    pieceA.mOutlineCount = pieceA.mPoints.Count();
    pieceB.mOutlineCount = pieceB.mPoints.Count();
}

// Divides the triangles between the pieces. The crack edge list is the work
// queue: first the crack edges in crack order, then every inner edge that a
// piece took over, whose other triangle follows into the same piece.
class MeshDivider {
public:
    MeshDivider(TracedGeometry& source, TracedGeometry& pieceA, TracedGeometry& pieceB)
        : mSource(source), mPieceA(pieceA), mPieceB(pieceB)
    {
        // The sides of the crack follow the outline's own turning direction.
        float twiceArea = 0.0f;
        const int32_t n = source.mOutlineCount;
        for (int32_t i = 0; i < n; ++i) twiceArea += Cross(source.mPoints[i], source.mPoints[i + 1 < n ? i + 1 : 0]);
        mSideSign = twiceArea < 0.0f ? -1.0f : 1.0f;
    }

    int32_t Run()
    {
        const int32_t crackEdges = mSource.mCrackPoints.Count() - 1;
        for (int32_t q = 0; q < mSource.mCrackEdges.Count(); ++q) {
            const int32_t e = mSource.mCrackEdges[q];
            const BreakClass& edgeClass = mSource.mEdgeClasses[e];
            int32_t code = 0;
            if (edgeClass.mKind == kOnCrack && q < crackEdges)
                code = SplitAtCrackEdge(e, q);
            else if (edgeClass.mKind == kSideA || edgeClass.mKind == kSideB)
                code = SpreadAcross(e, edgeClass.mKind);
            else
                code = kBreakEdgeWithoutSide;
            if (code) return code;
        }
        return 0;
    }

private:
    int32_t SplitAtCrackEdge(int32_t e, int32_t k)
    {
        const int32_t a = mSource.mCrackPoints[k], b = mSource.mCrackPoints[k + 1];
        const MeshEdge& edge = mSource.mInnerEdges[e];
        for (const int32_t t : {edge.mTriangle1, edge.mTriangle2}) {
            if (!IsUnclassified(t)) continue;
            const IndexTriangle& tri = mSource.mTriangles[t];
            const int32_t c[3] = {tri.mA, tri.mB, tri.mC};
            if (c[0] != a && c[1] != a && c[2] != a) return kBreakTriangleOffCrack;
            int32_t third = -1;
            for (int32_t corner : c)
                if (corner != a && corner != b) third = corner;
            if (third < 0) return kBreakTriangleOffCrack;
            const VectorF& pa = mSource.mPoints[a];
            const float side = Cross(mSource.mPoints[b] - pa, mSource.mPoints[third] - pa) * mSideSign;
            const bool toA = side > 0.0f;
            if (const int32_t code = GiveTriangle(t, toA ? kSideA : kSideB, toA ? kBreakSideAToB : kBreakSideBToA))
                return code;
        }
        return 0;
    }

    int32_t SpreadAcross(int32_t e, int32_t kind)
    {
        const MeshEdge& edge = mSource.mInnerEdges[e];
        for (const int32_t t : {edge.mTriangle1, edge.mTriangle2}) {
            if (!IsUnclassified(t)) continue;
            if (const int32_t code = GiveTriangle(t, kind, kind == kSideA ? kBreakSpreadAToB : kBreakSpreadBToA))
                return code;
        }
        return 0;
    }

    bool IsUnclassified(int32_t t) const
    {
        return t >= 0 && t < mSource.mTriangleClasses.Count() && mSource.mTriangleClasses[t].mKind == kSideNone;
    }

    int32_t& PieceIndex(int32_t point, int32_t kind)
    {
        PiecePair& pair = mSource.mPiecePairs[point];
        return kind == kSideA ? pair.mA : pair.mB;
    }

    // The triangle keeps its corner order, so it winds in its piece as in the source.
    int32_t GiveTriangle(int32_t t, int32_t kind, int32_t conflictCode)
    {
        TracedGeometry& piece = kind == kSideA ? mPieceA : mPieceB;
        const EdgeTriangle& edges = mSource.mEdgeTriangles[t];
        for (const int32_t e : edges.mEdges) {
            if (e < 0) continue;
            const int32_t edgeKind = mSource.mEdgeClasses[e].mKind;
            if (edgeKind != kSideNone && edgeKind != kOnCrack && edgeKind != kind) return conflictCode;
        }
        const IndexTriangle& tri = mSource.mTriangles[t];
        IndexTriangle pieceTriangle;
        uint16_t* corners[3] = {&pieceTriangle.mA, &pieceTriangle.mB, &pieceTriangle.mC};
        const int32_t source[3] = {tri.mA, tri.mB, tri.mC};
        for (int32_t k = 0; k < 3; ++k) {
            int32_t& index = PieceIndex(source[k], kind);
            if (index < 0) {
                index = piece.mPoints.Count();
                piece.mPoints.PushBack(mSource.mPoints[source[k]]);
            }
            *corners[k] = static_cast<uint16_t>(index);
        }
        mSource.mTriangleClasses[t] = BreakClass{piece.mTriangles.Count(), kind};
        piece.mTriangles.PushBack(pieceTriangle);

        EdgeTriangle pieceEdges;
        for (int32_t k = 0; k < 3; ++k) {
            const int32_t e = edges.mEdges[k];
            // Outline edges stay outline edges; crack edges become them.
            if (e < 0 || mSource.mEdgeClasses[e].mKind == kOnCrack) continue;
            BreakClass& edgeClass = mSource.mEdgeClasses[e];
            if (edgeClass.mKind == kSideNone) {
                const MeshEdge& edge = mSource.mInnerEdges[e];
                edgeClass = BreakClass{piece.mInnerEdges.Count(), kind};
                MeshEdge pieceEdge;
                pieceEdge.mA = PieceIndex(edge.mA, kind);
                pieceEdge.mB = PieceIndex(edge.mB, kind);
                piece.mInnerEdges.PushBack(pieceEdge);
                mSource.mCrackEdges.PushBack(e);
            }
            pieceEdges.mEdges[k] = edgeClass.mIndex;
        }
        piece.mEdgeTriangles.PushBack(pieceEdges);
        return 0;
    }

    TracedGeometry& mSource;
    TracedGeometry& mPieceA;
    TracedGeometry& mPieceB;
    float mSideSign = 1.0f;
};

// Gives each piece edge the piece indices of its two triangles.
int32_t LinkPieceEdges(TracedGeometry& g, TracedGeometry& pieceA, TracedGeometry& pieceB)
{
    const auto pieceTriangle = [&](int32_t t, int32_t kind, int32_t& out) {
        if (t < 0 || t >= g.mTriangleClasses.Count()) return false;
        const BreakClass& c = g.mTriangleClasses[t];
        if (c.mKind != kind || c.mIndex < 0) return false;
        out = c.mIndex;
        return true;
    };
    for (int32_t e = 0; e < g.mInnerEdges.Count(); ++e) {
        const BreakClass& c = g.mEdgeClasses[e];
        if (c.mKind == kOnCrack) continue;
        if (c.mKind != kSideA && c.mKind != kSideB) return kBreakLinkUnassigned;
        TracedGeometry& piece = c.mKind == kSideA ? pieceA : pieceB;
        if (c.mIndex < 0 || c.mIndex >= piece.mInnerEdges.Count()) return kBreakLinkNoIndex;
        MeshEdge& pieceEdge = piece.mInnerEdges[c.mIndex];
        if (!pieceTriangle(g.mInnerEdges[e].mTriangle1, c.mKind, pieceEdge.mTriangle1)) return kBreakLinkFirstTriangle;
        if (!pieceTriangle(g.mInnerEdges[e].mTriangle2, c.mKind, pieceEdge.mTriangle2)) return kBreakLinkSecondTriangle;
    }
    return 0;
}

// Core flags and texture points follow their edges and points into the pieces.
void CarryOverPointData(TracedGeometry& g, TracedGeometry& pieceA, TracedGeometry& pieceB)
{
    for (TracedGeometry* piece : {&pieceA, &pieceB}) {
        piece->mCoreEdgeFlags.Resize(piece->mInnerEdges.Count());
        piece->mCoreEdgeFlags.FillZero();
        piece->mCorePointFlags.Resize(piece->mPoints.Count());
        piece->mCorePointFlags.FillZero();
        piece->mScaledPoints.Resize(piece->mPoints.Count());
        piece->mScaledPoints.FillZero();
    }
    for (int32_t e = 0; e < g.mInnerEdges.Count(); ++e) {
        const BreakClass& c = g.mEdgeClasses[e];
        if (c.mKind != kSideA && c.mKind != kSideB) continue;
        (c.mKind == kSideA ? pieceA : pieceB).mCoreEdgeFlags[c.mIndex] = IsCoreEdge(g, e) ? 1 : 0;
    }
    const bool hasCoreFlags = g.mCorePointFlags.Count() >= g.mPoints.Count();
    const bool hasScaled = g.mScaledPoints.Count() >= g.mPoints.Count();
    for (int32_t p = 0; p < g.mPoints.Count(); ++p) {
        const PiecePair& pair = g.mPiecePairs[p];
        const int32_t indices[2] = {pair.mA, pair.mB};
        TracedGeometry* pieces[2] = {&pieceA, &pieceB};
        for (int32_t k = 0; k < 2; ++k) {
            if (indices[k] < 0) continue;
            if (hasCoreFlags) pieces[k]->mCorePointFlags[indices[k]] = g.mCorePointFlags[p];
            if (hasScaled) pieces[k]->mScaledPoints[indices[k]] = g.mScaledPoints[p];
        }
    }
}

void StartPiece(TracedGeometry& piece)
{
    piece.Free();
    piece.mOutlineCount = 0;
    piece.mSpringsBuilt = 0;
    piece.mLinksBuilt = 0;
}

} // namespace

VectorF BuildPieceMesh(TracedGeometry& piece)
{
    piece.mPoints.SetGrowBy(32);
    piece.BuildPointEdgeLists();
    piece.BuildPointTriangleLists();
    piece.ComputeTriangleAreas();
    piece.BuildSprings();
    piece.ComputeInverseEdgeLengths();
    const float area = piece.ComputeOutlineArea();
    const VectorF centroid = piece.ComputeOutlineCentroid(area);
    SubtractOffsetFromPoints(piece.mPoints.Data(), piece.mPoints.Count(), centroid);
    piece.ComputeBoundingRadius();
    piece.StoreRestShape();
    piece.mBreakValue1 = centroid.mX;
    piece.mBreakValue2 = centroid.mY;
    return centroid;
}

bool BreakPolygon(TracedGeometry& record, const CrackRequest& request, TracedGeometry& pieceA,
                  TracedGeometry& pieceB, Random& random, CrackResult* result)
{
    StatAdd(kStatBreakPolygonCalls);
    TracedGeometry& g = record;
    if (g.mPoints.Count() == 3) return false;  // a single triangle does not break
    const int32_t n = g.mOutlineCount;
    if (n < 3 || n > g.mPoints.Count()) return Refuse(kBreakStartOutOfRange);

    int32_t code = 0;
    if (request.mStartTriangle < 0) {
        // Only -1 selects the outline start; any other negative is out of range.
        if (request.mStartTriangle != -1 || request.mStartOutlinePoint < 0 || request.mStartOutlinePoint >= n)
            return Refuse(kBreakStartOutOfRange);
        ResetBreakLists(g);
        code = CrackFromOutlinePoint(g, request, random);
    } else {
        if (request.mStartTriangle >= g.mTriangles.Count()) return Refuse(kBreakStartOutOfRange);
        ResetBreakLists(g);
        code = CrackFromTriangle(g, request, random);
    }
    if (code) return Refuse(code);
    const int32_t count = g.mCrackPoints.Count();
    if (count < 2) return Refuse(kBreakCrackTooShort);
    if (result) {
        result->mFirstPoint = g.mCrackPoints[0];
        result->mLastPoint = g.mCrackPoints[count - 1];
        result->mPointCount = count;
    }
    // Piece outlines are read off the outline between the crack's ends: an
    // end inside the body would make them up from unrelated points.
    if (g.mCrackPoints[0] >= n || g.mCrackPoints[count - 1] >= n) return Refuse(kBreakCrackEndsInside);

    StartPiece(pieceA);
    StartPiece(pieceB);
    BuildPieceOutlines(g, pieceA, pieceB);
    MeshDivider divider(g, pieceA, pieceB);
    if ((code = divider.Run())) return Refuse(code);
    if (pieceA.mTriangles.IsEmpty() || pieceB.mTriangles.IsEmpty()) return false;
    if ((code = LinkPieceEdges(g, pieceA, pieceB))) return Refuse(code);
    CarryOverPointData(g, pieceA, pieceB);
    BuildPieceMesh(pieceA);
    BuildPieceMesh(pieceB);
    return true;
}

} // namespace KIV
