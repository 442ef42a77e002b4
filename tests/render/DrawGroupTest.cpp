#include <gtest/gtest.h>
#include <limits>
#include "render/DrawGroup.h"
#include "render/Shape.h"

using namespace KIV;

namespace {

// Small triangles, one at each of the given centres, in list order.
void AddTriangles(Shape& s, const std::vector<VectorF>& centres)
{
    Array<VectorF> points;
    for (const VectorF& c : centres) {
        points.PushBack({c.mX - 1, c.mY - 1});
        points.PushBack({c.mX + 1, c.mY - 1});
        points.PushBack({c.mX, c.mY + 1});
    }
    ASSERT_TRUE(s.InitPoints(3, points, ColorRGBA()));
    for (size_t i = 0; i < centres.size(); ++i) {
        const uint16_t b = uint16_t(3 * i);
        s.mTriangles.PushBack({b, uint16_t(b + 1), uint16_t(b + 2)});
    }
}

std::vector<int> TriangleOrder(const Shape& s)
{
    std::vector<int> order;
    for (const IndexTriangle& t : s.mTriangles) order.push_back(t.mA / 3);
    return order;
}

} // namespace

TEST(DrawGroups, GroupsFollowCellsRowByRowAndKeepOrderWithin)
{
    Shape s;
    // Bounds (0..201, 0..201) with cell 100: two columns and two rows of 100.5.
    AddTriangles(s, {{150, 150}, {1, 1}, {150, 1}, {100, 20}, {1, 150}, {200, 200}});
    ASSERT_TRUE(s.BuildDrawGroups(s.mTriangles, 100.0f));
    ASSERT_EQ(s.mDrawGroups.Count(), 4);
    EXPECT_EQ(TriangleOrder(s), (std::vector<int>{1, 3, 2, 4, 0, 5}));
    const int32_t firsts[] = {0, 2, 3, 4};
    const int32_t counts[] = {2, 1, 1, 2};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(s.mDrawGroups[i].mFirstTriangle, firsts[i]);
        EXPECT_EQ(s.mDrawGroups[i].mTriangleCount, counts[i]);
        EXPECT_EQ(s.mDrawGroups[i].mSameLights, 1);
        EXPECT_EQ(s.mDrawGroups[i].mLightCount, 0);
    }
    // A triangle whose centre lies in the first cell sticks out of it: the group's rectangle follows.
    EXPECT_EQ(s.mDrawGroups[0].mRect.x2, 101.0f);
    EXPECT_EQ(s.mDrawGroups[3].mRect, RectF(100.5f, 100.5f, 201, 201));
}

TEST(DrawGroups, SmallShapeAndZeroCellGiveOneGroup)
{
    Shape small;
    AddTriangles(small, {{5, 5}, {8, 8}});
    ASSERT_TRUE(small.BuildDrawGroups(small.mTriangles, 100.0f));
    ASSERT_EQ(small.mDrawGroups.Count(), 1);
    EXPECT_EQ(small.mDrawGroups[0].mTriangleCount, 2);

    Shape zero;
    AddTriangles(zero, {{150, 150}, {10, 10}});
    ASSERT_TRUE(zero.BuildDrawGroups(zero.mTriangles, 0.0f));
    ASSERT_EQ(zero.mDrawGroups.Count(), 1);
    EXPECT_EQ(zero.mDrawGroups[0].mRect, zero.mBounds);
    EXPECT_EQ(TriangleOrder(zero), (std::vector<int>{0, 1}));
}

TEST(DrawGroups, RefusesNothingToGroupAndFreesTheGroups)
{
    Shape s;
    AddTriangles(s, {{5, 5}});
    ASSERT_TRUE(s.BuildDrawGroups(s.mTriangles, 10.0f));
    Array<IndexTriangle> none;
    EXPECT_FALSE(GroupTrianglesByCell(10.0f, s.mBounds, &s.mPoints, none, &s.mTriangles, s.mDrawGroups));
    EXPECT_EQ(s.mDrawGroups.Count(), 0);
    EXPECT_FALSE(GroupTrianglesByCell(10.0f, RectF(), &s.mPoints, s.mTriangles, &s.mTriangles, s.mDrawGroups));

    // A triangle naming a point the shape does not have is refused, not read.
    Array<IndexTriangle> wild;
    wild.PushBack({0, 1, 999});
    Array<IndexTriangle> out;
    EXPECT_FALSE(GroupTrianglesByCell(10.0f, s.mBounds, &s.mPoints, wild, &out, s.mDrawGroups));
}

TEST(DrawGroups, DestinationIsSizedToTheSourceAndCellsAreCapped)
{
    Shape s;
    AddTriangles(s, {{0, 0}, {100000, 100000}});
    Array<IndexTriangle> source(s.mTriangles);
    Array<IndexTriangle> destination;  // empty: the grouping must make room itself
    Array<DrawGroup> groups;
    // 100000 / 0.5 would be 200000 columns and rows of groups.
    ASSERT_TRUE(GroupTrianglesByCell(0.5f, s.mBounds, &s.mPoints, source, &destination, groups));
    EXPECT_EQ(destination.Count(), 2);
    EXPECT_EQ(groups.Count(), 2);
    EXPECT_LE(groups.Capacity(), kMaxDrawGroupCellsPerSide * kMaxDrawGroupCellsPerSide);
}

TEST(DrawGroups, NonFinitePointsStillFallIntoACell)
{
    // A frame from a damaged record evaluates to infinities, and inf - inf to NaN.
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const RectF boundsCases[] = {RectF(0, 0, 300, 300), RectF(-inf, -inf, inf, inf), RectF(0, 0, inf, 300)};
    for (const RectF& bounds : boundsCases) {
        Array<VectorF> points;
        for (const VectorF& p : {VectorF(10, 10), VectorF(nan, 5), VectorF(inf, -inf), VectorF(-inf, 250),
                                 VectorF(290, nan), VectorF(150, 150)})
            points.PushBack(p);
        Array<IndexTriangle> source;
        source.PushBack({0, 1, 2});
        source.PushBack({3, 4, 5});
        source.PushBack({5, 0, 3});
        Array<IndexTriangle> destination;
        Array<DrawGroup> groups;
        ASSERT_TRUE(GroupTrianglesByCell(100.0f, bounds, &points, source, &destination, groups));
        int32_t grouped = 0;
        for (const DrawGroup& g : groups) grouped += g.mTriangleCount;
        EXPECT_EQ(grouped, 3);
        EXPECT_EQ(destination.Count(), 3);
    }
}

TEST(DrawGroups, SameLightsIgnoresOrder)
{
    LightSource a, b, c;
    Array<DrawGroup> groups;
    DrawGroup g1, g2, g3;
    g1.mLights[0] = &a;
    g1.mLights[1] = &b;
    g1.mLightCount = 2;
    g2.mLights[0] = &b;
    g2.mLights[1] = &a;
    g2.mLightCount = 2;
    g3.mLights[0] = &b;
    g3.mLights[1] = &c;
    g3.mLightCount = 2;
    groups.PushBack(g1);
    EXPECT_TRUE(MarkSameLightGroups(groups));
    EXPECT_EQ(groups[0].mSameLights, 0);
    groups.PushBack(g2);
    groups.PushBack(g3);
    EXPECT_TRUE(MarkSameLightGroups(groups));
    EXPECT_EQ(groups[1].mSameLights, 1);
    EXPECT_EQ(groups[2].mSameLights, 0);
    Array<DrawGroup> empty;
    EXPECT_FALSE(MarkSameLightGroups(empty));
}
