#include <gtest/gtest.h>
#include <climits>
#include "render/ImageFile.h"
#include "render/Texture.h"
#include "support/PictureFolder.h"

using namespace KIV;

namespace {

TEST(TextureNameTest, NameGrammar)
{
    struct Case {
        const char* full;
        const char* plain;
        const char* file;
        int32_t x, y, w, h;
        bool keep;
    };
    const Case cases[] = {
        {"a.png", "a.png", "a.png", 0, 0, 0, 0, false},
        {"Toys\\ball.png", "Toys\\ball.png", "Toys\\ball.png", 0, 0, 0, 0, false},
        {"a.png:10,20,30,40", "a.png:10,20,30,40", "a.png", 10, 20, 30, 40, false},
        {"a.png|3", "a.png", "a.png", 0, 0, 0, 0, true},
        {"a.png:1,2,3,4|x:5,6", "a.png:1,2,3,4", "a.png", 1, 2, 3, 4, true},
        {"a.png|", "a.png", "a.png", 0, 0, 0, 0, true},
        {"a|b|c", "a", "a", 0, 0, 0, 0, true},
        {"a.png: -5, +7,abc,12,99", "a.png: -5, +7,abc,12,99", "a.png", -5, 7, 0, 12, false},
        {"a.png:5", "a.png:5", "a.png", 5, 0, 0, 0, false},
        {"a.png:", "a.png:", "a.png", 0, 0, 0, 0, false},
        {"a.png:1:2,3,4,5", "a.png:1:2,3,4,5", "a.png", 1, 3, 4, 5, false},
        {"a.png:99999999999,-99999999999,1,1", "a.png:99999999999,-99999999999,1,1", "a.png", INT32_MAX, INT32_MIN,
         1, 1, false},
    };
    for (const Case& c : cases) {
        Texture t;
        t.ParseName(c.full);
        SCOPED_TRACE(c.full);
        EXPECT_EQ(t.mFullName, c.full);
        EXPECT_EQ(t.mPlainName, c.plain);
        EXPECT_EQ(t.mFileName, c.file);
        EXPECT_EQ(t.mNameCropX, c.x);
        EXPECT_EQ(t.mNameCropY, c.y);
        EXPECT_EQ(t.mNameCropWidth, c.w);
        EXPECT_EQ(t.mNameCropHeight, c.h);
        EXPECT_EQ(t.mKeepPixels, c.keep);
    }
}

TEST(TextureNameTest, RoundUpToPowerOfTwo)
{
    const std::pair<int32_t, int32_t> cases[] = {{-5, 1}, {0, 1},       {1, 1},       {2, 2},    {3, 4},
                                                 {100, 128}, {4095, 4096}, {4096, 4096}, {4097, 0}, {INT32_MAX, 0}};
    for (const auto& [in, out] : cases) EXPECT_EQ(RoundUpToPowerOfTwo({in, 3}), VectorI(out, 4)) << in;
}

// What a texture hands the renderer.
struct Upload {
    bool mOk = false;
    Array<uint8_t> mBytes;
    VectorI mSize;
    int32_t mBytesPerPixel = 0;

