#pragma once
#include <atomic>
#include <cstdint>
#include <thread>
#include <type_traits>
#include <vector>

namespace KIV {

// The threads that the physics shares its loops with: the thread that starts
// a job (index 0) and the team's workers (1 and up).
//
// A loop is cut into chunks that any thread takes as it comes free, the
// starting thread too. So a worker that the machine has descheduled holds up
// nobody but the chunk it took: the others take the rest, and a job waits
// only for chunks in progress, never for a thread that has not come. Waiting
// threads spin only briefly, then sleep until woken, so a busy processor
// gets its cores back instead of feeding threads that spin for each other.
//
// Which thread runs an item changes from run to run; loops give the same
// bits as long as an item writes only what is its own and its scratch is
// chosen by thread index.
class WorkTeam {
public:
    // The process's team, sized for the processors the process may run on.
    static WorkTeam& Shared();

    explicit WorkTeam(int32_t threads);
    ~WorkTeam();
    WorkTeam(const WorkTeam&) = delete;
    WorkTeam& operator=(const WorkTeam&) = delete;

    // Threads of the team, the starting one included (at least 1). Change it
    // only while no job runs.
    void SetThreadCount(int32_t threads);
    int32_t GetThreadCount() const { return mThreadCount; }
    // Whether a loop started now could go to the workers: more than one
    // thread, and not inside another job.
    bool CanFork() const;
    // Jobs handed to the workers since the team was made: loops that ran on
    // the calling thread alone do not count.
    int64_t GetForkCount() const { return mForks; }
    // The calling thread's index in its team: 0 outside the workers.
    static int32_t ThreadIndex();
    // Processors this process may run on.
    static int32_t AvailableProcessors();

    // body(item, thread) for every item of [0, count), `grain` items to a
    // chunk. Runs on the calling thread alone when parallel is false, when
    // there are fewer than two chunks, or inside another job.
    template <typename Body>
    void For(int32_t count, int32_t grain, bool parallel, Body&& body);

    // body(member, members) on `members` threads at once: members may wait
    // for each other, so each has a thread of its own, the calling thread
    // being one of them. false (and nothing run) when the team cannot give
    // that many threads now.
    template <typename Body>
    bool Together(int32_t members, Body&& body);

    // A barrier for the members of a Together job.
    class Barrier {
    public:
        explicit Barrier(int32_t members) : mMembers(members) {}
        void Arrive();

    private:
        int32_t mMembers;
        alignas(64) std::atomic<int32_t> mArrived{0};
        alignas(64) std::atomic<uint32_t> mGeneration{0};
        std::atomic<int32_t> mSleepers{0};
    };

    // Spins briefly while word holds old, then sleeps until it changes;
    // sleepers counts the threads asleep so that the writer wakes them only
    // when someone sleeps. Returns the new value.
    static uint32_t WaitWhileEqual(std::atomic<uint32_t>& word, uint32_t old, std::atomic<int32_t>& sleepers);
    static int32_t WaitWhileEqual(std::atomic<int32_t>& word, int32_t old, std::atomic<int32_t>& sleepers);

private:
    using ChunkFunction = void (*)(const void* context, int32_t chunk, int32_t thread);

    struct alignas(64) Job {
        std::atomic<ChunkFunction> mFunction{nullptr};
        std::atomic<const void*> mContext{nullptr};
        std::atomic<int32_t> mChunks{0};
    };

    void Run(int32_t chunks, ChunkFunction function, const void* context);
    void RunChunks(uint32_t epoch, int32_t thread);
    void WorkerLoop(int32_t index, uint32_t known);
    void StartWorkers();
    void StopWorkers();

    int32_t mThreadCount = 1;
    bool mRunning = false;    // a job is under way (on the starting thread)
    uint32_t mLastEpoch = 0;  // of the starting thread
    int64_t mForks = 0;
    Job mJobs[2];             // the current job and the one before it
    // The current epoch in the high half, the next chunk to take in the low.
    alignas(64) std::atomic<uint64_t> mClaim{0};
    alignas(64) std::atomic<uint32_t> mEpoch{0};
    std::atomic<int32_t> mWorkerSleepers{0};
    alignas(64) std::atomic<int32_t> mDone{0};
    std::atomic<int32_t> mStarterSleepers{0};
    std::atomic<bool> mStop{false};
    std::vector<std::thread> mWorkers;
};

template <typename Body>
void WorkTeam::For(int32_t count, int32_t grain, bool parallel, Body&& body)
{
    if (grain < 1) grain = 1;
    const int32_t chunks = count / grain + (count % grain != 0);
    if (!parallel || chunks < 2 || !CanFork()) {
        const int32_t thread = ThreadIndex();
        for (int32_t i = 0; i < count; ++i) body(i, thread);
        return;
    }
    struct Context {
        std::remove_reference_t<Body>* mBody;
        int32_t mCount;
        int32_t mGrain;
    } context{&body, count, grain};
    Run(chunks, [](const void* c, int32_t chunk, int32_t thread) {
        const Context& ctx = *static_cast<const Context*>(c);
        const int32_t begin = chunk * ctx.mGrain;
        const int32_t end = begin + ctx.mGrain < ctx.mCount ? begin + ctx.mGrain : ctx.mCount;
        for (int32_t i = begin; i < end; ++i) (*ctx.mBody)(i, thread);
    }, &context);
}

template <typename Body>
bool WorkTeam::Together(int32_t members, Body&& body)
{
    if (members < 1 || members > mThreadCount || (members > 1 && !CanFork())) return false;
    if (members == 1) {
        body(0, 1);
        return true;
    }
    struct Context {
        std::remove_reference_t<Body>* mBody;
        int32_t mMembers;
    } context{&body, members};
    Run(members, [](const void* c, int32_t chunk, int32_t) {
        const Context& ctx = *static_cast<const Context*>(c);
        (*ctx.mBody)(chunk, ctx.mMembers);
    }, &context);
    return true;
}

} // namespace KIV
