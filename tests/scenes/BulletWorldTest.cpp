#include <gtest/gtest.h>
#include <algorithm>
#include "physics/particles/ParticleSystem.h"
#include "physics/world/GameSettings.h"
#include "physics/world/Scene.h"
#include "scenes/BulletWorld.h"
#include "scenes/StepWorlds.h"

using namespace KIV;

// Bullets through a pile of toys of the bullet material: every hit bursts
// into an effect system, and those leave once their particles have faded,
// so their number stays far below the scene's limit and returns to none.
TEST(BulletWorld, EffectSystemsStayBoundedAndAllLeave)
{
    constexpr int32_t kBullets = 200;
    constexpr int32_t kFiringSteps = 2 * kBullets;
    // Long enough for the last bullets to fade out and their bursts after them.
    constexpr int32_t kQuietSteps = 4 * 210;
    GameSettings settings;
    Scene scene;
    ASSERT_TRUE(Scenes::MakeBulletWorld(scene, true));
    int32_t most = 0;
    for (int32_t step = 0; step < kFiringSteps + kQuietSteps; ++step) {
        Scenes::FireBullets(scene, step, kBullets);
        Scenes::StepWorld(scene, settings, 1);
        most = std::max(most, Scenes::CountEffectSystems(scene));
        // Bursts live about a second: at most the hits of that second's bullets.
        ASSERT_LE(Scenes::CountEffectSystems(scene), 1024) << "at step " << step;
    }
    EXPECT_GT(most, 10) << "the bullets should have made effects";
    EXPECT_EQ(Scenes::CountEffectSystems(scene), 0);
    EXPECT_EQ(scene.mParticleSystems.GetUsedCount(), scene.mParticleSystems.Count());
    for (const ParticleSystem* gun : scene.mParticleSystems) EXPECT_EQ(gun->GetParticleCount(), 0);
}

// Without a material the same bullets only bounce: no effect systems at all.
TEST(BulletWorld, ToysWithoutMaterialMakeNoEffects)
{
    GameSettings settings;
    Scene scene;
    ASSERT_TRUE(Scenes::MakeBulletWorld(scene, false));
    for (int32_t step = 0; step < 200; ++step) {
        Scenes::FireBullets(scene, step, 100);
        Scenes::StepWorld(scene, settings, 1);
        ASSERT_EQ(Scenes::CountEffectSystems(scene), 0);
    }
}
