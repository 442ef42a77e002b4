#pragma once
#include <atomic>
#include <cstdint>
#include <vector>
#include "base/FasterWay.h"
#include "physics/contacts/IslandSnapshots.h"

namespace KIV {

class Toy;
struct GameSettings;

// The velocity iterations of one large contact island run by a thread team,
// with the very bits of solving its members one after another in chain order.
//
// A member's pair solve writes its own toy and every toy its contact records
// and joints name, and reads nothing else that a solve writes. Two solves that
// share no toy therefore commute exactly, and a solve only has to wait for its
// predecessors: for each toy it touches, the last earlier solve (in chain
// order) that touched it too. Each solve raises a flag when done. The running
// maximum and the anything-solved flag are a maximum and an or, which no order
// changes; each thread keeps its own, and the team combines them at the end of
// every iteration, where all threads alike decide whether to go on.
//
// The solves are dealt to the threads once per step by a list schedule: in
// chain order, each goes to the thread on which it could start first, a wait
// for a predecessor on another thread costing a little more than one on the
// same thread. So chains of dependent solves tend to stay on one core, and a
// thread never waits for a solve that is queued after one of its own.
//
// The stop test after each iteration would make every thread wait for the
// slowest at the end of each: with impulses applied at once, the iterations
// run ahead of it instead. A solve of iteration i+1 waits for its
// predecessors in that iteration and, for each toy it touches first, for the
// last solve that touched the toy in iteration i: it then meets exactly the
// values the chain order gives it. Each thread judges the iterations it has
// finished; the last of them to finish an iteration decides whether to go
// on. An iteration starts only once the one kLookAhead + 1 before it was
// judged, so at most kLookAhead iterations run ahead. Every solve saves what
// it leaves behind in that iteration's copy (IslandSnapshots); when an
// iteration is judged the last, the work past it is undone from its copy.
//
// Fine-grained waits pay only while every thread has a core of its own.
// Whether a team or the calling thread alone solves an island faster depends
// on the machine and on what else runs on it, so each solve is timed, the
// faster way is taken, and the slower one is tried again now and then. Either
// way gives the same bits. A retry of the team on a busy machine could take
// many times the step alone (each wait for a descheduled thread costs a
// context switch): once the judged iterations have taken kGiveUpRatio times
// what the calling thread alone would have needed for them, the team gives
// up, the work past the last judged iteration is undone, and the calling
// thread finishes the iterations alone. So the calling thread alone is timed
// first, before the team is ever tried.
class SharedIslandSolve {
public:
    // members: the island's toys in chain order. Opens its own parallel
    // region; call it from serial code.
    // Returns the iterations run.
    int32_t Run(Toy* const* members, int32_t count, const GameSettings& settings);

    // Tests and measurements that must see the team at work pin it; by
    // default the timings choose.
    void SetAlwaysTeam(bool always) { mAlwaysTeam = always; }
    // Tests pin how many threads the team uses (0: the island's breadth
    // chooses) and whether iterations run ahead of the stop test.
    void SetTeamThreads(int32_t threads) { mTeamThreads = threads; }
    void SetPipelined(bool pipelined) { mPipelined = pipelined; }
    // Tests make the team give up after the given judged iterations however
    // fast it runs (-1: only when it runs slow).
    void SetGiveUpAfter(int32_t iterations) { mGiveUpAfter = iterations; }

    // Iterations that may run ahead of the last one judged.
    static constexpr int32_t kLookAhead = 7;
    // How much slower than the calling thread alone the team may run before
    // it gives up.
    static constexpr double kGiveUpRatio = 2.0;

private:
    struct alignas(64) DoneFlag {
        std::atomic<int32_t> mIterations{0};  // iterations in which the solve is done
    };
    struct alignas(64) ThreadResult {
        float mLargest = 0.0f;
        bool mSolved = false;
        int32_t mSolves = 0;  // pair solves run
    };
    struct alignas(64) Arrivals {
        std::atomic<int32_t> mThreads{0};  // threads done with the iteration
    };