    explicit Upload(Texture& t) { mOk = t.GetUploadPixels(mBytes, mSize, mBytesPerPixel); }
    const uint8_t* At(int32_t x, int32_t y) const { return mBytes.Data() + (y * mSize.mX + x) * 4; }
};

class TextureTest : public PictureFolderTest {
protected:
    // An opaque picture whose pixel (x, y) has red x and green y.
    static TestPicture Gradient(int32_t w, int32_t h)
    {
        TestPicture p(w, h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) p.Set(x, y, uint8_t(x), uint8_t(y), 77);
        return p;
    }
    static uint32_t Rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { return r | g << 8 | b << 16 | uint32_t(a) << 24; }
};

TEST_F(TextureTest, StorageIsPowerOfTwoAndUploadPutsThePictureTopLeft)
{
    Write("pic.png", Gradient(100, 60));
    Texture t;
    t.ParseName("pic.png");
    ASSERT_TRUE(t.Prepare());
    EXPECT_TRUE(t.mReady);
    EXPECT_EQ(t.mTextureSize, VectorI(100, 60));
    EXPECT_EQ(t.mStorageSize, VectorI(128, 64));
    EXPECT_EQ(t.mTexCoordExtent, VectorF(0.78125f, 0.9375f));
    EXPECT_EQ(t.mCorners[2], VectorF(0.78125f, 0.9375f));
    EXPECT_EQ(t.mCorners[3], VectorF(0.0f, 0.9375f));
    EXPECT_EQ(t.mCentre, VectorF(0.390625f, 0.46875f));
    EXPECT_EQ(t.mInverseSpan, VectorF(1.28f, 1.0f / 0.9375f));
    EXPECT_EQ(t.mMapping, 0);
    EXPECT_TRUE(t.NeedsUpload());

    const Upload up(t);
    ASSERT_TRUE(up.mOk);
    EXPECT_EQ(up.mSize, VectorI(128, 64));
    EXPECT_EQ(up.mBytesPerPixel, 4);
    ASSERT_EQ(up.mBytes.Count(), 128 * 64 * 4);
    EXPECT_EQ(up.At(99, 59)[0], 99);
    EXPECT_EQ(up.At(99, 59)[1], 59);
    EXPECT_EQ(up.At(99, 59)[3], 255);
    int32_t nonZeroOutside = 0;
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 128; ++x)
            if (x >= 100 || y >= 60) nonZeroOutside += up.At(x, y)[0] | up.At(x, y)[1] | up.At(x, y)[2] | up.At(x, y)[3];
    EXPECT_EQ(nonZeroOutside, 0);
}

TEST_F(TextureTest, NameCropSelectsAndClampsTheSourceRectangle)
{
    Write("pic.png", Gradient(100, 60));
    struct Case {
        const char* name;
        RectI source;
        bool ready;
    };
    const Case cases[] = {
        {"pic.png:10,20,30,40", RectI(10, 20, 40, 60), true},
        {"pic.png:90,50,30,40", RectI(90, 50, 100, 60), true},
        {"pic.png:-10,-5,30,40", RectI(0, 0, 20, 35), true},
        {"pic.png:10,20,0,40", RectI(0, 0, 100, 60), true},      // no crop: the picture's own
        {"pic.png:500,500,10,10", RectI(), false},                // nothing of the picture is left
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Texture t;
        t.ParseName(c.name);
        EXPECT_EQ(t.Prepare(), c.ready);
        EXPECT_EQ(t.mReady, c.ready);
        EXPECT_EQ(t.mSourceRect, c.source);
        EXPECT_EQ(t.mTextureSize, c.source.GetSize());
    }
    Texture t;
    t.ParseName("pic.png:10,20,30,40");
    ASSERT_TRUE(t.Prepare());
    const Upload up(t);
    ASSERT_TRUE(up.mOk);
    EXPECT_EQ(up.mSize, VectorI(32, 64));
    EXPECT_EQ(up.At(0, 0)[0], 10);
    EXPECT_EQ(up.At(0, 0)[1], 20);
    EXPECT_EQ(t.PixelToTexCoord(10.0f, 20.0f), VectorF(0.0f, 0.0f));
    EXPECT_EQ(MapPointToTexture(t, t.mTexCoordExtent.mX, t.mTexCoordExtent.mY), VectorF(40.0f, 60.0f));
}

TEST_F(TextureTest, PictureSideAbove4096IsRefused)
{
    Write("wide.png", Gradient(4100, 2));
    Write("edge.png", Gradient(4096, 1));
    Texture wide, edge;
    wide.ParseName("wide.png");
    edge.ParseName("edge.png");
    EXPECT_FALSE(wide.Prepare());
    EXPECT_FALSE(wide.mReady);
    EXPECT_FALSE(Upload(wide).mOk);
    ASSERT_TRUE(edge.Prepare());
    EXPECT_EQ(edge.mStorageSize, VectorI(4096, 1));
}

