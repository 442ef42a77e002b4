#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include "physics/toys/Toy.h"
#include "physics/geometry/TracedOutline.h"
#include "render/TextureLib.h"
#include "support/PictureFolder.h"

using namespace KIV;

namespace {

class ToyFromTextureTest : public PictureFolderTest {
protected:
    void SetUp() override
    {
        PictureFolderTest::SetUp();
        // An opaque block with a notch, inside a transparent border.
        TestPicture box(64, 48);
        box.FillRect(10, 8, 50, 38, 120, 80, 40);
        box.FillRect(10, 8, 20, 14, 0, 0, 0, 0);
        Write("Toys\\box.png", box);
        Write("Toys\\twin.png", box);
        Write("Toys\\tiny.png", TestPicture::FromArt({"...", ".#.", "..."}));
        mLib = std::make_unique<TextureLib>(Root());
    }

    std::unique_ptr<Toy> Build(const std::string& file, float density = 1.0f, float core = 0.0f,
                               VectorF scale = VectorF(1.0f, 1.0f), bool unique = true)
    {
        auto toy = std::make_unique<Toy>();
        toy->mUniqueTexture = unique ? 1 : 0;
        mBuilt = toy->BuildFromTexture(file, density, false, scale, core, VectorF(100.0f, 50.0f), false, 0.0f);
        return toy;
    }

    // The cached toy outline of a picture, as the build asks for it.
    OutlineRecord* CachedOutline(const std::string& file, VectorF scale = VectorF(1.0f, 1.0f))
    {
        OutlineRecord wanted;
        wanted.SetToyPreset(scale, 1.0f, false);
        OutlineRecord* r = &wanted;
        OutlineCache* cache = GetOutlineCache(mLib->FindTexture(file));
        return cache && cache->HasEntryFor(r) ? r : nullptr;
    }

