#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include "base/WorkTeam.h"
#include "physics/world/GameSettings.h"
#include "physics/world/Scene.h"
#include "scenes/StepWorlds.h"

// A contact island of at least Scene::kTeamIslandSize toys is solved by a
// whole thread team that runs the members' pair solves out of chain order
// wherever they share no toy. Every solver variant must still give the bits of
// the serial chain-order solve.

namespace KIV {
namespace {

constexpr int32_t kPileToys = 100;
constexpr int32_t kSteps = 420;

struct PileRun {
    uint64_t mHash = 0;
    int32_t mLargestIsland = 0;
};

PileRun RunPile(GameSettings settings, int32_t threads)
{
    Scene scene;
    EXPECT_TRUE(Scenes::MakeSoftPile(scene, kPileToys));
    // Left to its timings the scene may solve this small pile alone.
    scene.mSharedIslandSolve.SetAlwaysTeam(true);
    settings.mParallelismEnabled = threads > 1 ? 1 : 0;
    WorkTeam& team = WorkTeam::Shared();
    const int32_t saved = team.GetThreadCount();
    team.SetThreadCount(threads);
    PileRun run;
    for (int32_t step = 0; step < kSteps; ++step) {
        Scenes::StepWorld(scene, settings, 1);
        for (int32_t g = 0; g < scene.mIslandCount; ++g)
            run.mLargestIsland = std::max(run.mLargestIsland, scene.GetIslandSize(g));
    }
    team.SetThreadCount(saved);
    run.mHash = Scenes::HashToyState(scene);
    return run;
}

TEST(IslandTeamSolve, EverySolverVariantGivesTheSerialBits)
{
    struct Variant {
        const char* name;
        void (*apply)(GameSettings&);
        std::vector<int32_t> threads;
    };
    const Variant variants[] = {
        {"defaults", [](GameSettings&) {}, {2, 8}},
        {"impulses gathered per iteration", [](GameSettings& s) { s.mImmediateImpulses = 0; }, {4}},
        {"old response functions", [](GameSettings& s) { s.mOldResponseFunctions = 1; }, {4}},
    };
    for (const Variant& v : variants) {
        GameSettings settings;
        v.apply(settings);
        const PileRun serial = RunPile(settings, 1);
        EXPECT_GE(serial.mLargestIsland, Scene::kTeamIslandSize)
            << v.name << ": the pile must form an island large enough for a team";
        for (int32_t threads : v.threads)
            EXPECT_EQ(RunPile(settings, threads).mHash, serial.mHash) << v.name << " on " << threads << " threads";
    }
}

} // namespace
} // namespace KIV
