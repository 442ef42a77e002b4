// BM_StepPile/<toys>/<threads>: one fixed physics step of a settled pile of
// mixed soft toys (about 100 outline points each), the pile that the step's
// tests and the determinism check use. Real time per step; 4.76 ms is the
// 210 steps a second of real time.
// BM_StepChains/<toys>/<threads>: the same for chains of jointed box links,
// some hanging from world pins, some fallen into a heap on the ground.
// BM_StepPlayground/<toys>/<threads>: the same for a long world of many
// separate piles and chains.
// BM_StepPileContended/<toys>/<threads>: BM_StepPile while four other threads
// of the benchmark keep cores busy, as other programs do on a loaded machine.
// BM_SolvePileIsland/<toys>: the velocity iterations of the settled pile's
// largest contact island on the calling thread, all of them every time (the
// stop test never passes); the solve counter gives the time per pair solve.
// BM_DentSoftShape/<plain>: one whole dent of a pile toy's mesh (a soft shape
// of 100 outline points) pressed in at two points; plain:1 runs the same 45
// relaxation passes one RelaxDent at a time, the form Dent must match bit for bit.

#include <benchmark/benchmark.h>
#include <atomic>
#include <map>
#include <memory>
#include <thread>
#include <utility>
#include <vector>
#include "base/WorkTeam.h"
#include "physics/contacts/SharedIslandSolve.h"
#include "physics/world/GameSettings.h"
#include "physics/world/PhysicsStep.h"
#include "physics/world/Scene.h"
#include "physics/toys/ElasticLinks.h"
#include "physics/toys/Toy.h"
#include "physics/toys/ToyDeform.h"
#include "scenes/JointWorlds.h"
#include "scenes/PlaygroundWorld.h"
#include "scenes/StepWorlds.h"

namespace {

using namespace KIV;

// Six simulated seconds: the world has fallen, collided and come to rest.
constexpr int32_t kSettleSteps = 1260;

using WorldBuilder = bool (*)(Scene&, int32_t);

// One settled world per builder and size, shared by the thread counts: the
// step gives the same bits on any number of threads, so each measures the
// same world.
Scene* SettledWorld(WorldBuilder build, int32_t toys)
{
    static std::map<std::pair<WorldBuilder, int32_t>, std::unique_ptr<Scene>> worlds;
    std::unique_ptr<Scene>& world = worlds[{build, toys}];
    if (!world) {
        world = std::make_unique<Scene>();
        if (!build(*world, toys)) return nullptr;
        GameSettings settings;
        settings.mParallelismEnabled = 1;
        WorkTeam::Shared().SetThreadCount(WorkTeam::AvailableProcessors());
        Scenes::StepWorld(*world, settings, kSettleSteps);
    }
    return world.get();
}

void StepSettledWorld(benchmark::State& state, WorldBuilder build)
{
    const int32_t toys = static_cast<int32_t>(state.range(0));
    const int32_t threads = static_cast<int32_t>(state.range(1));
    Scene* scene = SettledWorld(build, toys);
    if (!scene) {
        state.SkipWithError("the world cannot be built");
        return;
    }
    GameSettings settings;
    settings.mParallelismEnabled = threads > 1 ? 1 : 0;
    WorkTeam::Shared().SetThreadCount(threads);
    for (auto _ : state) PhysicsStep(*scene, settings);
    int32_t sleeping = 0;
    for (const Toy* toy : scene->mToys) sleeping += toy->mSleeping;
    state.counters["toys"] = static_cast<double>(scene->GetToyCount());
    state.counters["asleep"] = static_cast<double>(sleeping) / static_cast<double>(scene->GetToyCount());
}

// Threads that keep cores busy with work of their own while they live.
class BusyThreads {
public:
    explicit BusyThreads(int32_t count)
    {
        for (int32_t i = 0; i < count; ++i)
            mThreads.emplace_back([this] {
                uint64_t x = 1;
                while (!mStop.load(std::memory_order_relaxed))
                    for (int32_t k = 0; k < 4096; ++k) x = x * 6364136223846793005ull + 1442695040888963407ull;
                mSink.fetch_add(x, std::memory_order_relaxed);
            });
    }
    ~BusyThreads()
    {
        mStop.store(true);
        for (std::thread& t : mThreads) t.join();
    }

private:
    std::atomic<bool> mStop{false};
    std::atomic<uint64_t> mSink{0};
    std::vector<std::thread> mThreads;
};

void BM_StepPile(benchmark::State& state) { StepSettledWorld(state, Scenes::MakeSoftPile); }

void BM_StepChains(benchmark::State& state) { StepSettledWorld(state, Scenes::MakeChains); }

void BM_StepPlayground(benchmark::State& state) { StepSettledWorld(state, Scenes::MakePlayground); }

void BM_StepPileContended(benchmark::State& state)
{
    Scene* settled = SettledWorld(Scenes::MakeSoftPile, static_cast<int32_t>(state.range(0)));
    (void)settled;  // settled before the busy threads start
    BusyThreads busy(4);
    StepSettledWorld(state, Scenes::MakeSoftPile);
}

// The largest contact island of a world's next step, as its velocity
// iterations find it.
struct IslandAtStart {
    explicit IslandAtStart(Scene& scene)
    {
        // A step without velocity iterations builds the islands and their
        // records and leaves them as the solve would find them.
        GameSettings settings;
        settings.mVelIterations = 0;
        WorkTeam::Shared().SetThreadCount(1);
        PhysicsStep(scene, settings);
        std::vector<Toy*> island;
        for (int32_t g = 0; g < scene.mIslandCount; ++g) {
            island.clear();
            for (int32_t node = scene.mIslandPool.GetHead(g); node >= 0; node = scene.mIslandPool.GetNext(node))
                island.push_back(scene.mIslandOwners[node]);
            if (island.size() > mMembers.size()) mMembers = island;
        }
        for (Toy* toy : mMembers) mStart.push_back(Saved(*toy));
    }
    void Restore() const
    {
        for (const Saved& s : mStart) s.Restore();
    }

