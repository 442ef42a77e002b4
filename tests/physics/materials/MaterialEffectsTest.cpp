#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <memory>
#include "base/Notices.h"
#include "physics/materials/MaterialEffects.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"
#include "render/Texture.h"
#include "render/TextureLib.h"
#include "support/PictureFolder.h"

using namespace KIV;

namespace {

// A grey block toy with its own picture instance, a scene whose first
// default material makes red entry and blue exit holes, and one template
// that bursts five particles on each entry hole.
class MaterialEffectsTest : public PictureFolderTest {
protected:
    void SetUp() override
    {
        PictureFolderTest::SetUp();
        Write("Toys\\box.png", TestPicture::Filled(48, 48, 128, 128, 128));
        Write("Toys\\decals\\in.png", TestPicture::Filled(6, 6, 255, 0, 0));
        Write("Toys\\decals\\out.png", TestPicture::Filled(6, 6, 0, 0, 255));
        Write("Toys\\decals\\crack.png", TestPicture::Filled(2, 2, 0, 255, 0));
        Write("Toys\\decals\\decal1.png", TestPicture::Filled(4, 4, 0, 0, 0));
        mLib = std::make_unique<TextureLib>(Root());
        mSavedLib = gTextureLib;
        gTextureLib = mLib.get();

        mScene.mDefaultMaterials.AddDefaultMaterial();
        mMaterial = mScene.mDefaultMaterials.mList[0];
        mMaterial->SetName("default");
        mMaterial->AddEntryHoleDecal();
        mMaterial->SetEntryHoleDecalTexture(0, "Toys/decals/in.png");
        mMaterial->AddExitHoleDecal();
        mMaterial->SetExitHoleDecalTexture(0, "Toys/decals/out.png");
        mMaterial->SetExitHoleParticleSlowDown(0.5f);
        mMaterial->AddEntryHoleParticles();
        ParticleSystem* t = mMaterial->GetEntryHoleParticlesSelected();
        t->SetEmitBoomCountMin(5);
        t->SetEmitBoomCountMax(5);
        t->SetAllowEffectDent(true);
        mScene.mStepLength = 1.0f / 210.0f;
        ASSERT_TRUE(mScene.SetupGrid(RectF(0.0f, 0.0f, 400.0f, 400.0f)));
    }
    void TearDown() override
    {
        mToy.reset();
        mScene.DeleteAllParticleSystems(mScene.mParticleSystems);
        gTextureLib = mSavedLib;
        PictureFolderTest::TearDown();
    }

    Toy& BuildToy(bool ownPicture = true)
    {
        mToy = std::make_unique<Toy>();
        mToy->mUniqueTexture = ownPicture ? 1 : 0;
        EXPECT_TRUE(mToy->BuildFromTexture("Toys\\box.png", 1.0f, false, {1, 1}, 0.0f, {100, 50}, false, 0.0f));
        return *mToy;
    }

    void Step()
    {
        mScene.UpdateParticleSystems(false);
        mScene.RemoveFinishedParticleSystems();
    }

    // The colour of the toy's own picture under a world point.
    uint32_t PixelAt(const Toy& toy, const VectorF& world) const
    {
        const VectorF p = toy.GetDecalPixel(world);
        const Texture& t = *toy.mMainTexture;
        return t.mKeptPixels[static_cast<int32_t>(p.mY) * t.mTextureSize.mX + static_cast<int32_t>(p.mX)];
    }

    std::unique_ptr<TextureLib> mLib;
    TextureLib* mSavedLib = nullptr;
    Scene mScene;
    Material* mMaterial = nullptr;
    std::unique_ptr<Toy> mToy;
};

uint8_t Red(uint32_t c) { return c & 0xff; }
uint8_t Blue(uint32_t c) { return (c >> 16) & 0xff; }

} // namespace

