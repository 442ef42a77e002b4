#include "script/ScriptHost.h"
#include <lua.hpp>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <luabind/open.hpp>

namespace KIV {

ScriptHost* gScriptHost = nullptr;

namespace {
// The Lua library's own panic text, kept for states made with our allocator.
int Panic(lua_State* state)
{
    std::fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n", lua_tostring(state, -1));
    return 0;
}
} // namespace

ScriptHost::ScriptHost()
{
    gScriptHost = this;
}

ScriptHost::~ScriptHost()
{
    if (mState) lua_close(mState);
    if (gScriptHost == this) gScriptHost = nullptr;
}

void ScriptHost::InitScriptVM(ApiRegistration registerApi)
{
    if (mState) return;
    mState = lua_newstate(&ScriptLimits::Allocate, &mLimits);
    if (!mState) return;
    lua_atpanic(mState, &Panic);
    luabind::open(mState);
    // In 5.2 the loader alone does not set the global.
    luaL_requiref(mState, "math", luaopen_math, 1);
    lua_pop(mState, 1);
    const char* noChance = "math.random = nil; math.randomseed = nil;";
    if (luaL_loadbuffer(mState, noChance, std::strlen(noChance), noChance) == LUA_OK)
        lua_pcall(mState, 0, LUA_MULTRET, 0);
    ClearScriptStack();
    mLimits.Watch(mState);
    if (registerApi) registerApi(*this);
}

int32_t ScriptHost::Floor() const
{
    if (!mState || !mLimits.IsRunning()) return 0;
    return std::min(mNestedFloor, lua_gettop(mState));
}

int32_t ScriptHost::BeginNestedRun()
{
    return mState && mLimits.IsRunning() ? lua_gettop(mState) : 0;
}

void ScriptHost::EndOfRun(int32_t floor)
{
    mLimits.EndRun(mState);
    // The caller of a nested run takes its results from above where it started.
    mNestedFloor = mLimits.IsRunning() ? floor : 0;
}

bool ScriptHost::RunScriptText(const std::string& text, bool clearFirst)
{
    // Nested, there is nothing of this run's to clear: the frame below is the bound call's.
    if (clearFirst && !mLimits.IsRunning()) ClearScriptStack();
    if (!mState || text.empty()) return false;
    const int32_t floor = BeginNestedRun();
    mLimits.BeginRun();
    bool ok = false;
    try {
        const char* chunk = text.c_str();
        ok = Run(luaL_loadbuffer(mState, chunk, std::strlen(chunk), chunk));
    } catch (const std::exception&) {
        ok = false;
    }
    EndOfRun(floor);
    return ok;
}

bool ScriptHost::RunRepeatedScriptText(const std::string& text)
{
    if (!mState || text.empty()) return false;
    const int32_t floor = BeginNestedRun();
    mLimits.BeginRun();
    bool ok = false;
    try {
        int status = LUA_OK;
        auto found = mCompiled.find(text);
        if (found != mCompiled.end()) {
            lua_rawgeti(mState, LUA_REGISTRYINDEX, found->second);
        } else {
            const char* chunk = text.c_str();
            status = luaL_loadbuffer(mState, chunk, std::strlen(chunk), chunk);
            if (status == LUA_OK) {
                lua_pushvalue(mState, -1);
                mCompiled.emplace(text, luaL_ref(mState, LUA_REGISTRYINDEX));
            }
        }
        ok = Run(status);
    } catch (const std::exception&) {
        ok = false;
    }
    EndOfRun(floor);
    return ok;
}

bool ScriptHost::Run(int loadStatus)
{
    int status = loadStatus;
    if (status == LUA_OK) status = lua_pcall(mState, 0, LUA_MULTRET, 0);
    if (status != LUA_OK) mLimits.ExplainFailure(mState, status);
    return status == LUA_OK;
}

bool ScriptHost::PopScriptString(std::string& out)
{
    if (!mState || lua_gettop(mState) <= Floor()) return false;
    try {
        size_t length = 0;
        const char* text = lua_tolstring(mState, -1, &length);
        out = text ? std::string(text, length) : std::string();
        lua_pop(mState, 1);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void ScriptHost::ClearScriptStack()
{
    if (mState && lua_gettop(mState) > Floor()) lua_settop(mState, Floor());
}

int32_t ScriptHost::GetStackSize() const
{
    return mState ? lua_gettop(mState) - Floor() : 0;
}

std::string ScriptHost::MakePreScriptName()
{
    return "Pre" + std::to_string(mPreCounter++);
}

std::string ScriptHost::MakeObjScriptName()
{
    return "Obj" + std::to_string(mObjCounter++);
}

void ScriptHost::AddLuaResult(const std::string& result, const std::string& script, const std::string& source)
{
    mResults.Add(result, script, source);
}

void ScriptHost::CollectLuaResults(const std::string& script, const std::string& source)
{
    std::string value;
    while (PopScriptString(value)) AddLuaResult(value, script, source);
}

} // namespace KIV