TEST_F(TextureTest, BarNamesKeepTheirOwnPixelsAndTheBareNameKeepsNone)
{
    Write("pic.png", Gradient(5, 3));
    Texture bare, one, two;
    bare.ParseName("pic.png");
    one.ParseName("pic.png|1");
    two.ParseName("pic.png|2");
    ASSERT_TRUE(bare.Prepare() && one.Prepare() && two.Prepare());
    EXPECT_EQ(bare.mKeptPixels.Count(), 0);
    ASSERT_EQ(one.mKeptPixels.Count(), 15);
    ASSERT_EQ(two.mKeptPixels.Count(), 15);
    EXPECT_EQ(one.mImage, two.mImage);
    EXPECT_EQ(one.mKeptPixels[2 * 5 + 4], Rgba(4, 2, 77, 255));
    one.mKeptPixels[0] = Rgba(1, 1, 1, 1);
    EXPECT_EQ(two.mKeptPixels[0], Rgba(0, 0, 77, 255));

    // The kept pixels are what the renderer uploads.
    const Upload up(one);
    ASSERT_TRUE(up.mOk);
    EXPECT_EQ(up.mSize, VectorI(8, 4));
    EXPECT_EQ(up.At(0, 0)[0], 1);
    EXPECT_EQ(up.At(0, 0)[3], 1);
    EXPECT_EQ(up.At(4, 2)[0], 4);
    EXPECT_EQ(up.At(4, 3)[3], 0);
}

TEST_F(TextureTest, StampDecalBlendsColourAndKeepsAlpha)
{
    TestPicture target(10, 10);
    target.FillRect(0, 0, 10, 10, 0, 0, 200, 128);
    Write("target.png", target);
    TestPicture decal(2, 2);
    decal.FillRect(0, 0, 2, 2, 255, 0, 0, 255);
    Write("decal.png", decal);
    ImageFile* d = GetImageFile("decal.png");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->mStoredWidth, 2);

    Texture t;
    t.ParseName("target.png|1");
    ASSERT_TRUE(t.Prepare());
    const uint32_t plain = t.mKeptPixels[0];
    auto stamp = [&](int32_t opacity) {
        StampDecal(d, &t, 0.0f, opacity, {1.0f, 1.0f}, {5.0f, 5.0f}, {1.0f, 1.0f}, {1.0f, 1.0f});
    };

    stamp(0);
    for (int32_t i = 0; i < 100; ++i) ASSERT_EQ(t.mKeptPixels[i], plain) << i;
    EXPECT_TRUE(t.TakeStamped());
    EXPECT_FALSE(t.TakeStamped());

    stamp(255);
    EXPECT_TRUE(t.mStamped);
    for (int32_t y = 0; y < 10; ++y) {
        for (int32_t x = 0; x < 10; ++x) {
            const bool inside = x >= 4 && x < 6 && y >= 4 && y < 6;
            EXPECT_EQ(t.mKeptPixels[y * 10 + x], inside ? Rgba(255, 0, 0, 128) : plain) << x << "," << y;
        }
    }

    // Half opacity: (255·127 + 0·128) / 255 and (0·127 + 200·128) / 255.
    Texture half;
    half.ParseName("target.png|2");
    ASSERT_TRUE(half.Prepare());
    StampDecal(d, &half, 0.0f, 127, {1.0f, 1.0f}, {5.0f, 5.0f}, {1.0f, 1.0f}, {1.0f, 1.0f});
    EXPECT_EQ(half.mKeptPixels[4 * 10 + 4], Rgba(127, 0, 100, 128));
}