TEST_F(MaterialEffectsTest, ABulletThroughAToyLeavesAnEntryAndAnExitHole)
{
    Toy& toy = BuildToy();
    ASSERT_TRUE(toy.HasDecalPixels());
    const VectorF entry(100.0f, 50.0f), exit(108.0f, 50.0f);
    ASSERT_EQ(Red(PixelAt(toy, entry)), 128);
    VectorF velocity(1000.0f, 0.0f);
    DoEntryHoleEffect(mScene, &toy, velocity, 1.0f, entry.mX, entry.mY);
    DoExitHoleEffect(mScene, &toy, velocity, 1.0f, exit.mX, exit.mY);
    EXPECT_EQ(Red(PixelAt(toy, entry)), 255);
    EXPECT_EQ(Blue(PixelAt(toy, entry)), 0);
    EXPECT_EQ(Blue(PixelAt(toy, exit)), 255);
    EXPECT_EQ(Red(PixelAt(toy, {92.0f, 42.0f})), 128) << "away from the holes the picture is as it was";
    EXPECT_TRUE(toy.mMainTexture->TakeStamped());
    EXPECT_FLOAT_EQ(velocity.mX, 1000.0f * 0.9f * 0.5f);
    EXPECT_EQ(velocity.mY, 0.0f);

    // One burst per entry hole, which then stops, and leaves once its particles are gone.
    ASSERT_EQ(mScene.mParticleSystems.Count(), 1);
    ParticleSystem* burst = mScene.mParticleSystems[0];
    EXPECT_EQ(burst->GetParticleCount(), 5);
    EXPECT_FALSE(burst->GetParticleEmitting());
    EXPECT_TRUE(burst->GetDeleteWhenEmpty());
    EXPECT_FALSE(burst->GetAllowEffectDent()) << "effect particles make no effects";
    EXPECT_EQ(burst->GetPosition().mX, entry.mX);
    EXPECT_FLOAT_EQ(burst->GetStartDirection(), -0.0f);
    for (int i = 0; i < 100; ++i) burst->UpdateEmission();
    EXPECT_EQ(burst->GetParticleCount(), 5);
    Step();
    EXPECT_EQ(mScene.mParticleSystems.Count(), 1);
    burst->DeleteAllParticles();
    Step();
    EXPECT_EQ(mScene.mParticleSystems.Count(), 0);
}

TEST_F(MaterialEffectsTest, AToyWithoutPixelsGetsNoDecalAndKeepsItsGenerator)
{
    Toy& toy = BuildToy(false);
    ASSERT_FALSE(toy.HasDecalPixels());
    const int32_t seed = toy.mRandom.mSeed;
    toy.AddDamageDecal({100.0f, 50.0f});
    EXPECT_EQ(toy.mRandom.mSeed, seed);
    VectorF velocity(10.0f, 0.0f);
    DoEntryHoleEffect(mScene, &toy, velocity, 1.0f, 100.0f, 50.0f);
    EXPECT_FALSE(toy.mMainTexture->TakeStamped());

    Toy& own = BuildToy(true);
    const int32_t before = own.mRandom.mSeed;
    own.AddDamageDecal({100.0f, 50.0f});
    EXPECT_NE(own.mRandom.mSeed, before);
    EXPECT_TRUE(own.mMainTexture->TakeStamped());
}

TEST_F(MaterialEffectsTest, TheGoverningMaterialAndTheHoleDecision)
{
    Toy& toy = BuildToy();
    toy.mDefaultMaterialName.SetByString("no such");
    EXPECT_EQ(GetToyMaterial(mScene, &toy), mMaterial) << "an unknown name gets the first default material";
    mMaterial->SetEntryHoleParticlePowerMin(2.0f);
    mMaterial->SetExitHoleParticlePowerMin(5.0f);
    struct Case {
        float power;
        bool holes;
        bool noHole, entryOnly, entryAndExit;
    };
    for (const Case c : {Case{1.9f, true, true, false, false}, Case{2.0f, true, false, true, false},
                         Case{5.0f, true, false, true, false}, Case{5.1f, true, false, false, true},
                         Case{9.0f, false, true, false, false}}) {
        SCOPED_TRACE(c.power);
        mMaterial->SetAllowMakingHoles(c.holes);
        bool noHole = true, entryOnly = true, both = true;
        DecideParticleHoles(mScene, &toy, c.power, noHole, entryOnly, both);
        EXPECT_EQ(noHole, c.noHole);
        EXPECT_EQ(entryOnly, c.entryOnly);
        EXPECT_EQ(both, c.entryAndExit);
    }
    bool noHole = false, entryOnly = true, both = true;
    DecideParticleHoles(mScene, nullptr, 1.0f, noHole, entryOnly, both);
    EXPECT_TRUE(noHole);
    toy.SetUseDefaultMaterial(false);
    toy.mOwnMaterial->SetSurfaceDeformResistance(4.0f);
    toy.mOwnMaterial->SetAllowSurfaceDeform(false);
    float resistance = 0.0f;
    EXPECT_FALSE(GetToySurfaceDeform(mScene, &toy, resistance));
    EXPECT_EQ(resistance, 4.0f);
    mScene.mDefaultMaterials.DelDefaultMaterial();
    toy.SetUseDefaultMaterial(true);
    EXPECT_EQ(GetToyMaterial(mScene, &toy), nullptr);
    EXPECT_FALSE(GetToySurfaceDeform(mScene, &toy, resistance));
    EXPECT_EQ(resistance, 1.0f);
    DecideParticleHoles(mScene, &toy, 1.0f, noHole, entryOnly, both);
    EXPECT_FALSE(noHole || entryOnly || both);
}

