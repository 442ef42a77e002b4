#include <gtest/gtest.h>
#include "render/Shape.h"
#include "render/Texture.h"

using namespace KIV;

namespace {

Array<VectorF> Points(std::initializer_list<VectorF> list)
{
    Array<VectorF> a;
    for (const VectorF& p : list) a.PushBack(p);
    return a;
}

bool SameTriangle(const IndexTriangle& t, uint16_t a, uint16_t b, uint16_t c)
{
    return t.mA == a && t.mB == b && t.mC == c;
}

// A texture with known corner coordinates, without any picture.
Texture* BlankTexture(Texture& t)
{
    EXPECT_TRUE(t.InitBlank(VectorI(64, 32)));
    return &t;
}

} // namespace

TEST(Shape, FreedTwiceDoesNothingTheSecondTime)
{
    Shape s;
    ASSERT_TRUE(s.InitPoints(1, Points({{0, 0}, {4, 4}}), ColorRGBA(1, 2, 3, 4)));
    s.Free();
    EXPECT_EQ(s.mPoints.Capacity(), 0);
    s.Free();
    EXPECT_EQ(s.mPoints.Count(), 0);
    EXPECT_EQ(s.mPoints.GetGrowBy(), 1);
}

TEST(Shape, PointBuildersSetKindStateAndBounds)
{
    Shape s;
    EXPECT_FALSE(s.InitPoints(1, Array<VectorF>(), ColorRGBA()));
    ASSERT_TRUE(s.InitPoints(1, Points({{3, -2}, {-1, 5}}), ColorRGBA(9, 8, 7, 6)));
    EXPECT_EQ(s.mKind, 1);
    EXPECT_EQ(s.mDrawState.mFillColor, ColorRGBA(9, 8, 7, 6));
    EXPECT_EQ(s.mDrawState.mLighted, 0);
    EXPECT_EQ(s.mBounds, RectF(-1, -2, 3, 5));
    EXPECT_TRUE(s.mPointsChanged && s.mTrianglesChanged);

    // Three points and two colours: refused, the shape as it was.
    Array<uint32_t> colours;
    colours.PushBack(1);
    colours.PushBack(2);
    EXPECT_FALSE(s.InitColouredPoints(1, Points({{0, 0}, {1, 1}, {2, 2}}), colours));
    EXPECT_EQ(s.mPoints.Count(), 2);
    EXPECT_EQ(s.mBounds, RectF(-1, -2, 3, 5));
}

TEST(Shape, GridMeshCellsFollowTheSize)
{
    struct Case {
        VectorI size;
        int32_t points, triangles;
    };
    for (Case c : {Case{{100, 30}, 4, 2}, Case{{200, 130}, 12, 12}, Case{{64, 64}, 4, 2}, Case{{4096, 4096}, 65 * 65, 64 * 64 * 2}}) {
        Shape s;
        ASSERT_TRUE(s.BuildGridMesh(c.size, {256, 256}));
        EXPECT_EQ(s.mPoints.Count(), c.points) << c.size.mX;
        EXPECT_EQ(s.mTriangles.Count(), c.triangles) << c.size.mX;
        EXPECT_EQ(s.mColors.Count(), c.points);
    }
    Shape one;
    ASSERT_TRUE(one.BuildGridMesh({100, 30}, {128, 32}));
    EXPECT_TRUE(SameTriangle(one.mTriangles[0], 0, 3, 2));
    EXPECT_TRUE(SameTriangle(one.mTriangles[1], 0, 1, 3));
    EXPECT_EQ(one.mPoints[3], (VectorF{100, 30}));
    EXPECT_EQ(one.mTexCoords[3], (VectorF{100.0f / 128.0f, 30.0f / 32.0f}));

    Shape bad;
    EXPECT_FALSE(bad.BuildGridMesh({0, 10}, {16, 16}));
    // A grid whose points 16-bit indices cannot reach is refused rather than wrapped.
    EXPECT_FALSE(bad.BuildGridMesh({64 * 300, 64 * 300}, {16384, 16384}));
}

