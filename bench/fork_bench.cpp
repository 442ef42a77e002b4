// What a fork of the work team costs, and from how much work on it pays.
//
// BM_ForkPays/<work_us>/<chunks>/<gap_us>/<forked>: a loop of `chunks`
// chunks holding work_us microseconds of work in all, on the calling thread
// alone (forked 0) or forked to the team of every processor (forked 1). Before
// each loop the calling thread works alone for gap_us microseconds, as between
// the loops of a step: after a gap longer than the workers' spin they sleep,
// and the fork must wake them. The work at which the forked time falls below
// the serial one is the least work a loop must hold to pay for forking; the
// forked time at work_us 0 is the cost of a fork itself.

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include "base/WorkTeam.h"

namespace {

using namespace KIV;
using Clock = std::chrono::steady_clock;

// Busy work of about the given microseconds, that the compiler cannot drop.
uint64_t Work(double microseconds)
{
    uint64_t x = 1;
    const auto until = Clock::now() + std::chrono::duration<double, std::micro>(microseconds);
    while (Clock::now() < until)
        for (int32_t k = 0; k < 64; ++k) x = x * 6364136223846793005ull + 1442695040888963407ull;
    return x;
}

void BM_ForkPays(benchmark::State& state)
{
    const double workUs = static_cast<double>(state.range(0));
    const int32_t chunks = static_cast<int32_t>(state.range(1));
    const double gapUs = static_cast<double>(state.range(2));
    const bool forked = state.range(3) != 0;
    WorkTeam& team = WorkTeam::Shared();
    team.SetThreadCount(WorkTeam::AvailableProcessors());
    const double perChunk = workUs / chunks;
    uint64_t sink = 0;
    for (auto _ : state) {
        if (gapUs > 0.0) sink += Work(gapUs);
        const auto start = Clock::now();
        team.For(chunks, 1, forked, [&](int32_t, int32_t) {
            if (perChunk > 0.0) benchmark::DoNotOptimize(Work(perChunk));
        });
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    benchmark::DoNotOptimize(sink);
    state.counters["threads"] = team.GetThreadCount();
}

BENCHMARK(BM_ForkPays)
    ->ArgNames({"work_us", "chunks", "gap_us", "forked"})
    ->ArgsProduct({{0, 5, 10, 20, 40, 80}, {8}, {0, 200}, {0, 1}})
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime();

} // namespace

BENCHMARK_MAIN();
