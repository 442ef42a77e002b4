#include <gtest/gtest.h>
#include <array>
#include "render/ImageFile.h"
#include "support/PictureFolder.h"

using namespace KIV;

namespace {

using ImageFileTest = PictureFolderTest;

std::array<uint8_t, 4> PixelAt(const ImageFile& img, int32_t x, int32_t y)
{
    const uint8_t* p = img.mPixels.Data() + (size_t(y) * img.mStoredWidth + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

TEST_F(ImageFileTest, CropKeepsOneTransparentMarginLeftAndTopOnly)
{
    TestPicture pic(10, 8);
    pic.FillRect(3, 2, 7, 6, 10, 20, 30);
    pic.Set(4, 3, 200, 100, 50, 255);
    Write("crop.png", pic);

    ImageFile* img = GetImageFile("crop.png");
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->mFullWidth, 10);
    EXPECT_EQ(img->mFullHeight, 8);
    EXPECT_EQ(img->mCropRect, RectI(2, 1, 7, 6));
    EXPECT_EQ(img->mStoredWidth, 5);
    EXPECT_EQ(img->mStoredHeight, 5);
    EXPECT_EQ(img->mBytesPerPixel, 4);
    EXPECT_EQ(img->mPixels.Count(), 5 * 5 * 4);
    // Stored (0, 0) is the margin pixel at (2, 1); (2, 2) is full-picture (4, 3).
    EXPECT_EQ(PixelAt(*img, 0, 0)[3], 0);
    EXPECT_EQ(PixelAt(*img, 1, 1), (std::array<uint8_t, 4>{10, 20, 30, 255}));
    EXPECT_EQ(PixelAt(*img, 2, 2), (std::array<uint8_t, 4>{200, 100, 50, 255}));
    EXPECT_EQ(PixelAt(*img, 4, 4), (std::array<uint8_t, 4>{10, 20, 30, 255}));
}

TEST_F(ImageFileTest, CropMarginIsClampedAtThePictureEdgeAndTransparentPictureIsKeptWhole)
{
    TestPicture corner(6, 5);
    corner.FillRect(0, 0, 2, 3, 255, 0, 0);
    Write("corner.png", corner);
    Write("clear.png", TestPicture(7, 3));

    ImageFile* a = GetImageFile("corner.png");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->mCropRect, RectI(0, 0, 2, 3));
    EXPECT_EQ(a->mStoredWidth, 2);
    EXPECT_EQ(a->mStoredHeight, 3);

    ImageFile* b = GetImageFile("clear.png");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->mCropRect, RectI(0, 0, 7, 3));
    EXPECT_EQ(b->mStoredWidth, 7);
    EXPECT_EQ(b->mStoredHeight, 3);
}

TEST_F(ImageFileTest, TransparentPixelsAreClearedThenTakeTheMeanOfOpaqueNeighbours)
{
    // Row 1: red, gap, blue. The gap sees red, blue and the green below it.
    TestPicture pic(5, 4);
    pic.Set(1, 1, 255, 0, 0);
    pic.Set(3, 1, 0, 0, 255);
    pic.Set(2, 2, 0, 90, 0);
    pic.Set(2, 1, 77, 77, 77, 0);   // hidden colour under alpha 0
    pic.Set(4, 3, 99, 99, 99, 0);   // no opaque neighbour at all
    Write("bleed.png", pic);

    ImageFile* img = GetImageFile("bleed.png");
    ASSERT_NE(img, nullptr);
    ASSERT_EQ(img->mCropRect, RectI(0, 0, 4, 3));
    EXPECT_EQ(PixelAt(*img, 2, 1), (std::array<uint8_t, 4>{85, 30, 85, 0}));
    // (0, 0) sees only the red pixel diagonally.
    EXPECT_EQ(PixelAt(*img, 0, 0), (std::array<uint8_t, 4>{255, 0, 0, 0}));
    // (3, 2) sees blue above and green to the left: integer means, truncated.
    EXPECT_EQ(PixelAt(*img, 3, 2), (std::array<uint8_t, 4>{0, 45, 127, 0}));

    Write("far.png", [] {
        TestPicture p(5, 5);
        p.Set(0, 0, 9, 9, 9);
        p.Set(4, 4, 9, 9, 9);
        p.Set(2, 2, 50, 60, 70, 0);
        return p;
    }());
    ImageFile* far = GetImageFile("far.png");
    ASSERT_NE(far, nullptr);
    EXPECT_EQ(PixelAt(*far, 2, 2), (std::array<uint8_t, 4>{0, 0, 0, 0}));
}

