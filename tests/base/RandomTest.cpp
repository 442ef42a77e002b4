#include <gtest/gtest.h>
#include "base/Random.h"

using namespace KIV;

TEST(Random, FollowsTheMinimalStandardSequence)
{
    Random r;
    const int32_t first[] = {16807, 282475249, 1622650073};
    for (int32_t expected : first) {
        r.Step();
        EXPECT_EQ(r.mSeed, expected);
    }
    Random s;
    for (int i = 0; i < 10000; ++i) s.Step();
    EXPECT_EQ(s.mSeed, 1043618065);
}

TEST(Random, DerivedValuesFromTheFirstStep)
{
    EXPECT_EQ(Random().NextInt(10), 0);
    EXPECT_TRUE(Random().NextBool());
    Random r;
    for (int i = 0; i < 1000; ++i) {
        float f = r.NextFloatInRange(2.0f, 4.0f);
        EXPECT_GT(f, 2.0f);
        EXPECT_LE(f, 4.0f);
    }
}

TEST(Random, OwnersAreIndependent)
{
    Random a, b;
    for (int i = 0; i < 50; ++i) a.NextInt(100);
    // Stepping one owner leaves the other at the start of its own sequence.
    EXPECT_EQ(b.NextInt(1000000), Random().NextInt(1000000));
    Random c;
    for (int i = 0; i < 50; ++i) c.NextInt(100);
    EXPECT_EQ(a.NextFloat(), c.NextFloat());
}
