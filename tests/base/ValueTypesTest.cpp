#include <gtest/gtest.h>
#include "base/Color.h"
#include "base/FastName.h"
#include "base/PointList.h"
#include "base/Rect.h"
#include "base/Vector.h"

using namespace KIV;

TEST(VectorF, NormalizeGivesZeroVectorTheXAxis)
{
    VectorF v;
    v.Normalize(5.0f);
    EXPECT_EQ(v, VectorF(5.0f, 0.0f));
    VectorF w;
    w.NormalizeInPlace();
    EXPECT_EQ(w, VectorF(1.0f, 0.0f));
    VectorF tiny(1e-30f, 0.0f);
    tiny.NormalizeInPlace();
    EXPECT_FLOAT_EQ(tiny.mX, 1.0f);
}

TEST(VectorF, RotateAndGetRotatedTurnOppositeWays)
{
    VectorF v(1.0f, 0.0f);
    VectorF cw = v.GetRotatedClockwise(kPi / 2);
    VectorF ccw = v.GetRotated(kPi / 2);
    EXPECT_NEAR(cw.mY, -1.0f, 1e-6f);
    EXPECT_NEAR(ccw.mY, 1.0f, 1e-6f);
}

TEST(VectorF, AngularLerpTakesTheShorterWay)
{
    VectorF r = VectorF::AngularLerp({1, 0}, {0, -1}, 0.5f, false);
    // Clockwise by 45 degrees in the math sense: y goes negative.
    EXPECT_NEAR(r.mX, 0.70710677f, 1e-6f);
    EXPECT_NEAR(r.mY, -0.70710677f, 1e-6f);
    EXPECT_EQ(VectorF::AngularLerp({1, 0}, {0, 3}, 0.0f, true), VectorF(1, 0));
    EXPECT_EQ(VectorF::AngularLerp({1, 0}, {0, 3}, 1.0f, true), VectorF(0, 3));
    VectorF half = VectorF::AngularLerp({1, 0}, {0, 3}, 0.5f, true);
    EXPECT_NEAR(half.GetLength(), 2.0f, 1e-5f);
}

TEST(Scalars, RoundWrapAndRatio)
{
    struct { float x; int expected; } rounds[] = {{2.5f, 3}, {-2.5f, -3}, {-0.4f, 0}, {0.0f, 0}, {0.49f, 0}};
    for (auto& c : rounds) EXPECT_EQ(RoundToInt(c.x), c.expected) << c.x;
    EXPECT_FLOAT_EQ(WrapAngle(-0.5f, 0.0f, kTwoPi), kTwoPi - 0.5f);
    EXPECT_FLOAT_EQ(WrapAngle(kTwoPi, 0.0f, kTwoPi), 0.0f);
    EXPECT_EQ(GetClampedRatio({5, 0}), 0.0f);
    EXPECT_EQ(GetClampedRatio({7, 5}), 1.0f);
    EXPECT_EQ(GetClampedRatio({1, 4}), 0.25f);
}

TEST(VectorI, MoveTowardsAndLength)
{
    VectorI p(0, 10);
    p.MoveTowards({10, 0}, 0.25f);
    EXPECT_EQ(p, VectorI(3, 8)); // 2.5 rounds away from zero, 7.5 too
    EXPECT_EQ(VectorI(3, 4).GetLengthRounded(), 5);
    EXPECT_EQ(VectorI(7, -3) / 2, VectorI(3, -1));
}

TEST(FastName, CutsComparesAndClears)
{
    FastName n;
    n.SetByString("abcdefghijklmnopqrst");
    EXPECT_EQ(n.GetInString(), "abcdefghijklmnop");
    FastName ab("ab"), abcd("abcd");
    struct { const FastName* name; const char* text; bool expected; } cases[] = {
        {&ab, "", true}, {&ab, "abc", false}, {&abcd, "ab", true}, {&ab, "aB", false}, {&n, "abcdefghijklmnopXYZ", true}};
    for (auto& c : cases) EXPECT_EQ(c.name->FirstCharactersEqual(c.text), c.expected) << c.text;
    n.SetNull();
    EXPECT_EQ(n.GetInString(), "");
    EXPECT_EQ(n, FastName());
}

TEST(ColorRGBA, LerpTruncatesTheStep)
{
    ColorRGBA from(200, 200, 0, 255), to(100, 100, 255, 0);
    EXPECT_EQ(ColorRGBA::Lerp(from, to, 0.5f).mRed, 150);
    EXPECT_EQ(ColorRGBA::Lerp(from, to, 0.333f).mRed, 167);
    EXPECT_EQ(ColorRGBA::Lerp(from, to, 0.333f).mBlue, 84);
    ColorRGBA c = from;
    c.LerpTowards(to.Pack(), 1.0f);
    EXPECT_EQ(c, to);
    EXPECT_EQ(ColorRGBA(1, 2, 3, 4).Pack(), 0x04030201u);
}

TEST(PointList, NearestBoundsAndDirections)
{
    VectorF pts[] = {{1, 0}, {-1, 0}, {0, 5}};
    EXPECT_EQ(FindNearestPointIndex(pts, 3, {0, 0}), 0); // equal distances: the lower index
    EXPECT_EQ(FindNearestPointIndex(pts, 0, {0, 0}), -1);
    EXPECT_EQ(FindNearestPointIndex(pts, 1, {9, 9}), 0);
    RectF out(7, 7, 7, 7);
    EXPECT_FALSE(ComputePointsBounds(pts, 0, out));
    EXPECT_EQ(out, RectF(7, 7, 7, 7));
    EXPECT_EQ(GetPointsBounds(pts, 0), RectF());
    EXPECT_EQ(GetPointsBounds(pts, 3), RectF(-1, 0, 1, 5));
    EXPECT_EQ(AveragePoints(pts, 0), VectorF());
    EXPECT_EQ(SumPoints(pts, 3), VectorF(0, 5));
    // a = +x, b = +y: cross(a, b) > 0, so "between" is the outer side.
    EXPECT_TRUE(IsDirectionBetween({-1, -1}, {1, 0}, {0, 1}));
    EXPECT_FALSE(IsDirectionBetween({1, 1}, {1, 0}, {0, 1}));
}

TEST(Rect, NormalizeIncludeAndIntersect)
{
    RectF r(5, 6, 1, 2);
    EXPECT_EQ(r.GetNormalized(), RectF(1, 2, 5, 6));
    EXPECT_TRUE(r.IsEmpty());
    RectF a(0, 0, 1, 1);
    a.Include(RectF(2, -1, 3, 0));
    EXPECT_EQ(a, RectF(0, -1, 3, 1));
    RectI i(0, 0, 10, 10);
    i.Intersect(RectI(5, -5, 20, 7));
    EXPECT_EQ(i, RectI(5, 0, 10, 7));
}
