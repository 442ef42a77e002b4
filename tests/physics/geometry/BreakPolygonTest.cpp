#include <gtest/gtest.h>
#include <set>
#include "base/Random.h"
#include "base/Statistics.h"
#include "physics/geometry/BreakPolygon.h"
#include "physics/geometry/SampleOutlines.h"
#include "physics/geometry/TracedGeometry.h"

#include "physics/MeshSamples.h"

using namespace KIV;
using namespace KIV::MeshSamples;

namespace {

int32_t LastError() { return StatGetInt(kStatBreakPolygonError); }
void ClearLastError() { StatSetInt(kStatBreakPolygonError, 0); }

double TwiceOutlineArea(const TracedGeometry& g)
{
    double s = 0.0;
    const int32_t n = g.mOutlineCount;
    for (int32_t i = 0; i < n; ++i) {
        const VectorF& a = g.mPoints[i];
        const VectorF& b = g.mPoints[(i + 1) % n];
        s += double(a.mX) * b.mY - double(a.mY) * b.mX;
    }
    return s;
}

bool HasCorner(const IndexTriangle& t, int32_t p) { return t.mA == p || t.mB == p || t.mC == p; }

bool IsOutlineEdge(const TracedGeometry& g, int32_t a, int32_t b)
{
    const int32_t n = g.mOutlineCount;
    return a < n && b < n && ((a + 1) % n == b || (b + 1) % n == a);
}

// A piece must be a mesh like any built one: positive triangles, inner edges
// that join corners of both their triangles, and edge-form triangles whose
// outline edges really are outline edges of the piece.
void ExpectSoundPiece(const TracedGeometry& g)
{
    const int32_t points = g.mPoints.Count();
    ASSERT_GE(g.mOutlineCount, 3);
    EXPECT_GT(TwiceOutlineArea(g), 0.0);
    ASSERT_EQ(g.mEdgeTriangles.Count(), g.mTriangles.Count());
    for (const IndexTriangle& t : g.mTriangles) {
        ASSERT_LT(t.mA, points);
        ASSERT_LT(t.mB, points);
        ASSERT_LT(t.mC, points);
        EXPECT_GT(Cross(g.mPoints[t.mB] - g.mPoints[t.mA], g.mPoints[t.mC] - g.mPoints[t.mA]), 0.0f);
    }
    for (const MeshEdge& e : g.mInnerEdges) {
        ASSERT_GE(e.mTriangle1, 0);
        ASSERT_GE(e.mTriangle2, 0);
        ASSERT_NE(e.mTriangle1, e.mTriangle2);
        for (int32_t t : {e.mTriangle1, e.mTriangle2}) {
            ASSERT_LT(t, g.mTriangles.Count());
            EXPECT_TRUE(HasCorner(g.mTriangles[t], e.mA) && HasCorner(g.mTriangles[t], e.mB));
        }
    }
    for (int32_t t = 0; t < g.mTriangles.Count(); ++t) {
        const IndexTriangle& tri = g.mTriangles[t];
        const int32_t c[3] = {tri.mA, tri.mB, tri.mC};
        int32_t outlineSides = 0;
        for (int32_t k = 0; k < 3; ++k) outlineSides += IsOutlineEdge(g, c[k], c[(k + 1) % 3]) ? 1 : 0;
        int32_t outlineEntries = 0;
        for (int32_t e : g.mEdgeTriangles[t].mEdges) {
            if (e < 0) {
                ++outlineEntries;
                continue;
            }
            ASSERT_LT(e, g.mInnerEdges.Count());
            EXPECT_TRUE(HasCorner(tri, g.mInnerEdges[e].mA) && HasCorner(tri, g.mInnerEdges[e].mB));
        }
        EXPECT_EQ(outlineEntries, outlineSides) << "triangle " << t;
    }
    EXPECT_EQ(g.mRestPoints.Count(), points);
    EXPECT_EQ(g.mSprings.Count(), g.mInnerEdges.Count() + g.mOutlineCount);
}

// The pieces' outlines share just the crack with each other and together
// cover the source's outline area.
void ExpectPiecesCoverSource(const TracedGeometry& source, const TracedGeometry& a, const TracedGeometry& b)
{
    const double total = TwiceOutlineArea(source);
    EXPECT_NEAR(TwiceOutlineArea(a) + TwiceOutlineArea(b), total, 1e-3 * total);
    float sourceTriangles = 0.0f, pieceTriangles = 0.0f;
    for (float area : source.mTriangleAreas) sourceTriangles += area;
    for (float area : a.mTriangleAreas) pieceTriangles += area;
    for (float area : b.mTriangleAreas) pieceTriangles += area;
    EXPECT_NEAR(pieceTriangles, sourceTriangles, 1e-3f * sourceTriangles);
    EXPECT_EQ(a.mTriangles.Count() + b.mTriangles.Count(), source.mTriangles.Count());
}

CrackRequest FromOutline(int32_t point, VectorF direction, float shifter = 0.0f, float randomiser = 0.0f)
{
    CrackRequest r;
    r.mStartOutlinePoint = point;
    r.mDirection = direction;
    r.mDirectionShifter = shifter;
    r.mDirectionRandomiser = randomiser;
    r.mBreakCoreToo = true;
    return r;
}

CrackRequest FromTriangle(int32_t triangle)
{
    CrackRequest r;
    r.mStartTriangle = triangle;
    r.mBreakCoreToo = true;
    return r;
}

} // namespace

