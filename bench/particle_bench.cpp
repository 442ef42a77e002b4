// Emitting and retiring particles: the per-particle cost of EmitOne with the
// scene's rock-dust settings (random start position on a line, scattering,
// speed multiplier, fade, angle tracker, sleep countdown), and proof that a
// pool which has reached its size allocates nothing more.
#include <benchmark/benchmark.h>
#include "base/Statistics.h"
#include "physics/particles/ParticleSystem.h"

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

BENCHMARK_MAIN();
