#include <gtest/gtest.h>
#include <vector>
#include "physics/geometry/FragmentGrid.h"
#include "physics/geometry/TracedOutline.h"
#include "render/ImageFile.h"
#include "support/PictureFolder.h"

using namespace KIV;

namespace {

using FragmentGridTest = PictureFolderTest;

std::vector<int32_t> IndicesOf(const FragmentGrid& g) { return {g.mTriangleIndex.begin(), g.mTriangleIndex.end()}; }

TEST_F(FragmentGridTest, TransparentOpaqueAnd24BitPictures)
{
    Write("clear.png", TestPicture(12, 9));
    TestPicture opaque(12, 9);
    opaque.FillRect(0, 0, 12, 9, 1, 2, 3);
    Write("opaque.png", opaque);
    Write("rgb.png", TestPicture(12, 9, 3));

    FragmentCache cache;
    FragmentGrid* g = nullptr;
    ASSERT_TRUE(cache.GetOrBuild(GetImageFile("clear.png"), {3, 2}, g));
    EXPECT_EQ(g->mEmptyCount, 12);
    EXPECT_EQ(g->mUsedCount, 0);
    EXPECT_EQ(g->mUsedVertexCount, 0);
    EXPECT_EQ(IndicesOf(*g), std::vector<int32_t>(12, -1));
    EXPECT_EQ(std::vector<uint8_t>(g->mEmptyFlags.begin(), g->mEmptyFlags.end()), std::vector<uint8_t>(12, 1));

    const std::vector<int32_t> inOrder = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    for (const char* name : {"opaque.png", "rgb.png"}) {
        FragmentCache own;
        ASSERT_TRUE(own.GetOrBuild(GetImageFile(name), {3, 2}, g)) << name;
        EXPECT_EQ(g->mUsedCount, 12);
        EXPECT_EQ(g->mEmptyCount, 0);
        EXPECT_EQ(g->mUsedVertexCount, 4 * 3);
        EXPECT_EQ(IndicesOf(*g), inOrder);
    }

    FragmentGrid all;
    ASSERT_TRUE(all.Allocate({3, 2}));
    EXPECT_EQ(IndicesOf(all), inOrder);
    EXPECT_EQ(all.mUsedVertexCount, 12);
    EXPECT_FALSE(all.Allocate({0, 2}));
}

TEST(FragmentGridBitmap, ACornerPixelKeepsOnlyTheTriangleThatCoversIt)
{
    // 16×16, 2×2 cells of 8: one opaque pixel in the bottom-left corner lies in
    // the lower-left half of cell (0, 1) only; the margins do not reach it
    // from the other cells.
    std::vector<uint8_t> rgba(16 * 16 * 4, 0);
    rgba[(15 * 16 + 0) * 4 + 3] = 1;
    FragmentGrid g;
    ASSERT_TRUE(g.BuildFromBitmap(rgba.data(), 16, 16, 2, 2));
    EXPECT_EQ(IndicesOf(g), (std::vector<int32_t>{-1, -1, -1, -1, 0, -1, -1, -1}));
    EXPECT_EQ(g.mUsedCount, 1);
    EXPECT_EQ(g.mEmptyCount, 7);
    EXPECT_EQ(g.mUsedVertexCount, 3);

    // The margin: a pixel two columns left of cell (1, 0) still counts for it.
    std::vector<uint8_t> line(16 * 16 * 4, 0);
    line[(4 * 16 + 6) * 4 + 3] = 255;
    ASSERT_TRUE(g.BuildFromBitmap(line.data(), 16, 16, 2, 2));
    EXPECT_EQ(g.mTriangleIndex[2], 1) << "lower-left half of cell (1, 0)";
    EXPECT_EQ(g.mTriangleIndex[0], -1);
    EXPECT_EQ(g.mTriangleIndex[1], 0);
}

TEST_F(FragmentGridTest, CacheKeepsOneGridPerSize)
{
    TestPicture p(8, 8);
    p.FillRect(0, 0, 8, 8, 1, 1, 1);
    Write("p.png", p);
    ImageFile* img = GetImageFile("p.png");
    FragmentCache cache;
    FragmentGrid *a = nullptr, *b = nullptr, *c = nullptr;
    ASSERT_TRUE(cache.GetOrBuild(img, {2, 2}, a));
    ASSERT_TRUE(cache.GetOrBuild(img, {2, 2}, b));
    ASSERT_TRUE(cache.GetOrBuild(img, {4, 2}, c));
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(cache.Count(), 2);
    EXPECT_FALSE(cache.GetOrBuild(img, {0, 2}, c));
    EXPECT_EQ(cache.Count(), 2) << "a grid that cannot be made is not kept";

    ImageFile missing;
    missing.mName = "missing.png";
    EXPECT_FALSE(cache.GetOrBuild(&missing, {3, 3}, c));
    EXPECT_TRUE(missing.mLoadFailed);
    EXPECT_FALSE(cache.GetOrBuild(nullptr, {3, 3}, c));
    EXPECT_EQ(cache.Count(), 2);
}

// A 2×2 grid over an 8×8 texture: lattice vertex (r, c) is index r·3 + c.
class MapThroughGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int r = 0; r <= 2; ++r)
            for (int c = 0; c <= 2; ++c) {
                mRest.PushBack(VectorF(c * 4.0f, r * 4.0f));
                mCurrent.PushBack(VectorF(c * 8.0f + 1.0f, r * 4.0f));  // stretched across
            }
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 2; ++c) {
                const uint16_t tl = uint16_t(r * 3 + c), tr = uint16_t(tl + 1), bl = uint16_t(tl + 3),
                               br = uint16_t(tl + 4);
                mIndex.PushBack(mTriangles.Count());
                mTriangles.PushBack({tl, bl, br});
                mIndex.PushBack(mTriangles.Count());
                mTriangles.PushBack({tl, tr, br});
            }
    }
    bool Map(std::initializer_list<VectorF> points)
    {
        mTraced.mPoints.Clear();
        for (const VectorF& p : points) mTraced.mPoints.PushBack(p);
        return MapOutlineThroughGrid(mOut, mTraced, {8, 8}, {2, 2}, mIndex, mTriangles, mRest, mCurrent);
    }
    Array<VectorF> mRest, mCurrent;
    Array<int32_t> mIndex;
    Array<IndexTriangle> mTriangles;
    OutlineRecord mTraced, mOut;
};

