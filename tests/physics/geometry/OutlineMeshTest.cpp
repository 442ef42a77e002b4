#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>
#include "base/Random.h"
#include "physics/geometry/GeometryHelpers.h"
#include "physics/geometry/OutlineMesher.h"
#include "physics/geometry/SampleOutlines.h"
#include "physics/geometry/SegmentIntersection.h"
#include "physics/geometry/TracedGeometry.h"

using namespace KIV;

namespace {

double TwiceSignedArea(const VectorF* p, int32_t n)
{
    double s = 0.0;
    for (int32_t i = 0; i < n; ++i) s += double(p[i].mX) * p[(i + 1) % n].mY - double(p[i].mY) * p[(i + 1) % n].mX;
    return s;
}

float EffectiveSpacingSquared(const Array<VectorF>& outline, float spacing)
{
    float sq = spacing * spacing;
    bool raised = false;
    for (int32_t i = 0; i < outline.Count(); ++i) {
        const float l = (outline[(i + 1) % outline.Count()] - outline[i]).GetLengthSquared();
        if (l > sq) {
            sq = l;
            raised = true;
        }
    }
    const float s = raised ? std::sqrt(sq) : spacing;
    return s * s;
}

int32_t ThirdCorner(const IndexTriangle& t, int32_t a, int32_t b)
{
    for (int32_t c : {int32_t(t.mA), int32_t(t.mB), int32_t(t.mC)})
        if (c != a && c != b) return c;
    return -1;
}

// Every property a built mesh must have, whatever its outline.
void ExpectSoundMesh(const TracedGeometry& g, const Array<VectorF>& outline, float spacing, const std::string& label)
{
    SCOPED_TRACE(label);
    const int32_t n = outline.Count();
    ASSERT_EQ(g.mOutlineCount, n);
    for (int32_t i = 0; i < n; ++i) ASSERT_EQ(g.mPoints[i], outline[i]);
    const int32_t inner = g.GetPointCount() - n;
    EXPECT_EQ(g.GetTriangleCount(), n + 2 * inner - 2);
    EXPECT_EQ(g.GetInnerEdgeCount(), n + 3 * inner - 3);
    EXPECT_EQ(g.mSprings.Count(), g.GetInnerEdgeCount() + n);

    double sum = 0.0;
    for (int32_t t = 0; t < g.GetTriangleCount(); ++t) {
        const IndexTriangle& tri = g.mTriangles[t];
        ASSERT_LT(tri.mA, g.GetPointCount());
        ASSERT_LT(tri.mB, g.GetPointCount());
        ASSERT_LT(tri.mC, g.GetPointCount());
        const VectorF& a = g.mPoints[tri.mA];
        const float cross = Cross(g.mPoints[tri.mB] - a, g.mPoints[tri.mC] - a);
        EXPECT_GT(cross, 0.0f) << "triangle " << t;
        sum += cross * 0.5;
    }
    // Beyond two triangles each triangle's points follow from its edges: two
    // inner edges give their shared point and their far ends, an ear is named
    // from the end two steps on; then a negative winding swaps the last two.
    if (g.GetTriangleCount() > 2) {
        ASSERT_EQ(g.mEdgeTriangles.Count(), g.GetTriangleCount());
        for (int32_t t = 0; t < g.GetTriangleCount(); ++t) {
            int32_t inner[3], count = 0;
            for (int32_t e : g.mEdgeTriangles[t].mEdges)
                if (e >= 0) inner[count++] = e;
            ASSERT_GE(count, 1);
            int32_t p[3];
            const MeshEdge& e1 = g.mInnerEdges[inner[0]];
            if (count >= 2) {
                const MeshEdge& e2 = g.mInnerEdges[inner[1]];
                p[0] = (e1.mA == e2.mA || e1.mA == e2.mB) ? e1.mA : e1.mB;
                p[1] = p[0] == e1.mA ? e1.mB : e1.mA;
                p[2] = p[0] == e2.mA ? e2.mB : e2.mA;
            } else {
                p[0] = (e1.mA + 2) % n == e1.mB ? e1.mB : e1.mA;
                p[1] = (p[0] - 2 + n) % n;
                p[2] = (p[0] - 1 + n) % n;
            }
            if (Cross(g.mPoints[p[1]] - g.mPoints[p[0]], g.mPoints[p[2]] - g.mPoints[p[0]]) <= 0.0f) std::swap(p[1], p[2]);
            EXPECT_EQ(g.mTriangles[t].mA, p[0]) << "triangle " << t;
            EXPECT_EQ(g.mTriangles[t].mB, p[1]) << "triangle " << t;
            EXPECT_EQ(g.mTriangles[t].mC, p[2]) << "triangle " << t;
        }
    }

    const double shoelace = std::fabs(TwiceSignedArea(outline.Data(), n)) * 0.5;
    EXPECT_NEAR(sum, shoelace, shoelace * 1e-4 + 1e-3);
    EXPECT_NEAR(g.mTotalArea, shoelace, shoelace * 1e-4 + 1e-3);

    const float spacingSq = EffectiveSpacingSquared(outline, spacing);
    for (int32_t e = 0; e < g.GetInnerEdgeCount(); ++e) {
        const MeshEdge& edge = g.mInnerEdges[e];
        EXPECT_LE((g.mPoints[edge.mB] - g.mPoints[edge.mA]).GetLengthSquared(), spacingSq) << "edge " << e;
        ASSERT_GE(edge.mTriangle1, 0);
        ASSERT_GE(edge.mTriangle2, 0);
        // No edge left that a flip would change: the far corner lies outside the
        // circle through the other triangle (allowing the rounding of the test),
        // or the flipped triangles would be too thin.
        const int32_t w = ThirdCorner(g.mTriangles[edge.mTriangle1], edge.mA, edge.mB);
        const int32_t z = ThirdCorner(g.mTriangles[edge.mTriangle2], edge.mA, edge.mB);
        ASSERT_GE(w, 0);
        ASSERT_GE(z, 0);
        const VectorF &pu = g.mPoints[edge.mA], &pv = g.mPoints[edge.mB], &pw = g.mPoints[w], &pz = g.mPoints[z];
        const VectorF c = ComputeCircumcentre(pu, pv, pw);
        const float r2 = (pu - c).GetLengthSquared();
        // The centre is found from absolute coordinates, so its rounding grows
        // with their size: cocircular corners far from the origin (a comb's
        // rectangles) may come out either side of the circle.
        float far = 0.0f;
        for (const VectorF* p : {&pu, &pv, &pw, &pz}) far = std::fmax(far, p->GetLengthSquared());
        const bool inside = (pz - c).GetLengthSquared() < r2 * (1.0f - 1e-4f) - far * 1e-5f;
        const bool thick = std::fabs(Cross(pw - pz, pv - pz)) > 0.001f && std::fabs(Cross(pu - pz, pw - pz)) > 0.001f;
        EXPECT_FALSE(inside && thick) << "flippable edge " << e;
    }
}

bool BuildChecked(TracedGeometry& g, const Array<VectorF>& outline, float spacing, const std::string& label)
{
    const bool ok = g.BuildMesh(outline, spacing);
    EXPECT_TRUE(ok) << label;
    if (ok) ExpectSoundMesh(g, outline, spacing, label);
    return ok;
}

// ---- Plain scans, the reference the indexed searches must match exactly ----

bool ScanDiagonal(const OutlineMesher& m, int32_t a, int32_t c)
{
    if (!m.IsDiagonalWithinCorners(a, c)) return false;
    const int32_t n = m.GetGeometry().mOutlineCount;
    for (int32_t i = 0; i < n; ++i)
        if (!m.IsEdgeAtDiagonal(i, a, c) && m.DiagonalCrossesEdge(a, c, i)) return false;
    for (int32_t q = 0; q < n; ++q)
        if (m.IsPointOnDiagonal(a, c, q)) return false;
    return true;
}

int32_t ScanLongestEdge(const OutlineMesher& m)
{
    int32_t best = -1;
    float bestLength = 0.0f;
    for (int32_t e = 0; e < m.GetGeometry().GetInnerEdgeCount(); ++e) {
        const float l = m.GetEdgeLengthSquared(e);
        if (best < 0 || l > bestLength) {
            best = e;
            bestLength = l;
        }
    }
    return best;
}

template <typename T>
bool SameBytes(const Array<T>& a, const Array<T>& b)
{
    return a.Count() == b.Count() && (a.Count() == 0 || std::memcmp(a.Data(), b.Data(), sizeof(T) * a.Count()) == 0);
}

using OutlineMaker = void (*)(Array<VectorF>&, int32_t, Random&);

struct RandomKind {
    const char* name;
    OutlineMaker make;
    int32_t minPoints;
    int32_t maxPoints;
};

const RandomKind kRandomKinds[] = {
    {"convex", MakeRandomConvexOutline, 3, 80},
    {"star", MakeRandomStarOutline, 5, 120},
    {"comb", MakeCombOutline, 8, 100},
    {"nearly collinear", MakeNearlyCollinearOutline, 4, 60},
};

} // namespace

