#include <gtest/gtest.h>
#include "base/WorkTeam.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/world/GameSettings.h"
#include "physics/world/Scene.h"
#include "scenes/ParticleWorlds.h"
#include "scenes/StepWorlds.h"

// The particle pass splits its work among the team's threads (paths side by
// side, hits in list order, bounces side by side again); the worlds must come
// out bit for bit as on one thread.

namespace KIV {
namespace {

struct ParticleRun {
    uint64_t mHash = 0;
    int64_t mTerrainHits = 0;
    int64_t mToyHits = 0;
};

struct ThreadCase {
    const char* mName;
    bool (*mBuild)(Scene&);
    // Whole steps of the world, or only its particle pass.
    bool mWholeStep;
    int32_t mSteps;
};

bool BuildParticleWorld(Scene& scene) { return Scenes::MakeParticleWorld(scene, 3000); }
bool BuildGunWorld(Scene& scene) { return Scenes::MakeGunWorld(scene, 25); }

void CountHits(const Scene& scene, ParticleRun& run)
{
    for (const ParticleSystem* ps : scene.mParticleSystems)
        for (const ParticleSystem::FlightStep& step : ps->mFlightSteps) {
            run.mTerrainHits += step.mOutcome == ParticleSystem::kHitsTerrain ||
                                step.mOutcome == ParticleSystem::kBounceWithDraws;
            run.mToyHits += step.mOutcome == ParticleSystem::kHitsToy;
        }
}

ParticleRun RunOnThreads(const ThreadCase& c, int32_t threads)
{
    ParticleRun run;
    Scene scene;
    EXPECT_TRUE(c.mBuild(scene));
    WorkTeam& team = WorkTeam::Shared();
    const int32_t saved = team.GetThreadCount();
    team.SetThreadCount(threads);
    GameSettings settings;
    settings.mParallelismEnabled = threads > 1 ? 1 : 0;
    for (int32_t i = 0; i < c.mSteps; ++i) {
        if (c.mWholeStep) Scenes::StepWorld(scene, settings, 1);
        else scene.UpdateParticleSystems(threads > 1);
        CountHits(scene, run);
    }
    team.SetThreadCount(saved);
    run.mHash = Scenes::HashWorldState(scene);
    return run;
}

const ThreadCase kCases[] = {
    // Thousands of particles in one system: many chunks, most of them bouncing
    // on the floor and the toys once settled.
    {"bouncing particles", BuildParticleWorld, false, 300},
    // Guns that dent (their bounces draw in turn) beside spinning debris that
    // settles (its bounces draw ahead), with the toys stepped between passes.
    {"guns and debris", BuildGunWorld, true, 600},
};

TEST(ParticleThreads, EveryThreadCountGivesTheSerialBits)
{
    for (const ThreadCase& c : kCases) {
        SCOPED_TRACE(c.mName);
        const ParticleRun serial = RunOnThreads(c, 1);
        EXPECT_GT(serial.mTerrainHits, 100) << "too few bounces for the hash to prove anything";
        EXPECT_GT(serial.mToyHits, 10) << "too few toy hits for the hash to prove anything";
        for (int32_t threads : {2, 8}) {
            const ParticleRun parallel = RunOnThreads(c, threads);
            EXPECT_EQ(parallel.mHash, serial.mHash) << threads << " threads";
            EXPECT_EQ(parallel.mTerrainHits, serial.mTerrainHits) << threads << " threads";
            EXPECT_EQ(parallel.mToyHits, serial.mToyHits) << threads << " threads";
        }
    }
}

} // namespace
} // namespace KIV