TEST(Shape, ColouredQuadPutsTheMarginQuadFirst)
{
    Texture t;
    BlankTexture(t);
    Shape plain, margin0, margin2;
    ASSERT_TRUE(plain.InitTexturedQuad(&t, ColorRGBA(1, 2, 3, 4), RectF(10, 10, 20, 20)));
    ASSERT_TRUE(margin0.InitColouredQuad(&t, ColorRGBA(1, 2, 3, 4), 0.0f, ColorRGBA(), RectF(10, 10, 20, 20)));
    ASSERT_EQ(margin0.mPoints.Count(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(margin0.mPoints[i], plain.mPoints[i]);
    EXPECT_TRUE(SameTriangle(plain.mTriangles[1], 2, 3, 0));
    EXPECT_EQ(plain.mTexCoords[2], t.mCorners[2]);

    ASSERT_TRUE(margin2.InitColouredQuad(&t, ColorRGBA(1, 2, 3, 4), 2.0f, ColorRGBA(5, 5, 5, 5), RectF(10, 10, 20, 20)));
    ASSERT_EQ(margin2.mPoints.Count(), 8);
    EXPECT_EQ(margin2.mPoints[0], (VectorF{8, 8}));
    EXPECT_EQ(margin2.mPoints[4], (VectorF{10, 10}));
    EXPECT_EQ(margin2.mColors[0], ColorRGBA(5, 5, 5, 5).Pack());
    EXPECT_TRUE(SameTriangle(margin2.mTriangles[3], 6, 7, 4));
    EXPECT_EQ(margin2.mDrawGroups.Count(), 1);
    EXPECT_EQ(margin2.mTexture, &t);

    Shape none;
    EXPECT_FALSE(none.InitTexturedQuad(nullptr, ColorRGBA(), RectF(0, 0, 1, 1)));
}

TEST(Shape, SetTextureNeedsAGeneratedTexture)
{
    Texture blank;
    BlankTexture(blank);
    Texture file;
    Shape s;
    EXPECT_FALSE(s.SetTexture(&file, {100, 30}));
    ASSERT_TRUE(s.SetTexture(&blank, {200, 130}));
    EXPECT_EQ(s.mPoints.Count(), 12);
    EXPECT_EQ(s.mBounds, RectF(0, 0, 200, 130));
    EXPECT_GE(s.mDrawGroups.Count(), 1);
    EXPECT_EQ(s.mDrawState.mLighted, 0);
}

TEST(Shape, TranslateMovesBoundsAndGroupsButNotTheTriangleFlag)
{
    Texture t;
    BlankTexture(t);
    Shape s;
    ASSERT_TRUE(s.InitTexturedQuad(&t, ColorRGBA(), RectF(0, 0, 300, 10)));
    s.mPointsChanged = false;
    s.mTrianglesChanged = false;
    s.Translate({5, 0});
    EXPECT_EQ(s.mBounds, RectF(5, 0, 305, 10));
    for (const DrawGroup& g : s.mDrawGroups) EXPECT_EQ(g.mRect, RectF(5, 0, 305, 10));
    EXPECT_TRUE(s.mPointsChanged);
    EXPECT_FALSE(s.mTrianglesChanged);
}

TEST(Shape, GroupBoundsReadIndicesAboveSignedRangeAsPoints)
{
    Shape s;
    Array<VectorF> points;
    ASSERT_TRUE(points.Resize(40003));
    points.FillZero();
    points[40000] = {100, 100};
    points[40001] = {110, 100};
    points[40002] = {110, 120};
    ASSERT_TRUE(s.InitPoints(3, points, ColorRGBA()));
    s.mTriangles.PushBack({40000, 40001, 40002});
    DrawGroup g;
    g.mTriangleCount = 1;
    s.mDrawGroups.PushBack(g);
    s.RecomputeDrawGroupBounds();
    EXPECT_EQ(s.mDrawGroups[0].mRect, RectF(100, 100, 110, 120));
}

TEST(Shape, ResetToTextureEmptiesWithoutTouchingTheFlagsSet)
{
    Texture t;
    BlankTexture(t);
    Shape s;
    ASSERT_TRUE(s.InitTexturedQuad(&t, ColorRGBA(), RectF(0, 0, 1, 1)));
    s.mDrawState.mBlender = 4;
    s.ResetToTexture(&t);
    EXPECT_EQ(s.mPoints.Count(), 0);
    EXPECT_EQ(s.mDrawGroups.Count(), 0);
    EXPECT_EQ(s.mBounds, RectF());
    EXPECT_EQ(s.mDrawState.mBlender, 0);
    EXPECT_FALSE(s.mPointsChanged || s.mTrianglesChanged);
}
