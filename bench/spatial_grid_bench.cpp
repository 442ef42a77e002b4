// The spatial grid under a pile of toys: the queries the step makes per toy
// point and per outline edge, and the per-step update of every toy's entries.
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>
#include "base/Random.h"
#include "physics/world/Scene.h"
#include "physics/grid/SpatialGrid.h"
#include "physics/toys/Toy.h"
#include "scenes/Scenes.h"

using namespace KIV;

namespace {

// A walled world with a pile of 20 x 20 boxes, columns x rows of them.
std::unique_ptr<Scene> MakePile(int32_t columns, int32_t rows)
{
    auto scene = std::make_unique<Scene>();
    Scenes::MakeWalledWorld(*scene, {0, 0, 4000, 2000});
    Scenes::AddBoxPile(*scene, columns, rows, {20, 20}, {100, 1955});
    return scene;
}

void BM_GridSegmentQuery(benchmark::State& state)
{
    auto scene = MakePile(static_cast<int32_t>(state.range(0)), 10);
    SpatialGrid& grid = scene->GetGrid();
    // The paths of every outline point over one step: short segments.
    std::vector<GridSegmentQuery> queries;
    Random random;
    for (Toy* toy : scene->GetToys())
        for (int32_t i = 0; i < toy->GetOutlinePointCount(); ++i) {
            GridSegmentQuery q;
            q.mFrom = toy->mOutline[i];
            q.mTo = q.mFrom + VectorF(random.NextFloatInRange(-3, 3), random.NextFloatInRange(-3, 3));
            q.mExcludedToy = toy;
            queries.push_back(q);
        }
    GridSegmentHit hit;
    for (auto _ : state)
        for (const GridSegmentQuery& q : queries) benchmark::DoNotOptimize(grid.QuerySegment(q, grid.GetQueryContext(), hit));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(queries.size()));
}
BENCHMARK(BM_GridSegmentQuery)->Arg(10)->Arg(50);

void BM_GridCrossingEvents(benchmark::State& state)
{
    auto scene = MakePile(static_cast<int32_t>(state.range(0)), 10);
    SpatialGrid& grid = scene->GetGrid();
    for (auto _ : state)
        for (Toy* toy : scene->GetToys()) benchmark::DoNotOptimize(grid.CollectToyCrossings(*toy, grid.GetQueryContext()));
    state.SetItemsProcessed(state.iterations() * scene->GetToyCount());
}
BENCHMARK(BM_GridCrossingEvents)->Arg(10)->Arg(50);

void BM_GridUpdateToys(benchmark::State& state)
{
    auto scene = MakePile(static_cast<int32_t>(state.range(0)), 10);
    SpatialGrid& grid = scene->GetGrid();
    float shift = 0.5f;
    for (auto _ : state) {
        shift = -shift;  // every toy moves a little, as in a step
        for (Toy* toy : scene->GetToys()) {
            for (VectorF& p : toy->mOutline) p.mX += shift;
            grid.UpdateToy(*toy);
        }
    }
    state.SetItemsProcessed(state.iterations() * scene->GetToyCount());
}
BENCHMARK(BM_GridUpdateToys)->Arg(10)->Arg(50);

} // namespace

BENCHMARK_MAIN();
