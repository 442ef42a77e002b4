#include <gtest/gtest.h>
#include <cmath>
#include <vector>
#include "physics/geometry/TracedOutline.h"
#include "render/ImageFile.h"
#include "support/PictureFolder.h"

using namespace KIV;

namespace {

std::vector<VectorF> PointsOf(const OutlineRecord& r)
{
    return std::vector<VectorF>(r.mPoints.begin(), r.mPoints.end());
}

// Twice the signed area in screen orientation: positive for clockwise on screen.
float SignedAreaTwice(const std::vector<VectorF>& p)
{
    float sum = 0.0f;
    for (size_t i = 0; i < p.size(); ++i) sum += Cross(p[i], p[(i + 1) % p.size()]);
    return sum;
}

bool SpareSlotHoldsFirstPoint(const OutlineRecord& r)
{
    const int32_t n = r.mPoints.Count();
    return n > 0 && r.mPoints.Capacity() > n && r.mPoints.Data()[n] == r.mPoints[0];
}

class TracedOutlineTest : public PictureFolderTest {
protected:
    ImageFile* Picture(const std::string& name, const std::vector<std::string>& art)
    {
        Write(name, TestPicture::FromArt(art));
        return GetImageFile(name);
    }
};

TEST_F(TracedOutlineTest, TraceFollowsTheCracksClockwiseFromTheFirstOpaquePixel)
{
    struct Case {
        const char* what;
        std::vector<std::string> art;
        RectI rect;  // empty: the picture's crop rectangle
        std::vector<VectorF> points;
    };
    const std::vector<Case> cases = {
        {"single pixel", {"...", ".#.", "..."}, RectI(), {{2, 1}, {2, 2}, {1, 2}}},
        {"2x2 block on the picture border",
         {"##..", "##..", "...."},
         RectI(),
         {{1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}}},
        {"two regions: only the first in reading order", {".....", ".#...", "...##", "...##"}, RectI(),
         {{2, 1}, {2, 2}, {1, 2}}},
        {"L shape",
         {".....", ".#...", ".#...", ".###.", "....."},
         RectI(),
         {{2, 1}, {2, 2}, {2, 3}, {3, 3}, {4, 3}, {4, 4}, {3, 4}, {2, 4}, {1, 4}, {1, 3}, {1, 2}}},
        {"diagonal neighbours are separate regions", {"#..", ".#.", "..."}, RectI(), {{1, 0}, {1, 1}, {0, 1}}},
        {"opaque area cut by the rectangle traces along its edges",
         {"####", "####", "####"},
         RectI(1, 1, 3, 3),
         {{2, 1}, {3, 1}, {3, 2}, {3, 3}, {2, 3}, {1, 3}, {1, 2}}},
        {"rectangle larger than the picture", {"##", "##"}, RectI(-50, -50, 90, 90),
         {{1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}}},
    };
    int32_t n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ImageFile* img = Picture("t" + std::to_string(n++) + ".png", c.art);
        ASSERT_NE(img, nullptr);
        OutlineRecord r;
        const RectI rect = c.rect.GetSize().mX > 0 ? c.rect : img->mCropRect;
        ASSERT_TRUE(TraceOutline(img, r, 128, rect));
        EXPECT_EQ(PointsOf(r), c.points);
        EXPECT_GT(SignedAreaTwice(PointsOf(r)), 0.0f) << "clockwise on screen";
    }
}

TEST_F(TracedOutlineTest, TraceFailsWithoutOpaquePixelsOrUsablePicture)
{
    ImageFile* clear = Picture("clear.png", {"...", "..."});
    ImageFile* faint = Picture("faint.png", {"#"});
    ASSERT_TRUE(clear && faint);
    OutlineRecord r;
    EXPECT_FALSE(TraceOutline(clear, r, 128, clear->mCropRect));
    EXPECT_FALSE(TraceOutline(faint, r, 128, RectI(5, 5, 9, 9))) << "the rectangle misses the picture";
    EXPECT_FALSE(TraceOutline(nullptr, r, 128, RectI(0, 0, 1, 1)));
    ImageFile missing;
    missing.mName = "missing.png";
    EXPECT_FALSE(TraceOutline(&missing, r, 128, RectI(0, 0, 1, 1)));
    EXPECT_TRUE(missing.mLoadFailed);
    EXPECT_EQ(r.mPoints.Count(), 0);
}

TEST(TracedOutlineMath, AreaAndCentroidOfEitherOrientation)
{
    const VectorF square[4] = {{0, 0}, {4, 0}, {4, 2}, {0, 2}};
    const VectorF mirrored[4] = {{0, 2}, {4, 2}, {4, 0}, {0, 0}};
    const VectorF pixel[3] = {{1, 0}, {1, 1}, {0, 1}};
    EXPECT_FLOAT_EQ(PolygonArea(square, 4), 8.0f);
    EXPECT_FLOAT_EQ(PolygonArea(mirrored, 4), 8.0f);
    EXPECT_FLOAT_EQ(PolygonArea(pixel, 3), 0.5f);
    EXPECT_EQ(PolygonCentroid(square, 4, 8.0f), VectorF(2.0f, 1.0f));
    EXPECT_EQ(PolygonCentroid(mirrored, 4, 8.0f), VectorF(2.0f, 1.0f));
}

