#include "script/ScriptLimits.h"
#include <lua.hpp>
#include <cstdlib>
#include <string>

namespace KIV {

// A refused allocation makes Lua raise its memory error with a longjmp. From
// the interpreter's own loop that only crosses C frames; from inside a bound
// C++ call it would skip that call's destructors. So the cap refuses only
// while Lua code itself runs: a bound call may finish over the cap, and the
// count hook stops the run soon after.
bool ScriptLimits::MayRefuse() const
{
    // The hook's own error message may go over: it is what ends the run.
    if (!mState || mRaising) return false;
    lua_Debug ar;
    if (!lua_getstack(mState, 0, &ar)) return false;
    if (!lua_getinfo(mState, "S", &ar)) return false;
    return ar.what[0] != 'C';
}

void* ScriptLimits::Allocate(void* self, void* block, size_t oldSize, size_t newSize)
{
    ScriptLimits& limits = *static_cast<ScriptLimits*>(self);
    if (!block) oldSize = 0;
    if (newSize == 0) {
        std::free(block);
        limits.mUsed -= oldSize;
        return nullptr;
    }
    if (newSize > oldSize && limits.mUsed + (newSize - oldSize) > limits.mCap && limits.MayRefuse()) {
        limits.mStop = Stop::kMemory;
        return nullptr;
    }
    void* grown = std::realloc(block, newSize);
    if (!grown) return nullptr;
    limits.mUsed = limits.mUsed - oldSize + newSize;
    return grown;
}

void ScriptLimits::Watch(lua_State* state)
{
    mState = state;
    lua_sethook(state, &CountHook, LUA_MASKCOUNT, kHookInterval);
}

void ScriptLimits::CountHook(lua_State* state, lua_Debug*)
{
    void* self = nullptr;
    lua_getallocf(state, &self);
    ScriptLimits& limits = *static_cast<ScriptLimits*>(self);
    limits.mCounted += kHookInterval;
    if (limits.mCounted > limits.mBudget) {
        limits.mStop = Stop::kInstructions;
        limits.mRaising = true;
        luaL_error(state, "script stopped: it ran more than %d instructions in one run",
                   static_cast<int>(limits.mBudget));
    }
    if (limits.mUsed > limits.mCap) {
        limits.mStop = Stop::kMemory;
        limits.mRaising = true;
        luaL_error(state, "script stopped: it needed more than %d MB of memory",
                   static_cast<int>(limits.mCap >> 20));
    }
}

void ScriptLimits::BeginRun()
{
    if (mDepth++ > 0) return;
    mCounted = 0;
    mStop = Stop::kNone;
    mRaising = false;
}

void ScriptLimits::ExplainFailure(lua_State* state, int status)
{
    if (status != LUA_ERRMEM || mStop == Stop::kInstructions) return;
    mStop = Stop::kMemory;
    // Lua's own text is a bare "not enough memory"; say which memory.
    lua_pop(state, 1);
    std::string text = "script stopped: it needed more than " + std::to_string(mCap >> 20) + " MB of memory";
    lua_pushlstring(state, text.data(), text.size());
}

void ScriptLimits::EndRun(lua_State* state)
{
    if (--mDepth > 0) return;
    mLastStop = mStop;
    if (mStop != Stop::kNone) lua_gc(state, LUA_GCCOLLECT, 0);
    mStop = Stop::kNone;
    mRaising = false;
}

} // namespace KIV
