#pragma once
#include <cstdint>
#include <vector>
#include "base/WorkTeam.h"

namespace KIV {

// Whether a piece of work that gives the same bits either way runs faster on
// the calling thread alone or forked to the work team. That depends on the
// machine, on what else runs on it (a worker the system has descheduled holds
// up a whole loop) and on the size of the work, none of which a constant
// foresees; so each run is timed per unit of work, the faster way is taken,
// and the slower one is tried again now and then: after kFirstRetryInterval
// runs, twice as long each time it loses again, kLongestRetryInterval at most.
// A retry costs what the slower way loses in one run, which on a busy
// machine can be many runs of the faster way: the retries are spaced so that
// their losses add up to no more than 1/kRetryLossShare of the time taken.
// The cost of forking is much the same for any size of work, so when the
// work's size moves by a factor of kSizeChange or more (a large level loaded
// into the scene, a pile falling asleep) the slower way is retried as soon
// as kFirstRetryInterval runs have passed since its last try.
class FasterWay {
public:
    static constexpr int32_t kFirstRetryInterval = 16;
    static constexpr int32_t kLongestRetryInterval = 512;
    static constexpr int32_t kRetryLossShare = 32;
    static constexpr double kSizeChange = 2.0;

    // Whether this run, of `units` units of work (0: not told), should go to
    // the team. Each way is tried once before either is trusted, the team first.
    bool PickTeam(int64_t units = 0);
    void Record(bool team, double secondsPerUnit);
    // 0 until measured.
    double SecondsPerUnit(bool team) const { return mSecondsPerUnit[team]; }

    // For work that decides inside whether it forks: whether its last run
    // by the team did.
    bool mTeamForked = false;

private:
    double mSecondsPerUnit[2] = {0.0, 0.0};  // alone, by the team
    int32_t mRunsUntilRetry = 0;              // of the slower way
    int32_t mRetryInterval = 0;
    int32_t mRunsSinceRetry = 0;
    double mMeanUnits = 0.0;  // the size of the recent runs
    double mUnits = 0.0;      // mMeanUnits when it last moved far
};

// A place in the code, taken where a function that has it as a default
// argument is called (as std::source_location, which not every standard
// library the project builds with offers).
struct CodePlace {
    static constexpr CodePlace Here(const char* function = __builtin_FUNCTION(), uint32_t line = __builtin_LINE())
    {
        return CodePlace{function, line};
    }
    const char* mFunction;
    uint32_t mLine;
};

// One FasterWay per place in the code that forks: the loops of one step
// differ too much in their work per item to share one.
class FasterWays {
public:
    FasterWay& At(const CodePlace& where);

private:
    struct Entry {
        const char* mFunction;
        uint32_t mLine;
        FasterWay mWay;
    };
    std::vector<Entry> mEntries;
};

// Seconds on a steady clock, for the timings above.
double SteadySeconds();

// pass(team) for work of `units` units that goes to the team whenever told
// to, as the timings of this place in the code choose, timed per unit; when
// the work may not fork at all (`pays` false, one thread) pass(false) runs
// untimed.
template <typename Pass>
void PickFaster(FasterWays& ways, int64_t units, bool pays, Pass&& pass,
                const CodePlace& where = CodePlace::Here())
{
    if (!pays || units < 1 || !WorkTeam::Shared().CanFork()) {
        pass(false);
        return;
    }
    FasterWay& way = ways.At(where);
    const bool team = way.PickTeam(units);
    const double start = SteadySeconds();
    pass(team);
    way.Record(team, (SteadySeconds() - start) / static_cast<double>(units));
}

// team.For(count, grain, ...) forked or on the calling thread, as the
// timings of this place in the code choose, when the loop may fork at all:
// `pays` false, one thread or fewer than two chunks run it alone, untimed.
template <typename Body>
void ForFaster(FasterWays& ways, int32_t count, int32_t grain, bool pays, Body&& body,
               const CodePlace& where = CodePlace::Here())
{
    WorkTeam& team = WorkTeam::Shared();
    if (grain < 1) grain = 1;
    PickFaster(ways, count, pays && count > grain,
               [&](bool fork) { team.For(count, grain, fork, body); }, where);
}

// pass(parallel) for work whose loops choose their own chunks and may or may
// not fork: only once a team run of it has forked are its two ways timed and
// compared; until then, and while its team runs keep forking, it goes to
// the team as a plain loop would.
template <typename Pass>
void RunFaster(FasterWays& ways, bool parallel, Pass&& pass,
               const CodePlace& where = CodePlace::Here())
{
    WorkTeam& team = WorkTeam::Shared();
    if (!parallel || !team.CanFork()) {
        pass(false);
        return;
    }
    FasterWay& way = ways.At(where);
    const bool fork = !way.mTeamForked || way.PickTeam();
    const int64_t forks = team.GetForkCount();
    const double start = way.mTeamForked ? SteadySeconds() : 0.0;
    pass(fork);
    if (!fork) {
        way.Record(false, SteadySeconds() - start);
        return;
    }
    const bool forked = team.GetForkCount() != forks;
    if (forked && way.mTeamForked) way.Record(true, SteadySeconds() - start);
    way.mTeamForked = forked;
}

} // namespace KIV
