#include <gtest/gtest.h>
#include "base/Statistics.h"

int main(int argc, char** argv)
{
    // The program builds its statistics table before anything else; so do the tests,
    // so counters are counted as in the game.
    static KIV::Statistics statistics;
    statistics.InitItems();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