TEST_F(MapThroughGridTest, PointsFollowTheirTriangles)
{
    mTraced.mScale = VectorF(3.0f, 3.0f);
    ASSERT_TRUE(Map({{0, 0}, {3, 1}, {6, 6}, {8, 8}}));
    ASSERT_EQ(mOut.mPoints.Count(), 4);
    EXPECT_EQ(mOut.mPoints[0], VectorF(1.0f, 0.0f)) << "a rest corner maps to its corner exactly";
    EXPECT_NEAR(mOut.mPoints[1].mX, 7.0f, 1e-5f);
    EXPECT_NEAR(mOut.mPoints[1].mY, 1.0f, 1e-5f);
    EXPECT_NEAR(mOut.mPoints[2].mX, 13.0f, 1e-5f);
    EXPECT_EQ(mOut.mPoints[3], VectorF(17.0f, 8.0f));
    EXPECT_EQ(mOut.mPoints.Data()[4], mOut.mPoints[0]);
    EXPECT_EQ(mOut.mScale, VectorF(3.0f, 3.0f)) << "the settings come along";
}

TEST_F(MapThroughGridTest, APointOnTheDiagonalBelongsToTheLowerLeftTriangle)
{
    mIndex[1] = -1;  // upper-right half of cell 0 left out
    EXPECT_TRUE(Map({{2, 2}}));
    mIndex[1] = 1;
    mIndex[0] = -1;
    EXPECT_FALSE(Map({{2, 2}}));
}

TEST_F(MapThroughGridTest, BadInputStopsWithFalse)
{
    // Points are mapped from the last to the first.
    EXPECT_FALSE(Map({{9, 1}, {1, 1}})) << "outside the texture";
    EXPECT_NEAR(mOut.mPoints[1].mX, 3.0f, 1e-5f) << "points mapped before the failure stay";

    mTriangles[0].mC = 99;
    EXPECT_FALSE(Map({{1, 3}})) << "a vertex the lists do not hold";

    mIndex.Resize(2);  // covers cell 0 only
    EXPECT_FALSE(Map({{5, 1}})) << "an index list too short for the grid";
    EXPECT_TRUE(Map({}));
}

} // namespace
