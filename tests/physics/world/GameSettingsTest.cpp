#include <gtest/gtest.h>
#include "physics/world/GameSettings.h"

namespace KIV {
namespace {

TEST(GameSettingsRecord, EveryFieldStartsAtItsDefault)
{
    const GameSettings s;
    struct Flag {
        const char* name;
        uint8_t value;
        uint8_t expected;
    } const flags[] = {
        {"parallelism", s.mParallelismEnabled, 0},
        {"physics panel", s.mShowPhysicsPanel, 0},
        {"sleeping", s.mSleepingEnabled, 1},
        {"point collisions", s.mSolvePntColToyToy, 1},
        {"line collisions", s.mSolveLineColToyToy, 1},
        {"penetration contacts", s.mSolvePenContacts, 1},
        {"joints", s.mSolveJoints, 1},
        {"un-penetrate", s.mUnPenetrate, 1},
        {"immediate impulses", s.mImmediateImpulses, 1},
        {"vector angle morph", s.mVectorAngleMorph, 0},
        {"normalise response normals 1", s.mNormalizeResponseNormals1, 1},
        {"normalise response normals 2", s.mNormalizeResponseNormals2, 0},
        {"negate collision normal 2", s.mColNormal2Negate, 0},
        {"old response functions", s.mOldResponseFunctions, 0},
    };
    for (const Flag& f : flags) EXPECT_EQ(f.value, f.expected) << f.name;
    EXPECT_EQ(s.mTextureMapping, 2);
    EXPECT_EQ(s.mPhysicsFrequency, 210);
    EXPECT_EQ(s.mGravity, 800.0f);
    EXPECT_EQ(s.mJointsSSP, 0.14f);
    EXPECT_EQ(s.mVelIterations, 100);
    EXPECT_EQ(s.mMaxvABPSquared, 0.4f);
    for (int32_t k = 0; k < 12; ++k) EXPECT_EQ(s.mToySubPlayEnabled[k], 1) << "stage " << k + 1;
}

TEST(GameSettingsRecord, DefaultsAndScriptAccessors)
{
    GameSettings s;
    EXPECT_NEAR(s.GetMaxvABPSquared(), 40.0f, 1e-4f);
    s.SetMaxvABPSquared(25.0f);
    EXPECT_NEAR(s.mMaxvABPSquared, 0.25f, 1e-7f);
    EXPECT_NEAR(s.GetMaxvABPSquared(), 25.0f, 1e-4f);
    for (int32_t k = 1; k <= 12; ++k) EXPECT_TRUE(s.GetToySubPlayEnabled(k));
    s.SetToySubPlayEnabled(0, false);
    s.SetToySubPlayEnabled(13, false);
    for (uint8_t on : s.mToySubPlayEnabled) EXPECT_EQ(on, 1) << "indices outside 1..12 change nothing";
    EXPECT_TRUE(s.GetToySubPlayEnabled(0));
    s.SetToySubPlayEnabled(12, false);
    EXPECT_FALSE(s.GetToySubPlayEnabled(12));
    EXPECT_EQ(s.mToySubPlayEnabled[11], 0);
}

} // namespace
} // namespace KIV