TEST(BreakPolygon, SplitsAnEllipseIntoTwoSoundPiecesFromEveryOutlinePoint)
{
    const TracedGeometry source = MeshedEllipse(48, 60.0f, 40.0f);
    ASSERT_GT(source.mPoints.Count(), source.mOutlineCount);
    int32_t broken = 0;
    for (int32_t start = 0; start < source.mOutlineCount; ++start) {
        TracedGeometry g = source, a, b;
        Random random;
        CrackResult crack;
        ClearLastError();
        // Towards the centre, turning a little at random. The walk picks its
        // way by the heading seen from its first point, so it can run into a
        // corner of its own crack: that crack ends inside and is refused.
        if (!BreakPolygon(g, FromOutline(start, g.mPoints[start] * -1.0f, 0.1f, 0.5f), a, b, random, &crack)) {
            EXPECT_EQ(LastError(), kBreakCrackEndsInside) << "start " << start;
            continue;
        }
        ++broken;
        EXPECT_LT(crack.mFirstPoint, g.mOutlineCount);
        EXPECT_LT(crack.mLastPoint, g.mOutlineCount);
        EXPECT_EQ(crack.mPointCount, g.mCrackPoints.Count());
        ExpectSoundPiece(a);
        ExpectSoundPiece(b);
        ExpectPiecesCoverSource(source, a, b);
        // The cut leaves the source's mesh as it was.
        for (int32_t i = 0; i < g.mPoints.Count(); ++i) ASSERT_EQ(g.mPoints[i], source.mPoints[i]);
    }
    EXPECT_GE(broken, source.mOutlineCount * 3 / 4);
}

TEST(BreakPolygon, PiecesAreCentredOnTheirOutlineCentroidWhichTheyRemember)
{
    TracedGeometry g = MeshedEllipse(40, 50.0f, 50.0f), a, b;
    Random random;
    ASSERT_TRUE(BreakPolygon(g, FromOutline(0, {-1, 0}), a, b, random, nullptr));
    for (const TracedGeometry* piece : {&a, &b}) {
        const float area = piece->ComputeOutlineArea();
        const VectorF c = piece->ComputeOutlineCentroid(area);
        EXPECT_NEAR(c.mX, 0.0f, 1e-3f);
        EXPECT_NEAR(c.mY, 0.0f, 1e-3f);
        // Point 0 of each piece is a source outline point, moved by the centroid.
        const int32_t sourcePoint = piece == &a ? g.mCrackPoints.Last() : g.mCrackPoints[0];
        EXPECT_NEAR(piece->mPoints[0].mX + piece->mBreakValue1, g.mPoints[sourcePoint].mX, 1e-3f);
        EXPECT_NEAR(piece->mPoints[0].mY + piece->mBreakValue2, g.mPoints[sourcePoint].mY, 1e-3f);
    }
}