    std::unique_ptr<TextureLib> mLib;
    bool mBuilt = false;
};

TEST_F(ToyFromTextureTest, AreaMassAndInertiaAreThoseOfTheOutline)
{
    auto toy = Build("Toys\\box.png", 2.0f);
    ASSERT_TRUE(mBuilt);
    OutlineRecord* outline = CachedOutline("Toys\\box.png");
    ASSERT_NE(outline, nullptr);
    const float area = PolygonArea(outline->mPoints.Data(), outline->mPoints.Count());
    EXPECT_NEAR(toy->mArea, area, area * 1e-5f);
    EXPECT_NEAR(area, 40.0f * 30.0f - 10.0f * 6.0f, 20.0f) << "the picture's opaque area";
    EXPECT_FLOAT_EQ(toy->mWeight, toy->mVolumeZ * toy->mArea * 2.0f);
    EXPECT_FLOAT_EQ(toy->mReferenceWeight, toy->mWeight);

    // The same outline given as a polygon makes the same body.
    Toy fromPolygon;
    ASSERT_TRUE(fromPolygon.BuildFromPolygon(outline->mPoints.Data(), outline->mPoints.Count(), 2.0f,
                                             VectorF(100.0f, 50.0f), 0.0f));
    EXPECT_NEAR(toy->mWeight, fromPolygon.mWeight, fromPolygon.mWeight * 1e-4f);
    EXPECT_NEAR(toy->mMomentOfInertia, fromPolygon.mMomentOfInertia, fromPolygon.mMomentOfInertia * 1e-3f);
    EXPECT_GT(toy->mMomentOfInertia, 1e-8f);

    EXPECT_EQ(toy->mLocalOutline.Count(), outline->mPoints.Count());
    EXPECT_EQ(toy->mOutline.Count(), outline->mPoints.Count());
    EXPECT_EQ(toy->mOutline.Data()[toy->mOutline.Count()], toy->mOutline[0]) << "closed outline";
    EXPECT_EQ(toy->mPenetrationValues.Count(), outline->mPoints.Count());
    EXPECT_EQ(toy->mPosition, VectorF(100.0f, 50.0f));
    EXPECT_EQ(toy->mTextureName, "Toys\\box.png|1");
    ASSERT_NE(toy->mMainTexture, nullptr);
    EXPECT_EQ(toy->mMainTexture->mFullName, "Toys\\box.png|1");

    auto weightless = Build("Toys\\box.png", 0.0f);
    ASSERT_TRUE(mBuilt);
    EXPECT_FLOAT_EQ(weightless->mWeight, 1e-8f);
}

TEST_F(ToyFromTextureTest, ToysOfOnePictureShareOneCachedMesh)
{
    auto first = Build("Toys\\box.png");
    ASSERT_TRUE(mBuilt);
    OutlineRecord* outline = CachedOutline("Toys\\box.png");
    ASSERT_NE(outline, nullptr);
    ASSERT_NE(outline->mCachedMesh, nullptr);
    const TracedGeometry* mesh = outline->mCachedMesh.get();

    auto second = Build("Toys\\box.png");
    ASSERT_TRUE(mBuilt);
    EXPECT_EQ(second->mTextureName, "Toys\\box.png|2");
    EXPECT_NE(second->mMainTexture, first->mMainTexture) << "each toy has a picture of its own";
    EXPECT_EQ(GetOutlineCache(second->mMainTexture), GetOutlineCache(first->mMainTexture));
    EXPECT_EQ(GetOutlineCache(first->mMainTexture)->Count(), 1);
    EXPECT_EQ(outline->mCachedMesh.get(), mesh);
    EXPECT_EQ(second->mGeometry.GetPointCount(), mesh->GetPointCount());
    EXPECT_EQ(second->mGeometry.GetTriangleCount(), first->mGeometry.GetTriangleCount());
    EXPECT_EQ(second->mArea, first->mArea);
    EXPECT_EQ(second->mWeight, first->mWeight);
    EXPECT_EQ(second->mMomentOfInertia, first->mMomentOfInertia);

    auto shared = Build("Toys\\box.png", 1.0f, 0.0f, VectorF(1.0f, 1.0f), false);
    ASSERT_TRUE(mBuilt);
    EXPECT_EQ(shared->mTextureName, "Toys\\box.png");
    EXPECT_EQ(mLib->GetInstanceCounter(), 2);
}

TEST_F(ToyFromTextureTest, CreatingAndDestroyingToysKeepsTheLibraryFlat)
{
    Build("Toys\\box.png");
    ASSERT_TRUE(mBuilt);
    const int32_t textures = mLib->GetNamedTextureCount();
    for (int i = 0; i < 100; ++i) {
        auto toy = Build("Toys\\box.png");
        ASSERT_TRUE(mBuilt);
    }
    EXPECT_EQ(mLib->GetNamedTextureCount(), textures);
    EXPECT_EQ(GetOutlineCache(mLib->FindTexture("Toys\\box.png"))->Count(), 1);

    // Rebuilding a toy lets go of its previous picture.
    auto toy = Build("Toys\\box.png");
    ASSERT_TRUE(toy->BuildFromTexture("Toys\\twin.png", 1.0f, false, VectorF(1.0f, 1.0f), 0.0f, VectorF(), false, 0.0f));
    EXPECT_EQ(mLib->GetNamedTextureCount(), textures + 1) << "one instance of twin.png, none left of box.png";
}

TEST_F(ToyFromTextureTest, PicturesWithoutABodyFailAndLeaveNothingBehind)
{
    const int32_t textures = mLib->GetNamedTextureCount();
    for (const char* file : {"Toys\\tiny.png", "Toys\\missing.png"}) {
        auto toy = Build(file);
        EXPECT_FALSE(mBuilt) << file;
        EXPECT_EQ(toy->mGeometry.GetPointCount(), 0);
        EXPECT_EQ(toy->mMainTexture, nullptr);
        EXPECT_EQ(toy->mArea, 0.0f);
    }
    // The missing picture's plain name stays as a record; no instance does.
    EXPECT_EQ(mLib->GetNamedTextureCount(), textures + 1);
    EXPECT_EQ(mLib->FindTexture("Toys\\tiny.png|1"), nullptr);
}

TEST_F(ToyFromTextureTest, LaterToysClassifyTheirOwnCore)
{
    auto plain = Build("Toys\\box.png", 1.0f, 0.0f);
    auto cored = Build("Toys\\box.png", 1.0f, 8.0f);
    auto fresh = Build("Toys\\twin.png", 1.0f, 8.0f);
    ASSERT_TRUE(plain && cored && fresh && mBuilt);
    EXPECT_EQ(cored->mGeometry.mCoreRadius, 8.0f);
    EXPECT_EQ(cored->mGeometry.mHullDistance, 0.0f);
    auto flags = [](const Array<uint8_t>& a) { return std::vector<uint8_t>(a.begin(), a.end()); };
    ASSERT_NE(flags(plain->mGeometry.mCoreEdgeFlags), flags(cored->mGeometry.mCoreEdgeFlags));
    EXPECT_EQ(flags(cored->mGeometry.mCoreEdgeFlags), flags(fresh->mGeometry.mCoreEdgeFlags));
    EXPECT_EQ(flags(cored->mGeometry.mCorePointFlags), flags(fresh->mGeometry.mCorePointFlags));
}

TEST_F(ToyFromTextureTest, TexturePointsMapTheMeshOntoThePicture)
{
    // Stored pixels start one pixel left of and above the block: the block
    // spans stored x 1..41 and y 1..31 of a 41 × 31 texture in 64 × 32 storage.
    for (VectorF scale : {VectorF(1.0f, 1.0f), VectorF(2.0f, 0.5f)}) {
        auto toy = Build("Toys\\box.png", 1.0f, 0.0f, scale);
        ASSERT_TRUE(mBuilt);
        const Array<VectorF>& tex = toy->mGeometry.mScaledPoints;
        ASSERT_EQ(tex.Count(), toy->mGeometry.GetPointCount());
        float minU = 1e9f, maxU = -1e9f, minV = 1e9f, maxV = -1e9f;
        for (const VectorF& t : tex) {
            minU = std::min(minU, t.mX);
            maxU = std::max(maxU, t.mX);
            minV = std::min(minV, t.mY);
            maxV = std::max(maxV, t.mY);
        }
        EXPECT_NEAR(minU * 64.0f, 1.0f, 0.05f);
        EXPECT_NEAR(maxU * 64.0f, 41.0f, 0.05f);
        EXPECT_NEAR(minV * 32.0f, 1.0f, 0.05f);
        EXPECT_NEAR(maxV * 32.0f, 31.0f, 0.05f);
    }
}

} // namespace