// The shard count is min + trunc((max - min) r) with r in [0, 1): a count
// of (1, 3) gives 1 or 2 shards, never 3; (0, 0) gives none.
TEST_F(MaterialEffectsTest, DentShardsFollowTheCountFormula)
{
    Toy& toy = BuildToy();
    ParticleSystem shards;
    shards.SetTexture(toy.GetMainTextureName());
    shards.PresetShards({0.0f, 0.0f});
    toy.mMainTexture->mShardSystems.Set(&mScene, &shards);
    int seen[4] = {0, 0, 0, 0};
    for (int i = 0; i < 200; ++i) {
        const int32_t before = shards.GetParticleCount();
        DoDentEffect(mScene, &toy, 0.5f, 100.0f, 50.0f, 0.0f, 10.0f);
        const int32_t made = shards.GetParticleCount() - before;
        ASSERT_GE(made, 0);
        ASSERT_LE(made, 3);
        ++seen[made];
        if (shards.GetParticleCount() > 7000) shards.DeleteAllParticles();
    }
    EXPECT_EQ(seen[0] + seen[3], 0);
    EXPECT_GT(seen[1], 0);
    EXPECT_GT(seen[2], 0);
    EXPECT_EQ(shards.GetSizeOnStart().mMinValue, 2.0f) << "the system's own size comes back";

    mMaterial->SetDentShardsCount(IntervalI(0, 0));
    const int32_t before = shards.GetParticleCount();
    DoDentEffect(mScene, &toy, 0.5f, 100.0f, 50.0f, 0.0f, 10.0f);
    EXPECT_EQ(shards.GetParticleCount(), before);
    toy.mMainTexture->mShardSystems.Remove(&shards);
}

// Break decals walk the crack edge; a crack count beyond the outline, or an
// empty outline, never reads past it.
TEST_F(MaterialEffectsTest, BreakDecalsAreSpacedAlongTheCrackAndClamped)
{
    Toy& toy = BuildToy();
    mMaterial->AddBreakDecal();
    mMaterial->SetBreakDecalTexture(0, "Toys/decals/crack.png");
    const int32_t n = toy.mOutline.Count();
    ASSERT_GT(n, 4);
    struct Case {
        int32_t crack;
        IntervalF distance;
    };
    for (const Case c : {Case{3, IntervalF(0.2f, 0.5f)}, Case{n + 50, IntervalF(3.0f, 3.0f)}, Case{0, IntervalF(2.0f, 3.0f)},
                         Case{-4, IntervalF(2.0f, 3.0f)}}) {
        SCOPED_TRACE(c.crack);
        mMaterial->SetBreakDecalsDistance(c.distance);
        Random before = mScene.mRandom;
        DoBreakEffect(mScene, toy, c.crack);
        EXPECT_NE(mScene.mRandom.mSeed, before.mSeed);
    }
    // Spacing below 1 is taken as 1: every draw after the first decal is one spacing.
    mMaterial->SetBreakDecalsDistance(IntervalF(0.2f, 0.5f));
    Random counted = mScene.mRandom;
    DoBreakEffect(mScene, toy, 2);
    int32_t draws = 0;
    while (counted.mSeed != mScene.mRandom.mSeed && draws < 100000) {
        counted.Step();
        ++draws;
    }
    float crackLength = 0.0f;
    for (int32_t i = n - 2; i < n; ++i) crackLength += (toy.mOutline[i + 1 < n ? i + 1 : 0] - toy.mOutline[i]).GetLength();
    // The first spacing and decal, 4 draws per decal along the way (its
    // spacing, index, size, opacity), and the last decal at the closing point.
    const int32_t along = (draws - 7) / 4;
    EXPECT_EQ((draws - 7) % 4, 0);
    EXPECT_NEAR(along, crackLength, 1.5f);

    Toy empty;
    DoBreakEffect(mScene, empty, 3);
}

namespace {

// Bullets fired through the fixture's toy by a scene particle system: the
// material decides by the bullet's power what the flight leaves behind.
class BulletThroughToyTest : public MaterialEffectsTest {
protected:
    void SetUp() override
    {
        MaterialEffectsTest::SetUp();
        mMaterial->SetEntryHoleParticlePowerMin(2000.0f);
        mMaterial->SetExitHoleParticlePowerMin(5000.0f);
        mMaterial->AddExitHoleParticles();
        // Bursts that fade out within half a second.
        for (ParticleSystem* t : {mMaterial->GetEntryHoleParticlesSelected(), mMaterial->GetExitHoleParticlesSelected()}) {
            t->SetEmitBoomCountMin(5);
            t->SetEmitBoomCountMax(5);
            t->SetDoFadeAlpha(true);
            t->SetFadeAlphaFadeOut(600.0f);
        }
        mGun = mScene.NewParticleSystem(mScene.mParticleSystems);
        ASSERT_NE(mGun, nullptr);
        mGun->SwitchOFFParticleEmitting();
        mGun->SetPenetratingParticles(true);
        mGun->SetAllowEffectDent(true);
        mGun->SetAllowEffectHoles(true);
    }

