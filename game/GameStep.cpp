#include "base/Statistics.h"
#include "game/KIVGame.h"
#include "physics/world/GameSettings.h"
#include "physics/world/PhysicsStep.h"
#include "physics/toys/Toy.h"

namespace KIV {

void KIVGame::ApplyPhysicsFrequency(int32_t frequency)
{
    // A frequency of zero or below would make the step infinitely long.
    if (!mTiming.SetFrequency(frequency)) return;
    float dt = 1.0f / static_cast<float>(frequency);
    mStepLength = dt;
    mStepLengthInverse = 1.0f / dt;
    for (Toy* toy : mToys) {
        toy->mStepLength = dt;
        toy->mInverseStepLength = 1.0f / dt;
        toy->mHalfStepLengthSquared = 0.5f * dt * dt;
    }
    for (Joint* joint : mJoints.mJoints) joint->mStepLength = dt;
}

namespace {
// Toys smaller than this are debris: they go once nothing holds them.
constexpr float kDebrisArea = 80.0f;
} // namespace

void KIVGame::BreakPass()
{
    // Last to first: the pieces go in after their toy and wait for the next pass.
    mBreakList.Clear();
    for (int32_t i = mToys.Count() - 1; i >= 0; --i)
        if (mToys[i]->mHit.IsPending()) mBreakList.PushBack(mToys[i]);
    // A break takes two new slots before it frees its own: a full toy table
    // keeps its pending hits for a pass that has room.
    for (Toy* toy : mBreakList) {
        if (mToys.Count() > kMaxToys - 2) break;
        const ShotBlast blast = GetShotBlast(*toy);
        if (BreakToyInScene(*this, *toy)) LeaveShotBlast(blast);
    }
}

void KIVGame::JointBreakPass()
{
    // Joints of robots also leave their robot here once robots exist.
    PtrArray<Joint>& joints = mJoints.mJoints;
    for (int32_t i = joints.Count() - 1; i >= 0; --i)
        if (joints[i]->ShouldBreak()) DeleteJoint(mJoints, joints[i]);
}

void KIVGame::DebrisPass()
{
    for (int32_t i = mToys.Count() - 1; i >= 0; --i) {
        Toy* toy = mToys[i];
        if (toy->GetArea() >= kDebrisArea) continue;
        bool held = false;
        for (const Joint* joint : toy->mJoints) held = held || !joint->IsDead();
        if (held) continue;
        const ShotBlast blast = GetShotBlast(*toy);
        if (RemoveToy(toy)) LeaveShotBlast(blast);
    }
}

void KIVGame::SimulateStep()
{
    StatTimerStart(kStatLastFramePlaytime);
    StatTimerStart(kStatFramePlaytimeAvg);
    CarryOutRequestedRun();
    RecordOrReplayInput();
    ++mFrameIndex;
    ApplyRobotControls();
    StepShotCooldown();

    // Twice: a piece that still carries a hit breaks again in the same step.
    StatTimerStart(kStatBreakToysPlaytime);
    BreakPass();
    BreakPass();
    StatTimerStop(kStatBreakToysPlaytime);
    StatTimerStart(kStatBreakJointsPlaytime);
    JointBreakPass();
    StatTimerStop(kStatBreakJointsPlaytime);
    DebrisPass();

    PhysicsStep(*this, *gSettings);
    RunRobotUpdateScripts();

    StatSetInt(kStatFrameNumber, mFrameIndex);
    StatSetInt(kStatToysCount, mToys.Count());
    StatSetInt(kStatToysOuterPointsCount, SumToyPointCounts(mToys.begin(), mToys.Count()));
    StatSetInt(kStatToysContactsCount, SumToyContactCounts(mToys.begin(), mToys.Count()));
    StatSetInt(kStatJointsCount, mJoints.mJoints.Count());
    StatSetInt(kStatTerrainObjectsCount, mTerrainObjects.Count());
    StatSetInt(kStatLightsCount, mLights.Count());
    TakeSyncCheck();
    StatTimerStop(kStatLastFramePlaytime);
    StatTimerStop(kStatFramePlaytimeAvg);
    CarryOutRequestedRun();
}

} // namespace KIV
