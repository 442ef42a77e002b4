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
    t.Update(ticks - 100); // a backward tick enters the ring as 0: 304 ms over 20 is 15 whole ms
    EXPECT_EQ(t.mElapsedMs, 0u);
    EXPECT_EQ(t.mFramesPerSecond, 66);
}

TEST(FrameTiming, FramesPerSecondUseTheWholeMillisecondMean)
{
    struct Case {
        uint32_t frameMs[2];  // ten frames of each
        int32_t fps;
    } const cases[] = {
        {{16, 17}, 62},  // 330 / 20 = 16 whole ms, not 16.5
        {{33, 34}, 30},  // 670 / 20 = 33: 30.3
        {{1, 2}, 1000},  // 30 / 20 = 1
        {{0, 1}, 1000},  // 10 / 20 = 0: quicker than the clock tells, not a division by zero
        {{250, 250}, 4},
    };
    for (const Case& c : cases) {
        FrameTiming t;
        uint32_t ticks = 1000;
        t.Update(ticks);
        for (int i = 0; i < FrameTiming::kRingSize; ++i) t.Update(ticks += c.frameMs[i % 2]);
        EXPECT_EQ(t.mFramesPerSecond, c.fps) << c.frameMs[0] << "/" << c.frameMs[1];
    }
}
