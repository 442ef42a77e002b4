#pragma once
#include <cstdint>

namespace KIV {

// The one record of simulation switches and tuning values. It is never loaded
// or saved: every start begins from the defaults below, so a replay recorded
// with the defaults replays the same way.
struct GameSettings {
    // The condition of every parallel loop of the physics. Off by default:
    // serial and parallel runs give the same bits, parallel only runs faster.
    uint8_t mParallelismEnabled = 0;
    uint8_t mShowPhysicsPanel = 0;
    int32_t mTextureMapping = 2;
    int32_t mPhysicsFrequency = 210;
    float mGravity = 800.0f;
    float mJointsSSP = 0.14f;
    uint8_t mSleepingEnabled = 1;
    int32_t mVelIterations = 100;
    // Kept as one hundredth of what scripts see (scripts set and read 40).
    float mMaxvABPSquared = 0.4f;
    uint8_t mSolvePntColToyToy = 1;
    uint8_t mSolveLineColToyToy = 1;
    uint8_t mSolvePenContacts = 1;
    uint8_t mSolveJoints = 1;
    uint8_t mUnPenetrate = 1;
    uint8_t mImmediateImpulses = 1;
    uint8_t mVectorAngleMorph = 0;
    uint8_t mNormalizeResponseNormals1 = 1;
    uint8_t mNormalizeResponseNormals2 = 0;
    uint8_t mColNormal2Negate = 0;
    uint8_t mOldResponseFunctions = 0;
    // Element 0 enables toy stage 1; stage 10 does nothing either way.
    uint8_t mToySubPlayEnabled[12] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

    void SetTextureMapping(int32_t v) { mTextureMapping = v; }
    int32_t GetTextureMapping() const { return mTextureMapping; }
    void SetJoints_SSP(float v) { mJointsSSP = v; }
    float GetJoints_SSP() const { return mJointsSSP; }
    void SetSleepingEnabled(bool v) { mSleepingEnabled = v ? 1 : 0; }
    bool GetSleepingEnabled() const { return mSleepingEnabled != 0; }
    void SetVelIterations(int32_t v) { mVelIterations = v; }
    int32_t GetVelIterations() const { return mVelIterations; }
    void SetMaxvABPSquared(float v);
    float GetMaxvABPSquared() const;

    void SetSolvePntColToyToy(bool v) { mSolvePntColToyToy = v ? 1 : 0; }
    void SetSolveLineColToyToy(bool v) { mSolveLineColToyToy = v ? 1 : 0; }
    void SetSolvePenContacts(bool v) { mSolvePenContacts = v ? 1 : 0; }
    void SetSolveJoints(bool v) { mSolveJoints = v ? 1 : 0; }
    void SetUnPenetrate(bool v) { mUnPenetrate = v ? 1 : 0; }
    void SetImmediateImpulses(bool v) { mImmediateImpulses = v ? 1 : 0; }
    void SetVectorAngleMorph(bool v) { mVectorAngleMorph = v ? 1 : 0; }
    void SetNormalizeResponseNormals1(bool v) { mNormalizeResponseNormals1 = v ? 1 : 0; }
    void SetNormalizeResponseNormals2(bool v) { mNormalizeResponseNormals2 = v ? 1 : 0; }
    void SetColNormal2Negate(bool v) { mColNormal2Negate = v ? 1 : 0; }
    void SetOldResponseFunctions(bool v) { mOldResponseFunctions = v ? 1 : 0; }

    // Stages are numbered 1..12 as scripts number them; other indices are
    // ignored by the setter and read as enabled.
    void SetToySubPlayEnabled(int32_t index, bool on);
    bool GetToySubPlayEnabled(int32_t index) const;
    // The stage driver's test, for stage k in 1..12.
    bool IsStageEnabled(int32_t stage) const { return mToySubPlayEnabled[stage - 1] != 0; }
};

// Built with the defaults before main runs; lives until the process ends.
extern GameSettings* gSettings;

} // namespace KIV
