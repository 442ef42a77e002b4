#include "editor_view/ViewFixture.h"

#include "editor/EditWindowManager.h"
#include "editor/PageBridge.h"
#include "editor/PageCalls.h"
#include "editor/PageChannel.h"
#include "script/ScriptHost.h"

#include <clocale>
#include <lua.hpp>

using namespace KIV;

namespace {

PageBridge* sBridge = nullptr;

// What a page's snippet calls to change a control: the bridge sends it to
// the window whose snippet is running.
int SetCheckbox(lua_State* state)
{
    const char* id = luaL_checkstring(state, 1);
    sBridge->QueueForCurrent(PageCalls::UpdateCheckbox(id, lua_toboolean(state, 2) != 0));
    return 0;
}

void TestApi(ScriptHost& host) { lua_register(host.GetState(), "set_checkbox", &SetCheckbox); }

// A page that hands one snippet, shows the results it gets back, and has a
// check box the engine can tick.
const char kConsolePage[] = R"(<html><head><title>console</title><script>
function show_window_event() {} function hide_window_event() {}
function focus_window_event() {} function blur_window_event() {}
var pending = null;
var results = [];
function get_lua_script() { var s = pending; pending = null; return s; }
function write_lua_result(text) { results.push(text); }
function update_checkbox(id, value) { document.getElementById(id).checked = (value == 'true'); }
</script></head><body><input type="checkbox" id="c1"></body></html>)";

// A page that hands no snippets: it only follows the window events.
const char kPlainPage[] = "<html><head><title>plain</title><script>"
                          "function show_window_event() {} function focus_window_event() {}"
                          "</script></head><body>plain</body></html>";

class PageBridgeViewTest : public ViewFixture {
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        sBridge = &mBridge;
        mHost.InitScriptVM(&TestApi);
        mWindows.SetViewFactory([this](int32_t w, int32_t h) {
            WebView* view = sCore->CreateWebView(w, h);
            mViews.push_back(view);
            return view;
        });
        const std::string console = WritePage("Editor/console.html", kConsolePage);
        const std::string plain = WritePage("Editor/plain.html", kPlainPage);
        mConsole = mWindows.GetWindow(mWindows.AddWindow(true, EditWindow::kLuaConsole, "LUA", console, {400, 300}, {0, 0}));
        mPlain = mWindows.GetWindow(mWindows.AddWindow(true, EditWindow::kEditModePage, "SCENE", plain, {400, 300}, {0, 0}));
        // The blank document before the page is complete too: wait for the page's own title.
        for (EditWindow* w : {mConsole, mPlain}) {
            const std::string title = w == mConsole ? "console" : "plain";
            ASSERT_TRUE(PumpUntil([&] {
                return Js(w->GetView(), "document.title") == title &&
                       Js(w->GetView(), "document.readyState") == "complete";
            }));
            w->OnPageReady();
            w->Show();
        }
    }
    void TearDown() override
    {
        sBridge = nullptr;
        ViewFixture::TearDown();
    }
    void Frame()
    {
        sCore->Update();
        mBridge.RunPageScripts(mWindows, mHost, mChannel);
    }

    EditWindowManager mWindows;
    ScriptHost mHost;
    PageBridge mBridge;
    ViewPageChannel mChannel;
    EditWindow* mConsole = nullptr;
    EditWindow* mPlain = nullptr;
};

} // namespace

// The page hands a snippet; it runs, ticks the page's check box and its
// values come back to the page, each as the exact text Lua made.
TEST_F(PageBridgeViewTest, ASnippetRunsAndItsResultsAndUpdatesReachThePage)
{
    WebView* view = mConsole->GetView();
    Js(view, "pending = \"set_checkbox('c1', true) return 'it\\\\'s', 'a\\\\nb\\\\226\\\\128\\\\168</script>'\"; 0");
    for (int i = 0; i < 5; ++i) Frame();
    ASSERT_TRUE(PumpUntil([&] { return Js(view, "String(results.length)") == "2"; })) << Js(view, "String(results)");
    EXPECT_EQ(Js(view, "results[0]"), "a\nb\xE2\x80\xA8</script>");
    EXPECT_EQ(Js(view, "results[1]"), "it's");
    EXPECT_EQ(Js(view, "String(document.getElementById('c1').checked)"), "true");
    EXPECT_EQ(mHost.GetResults().GetCount(), 0);
    // Frames in which the page has nothing (get_lua_script gives null) run nothing.
    for (int i = 0; i < 3; ++i) Frame();
    PumpFor(0.2);
    EXPECT_EQ(Js(view, "String(results.length)"), "2");
}

// GTK takes the user's locale when it starts (the test runs with one that is
// not "C"); numbers still cross in both directions with a decimal point.
TEST_F(PageBridgeViewTest, NumbersKeepTheirDecimalPointAfterThePagesStart)
{
    EXPECT_STREQ(setlocale(LC_NUMERIC, nullptr), "C");
    WebView* view = mConsole->GetView();
    Js(view, "pending = 'local x = 0.5 + 1 return x .. \\'|\\' .. 3 / 2'; 0");
    for (int i = 0; i < 3; ++i) Frame();
    ASSERT_TRUE(PumpUntil([&] { return Js(view, "String(results.length)") == "1"; })) << Js(view, "String(results)");
    EXPECT_EQ(Js(view, "results[0]"), "1.5|1.5");
}

// A page without the protocol is asked every frame and gives nothing; its
// window's queued text still reaches it.
TEST_F(PageBridgeViewTest, APageWithoutSnippetsIsAskedWithoutFailing)
{
    mPlain->QueueJavascript("document.title = 'changed';");
    for (int i = 0; i < 3; ++i) Frame();
    EXPECT_TRUE(PumpUntil([&] { return Js(mPlain->GetView(), "document.title") == "changed"; }));
    std::string text = "kept";
    EXPECT_FALSE(mPlain->EvaluateJavascript(PageBridge::kProbe, text));
    EXPECT_EQ(Js(mPlain->GetView(), PageBridge::kProbe), "undefined");
    EXPECT_EQ(mHost.GetResults().GetCount(), 0);
    EXPECT_TRUE(mPlain->TakeLuaScript().empty());
}