TEST(OutlineMesh, RandomPolygonsGiveSoundMeshes)
{
    Random random;
    for (const RandomKind& kind : kRandomKinds) {
        for (int32_t round = 0; round < 60; ++round) {
            const int32_t n = kind.minPoints + random.NextInt(kind.maxPoints - kind.minPoints + 1);
            Array<VectorF> outline;
            kind.make(outline, n, random);
            const float spacing = random.NextFloatInRange(5.0f, 40.0f);
            // Every fourth outline mirrored: both directions must mesh alike.
            if (round % 4 == 3) ReverseOutline(outline);
            TracedGeometry g;
            BuildChecked(g, outline, spacing, std::string(kind.name) + " #" + std::to_string(round));
        }
    }
}

namespace {

void ExpectSameMeshAsPlainScans(const Array<VectorF>& outline, float spacing)
{
    TracedGeometry fast;
    TracedGeometry plain;
    ASSERT_TRUE(plain.SetOutline(outline));
    OutlineMesher mesher(plain);
    mesher.SetSearches(ScanDiagonal, ScanLongestEdge);
    const bool plainOk = mesher.Triangulate(spacing);
    ASSERT_EQ(fast.BuildMesh(outline, spacing), plainOk);
    if (!plainOk) return;
    EXPECT_TRUE(SameBytes(fast.mPoints, plain.mPoints));
    EXPECT_TRUE(SameBytes(fast.mTriangles, plain.mTriangles));
    EXPECT_TRUE(SameBytes(fast.mInnerEdges, plain.mInnerEdges));
    EXPECT_TRUE(SameBytes(fast.mEdgeTriangles, plain.mEdgeTriangles));
}

} // namespace

