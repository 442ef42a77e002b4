// Emitting and retiring particles: the per-particle cost of EmitOne with the
// scene's rock-dust settings (random start position on a line, scattering,
// speed multiplier, fade, angle tracker, sleep countdown), and proof that a
// pool which has reached its size allocates nothing more.
// BM_StepParticles/<particles>/<threads>: the scene's particle pass of one
// step (flight, hits, emission) with that many live particles bouncing among
// 64 toys on a walled floor; real time per step and per particle.
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include "base/Statistics.h"
#include "base/WorkTeam.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/world/Scene.h"
#include "scenes/ParticleWorlds.h"

using namespace KIV;

static int32_t ArrayStorageChanges()
{
    return StatGetInt(kStatArrayAllocate) + StatGetInt(kStatArrayReallocate) + StatGetInt(kStatArrayFree);
}

static void BM_Emit(benchmark::State& state)
{
    static Statistics statistics;
    const int32_t n = int32_t(state.range(0));
    ParticleSystem ps;
    ps.PresetRock();
    // One round before timing lets the pool reach its size.
    for (int32_t i = 0; i < n; ++i) ps.EmitOne();
    ps.DeleteAllParticles();
    const int32_t storageBefore = ArrayStorageChanges();
    for (auto _ : state) {
        for (int32_t i = 0; i < n; ++i) benchmark::DoNotOptimize(ps.EmitOne());
        // Retired as the flight retires them: freed during a walk of the list.
        for (int32_t slot = ps.GetMovingHead(); slot >= 0;) slot = ps.FreeMovingParticle(slot);
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["ns_per_particle"] =
        benchmark::Counter(double(state.iterations()) * n, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["storage_changes"] = double(ArrayStorageChanges() - storageBefore);
}
BENCHMARK(BM_Emit)->Arg(64)->Arg(1024)->Arg(8000);

// One world per size, shared by the thread counts: the pass gives the same
// bits on any number of threads.
static Scene* ParticleWorld(int32_t particles)
{
    static std::map<int32_t, std::unique_ptr<Scene>> worlds;
    std::unique_ptr<Scene>& world = worlds[particles];
    if (!world) {
        world = std::make_unique<Scene>();
        if (!Scenes::MakeParticleWorld(*world, particles)) return nullptr;
    }
    return world.get();
}

static void BM_StepParticles(benchmark::State& state)
{
    static Statistics statistics;
    const int32_t particles = int32_t(state.range(0));
    const int32_t threads = int32_t(state.range(1));
    Scene* scene = ParticleWorld(particles);
    if (!scene) {
        state.SkipWithError("the particle world cannot be built");
        return;
    }
    WorkTeam::Shared().SetThreadCount(threads);
    for (auto _ : state) scene->UpdateParticleSystems(threads > 1);
    state.counters["ns_per_particle"] = benchmark::Counter(double(state.iterations()) * particles,
                                                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_StepParticles)
    ->ArgsProduct({{1000, 8000, 32000}, {1, 2, 4, 8}})
    ->ArgNames({"particles", "threads"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
