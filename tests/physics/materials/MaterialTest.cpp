#include <gtest/gtest.h>
#include <memory>
#include "physics/materials/Material.h"
#include "physics/particles/ParticleSystem.h"
#include "render/TextureLib.h"
#include "support/PictureFolder.h"

using namespace KIV;

TEST(Material, AFreshMaterialHasTheDefaultsOfEveryFamily)
{
    const Material m;
    EXPECT_TRUE(m.GetFastName().IsNull());
    EXPECT_EQ(m.GetDensity(), 1.0f);
    EXPECT_EQ(m.GetFriction(), 0.0f);
    EXPECT_TRUE(m.GetAllowSurfaceDeform());
    EXPECT_TRUE(m.GetAllowPenetratingParticles());
    EXPECT_TRUE(m.GetAllowMakingHoles());
    EXPECT_FALSE(m.GetAllowGrind() || m.GetAllowBurning() || m.GetAllowFreeze());
    for (MaterialEffect e : {MaterialEffect::kDent, MaterialEffect::kEntryHole, MaterialEffect::kExitHole}) {
        const MaterialFamily& f = m.GetFamily(e);
        EXPECT_EQ(f.mDecals.Count(), 0);
        EXPECT_EQ(f.mDecals.GetSelectedIndex(), -1);
        EXPECT_EQ(f.mTemplates.Count(), 0);
        EXPECT_EQ(f.mTemplates.GetSelectedIndex(), -1);
        EXPECT_EQ(f.mShardsCount.mMinValue, 1);
        EXPECT_EQ(f.mShardsCount.mMaxValue, 3);
        EXPECT_EQ(f.mShardsSize.mMinValue, 2.0f);
        EXPECT_EQ(f.mShardsSize.mMaxValue, 4.0f);
    }
    EXPECT_EQ(m.GetEntryHoleParticleSlowDown(), 0.9f);
    EXPECT_EQ(m.GetExitHoleParticleSlowDown(), 0.9f);
    EXPECT_EQ(m.GetEntryHoleParticlePowerMin(), 0.0f);
    EXPECT_EQ(m.GetBreakDecalsDistance().mMinValue, 2.0f);
    EXPECT_EQ(m.GetBreakDecalsDistance().mMaxValue, 3.0f);
    EXPECT_EQ(m.GelBreakDecalCount(), 0);
}

TEST(Material, DecalListsKeepTheirSelectionInsideTheList)
{
    Material m;
    m.AddDentDecal();
    m.AddDentDecal();
    EXPECT_EQ(m.GelDentDecalSelectedIndex(), 1);
    m.DelDentDecal(0);
    EXPECT_EQ(m.GelDentDecalCount(), 1);
    EXPECT_EQ(m.GelDentDecalSelectedIndex(), 0);
    m.DelDentDecal(0);
    EXPECT_EQ(m.GelDentDecalSelectedIndex(), -1);

    m.AddBreakDecal();
    m.AddBreakDecal();
    m.SetBreakDecalTexture(1, "crack.png");
    m.DelBreakDecal(5);
    EXPECT_EQ(m.GelBreakDecalCount(), 2);
    EXPECT_EQ(m.GetBreakDecalTexture(1), "crack.png");
    m.SelectBreakDecal(7);
    EXPECT_EQ(m.GelBreakDecalSelectedIndex(), 1);

    // Out of range, the accessors answer a fresh decal's values and setters do nothing.
    EXPECT_EQ(m.GetExitHoleDecalSize(-1).mMinValue, 1.0f);
    EXPECT_EQ(m.GetExitHoleDecalOpacity(3).mMaxValue, 1.0f);
    EXPECT_EQ(m.GetBreakDecalTexture(2), "");
    m.SetBreakDecalSize(2, IntervalF(5.0f, 6.0f));
    EXPECT_EQ(m.GelBreakDecalCount(), 2);
}

class MaterialLibTest : public PictureFolderTest {};

TEST_F(MaterialLibTest, TheLibrarysPictureGoesOnlyToASelectedDecal)
{
    TextureLib lib(Root());
    TextureLib* saved = gTextureLib;
    gTextureLib = &lib;
    Material m;
    lib.mSelectedName = "hole.png";
    m.SetDentDecalTextureFromLib();  // no decal selected
    m.AddDentDecal();
    lib.mSelectedName.clear();
    m.SetDentDecalTextureFromLib();  // nothing picked in the library
    EXPECT_EQ(m.GetDentDecalTexture(0), "");
    lib.mSelectedName = "hole.png";
    m.SetDentDecalTextureFromLib();
    EXPECT_EQ(m.GetDentDecalTexture(0), "hole.png");
    gTextureLib = saved;
}

TEST(Material, TemplatesGoInAfterTheSelectionAndBecomeIt)
{
    Material m;
    m.AddEntryHoleParticles();
    EXPECT_EQ(m.GetEntryHoleParticlesSelectedIndex(), 0);
    ASSERT_NE(m.GetEntryHoleParticlesSelected(), nullptr);
    m.SetEntryHoleParticlesName("a");
    m.AddEntryHoleParticles();
    m.SetEntryHoleParticlesName("b");
    m.AddEntryHoleParticles();
    m.SetEntryHoleParticlesName("c");
    m.SelectEntryHoleParticles(1);
    m.AddEntryHoleParticles();
    EXPECT_EQ(m.GetEntryHoleParticlesSelectedIndex(), 2);
    m.SetEntryHoleParticlesName("new one");
    EXPECT_EQ(m.GetEntryHoleParticlesListArray(), "['a','b','new%20one','c']");

    m.DelEntryHoleParticles(0);
    EXPECT_EQ(m.GetEntryHoleParticlesSelectedIndex(), 1);
    EXPECT_EQ(m.GetEntryHoleParticlesName(), "new one");
    m.DelEntryHoleParticles(9);
    EXPECT_EQ(m.mEntryHole.mTemplates.Count(), 3);
    for (int i = 0; i < 3; ++i) m.DelEntryHoleParticles(0);
    EXPECT_EQ(m.GetEntryHoleParticlesSelectedIndex(), -1);
    EXPECT_EQ(m.GetEntryHoleParticlesSelected(), nullptr);
    EXPECT_EQ(m.GetEntryHoleParticlesName(), "");
    EXPECT_EQ(m.GetExitHoleParticlesListArray(), "[]");
}

TEST(Material, NamesAreCutToSixteenCharactersAndShardSizesRestore)
{
    Material m;
    m.AddDentParticles();
    m.SetDentParticlesName("abcdefghijklmnopqrst");
    EXPECT_EQ(m.GetDentParticlesName(), "abcdefghijklmnop");
    m.SetName("abcdefghijklmnopqrst");
    EXPECT_EQ(m.GetName(), "abcdefghijklmnop");
    m.SetEntryHoleShardsSize(IntervalF(7.0f, 9.0f));
    m.SetEntryHoleShardsSizeDefault();
    EXPECT_EQ(m.GetEntryHoleShardsSize().mMinValue, 2.0f);
    EXPECT_EQ(m.GetEntryHoleShardsSize().mMaxValue, 4.0f);
}
