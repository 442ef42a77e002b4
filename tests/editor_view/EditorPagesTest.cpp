// The shipped editor pages, loaded from the packed run tree by the real
// browser engine: what the game sends them builds and updates controls, and
// what a player does on them comes back as Lua the game can run.
#include "ViewFixture.h"
#include "editor/webview/BitmapSurface.h"
#include "editor/webview/WebView.h"


#include <lua.hpp>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace KIV;

namespace {

// The game's own encoding: letters and digits stay, every other byte is %XX.
std::string Encode(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            out += static_cast<char>(c);
        } else {
            static const char* kHex = "0123456789ABCDEF";
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// reload_edy_page's argument as the game builds it from statements.
std::string PageCall(const std::vector<std::string>& statements)
{
    std::string call = "reload_edy_page([";
    for (size_t i = 0; i < statements.size(); ++i) {
        call += (i ? ",'" : "'") + Encode(statements[i]) + "'";
    }
    return call + "]);";
}

// Runs a chunk in a bare Lua state and gives what it returned as text, or
// the error; pages must hand the game Lua that parses and means what the
// player typed.
std::string RunLua(const std::string& chunk)
{
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    std::string result;
    if (luaL_loadstring(L, chunk.c_str()) != LUA_OK || lua_pcall(L, 0, 1, 0) != LUA_OK) {
        result = std::string("error: ") + lua_tostring(L, -1);
    } else if (lua_isstring(L, -1)) {
        size_t n = 0;
        const char* s = lua_tolstring(L, -1, &n);
        result.assign(s, n);
    }
    lua_close(L);
    return result;
}

class EditorPagesTest : public ViewFixture {
protected:
    WebView* Open(const std::string& page)
    {
        ListenerLog& log = mLogs.emplace_back();
        WebView* view = MakeView(700, 512, log);
        Load(view, std::string(KIV_TEST_RUNTREE) + "/Editor/" + page);
        EXPECT_TRUE(PumpUntil([&] { return log.mReady > 0; })) << page << ": " << log.mFailReason;
        view->AfterLoad();
        // What the page queued while loading is not what these tests look at.
        Js(view, "get_lua_script()");
        return view;
    }

    // The probe exactly as the game evaluates it.
    static std::string Probe(WebView* view)
    {
        return Js(view, "if(get_lua_script!=undefined) get_lua_script()");
    }

    // Every Lua snippet a page description carries must at least compile, with
    // its markers filled in as the page fills them.
    static void ExpectLuaParses(WebView* view, const std::vector<std::string>& statements, const std::string& page)
    {
        std::string collect =
            "(function(){var found=[];var keep={};"
            "['add_block','add_slider','add_label','add_checkbox','add_radio','add_button','add_number','add_stringbox',"
            "'add_color','add_textbox','add_listbox','add_texture','add_luabox','add_table','add_table_tr',"
            "'add_table_td','add_new_line'].forEach(function(n){keep[n]=window[n];window[n]=function(){"
            "for(var i=0;i<arguments.length;++i){var a=arguments[i];"
            "if(typeof a==='string'&&/(kiv|scene):/.test(a)&&a.indexOf('kiv_queue_lua(')!==0)found.push(a);}};});"
            "var list=[";
        for (size_t i = 0; i < statements.size(); ++i) collect += (i ? ",'" : "'") + Encode(statements[i]) + "'";
        collect += "];list.forEach(function(t){(new Function(kiv_percent_decode(t)))();});"
                   "Object.keys(keep).forEach(function(n){window[n]=keep[n];});return found.join('\u0001');})()";
        const std::string all = Js(view, collect);
        size_t start = 0;
        int count = 0;
        while (start < all.size()) {
            const size_t end = all.find('\x01', start);
            std::string snippet = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
            start = end == std::string::npos ? all.size() : end + 1;
            for (const char* marker : {"$id", "$v", "$e", "$r", "$g", "$b", "$a"}) {
                for (size_t at = snippet.find(marker); at != std::string::npos; at = snippet.find(marker)) {
                    snippet.replace(at, std::string(marker).size(), "1");
                }
            }
            lua_State* L = luaL_newstate();
            EXPECT_EQ(luaL_loadstring(L, snippet.c_str()), LUA_OK) << page << ": " << lua_tostring(L, -1);
            lua_close(L);
            ++count;
        }
        EXPECT_GT(count, 0) << page;
    }

    std::deque<ListenerLog> mLogs; // one per view, kept where the views can reach them
};

TEST_F(EditorPagesTest, ModePageBuildsControlsFromStatementsAndReportsTheOnesThatFail)
{
    WebView* view = Open("kiv_edit_object.html");
    Js(view, PageCall({
                 R"js(add_block("b1", "Body", "", "", "", "", 1))js",
                 R"js(add_slider("density", 1, 0, 10, 0.5, "scene:ST():SetDensity($v)", "", "", "b1", true, 120))js",
                 R"js(add_label("caption", "Mass", "", "", "b1", false))js",
                 R"js(add_no_such_control("x"))js",
                 R"js(add_checkbox("sleep", "Sleeps", true, "t:A($v)", "t:B($v)", "", "", "", true))js",
             }));
    EXPECT_EQ(Js(view, "document.getElementById('density').closest('.kiv-block').id"), "block_b1");
    EXPECT_EQ(Js(view, "document.getElementById('caption').parentNode.parentNode.id"), "block_b1");
    EXPECT_EQ(Js(view, "String(document.getElementById('sleep').checked)"), "true");
    EXPECT_NE(Js(view, "document.querySelector('.kiv-page-error').textContent").find("4: "), std::string::npos);
    // The failure also reaches the game, as a snippet that fails there and so
    // lands in the Lua results.
    const std::string reported = Probe(view);
    EXPECT_EQ(reported.rfind("page_script_error('page OBJECT: statements that failed: 4: ", 0), 0u) << reported;
    EXPECT_NE(RunLua(reported).find("page_script_error"), std::string::npos);

    // Building again replaces the page instead of adding to it.
    Js(view, PageCall({R"js(add_label("only", "One", "", "", "", false))js"}));
    EXPECT_EQ(Js(view, "String(document.querySelectorAll('#kiv_root .kiv-label').length)"), "1");
    EXPECT_EQ(Js(view, "String(document.getElementById('density'))"), "null");
}

TEST_F(EditorPagesTest, AnErrorThrownByAPageScriptIsHandedToTheGame)
{
    WebView* view = Open("kiv_edit_scene.html");
    Js(view, PageCall({R"js(add_button("b", "B", "", "", "", "", "", "", true, "", "no_such_function()"))js"}));
    // A control's own script, and a script error nothing catches.
    for (const char* action : {"document.getElementById('b').click();", "setTimeout(function(){no_such_function();},0);"}) {
        Js(view, action);
        std::string reported;
        EXPECT_TRUE(PumpUntil([&] { return (reported = Probe(view)) != "undefined"; }, 5.0)) << action;
        EXPECT_NE(reported.find("no_such_function"), std::string::npos) << action << ": " << reported;
        EXPECT_EQ(reported.rfind("page_script_error('page SCENE: ", 0), 0u) << reported;
    }
}

TEST_F(EditorPagesTest, PlayerActionsComeBackAsLuaOnce)
{
    WebView* view = Open("kiv_edit_object.html");
    Js(view, PageCall({
                 R"js(add_slider("density", 1, 0, 10, 0.5, "scene:ST():SetDensity($v)", "", "", "", true))js",
                 R"js(add_checkbox("sleep", "Sleeps", false, "on($id)", "off($id)", "", "", "", true))js",
                 R"js(add_button("go", "Go", "", "", "kiv:Reset()", "", "", "", true))js",
                 R"js(add_stringbox("name", "", "scene:ST():SetName($v)", "", "", "", true))js",
             }));
    EXPECT_EQ(Probe(view), "undefined");

    struct Case {
        const char* mAction;
        const char* mExpected;
    };
    const Case cases[] = {
        {"var s=document.getElementById('density'); s.value=2.5; s.dispatchEvent(new Event('input'));",
         "scene:ST():SetDensity(2.5)"},
        {"var c=document.getElementById('sleep'); c.checked=true; c.dispatchEvent(new Event('change'));", "on('sleep')"},
        {"var c=document.getElementById('sleep'); c.checked=false; c.dispatchEvent(new Event('change'));",
         "off('sleep')"},
        {"document.getElementById('go').click();", "kiv:Reset()"},
        {"var n=document.getElementById('name'); n.value='it\\'s'; n.dispatchEvent(new Event('change'));",
         "scene:ST():SetName('it\\'s')"},
    };
    for (const Case& c : cases) {
        Js(view, c.mAction);
        EXPECT_EQ(Probe(view), c.mExpected) << c.mAction;
        EXPECT_EQ(Probe(view), "undefined") << "a snippet was handed over twice: " << c.mAction;
    }

    // Several changes in one frame all reach the game, each in a block of its
    // own, so that one ending in a comment cannot swallow the next.
    Js(view, "document.getElementById('go').click(); document.getElementById('go').click();");
    EXPECT_EQ(Probe(view), "do kiv:Reset()\nend do kiv:Reset()\nend");
    Js(view, "kiv_queue_lua('return 1 -- one'); kiv_queue_lua('x = 2');");
    EXPECT_EQ(RunLua(Probe(view)), "1");
}

TEST_F(EditorPagesTest, TextsTypedOnAPageReachLuaExactly)
{
    WebView* view = Open("kiv_edit_robot.html");
    Js(view, PageCall({R"js(add_luabox("script", "", 200, 100, "return $v", "", "", "", true))js"}));
    const std::string typed = "line 1\nsays \"hi\" and 'bye'\\ \t end";
    Js(view, "var a=document.getElementById('script'); a.value=" + std::string("decodeURIComponent('") +
                 Encode(typed) + "'); a.dispatchEvent(new Event('change'));");
    const std::string snippet = Probe(view);
    EXPECT_EQ(snippet.find('\n'), std::string::npos) << snippet;
    EXPECT_EQ(RunLua(snippet), typed);
}

TEST_F(EditorPagesTest, UpdateCallsSetWhatControlsShow)
{
    WebView* view = Open("kiv_edit_scene.html");
    Js(view, PageCall({
                 R"js(add_slider("s", 0, 0, 1, 0.01, "", "", "", "", true))js",
                 R"js(add_checkbox("c", "C", false, "", "", "", "", "", true))js",
                 R"js(add_label("l", "", "", "", "", true))js",
                 R"js(add_stringbox("t", "", "", "", "", "", true))js",
                 R"js(add_listbox("list", 5, 100, "", "", "", "", "", "", "", true))js",
                 R"js(add_button("b", "B", "", "", "", "", "", "", true))js",
                 R"js(add_radio("r1", "g", "One", 1, "", "", "", "", false))js",
                 R"js(add_radio("r2", "g", "Two", 2, "", "", "", "", true))js",
                 R"js(add_color("col", "Fill", "", "", "", "", "", "", true))js",
             }));
    struct Case {
        const char* mCall;
        const char* mRead;
        const char* mExpected;
    };
    const Case cases[] = {
        {"update_slider('s','0.5000');", "document.getElementById('s').value", "0.5"},
        {"update_checkbox('c','true');", "String(document.getElementById('c').checked)", "true"},
        {"update_checkbox('c','false');", "String(document.getElementById('c').checked)", "false"},
        {"update_label('l','4.0000,2.0000');", "document.getElementById('l').textContent", "4.0000,2.0000"},
        {"update_textbox('t','a%20b%C3%A9%27');", "document.getElementById('t').value", "a b\xc3\xa9'"},
        {"update_listbox('list',['one','two%20words'],1);",
         "document.getElementById('list').options[1].text + '|' + document.getElementById('list').selectedIndex",
         "two words|1"},
        {"update_listbox('list',['x'],0);", "String(document.getElementById('list').options.length)", "1"},
        {"disable_button('b');", "document.getElementById('b').style.display", "none"},
        {"enable_button('b');", "document.getElementById('b').style.display", ""},
        {"update_button('b','it\\'s');", "document.getElementById('b').textContent", "it's"},
        {"update_radio('g','2');", "String(document.getElementById('r2').checked)", "true"},
        {"update_color('col','255','0','0');", "document.getElementById('col').style.backgroundColor",
         "rgb(255, 0, 0)"},
        {"update_slider('no_such_control','1');", "'still running'", "still running"},
    };
    for (const Case& c : cases) {
        Js(view, c.mCall);
        EXPECT_EQ(Js(view, c.mRead), c.mExpected) << c.mCall;
    }
}

// The chosen entry of a list reads on the dark page: its row holds light
// text, where the engine's own mark would draw it dark on grey.
TEST_F(EditorPagesTest, AListsChosenEntryIsDrawnLightOnItsMark)
{
    WebView* view = Open("kiv_edit_scene.html");
    Js(view, PageCall({R"js(add_listbox("list", 4, 200, "", "", "", "", "", "", "", true))js"}));
    Js(view, "update_listbox('list',['first','WWWWWWWW','third'],1);");
    // The rows stand evenly in the box, the chosen one second.
    const std::string rect = Js(view, "var r=document.getElementById('list').getBoundingClientRect();"
                                      "[Math.round(r.left),Math.round(r.top),Math.round(r.width),"
                                      "Math.round(r.height)].join(',')");
    int left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(std::sscanf(rect.c_str(), "%d,%d,%d,%d", &left, &top, &width, &height), 4) << rect;
    const int rowHeight = height / 4;
    ASSERT_GT(rowHeight, 4);
    constexpr int kViewWidth = 700, kViewHeight = 512;
    std::vector<uint8_t> rows(kViewWidth * kViewHeight * 4);
    auto lightInRow = [&](int row) {
        int light = 0;
        for (int y = top + row * rowHeight + 1; y < top + (row + 1) * rowHeight - 1; ++y)
            for (int x = left + 2; x < left + width - 2 && x < kViewWidth; ++x) {
                const uint8_t* p = rows.data() + (static_cast<size_t>(y) * kViewWidth + x) * 4;
                if (p[0] + p[1] + p[2] > 3 * 200) ++light;
            }
        return light;
    };
    // Drawn once the surface shows the unchosen rows' light text.
    EXPECT_TRUE(PumpUntil([&] {
        BitmapSurface* surface = view->GetSurface();
        if (surface == nullptr) return false;
        surface->CopyTo(rows.data(), kViewWidth * 4, 4, true, false);
        return lightInRow(0) > 10 && lightInRow(2) > 10;
    })) << "the list was never drawn";
    EXPECT_GT(lightInRow(1), 10) << "the chosen entry's text";
}

TEST_F(EditorPagesTest, ShowingAPageAsksForEveryControlsValue)
{
    WebView* view = Open("kiv_edit_joint.html");
    Js(view, PageCall({
                 R"js(add_slider("a", 0, 0, 1, 0.01, "", "getA()", "", "", true))js",
                 R"js(add_label("b", "", "", "", "", true))js",
                 R"js(add_button("c", "C", "", "", "", "getC()", "", "", true, "visC()"))js",
             }));
    Js(view, "show_window_event();focus_window_event();");
    EXPECT_EQ(Probe(view), "do getA()\nend do getC()\nend do visC()\nend");
    Js(view, "blur_window_event();hide_window_event();");
}

TEST_F(EditorPagesTest, LibraryPagesListFoldersAndAskForTheClickedFile)
{
    WebView* view = Open("kiv_texture_lib.html");
    Js(view, "texlib_cleanup();"
             "texlib_add_dir('Toys','Toys',0,2);texlib_add_dir('f','f',2,0);"
             "texlib_add_file('ball.png','ball%2Epng','0');texlib_add_file('box one.png','box%20one%2Epng','1');"
             "texlib_update_finish();");
    EXPECT_EQ(Js(view, "String(document.querySelectorAll('#texlib_list .kiv-dir').length)"), "2");
    Js(view, "document.querySelectorAll('#texlib_list div')[2].click();");
    EXPECT_EQ(Probe(view), "kiv:EdySelectTexture('box%20one%2Epng')");
    Js(view, "texlib_select_texture('box%20one%2Epng');");
    EXPECT_EQ(Js(view, "document.querySelector('#texlib_list .kiv-selected').textContent.trim()"), "box one.png");

    WebView* robots = Open("kiv_robot_lib.html");
    Js(robots, "robotlib_cleanup();robotlib_add_dir('','',0,1);robotlib_add_file('spider1.robot','spider1%2Erobot','0');"
               "robotlib_update_finish();robotlib_select_robot('spider1%2Erobot');");
    Js(robots, "document.getElementById('robotlib_edit').click();");
    EXPECT_EQ(Probe(robots), "kiv:EdyLoadRobotDef('spider1%2Erobot')");
    // A delete takes a second click, so one stray click never loses a robot.
    Js(robots, "document.getElementById('robotlib_delete').click();");
    EXPECT_EQ(Probe(robots), "undefined");
    Js(robots, "document.getElementById('robotlib_delete').click();");
    EXPECT_EQ(Probe(robots), "kiv:EdyDeleteSelectedRobotDef() ; kiv:EdyReloadRobotLib()");
}

// When the game refuses a command that would lose unsaved work, the page that
// asked shows the question; only "Discard" sends the forced command, once, and
// either answer takes the question away.
TEST_F(EditorPagesTest, AQuestionOfTheGameSendsTheForcedCommandOnlyWhenConfirmed)
{
    const std::string ask = "kiv_confirm_forced('Robot \\'a\\' has changes. Discard them?','kiv:EdyLoadRobotDef(\\'a%2Erobot\\', true)');";
    struct Case {
        const char* page;
        const char* button;
        const char* sent;
    };
    const Case cases[] = {
        {"kiv_robot_lib.html", "kiv_confirm_yes", "kiv:EdyLoadRobotDef('a%2Erobot', true)"},
        {"kiv_robot_lib.html", "kiv_confirm_no", "undefined"},
        {"kiv_edit_robot.html", "kiv_confirm_yes", "kiv:EdyLoadRobotDef('a%2Erobot', true)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " " + c.button);
        WebView* view = Open(c.page);
        Js(view, ask);
        Js(view, ask); // asked twice, shown once
        EXPECT_EQ(Js(view, "String(document.querySelectorAll('#kiv_confirm').length)"), "1");
        EXPECT_EQ(Js(view, "document.querySelector('#kiv_confirm span').textContent"),
                  "Robot 'a' has changes. Discard them?");
        EXPECT_EQ(Probe(view), "undefined") << "nothing is sent before the answer";
        Js(view, std::string("document.getElementById('") + c.button + "').click();");
        EXPECT_EQ(Probe(view), c.sent);
        EXPECT_EQ(Js(view, "String(document.querySelectorAll('#kiv_confirm').length)"), "0");
    }
}

TEST_F(EditorPagesTest, ConsoleSendsWhatWasTypedAsOneChunkAndShowsEachResult)
{
    WebView* view = Open("kiv_lua_console.html");
    Js(view, "document.getElementById('console_in').value='local a = 2 -- two\\nreturn a * 21, \"x\"';"
             "document.getElementById('console_run').click();");
    EXPECT_EQ(RunLua(Probe(view)), "42");
    Js(view, "write_lua_result('b');write_lua_result('a');");
    EXPECT_EQ(Js(view, "document.getElementById('console_out').lastChild.textContent"), "a");
}

TEST_F(EditorPagesTest, LuaErrorsPageHoldsAHundredBoxPairsAndAsksByRevision)
{
    WebView* view = Open("kiv_lua_res.html");
    EXPECT_NE(Js(view, "String(document.getElementById('lres_box99_2'))"), "null");
    Js(view, "lua_res_window_revision = 7;update_textbox('lres_box3_1','ERROR%3A%20nil');");
    EXPECT_EQ(Js(view, "document.getElementById('lres_box3_1').value"), "ERROR: nil");
    Js(view, "kiv_page_refresh();");
    EXPECT_EQ(Probe(view), "kiv:EdyUpdateLuaResWindow(7)");
}

TEST_F(EditorPagesTest, ColourPickerAppliesPickedChannelsThroughTheControlsSnippet)
{
    WebView* view = Open("kiv_color_picker.html");
    std::string table = "inject_color_table([";
    for (int i = 0; i < 144; ++i) table += (i ? "," : "") + std::string(i == 5 ? "'10','20','30','40'" : "'0','0','0','255'");
    Js(view, table + "]);");
    Js(view, "pick_color_start_rgba('fill','1','2','3','4','" + Encode("o:SetColor(ColorRGBA($r,$g,$b,$a))") + "','" +
                 Encode("undoStart()") + "','" + Encode("undoEnd()") + "');");
    EXPECT_EQ(Probe(view), "undoStart()");
    Js(view, "document.querySelectorAll('#pick_table td')[5].click();");
    EXPECT_EQ(Probe(view), "o:SetColor(ColorRGBA(10,20,30,40))");
    Js(view, "document.getElementById('pick_store').click();");
    EXPECT_EQ(Probe(view), "kiv:SaveColorPickerTableColor(5,0,10,20,30,40) ; kiv:GetColorPickerTableColors()");
    Js(view, "document.getElementById('pick_done').click();");
    EXPECT_EQ(Probe(view), "undoEnd()");
}

// The statements of a shipped page description, comments left out.
std::vector<std::string> ReadStatements(const std::string& file)
{
    std::vector<std::string> statements;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.rfind("//", 0) != 0) statements.push_back(line);
    }
    return statements;
}

TEST_F(EditorPagesTest, EveryShippedModePageBuildsWithoutAFailedStatement)
{
    const std::string folder = std::string(KIV_TEST_SOURCE) + "/editor/builder/";
    const std::vector<std::string> common = ReadStatements(folder + "common.js");
    ASSERT_FALSE(common.empty());
    WebView* view = Open("kiv_edit_scene.html");
    int pages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("kiv_edit_", 0) != 0) continue;
        std::vector<std::string> statements = common;
        const std::vector<std::string> own = ReadStatements(entry.path().string());
        statements.insert(statements.end(), own.begin(), own.end());
        Js(view, PageCall(statements));
        EXPECT_EQ(Js(view, "String(document.querySelector('.kiv-page-error'))"), "null")
            << name << ": " << Js(view, "document.querySelector('.kiv-page-error').textContent");
        // Every control's own id is unique on its page, or updates would reach the wrong one.
        EXPECT_EQ(Js(view, "String(kiv_control_order.length === new Set(kiv_control_order).size)"), "true") << name;
        ExpectLuaParses(view, statements, name);
        ++pages;
    }
    EXPECT_EQ(pages, 11);
}

} // namespace
