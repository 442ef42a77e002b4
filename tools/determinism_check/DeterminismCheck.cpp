// determinism_check: steps the shared pile of mixed soft toys, the shared
// chains of jointed toys, the pile thrown down hard enough that its toys
// dent and break, the playground of many piles and chains, a pile under
// gunfire and falling debris (its hash covers the particles too), and the
// shipped robot walking (from the runnable tree the build lays out), the same
// number of steps on 1, 2, 4 and 8 threads and prints one line per run,
// "world=W threads=T hash=0x... fallen=K", the hash covering every outline
// point, pose and velocity bit, K the toys that fell through the terrain
// (their whole outline inside or beneath it, or off the world). Exits with 1
// when any run differs from the first of its world or lost a toy through the
// terrain, 2 on bad arguments or a
// world that cannot be built. Long checks of one world name it and the thread
// counts to compare.
//
//   determinism_check [--toys N] [--steps S] [--world W] [--threads T,T...]
//   (defaults: 256 toys, 2000 steps, every world, threads 1,2,4,8)

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "base/WorkTeam.h"
#include "physics/world/GameSettings.h"
#include "physics/world/Scene.h"
#include "scenes/ImpactWorlds.h"
#include "scenes/JointWorlds.h"
#include "scenes/ParticleWorlds.h"
#include "scenes/PlaygroundWorld.h"
#include "scenes/StepWorlds.h"
#include "tools/determinism_check/RobotWorld.h"

namespace {

bool ReadCount(const char* text, int32_t& out)
{
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!end || *end != '\0' || v < 1 || v > 1000000) return false;
    out = static_cast<int32_t>(v);
    return true;
}

// A comma-separated list of 1 to 8 thread counts, each 1 to 64.
bool ReadThreadCounts(const char* text, int32_t* counts, int32_t& count)
{
    count = 0;
    for (const char* p = text; *p;) {
        char* end = nullptr;
        const long v = std::strtol(p, &end, 10);
        if (end == p || v < 1 || v > 64 || count == 8 || (*end != ',' && *end != '\0')) return false;
        counts[count++] = static_cast<int32_t>(v);
        p = *end == ',' ? end + 1 : end;
    }
    return count > 0;
}

} // namespace

int main(int argc, char** argv)
{
    int32_t toys = 256;
    int32_t steps = 2000;
    const char* onlyWorld = nullptr;
    int32_t threadCounts[8] = {1, 2, 4, 8};
    int32_t threadCountCount = 4;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--toys") == 0 && hasValue && ReadCount(argv[i + 1], toys)) {
            ++i;
        } else if (std::strcmp(argv[i], "--steps") == 0 && hasValue && ReadCount(argv[i + 1], steps)) {
            ++i;
        } else if (std::strcmp(argv[i], "--world") == 0 && hasValue) {
            onlyWorld = argv[++i];
        } else if (std::strcmp(argv[i], "--threads") == 0 && hasValue &&
                   ReadThreadCounts(argv[i + 1], threadCounts, threadCountCount)) {
            ++i;
        } else {
            std::fprintf(stderr, "usage: determinism_check [--toys N] [--steps S] [--world W] [--threads T,T...]\n");
            return 2;
        }
    }

    struct World {
        const char* name;
        bool (*build)(KIV::Scene&, int32_t);
        void (*step)(KIV::Scene&, const KIV::GameSettings&, int32_t);
    };
    const World worlds[] = {{"pile", KIV::Scenes::MakeSoftPile, KIV::Scenes::StepWorld},
                            {"chains", KIV::Scenes::MakeChains, KIV::Scenes::StepWorld},
                            {"impacts", KIV::Scenes::MakeImpactPile, KIV::Scenes::StepImpactWorld},
                            {"playground", KIV::Scenes::MakePlayground, KIV::Scenes::StepWorld},
                            {"guns", KIV::Scenes::MakeGunWorld, KIV::Scenes::StepWorld},
                            {"robots", KIV::RobotWorld::Make, KIV::RobotWorld::Step}};
    KIV::RobotWorld::SetRunnableTree(KIV_RUNTREE_DIR);
    bool same = true;
    bool kept = true;
    bool known = onlyWorld == nullptr;
    for (const World& world : worlds) {
        if (onlyWorld && std::strcmp(onlyWorld, world.name) != 0) continue;
        known = true;
        uint64_t first = 0;
        for (int32_t t = 0; t < threadCountCount; ++t) {
            const int32_t threads = threadCounts[t];
            KIV::Scene scene;
            if (!world.build(scene, toys)) {
                std::fprintf(stderr, "determinism_check: cannot build a %s of %d toys\n", world.name, toys);
                return 2;
            }
            KIV::GameSettings settings;
            settings.mParallelismEnabled = threads > 1 ? 1 : 0;
            KIV::WorkTeam::Shared().SetThreadCount(threads);
            world.step(scene, settings, steps);
            const uint64_t hash = KIV::Scenes::HashWorldState(scene);
            const int32_t fallen = KIV::Scenes::CountToysThroughTerrain(scene);
            KIV::RobotWorld::Drop();
            std::printf("world=%s threads=%d hash=0x%016" PRIx64 " fallen=%d\n", world.name, threads, hash, fallen);
            std::fflush(stdout);
            if (fallen > 0) kept = false;
            if (t == 0)
                first = hash;
            else if (hash != first)
                same = false;
        }
    }
    if (!known) {
        std::fprintf(stderr, "determinism_check: no world named %s\n", onlyWorld);
        return 2;
    }
    if (!same) std::fprintf(stderr, "determinism_check: the runs differ\n");
    if (!kept) std::fprintf(stderr, "determinism_check: toys fell through the terrain\n");
    return same && kept ? 0 : 1;
}
