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

// On a busy machine the team may take many times as long as the calling
// thread alone: its retries must not cost more than a small share of the
// time however far behind it falls, nor must a slight loss be retried less
// often than usual.
TEST(FasterWay, RetriesOfAFarSlowerWayCostLittle)
{
    struct Case {
        double mTeam;         // seconds per unit; alone takes 1
        double mLeastShare;   // of the time lost to retries, at least (the retries still happen)
    };
    const Case cases[] = {{1.5, 0.0}, {4.0, 0.001}, {20.0, 0.001}, {65.0, 0.001}, {1000.0, 0.001}};
    for (const Case& c : cases) {
        FasterWay way;
        double taken = 0.0;
        constexpr int32_t kRuns = 100000;
        for (int32_t run = 0; run < kRuns; ++run) {
            const bool team = way.PickTeam();
            const double cost = team ? c.mTeam : 1.0;
            taken += cost;
            way.Record(team, cost);
        }
        const double lost = (taken - kRuns) / kRuns;
        EXPECT_LE(lost, 1.5 / FasterWay::kRetryLossShare) << "the team " << c.mTeam << " times as slow";
        EXPECT_GE(lost, c.mLeastShare) << "the team " << c.mTeam << " times as slow is still retried";
    }
    // A way that loses by little is retried as often as ever.
    FasterWay way;
    way.Record(true, 1.2);
    way.Record(false, 1.0);
    int32_t retries = 0;
    for (int32_t run = 0; run < 64; ++run) {
        const bool team = way.PickTeam();
        retries += team;
        way.Record(team, team ? 1.2 : 1.0);
    }
    EXPECT_GE(retries, 2);
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