    void LinkPredecessors(Toy* const* members, int32_t count);
    // Team size worth using, from the island's own breadth.
    int32_t UsefulThreads(int32_t count) const;
    void Deal(int32_t count, int32_t threads);
    void RunSolves(Toy* const* members, int32_t thread, int32_t iteration, ThreadResult& result,
                   const GameSettings& settings);
    void WaitForIteration(DoneFlag& flag, int32_t iterations);
    // The iterations run.
    int32_t RunTeam(Toy* const* members, int32_t count, int32_t threads, const GameSettings& settings);
    int32_t RunPipelined(Toy* const* members, int32_t count, int32_t threads, const GameSettings& settings);
    // One thread's solves of one iteration run ahead; false once the stop
    // was decided.
    bool RunSolvesAhead(Toy* const* members, int32_t thread, int32_t iteration, ThreadResult& result,
                        const GameSettings& settings);
    // The thread's part of the iteration is done; the last thread to finish
    // it judges it.
    void Arrive(int32_t iteration, int32_t team, const GameSettings& settings);
    // false when the iteration must not start: the stop was decided.
    bool AwaitJudged(int32_t iteration);
    // Whether the team, past its judged iterations, runs too slowly to go on.
    bool GivesUp(int32_t iterations) const;
    // Every flag raised and the judgement published: the team stops after
    // the iteration.
    void StopAfter(int32_t iteration);

    std::vector<int32_t> mLocalOfSlot;   // island-local index of each toy slot, -1 outside
    std::vector<int32_t> mTouched;       // scratch: the local toys of one solve
    std::vector<int32_t> mLastSolve;     // scratch: per local toy, the last solve touching it
    std::vector<int32_t> mPredStart;     // per solve, its range of mPreds
    std::vector<int32_t> mPreds;
    std::vector<int32_t> mWrapStart;     // per solve, its range of mWrapPreds
    std::vector<int32_t> mWrapPreds;     // predecessors in the iteration before
    std::vector<int32_t> mLastWriter;    // per local toy, the last solve touching it
    bool mTouchesOutside = false;        // a solve writes a toy outside the island
    std::vector<int32_t> mCost;          // per solve, its contact records plus one
    std::vector<int32_t> mDepth;         // per solve, its place in the longest chain of waits
    std::vector<int64_t> mFinish;        // scratch of the deal: simulated finish per solve
    std::vector<int32_t> mThreadOf;
    std::vector<int64_t> mThreadFree;
    std::vector<int32_t> mDealStart;     // per thread, its range of mDealt
    std::vector<int32_t> mDealt;         // solves in the order each thread runs them
    std::vector<DoneFlag> mDone;
    std::vector<ThreadResult> mResults;  // two per thread: this iteration's and the last one's
    std::vector<Arrivals> mArrivals;     // per snapshot slot
    std::vector<int32_t> mSolvesRun;     // per thread, past the last iteration too
    IslandSnapshots mSnapshots;
    int32_t mSlots = 1;
    alignas(64) std::atomic<int32_t> mJudged{0};  // iterations judged to go on; kAllJudged once stopped
    std::atomic<int32_t> mStopAt{-1};             // the last iteration, once judged
    bool mGaveUp = false;                         // the stop came from the clock, not the test
    double mStart = 0.0;                          // of the team's iterations
    double mGiveUpSecondsPerIteration = 0.0;      // 0: never for slowness
    int32_t mGiveUpAfter = -1;
    std::atomic<int32_t> mJudgedSleepers{0};
    std::atomic<int32_t> mSleepers{0};
    int32_t mDeepest = 0;
    bool mAlwaysTeam = false;
    bool mPipelined = true;
    int32_t mTeamThreads = 0;
    int32_t mIterationsRun = 0;
    FasterWay mWay;  // per pair solve
};

// One island's velocity iterations on the calling thread: every member's pair
// solve in chain order, until the largest squared relative contact velocity
// falls below the setting or nothing was solved. Returns the number of
// iterations run. first > 0 goes on from a solve whose first iterations
// have run.
int32_t SolveIslandIterations(Toy* const* members, int32_t count, const GameSettings& settings, int32_t first = 0);

} // namespace KIV
