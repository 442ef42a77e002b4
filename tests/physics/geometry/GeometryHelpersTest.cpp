#include <gtest/gtest.h>
#include <cmath>
#include "base/MemoryStream.h"
#include "physics/geometry/ExactPredicates.h"
#include "physics/geometry/GeometryHelpers.h"

using namespace KIV;

TEST(GeometryHelpers, LineIntersectionAndFeet)
{
    VectorF x(-1, -1);
    EXPECT_FALSE(LineIntersection({0, 0}, {10, 0}, {0, 1}, {10, 1}, x));
    EXPECT_EQ(x, VectorF(-1, -1));
    // Lines that meet beyond the segments' ends still intersect.
    ASSERT_TRUE(LineIntersection({0, 0}, {1, 0}, {5, -1}, {5, 1}, x));
    EXPECT_EQ(x, VectorF(5, 0));

    VectorF foot;
    ASSERT_TRUE(FootOfPerpendicular({3, 7}, {0, 0}, {10, 0}, foot));
    EXPECT_EQ(foot, VectorF(3, 0));
    EXPECT_FALSE(FootOfPerpendicular({3, 7}, {2, 2}, {2, 2}, foot));

    VectorF feet[3];
    ASSERT_TRUE(ComputeThreeFeet({0, 0}, {10, 0}, {0, 10}, {2, 3}, feet));
    EXPECT_EQ(feet[0], VectorF(2, 0));   // on a-b, from a
    EXPECT_NEAR(feet[1].mX, -5.5f, 1e-5f); // on b-c at (4.5, 5.5), from b
    EXPECT_NEAR(feet[1].mY, 5.5f, 1e-5f);
    EXPECT_EQ(feet[2], VectorF(0, -7)); // on c-a at (0, 3), from c
    EXPECT_FALSE(ComputeThreeFeet({0, 0}, {0, 0}, {0, 10}, {2, 3}, feet));
}

TEST(GeometryHelpers, RayCrossingAndPointInTriangle)
{
    VectorF crossing;
    EXPECT_TRUE(EdgeCrossesRay({5, -5}, {5, 5}, {0, 0}, crossing));
    EXPECT_EQ(crossing, VectorF(5, 0));
    EXPECT_FALSE(EdgeCrossesRay({-5, -5}, {-5, 5}, {0, 0}, crossing)); // left of the point
    EXPECT_FALSE(EdgeCrossesRay({0, 5}, {10, 5}, {0, 0}, crossing));   // does not reach the line
    EXPECT_FALSE(EdgeCrossesRay({2, 0}, {9, 0}, {0, 0}, crossing));    // along the line

    const VectorF a(0, 0), b(10, 0), c(0, 10);
    EXPECT_TRUE(IsPointInTriangle({2, 2}, a, b, c));
    EXPECT_TRUE(IsPointInTriangle({2, 2}, a, c, b)); // either winding
    EXPECT_TRUE(IsPointInTriangle({5, 0}, a, b, c)); // on a side
    EXPECT_FALSE(IsPointInTriangle({6, 6}, a, b, c));

    EXPECT_TRUE(Orientation({0, 0}, {0, 10}, {10, 0}));
    EXPECT_FALSE(Orientation({0, 0}, {10, 0}, {0, 10}));
    EXPECT_FALSE(Orientation({0, 0}, {5, 0}, {10, 0}));
}

