// step_stages: where a fixed step of a settled world spends its time. Builds
// one of the benchmark worlds (the shared pile of soft toys by default), lets
// it settle for six simulated seconds, then steps it further on 1 and on 8
// threads and prints, per stage, the mean milliseconds per step, the passes
// before the toy stages, the work team's forks per step, and the island and
// sleep figures that explain them.
//
//   step_stages [toys] [steps] [settle] [pile|chains|playground]
//   (defaults: 2048 toys, 50 measured steps, 1260 settling steps, the pile)

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <map>
#include <vector>
#include "base/Statistics.h"
#include "base/WorkTeam.h"
#include "physics/contacts/Contact.h"
#include "physics/world/GameSettings.h"
#include "physics/world/PhysicsStep.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/JointWorlds.h"
#include "scenes/PlaygroundWorld.h"
#include "scenes/StepWorlds.h"
#include <cstring>

namespace {

using namespace KIV;

constexpr int32_t kSettleSteps = 1260;  // six simulated seconds, as the benchmark settles its pile

double TimerMs(int item)
{
    const StatItem* it = gStatistics->GetItem(item);
    return 1000.0 * static_cast<double>(it->Ticks()[2]) / static_cast<double>(gStatistics->GetCounterFrequency());
}

// How many pair solves the largest island's velocity iteration must run one
// after another: a solve writes its toy and the toys its records name, so it
// waits for every earlier solve that shares one of them.
void CriticalPath(const Scene& scene, int64_t& members, int64_t& levels, double& meanContacts)
{
    int32_t best = -1;
    members = 0;
    for (int32_t g = 0; g < scene.mIslandCount; ++g) {
        int64_t m = 0;
        for (int32_t node = scene.mIslandPool.GetHead(g); node >= 0; node = scene.mIslandPool.GetNext(node)) ++m;
        if (m > members) { members = m; best = g; }
    }
    levels = 0;
    meanContacts = 0.0;
    if (best < 0) return;
    std::map<const Toy*, int64_t> lastLevel;
    int64_t contacts = 0;
    for (int32_t node = scene.mIslandPool.GetHead(best); node >= 0; node = scene.mIslandPool.GetNext(node)) {
        const Toy* toy = scene.mIslandOwners[node];
        std::vector<const Toy*> touched{toy};
        for (const ContactRecord& c : toy->mPointContacts) if (c.mPartnerToy) touched.push_back(c.mPartnerToy);
        for (const ContactRecord& c : toy->mLineContacts) if (c.mPartnerToy) touched.push_back(c.mPartnerToy);
        for (const PenetrationRecord& r : toy->mPenetrationContacts) if (r.mPartner) touched.push_back(r.mPartner);
        contacts += toy->mPointContacts.Count() + toy->mLineContacts.Count() + toy->mPenetrationContacts.Count();
        int64_t level = 0;
        for (const Toy* t : touched) level = std::max(level, lastLevel[t]);
        ++level;
        for (const Toy* t : touched) lastLevel[t] = level;
        levels = std::max(levels, level);
    }
    meanContacts = static_cast<double>(contacts) / static_cast<double>(members);
}

// How the last step's un-penetration could go side by side: its toys, its
// largest group, and the rounds of toys that must run one after another
// because each waits for an earlier partner.
void UnPenetrationRounds(const Scene& scene, int32_t& toys, int32_t& largestGroup, int32_t& rounds)
{
    const ToyGroups& groups = scene.mPenetrationGroups;
    toys = groups.Members().Count();
    largestGroup = 0;
    for (int32_t g = 0; g < groups.Count(); ++g)
        largestGroup = std::max(largestGroup, groups.Start()[g + 1] - groups.Start()[g]);
    std::vector<int32_t> round(toys, 0);
    rounds = 0;
    for (int32_t m = 0; m < toys; ++m) {
        for (int32_t k = groups.WaitStart()[m]; k < groups.WaitStart()[m + 1]; ++k)
            round[m] = std::max(round[m], round[groups.Waits()[k]]);
        rounds = std::max(rounds, ++round[m]);
    }
}

void Measure(Scene& scene, int32_t threads, int32_t steps)
{
    GameSettings settings;
    settings.mParallelismEnabled = threads > 1 ? 1 : 0;
    WorkTeam::Shared().SetThreadCount(threads);
    double stage[13] = {};
    double passes[kStatToysPlaytime] = {};
    double whole = 0.0;
    const int64_t forksBefore = WorkTeam::Shared().GetForkCount();
    int64_t pairSolves = 0, islands = 0, largest = 0, asleep = 0;
    for (int32_t step = 0; step < steps; ++step) {
        StatSetInt(kStatSolverStepsCount, 0);
        PhysicsStep(scene, settings);
        for (int k = 1; k <= 12; ++k) stage[k] += TimerMs(kStatToysStageBase + k);
        for (int k = kStatLightsPlaytime; k < kStatToysPlaytime; ++k) passes[k] += TimerMs(k);
        whole += TimerMs(kStatToysPlaytime);
        pairSolves += StatGetInt(kStatSolverStepsCount);
        islands += scene.mIslandCount;
        for (int32_t g = 0; g < scene.mIslandCount; ++g) {
            int64_t members = 0;
            for (int32_t node = scene.mIslandPool.GetHead(g); node >= 0; node = scene.mIslandPool.GetNext(node))
                ++members;
            if (members > largest) largest = members;
        }
        for (const Toy* toy : scene.mToys) asleep += toy->mSleeping;
    }
    const double n = static_cast<double>(steps);
    std::printf("threads=%d  step %.2f ms  |", threads, whole / n);
    for (int k = 1; k <= 12; ++k) std::printf(" %d:%.2f", k, stage[k] / n);
    std::printf("\n    passes (lights, terrain objects, particles, joints, joint solve):");
    for (int k = kStatLightsPlaytime; k < kStatToysPlaytime; ++k) std::printf(" %.3f", passes[k] / n);
    std::printf("  forks/step %.1f",
                static_cast<double>(WorkTeam::Shared().GetForkCount() - forksBefore) / n);
    std::printf("\n    islands %.1f (largest %lld)  asleep %.1f%%  pair solves/step %.0f (%.1f per toy)\n",
                static_cast<double>(islands) / n, static_cast<long long>(largest),
                100.0 * static_cast<double>(asleep) / (n * scene.GetToyCount()), pairSolves / n,
                pairSolves / n / scene.GetToyCount());
}

} // namespace

