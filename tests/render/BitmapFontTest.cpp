#include <gtest/gtest.h>
#include "render/BitmapFont.h"
#include "render/Shape.h"
#include "render/TextureLib.h"
#include "support/FontPicture.h"
#include "support/PictureFolder.h"

using namespace KIV;

namespace {

// A textures folder holding a generated font picture, and a library on it.
class FontFixture : public PictureFolderTest {
protected:
    void SetUp() override
    {
        PictureFolderTest::SetUp();
        Write(kFontPictureName, MakeFontPicture());
        std::string root = mFolder.Path();
        root.pop_back();
        mLib = std::make_unique<TextureLib>(root);
    }
    void TearDown() override
    {
        mLib.reset();
        PictureFolderTest::TearDown();
    }
    std::unique_ptr<TextureLib> mLib;
    Shape mShape;
};

} // namespace

TEST_F(FontFixture, LettersAreSquaresAndSpacesOnlyAdvance)
{
    ASSERT_TRUE(DrawTextWhite(mShape, "A B", 8.0f, ColorRGBA(10, 20, 30, 255), {100, 50}));
    ASSERT_EQ(mShape.mPoints.Count(), 8);
    ASSERT_EQ(mShape.mTriangles.Count(), 4);
    EXPECT_EQ(mShape.mPoints[0], (VectorF{100, 50}));
    EXPECT_EQ(mShape.mPoints[2], (VectorF{108, 58}));
    EXPECT_EQ(mShape.mPoints[4], (VectorF{116, 50}));  // two glyph sizes to the right
    EXPECT_EQ(mShape.mColors[5], ColorRGBA(10, 20, 30, 255).Pack());
    EXPECT_EQ(mShape.mBounds, RectF(100, 50, 124, 58));
    ASSERT_EQ(mShape.mDrawGroups.Count(), 1);
    EXPECT_EQ(mShape.mDrawGroups[0].mTriangleCount, 4);
    EXPECT_TRUE(mShape.mPointsChanged && mShape.mTrianglesChanged);
    EXPECT_EQ(mShape.mDrawState.mLighted, 0);

    // Glyph 'A' is cell 33: column 1, row 2 of the grid.
    const Texture* font = mShape.mTexture;
    ASSERT_NE(font, nullptr);
    EXPECT_FLOAT_EQ(mShape.mTexCoords[0].mX, font->mSpan.mX / 16.0f);
    EXPECT_FLOAT_EQ(mShape.mTexCoords[0].mY, 2.0f * font->mSpan.mY / 5.95f);
    EXPECT_FLOAT_EQ(mShape.mTexCoords[2].mX, 2.0f * font->mSpan.mX / 16.0f);
}

TEST_F(FontFixture, CharactersWithoutGlyphsTakeNoRoom)
{
    ASSERT_TRUE(DrawTextWhite(mShape, std::string("A\x01\xC8" "B"), 4.0f, ColorRGBA(255, 255, 255, 255), {0, 0}));
    ASSERT_EQ(mShape.mPoints.Count(), 8);
    EXPECT_EQ(mShape.mPoints[4], (VectorF{4, 0}));
    EXPECT_EQ(gGlyphIndex[128], 96);
    EXPECT_EQ(gGlyphIndex[32], 0);

    ASSERT_TRUE(DrawTextWhite(mShape, "", 4.0f, ColorRGBA(), {0, 0}));
    EXPECT_EQ(mShape.mPoints.Count(), 0);
}

TEST_F(FontFixture, CentringCountsEveryCharacterAndAppends)
{
    ASSERT_TRUE(DrawTextWhite(mShape, "X", 10.0f, ColorRGBA(), {0, 0}));
    BitmapFont::DrawTextAligned(mShape, "A \x01" "B", 10.0f, ColorRGBA(), true, true, {100, 100});
    ASSERT_EQ(mShape.mPoints.Count(), 12);
    EXPECT_EQ(mShape.mPoints[4], (VectorF{80, 95}));  // 4 characters × 10 / 2 to the left
    EXPECT_EQ(mShape.mPoints[8], (VectorF{100, 95}));
    EXPECT_EQ(mShape.mTriangles[2].mA, 4);
}

TEST_F(FontFixture, LongTextStopsAtSixteenBitIndices)
{
    const std::string text(20000, 'W');
    ASSERT_TRUE(DrawTextWhite(mShape, text, 1.0f, ColorRGBA(), {0, 0}));
    EXPECT_EQ(mShape.mPoints.Count(), kMaxIndexedPoints);
    EXPECT_EQ(mShape.mTriangles.Last().mC, 65532);
}

TEST(BitmapFont, MissingFontPictureGivesFalse)
{
    TempFolder empty;
    std::string root = empty.Path();
    root.pop_back();
    TextureLib lib(root);
    Shape s;
    EXPECT_FALSE(DrawTextWhite(s, "A", 8.0f, ColorRGBA(), {0, 0}));
}
