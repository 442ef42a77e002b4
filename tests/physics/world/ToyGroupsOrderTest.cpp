#include <gtest/gtest.h>
#include <atomic>
#include <memory>
#include <utility>
#include <vector>
#include "base/WorkTeam.h"
#include "physics/world/ToyGroups.h"
#include "physics/toys/Toy.h"

// Linked members of one group run side by side, each after the earlier
// members it is linked to: a missing or misplaced wait lets a member read
// what a later one has already moved, or miss what an earlier one moved.

namespace KIV {
namespace {

struct LinkCase {
    const char* mName;
    int32_t mToys;
    std::vector<std::pair<int32_t, int32_t>> mLinks;  // list indices, in either order
};

std::vector<LinkCase> Cases()
{
    std::vector<LinkCase> cases;
    LinkCase chain{"chain", 40, {}};
    for (int32_t i = 0; i + 1 < 40; ++i) chain.mLinks.push_back({i + 1, i});
    cases.push_back(chain);
    LinkCase star{"star", 30, {}};
    for (int32_t i = 1; i < 30; ++i) star.mLinks.push_back({0, i});
    cases.push_back(star);
    // Two interleaved chains: two groups whose members alternate in the list.
    LinkCase braid{"two interleaved chains", 40, {}};
    for (int32_t i = 0; i + 2 < 40; ++i) braid.mLinks.push_back({i, i + 2});
    cases.push_back(braid);
    // Links named from both ends, as two partners' records name each other.
    LinkCase both{"links named twice", 24, {}};
    for (int32_t i = 0; i + 3 < 24; i += 3) {
        both.mLinks.push_back({i, i + 3});
        both.mLinks.push_back({i + 3, i});
        both.mLinks.push_back({i + 1, i + 3});
    }
    cases.push_back(both);
    return cases;
}

class ToyGroupsOrder : public ::testing::Test {
protected:
    void Build(const LinkCase& c)
    {
        mToys.DeleteAll();
        for (int32_t i = 0; i < c.mToys; ++i) mToys.AppendNew()->mSlotIndex = 7 + 3 * i;
        mGroups.Begin(mToys, [](const Toy&) { return true; });
        for (const auto& [a, b] : c.mLinks) mGroups.Link(a, b);
        mGroups.Finish(mToys);
    }
    // Where each toy went among the members.
    std::vector<int32_t> MemberOfToy() const
    {
        std::vector<int32_t> member(mToys.Count(), -1);
        for (int32_t m = 0; m < mGroups.Members().Count(); ++m)
            for (int32_t i = 0; i < mToys.Count(); ++i)
                if (mGroups.Members()[m] == mToys[i]) member[i] = m;
        return member;
    }

    PtrArray<Toy> mToys;
    ToyGroups mGroups;
};

TEST_F(ToyGroupsOrder, TheLaterToyOfEveryLinkWaitsForTheEarlier)
{
    for (const LinkCase& c : Cases()) {
        SCOPED_TRACE(c.mName);
        Build(c);
        const std::vector<int32_t> member = MemberOfToy();
        const Array<int32_t>& start = mGroups.WaitStart();
        const Array<int32_t>& waits = mGroups.Waits();
        ASSERT_EQ(start.Count(), mGroups.Members().Count() + 1);
        for (int32_t m = 0; m < mGroups.Members().Count(); ++m)
            for (int32_t k = start[m]; k < start[m + 1]; ++k) EXPECT_LT(waits[k], m) << "a wait for a later member";
        for (const auto& [a, b] : c.mLinks) {
            const int32_t early = std::min(member[a], member[b]), late = std::max(member[a], member[b]);
            ASSERT_GE(early, 0);
            EXPECT_LT(a < b ? member[a] : member[b], a < b ? member[b] : member[a]) << "the list order lost";
            bool found = false;
            for (int32_t k = start[late]; k < start[late + 1]; ++k) found |= waits[k] == early;
            EXPECT_TRUE(found) << "toys " << a << " and " << b << " run unordered";
        }
    }
}

TEST_F(ToyGroupsOrder, SideBySideMembersStartOnlyAfterTheirWaitsEnd)
{
    WorkTeam team(4);
    for (const LinkCase& c : Cases()) {
        SCOPED_TRACE(c.mName);
        Build(c);
        const int32_t members = mGroups.Members().Count();
        // Many runs, so that the stamps of one run are never taken for the next's.
        for (int32_t run = 0; run < 50; ++run) {
            std::atomic<int32_t> clock{0};
            std::vector<int32_t> began(members), ended(members);
            mGroups.BeginRun();
            team.For(members, 1, true, [&](int32_t m, int32_t) {
                mGroups.WaitForEarlier(m);
                began[m] = clock.fetch_add(1);
                // Long enough that a member let through too early overlaps it.
                for (int32_t spin = 0; spin < 2000; ++spin) __builtin_ia32_pause();
                ended[m] = clock.fetch_add(1);
                mGroups.MarkDone(m);
            });
            const Array<int32_t>& start = mGroups.WaitStart();
            for (int32_t m = 0; m < members; ++m)
                for (int32_t k = start[m]; k < start[m + 1]; ++k)
                    ASSERT_LT(ended[mGroups.Waits()[k]], began[m]) << "member " << m << " in run " << run;
        }
    }
}

} // namespace
} // namespace KIV
