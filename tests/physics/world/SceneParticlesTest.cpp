#include <gtest/gtest.h>
#include "base/Statistics.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/world/Scene.h"
#include "render/Texture.h"

using namespace KIV;

namespace {

struct SceneParticles : ::testing::Test {
    Statistics statistics;
    Scene scene;

    void SetUp() override
    {
        ASSERT_TRUE(scene.SetupGrid(RectF(0.0f, 0.0f, 1000.0f, 1000.0f)));
        scene.mStepLength = 1.0f / 210.0f;
    }

    void Step()
    {
        scene.UpdateParticleSystems(false);
        scene.RemoveFinishedParticleSystems();
    }
};

TEST_F(SceneParticles, AListTakes32768SystemsAndRefusesTheNextCleanly)
{
    ParticleSystemList& list = scene.mParticleSystems;
    for (int32_t i = 0; i < ParticleSystemList::kMaxSystems; ++i)
        ASSERT_NE(scene.NewParticleSystem(list), nullptr) << i;
    EXPECT_EQ(scene.CreateParticleSystem("one too many", nullptr, "", 0, false), nullptr);
    EXPECT_EQ(list.Count(), ParticleSystemList::kMaxSystems);
    EXPECT_EQ(list.GetUsedCount(), ParticleSystemList::kMaxSystems);
    // The other list has its own limit.
    EXPECT_NE(scene.CreateParticleSystem("builder", nullptr, "", 0, true), nullptr);

    // A removed system's index is the next one handed out.
    ParticleSystem* gone = list[100];
    const int32_t index = gone->mPoolIndex;
    ASSERT_TRUE(scene.DeleteParticleSystem(list, gone));
    EXPECT_EQ(list.GetUsedCount(), ParticleSystemList::kMaxSystems - 1);
    ParticleSystem* again = scene.CreateParticleSystem("again", nullptr, "", 0, false);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->mPoolIndex, index);
}

TEST_F(SceneParticles, FinishedSystemsLeaveAndGiveTheirIndexBack)
{
    ParticleSystemList& list = scene.mParticleSystems;
    // Far more short-lived systems than the list has indices.
    for (int32_t round = 0; round < 3; ++round) {
        for (int32_t i = 0; i < ParticleSystemList::kMaxSystems / 2; ++i) {
            ParticleSystem* burst = scene.NewParticleSystem(list);
            ASSERT_NE(burst, nullptr) << "round " << round << ", system " << i;
            burst->SwitchOFFParticleEmitting();
            burst->SetDeleteWhenEmpty(true);
        }
        Step();
        EXPECT_EQ(list.Count(), 0);
        EXPECT_EQ(list.GetUsedCount(), 0);
    }
}

TEST_F(SceneParticles, ABurstCopyCountsItsParticlesUntilItIsEmpty)
{
    ParticleSystem* burst = scene.NewParticleSystem(scene.mParticleSystems);
    burst->SwitchOFFParticleEmitting();
    burst->SetBounceOffTerrain(false);
    burst->SetBounceOffToys(false);
    burst->SetDeleteWhenEmpty(true);
    burst->SetDoSizing(true);
    burst->SetSizingBy(IntervalF(-2000.0f, -2000.0f));
    burst->SetEmitBoomCountMin(5);
    burst->SetEmitBoomCountMax(5);
    ParticleSystem* copy = scene.SpawnParticleSystemCopy(burst);
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(scene.DeleteParticleSystem(scene.mParticleSystems, burst));
    copy->EmitBoom();
    Step();
    EXPECT_EQ(StatGetInt(kStatParticlesTotalCount), 5);
    EXPECT_EQ(StatGetInt(kStatParticleSystemsCount), 1);
    for (int32_t i = 0; i < 10 && scene.mParticleSystems.Count() > 0; ++i) Step();
    EXPECT_EQ(scene.mParticleSystems.Count(), 0);
    EXPECT_EQ(StatGetInt(kStatParticleSystemsCount), 0);
    EXPECT_EQ(scene.SpawnParticleSystemCopy(nullptr), nullptr);
    EXPECT_EQ(scene.mParticleSystems.GetUsedCount(), 0);
}

TEST_F(SceneParticles, TheRobotBuildersSystemsAreNeverUpdated)
{
    ParticleSystem* held = scene.CreateParticleSystem("jet", nullptr, "", 0, true);
    ASSERT_NE(held, nullptr);
    held->SwitchONParticleEmitting();
    held->SetEmittingInterval(IntervalF(0.001f, 0.001f));
    for (int32_t i = 0; i < 20; ++i) Step();
    EXPECT_EQ(held->GetParticleCount(), 0);
    EXPECT_EQ(StatGetInt(kStatParticleSystemsEditCount), 1);
}

TEST_F(SceneParticles, ATextureGetsOneShardSystem)
{
    Texture texture;
    texture.mFileName = "Toys\\crate.png";
    ASSERT_TRUE(scene.EnsureShardParticleSystem(&texture));
    ASSERT_TRUE(scene.EnsureShardParticleSystem(&texture));
    EXPECT_FALSE(scene.EnsureShardParticleSystem(nullptr));
    ASSERT_EQ(scene.mParticleSystems.Count(), 1);
    ParticleSystem* shards = scene.mParticleSystems[0];
    EXPECT_EQ(shards->GetName(), "SHARD PARTICLES");
    EXPECT_TRUE(shards->GetShardSystem());
    EXPECT_EQ(texture.mShardSystems.Get(&scene), shards);
    // The map lets go of a system that leaves.
    ASSERT_TRUE(scene.DeleteParticleSystem(scene.mParticleSystems, shards));
    EXPECT_EQ(texture.mShardSystems.Get(&scene), nullptr);
}

} // namespace

// The step leaves the bounds to be measured when read: a read after any
// number of steps sees the particles where they are then, and none after
// the last one died.
TEST_F(SceneParticles, BoundsReadAfterAStepAreThoseOfTheParticlesThen)
{
    ParticleSystem* ps = scene.NewParticleSystem(scene.mParticleSystems);
    ps->SwitchOFFParticleEmitting();
    ps->SetBounceOffTerrain(false);
    ps->SetBounceOffToys(false);
    ps->SetDoFadeAlpha(true);
    ps->SetFadeAlphaFadeOut(20000.0f); // about 255 / 20000 × 210 ≈ 2.7 steps of life
    const VectorF starts[] = {{100.0f, 200.0f}, {300.0f, 50.0f}};
    const VectorF velocities[] = {{210.0f, 0.0f}, {0.0f, -420.0f}};
    for (int32_t i = 0; i < 2; ++i) {
        const int32_t slot = ps->EmitOne();
        ASSERT_GE(slot, 0);
        ps->mPositions[slot] = starts[i];
        ps->mVelocities[slot] = velocities[i];
    }
    const struct {
        RectF bounds;  // after step k (1-based)
    } afterStep[] = {
        {RectF(101.0f, 48.0f, 300.0f, 200.0f)},
        {RectF(102.0f, 46.0f, 300.0f, 200.0f)},
        {RectF()},
    };
    for (const auto& expected : afterStep) {
        Step();
        const RectF b = ps->GetBounds();
        const float got[] = {b.x1, b.y1, b.x2, b.y2};
        const float want[] = {expected.bounds.x1, expected.bounds.y1, expected.bounds.x2, expected.bounds.y2};
        for (int32_t k = 0; k < 4; ++k) EXPECT_NEAR(got[k], want[k], 1e-3f) << "edge " << k;
        EXPECT_EQ(ps->GetBounds(), b) << "a second read measures the same";
    }
}
