// Tracing and meshing a pool: what placing or retracing one water body costs.
#include <benchmark/benchmark.h>
#include "physics/world/Scene.h"
#include "scenes/WaterWorlds.h"

using namespace KIV;

namespace {

// The whole rebuild: the trace along the level and the basin's vertices, the
// surface spans, the mesh of the pool and its shapes (no picture is loaded).
void BM_WaterRebuild(benchmark::State& state)
{
    Scene scene;
    VectorF seed;
    if (!Scenes::MakeBasinWorld(scene, int32_t(state.range(0)), seed)) {
        state.SkipWithError("no basin");
        return;
    }
    Water water;
    for (auto _ : state) benchmark::DoNotOptimize(water.Rebuild(&scene, seed));
    state.counters["outline"] = water.mOutline.Count();
    state.counters["mesh points"] = water.mGeometry.GetPointCount();
}
BENCHMARK(BM_WaterRebuild)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
