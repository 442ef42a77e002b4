#include <gtest/gtest.h>
#include "game/FrameTiming.h"

using namespace KIV;

TEST(FrameTiming, StepsDueForTickDifferences)
{
    struct Case {
        int32_t frequency;
        uint32_t first, second;
        uint32_t steps;
        float accumulator;
    } cases[] = {
        {210, 1000, 2000, 7, 0.0f},     // clamped to frequency / 30
        {210, 1000, 1010, 2, 0.476f},   // 10 ms at 4.76 ms per step
        {210, 1000, 1004, 0, 4.0f},
        {200, 1000, 2000, 6, 0.0f},
        {20, 1000, 2000, 0, 0.0f},      // below 30 Hz the world stands still
        {210, 1000, 500, 0, 0.0f},      // the clock went backwards
    };
    for (const Case& c : cases) {
        FrameTiming t;
        ASSERT_TRUE(t.SetFrequency(c.frequency));
        t.Update(c.first);
        t.mAccumulatorMs = 0.0f;
        t.Update(c.second);
        EXPECT_EQ(t.mStepsDue, c.steps) << c.frequency << " " << c.second;
        EXPECT_NEAR(t.mAccumulatorMs, c.accumulator, 0.01f) << c.frequency << " " << c.second;
    }
}

TEST(FrameTiming, ANonPositiveFrequencyIsRefused)
{
    FrameTiming t;
    EXPECT_FALSE(t.SetFrequency(0));
    EXPECT_FALSE(t.SetFrequency(-5));
    EXPECT_EQ(t.GetFrequency(), 210);
    t.Update(0);
    t.Update(100);
    EXPECT_EQ(t.mStepsDue, 7u);
}

TEST(FrameTiming, FramesPerSecondFromTheRing)
{
    FrameTiming t;
    uint32_t ticks = 0;
    for (int i = 0; i < 40; ++i) t.Update(ticks += 16);
    EXPECT_EQ(t.mFramesPerSecond, 62);
    t.Update(ticks - 100); // a backward tick enters the ring as 0
    EXPECT_EQ(t.mElapsedMs, 0u);
    EXPECT_EQ(t.mFramesPerSecond, 65);
}
