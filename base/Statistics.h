#pragma once
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>

namespace KIV {

// Indices of the named statistics items.
enum StatIndex : int {
    kStatNull = 0,
    kStatPictureResolution = 1,
    kStatPhysicsFrequency = 2,
    kStatFps = 3,
    kStatFramesComputed = 4,
    kStatParallelismEnabled = 5,
    kStatFrameNumber = 6,
    kStatLastFramePlaytime = 7,
    kStatFramePlaytimeAvg = 8,
    kStatRenderTime = 9,
    kStatLightsPlaytime = 10,
    kStatBendObjectsPlaytime = 11,
    kStatParticlesPlaytime = 12,
    kStatJointsPlaytime = 13,
    kStatJointsSolvePlaytime = 14,
    kStatToysPlaytime = 15,
    kStatBreakToysPlaytime = 16,
    kStatBreakJointsPlaytime = 17,
    kStatDeformationsPlaytime = 18,
    kStatToysStageBase = 18, // stage n (1..12) of the toy simulation times into 18 + n
    kStatLuaUpdateScripts = 31,
    kStatRenderPrepare = 32,
    kStatRenderStart = 33,
    kStatRenderProcessCommands = 34,
    kStatRenderEndRender = 35,
    kStatRenderFlipBuffer = 36,
    kStatToysCount = 37,
    kStatToysOuterPointsCount = 38,
    kStatToysContactsCount = 39,
    kStatToysPenContactsCount = 40,
    kStatToysLimitedVelocityCount = 41,
    kStatToysLimitedAngVelocityCount = 42,
    kStatJointsCount = 43,
    kStatParticleSystemsCount = 44,
    kStatToysEditCount = 45,
    kStatJointsEditCount = 46,
    kStatParticleSystemsEditCount = 47,
    kStatParticlesTotalCount = 48,
    kStatParticlesEmittedLastFrame = 49,
    kStatRobotsCount = 50,
    kStatTerrainObjectsCount = 51,
    kStatLightsCount = 52,
    kStatSolverStepsCount = 53,
    kStatLineIntersectCalls = 54,
    kStatLineIntersectChecks = 55,
    kStatRandomCalls = 56,
    kStatBreakPolygonError = 57,
    kStatBreakPolygonCalls = 58,
    kStatArrayAllocate = 59,
    kStatArrayReallocate = 60,
    kStatArrayFree = 61,
    kStatMousePositionWindow = 62,
    kStatMousePositionWorld = 63,
    kStatNamedCount = 64,
    kStatItemCount = 512,
};

enum StatKind : int32_t {
    kStatKindNone = 0,
    kStatKindTime = 1,
    kStatKindAverageTime = 2,
    kStatKindInt = 3,
    kStatKindBlank = 4,
    kStatKindYesNo = 5,
    kStatKindIntPair = 6,
    kStatKindFloatPair = 7,
    kStatKindThreeBytes = 8,
    kStatKindFourBytes = 9,
    kStatKindRatio = 10,
};

struct StatItem {
    // Only the first 32 bytes of the value area are used by any display kind.
    alignas(8) uint8_t mValue[32] = {};
    std::string mName;
    int32_t mKind = kStatKindNone;
    uint8_t mResetEachFrame = 0;

    int64_t* Ticks() { return reinterpret_cast<int64_t*>(mValue); }
    const int64_t* Ticks() const { return reinterpret_cast<const int64_t*>(mValue); }
    int32_t* Ints() { return reinterpret_cast<int32_t*>(mValue); }
    const int32_t* Ints() const { return reinterpret_cast<const int32_t*>(mValue); }
};

class Statistics {
public:
    Statistics();
    // Tables made for a while (tests) hand the program-wide pointer back to
    // the table that held it before, so it never points at a freed table.
    ~Statistics();
    Statistics(const Statistics&) = delete;
    Statistics& operator=(const Statistics&) = delete;

    void InitItems();
    void ResetFrame();
    std::string FormatValue(int index) const;
    std::string GetItemName(int index) const;
    std::string FormatItemLine(int index, int width) const;

    StatItem* GetItem(int index) { return index >= 0 && index < kStatItemCount ? &mItems[index] : nullptr; }
    const StatItem* GetItem(int index) const { return index >= 0 && index < kStatItemCount ? &mItems[index] : nullptr; }
    int64_t GetCounterFrequency() const { return mCounterFrequency; }
    // Tests set the frequency to check the time texts.
    void SetCounterFrequency(int64_t f) { mCounterFrequency = f; }

private:
    std::string FormatTicks(int64_t ticks) const;

    int64_t mCounterFrequency = 1000000;
    Statistics* mPrevious = nullptr;
    StatItem mItems[kStatItemCount];
};

extern Statistics* gStatistics;

int64_t ReadStatCounter();

// Counters are bumped from the parallel physics loops too: relaxed atomics
// keep them exact without ordering anything else.
inline void StatAdd(int index, int32_t n = 1)
{
    if (!gStatistics) return;
    std::atomic_ref<int32_t>(gStatistics->GetItem(index)->Ints()[0]).fetch_add(n, std::memory_order_relaxed);
}

// Counters bumped in the innermost loops of the physics (every segment test,
// every pair solve) would have all threads fight over one cache line, even
// with relaxed atomics. Those collect in a tally of the counting thread's own
// and reach the table when that thread folds it in: the physics step does so
// on every thread at its end. A thread reading or setting a counter sees its
// own tally at once.
struct StatTally {
    int32_t mCounts[kStatNamedCount];
};
inline constinit thread_local StatTally tStatTally{};

inline void StatCount(int index)
{
    if (index >= 0 && index < kStatNamedCount) ++tStatTally.mCounts[index];
}
inline int32_t StatTallyOf(int index)
{
    return index >= 0 && index < kStatNamedCount ? tStatTally.mCounts[index] : 0;
}
// Adds the calling thread's tally to the table and empties it.
void StatFoldThreadTally();

inline void StatSetInt(int index, int32_t v)
{
    if (index >= 0 && index < kStatNamedCount) tStatTally.mCounts[index] = 0;
    if (!gStatistics) return;
    std::atomic_ref<int32_t>(gStatistics->GetItem(index)->Ints()[0]).store(v, std::memory_order_relaxed);
}
inline int32_t StatGetInt(int index)
{
    if (!gStatistics) return 0;
    return std::atomic_ref<int32_t>(gStatistics->GetItem(index)->Ints()[0]).load(std::memory_order_relaxed) +
           StatTallyOf(index);
}
inline void StatSetIntPair(int index, int32_t a, int32_t b)
{
    if (!gStatistics) return;
    int32_t* v = gStatistics->GetItem(index)->Ints();
    v[0] = a;
    v[1] = b;
}
inline void StatSetFloatPair(int index, float a, float b)
{
    if (!gStatistics) return;
    float pair[2] = {a, b};
    std::memcpy(gStatistics->GetItem(index)->mValue, pair, sizeof pair);
}
inline void StatSetByte(int index, uint8_t v)
{
    if (!gStatistics) return;
    gStatistics->GetItem(index)->mValue[0] = v;
}
// Timers are started and stopped on the main thread only.
void StatTimerStart(int index);
void StatTimerStop(int index);

} // namespace KIV
