#include <gtest/gtest.h>
#include <atomic>
#include <vector>
#include "base/WorkTeam.h"

namespace KIV {
namespace {

// Counts how often each item ran and on which threads.
struct Tally {
    explicit Tally(int32_t count) : mRuns(count) {}
    void Run(int32_t item, int32_t thread)
    {
        mRuns[item].fetch_add(1);
        if (thread != 0) mOnWorkers.fetch_add(1);
    }
    std::vector<std::atomic<int32_t>> mRuns;
    std::atomic<int32_t> mOnWorkers{0};
};

TEST(WorkTeam, RunsEveryItemExactlyOnce)
{
    struct Case {
        int32_t mThreads, mCount, mGrain;
        bool mParallel;
        bool mForks;  // whether each job goes to the workers
    };
    const Case cases[] = {
        {4, 0, 1, true, false},     {4, 1, 1, true, false},     {4, 1000, 1, true, true},
        {4, 1000, 7, true, true},   {4, 1000, 999, true, true}, {4, 1000, 1000, true, false},
        {4, 1000, 0, true, true},   {4, 1000, 5, false, false}, {1, 100, 1, true, false},
        {16, 5000, 3, true, true},
    };
    for (const Case& c : cases) {
        WorkTeam team(c.mThreads);
        EXPECT_EQ(team.GetForkCount(), 0);
        // Many jobs in a row: a worker that comes late to one must never take
        // chunks of the next with the last one's body.
        for (int32_t job = 0; job < 50; ++job) {
            Tally tally(c.mCount);
            team.For(c.mCount, c.mGrain, c.mParallel, [&](int32_t i, int32_t thread) { tally.Run(i, thread); });
            for (int32_t i = 0; i < c.mCount; ++i)
                ASSERT_EQ(tally.mRuns[i].load(), 1) << c.mThreads << " threads, " << c.mCount << " items, grain "
                                                     << c.mGrain << ", item " << i;
            if (!c.mParallel || c.mThreads == 1) {
                EXPECT_EQ(tally.mOnWorkers.load(), 0);
            }
        }
        EXPECT_EQ(team.GetForkCount(), c.mForks ? 50 : 0) << c.mThreads << " threads, " << c.mCount << " items, grain "
                                                         << c.mGrain;
    }
}

TEST(WorkTeam, ThreadIndicesNameScratchOfTheirOwn)
{
    WorkTeam team(4);
    std::vector<std::atomic<int32_t>> inUse(4);
    std::atomic<bool> shared{false};
    for (int32_t job = 0; job < 20; ++job)
        team.For(400, 1, true, [&](int32_t, int32_t thread) {
            ASSERT_GE(thread, 0);
            ASSERT_LT(thread, 4);
            if (inUse[thread].fetch_add(1) != 0) shared = true;
            std::atomic<int32_t> work{0};
            for (int32_t k = 0; k < 1000; ++k) work.fetch_add(1, std::memory_order_relaxed);
            inUse[thread].fetch_sub(1);
        });
    EXPECT_FALSE(shared) << "two threads used one thread index at once";
}

TEST(WorkTeam, LoopsInsideAJobRunOnTheirOwnThread)
{
    WorkTeam team(4);
    Tally inner(64 * 16);
    std::atomic<int32_t> moved{0};
    team.For(64, 1, true, [&](int32_t i, int32_t outer) {
        team.For(16, 1, true, [&](int32_t k, int32_t thread) {
            inner.Run(i * 16 + k, 0);
            if (thread != outer) moved.fetch_add(1);
        });
    });
    for (int32_t i = 0; i < 64 * 16; ++i) EXPECT_EQ(inner.mRuns[i].load(), 1);
    EXPECT_EQ(moved.load(), 0);
}

TEST(WorkTeam, TogetherGivesEveryMemberAThreadOfItsOwn)
{
    WorkTeam team(4);
    for (int32_t round = 0; round < 20; ++round) {
        WorkTeam::Barrier barrier(4);
        std::vector<std::atomic<int32_t>> seen(4);
        std::atomic<int32_t> arrived{0};
        // Each member waits for all the others twice: members run one after
        // another on a shared thread would never get past the first wait.
        const bool ran = team.Together(4, [&](int32_t member, int32_t members) {
            EXPECT_EQ(members, 4);
            seen[member].fetch_add(1);
            arrived.fetch_add(1);
            barrier.Arrive();
            EXPECT_EQ(arrived.load(), 4);
            barrier.Arrive();
        });
        ASSERT_TRUE(ran);
        for (int32_t m = 0; m < 4; ++m) EXPECT_EQ(seen[m].load(), 1);
    }
    EXPECT_FALSE(team.Together(5, [](int32_t, int32_t) { FAIL() << "more members than threads ran"; }));
    bool alone = false;
    EXPECT_TRUE(team.Together(1, [&](int32_t member, int32_t members) { alone = member == 0 && members == 1; }));
    EXPECT_TRUE(alone);
}

TEST(WorkTeam, MoreThreadsThanProcessorsStillFinish)
{
    // Workers that the machine cannot all run at once: every job must still
    // end, and end with every item run.
    WorkTeam team(4 * WorkTeam::AvailableProcessors());
    std::atomic<int64_t> sum{0};
    for (int32_t job = 0; job < 200; ++job)
        team.For(256, 1, true, [&](int32_t i, int32_t) { sum.fetch_add(i); });
    EXPECT_EQ(sum.load(), 200LL * (255 * 256 / 2));
}

TEST(WorkTeam, ThreadCountChangesBetweenJobs)
{
    WorkTeam team(2);
    for (int32_t threads : {8, 1, 3, 3, 2}) {
        team.SetThreadCount(threads);
        EXPECT_EQ(team.GetThreadCount(), threads);
        std::atomic<int32_t> maxThread{0};
        team.For(2000, 1, true, [&](int32_t, int32_t thread) {
            int32_t m = maxThread.load();
            while (thread > m && !maxThread.compare_exchange_weak(m, thread)) {
            }
        });
        EXPECT_LT(maxThread.load(), threads);
    }
    team.SetThreadCount(0);
    EXPECT_EQ(team.GetThreadCount(), 1);
}

} // namespace
} // namespace KIV
