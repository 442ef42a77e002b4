// pile_soak: steps one pile of soft toys for a long time with the contact
// islands' team solve forced on, printing the toy count, the sleeping share
// and the state hash every 100 steps. Long runs under the sanitizers or a
// checking allocator look for faults that show only in large settled piles;
// two runs of one world must print the same hashes on any thread count.
// The first --settle steps run on one thread: they end in the same bits, and
// a slow instrumented build reaches the settled pile sooner without a team
// that waits for threads a loaded machine has descheduled.
//
//   pile_soak [--toys N] [--steps S] [--settle K] [--threads T] [--team 0|1]
//   (defaults: 2048 toys, 1400 steps, none settled alone, 8 threads, team forced)

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "base/WorkTeam.h"
#include "physics/toys/Toy.h"
#include "physics/world/GameSettings.h"
#include "physics/world/PhysicsStep.h"
#include "physics/world/Scene.h"
#include "scenes/StepWorlds.h"

namespace {

bool ReadCount(const char* text, long low, long high, int32_t& out)
{
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!end || *end != '\0' || v < low || v > high) return false;
    out = static_cast<int32_t>(v);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace KIV;
    int32_t toys = 2048, steps = 1400, settle = 0, threads = 8, team = 1;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        const char* value = hasValue ? argv[i + 1] : "";
        if ((std::strcmp(argv[i], "--toys") == 0 && hasValue && ReadCount(value, 1, 1000000, toys)) ||
            (std::strcmp(argv[i], "--steps") == 0 && hasValue && ReadCount(value, 0, 10000000, steps)) ||
            (std::strcmp(argv[i], "--settle") == 0 && hasValue && ReadCount(value, 0, 10000000, settle)) ||
            (std::strcmp(argv[i], "--threads") == 0 && hasValue && ReadCount(value, 1, 64, threads)) ||
            (std::strcmp(argv[i], "--team") == 0 && hasValue && ReadCount(value, 0, 1, team))) {
            ++i;
        } else {
            std::fprintf(stderr, "usage: pile_soak [--toys N] [--steps S] [--settle K] [--threads T] [--team 0|1]\n");
            return 2;
        }
    }
    Scene scene;
    if (!Scenes::MakeSoftPile(scene, toys)) {
        std::fprintf(stderr, "pile_soak: a pile of %d toys cannot be built\n", toys);
        return 2;
    }
    scene.mSharedIslandSolve.SetAlwaysTeam(team != 0);
    GameSettings alone, shared;
    alone.mParallelismEnabled = 0;
    shared.mParallelismEnabled = threads > 1 ? 1 : 0;
    const auto start = std::chrono::steady_clock::now();
    for (int32_t step = 1; step <= steps; ++step) {
        const bool settling = step <= settle;
        WorkTeam::Shared().SetThreadCount(settling ? 1 : threads);
        PhysicsStep(scene, settling ? alone : shared);
        // Past a lone settling every step is told: a team slowed down by a
        // loaded machine may take minutes for each.
        if (step % 100 != 0 && step != steps && (settle == 0 || step <= settle)) continue;
        int32_t sleeping = 0;
        for (const Toy* toy : scene.mToys) sleeping += toy->mSleeping;
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        std::printf("step=%d toys=%d asleep=%d hash=0x%016" PRIx64 " seconds=%.1f\n", step, scene.GetToyCount(),
                    sleeping, Scenes::HashToyState(scene), seconds.count());
        std::fflush(stdout);
    }
    return 0;
}