TEST(BreakPolygon, MirroredOutlinesSplitToo)
{
    Array<VectorF> outline;
    MakeEllipseOutline(outline, 40, 50.0f, 30.0f);
    ReverseOutline(outline);
    TracedGeometry g, a, b;
    ASSERT_TRUE(g.BuildMesh(outline, 10.0f));
    ASSERT_LT(TwiceOutlineArea(g), 0.0);
    Random random;
    ASSERT_TRUE(BreakPolygon(g, FromOutline(3, g.mPoints[3] * -1.0f), a, b, random, nullptr));
    // Pieces keep the source's turning direction; their triangles still wind positive.
    EXPECT_LT(TwiceOutlineArea(a), 0.0);
    EXPECT_LT(TwiceOutlineArea(b), 0.0);
    for (const TracedGeometry* piece : {&a, &b})
        for (const IndexTriangle& t : piece->mTriangles)
            EXPECT_GT(Cross(piece->mPoints[t.mB] - piece->mPoints[t.mA], piece->mPoints[t.mC] - piece->mPoints[t.mA]),
                      0.0f);
}

TEST(BreakPolygon, CountsEveryCallAndRefusesASingleTriangleWithoutAReason)
{
    Array<VectorF> triangle;
    triangle.PushBack({0, 0});
    triangle.PushBack({10, 0});
    triangle.PushBack({0, 10});
    TracedGeometry g, a, b;
    ASSERT_TRUE(g.BuildMesh(triangle, 10.0f));
    StatSetInt(kStatBreakPolygonError, 77);
    const int32_t calls = StatGetInt(kStatBreakPolygonCalls);
    Random random;
    EXPECT_FALSE(BreakPolygon(g, FromOutline(0, {1, 1}), a, b, random, nullptr));
    EXPECT_EQ(LastError(), 77);
    EXPECT_FALSE(BreakPolygon(g, FromOutline(99, {1, 1}), a, b, random, nullptr));
    EXPECT_EQ(StatGetInt(kStatBreakPolygonCalls), calls + 2);
}

TEST(BreakPolygon, WithoutShifterTheWalkUsesNoRandomAndWithoutRandomiserEveryStepTurnsByTheShifter)
{
    const TracedGeometry source = MeshedEllipse(48, 60.0f, 60.0f, 8.0f);
    {
        TracedGeometry g = source, a, b;
        Random random;
        ASSERT_TRUE(BreakPolygon(g, FromOutline(0, {-1, 0}), a, b, random, nullptr));
        EXPECT_EQ(random.mSeed, 1);
        // Heading straight across a circle from its rightmost point ends near the leftmost.
        EXPECT_LT(g.mPoints[g.mCrackPoints.Last()].mX, -40.0f);
    }
    {
        // Every step turns the heading by +0.6 (from pi round to -pi + 0.6, up
        // the screen), bending the crack away from the straight line.
        TracedGeometry g = source, a, b;
        Random random;
        ASSERT_TRUE(BreakPolygon(g, FromOutline(0, {-1, 0}, 0.6f, 0.0f), a, b, random, nullptr));
        EXPECT_EQ(random.mSeed, 1);
        EXPECT_LT(g.mPoints[g.mCrackPoints.Last()].mY, -5.0f);
    }
}