    // Pure red (entry) or blue (exit) pixels of the toy's picture, and the
    // mean column of each, to tell the toy's near side from its far side.
    struct Marks {
        int32_t red = 0, blue = 0;
        float redX = 0.0f, blueX = 0.0f;
    };
    Marks ReadMarks() const
    {
        Marks m;
        const Texture& t = *mToy->mMainTexture;
        for (int32_t y = 0; y < t.mTextureSize.mY; ++y)
            for (int32_t x = 0; x < t.mTextureSize.mX; ++x) {
                const uint32_t c = t.mKeptPixels[y * t.mTextureSize.mX + x] & 0xffffffu;
                if (c == 0x0000ffu) {
                    ++m.red;
                    m.redX += static_cast<float>(x);
                } else if (c == 0xff0000u) {
                    ++m.blue;
                    m.blueX += static_cast<float>(x);
                }
            }
        if (m.red) m.redX /= static_cast<float>(m.red);
        if (m.blue) m.blueX /= static_cast<float>(m.blue);
        return m;
    }

    ParticleSystem* mGun = nullptr;
};

} // namespace

TEST_F(BulletThroughToyTest, ThePowerOfTheBulletDecidesItsHoles)
{
    struct Case {
        const char* what;
        bool penetrable;
        float weight;  // at speed 1000: power 1000 x weight
        bool entry, exit, bulletGoesOn;
        int32_t bursts;
    };
    const Case cases[] = {
        {"refused", false, 9.0f, false, false, false, 0},
        {"below the entry minimum", true, 1.0f, false, false, false, 0},
        {"entry only", true, 3.0f, true, false, false, 1},
        {"at the exit minimum", true, 5.0f, true, false, false, 1},
        {"entry and exit", true, 6.0f, true, true, true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BuildToy();
        ASSERT_TRUE(mScene.GetGrid().InsertToy(*mToy));
        mMaterial->SetAllowPenetratingParticles(c.penetrable);
        mGun->SetParticleWeight(c.weight);
        const float middle = mToy->GetDecalPixel({100.0f, 50.0f}).mX;
        mGun->DeleteAllParticles();
        const int32_t slot = mGun->EmitOne();
        ASSERT_GE(slot, 0);
        mGun->mPositions[slot] = VectorF(40.0f, 50.0f);
        mGun->mVelocities[slot] = VectorF(1000.0f, 0.0f);

        int32_t mostSystems = 0;
        for (int32_t i = 0; i < 30; ++i) {
            Step();
            mostSystems = std::max(mostSystems, mScene.mParticleSystems.Count());
        }
        const Marks marks = ReadMarks();
        EXPECT_EQ(marks.red > 0, c.entry);
        EXPECT_EQ(marks.blue > 0, c.exit);
        if (marks.red) {
            EXPECT_LT(marks.redX, middle) << "the entry hole is on the near side";
        }
        if (marks.blue) {
            EXPECT_GT(marks.blueX, middle) << "the exit hole is on the far side";
        }
        EXPECT_EQ(mostSystems, 1 + c.bursts) << "one burst per hole";
        ASSERT_EQ(mGun->GetParticleCount(), c.bulletGoesOn || !c.penetrable ? 1 : 0);
        if (!c.penetrable) {
            EXPECT_LT(mGun->mVelocities[mGun->GetMovingHead()].mX, 0.0f) << "a refused bullet bounces off";
            EXPECT_LT(mGun->mPositions[mGun->GetMovingHead()].mX, 80.0f);
        }
        if (c.bulletGoesOn) {
            const int32_t bullet = mGun->GetMovingHead();
            EXPECT_GT(mGun->mPositions[bullet].mX, 124.0f);
            // Slowed by both holes, by each family's factor.
            EXPECT_FLOAT_EQ(mGun->mVelocities[bullet].mX, 1000.0f * 0.9f * 0.5f);
        }
        // The bursts fade, leave the scene, and their indices go back.
        for (int32_t i = 0; i < 200; ++i) Step();
        EXPECT_EQ(mScene.mParticleSystems.Count(), 1);
        EXPECT_EQ(mScene.mParticleSystems.GetUsedCount(), 1);
        ASSERT_TRUE(mScene.GetGrid().ReleaseToy(*mToy));
    }
}
