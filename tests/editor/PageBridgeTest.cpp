#include <gtest/gtest.h>
#include <string>
#include "editor/EditWindowManager.h"
#include "editor/FakePageChannel.h"
#include "editor/PageBridge.h"
#include "script/ScriptHost.h"

using namespace KIV;

namespace {
void NoApi(ScriptHost&) {}

// The nineteen windows with loaded pages behind a scripted channel, and a
// script host of the test's own.
struct BridgeFixture : ::testing::Test {
    void SetUp() override
    {
        windows.CreateAllWindows({1280, 800}, "pages/");
        for (int32_t i = 0; i < windows.GetWindowCount(); ++i) windows.GetWindow(i)->OnPageReady();
        host.InitScriptVM(&NoApi);
        mode = windows.GetWindow(0);
        console = PageBridge::FirstOfKind(windows, EditWindow::kLuaConsole);
        ASSERT_NE(console, nullptr);
        mode->Show();
        console->Show();
        mode->TakePendingJavascript();
        console->TakePendingJavascript();
    }
    void Run() { bridge.RunPageScripts(windows, host, pages); }

    EditWindowManager windows;
    ScriptHost host;
    FakePageChannel pages;
    PageBridge bridge;
    EditWindow* mode = nullptr;
    EditWindow* console = nullptr;
};
} // namespace

TEST_F(BridgeFixture, TheConsoleGetsEachValueBackAsItsOwnCall)
{
    pages.mSnippets[console] = "return 'a', 'b'";
    Run();
    EXPECT_EQ(pages.mRun[console], (std::vector<std::string>{"write_lua_result('b');write_lua_result('a');"}));
    EXPECT_EQ(host.GetResults().GetCount(), 0);
    // A value comes back escaped.
    pages.mSnippets[console] = "return \"it's\"";
    Run();
    EXPECT_EQ(pages.mRun[console].back(), "write_lua_result('it\\'s');");
}

TEST_F(BridgeFixture, OtherWindowsFillTheResultsRingWithTheirTitle)
{
    pages.mSnippets[mode] = "return 'done'";
    Run();
    ASSERT_EQ(host.GetResults().GetCount(), 1);
    const LuaResult* r = host.GetResults().GetNewest(0);
    EXPECT_EQ(r->mResult, "done");
    EXPECT_EQ(r->mScript, "return 'done'");
    EXPECT_EQ(r->mSource, "edit window script; window: " + mode->GetTitle());
    EXPECT_TRUE(pages.mRun[mode].empty());
}

// The text runs as the page gave it: no backslash is put before its line feeds.
TEST_F(BridgeFixture, ASnippetRunsExactlyAsThePageGaveIt)
{
    const std::string snippet = "local s = 'a\\\nb'\nreturn s .. '|' .. #s";
    pages.mSnippets[mode] = snippet;
    Run();
    ASSERT_EQ(host.GetResults().GetCount(), 1);
    EXPECT_EQ(host.GetResults().GetNewest(0)->mResult, "a\nb|3");
    EXPECT_EQ(host.GetResults().GetNewest(0)->mScript, snippet);
}

TEST_F(BridgeFixture, OnlyLoadedVisiblePagesAreAskedAndTheProbeNeverThrows)
{
    windows.GetWindow(1)->Show();  // shown, but its page has not loaded
    EditWindowManager fresh;
    fresh.CreateAllWindows({1280, 800}, "pages/");
    fresh.GetWindow(1)->Show();
    bridge.RunPageScripts(fresh, host, pages);
    EXPECT_TRUE(pages.mProbes.empty());
    Run();
    // The mode page and the console: the hidden ones and the native robot editor are not asked.
    ASSERT_EQ(pages.mProbes.size(), 3u);
    EXPECT_NE(pages.mProbes[0].find("typeof get_lua_script"), std::string::npos);
    // "undefined" is what a page without a snippet gives: nothing runs.
    pages.mSnippets[mode] = "undefined";
    Run();
    EXPECT_EQ(host.GetResults().GetCount(), 0);
}

// Text queued while a snippet runs lands in its window in the same pass;
// outside a pass there is no current window and the text is dropped.
TEST_F(BridgeFixture, QueuedTextReachesTheRunningWindowInTheSamePass)
{
    EXPECT_FALSE(bridge.QueueForCurrent("lost();"));
    pages.mSnippets[mode] = "return 1";
    EditWindow* seen = nullptr;
    struct Catcher : PageChannel {
        PageBridge* bridge;
        EditWindow** seen;
        FakePageChannel* inner;
        bool Evaluate(EditWindow& w, const std::string& s, std::string& r) override { return inner->Evaluate(w, s, r); }
        void Execute(EditWindow& w, const std::string& s) override { inner->Execute(w, s); *seen = bridge->GetCurrentWindow(); }
    } catcher;
    catcher.bridge = &bridge;
    catcher.seen = &seen;
    catcher.inner = &pages;
    mode->QueueJavascript("early();");
    bridge.RunPageScripts(windows, host, catcher);
    EXPECT_EQ(seen, mode);
    EXPECT_EQ(pages.mRun[mode], (std::vector<std::string>{"early();"}));
    EXPECT_EQ(bridge.GetCurrentWindow(), nullptr);
}