TEST(BreakPolygon, AnEarTriangleCracksAlongItsInnerEdgeAndAPlainOutlineTriangleDoesNot)
{
    // A convex polygon without inner points: every triangle has outline corners only.
    const TracedGeometry source = MeshedEllipse(8, 20.0f, 20.0f, 100.0f);
    ASSERT_EQ(source.mPoints.Count(), 8);
    const int32_t n = source.mOutlineCount;
    for (int32_t t = 0; t < source.mTriangles.Count(); ++t) {
        const IndexTriangle& tri = source.mTriangles[t];
        const int32_t c[3] = {tri.mA, tri.mB, tri.mC};
        int32_t earStart = -1;
        for (int32_t k = 0; k < 3 && earStart < 0; ++k)
            if (c[(k + 1) % 3] == (c[k] + 2) % n || c[(k + 2) % 3] == (c[k] + 2) % n) earStart = c[k];
        ASSERT_GE(earStart, 0) << "every triangle of this mesh has two corners two steps apart";
        TracedGeometry g = source, a, b;
        Random random;
        ASSERT_TRUE(BreakPolygon(g, FromTriangle(t), a, b, random, nullptr)) << "triangle " << t;
        ASSERT_EQ(g.mCrackPoints.Count(), 2);
        EXPECT_EQ(g.mCrackPoints[0], earStart);
        EXPECT_EQ(g.mCrackPoints[1], (earStart + 2) % n);
        // The ear (earStart, +1, +2) is one piece of three points.
        EXPECT_TRUE(a.mPoints.Count() == 3 || b.mPoints.Count() == 3);
    }
    // Corners none of which lies two steps before another name no ear.
    TracedGeometry g = source, a, b;
    g.mTriangles[0] = IndexTriangle{0, 1, 4};
    Random random;
    ClearLastError();
    EXPECT_FALSE(BreakPolygon(g, FromTriangle(0), a, b, random, nullptr));
    EXPECT_EQ(LastError(), kBreakCrackTooShort);
}

// The crack through a triangle's inner corner may end on inner points; it is
// walked on until both its ends are outline points, so that the piece
// outlines are read between real outline points.
TEST(BreakPolygon, ACrackFromAnInnerTriangleIsWalkedOnToTheOutline)
{
    const TracedGeometry source = MeshedEllipse(48, 60.0f, 40.0f, 8.0f);
    const int32_t n = source.mOutlineCount;
    int32_t innerEnded = 0;
    for (int32_t t = 0; t < source.mTriangles.Count(); ++t) {
        const IndexTriangle& tri = source.mTriangles[t];
        const int32_t inner = (tri.mA >= n) + (tri.mB >= n) + (tri.mC >= n);
        if (inner < 2) continue;
        ++innerEnded;
        TracedGeometry g = source, a, b;
        Random random;
        CrackResult crack;
        ASSERT_TRUE(BreakPolygon(g, FromTriangle(t), a, b, random, &crack)) << "triangle " << t << " error "
                                                                              << LastError();
        EXPECT_LT(crack.mFirstPoint, n);
        EXPECT_LT(crack.mLastPoint, n);
        ExpectSoundPiece(a);
        ExpectSoundPiece(b);
        ExpectPiecesCoverSource(source, a, b);
    }
    EXPECT_GT(innerEnded, 10);
}

