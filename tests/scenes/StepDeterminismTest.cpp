#include <gtest/gtest.h>
#include <bit>
#include <vector>
#include "base/WorkTeam.h"
#include "physics/world/GameSettings.h"
#include "physics/joints/Joint.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/ImpactWorlds.h"
#include "scenes/JointWorlds.h"
#include "scenes/StepWorlds.h"

namespace KIV {
namespace {

constexpr int32_t kPileToys = 12;
constexpr int32_t kSteps = 2000;

// Steps a world serially (one thread) or with the parallel loops on the given threads.
void StepOnThreads(Scene& scene, void (*step)(Scene&, const GameSettings&, int32_t), int32_t steps, int32_t threads)
{
    GameSettings settings;
    settings.mParallelismEnabled = threads > 1 ? 1 : 0;
    WorkTeam& team = WorkTeam::Shared();
    const int32_t saved = team.GetThreadCount();
    team.SetThreadCount(threads);
    step(scene, settings, steps);
    team.SetThreadCount(saved);
}

// The pile of mixed soft toys falls, collides and settles for kSteps steps;
// the hash covers every outline point, pose and velocity bit.
uint64_t RunPile(int32_t threads)
{
    Scene scene;
    EXPECT_TRUE(Scenes::MakeSoftPile(scene, kPileToys));
    StepOnThreads(scene, Scenes::StepWorld, kSteps, threads);
    int32_t touching = 0;
    for (const Toy* toy : scene.mToys) touching += toy->mPointContacts.Count() + toy->mLineContacts.Count();
    EXPECT_GT(touching, kPileToys) << "the pile must have collided, or the hash proves little";
    return Scenes::HashToyState(scene);
}

TEST(StepDeterminism, SamePileSteppedTwiceGivesTheSameBits)
{
    EXPECT_EQ(RunPile(1), RunPile(1));
}

TEST(StepDeterminism, ParallelStepsGiveTheSerialBits)
{
    const uint64_t serial = RunPile(1);
    for (int32_t threads : {2, 4, 8}) EXPECT_EQ(RunPile(threads), serial) << threads << " threads";
}

constexpr int32_t kImpactToys = 18;
constexpr int32_t kImpactSteps = 420;

// The hard-thrown pile with two of every three toys joined in pairs, so
// jointed and free toys dent side by side: the toy hash, and the bits of
// every joint's anchors and inertias, which the toys' dents move.
struct JointedImpactRun {
    uint64_t mToys = 0;
    std::vector<uint32_t> mJointBits;
    int32_t mDentedJointedToys = 0;
    int32_t mDentedFreeToys = 0;
};

JointedImpactRun RunJointedImpacts(int32_t threads)
{
    JointedImpactRun run;
    Scene scene;
    EXPECT_TRUE(Scenes::MakeImpactPile(scene, kImpactToys));
    for (int32_t i = 0; i + 1 < kImpactToys; i += 3) {
        Toy* a = scene.mToys[i];
        Toy* b = scene.mToys[i + 1];
        EXPECT_NE(Scenes::JoinToys(scene, a, b, (a->GetPosition() + b->GetPosition()) * 0.5f), nullptr);
    }
    StepOnThreads(scene, Scenes::StepImpactWorld, kImpactSteps, threads);
    run.mToys = Scenes::HashToyState(scene);
    for (const Joint* joint : scene.mJoints.mJoints)
        for (float v : {joint->mAnchorA.mX, joint->mAnchorA.mY, joint->mAnchorB.mX, joint->mAnchorB.mY,
                        joint->mInertiaA, joint->mInertiaB})
            run.mJointBits.push_back(std::bit_cast<uint32_t>(v));
    for (const Toy* toy : scene.mToys)
        if (toy->GetDeformedCount() > 0) ++(toy->mJoints.IsEmpty() ? run.mDentedFreeToys : run.mDentedJointedToys);
    return run;
}

TEST(StepDeterminism, JointedAndFreeToysThatDentGiveTheSerialBitsOnFourThreads)
{
    const JointedImpactRun serial = RunJointedImpacts(1);
    EXPECT_GT(serial.mDentedJointedToys, 0) << "jointed toys must dent, or the bits prove little";
    EXPECT_GT(serial.mDentedFreeToys, 0);
    const JointedImpactRun parallel = RunJointedImpacts(4);
    EXPECT_EQ(parallel.mToys, serial.mToys);
    EXPECT_EQ(parallel.mJointBits, serial.mJointBits);
}

} // namespace
} // namespace KIV