TEST(TracedOutlineMath, SimplifyKeepsAnchorsWithinTheSegmentLimits)
{
    // The outline of a one-pixel-high row of eight pixels, as the trace gives it.
    OutlineRecord r;
    for (int x = 1; x <= 8; ++x) r.mPoints.PushBack(VectorF(float(x), 0.0f));
    for (int x = 8; x >= 0; --x) r.mPoints.PushBack(VectorF(float(x), 1.0f));
    r.mMinSegmentLength = 3;
    r.mMaxSegmentLength = 4;
    r.mMaxDeviation = 1.0f;
    ASSERT_TRUE(SimplifyOutline(r));
    EXPECT_EQ(PointsOf(r), (std::vector<VectorF>{{1, 0}, {5, 0}, {3, 1}}));
    EXPECT_TRUE(SpareSlotHoldsFirstPoint(r));

    struct Bad {
        int32_t minLength, maxLength;
        float deviation;
        int32_t points;
    };
    for (const Bad& b : {Bad{0, 4, 1.0f, 5}, Bad{3, 0, 1.0f, 5}, Bad{3, 4, 0.0f, 5}, Bad{3, 4, 1.0f, 2}}) {
        OutlineRecord bad;
        for (int i = 0; i < b.points; ++i) bad.mPoints.PushBack(VectorF(float(i), float(i % 2)));
        bad.mMinSegmentLength = b.minLength;
        bad.mMaxSegmentLength = b.maxLength;
        bad.mMaxDeviation = b.deviation;
        EXPECT_FALSE(SimplifyOutline(bad));
        EXPECT_EQ(bad.mPoints.Count(), b.points);
    }
}

class OutlineCacheTest : public TracedOutlineTest {
protected:
    void SetUp() override
    {
        TracedOutlineTest::SetUp();
        TestPicture p(24, 16);
        p.FillRect(2, 3, 22, 13, 200, 200, 200);
        p.FillRect(2, 3, 8, 6, 0, 0, 0, 0);  // a notch, so the shape is not symmetric
        Write("shape.png", p);
        mImage = GetImageFile("shape.png");
        ASSERT_NE(mImage, nullptr);
    }
    ImageFile* mImage = nullptr;
    OutlineCache mCache;
};

TEST_F(OutlineCacheTest, EqualSettingsHitTheCacheAndOtherSettingsAddARecord)
{
    OutlineRecord wanted;
    OutlineRecord* r1 = &wanted;
    ASSERT_TRUE(mCache.GetOrTrace(mImage, r1, mImage->mCropRect));
    EXPECT_NE(r1, &wanted);
    EXPECT_EQ(mCache.Count(), 1);
    EXPECT_EQ(mCache.GetSelectedIndex(), 0);

    OutlineRecord same;
    OutlineRecord* r2 = &same;
    ASSERT_TRUE(mCache.GetOrTrace(mImage, r2, mImage->mCropRect));
    EXPECT_EQ(r2, r1);

    // Segment settings count only when simplifying.
    OutlineRecord a, b;
    a.mSimplify = b.mSimplify = false;
    a.mMaxSegmentLength = 7;
    EXPECT_TRUE(OutlineRecord::SettingsEqual(a, b));
    a.mSimplify = b.mSimplify = true;
    EXPECT_FALSE(OutlineRecord::SettingsEqual(a, b));

    OutlineRecord scaled;
    scaled.mScale = VectorF(2.0f, 2.0f);
    OutlineRecord* r3 = &scaled;
    ASSERT_TRUE(mCache.GetOrTrace(mImage, r3, mImage->mCropRect));
    EXPECT_NE(r3, r1);
    EXPECT_EQ(mCache.Count(), 2);
    EXPECT_TRUE(SpareSlotHoldsFirstPoint(*r1));
    EXPECT_TRUE(SpareSlotHoldsFirstPoint(*r3));

    EXPECT_FALSE(mCache.EraseAt(2));
    EXPECT_TRUE(mCache.EraseAt(0));
    EXPECT_EQ(mCache.GetSelectedIndex(), 0);
    EXPECT_TRUE(mCache.EraseAt(0));
    EXPECT_EQ(mCache.GetSelectedIndex(), -1);
}