TEST(BreakPolygon, RefusalsReportTheirCodes)
{
    const TracedGeometry source = MeshedEllipse(40, 50.0f, 40.0f);
    const int32_t n = source.mOutlineCount;
    // The first crack edge of a good break, and its triangles, for the corruptions below.
    TracedGeometry probe = source, pa, pb;
    Random probeRandom;
    ASSERT_TRUE(BreakPolygon(probe, FromOutline(0, {-1, 0}), pa, pb, probeRandom, nullptr));
    ASSERT_GE(probe.mCrackPoints.Count(), 3);
    const int32_t crackEdge = probe.mCrackEdges[0];
    const int32_t startPoint = probe.mCrackPoints[0];
    // An inner edge well away from the crack, and one of its triangles' other edges.
    int32_t farEdge = -1;
    for (int32_t e = source.mInnerEdges.Count() - 1; e >= 0 && farEdge < 0; --e)
        if (probe.mEdgeClasses[e].mKind == 1 && !probe.mOnCrack[source.mInnerEdges[e].mA] &&
            !probe.mOnCrack[source.mInnerEdges[e].mB])
            farEdge = e;
    ASSERT_GE(farEdge, 0);

    struct Case {
        const char* name;
        CrackRequest request;
        void (*corrupt)(TracedGeometry& g, int32_t crackEdge, int32_t startPoint, int32_t farEdge);
        std::set<int32_t> codes;
    };
    const auto none = [](TracedGeometry&, int32_t, int32_t, int32_t) {};
    CrackRequest core = FromOutline(0, {-1, 0});
    core.mBreakCoreToo = false;
    CrackRequest otherNegative = FromOutline(0, {-1, 0});
    otherNegative.mStartTriangle = -2;
    const Case cases[] = {
        {"start point below 0", FromOutline(-1, {1, 0}), none, {kBreakStartOutOfRange}},
        {"start point past the outline", FromOutline(n, {1, 0}), none, {kBreakStartOutOfRange}},
        {"triangle past the mesh", FromTriangle(source.mTriangles.Count()), none, {kBreakStartOutOfRange}},
        {"triangle index below -1", otherNegative, none, {kBreakStartOutOfRange}},
        {"edge that misses its point", FromOutline(0, {-1, 0}),
         [](TracedGeometry& g, int32_t, int32_t start, int32_t) {
             const int32_t e = g.mPointEdgeEntries[g.FirstPointEdgeNode(start)];
             g.mInnerEdges[e].mA = g.mInnerEdges[e].mB = start == 1 ? 2 : 1;
         },
         {kBreakBadInnerEdge}},
        {"edge with a negative far end", FromOutline(0, {-1, 0}),
         [](TracedGeometry& g, int32_t, int32_t start, int32_t) {
             MeshEdge& e = g.mInnerEdges[g.mPointEdgeEntries[g.FirstPointEdgeNode(start)]];
             (e.mA == start ? e.mB : e.mA) = -1;
         },
         {kBreakBadInnerEdge}},
        {"walk stopped by core edges", core,
         [](TracedGeometry& g, int32_t, int32_t, int32_t) {
             g.mCoreEdgeFlags.Resize(g.mInnerEdges.Count());
             g.mCoreEdgeFlags.Fill(1);
         },
         {kBreakCrackTooShort}},
        {"crack triangles sharing an edge across the crack", FromOutline(0, {-1, 0}),
         [](TracedGeometry& g, int32_t crack, int32_t, int32_t) {
             EdgeTriangle& first = g.mEdgeTriangles[g.mInnerEdges[crack].mTriangle1];
             EdgeTriangle& second = g.mEdgeTriangles[g.mInnerEdges[crack].mTriangle2];
             for (int32_t& e : second.mEdges)
                 if (e >= 0 && e != crack)
                     for (int32_t f : first.mEdges)
                         if (f >= 0 && f != crack) e = f;
         },
         {kBreakSideAToB, kBreakSideBToA}},
        {"crack triangle without the crack point", FromOutline(0, {-1, 0}),
         [](TracedGeometry& g, int32_t crack, int32_t, int32_t far) {
             g.mInnerEdges[crack].mTriangle1 = g.mInnerEdges[far].mTriangle1;
         },
         {kBreakTriangleOffCrack}},
        {"triangle spreading into the other piece", FromOutline(0, {-1, 0}),
         [](TracedGeometry& g, int32_t crack, int32_t, int32_t far) {
             // A triangle far away on one side claims an edge beside the crack on the other.
             const EdgeTriangle& beside = g.mEdgeTriangles[g.mInnerEdges[crack].mTriangle2];
             int32_t claimed = -1;
             for (int32_t e : beside.mEdges)
                 if (e >= 0 && e != crack) claimed = e;
             for (int32_t& e : g.mEdgeTriangles[g.mInnerEdges[far].mTriangle1].mEdges)
                 if (e >= 0 && e != far) e = claimed;
         },
         {kBreakSideAToB, kBreakSideBToA, kBreakSpreadAToB, kBreakSpreadBToA}},
        {"edge without its first triangle", FromOutline(0, {-1, 0}),
         [](TracedGeometry& g, int32_t, int32_t, int32_t far) { g.mInnerEdges[far].mTriangle1 = -1; },
         {kBreakLinkFirstTriangle}},
        {"edge without its second triangle", FromOutline(0, {-1, 0}),
         [](TracedGeometry& g, int32_t, int32_t, int32_t far) { g.mInnerEdges[far].mTriangle2 = -1; },
         {kBreakLinkSecondTriangle}},
        {"edge that no triangle names", FromOutline(0, {-1, 0}),
         [](TracedGeometry& g, int32_t, int32_t, int32_t far) {
             const MeshEdge copy = g.mInnerEdges[far];
             g.mInnerEdges.PushBack(copy);
             g.mInnerEdgeInvLengths.PushBack(1.0f);
         },
         {kBreakLinkUnassigned}},
    };
    for (const Case& c : cases) {
        TracedGeometry g = source, a, b;
        c.corrupt(g, crackEdge, startPoint, farEdge);
        Random random;
        ClearLastError();
        EXPECT_FALSE(BreakPolygon(g, c.request, a, b, random, nullptr)) << c.name;
        EXPECT_TRUE(c.codes.count(LastError())) << c.name << ": code " << LastError();
    }
}

