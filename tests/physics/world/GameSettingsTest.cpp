#include <gtest/gtest.h>
#include "physics/world/GameSettings.h"

namespace KIV {
namespace {

TEST(GameSettingsRecord, DefaultsAndScriptAccessors)
{
    GameSettings s;
    EXPECT_EQ(s.mParallelismEnabled, 0);
    EXPECT_EQ(s.mVelIterations, 100);
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
