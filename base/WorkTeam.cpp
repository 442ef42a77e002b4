#include "base/WorkTeam.h"
#include <sched.h>
#include <chrono>
#include "base/Statistics.h"

namespace KIV {

namespace {

// How long a thread spins before it sleeps. Long enough to bridge the serial
// moments between the loops of one step, short against a scheduler's time
// slice: a thread that spins while the processor is busy holds a core that
// the thread it waits for may need.
constexpr std::chrono::microseconds kSpinTime(50);

thread_local int32_t tThreadIndex = 0;

// Spins while read() returns old, for kSpinTime at most. Returns the last value read.
template <typename T, typename Read>
T Spin(T old, Read read)
{
    T seen = read();
    if (seen != old) return seen;
    const auto until = std::chrono::steady_clock::now() + kSpinTime;
    for (int32_t spins = 1;; ++spins) {
        __builtin_ia32_pause();
        seen = read();
        if (seen != old) return seen;
        if (spins % 64 == 0 && std::chrono::steady_clock::now() > until) return seen;
    }
}

template <typename T>
T WaitFor(std::atomic<T>& word, T old, std::atomic<int32_t>& sleepers)
{
    T seen = Spin(old, [&] { return word.load(std::memory_order_acquire); });
    while (seen == old) {
        // Announced before the word is read once more inside the wait, so a
        // writer that changes it either sees a sleeper or is seen.
        sleepers.fetch_add(1);
        word.wait(old);
        sleepers.fetch_sub(1);
        seen = word.load(std::memory_order_acquire);
    }
    return seen;
}

} // namespace

uint32_t WorkTeam::WaitWhileEqual(std::atomic<uint32_t>& word, uint32_t old, std::atomic<int32_t>& sleepers)
{
    return WaitFor(word, old, sleepers);
}

int32_t WorkTeam::WaitWhileEqual(std::atomic<int32_t>& word, int32_t old, std::atomic<int32_t>& sleepers)
{
    return WaitFor(word, old, sleepers);
}

void WorkTeam::Barrier::Arrive()
{
    const uint32_t generation = mGeneration.load(std::memory_order_acquire);
    if (mArrived.fetch_add(1, std::memory_order_acq_rel) + 1 == mMembers) {
        mArrived.store(0, std::memory_order_relaxed);
        mGeneration.store(generation + 1, std::memory_order_seq_cst);
        if (mSleepers.load() > 0) mGeneration.notify_all();
        return;
    }
    WaitFor(mGeneration, generation, mSleepers);
}

WorkTeam& WorkTeam::Shared()
{
    static WorkTeam team(AvailableProcessors());
    return team;
}

int32_t WorkTeam::AvailableProcessors()
{
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        const int32_t n = CPU_COUNT(&set);
        if (n > 0) return n;
    }
    const unsigned n = std::thread::hardware_concurrency();
    return n > 0 ? static_cast<int32_t>(n) : 1;
}

WorkTeam::WorkTeam(int32_t threads) { mThreadCount = threads < 1 ? 1 : threads; }

WorkTeam::~WorkTeam() { StopWorkers(); }

int32_t WorkTeam::ThreadIndex() { return tThreadIndex; }

void WorkTeam::SetThreadCount(int32_t threads)
{
    if (threads < 1) threads = 1;
    if (threads == mThreadCount || mRunning) return;
    StopWorkers();
    mThreadCount = threads;
}

bool WorkTeam::CanFork() const { return mThreadCount > 1 && !mRunning && tThreadIndex == 0; }

void WorkTeam::StartWorkers()
{
    mStop.store(false);
    // Workers start from the epoch before their first job: a job published
    // while one starts is never missed, which members of a Together job rely on.
    const uint32_t known = mLastEpoch;
    for (int32_t i = 1; i < mThreadCount; ++i) mWorkers.emplace_back([this, i, known] { WorkerLoop(i, known); });
}

void WorkTeam::StopWorkers()
{
    if (mWorkers.empty()) return;
    mStop.store(true);
    mEpoch.store(++mLastEpoch);
    mEpoch.notify_all();
    for (std::thread& worker : mWorkers) worker.join();
    mWorkers.clear();
}

void WorkTeam::WorkerLoop(int32_t index, uint32_t known)
{
    tThreadIndex = index;
    for (;;) {
        const uint32_t epoch = WaitFor(mEpoch, known, mWorkerSleepers);
        if (mStop.load()) return;
        known = epoch;
        RunChunks(epoch, index);
    }
}

void WorkTeam::RunChunks(uint32_t epoch, int32_t thread)
{
    // The job's slot is read before a chunk is claimed and trusted only if
    // the claim succeeds: a successful claim proves that the epoch is still
    // current, so the slot has not been filled again since.
    const Job& job = mJobs[epoch & 1];
    const ChunkFunction function = job.mFunction.load(std::memory_order_relaxed);
    const void* context = job.mContext.load(std::memory_order_relaxed);
    const int32_t chunks = job.mChunks.load(std::memory_order_relaxed);
    uint64_t claim = mClaim.load(std::memory_order_acquire);
    while (static_cast<uint32_t>(claim >> 32) == epoch && static_cast<int32_t>(claim & 0xffffffffu) < chunks) {
        if (!mClaim.compare_exchange_weak(claim, claim + 1, std::memory_order_acq_rel, std::memory_order_acquire))
            continue;
        function(context, static_cast<int32_t>(claim & 0xffffffffu), thread);
        // Counts of the worker reach the statistics before the job is seen done.
        if (thread != 0) StatFoldThreadTally();
        if (mDone.fetch_add(1) + 1 == chunks && mStarterSleepers.load() > 0) mDone.notify_all();
        claim = mClaim.load(std::memory_order_acquire);
    }
}

void WorkTeam::Run(int32_t chunks, ChunkFunction function, const void* context)
{
    if (mWorkers.empty()) StartWorkers();
    mRunning = true;
    ++mForks;
    const uint32_t epoch = ++mLastEpoch;
    Job& job = mJobs[epoch & 1];
    job.mFunction.store(function, std::memory_order_relaxed);
    job.mContext.store(context, std::memory_order_relaxed);
    job.mChunks.store(chunks, std::memory_order_relaxed);
    mDone.store(0, std::memory_order_relaxed);
    mClaim.store(static_cast<uint64_t>(epoch) << 32, std::memory_order_release);
    mEpoch.store(epoch);
    if (mWorkerSleepers.load() > 0) mEpoch.notify_all();
    RunChunks(epoch, 0);
    for (int32_t done = mDone.load(std::memory_order_acquire); done < chunks;)
        done = WaitFor(mDone, done, mStarterSleepers);
    mRunning = false;
}

} // namespace KIV
