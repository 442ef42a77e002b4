// particle_stages: what the particle pass of the benchmark's world does in a
// settled step. Builds the world of BM_StepParticles, steps its particles
// until they have settled, then steps them further on the given thread
// counts and prints the mean milliseconds per step (with the load average,
// since the machine may be shared) and what the moving particles' paths met
// in the last step: free flight, terrain, toys; and the world's hash at
// the end, which the thread counts must not change. Run it under
// `valgrind --tool=callgrind` with one thread count for the shares of the
// pass's parts.
//
//   particle_stages [particles] [settle] [steps] [threads,threads...]
//   (defaults: 32000 particles, 400 settling steps, 200 measured steps, 1,2,4,8)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "base/Statistics.h"
#include "base/WorkTeam.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/world/Scene.h"
#include "scenes/ParticleWorlds.h"

namespace {

using namespace KIV;

int32_t ReadOr(int argc, char** argv, int i, int32_t fallback)
{
    return i < argc ? static_cast<int32_t>(std::strtol(argv[i], nullptr, 10)) : fallback;
}

// Moving particles of the last step by what their paths met.
void PrintOutcomes(const Scene& scene)
{
    int64_t free = 0, terrain = 0, toys = 0, other = 0;
    for (const ParticleSystem* ps : scene.mParticleSystems)
        for (const ParticleSystem::FlightStep& step : ps->mFlightSteps) {
            switch (step.mOutcome) {
            case ParticleSystem::kFlyFree:
            case ParticleSystem::kFlown:
                ++free;
                break;
            case ParticleSystem::kHitsTerrain:
            case ParticleSystem::kBounceWithDraws:
                ++terrain;
                break;
            case ParticleSystem::kHitsToy:
                ++toys;
                break;
            default:
                ++other;
                break;
            }
        }
    std::printf("last step: free %lld, terrain hits %lld, toy hits %lld, other %lld\n", static_cast<long long>(free),
                static_cast<long long>(terrain), static_cast<long long>(toys), static_cast<long long>(other));
}

double LoadAverage()
{
    double load = -1.0;
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1) load = -1.0;
        std::fclose(f);
    }
    return load;
}

} // namespace

int main(int argc, char** argv)
{
    Statistics statistics;
    const int32_t particles = ReadOr(argc, argv, 1, 32000);
    const int32_t settle = ReadOr(argc, argv, 2, 400);
    const int32_t steps = ReadOr(argc, argv, 3, 200);
    const char* threadList = argc > 4 ? argv[4] : "1,2,4,8";
    Scene scene;
    if (!Scenes::MakeParticleWorld(scene, particles)) {
        std::fprintf(stderr, "particle_stages: cannot build a world of %d particles\n", particles);
        return 2;
    }
    for (int32_t i = 0; i < settle; ++i) scene.UpdateParticleSystems(false);
    PrintOutcomes(scene);
    for (const char* p = threadList; *p;) {
        char* end = nullptr;
        const int32_t threads = static_cast<int32_t>(std::strtol(p, &end, 10));
        if (end == p || threads < 1) break;
        p = *end == ',' ? end + 1 : end;
        WorkTeam::Shared().SetThreadCount(threads);
        const auto start = std::chrono::steady_clock::now();
        for (int32_t i = 0; i < steps; ++i) scene.UpdateParticleSystems(threads > 1);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        std::printf("particles=%d threads=%d ms_per_step=%.3f load=%.1f\n", particles, threads,
                    took.count() / steps, LoadAverage());
    }
    PrintOutcomes(scene);
    // Equal for equal arguments, whatever the thread counts.
    std::printf("hash=0x%016llx\n", static_cast<unsigned long long>(Scenes::HashWorldState(scene)));
    return 0;
}
