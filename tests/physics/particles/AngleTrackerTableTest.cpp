#include <gtest/gtest.h>
#include <cmath>
#include "physics/particles/AngleTrackerTable.h"

using namespace KIV;

namespace {

float TurnOf(const SinCos& e) { return std::atan2(e.mSin, e.mCos); }

} // namespace

TEST(AngleTrackerTable, EachKindHasItsLengthAndItsTurns)
{
    struct Case {
        int32_t kind;
        int32_t length;
        float maxTurn;  // for power 1
    };
    const Case cases[] = {{0, 16, 0.3f}, {1, 1024, 0.055f}, {2, 1024, 0.055f}, {3, 1024, 0.015f},
                          {4, 1024, 0.03f}, {5, 1024, 1.0f}, {6, 1024, 0.075f}};
    for (const Case& c : cases) {
        Random random;
        Array<SinCos> table;
        ASSERT_TRUE(BuildAngleTrackerTable(table, c.kind, 1.0f, random));
        ASSERT_EQ(table.Count(), c.length) << c.kind;
        for (const SinCos& e : table) ASSERT_LE(std::fabs(TurnOf(e)), c.maxTurn + 1e-6f) << c.kind;
    }
}

// Kinds 1, 2, 4 and 6 wiggle and come back: their runs turn one way, then
// back as far, so a whole table barely changes a particle's course.
TEST(AngleTrackerTable, WiggleKindsReturnToTheirCourse)
{
    for (int32_t kind : {1, 2, 4, 6}) {
        Random random;
        Array<SinCos> table;
        ASSERT_TRUE(BuildAngleTrackerTable(table, kind, 1.0f, random));
        float sum = 0.0f, largest = 0.0f;
        for (const SinCos& e : table) {
            sum += TurnOf(e);
            largest = std::max(largest, std::fabs(TurnOf(e)));
        }
        EXPECT_LT(std::fabs(sum), 2.0f * largest) << kind;
        EXPECT_NE(random.mSeed, 1) << kind << " draws its runs from the owner's generator";
    }
}

TEST(AngleTrackerTable, TheEasedKindRisesTwiceAcrossItsTable)
{
    Random random;
    Array<SinCos> table;
    ASSERT_TRUE(BuildAngleTrackerTable(table, 3, 1.0f, random));
    EXPECT_NEAR(TurnOf(table[0]), 0.01f, 1e-6f);
    EXPECT_NEAR(TurnOf(table[512]), 0.015f, 1e-6f);
    EXPECT_NEAR(TurnOf(table[513]), 0.01f, 1e-5f);
    EXPECT_NEAR(TurnOf(table[1023]), 0.015f, 1e-4f);
    EXPECT_EQ(random.mSeed, 1);
}

TEST(AngleTrackerTable, TheKickKindTurnsOnceAgainstThePower)
{
    Random random;
    Array<SinCos> table;
    ASSERT_TRUE(BuildAngleTrackerTable(table, 5, 0.5f, random));
    EXPECT_FLOAT_EQ(TurnOf(table[0]), -0.5f);
    for (int32_t i = 1; i < table.Count(); ++i) ASSERT_EQ(TurnOf(table[i]), 0.0f);
}

TEST(AngleTrackerTable, EaseRunsFromZeroThroughAHalfToOne)
{
    EXPECT_FLOAT_EQ(EaseInOut(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(EaseInOut(0.5f), 0.5f);
    EXPECT_FLOAT_EQ(EaseInOut(1.0f), 1.0f);
    EXPECT_LT(EaseInOut(0.25f), 0.25f);
    EXPECT_GT(EaseInOut(0.75f), 0.75f);
}
