#include <gtest/gtest.h>
#include <memory>
#include "base/Notices.h"
#include "physics/particles/ParticleSystem.h"
#include "render/Texture.h"
#include "render/TextureLib.h"
#include "support/PictureFolder.h"

using namespace KIV;

namespace {

class ParticlePresets : public PictureFolderTest {
protected:
    void SetUp() override
    {
        PictureFolderTest::SetUp();
        Write("Particles\\rock.png", TestPicture::Filled(16, 8, 200, 200, 200));
        Write("Particles\\shot.png", TestPicture::Filled(8, 8, 255, 255, 0));
        mLib = std::make_unique<TextureLib>(Root());
    }

    std::unique_ptr<TextureLib> mLib;
};

} // namespace

// The shape is reset to the texture at the end of a preset, which clears the
// blender; the jets are still drawn with the blender they name.
TEST_F(ParticlePresets, JetsKeepTheirBlenderOverTheTexturedShapeReset)
{
    for (void (ParticleSystem::*preset)() : {&ParticleSystem::TestParticles_Soldier_Jet,
                                             &ParticleSystem::TestParticles_BigShip_Jet}) {
        ParticleSystem ps;
        ps.SetTexColorOp(1);
        (ps.*preset)();
        ASSERT_NE(ps.mTexture, nullptr);
        EXPECT_EQ(ps.mParticleShape.mTexture, ps.mTexture);
        EXPECT_EQ(ps.GetBlender(), 1);
        EXPECT_EQ(ps.GetTexColorOp(), 1);
        EXPECT_EQ(ps.mAngleTrackerTable.Count(), 16);
        EXPECT_EQ(ps.mStepProgram.Count(), 8);  // 0 1 2 3, sizing, fade, gravity, tracker
    }
}

TEST_F(ParticlePresets, ShotPresetsEmitTheirBurstAtOnceAndLeaveWhenEmpty)
{
    ParticleSystem burst;
    burst.PresetShotBurst(VectorF(5.0f, 6.0f), VectorF(0.0f, 800.0f));
    EXPECT_GE(burst.GetParticleCount(), 15);
    EXPECT_LT(burst.GetParticleCount(), 20);
    EXPECT_TRUE(burst.GetDeleteWhenEmpty());
    EXPECT_FALSE(burst.GetParticleEmitting());
    EXPECT_EQ(burst.mPositions[burst.GetMovingHead()], VectorF(5.0f, 6.0f));

    ParticleSystem stream, heat;
    stream.PresetShotStream(VectorF());
    heat.PresetTestShotHeat(VectorF(), VectorF(30.0f, 40.0f));
    EXPECT_EQ(stream.GetParticleCount(), 10);
    EXPECT_EQ(heat.GetParticleCount(), 10);
    EXPECT_FLOAT_EQ(heat.GetStartSpeed(), 50.0f);
    EXPECT_EQ(stream.GetBlender(), 1);
}

TEST_F(ParticlePresets, ShardsAndRockSetTheirSwitches)
{
    ParticleSystem shards, rock;
    shards.PresetShards(VectorF(0.0f, 800.0f));
    EXPECT_TRUE(shards.GetShardSystem());
    EXPECT_EQ(shards.mShards.Capacity(), shards.GetPoolCapacity());
    EXPECT_EQ(shards.GetGravityVector(), VectorF(0.0f, 800.0f));
    rock.PresetRock();
    EXPECT_EQ(rock.GetParticleStartPosition(), 1);
    EXPECT_EQ(rock.mAngleTrackerTable.Count(), 1024);
    EXPECT_EQ(rock.mFadePhases.Capacity(), rock.GetPoolCapacity());
}

TEST_F(ParticlePresets, AMissingPictureLeavesTheSystemUntexturedWithANotice)
{
    Notices().SetEchoToStderr(false);
    ParticleSystem ps;
    const int32_t before = Notices().GetReportedCount();
    ps.SetTexture("Particles\\missing.png");
    Notices().SetEchoToStderr(true);
    EXPECT_EQ(ps.mTexture, nullptr);
    EXPECT_EQ(ps.GetTexture(), "Particles\\missing.png");
    // The picture layer says why the picture failed; the system adds which system lost it.
    EXPECT_GE(Notices().GetReportedCount(), before + 1);
    EXPECT_NE(Notices().GetLast().find("missing.png"), std::string::npos);
    EXPECT_NE(Notices().GetLast().find("particle system"), std::string::npos);
}

TEST_F(ParticlePresets, AShardSystemLeavesItsTexturesShardMapWhenItGoes)
{
    Texture* rock = mLib->GetTexture("Particles\\rock.png");
    ASSERT_NE(rock, nullptr);
    void* scene = &rock;  // any key stands in for the scene
    {
        ParticleSystem ps;
        ps.SetTexture("Particles\\rock.png");
        ps.SetShardSystem(true);
        rock->mShardSystems.Set(scene, &ps);
        ps.SetTexture("Particles\\shot.png");
        EXPECT_EQ(rock->mShardSystems.Get(scene), nullptr);
        rock->mShardSystems.Set(scene, &ps);
        ps.SetTexture("Particles\\rock.png");
    }
    EXPECT_EQ(rock->mShardSystems.Get(scene), nullptr);
}
