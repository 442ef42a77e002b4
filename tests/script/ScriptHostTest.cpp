#include <gtest/gtest.h>
#include <lua.hpp>
#include <string>
#include <vector>
#include "script/ScriptHost.h"

using namespace KIV;

namespace {
// A host with the state made but no API: the host's own behaviour.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override { mHost.InitScriptVM(nullptr); }
    // Runs a chunk as a non-console page does: cleared stack, results to the ring.
    bool RunAndCollect(const std::string& text)
    {
        bool ok = mHost.RunScriptText(text, true);
        mHost.CollectLuaResults(text, "test");
        return ok;
    }
    std::vector<std::string> NewestResults(int32_t n) const
    {
        std::vector<std::string> out;
        for (int32_t k = 0; k < n; ++k) out.push_back(mHost.GetResults().GetNewest(k)->mResult);
        return out;
    }
    ScriptHost mHost;
};
} // namespace

TEST_F(HostTest, ChunksLeaveTheirValuesInTheRingNewestFirst)
{
    struct Case {
        const char* chunk;
        bool ok;
        std::vector<std::string> newest;  // what the ring gained, newest first
    };
    const Case cases[] = {
        {"return 'a', 'b', 'c'", true, {"a", "b", "c"}},
        {"return 5", true, {"5"}},
        {"return 1.5, 'x'", true, {"1.5", "x"}},
        {"return nil", true, {}},
        {"return true", true, {}},
        {"return {}", true, {}},
        {"local x = 1", true, {}},
        {"return 'keep', nil, {}", true, {"keep"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chunk);
        int32_t before = mHost.GetResults().GetChangeCounter();
        int32_t countBefore = mHost.GetResults().GetCount();
        EXPECT_EQ(RunAndCollect(c.chunk), c.ok);
        int32_t added = static_cast<int32_t>(c.newest.size());
        EXPECT_EQ(mHost.GetResults().GetChangeCounter() - before, added);
        EXPECT_EQ(mHost.GetResults().GetCount() - countBefore, added);
        EXPECT_EQ(NewestResults(added), c.newest);
        EXPECT_EQ(mHost.GetStackSize(), 0);  // everything was popped, entry or not
        if (added > 0) {
            EXPECT_EQ(mHost.GetResults().GetNewest(0)->mScript, c.chunk);
            EXPECT_EQ(mHost.GetResults().GetNewest(0)->mSource, "test");
        }
    }
}

TEST_F(HostTest, FailuresLeaveLuasMessageNamingTheChunkByItsText)
{
    struct Case {
        const char* chunk;
        const char* inMessage;
    };
    const Case cases[] = {
        {"this is not lua", "[string \"this is not lua\"]:1:"},
        {"local t = nil; return t.x", "attempt to index"},
        {"return undefinedFunction()", "attempt to call"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chunk);
        EXPECT_FALSE(RunAndCollect(c.chunk));
        ASSERT_GT(mHost.GetResults().GetCount(), 0);
        EXPECT_NE(mHost.GetResults().GetNewest(0)->mResult.find(c.inMessage), std::string::npos)
            << mHost.GetResults().GetNewest(0)->mResult;
    }
}

TEST_F(HostTest, EmptyTextClearsTheStackAndRunsNothing)
{
    ASSERT_TRUE(mHost.RunScriptText("return 1, 2", false));
    EXPECT_EQ(mHost.GetStackSize(), 2);
    EXPECT_FALSE(mHost.RunScriptText("", true));
    EXPECT_EQ(mHost.GetStackSize(), 0);
    // Without clearing, results pile up until someone collects them.
    ASSERT_TRUE(mHost.RunScriptText("return 1", false));
    ASSERT_TRUE(mHost.RunScriptText("return 2", false));
    std::string top;
    ASSERT_TRUE(mHost.PopScriptString(top));
    EXPECT_EQ(top, "2");
    mHost.ClearScriptStack();
    EXPECT_FALSE(mHost.PopScriptString(top));
}

TEST_F(HostTest, TheChunkEndsAtItsFirstZeroCharacter)
{
    std::string text("return 'before'\0 error here", 27);
    EXPECT_TRUE(RunAndCollect(text));
    EXPECT_EQ(mHost.GetResults().GetNewest(0)->mResult, "before");
}

TEST(LuaResultsTest, RingWrapsAtAHundredAndClearsWithACount)
{
    LuaResults ring;
    ring.Add("", "script", "source");  // an empty result is no entry
    EXPECT_EQ(ring.GetCount(), 0);
    EXPECT_EQ(ring.GetChangeCounter(), 0);
    EXPECT_EQ(ring.GetNewest(0), nullptr);
    for (int32_t i = 1; i <= 101; ++i) ring.Add(std::to_string(i), "", "");
    EXPECT_EQ(ring.GetCount(), 100);
    EXPECT_EQ(ring.GetWriteIndex(), 1);
    EXPECT_EQ(ring.GetChangeCounter(), 101);
    EXPECT_EQ(ring.GetSlot(0).mResult, "101");  // the 101st took the first one's slot
    EXPECT_EQ(ring.GetNewest(0)->mResult, "101");
    EXPECT_EQ(ring.GetNewest(99)->mResult, "2");
    EXPECT_EQ(ring.GetNewest(500)->mResult, "2");  // clamped to the oldest
    EXPECT_EQ(ring.GetNewest(-3)->mResult, "101");
    ring.Clear();
    EXPECT_EQ(ring.GetCount(), 0);
    EXPECT_EQ(ring.GetWriteIndex(), 0);
    EXPECT_EQ(ring.GetChangeCounter(), 102);
    for (int32_t i = 0; i < LuaResults::kCapacity; ++i) EXPECT_TRUE(ring.GetSlot(i).mResult.empty());
}

TEST_F(HostTest, NameCountersAreIndependentAndNeverRepeat)
{
    EXPECT_EQ(mHost.MakePreScriptName(), "Pre1");
    EXPECT_EQ(mHost.MakePreScriptName(), "Pre2");
    EXPECT_EQ(mHost.MakeObjScriptName(), "Obj1");
    EXPECT_EQ(mHost.MakePreScriptName(), "Pre3");
}

TEST_F(HostTest, ScriptsHaveOnlyTheMathLibraryWithoutChance)
{
    struct Case {
        const char* expression;
        const char* type;
    };
    const Case cases[] = {
        {"math.random", "nil"},     {"math.randomseed", "nil"}, {"math.sin", "function"},
        {"math.floor", "function"}, {"print", "nil"},           {"pcall", "nil"},
        {"string", "nil"},          {"table", "nil"},           {"io", "nil"},
        {"os", "nil"},              {"debug", "nil"},           {"require", "nil"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression);
        // The base library's type() is gone too: only nil or not can be asked.
        std::string chunk = std::string("local v = ") + c.expression + "; return v == nil and 'nil' or 'function'";
        ASSERT_TRUE(RunAndCollect(chunk));
        EXPECT_EQ(mHost.GetResults().GetNewest(0)->mResult, c.type);
    }
}

TEST(ScriptHostTest, NothingRunsBeforeTheStateExists)
{
    ScriptHost host;
    EXPECT_EQ(gScriptHost, &host);
    EXPECT_FALSE(host.RunScriptText("return 1", true));
    std::string out;
    EXPECT_FALSE(host.PopScriptString(out));
    host.CollectLuaResults("", "undefined so far");
    EXPECT_EQ(host.GetResults().GetCount(), 0);
}

// Runaway scripts end their run with a clear message and the host goes on.
TEST_F(HostTest, EndlessLoopsAndEndlessAllocationsStopAtTheirLimits)
{
    struct Case {
        const char* chunk;
        ScriptLimits::Stop stop;
        const char* message;
    };
    const Case cases[] = {
        {"while true do end", ScriptLimits::Stop::kInstructions, "instructions"},
        {"local i = 0; repeat i = i + 1 until i < 0", ScriptLimits::Stop::kInstructions, "instructions"},
        {"local s = 'xxxxxxxx'; while true do s = s .. s end", ScriptLimits::Stop::kMemory, "MB of memory"},
        {"t = {}; local i = 0; while true do i = i + 1; t[i] = {i} end", ScriptLimits::Stop::kMemory,
         "MB of memory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chunk);
        EXPECT_FALSE(RunAndCollect(c.chunk));
        EXPECT_EQ(mHost.GetLimits().GetLastStop(), c.stop);
        EXPECT_NE(mHost.GetResults().GetNewest(0)->mResult.find(c.message), std::string::npos)
            << mHost.GetResults().GetNewest(0)->mResult;
        // The next run has a fresh budget and the memory of the stopped one back.
        ASSERT_TRUE(RunAndCollect("t = nil; return 'still here'"));
        EXPECT_EQ(mHost.GetResults().GetNewest(0)->mResult, "still here");
        EXPECT_EQ(mHost.GetLimits().GetLastStop(), ScriptLimits::Stop::kNone);
    }
}

TEST_F(HostTest, AGenerousBudgetLetsOrdinaryWorkFinish)
{
    EXPECT_TRUE(RunAndCollect("local s = 0; for i = 1, 1000000 do s = s + i end; return s"));
    EXPECT_EQ(mHost.GetResults().GetNewest(0)->mResult, "500000500000");
}

// A bound call that runs scripts of its own (a page's snippet loading a robot,
// whose scripts are built) must find its arguments where it left them: the
// nested runs take and drop only what they left themselves.
TEST_F(HostTest, RunsNestedInABoundCallLeaveThatCallsFrameAlone)
{
    // Works as the bindings do: its results are whatever lies above its arguments.
    auto bound = [](lua_State* state) -> int {
        auto& host = *static_cast<ScriptHost*>(lua_touserdata(state, lua_upvalueindex(1)));
        const int arguments = lua_gettop(state);
        host.RunScriptText("return 7, 8", true);
        const int32_t left = host.GetStackSize();
        host.CollectLuaResults("return 7, 8", "nested");
        host.RunScriptText("nested_ran = true; return 'dropped'", false);
        host.ClearScriptStack();
        lua_pushinteger(state, left);
        lua_pushvalue(state, 1);
        return lua_gettop(state) - arguments;
    };
    lua_State* state = mHost.GetState();
    lua_pushlightuserdata(state, &mHost);
    lua_pushcclosure(state, bound, 1);
    lua_setglobal(state, "bound");

    ASSERT_TRUE(mHost.RunScriptText("local n, first = bound('a', 'b') return first, n", true));
    EXPECT_EQ(mHost.GetStackSize(), 2);
    mHost.CollectLuaResults("outer", "test");
    EXPECT_EQ(NewestResults(4), (std::vector<std::string>{"a", "2", "7", "8"}));
    EXPECT_TRUE(RunAndCollect("return nested_ran and 'yes'"));
    EXPECT_EQ(NewestResults(1), (std::vector<std::string>{"yes"}));
    // Outside any run the whole stack is the caller's again.
    lua_pushinteger(state, 1);
    EXPECT_EQ(mHost.GetStackSize(), 1);
    mHost.ClearScriptStack();
    EXPECT_EQ(lua_gettop(state), 0);
}
