#include "base/Statistics.h"
#include "game/KIVGame.h"
#include "physics/GameSettings.h"
#include "physics/PhysicsStep.h"
#include "physics/Toy.h"

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

void KIVGame::SimulateStep()
{
    StatTimerStart(kStatLastFramePlaytime);
    StatTimerStart(kStatFramePlaytimeAvg);
    ++mFrameIndex;

    PhysicsStep(*this, *gSettings);

    StatSetInt(kStatFrameNumber, mFrameIndex);
    StatSetInt(kStatToysCount, mToys.Count());
    StatSetInt(kStatToysOuterPointsCount, SumToyPointCounts(mToys.begin(), mToys.Count()));
    StatSetInt(kStatToysContactsCount, SumToyContactCounts(mToys.begin(), mToys.Count()));
    StatSetInt(kStatJointsCount, mJoints.mJoints.Count());
    StatSetInt(kStatTerrainObjectsCount, mTerrainObjects.Count());
    StatSetInt(kStatLightsCount, mLights.Count());
    StatTimerStop(kStatLastFramePlaytime);
    StatTimerStop(kStatFramePlaytimeAvg);
}

} // namespace KIV
