#include <gtest/gtest.h>
#include <luabind/luabind.hpp>
#include <string>
#include "script/ScriptHost.h"
#include "script/ScriptRef.h"
#include "script/api/ScriptApi.h"

using namespace KIV;

namespace {
int32_t gLiveSentinels = 0;

// Stands for everything a bound call holds while it works.
struct Sentinel {
    Sentinel() { ++gLiveSentinels; }
    ~Sentinel() { --gLiveSentinels; }
    std::string mBuffer = std::string(256, 'x');  // heap memory, as real calls hold
};

int32_t RefusingCall(int32_t value)
{
    Sentinel held;
    if (value > 0) throw ScriptError("refused " + std::to_string(value));
    return value;
}

void RegisterForBoundCalls(ScriptHost& host)
{
    luabind::scope chain = ScriptScopeVectorF();
    chain, luabind::def("RefusingCall", &RefusingCall);
    luabind::module(host.GetState())[chain];
}

class BoundCallTest : public ::testing::Test {
protected:
    void SetUp() override { mHost.InitScriptVM(&RegisterForBoundCalls); }
    ScriptHost mHost;
};
} // namespace

// A failing bound call unwinds its C++ frames as an exception; only then does
// Lua raise the message, so nothing the call held is skipped.
TEST_F(BoundCallTest, AFailingBoundCallRunsItsDestructorsAndReportsItsMessage)
{
    EXPECT_FALSE(mHost.RunScriptText("local x = RefusingCall(3); return 'not reached'", true));
    EXPECT_EQ(gLiveSentinels, 0);
    mHost.CollectLuaResults("", "test");
    ASSERT_EQ(mHost.GetResults().GetCount(), 1);
    EXPECT_NE(mHost.GetResults().GetNewest(0)->mResult.find("refused 3"), std::string::npos);

    EXPECT_TRUE(mHost.RunScriptText("return RefusingCall(0)", true));
    EXPECT_EQ(gLiveSentinels, 0);
}

// Near the memory cap, bound calls (here: making vectors) may still allocate;
// the refusal comes from Lua's own code or from the count hook, never from
// inside the C++ call.
TEST_F(BoundCallTest, AllocationsInsideBoundCallsGoOverTheCapAndTheRunStillEnds)
{
    mHost.GetLimits().SetLimits(ScriptLimits::kInstructionBudget, size_t(4) << 20);
    EXPECT_FALSE(mHost.RunScriptText("t = {}; local i = 0; while true do i = i + 1; t[i] = VectorF(i, i) end", true));
    EXPECT_EQ(mHost.GetLimits().GetLastStop(), ScriptLimits::Stop::kMemory);
    std::string message;
    ASSERT_TRUE(mHost.PopScriptString(message));
    EXPECT_NE(message.find("MB of memory"), std::string::npos) << message;
    EXPECT_TRUE(mHost.RunScriptText("t = nil", true));
    EXPECT_TRUE(mHost.RunScriptText("local v = VectorF(1, 2) + VectorF(3, 4); return v.mX", true));
}
