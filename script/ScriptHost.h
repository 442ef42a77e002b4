#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include "script/LuaResults.h"
#include "script/ScriptLimits.h"

struct lua_State;

namespace KIV {

// The program's one Lua state and the results ring. The state is made on the
// game's first frame; before that nothing may run scripts. Results and error
// messages of a run stay on the Lua stack until a caller collects them.
class ScriptHost {
public:
    // Binds the engine's classes on the new state; the game hands its own in,
    // so this library needs nothing of the game.
    using ApiRegistration = void (*)(ScriptHost& host);

    ScriptHost();
    // The program's host lives until the process ends; tests make their own.
    ~ScriptHost();
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;

    // Creates the state with only the math library (without math.random and
    // math.randomseed: the program's own generator is the only chance), then
    // registers the API. Runs once; later calls do nothing.
    void InitScriptVM(ApiRegistration registerApi);
    // Runs the text as a chunk named by the text itself; true only when it
    // loaded and ran without error. What it returns, or its error message,
    // stays on the stack.
    bool RunScriptText(const std::string& text, bool clearFirst);
    // The same, without clearing, for a text run again and again (the
    // per-object calls of every step): compiled once and kept.
    bool RunRepeatedScriptText(const std::string& text);
    // False on an empty stack; else takes the top value as text (empty for
    // anything but a string or a number) and pops it.
    bool PopScriptString(std::string& out);
    void ClearScriptStack();
    // Names that never repeat in a run: "Pre1", "Pre2", ... and "Obj1", ...
    std::string MakePreScriptName();
    std::string MakeObjScriptName();
    void AddLuaResult(const std::string& result, const std::string& script, const std::string& source);
    // Pops every value, top first, into the ring.
    void CollectLuaResults(const std::string& script, const std::string& source);

    LuaResults& GetResults() { return mResults; }
    const LuaResults& GetResults() const { return mResults; }
    lua_State* GetState() const { return mState; }
    ScriptLimits& GetLimits() { return mLimits; }
    int32_t GetStackSize() const;

private:
    // Where the values a caller may take or drop begin. A run nested in a
    // bound call (a page's snippet that loads a robot, whose scripts run)
    // shares the Lua stack with that call's own arguments: clearing or
    // popping below them would hand the binding a broken frame, which Lua
    // then reports as a yield outside a coroutine. The nested run's results
    // lie above the top it started at, and only those are its caller's.
    int32_t Floor() const;
    // The top a nested run starts at (0 for an outermost run).
    int32_t BeginNestedRun();
    void EndOfRun(int32_t floor);
    int32_t mNestedFloor = 0;

    // The allocator's user data: it must not move while the state lives.
    ScriptLimits mLimits;
    lua_State* mState = nullptr;
    int32_t mPreCounter = 1;
    int32_t mObjCounter = 1;
    LuaResults mResults;
    std::unordered_map<std::string, int> mCompiled;  // text -> registry reference of its chunk

    // Calls the chunk on the top of the stack, or leaves the load's error.
    bool Run(int loadStatus);
};

extern ScriptHost* gScriptHost;

} // namespace KIV
