#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>
#include "base/WorkTeam.h"
#include "physics/contacts/SharedIslandSolve.h"
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"
#include "physics/world/GameSettings.h"
#include "physics/world/Scene.h"
#include "scenes/JointWorlds.h"
#include "scenes/StepWorlds.h"

// A team that runs an island's iterations ahead of the stop test must leave
// every velocity, impulse and velocity term exactly as the chain-order solve
// on one thread does, whether the island stops at its first iteration, at
// some iteration in between (undoing the work run past it) or runs them all.

namespace KIV {
namespace {

// What an island's solve may change, kept to be put back between runs.
class IslandState {
public:
    IslandState(const std::vector<Toy*>& members, Scene& scene) : mMembers(members), mScene(scene)
    {
        for (Toy* toy : members)
            mToys.push_back({toy->mVelocityAfterImpulses, toy->mAngularVelocityAfterImpulses, {},
                             toy->mLineContacts, toy->mPointContacts, toy->mPenetrationContacts});
        for (size_t k = 0; k < members.size(); ++k)
            std::memcpy(mToys[k].mPending, members[k]->mPendingImpulse, sizeof(mToys[k].mPending));
        for (Joint* joint : scene.mJoints.mJoints) mConstraints.push_back(joint->mConstraint);
    }

    void Restore() const
    {
        for (size_t k = 0; k < mMembers.size(); ++k) {
            Toy& toy = *mMembers[k];
            const Saved& s = mToys[k];
            toy.mVelocityAfterImpulses = s.mVelocity;
            toy.mAngularVelocityAfterImpulses = s.mAngular;
            std::memcpy(toy.mPendingImpulse, s.mPending, sizeof(s.mPending));
            toy.mLineContacts = s.mLine;
            toy.mPointContacts = s.mPoint;
            toy.mPenetrationContacts = s.mPenetration;
        }
        int32_t j = 0;
        for (Joint* joint : mScene.mJoints.mJoints) joint->mConstraint = mConstraints[j++];
    }