TEST(GeometryHelpers, CircumcentreAndExactCircleTests)
{
    EXPECT_EQ(ComputeCircumcentre({0, 0}, {4, 0}, {0, 6}), VectorF(2, 3));
    // Collinear points give the first point.
    EXPECT_EQ(ComputeCircumcentre({1, 1}, {2, 2}, {3, 3}), VectorF(1, 1));

    struct Case {
        const char* name;
        VectorF a, b, c, d;
        int inCircle;
    };
    const Case cases[] = {
        {"inside", {0, 0}, {10, 0}, {0, 10}, {3, 3}, 1},
        {"outside", {0, 0}, {10, 0}, {0, 10}, {20, 20}, -1},
        // Lattice points on x^2 + y^2 = 25: exactly on the circle.
        {"cocircular", {5, 0}, {3, 4}, {-4, 3}, {0, -5}, 0},
        {"cocircular far away", {1005, 2000}, {1003, 2004}, {996, 2003}, {1000, 1995}, 0},
        // Inside by far less than a float circle centre can resolve.
        {"just inside", {0, 0}, {1, 0}, {0, 1}, {1.0f, 0.99999994f}, 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(OrientationSign(k.a, k.b, k.c), 1);
        EXPECT_EQ(InCircleSign(k.a, k.b, k.c, k.d), k.inCircle);
        // The same circle walked the other way round.
        EXPECT_EQ(IsInsideCircle(k.a, k.c, k.b, k.d), k.inCircle > 0);
        // Set up once for the triangle, from another of its corners, and
        // walked the other way round.
        const VectorF turned[3] = {k.b, k.c, k.a};
        InCircleTest test;
        EXPECT_EQ(test.Prepare(turned[0], turned[1], turned[2]), 1);
        EXPECT_EQ(test.Sign(k.d, [&](int i) { return turned[i]; }), k.inCircle);
        const VectorF mirrored[3] = {k.a, k.c, k.b};
        EXPECT_EQ(test.Prepare(mirrored[0], mirrored[1], mirrored[2]), -1);
        EXPECT_EQ(test.Sign(k.d, [&](int i) { return mirrored[i]; }), -k.inCircle);
    }
    EXPECT_EQ(OrientationSign({0, 0}, {1e-7f, 1e-7f}, {3e7f, 3e7f}), 0);
    EXPECT_FALSE(IsInsideCircle({0, 0}, {1, 1}, {2, 2}, {1, 0}));
    InCircleTest flat;
    EXPECT_EQ(flat.Prepare({0, 0}, {1e-7f, 1e-7f}, {3e7f, 3e7f}), 0);
}

// The circle test set up once per triangle answers as the one-off test does,
// over lattice points (many exactly on a circle or a line) and the same
// points moved by one unit in the last place, far from the origin too, where
// the sums come closest to the bound.
TEST(GeometryHelpers, PreparedCircleTestAgreesWithTheOneOffTest)
{
    const float offsets[] = {0.0f, 1000.0f, 65536.0f};
    int32_t cases = 0, onCircle = 0;
    for (const float offset : offsets) {
        uint32_t state = 12345;
        const auto next = [&state] {
            state = state * 1103515245u + 12345u;
            return int32_t((state >> 16) % 11) - 5;
        };
        for (int32_t round = 0; round < 4000; ++round) {
            VectorF p[4];
            for (VectorF& q : p) q = VectorF(offset + float(next()), offset + float(next()));
            if (round % 3 == 1) p[3].mX = std::nextafter(p[3].mX, 1e30f);
            if (round % 3 == 2) p[3].mY = std::nextafter(p[3].mY, -1e30f);
            InCircleTest test;
            ASSERT_EQ(test.Prepare(p[0], p[1], p[2]), OrientationSign(p[0], p[1], p[2]));
            const int expected = InCircleSign(p[0], p[1], p[2], p[3]);
            ASSERT_EQ(test.Sign(p[3], [&](int i) { return p[i]; }), expected)
                << offset << ": " << p[0].mX << "," << p[0].mY << " " << p[1].mX << "," << p[1].mY << " " << p[2].mX
                << "," << p[2].mY << " " << p[3].mX << "," << p[3].mY;
            ++cases;
            onCircle += expected == 0;
        }
    }
    EXPECT_EQ(cases, 12000);
    EXPECT_GT(onCircle, 100);
}

TEST(GeometryHelpers, PointTransferBetweenTriangles)
{
    const VectorF a(0, 0), b(10, 0), c(0, 10);
    const VectorF a2(100, 100), b2(120, 100), c2(100, 120); // twice as large, moved
    EXPECT_EQ(TransferPointBetweenTriangles(b, a, b, c, a2, b2, c2), b2);
    const VectorF p = TransferPointBetweenTriangles({2, 3}, a, b, c, a2, b2, c2);
    EXPECT_NEAR(p.mX, 104.0f, 1e-4f);
    EXPECT_NEAR(p.mY, 106.0f, 1e-4f);
    // A degenerate source side gives the point back (vertices) or the first
    // corner (records).
    EXPECT_EQ(TransferPointBetweenTriangles({2, 3}, a, b, b, a2, b2, c2), VectorF(2, 3));
    const VectorF from[3] = {a, b, b};
    const VectorF to[3] = {a2, b2, c2};
    EXPECT_EQ(TransferPointBetweenTriangleRecords({2, 3}, from, to), a2);
    const VectorF fromOk[3] = {a, b, c};
    EXPECT_EQ(TransferPointBetweenTriangleRecords(c, fromOk, to), c2);

    EXPECT_EQ(ScalePointAbout({3, 5}, {1, 1}, {2, 3}), VectorF(5, 13));
    const VectorF r = RotatePointAbout({2, 1}, {1, 1}, 1.5707964f);
    // Clockwise form: x' = x cos + y sin, y' = y cos - x sin about the centre.
    EXPECT_NEAR(r.mX, 1.0f, 1e-6f);
    EXPECT_NEAR(r.mY, 0.0f, 1e-6f);
    const VectorF record[2] = {{1, 2}, {3, 4}};
    EXPECT_EQ(GetRecordEndPoint(record), VectorF(4, 6));
}

TEST(GeometryHelpers, BezierSidePointsAndRecord)
{
    BezierSide side;
    side.mStart = {0, 0};
    side.mEnd = {30, 0};
    side.mStartControl = {10, 0};
    side.mEndControl = {-10, 0};
    EXPECT_EQ(ComputeFrameCorners(side, 0.0f), side.mStart);
    EXPECT_EQ(ComputeFrameCorners(side, 1.0f), side.mEnd);
    EXPECT_NEAR(ComputeFrameCorners(side, 0.5f).mX, 15.0f, 1e-5f);
    side.mStartControl = {0, 12};
    side.mEndControl = {0, 12};
    EXPECT_NEAR(ComputeFrameCorners(side, 0.5f).mY, 9.0f, 1e-5f); // 0.75 of the controls' height

    MemoryStream stream;
    ASSERT_TRUE(WriteBezierSide(stream, side));
    EXPECT_EQ(stream.GetSize(), 33);
    EXPECT_EQ(stream.GetData()[0], 1);
    stream.SetPosition(0);
    BezierSide back;
    ReadBezierSide(stream, back);
    EXPECT_EQ(back.mStart, side.mStart);
    EXPECT_EQ(back.mEnd, side.mEnd);
    EXPECT_EQ(back.mStartControl, side.mStartControl);
    EXPECT_EQ(back.mEndControl, side.mEndControl);

    // A record cut after its first three values keeps the rest as they were.
    MemoryStream cut;
    cut.WriteBytes(stream.GetData(), 1 + 3 * 4);
    cut.SetPosition(0);
    BezierSide partial;
    partial.mEnd = {7, 7};
    ReadBezierSide(cut, partial);
    EXPECT_EQ(partial.mStart, side.mStart);
    EXPECT_EQ(partial.mEnd, VectorF(30, 7));
}

TEST(GeometryHelpers, ColourBlends)
{
    const ColorRGBA blended = BlendColorTowards(ColorRGBA(200, 0, 100, 77), ColorRGBA(100, 255, 100, 0), 0.5f);
    EXPECT_EQ(blended, ColorRGBA(150, 128, 100, 77)); // 127.5 rounds away from zero; alpha stays
    ColorRGB a, b;
    a.mRed = 10;
    b.mRed = 20;
    a.mGreen = 200;
    b.mGreen = 0;
    const ColorRGB c = BlendColors(a, b, 0.25f);
    EXPECT_EQ(c.mRed, 13); // 10 + round(2.5)
    EXPECT_EQ(c.mGreen, 150);
    EXPECT_EQ(c.mBlue, 0);

    MemoryStream stream;
    stream.WriteByte(1);
    stream.WriteByte(2);
    stream.SetPosition(0);
    ColorRGB read;
    read.mBlue = 9;
    ReadColorRGB(stream, read);
    EXPECT_EQ(read.mRed, 1);
    EXPECT_EQ(read.mGreen, 2);
    EXPECT_EQ(read.mBlue, 9);
}
