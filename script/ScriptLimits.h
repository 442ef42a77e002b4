#pragma once
#include <cstddef>
#include <cstdint>

struct lua_State;
struct lua_Debug;

namespace KIV {

// What one script run may use. Scripts come from players and editor pages; a
// loop that never ends or a table that grows without bound must end the run,
// not the game. Instructions are counted rather than timed, so a run stops at
// the same place in a replay as in the recording.
class ScriptLimits {
public:
    static constexpr int64_t kInstructionBudget = 20000000;
    static constexpr int32_t kHookInterval = 1000;
    static constexpr size_t kMemoryCap = size_t(128) << 20;

    enum class Stop { kNone, kInstructions, kMemory };

    // The allocator of the Lua state; its user data is this object.
    static void* Allocate(void* self, void* block, size_t oldSize, size_t newSize);
    // Installs the count hook on a state made with Allocate.
    void Watch(lua_State* state);

    // Nested runs share the budget of the outermost one.
    void BeginRun();
    // After a failed run: turns a stop of ours, or Lua's own out-of-memory
    // message, into one that says which limit the script met.
    void ExplainFailure(lua_State* state, int status);
    // Frees what a stopped run left for the collector, so the next run starts below the cap.
    void EndRun(lua_State* state);

    // True while a run is on its way: a further run is nested in a bound call.
    bool IsRunning() const { return mDepth > 0; }
    size_t GetMemoryUsed() const { return mUsed; }
    Stop GetLastStop() const { return mLastStop; }
    // Tests lower the limits so that they are reached quickly.
    void SetLimits(int64_t instructions, size_t memory)
    {
        mBudget = instructions;
        mCap = memory;
    }

private:
    static void CountHook(lua_State* state, lua_Debug* ar);
    bool MayRefuse() const;

    lua_State* mState = nullptr;
    size_t mUsed = 0;
    size_t mCap = kMemoryCap;
    int64_t mBudget = kInstructionBudget;
    int64_t mCounted = 0;
    int32_t mDepth = 0;
    Stop mStop = Stop::kNone;
    bool mRaising = false;
    Stop mLastStop = Stop::kNone;
};

} // namespace KIV