TEST_F(OutlineCacheTest, CentreOnCentroidStoresTheUnscaledCentroidAndCentresThePoints)
{
    OutlineRecord plain;
    plain.mSimplify = false;
    OutlineRecord* p = &plain;
    ASSERT_TRUE(mCache.GetOrTrace(mImage, p, mImage->mCropRect));
    const VectorF centroid = PolygonCentroid(p->mPoints.Data(), p->mPoints.Count(),
                                             PolygonArea(p->mPoints.Data(), p->mPoints.Count()));
    EXPECT_EQ(p->mCentroid, centroid);

    OutlineRecord centred;
    centred.mSimplify = false;
    centred.mCentreOnCentroid = true;
    centred.mScale = VectorF(2.0f, 3.0f);
    OutlineRecord* c = &centred;
    ASSERT_TRUE(mCache.GetOrTrace(mImage, c, mImage->mCropRect));
    EXPECT_NEAR(c->mCentroid.mX, centroid.mX, 1e-4f);
    EXPECT_NEAR(c->mCentroid.mY, centroid.mY, 1e-4f);
    const int32_t n = c->mPoints.Count();
    const VectorF moved = PolygonCentroid(c->mPoints.Data(), n, PolygonArea(c->mPoints.Data(), n));
    EXPECT_NEAR(moved.mX, 0.0f, 1e-3f);
    EXPECT_NEAR(moved.mY, 0.0f, 1e-3f);
    EXPECT_NEAR(PolygonArea(c->mPoints.Data(), n), 6.0f * PolygonArea(p->mPoints.Data(), n), 1e-2f);
    EXPECT_TRUE(SpareSlotHoldsFirstPoint(*c)) << "the spare slot follows the centring";
}

TEST_F(OutlineCacheTest, CircleHasTheSimplifiedPointCountAtTheMeanRadius)
{
    OutlineRecord outline;
    OutlineRecord* o = &outline;
    ASSERT_TRUE(mCache.GetOrTrace(mImage, o, mImage->mCropRect));
    OutlineRecord round;
    round.mCircle = true;
    OutlineRecord* c = &round;
    ASSERT_TRUE(mCache.GetOrTrace(mImage, c, mImage->mCropRect));
    ASSERT_EQ(c->mPoints.Count(), o->mPoints.Count());
    VectorF mean;
    for (const VectorF& p : o->mPoints) mean += p;
    mean = mean / float(o->mPoints.Count());
    float radius = 0.0f;
    for (const VectorF& p : o->mPoints) radius += VectorF::GetDistance(p, mean);
    radius /= float(o->mPoints.Count());
    for (const VectorF& p : c->mPoints) EXPECT_NEAR(VectorF::GetDistance(p, mean), radius, 1e-3f);
    EXPECT_NEAR(c->mCentroid.mX, mean.mX, 1e-4f);
    EXPECT_GT(SignedAreaTwice(PointsOf(*c)), 0.0f) << "clockwise on screen like a traced outline";
}

TEST_F(OutlineCacheTest, OutlinesThatEncloseNothingFailAndLeaveTheCacheAlone)
{
    // A row of eight pixels simplifies to two points; a zero scale flattens
    // the outline; a transparent rectangle has nothing to trace.
    Write("row.png", TestPicture::FromArt({"..........", ".########.", ".........."}));
    ImageFile* row = GetImageFile("row.png");
    ASSERT_NE(row, nullptr);

    OutlineRecord simplified;
    OutlineRecord* r = &simplified;
    EXPECT_FALSE(mCache.GetOrTrace(row, r, row->mCropRect));
    EXPECT_EQ(r, &simplified);

    OutlineRecord flat;
    flat.mSimplify = false;
    flat.mScale = VectorF(0.0f, 1.0f);
    r = &flat;
    EXPECT_FALSE(mCache.GetOrTrace(mImage, r, mImage->mCropRect));

    OutlineRecord any;
    r = &any;
    EXPECT_FALSE(mCache.GetOrTrace(mImage, r, RectI(0, 0, 2, 2)));
    EXPECT_FALSE(mCache.GetOrTrace(nullptr, r, mImage->mCropRect));
    r = nullptr;
    EXPECT_FALSE(mCache.GetOrTrace(mImage, r, mImage->mCropRect));
    EXPECT_EQ(mCache.Count(), 0);

    // The same outline unsimplified is a valid one-pixel-high polygon.
    OutlineRecord raw;
    raw.mSimplify = false;
    r = &raw;
    ASSERT_TRUE(mCache.GetOrTrace(row, r, row->mCropRect));
    EXPECT_FLOAT_EQ(PolygonArea(r->mPoints.Data(), r->mPoints.Count()), 7.5f);
    EXPECT_TRUE(SpareSlotHoldsFirstPoint(*r));
}

TEST_F(OutlineCacheTest, ToyPresetAndCacheOnTheTexture)
{
    OutlineRecord preset;
    preset.mPoints.PushBack(VectorF(1.0f, 1.0f));
    preset.SetToyPreset(VectorF(0.5f, 0.5f), 1.0f, true);
    EXPECT_EQ(preset.mAlphaThreshold, 10);
    EXPECT_TRUE(preset.mCentreOnCentroid && preset.mCircle && preset.mSimplify);
    EXPECT_EQ(preset.mMinSegmentLength, 3);
    EXPECT_EQ(preset.mMaxSegmentLength, 6);
    EXPECT_EQ(preset.mPoints.Count(), 0);

    Texture base, instance;
    instance.SetCacheOwner(&base);
    OutlineCache* cache = GetOutlineCache(&instance);
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(GetOutlineCache(&base), cache);
    EXPECT_EQ(base.GetCache(kTextureOutlineCache), cache);
    base.ClearCaches();
    EXPECT_EQ(base.GetCache(kTextureOutlineCache), nullptr);
}

} // namespace
