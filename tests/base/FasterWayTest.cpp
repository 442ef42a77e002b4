#include <gtest/gtest.h>
#include "base/FasterWay.h"
#include <initializer_list>

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

// A loop whose fork costs kForkCost whatever its size, each unit of work
// kUnitCost alone and an eighth of it on the team: forking pays from about
// 23 units on.
constexpr double kForkCost = 20.0;
constexpr double kUnitCost = 1.0;
double CostPerUnit(bool team, int64_t units)
{
    return team ? kForkCost / static_cast<double>(units) + kUnitCost / 8.0 : kUnitCost;
}

struct SizedRuns {
    int32_t mFirstFaster = -1;  // the run that first took the faster way
    int32_t mSlower = 0;        // runs that took the slower way
};
// `runs` runs whose size cycles through `sizes`.
SizedRuns RunSizes(FasterWay& way, std::initializer_list<int64_t> sizes, int32_t runs)
{
    SizedRuns out;
    for (int32_t run = 0; run < runs; ++run) {
        const int64_t units = sizes.begin()[run % sizes.size()];
        const bool team = way.PickTeam(units);
        const bool faster = CostPerUnit(team, units) <= CostPerUnit(!team, units);
        if (faster && out.mFirstFaster < 0) out.mFirstFaster = run;
        out.mSlower += !faster;
        way.Record(team, CostPerUnit(team, units));
    }
    return out;
}

TEST(FasterWay, AChangeOfSizeIsFollowedWithinTheFirstRetryInterval)
{
    struct Case {
        const char* mName;
        std::initializer_list<int64_t> mBefore, mAfter;
        int32_t mLatestFirstFaster;  // runs after the change
        int32_t mMostSlower;         // runs of the slower way after the change, of 1200
    };
    // Up to the first retry the old choice stands; then the retries of the
    // new loser spread out again.
    constexpr int32_t kFollowing = FasterWay::kFirstRetryInterval + 8;
    // Long enough before the change for the retries to have grown far apart.
    const Case cases[] = {
        // A large level loaded into the scene: the team, long the loser, wins now.
        {"the work grows past where forking pays", {8}, {2048}, FasterWay::kFirstRetryInterval, kFollowing},
        {"the work shrinks below where forking pays", {2048}, {8}, FasterWay::kFirstRetryInterval, kFollowing},
        // Sizes within the factor leave the retries far apart.
        {"the size wanders within a factor of two", {300}, {300, 200, 390, 160}, 0, 4},
        // Nor does a size that swings far every run: it is the same work by turns.
        {"the size swings far every run", {2048}, {2048, 256}, 0, 4},
        // A size that keeps moving far retries the slower way at most once per interval.
        {"the size doubles and halves by turns of ten runs", {2048}, {2048, 2048, 2048, 2048, 2048, 2048, 2048, 2048,
         2048, 2048, 256, 256, 256, 256, 256, 256, 256, 256, 256, 256}, 0, 1200 / FasterWay::kFirstRetryInterval + 2},
    };
    for (const Case& c : cases) {
        FasterWay way;
        RunSizes(way, c.mBefore, 1200);
        const SizedRuns after = RunSizes(way, c.mAfter, 1200);
        EXPECT_LE(after.mFirstFaster, c.mLatestFirstFaster) << c.mName;
        EXPECT_GE(after.mFirstFaster, 0) << c.mName;
        EXPECT_LE(after.mSlower, c.mMostSlower) << c.mName;
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
