#include <gtest/gtest.h>
#include "render/Shape.h"
#include "render/Texture.h"
#include "render/WindowFrame.h"

using namespace KIV;

namespace {

struct FrameFixture : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(mTexture.InitBlank(VectorI(128, 32))); }
    Texture mTexture;
    Shape mShape;
};

} // namespace

TEST_F(FrameFixture, PieceCountFollowsTheButtonSwitches)
{
    struct Case {
        bool first, second, third;
        int32_t points, triangles;
    };
    for (Case c : {Case{false, false, false, 32, 16}, Case{true, false, false, 36, 18}, Case{true, true, true, 44, 22}}) {
        Shape s;
        ASSERT_TRUE(BuildWindowFrameShapes(s, &mTexture, 3.0f, 16.0f, c.first, c.second, c.third, 200, 100));
        EXPECT_EQ(s.mPoints.Count(), c.points);
        EXPECT_EQ(s.mTriangles.Count(), c.triangles);
        EXPECT_EQ(s.mColors.Count(), c.points);
        // Room for every piece, so the buttons never write past the lists.
        EXPECT_EQ(s.mPoints.Capacity(), kWindowFrameMaxPoints);
        EXPECT_EQ(s.mTriangles.Capacity(), kWindowFrameMaxTriangles);
        const IndexTriangle& last = s.mTriangles.Last();
        const uint16_t n = uint16_t(c.points / 4 - 1);
        EXPECT_EQ(last.mA, 4 * n + 2);
        EXPECT_EQ(last.mB, 4 * n + 3);
        EXPECT_EQ(last.mC, 4 * n);
    }
}

TEST_F(FrameFixture, BoundsAndRightmostButtonOfA200By100Window)
{
    ASSERT_TRUE(BuildWindowFrameShapes(mShape, &mTexture, 3.0f, 16.0f, true, true, true, 200, 100));
    EXPECT_EQ(mShape.mBounds, RectF(-3, -16, 203, 103));
    // The third switch's button is the last quad appended.
    EXPECT_EQ(mShape.mPoints[40], (VectorF{189, -14}));
    EXPECT_EQ(mShape.mPoints[42], (VectorF{202, -1}));
    EXPECT_EQ(mShape.mTexCoords[40], mTexture.PixelToTexCoord(54, 2));
    EXPECT_EQ(mShape.mTexture, &mTexture);
    EXPECT_EQ(mShape.mDrawState.mLighted, 0);
    EXPECT_TRUE(mShape.mPointsChanged && mShape.mTrianglesChanged);
    EXPECT_GE(mShape.mDrawGroups.Count(), 1);
}

TEST_F(FrameFixture, ZeroWidthKeepsCapsAndNoTextureChangesNothing)
{
    ASSERT_TRUE(BuildWindowFrameShapes(mShape, &mTexture, 3.0f, 16.0f, false, false, false, 0, 50));
    EXPECT_EQ(mShape.mPoints.Count(), 32);
    EXPECT_EQ(mShape.mPoints[4], (VectorF{0, -16}));  // the stretched title collapses
    EXPECT_EQ(mShape.mPoints[5], (VectorF{0, -16}));
    EXPECT_EQ(mShape.mBounds, RectF(-3, -16, 3, 53));

    Shape untouched;
    EXPECT_FALSE(BuildWindowFrameShapes(untouched, nullptr, 3.0f, 16.0f, true, true, true, 200, 100));
    EXPECT_EQ(untouched.mPoints.Capacity(), 0);
}