int main(int argc, char** argv)
{
    const int32_t toys = argc > 1 ? std::atoi(argv[1]) : 2048;
    const int32_t steps = argc > 2 ? std::atoi(argv[2]) : 50;
    const int32_t settleSteps = argc > 3 ? std::atoi(argv[3]) : kSettleSteps;
    const char* world = argc > 4 ? argv[4] : "pile";
    bool (*build)(Scene&, int32_t) = std::strcmp(world, "pile") == 0         ? Scenes::MakeSoftPile
                                     : std::strcmp(world, "chains") == 0     ? Scenes::MakeChains
                                     : std::strcmp(world, "playground") == 0 ? Scenes::MakePlayground
                                                                             : nullptr;
    if (toys < 1 || steps < 1 || settleSteps < 0 || !build) {
        std::fprintf(stderr, "usage: step_stages [toys] [steps] [settle] [pile|chains|playground]\n");
        return 2;
    }
    Statistics statistics;
    Scene scene;
    if (!build(scene, toys)) {
        std::fprintf(stderr, "step_stages: cannot build a %s of %d toys\n", world, toys);
        return 2;
    }
    GameSettings settle;
    settle.mParallelismEnabled = 1;
    WorkTeam::Shared().SetThreadCount(WorkTeam::AvailableProcessors());
    Scenes::StepWorld(scene, settle, settleSteps);
    std::printf("%s of %d toys, settled %d steps, %d steps measured\n", world, scene.GetToyCount(), settleSteps, steps);
    int64_t members = 0, levels = 0;
    double contacts = 0.0;
    GameSettings one;
    PhysicsStep(scene, one);
    CriticalPath(scene, members, levels, contacts);
    std::printf("largest island %lld toys, %.1f contact records each; its solves in %lld dependent rounds (%.1f side by side)\n",
                static_cast<long long>(members), contacts, static_cast<long long>(levels),
                levels ? static_cast<double>(members) / static_cast<double>(levels) : 0.0);
    int32_t pushing = 0, largestGroup = 0, rounds = 0;
    UnPenetrationRounds(scene, pushing, largestGroup, rounds);
    std::printf("un-penetration: %d toys, largest group %d, in %d dependent rounds\n", pushing, largestGroup, rounds);
    Measure(scene, 1, steps);
    Measure(scene, 8, steps);
    return 0;
}
