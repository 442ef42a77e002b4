// BM_BulletRun/materials:M/steps:S: a thousand bullets fired through a pile of
// 64 toys over S steps (2100 = ten seconds), with the toys made of the bullet
// material (M = 1: holes, dents and their effect bursts) or of none (M = 0:
// the bullets only bounce). Each iteration builds the world and runs it;
// real time per step, the most and the last live effect systems, and the
// process's heap in use (allocated bytes) at its highest and at the end of
// the run; materials:0 gives the heap of the world itself.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <algorithm>
#include <chrono>
#include <memory>
#include "physics/world/GameSettings.h"
#include "physics/world/Scene.h"
#include "scenes/BulletWorld.h"
#include "scenes/StepWorlds.h"

using namespace KIV;

namespace {
// Small blocks and the large ones malloc maps on their own.
double HeapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd);
}
} // namespace

static void BM_BulletRun(benchmark::State& state)
{
    const bool materials = state.range(0) != 0;
    const int32_t steps = static_cast<int32_t>(state.range(1));
    GameSettings settings;
    double stepSeconds = 0.0, mostSystems = 0.0, endSystems = 0.0, mostHeap = 0.0, endHeap = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = std::make_unique<Scene>();
        if (!Scenes::MakeBulletWorld(*scene, materials)) {
            state.SkipWithError("the bullet world cannot be built");
            return;
        }
        state.ResumeTiming();
        for (int32_t step = 0; step < steps; ++step) {
            Scenes::FireBullets(*scene, step);
            const auto start = std::chrono::steady_clock::now();
            Scenes::StepWorld(*scene, settings, 1);
            stepSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (step % 21 == 0) mostHeap = std::max(mostHeap, HeapInUse());
            mostSystems = std::max(mostSystems, double(Scenes::CountEffectSystems(*scene)));
        }
        endSystems = Scenes::CountEffectSystems(*scene);
        endHeap = HeapInUse();
        state.PauseTiming();
        scene.reset();
        state.ResumeTiming();
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["ms_per_step"] = 1e3 * stepSeconds / (runs * steps);
    state.counters["effect_systems_max"] = mostSystems;
    state.counters["effect_systems_end"] = endSystems;
    state.counters["heap_mb_max"] = mostHeap / (1024.0 * 1024.0);
    state.counters["heap_mb_end"] = endHeap / (1024.0 * 1024.0);
}
BENCHMARK(BM_BulletRun)
    ->ArgsProduct({{0, 1}, {20, Scenes::kBulletWorldSteps}})
    ->ArgNames({"materials", "steps"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