    struct Saved {
        explicit Saved(Toy& toy)
            : mToy(&toy), mVelocity(toy.mVelocityAfterImpulses), mTurning(toy.mAngularVelocityAfterImpulses),
              mLine(toy.mLineContacts), mPoint(toy.mPointContacts)
        {
        }
        void Restore() const
        {
            mToy->mVelocityAfterImpulses = mVelocity;
            mToy->mAngularVelocityAfterImpulses = mTurning;
            mToy->mLineContacts = mLine;
            mToy->mPointContacts = mPoint;
        }
        Toy* mToy;
        VectorF mVelocity;
        float mTurning;
        Array<ContactRecord> mLine, mPoint;
    };
    std::vector<Saved> mStart;
    std::vector<Toy*> mMembers;
};

void BM_SolvePileIsland(benchmark::State& state)
{
    Scene* scene = SettledWorld(Scenes::MakeSoftPile, static_cast<int32_t>(state.range(0)));
    if (!scene) {
        state.SkipWithError("the world cannot be built");
        return;
    }
    static std::map<Scene*, std::unique_ptr<IslandAtStart>> islands;
    std::unique_ptr<IslandAtStart>& island = islands[scene];
    if (!island) island = std::make_unique<IslandAtStart>(*scene);
    GameSettings settings;
    settings.mMaxvABPSquared = 0.0f;
    const int32_t count = static_cast<int32_t>(island->mMembers.size());
    int64_t solves = 0;
    for (auto _ : state) {
        state.PauseTiming();
        island->Restore();
        state.ResumeTiming();
        solves += static_cast<int64_t>(count) * SolveIslandIterations(island->mMembers.data(), count, settings);
    }
    state.counters["members"] = static_cast<double>(count);
    state.counters["solve"] = benchmark::Counter(static_cast<double>(solves),
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_DentSoftShape(benchmark::State& state)
{
    const bool plain = state.range(0) != 0;
    Array<VectorF> outline;
    Scenes::MakeSoftShape(outline, 0, 40.0f, 100, 0.0f);
    TracedGeometry source;
    if (!source.BuildMesh(outline, 10.0f)) {
        state.SkipWithError("mesh failed");
        return;
    }
    source.mNearDentRadius = 30.0f;
    source.mFarDentRadius = 12.0f;
    for (const int32_t hit : {10, 40}) ApplyImpactForces(source, hit, source.mPoints[hit] * -0.6f);
    for (auto _ : state) {
        state.PauseTiming();
        TracedGeometry g = source;
        state.ResumeTiming();
        if (plain) {
            g.mSavedDentForces.Assign(g.mDentForces);
            for (int32_t round = 0; round < 3; ++round) {
                for (int32_t pass = 0; pass < 15; ++pass) RelaxDent(g);
                RecentreShape(g, g.mPlasticKeepArea != 0);
            }
        } else {
            Dent(g);
        }
        benchmark::DoNotOptimize(g.mPoints.Data());
    }
    state.counters["mesh points"] = source.GetPointCount();
}

BENCHMARK(BM_StepPile)
    ->ArgNames({"toys", "threads"})
    ->ArgsProduct({{64, 256, 1024, 2048}, {1, 8}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK(BM_StepChains)
    ->ArgNames({"toys", "threads"})
    ->ArgsProduct({{64, 256, 1024, 2048}, {1, 8}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK(BM_StepPlayground)
    ->ArgNames({"toys", "threads"})
    ->ArgsProduct({{256, 1024, 2048}, {1, 8}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK(BM_StepPileContended)
    ->ArgNames({"toys", "threads"})
    ->ArgsProduct({{256}, {1, 8}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK(BM_DentSoftShape)->ArgNames({"plain"})->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_SolvePileIsland)->ArgNames({"toys"})->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