TEST_F(ImageFileTest, TwentyFourBitPictureIsExpandedToOpaqueRGBAAndNotCropped)
{
    TestPicture pic(3, 2, 3);
    pic.Set(0, 0, 1, 2, 3);
    pic.Set(2, 1, 250, 251, 252);
    Write("rgb.png", pic);

    ImageFile* img = GetImageFile("rgb.png");
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->mBytesPerPixel, 4);
    EXPECT_EQ(img->mCropRect, RectI(0, 0, 3, 2));
    ASSERT_EQ(img->mPixels.Count(), 3 * 2 * 4);
    EXPECT_EQ(PixelAt(*img, 0, 0), (std::array<uint8_t, 4>{1, 2, 3, 255}));
    EXPECT_EQ(PixelAt(*img, 1, 0), (std::array<uint8_t, 4>{0, 0, 0, 255}));
    EXPECT_EQ(PixelAt(*img, 2, 1), (std::array<uint8_t, 4>{250, 251, 252, 255}));
}

TEST_F(ImageFileTest, MissingOrUndecodableFilesFailAndAreNotRegistered)
{
    mFolder.WriteFile("junk.png", "this is no picture");
    EXPECT_EQ(GetImageFile(""), nullptr);
    EXPECT_EQ(GetImageFile("missing.png"), nullptr);
    EXPECT_EQ(GetImageFile("junk.png"), nullptr);
    EXPECT_EQ(mRegistry.Count(), 0);
}

TEST_F(ImageFileTest, FailedLoadLeavesTheRecordAsItWas)
{
    TestPicture pic(4, 4);
    pic.FillRect(0, 0, 4, 4, 1, 2, 3);
    Write("ok.png", pic);
    mFolder.WriteFile("junk.png", "garbage");

    ImageFile record;
    ASSERT_TRUE(LoadImageFile(record, "ok.png"));
    EXPECT_FALSE(LoadImageFile(record, "missing.png"));
    EXPECT_FALSE(LoadImageFile(record, "junk.png"));
    EXPECT_EQ(record.mName, "ok.png");
    EXPECT_TRUE(record.mLoaded);
    EXPECT_EQ(record.mStoredWidth, 4);
    EXPECT_EQ(record.mPixels.Count(), 64);
    EXPECT_EQ(record.mDevILImage, 0u);

    ImageFile fresh;
    EXPECT_FALSE(LoadImageFile(fresh, "missing.png"));
    EXPECT_FALSE(fresh.mLoaded);
    EXPECT_TRUE(fresh.mName.empty());
    EXPECT_EQ(fresh.mFullWidth, 0);
    EXPECT_EQ(fresh.mDevILImage, 0u);
}

TEST_F(ImageFileTest, RegisteredRecordIsSharedAndAFailedReloadIsNotRetried)
{
    TestPicture pic(2, 2);
    pic.FillRect(0, 0, 2, 2, 5, 5, 5);
    Write("shared.png", pic);

    ImageFile* first = GetImageFile("shared.png");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetImageFile("shared.png"), first);
    EXPECT_EQ(FindImageFile("shared.png"), first);

    UnloadImageFile(*first);
    EXPECT_FALSE(first->mLoaded);
    EXPECT_EQ(first->mPixels.Count(), 0);
    std::filesystem::remove(OsPath("shared.png"));
    EXPECT_EQ(GetImageFile("shared.png"), nullptr);
    EXPECT_TRUE(first->mLoadFailed);
    EXPECT_EQ(mRegistry.Count(), 1);

    Write("shared.png", pic);
    EXPECT_EQ(GetImageFile("shared.png"), nullptr) << "a failed record is not tried again";
}