TEST(BreakPolygon, ACrackThatStopsInsideIsRefused)
{
    TracedGeometry g = MeshedEllipse(48, 60.0f, 40.0f, 8.0f), a, b;
    const int32_t n = g.mOutlineCount;
    // A triangle of inner points whose every way on is a core edge.
    int32_t triangle = -1;
    for (int32_t t = 0; t < g.mTriangles.Count() && triangle < 0; ++t) {
        const IndexTriangle& tri = g.mTriangles[t];
        if (tri.mA >= n && tri.mB >= n && tri.mC >= n) triangle = t;
    }
    ASSERT_GE(triangle, 0);
    g.mCoreEdgeFlags.Resize(g.mInnerEdges.Count());
    g.mCoreEdgeFlags.Fill(1);
    CrackRequest request = FromTriangle(triangle);
    request.mBreakCoreToo = false;
    Random random;
    ClearLastError();
    EXPECT_FALSE(BreakPolygon(g, request, a, b, random, nullptr));
    EXPECT_EQ(LastError(), kBreakCrackEndsInside);
}

TEST(BreakPolygon, CarriesCoreFlagsAndTexturePointsIntoThePieces)
{
    TracedGeometry g = MeshedEllipse(40, 50.0f, 40.0f), a, b;
    g.mCoreRadius = 20.0f;
    g.mHullDistance = 0.0f;
    g.ClassifyCoreEdges();
    g.MarkCorePoints();
    g.BuildScaledPoints({100, 100}, {0.01f, 0.01f});
    Random random;
    ASSERT_TRUE(BreakPolygon(g, FromOutline(0, {-1, 0}), a, b, random, nullptr));
    int32_t corePoints = 0;
    for (int32_t p = 0; p < g.mPoints.Count(); ++p) {
        const PiecePair& pair = g.mPiecePairs[p];
        if (pair.mA >= 0) {
            EXPECT_EQ(a.mCorePointFlags[pair.mA], g.mCorePointFlags[p]);
            EXPECT_EQ(a.mScaledPoints[pair.mA], g.mScaledPoints[p]);
        }
        if (pair.mB >= 0) {
            EXPECT_EQ(b.mCorePointFlags[pair.mB], g.mCorePointFlags[p]);
            EXPECT_EQ(b.mScaledPoints[pair.mB], g.mScaledPoints[p]);
        }
        corePoints += g.mCorePointFlags[p];
    }
    EXPECT_GT(corePoints, 0);
}