TEST(OutlineMesh, IndexedSearchesMatchPlainScans)
{
    Random random;
    for (const RandomKind& kind : kRandomKinds) {
        for (int32_t round = 0; round < 25; ++round) {
            const int32_t n = kind.minPoints + random.NextInt(kind.maxPoints - kind.minPoints + 1);
            Array<VectorF> outline;
            kind.make(outline, n, random);
            SCOPED_TRACE(std::string(kind.name) + " #" + std::to_string(round));
            ExpectSameMeshAsPlainScans(outline, random.NextFloatInRange(4.0f, 30.0f));
        }
    }
    // Outlines on whole pixels give many edges of equal length, where only the
    // lowest index may win, and many cocircular quads.
    for (float diameter : {40.0f, 64.0f, 90.0f}) {
        Array<VectorF> disc;
        MakeDiscOutline(disc, diameter);
        SCOPED_TRACE("disc " + std::to_string(diameter));
        ExpectSameMeshAsPlainScans(disc, 4.0f);
    }
    Array<VectorF> band;
    MakeWavyBandOutline(band, 300);
    SCOPED_TRACE("band");
    ExpectSameMeshAsPlainScans(band, 6.0f);
}

TEST(OutlineMesh, SmallOutlinesGiveTheirNamedTriangles)
{
    // A triangle is one triangle; a square within the spacing is two round the
    // diagonal of its first ear, in the quad's order. Its corners are
    // cocircular, and equal distances do not flip.
    struct Case {
        const char* name;
        Array<VectorF> outline;
        std::vector<IndexTriangle> triangles;
        int32_t springs;
    };
    const Case cases[] = {
        {"triangle", OutlineOf({{0, 0}, {10, 0}, {0, 10}}), {{0, 1, 2}}, 3},
        {"square", OutlineOf({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), {{0, 1, 2}, {2, 3, 0}}, 5},
    };
    for (const Case& c : cases) {
        TracedGeometry g;
        ASSERT_TRUE(BuildChecked(g, c.outline, 20.0f, c.name));
        ASSERT_EQ(g.GetTriangleCount(), int32_t(c.triangles.size())) << c.name;
        for (int32_t t = 0; t < g.GetTriangleCount(); ++t) {
            EXPECT_EQ(g.mTriangles[t].mA, c.triangles[t].mA) << c.name;
            EXPECT_EQ(g.mTriangles[t].mB, c.triangles[t].mB) << c.name;
            EXPECT_EQ(g.mTriangles[t].mC, c.triangles[t].mC) << c.name;
        }
        EXPECT_EQ(g.mSprings.Count(), c.springs) << c.name;
    }
    TracedGeometry square;
    ASSERT_TRUE(square.BuildMesh(cases[1].outline, 20.0f));
    ASSERT_EQ(square.GetInnerEdgeCount(), 1);
    EXPECT_EQ(square.mInnerEdges[0].mA, 0);
    EXPECT_EQ(square.mInnerEdges[0].mB, 2);
}

TEST(OutlineMesh, SquareOfSideTenWithSpacingFiveGainsItsCentre)
{
    // The spacing rises to 10 (the longest outline edge); the diagonal, about
    // 14.14, is split at its midpoint and nothing further.
    const Array<VectorF> outline = OutlineOf({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    TracedGeometry g;
    ASSERT_TRUE(BuildChecked(g, outline, 5.0f, "square 10 / 5"));
    ASSERT_EQ(g.GetPointCount(), 5);
    EXPECT_EQ(g.mPoints[4], VectorF(5.0f, 5.0f));
    EXPECT_EQ(g.GetTriangleCount(), 4);
    EXPECT_EQ(g.GetInnerEdgeCount(), 4);
    for (int32_t e = 0; e < 4; ++e)
        EXPECT_TRUE(g.mInnerEdges[e].mA == 4 || g.mInnerEdges[e].mB == 4) << "edge " << e;
}

TEST(OutlineMesh, PointOnACandidateDiagonalBlocksIt)
{
    // (10, 10) lies exactly on the diagonal from (0, 0) to (20, 20).
    const Array<VectorF> outline = OutlineOf({{0, 0}, {20, 0}, {20, 20}, {10, 10}});
    TracedGeometry g;
    ASSERT_TRUE(BuildChecked(g, outline, 100.0f, "arrow"));
    for (int32_t e = 0; e < g.GetInnerEdgeCount(); ++e) {
        const MeshEdge& edge = g.mInnerEdges[e];
        EXPECT_FALSE((edge.mA == 0 && edge.mB == 2) || (edge.mA == 2 && edge.mB == 0));
    }
}

TEST(OutlineMesh, SmallMeshesWindPositiveInEitherDirection)
{
    struct Case {
        const char* name;
        Array<VectorF> outline;
    };
    Case cases[] = {
        {"triangle", OutlineOf({{0, 0}, {10, 0}, {0, 10}})},
        {"square", OutlineOf({{0, 0}, {10, 0}, {10, 10}, {0, 10}})},
        {"kite", OutlineOf({{0, 0}, {8, -3}, {12, 5}, {2, 9}})},
    };
    for (Case& c : cases) {
        for (int mirrored = 0; mirrored < 2; ++mirrored) {
            if (mirrored) ReverseOutline(c.outline);
            TracedGeometry g;
            BuildChecked(g, c.outline, 100.0f, std::string(c.name) + (mirrored ? " mirrored" : ""));
        }
    }
}

TEST(OutlineMesh, OutlinesThatCannotBeClippedFailAndLeaveTheRecord)
{
    const Array<VectorF> square = OutlineOf({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    struct Case {
        const char* name;
        Array<VectorF> outline;
    };
    const Case cases[] = {
        {"bow tie", OutlineOf({{0, 0}, {10, 10}, {10, 0}, {0, 10}})},
        {"figure eight", OutlineOf({{0, 0}, {10, 0}, {10, 10}, {20, 10}, {20, 20}, {10, 20}, {10, 10}, {0, 10}})},
        {"all on a line", OutlineOf({{0, 0}, {5, 0}, {10, 0}, {15, 0}})},
        {"two points", OutlineOf({{0, 0}, {5, 0}})},
        {"not finite", OutlineOf({{0, 0}, {10, 0}, {NAN, 10}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TracedGeometry g;
        ASSERT_TRUE(g.BuildMesh(square, 100.0f));
        TracedGeometry before;
        before.CopyFrom(g);
        EXPECT_FALSE(g.BuildMesh(c.outline, 10.0f));
        EXPECT_TRUE(SameBytes(g.mPoints, before.mPoints));
        EXPECT_TRUE(SameBytes(g.mTriangles, before.mTriangles));
        EXPECT_TRUE(SameBytes(g.mInnerEdges, before.mInnerEdges));
        EXPECT_TRUE(SameBytes(g.mSprings, before.mSprings));
        EXPECT_EQ(g.mOutlineCount, before.mOutlineCount);
    }
}

TEST(OutlineMesh, MeshBeyondSixteenBitPointsFailsInsteadOfWrapping)
{
    // A disc four times wider than the largest picture: about 270,000 points
    // at the toy spacing.
    Array<VectorF> big;
    MakeDiscOutline(big, 4096.0f);
    TracedGeometry g;
    EXPECT_FALSE(g.BuildMesh(big, 10.0f));
    EXPECT_EQ(g.GetPointCount(), 0);
    EXPECT_EQ(g.GetTriangleCount(), 0);

    // Just inside the limit every index is still right.
    Array<VectorF> disc;
    MakeDiscOutline(disc, 1024.0f);
    ASSERT_TRUE(BuildChecked(g, disc, 10.0f, "disc"));
    EXPECT_LE(g.GetPointCount(), kMaxMeshPoints);
}

TEST(OutlineMesh, LargeOutlinesMeshSoundly)
{
    Array<VectorF> band;
    MakeWavyBandOutline(band, 2048);
    TracedGeometry g;
    BuildChecked(g, band, 10.0f, "wavy band");
    Array<VectorF> ellipse;
    MakeEllipseOutline(ellipse, 1500, 300.0f, 120.0f);
    BuildChecked(g, ellipse, 10.0f, "ellipse");
}