TEST_F(ImageFileTest, CopyImageRectPlacesTheCropIntoTheDestination)
{
    TestPicture pic(8, 8);
    pic.FillRect(4, 4, 6, 6, 10, 20, 30);  // crop rectangle (3, 3, 6, 6)
    Write("copy.png", pic);
    ImageFile* img = GetImageFile("copy.png");
    ASSERT_NE(img, nullptr);
    ASSERT_EQ(img->mCropRect, RectI(3, 3, 6, 6));

    struct Case {
        RectI rect;
        int32_t w, h;
        bool swap;
        VectorI opaqueAt;  // destination pixel expected to hold (4, 4); (-1, -1) for none
    };
    const Case cases[] = {
        {RectI(0, 0, 8, 8), 8, 8, false, {4, 4}},
        {RectI(4, 4, 6, 6), 2, 2, false, {0, 0}},
        {RectI(4, 4, 6, 6), 2, 2, true, {0, 0}},
        {RectI(0, 0, 3, 3), 3, 3, false, {-1, -1}},   // lies in the cropped-away margin
        {RectI(6, 0, 8, 8), 2, 8, false, {-1, -1}},
        {RectI(0, 0, 8, 8), 2, 2, false, {-1, -1}},   // destination smaller than the rectangle
        {RectI(2, 2, 9, 9), 4, 4, false, {2, 2}},
    };
    for (const Case& c : cases) {
        Array<uint8_t> dest;
        ASSERT_TRUE(CopyImageRect(*img, dest, c.swap, c.rect, c.w, c.h));
        ASSERT_EQ(dest.Count(), c.w * c.h * 4);
        int32_t opaque = 0;
        for (int32_t i = 0; i < c.w * c.h; ++i) opaque += dest[i * 4 + 3] != 0;
        if (c.opaqueAt.mX < 0) {
            EXPECT_EQ(opaque, 0);
            continue;
        }
        const uint8_t* p = dest.Data() + (c.opaqueAt.mY * c.w + c.opaqueAt.mX) * 4;
        EXPECT_EQ(p[0], c.swap ? 30 : 10);
        EXPECT_EQ(p[2], c.swap ? 10 : 30);
        EXPECT_EQ(p[3], 255);
    }

    ImageFile empty;
    Array<uint8_t> dest;
    EXPECT_FALSE(CopyImageRect(empty, dest, false, RectI(0, 0, 1, 1), 1, 1));
}

TEST_F(ImageFileTest, SaveReplacesAnExistingFileAndScalesToTheTarget)
{
    ImageFile holder;
    std::vector<uint8_t> red(2 * 2 * 4, 255);
    std::vector<uint8_t> blue(4 * 2 * 3, 0);
    for (size_t i = 2; i < blue.size(); i += 3) blue[i] = 200;

    const std::string path = mFolder.PathOf("out.png");
    EXPECT_TRUE(SaveImageFile(holder, red.data(), 2, 2, true, path, 0, 0));
    EXPECT_TRUE(SaveImageFile(holder, blue.data(), 4, 2, false, path, 0, 0));
    ImageFile* back = GetImageFile("out.png");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->mFullWidth, 4);
    EXPECT_EQ(back->mFullHeight, 2);
    EXPECT_EQ(PixelAt(*back, 3, 1), (std::array<uint8_t, 4>{0, 0, 200, 255}));

    EXPECT_TRUE(SaveImageFile(holder, red.data(), 2, 2, true, mFolder.PathOf("thumb.png"), 16, 8));
    ImageFile* thumb = GetImageFile("thumb.png");
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->mFullWidth, 16);
    EXPECT_EQ(thumb->mFullHeight, 8);

    EXPECT_FALSE(SaveImageFile(holder, red.data(), 2, 2, true, mFolder.PathOf("no\\such\\folder.png"), 0, 0))
        << "a save that wrote nothing is not reported as success";
}

} // namespace
