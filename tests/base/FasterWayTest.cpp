#include <gtest/gtest.h>
#include "base/FasterWay.h"

namespace KIV {
namespace {

// Runs a way whose two sides cost what the phases say, recording each run's
// cost as the loops do, and counts how often each side ran per phase.
struct Phase {
    double mAlone, mTeam;  // seconds per unit of either way
    int32_t mRuns;
};
// The slower way's runs in the phase's last half.
int32_t RunPhase(FasterWay& way, const Phase& phase)
{
    int32_t slowerInTail = 0;
    for (int32_t run = 0; run < phase.mRuns; ++run) {
        const bool team = way.PickTeam();
        const bool slower = team ? phase.mTeam > phase.mAlone : phase.mAlone > phase.mTeam;
        if (slower && run >= phase.mRuns / 2) ++slowerInTail;
        way.Record(team, team ? phase.mTeam : phase.mAlone);
    }
    return slowerInTail;
}

TEST(FasterWay, TriesBothWaysThenKeepsToTheFasterAndFollowsAChange)
{
    struct Case {
        const char* mName;
        Phase mFirst, mThen;
    };
    const Case cases[] = {
        {"the team stays faster", {2.0, 1.0, 1200}, {2.0, 1.0, 1200}},
        {"alone stays faster", {1.0, 3.0, 1200}, {1.0, 3.0, 1200}},
        // Other programs take the cores: the team loses its lead at once.
        {"the team falls behind", {2.0, 1.0, 1200}, {2.0, 5.0, 1200}},
        // The world grows until forking pays: seen at the next retry.
        {"the team comes ahead", {1.0, 1.5, 1200}, {1.0, 0.2, 1200}},
    };
    for (const Case& c : cases) {
        FasterWay way;
        EXPECT_TRUE(way.PickTeam()) << c.mName << ": the team is tried first";
        way.Record(true, c.mFirst.mTeam);
        EXPECT_FALSE(way.PickTeam()) << c.mName << ": then the calling thread alone";
        way.Record(false, c.mFirst.mAlone);
        // The slower way is retried after 16 runs, then ever more rarely
        // while it keeps losing, yet often enough to see a change.
        for (const Phase& phase : {c.mFirst, c.mThen})
            EXPECT_LE(RunPhase(way, phase), 3) << c.mName << ": alone " << phase.mAlone << ", team " << phase.mTeam;
    }
}

TEST(FasterWay, EachPlaceInTheCodeKeepsItsOwnTimings)
{
    FasterWays ways;
    // The place is the line that calls, not the one that declares the default.
    auto place = [](const CodePlace& where = CodePlace::Here()) { return where; };
    const CodePlace first = place();
    const CodePlace second = place();
    EXPECT_EQ(first.mLine + 1, second.mLine);
    FasterWay& a = ways.At(first);
    a.Record(true, 1.0);
    EXPECT_EQ(&ways.At(first), &a);
    FasterWay& b = ways.At(second);
    EXPECT_NE(&b, &a);
    EXPECT_EQ(b.SecondsPerUnit(true), 0.0);
}

} // namespace
} // namespace KIV