    // Every float a solve writes, as bits.
    std::vector<uint32_t> Bits() const
    {
        std::vector<uint32_t> bits;
        auto put = [&bits](const float* f, int32_t n) {
            for (int32_t i = 0; i < n; ++i) {
                uint32_t b;
                std::memcpy(&b, f + i, 4);
                bits.push_back(b);
            }
        };
        auto putVector = [&put](const VectorF& v) { put(&v.mX, 1), put(&v.mY, 1); };
        for (const Toy* toy : mMembers) {
            putVector(toy->mVelocityAfterImpulses);
            put(&toy->mAngularVelocityAfterImpulses, 1);
            put(toy->mPendingImpulse, 6);
            for (const Array<ContactRecord>* list : {&toy->mLineContacts, &toy->mPointContacts})
                for (const ContactRecord& c : *list) {
                    putVector(c.mImpulse);
                    putVector(c.mPointTerm);
                    putVector(c.mRelativeTerm);
                }
            for (const PenetrationRecord& r : toy->mPenetrationContacts) putVector(r.mImpulse);
        }
        for (const Joint* joint : mScene.mJoints.mJoints) putVector(joint->mConstraint);
        return bits;
    }

private:
    struct Saved {
        VectorF mVelocity;
        float mAngular;
        float mPending[6];
        Array<ContactRecord> mLine;
        Array<ContactRecord> mPoint;
        Array<PenetrationRecord> mPenetration;
    };
    std::vector<Toy*> mMembers;
    Scene& mScene;
    std::vector<Saved> mToys;
    std::vector<VectorF> mConstraints;
};

// The members of the island of the world's last step with the most contact
// records, in chain order: joints alone never hold the iterations open.
std::vector<Toy*> BusiestIsland(const Scene& scene)
{
    std::vector<Toy*> busiest;
    int32_t most = -1;
    for (int32_t g = 0; g < scene.mIslandCount; ++g) {
        std::vector<Toy*> members;
        int32_t contacts = 0;
        for (int32_t node = scene.mIslandPool.GetHead(g); node >= 0; node = scene.mIslandPool.GetNext(node)) {
            Toy* toy = scene.mIslandOwners[node];
            members.push_back(toy);
            contacts += toy->mLineContacts.Count() + toy->mPointContacts.Count();
        }
        if (contacts > most) {
            most = contacts;
            busiest = members;
        }
    }
    return busiest;
}

struct World {
    const char* name;
    bool (*make)(Scene&, int32_t);
    int32_t toys;
    int32_t steps;
    int32_t leastIsland;
};

// How the stop test ends the solve.
enum class Ending { kFirstIteration, kInBetween, kEveryIteration };

struct Solved {
    int32_t mIterations = 0;
    std::vector<uint32_t> mBits;
};

Solved SolveSerially(const IslandState& start, std::vector<Toy*>& members, const GameSettings& settings)
{
    start.Restore();
    Solved s;
    s.mIterations = SolveIslandIterations(members.data(), static_cast<int32_t>(members.size()), settings);
    s.mBits = start.Bits();
    return s;
}

// A stop threshold that ends the serial solve as asked.
bool FindThreshold(Ending ending, const IslandState& start, std::vector<Toy*>& members, GameSettings& settings)
{
    if (ending == Ending::kFirstIteration) {
        settings.mMaxvABPSquared = 1e30f;
        return SolveSerially(start, members, settings).mIterations == 1;
    }
    if (ending == Ending::kEveryIteration) {
        settings.mMaxvABPSquared = 0.0f;
        return SolveSerially(start, members, settings).mIterations == settings.mVelIterations;
    }
    // Well past the first iterations and short of the last, so that the team
    // has run ahead of the stop and has work to undo.
    for (float threshold = 1e6f; threshold > 1e-8f; threshold *= 0.5f) {
        settings.mMaxvABPSquared = threshold;
        const int32_t k = SolveSerially(start, members, settings).mIterations;
        if (k > SharedIslandSolve::kLookAhead && k + SharedIslandSolve::kLookAhead < settings.mVelIterations)
            return true;
    }
    return false;
}

// One team run of the island, set up as the test asks.
struct TeamRun {
    int32_t mThreads;
    int32_t mGiveUpAfter;  // -1: the team runs to the end
};

// Every world, ending and team run gives the serial iterations and bits.
void ExpectSerialBits(const std::vector<TeamRun>& runs)
{
    const World worlds[] = {
        {"pile", Scenes::MakeSoftPile, 48, 300, 12},
        {"chains", Scenes::MakeChains, 48, 400, 8},
    };
    const Ending endings[] = {Ending::kFirstIteration, Ending::kInBetween, Ending::kEveryIteration};
    const char* endingNames[] = {"first iteration", "in between", "every iteration"};
    WorkTeam& team = WorkTeam::Shared();
    const int32_t savedThreads = team.GetThreadCount();
    team.SetThreadCount(8);
    for (const World& w : worlds) {
        auto scene = std::make_unique<Scene>();
        ASSERT_TRUE(w.make(*scene, w.toys)) << w.name;
        GameSettings settings;
        Scenes::StepWorld(*scene, settings, w.steps);
        std::vector<Toy*> members = BusiestIsland(*scene);
        ASSERT_GE(static_cast<int32_t>(members.size()), w.leastIsland) << w.name;
        const IslandState start(members, *scene);

        for (int32_t e = 0; e < 3; ++e) {
            GameSettings s = settings;
            ASSERT_TRUE(FindThreshold(endings[e], start, members, s)) << w.name << ", " << endingNames[e];
            const Solved serial = SolveSerially(start, members, s);
            for (const TeamRun& run : runs) {
                start.Restore();
                SharedIslandSolve solve;
                solve.SetAlwaysTeam(true);
                solve.SetTeamThreads(run.mThreads);
                solve.SetGiveUpAfter(run.mGiveUpAfter);
                const int32_t iterations = solve.Run(members.data(), static_cast<int32_t>(members.size()), s);
                EXPECT_EQ(iterations, serial.mIterations)
                    << w.name << ", " << endingNames[e] << ", " << run.mThreads << " threads, giving up after "
                    << run.mGiveUpAfter;
                EXPECT_TRUE(start.Bits() == serial.mBits)
                    << w.name << ", " << endingNames[e] << ": " << run.mThreads << " threads giving up after "
                    << run.mGiveUpAfter << " differ from one";
            }
        }
    }
    team.SetThreadCount(savedThreads);
}

TEST(IslandPipeline, RunningAheadGivesTheChainOrderBitsOnEveryEnding)
{
    ExpectSerialBits({{2, -1}, {3, -1}, {8, -1}});
}

// A team too slow for the machine stops at a judged iteration, undoes what it
// ran past it, and the calling thread goes on from there: right after the
// first iteration, after more than the team may run ahead (the work past the
// judged one is then in the copies of earlier iterations too), and after the
// in-between stop, which then comes first and must win.
TEST(IslandPipeline, ATeamThatGivesUpLeavesTheCallingThreadTheChainOrderBits)
{
    std::vector<TeamRun> runs;
    for (const int32_t threads : {2, 3, 8})
        for (const int32_t after : {1, SharedIslandSolve::kLookAhead + 3, 60}) runs.push_back({threads, after});
    ExpectSerialBits(runs);
}

} // namespace
} // namespace KIV
