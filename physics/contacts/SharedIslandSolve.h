#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

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
// Fine-grained waits pay only while every thread has a core of its own.
// Whether a team or the calling thread alone solves an island faster depends
// on the machine and on what else runs on it, so each solve is timed, the
// faster way is taken, and the slower one is tried again now and then. Either
// way gives the same bits.
class SharedIslandSolve {
public:
    // members: the island's toys in chain order. Opens its own parallel
    // region; call it from serial code.
    void Run(Toy* const* members, int32_t count, const GameSettings& settings);

    // Tests and measurements that must see the team at work pin it; by
    // default the timings choose.
    void SetAlwaysTeam(bool always) { mAlwaysTeam = always; }

private:
    struct alignas(64) DoneFlag {
        std::atomic<int32_t> mIterations{0};  // iterations in which the solve is done
    };
    struct alignas(64) ThreadResult {
        float mLargest = 0.0f;
        bool mSolved = false;
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
    bool PickTeam();
    void RecordTime(bool team, double secondsPerSolve);

    std::vector<int32_t> mLocalOfSlot;   // island-local index of each toy slot, -1 outside
    std::vector<int32_t> mTouched;       // scratch: the local toys of one solve
    std::vector<int32_t> mLastSolve;     // scratch: per local toy, the last solve touching it
    std::vector<int32_t> mPredStart;     // per solve, its range of mPreds
    std::vector<int32_t> mPreds;
    std::vector<int32_t> mCost;          // per solve, its contact records plus one
    std::vector<int32_t> mDepth;         // per solve, its place in the longest chain of waits
    std::vector<int64_t> mFinish;        // scratch of the deal: simulated finish per solve
    std::vector<int32_t> mThreadOf;
    std::vector<int64_t> mThreadFree;
    std::vector<int32_t> mDealStart;     // per thread, its range of mDealt
    std::vector<int32_t> mDealt;         // solves in the order each thread runs them
    std::vector<DoneFlag> mDone;
    std::vector<ThreadResult> mResults;  // two per thread: this iteration's and the last one's
    std::atomic<int32_t> mSleepers{0};
    int32_t mDeepest = 0;
    bool mAlwaysTeam = false;
    int32_t mIterationsRun = 0;
    double mSecondsPerSolve[2] = {0.0, 0.0};  // alone, by a team; 0 until measured
    int32_t mRunsUntilRetry = 0;              // of the slower way
    int32_t mRetryInterval = 0;
};

// One island's velocity iterations on the calling thread: every member's pair
// solve in chain order, until the largest squared relative contact velocity
// falls below the setting or nothing was solved. Returns the number of
// iterations run.
int32_t SolveIslandIterations(Toy* const* members, int32_t count, const GameSettings& settings);

} // namespace KIV
