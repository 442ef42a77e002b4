#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "physics/terrain/Light.h"

using namespace KIV;

namespace {


bool SameBits(const ColorRGBAF& a, const ColorRGBAF& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }

void ExpectColorNear(const ColorRGBAF& c, const ColorRGBAF& e, float tolerance = 1e-6f)
{
    EXPECT_NEAR(c.mRed, e.mRed, tolerance);
    EXPECT_NEAR(c.mGreen, e.mGreen, tolerance);
    EXPECT_NEAR(c.mBlue, e.mBlue, tolerance);
    EXPECT_NEAR(c.mAlpha, e.mAlpha, tolerance);
}

} // namespace

TEST(LightTest, NewLightBlendsFromTheMinimumToTheMaximumOverTwentySteps)
{
    Light light;
    EXPECT_EQ(light.GetRadius(), 400.0f);
    ExpectColorNear(light.GetCurrentColor(), ColorRGBAF(0.5f, 0.5f, 0.5f, 0.0f));
    for (int32_t i = 0; i < 10; ++i) light.StepFlicker();
    ExpectColorNear(light.GetCurrentColor(), ColorRGBAF(0.35f, 0.45f, 0.35f, 0.0f));
    for (int32_t i = 0; i < 9; ++i) light.StepFlicker();
    ExpectColorNear(light.GetCurrentColor(), ColorRGBAF(0.485f, 0.675f, 0.485f, 0.0f));
    // Step 20 reaches the target and picks the next one on the minimum-maximum line.
    light.StepFlicker();
    ExpectColorNear(light.GetCurrentColor(), ColorRGBAF(0.5f, 0.7f, 0.5f, 0.0f));
    const ColorRGBAF t = light.mTarget;
    const float r = (t.mRed - 0.2f) / 0.3f;
    EXPECT_NEAR(t.mGreen, 0.2f + 0.5f * r, 1e-6f);
    EXPECT_GE(light.mPeriod, 20u);
    EXPECT_LT(light.mPeriod, 60u);
}

TEST(LightTest, DisabledFlickerKeepsTheCurrentColour)
{
    Light light;
    light.mFlickerEnabled = 0;
    light.SetCurrentColor(ColorRGBAF(0.9f, 0.1f, 0.3f, 1.0f));
    for (int32_t i = 0; i < 100; ++i) light.StepFlicker();
    EXPECT_TRUE(SameBits(light.GetCurrentColor(), ColorRGBAF(0.9f, 0.1f, 0.3f, 1.0f)));
    EXPECT_EQ(light.mStepCounter, 0u);
}

TEST(LightTest, EqualPeriodLimitsMakeEveryBlendThatLong)
{
    for (int32_t period : {1, 7, 33}) {
        Light light;
        light.mPeriodMin = light.mPeriodMax = period;
        // Steps at which a new target is taken: only then does the counter restart at 0.
        std::vector<int32_t> changes;
        for (int32_t step = 1; step <= 400; ++step) {
            light.StepFlicker();
            if (light.mStepCounter == 0) changes.push_back(step);
        }
        ASSERT_GT(changes.size(), 2u);
        EXPECT_EQ(changes[0], 20) << "the first blend uses the initial period";
        for (size_t i = 2; i < changes.size(); ++i) EXPECT_EQ(changes[i] - changes[i - 1], period) << period;
    }
}

TEST(LightTest, EqualColourLimitsSettleOnThatColour)
{
    Light light;
    light.mFlickerMin = light.mFlickerMax = ColorRGBAF(0.3f, 0.6f, 0.9f, 0.25f);
    light.mPeriodMin = light.mPeriodMax = 10;
    // Two blends: the initial one to the old target, then one to the fixed colour.
    for (int32_t i = 0; i < 30; ++i) light.StepFlicker();
    for (int32_t i = 0; i < 50; ++i) {
        light.StepFlicker();
        ExpectColorNear(light.GetCurrentColor(), ColorRGBAF(0.3f, 0.6f, 0.9f, 0.25f));
    }
}

TEST(LightTest, LightsBuiltAlikeFlickerIdenticallyInParallelAndSerially)
{
    PtrArray<Light> serial, parallel;
    for (int32_t i = 0; i < 6; ++i) {
        for (PtrArray<Light>* list : {&serial, &parallel}) {
            Light* light = list->AppendNew();
            ASSERT_NE(light, nullptr);
            light->mPeriodMin = 3 + i;
            light->mPeriodMax = 40 + 7 * i;
        }
    }
    Light alone;
    alone.mPeriodMin = 3;
    alone.mPeriodMax = 40;
    for (int32_t step = 0; step < 80; ++step) {
        AnimateLightsParallel(serial, false);
        AnimateLightsParallel(parallel, true);
        alone.StepFlicker();
        for (int32_t i = 0; i < serial.Count(); ++i)
            ASSERT_TRUE(SameBits(serial[i]->GetCurrentColor(), parallel[i]->GetCurrentColor())) << step;
        // Same seed, same settings: the same colours as a light stepped on its own.
        ASSERT_TRUE(SameBits(serial[0]->GetCurrentColor(), alone.GetCurrentColor())) << step;
    }
    // Different periods drift apart: the lists did not share one sequence.
    EXPECT_FALSE(SameBits(serial[0]->GetCurrentColor(), serial[5]->GetCurrentColor()));
}