TEST_F(TextureTest, StampingIntoATextureWithoutKeptPixelsDoesNothing)
{
    Write("target.png", Gradient(4, 4));
    TestPicture decal(2, 2);
    decal.FillRect(0, 0, 2, 2, 255, 0, 0);
    Write("decal.png", decal);
    Texture bare, unprepared;
    bare.ParseName("target.png");
    unprepared.ParseName("target.png|1");
    ASSERT_TRUE(bare.Prepare());
    for (Texture* t : {&bare, &unprepared}) {
        StampDecal(GetImageFile("decal.png"), t, 0.3f, 255, {1.0f, 1.0f}, {2.0f, 2.0f}, {1.0f, 1.0f}, {1.0f, 1.0f});
        EXPECT_FALSE(t->mStamped);
        EXPECT_EQ(t->mKeptPixels.Count(), 0);
    }
    StampDecal(nullptr, &bare, 0.0f, 255, {}, {}, {1.0f, 1.0f}, {1.0f, 1.0f});
    EXPECT_FALSE(bare.mStamped);
}

TEST_F(TextureTest, BlankTexturesAcceptOnlyPowerOfTwoSizesAndUploadWhenChanged)
{
    for (VectorI bad : {VectorI(100, 64), VectorI(64, 0), VectorI(8192, 8), VectorI(-4, 4)}) {
        Texture t;
        EXPECT_FALSE(t.InitBlank(bad)) << bad.mX << "x" << bad.mY;
        EXPECT_FALSE(t.mReady);
    }
    Texture t;
    ASSERT_TRUE(t.InitBlank({64, 32}));
    EXPECT_TRUE(t.mGenerated);
    EXPECT_EQ(t.mMapping, 1);
    EXPECT_EQ(t.mTexCoordExtent, VectorF(1.0f, 1.0f));
    EXPECT_EQ(t.mOwnPixels[0], Rgba(100, 100, 100, 100));

    EXPECT_FALSE(t.NeedsUpload());
    EXPECT_FALSE(Upload(t).mOk);
    t.mOwnPixels[64 * 32 - 1] = Rgba(1, 2, 3, 4);
    t.mOwnPixelsChanged = true;
    EXPECT_TRUE(t.NeedsUpload());
    const Upload up(t);
    ASSERT_TRUE(up.mOk);
    EXPECT_EQ(up.mSize, VectorI(64, 32));
    EXPECT_EQ(up.mBytes.Count(), 64 * 32 * 4);
    EXPECT_EQ(up.At(63, 31)[3], 4);
    EXPECT_FALSE(Upload(t).mOk) << "uploaded once per change";
}

TEST_F(TextureTest, AtlasCellsAndReset)
{
    Write("atlas.png", Gradient(64, 32));
    Texture t;
    t.ParseName("atlas.png|1");
    ASSERT_TRUE(t.Prepare());
    EXPECT_EQ(GetAtlasCellTexRect(t, 1, 1, 0, 2), RectF(0.0f, 0.0f, 1.0f, 1.0f));
    const VectorF cell = t.PixelToTexCoord(64.0f, 32.0f);
    const RectF r = GetAtlasCellTexRect(t, 1, 0, 2, 2);
    EXPECT_FLOAT_EQ(r.x1, cell.mX / 2.0f);
    EXPECT_FLOAT_EQ(r.x2, cell.mX);
    EXPECT_FLOAT_EQ(r.y2, cell.mY / 2.0f);

    int scene = 0, system = 0;
    t.mShardSystems.Set(&scene, &system);
    t.Reset();
    EXPECT_FALSE(t.mReady);
    EXPECT_EQ(t.mImage, nullptr);
    EXPECT_EQ(t.mStorageSize, VectorI());
    EXPECT_EQ(t.mShardSystems.Count(), 0);
    EXPECT_EQ(t.mFullName, "atlas.png|1");
    EXPECT_EQ(t.mKeptPixels.Count(), 64 * 32);
    ASSERT_TRUE(t.Prepare());
    EXPECT_EQ(t.mStorageSize, VectorI(64, 32));
}

} // namespace
