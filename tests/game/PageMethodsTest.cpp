#include <gtest/gtest.h>
#include <filesystem>
#include <initializer_list>
#include <string>
#include "base/MemoryStream.h"
#include "editor/FakePageChannel.h"
#include "editor/PageBridge.h"
#include "game/GameKeys.h"
#include "game/KIVGame.h"
#include "game/PageMethods.h"
#include "game/ScriptAPI.h"
#include "robots/Robot.h"
#include "script/ScriptHost.h"
#include "support/GameFixture.h"

using namespace KIV;

namespace {
// The game with its nineteen windows loaded, the whole script API on a host
// of the test's own, and pages behind a scripted channel.
class PageMethodsTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        mSavedHost = gScriptHost;
        mHost = std::make_unique<ScriptHost>();
        gScriptHost = mHost.get();
        mHost->InitScriptVM(&RegisterScriptAPI);
        KIVGame& g = *mGame;
        g.CreateEditWindows();
        for (int32_t i = 0; i < g.mEditWindows.GetWindowCount(); ++i) {
            EditWindow* w = g.mEditWindows.GetWindow(i);
            w->OnPageReady();
            w->TakePendingJavascript();
        }
        g.mPageChannel = &mPages;
        mMode = g.mEditWindows.GetWindow(0);
        mMode->Show();
        mMode->TakePendingJavascript();
    }
    void TearDown() override
    {
        mHost.reset();
        gScriptHost = mSavedHost;
        GameFixture::TearDown();
    }
    // What the mode page receives when it hands over the snippet.
    std::string RunOnModePage(const std::string& snippet)
    {
        mPages.mRun.clear();
        mPages.mSnippets[mMode] = snippet;
        mGame->RunPageScripts();
        const auto& run = mPages.mRun[mMode];
        return run.empty() ? "" : run.back();
    }
    // What the window of the kind was sent in the last pass.
    std::string Sent(int32_t kind)
    {
        std::string all;
        for (const std::string& js : mPages.mRun[PageBridge::FirstOfKind(mGame->mEditWindows, kind)]) all += js;
        return all;
    }

    ScriptHost* mSavedHost = nullptr;
    std::unique_ptr<ScriptHost> mHost;
    FakePageChannel mPages;
    EditWindow* mMode = nullptr;
};
} // namespace

// Through the whole road: a page's snippet calls the method, and the page
// gets exactly this JavaScript back in the same pass.
TEST_F(PageMethodsTest, EdyCallsQueueTheirExactJavascriptForThePageThatAsked)
{
    struct Case {
        const char* snippet;
        const char* javascript;
    };
    const Case cases[] = {
        {"kiv:EdyUpdateCheckbox('c1', true)", "update_checkbox('c1','true');"},
        {"kiv:EdyUpdateRadio('r', 3)", "update_radio('r','3');"},
        {"kiv:EdyUpdateSlider('s', 0.5)", "update_slider('s','0.5000');"},
        {"kiv:EdyUpdateSlider('s', 2)", "update_slider('s','2');"},
        {"kiv:EdyUpdateNumber('n', -1.25)", "update_number('n','-1.2500');"},
        {"kiv:EdyUpdateTextbox('t', 'a,b')", "update_textbox('t','a%2Cb');"},
        {"kiv:EdyUpdateStringBox('t', 'x y')", "update_textbox('t','x%20y');"},
        {"kiv:EdyUpdateButton('b', \"it's\")", "update_button('b','it\\'s');"},
        {"kiv:EdyUpdateButtonVisibility('b', false)", "disable_button('b');"},
        {"kiv:EdyUpdateTexture('x', 'a.png')", "update_texture('x','a%2Epng',1,1);"},
        {"kiv:EdyUpdateTexture('x', 'a', VectorI(2, 3))", "update_texture('x','a',2,3);"},
        {"kiv:EdyUpdateLuaBox('l', 'x')", "update_luabox('l','x');"},
        {"kiv:EdyUpdateListBox('l', kiv:GetBlendersList(), 0)", nullptr},
        {"kiv:EdyUpdateColor('c', ColorRGBA(1, 2, 3, 4))", "update_color('c','1','2','3');"},
        {"kiv:EdyUpdateColor('c', ColorRGB(1, 2, 3))", "update_color('c','1','2','3');"},
        {"kiv:EdyRefreshColorPickerColor(ColorRGB(1, 2, 3))", "refresh_color('1','2','3','255');"},
        {"kiv:EdyUpdateLabel('l', true)", "update_label('l','Yes');"},
        {"kiv:EdyUpdateLabel('l', 1.5)", "update_label('l','1.5000');"},
        {"kiv:EdyUpdateLabel('l', \"a'\\n\")", "update_label('l','a\\'\\n');"},
        {"kiv:EdyUpdateLabel('l', VectorF(1, 2))", "update_label('l','1,2');"},
        {"kiv:EdyUpdateLabel('l', IntervalI(1, 2))", "update_label('l','1..2');"},
        {"kiv:EdyUpdateLabel('l', RectI(1, 2, 3, 4))", "update_label('l','1,2..3,4');"},
        {"kiv:EdyUpdateLabel('l', ColorRGBA(1, 2, 3, 4))", "update_label('l','1,2,3,4');"},
    };
    for (const Case& c : cases) {
        if (!c.javascript) continue;
        EXPECT_EQ(RunOnModePage(c.snippet), c.javascript) << c.snippet;
    }
    EXPECT_EQ(RunOnModePage("kiv:EdyUpdateListBox('l', \"['a']\", 0)"), "update_listbox('l',['a'],0);");
    EXPECT_EQ(mHost->GetResults().GetCount(), 0);
    // Outside the page pass there is no window to update: nothing is queued anywhere.
    ASSERT_TRUE(mHost->RunScriptText("kiv:EdyUpdateCheckbox('c1', true)", true));
    for (int32_t i = 0; i < mGame->mEditWindows.GetWindowCount(); ++i)
        EXPECT_EQ(mGame->mEditWindows.GetWindow(i)->TakePendingJavascript(), "");
}

TEST_F(PageMethodsTest, FixedWindowsGetTheirListingsAndTheColourTable)
{
    Write("Ground\\h.png", TestPicture::Filled(8, 8, 1, 2, 3));
    mTextures->Rescan();
    RunOnModePage("kiv:EdyUpdateTextureLib()");
    const std::string listing = Sent(EditWindow::kTextureLibrary);
    EXPECT_EQ(listing.rfind("texlib_cleanup();", 0), 0u);
    EXPECT_NE(listing.find("texlib_add_file('Ground\\\\g.png','Ground%5Cg%2Epng','0');"), std::string::npos)
        << listing;
    EXPECT_EQ(listing.substr(listing.size() - 23), "texlib_update_finish();");

    RunOnModePage("kiv:SaveColorPickerTableColor(0, 0, 255, 0, 0, 255) kiv:GetColorPickerTableColors()");
    const std::string table = Sent(EditWindow::kColourPicker);
    EXPECT_EQ(table.rfind("inject_color_table(['255','0','0','255','0',", 0), 0u);
    EXPECT_EQ(Bytes(mGame->GetDataPath(ColorPickerTable::kFileName)).size(), 577u);

    mHost->AddLuaResult("oops", "x()", "test");
    RunOnModePage("kiv:EdyUpdateLuaResWindow(-1)");
    const std::string errors = Sent(EditWindow::kLuaErrors);
    EXPECT_EQ(errors.rfind("lua_res_window_revision = 1;update_textbox('lres_box0_1','ERROR%3A%20oops", 0), 0u);
    EXPECT_NE(errors.find("update_textbox('lres_box99_2','');"), std::string::npos);
    RunOnModePage("kiv:EdyUpdateLuaResWindow(1)");
    EXPECT_EQ(Sent(EditWindow::kLuaErrors), "");

    // As a colour control's click sends it: the snippets percent-encoded.
    RunOnModePage("kiv:ColorPickStart('c', ColorRGB(1, 2, 3), 'scene%3ASetSky%28%24r%29', 'u0', '', 'Sky%20colour')");
    EditWindow* picker = PageBridge::FirstOfKind(mGame->mEditWindows, EditWindow::kColourPicker);
    EXPECT_TRUE(picker->IsVisible());
    EXPECT_EQ(picker->GetTitle(), "COLOR PICKER - Sky colour");
    EXPECT_NE(Sent(EditWindow::kColourPicker).find("pick_color_start_rgb('c','1','2','3','scene%3ASetSky%28%24r%29','u0','');"),
              std::string::npos);
    RunOnModePage("kiv:ColorPickStart('c', ColorRGBA(1, 2, 3, 4), 'a', 'b', 'c', '')");
    EXPECT_NE(Sent(EditWindow::kColourPicker).find("pick_color_start_rgba('c','1','2','3','4','a','b','c');"),
              std::string::npos);
}

TEST_F(PageMethodsTest, TheRobotLibraryIsListedSelectedAndDeletedFrom)
{
    std::filesystem::create_directories(ToOsPath(mGame->GetDataPath("Robots")));
    for (const char* name : {"a.robot", "b.robot"}) mFolder.WriteFile(std::string("Robots\\") + name, "r");
    RunOnModePage("kiv:EdyReloadRobotLib()");
    EXPECT_EQ(Sent(EditWindow::kRobotLibrary),
              "robotlib_cleanup();robotlib_add_dir('','',0,2);robotlib_add_file('a.robot','a%2Erobot','0');"
              "robotlib_add_file('b.robot','b%2Erobot','1');robotlib_update_finish();");
    EXPECT_EQ(RunOnModePage("kiv:EdySelectRobotInLib('b%2Erobot')"), "robotlib_select_robot('b%2Erobot');");
    EXPECT_EQ(RunOnModePage("kiv:EdySelectRobotInLib('b%2erobot')"), "");
    RunOnModePage("kiv:EdyDeleteSelectedRobotDef()");
    EXPECT_EQ(mGame->mRobotLibrary.GetSelected(), "a.robot");
    EXPECT_EQ(RunOnModePage("return kiv:UnEscapeString('a%41b')"), "");
    EXPECT_EQ(mHost->GetResults().GetNewest(0)->mResult, "aAb");
}

TEST_F(PageMethodsTest, ARobotPickedInTheLibraryIsLoadedForEditingAndTheEditorEasesOntoIt)
{
    std::filesystem::create_directories(ToOsPath(mGame->GetDataPath("Robots")));
    mGame->mEditRobots.AddRobot("", VectorF()); // as the game's start-up does
    ASSERT_NE(mGame->GetEditRobot(), nullptr);
    RunOnModePage("local d = scene:GetEditRobotDef() d:SetName('walker') d:AddObject() scene:SaveRobot()");
    RunOnModePage("scene:ClearRobotForEditing()");
    ASSERT_NE(mGame->GetEditRobot()->GetName(), "walker");
    mGame->mRobotPanel.mCamera.mZoom = 1.0f;
    RunOnModePage("kiv:EdyLoadRobotDef('walker%2Erobot')");
    ASSERT_NE(mGame->GetEditRobot(), nullptr);
    EXPECT_EQ(mGame->GetEditRobot()->GetName(), "walker");
    EXPECT_EQ(mGame->GetEditRobot()->GetObjectsCount(), 1);
    EXPECT_FLOAT_EQ(mGame->mRobotPanel.mCamera.mZoom, 0.05f);
    EXPECT_FLOAT_EQ(mGame->mRobotPanel.mCamera.mTargetZoom, 0.25f);
}

// Every command that replaces the edit robot keeps unsaved changes: it is
// refused with a notice and the page is asked, and only the forced form that
// the page sends back discards them. A saved robot is replaced at once.
TEST_F(PageMethodsTest, ReplacingAChangedEditRobotAsksThePageAndOnlyTheForcedFormDiscards)
{
    std::filesystem::create_directories(ToOsPath(mGame->GetDataPath("Robots")));
    mGame->mEditRobots.AddRobot("", VectorF());
    // Saved twice, so that one earlier version stands in the backups.
    RunOnModePage("local d = scene:GetEditRobotDef() d:SetName('walker') d:AddObject() scene:SaveRobot() scene:SaveRobot()");
    const std::string question = "The robot being edited has unsaved changes. Discard them?";
    struct Case {
        const char* command;
        const char* forced;
    };
    const Case cases[] = {
        {"scene:ClearRobotForEditing()", "scene:ClearRobotForEditing(true)"},
        {"scene:LoadRobotForEditing('walker.robot')",
         "scene:LoadRobotForEditing(kiv:UnEscapeString('walker%2Erobot'), true)"},
        {"scene:LoadRobotDefCurrentVersion()", "scene:LoadRobotDefCurrentVersion(true)"},
        {"scene:LoadRobotDefPrevVersionSelected()", "scene:LoadRobotDefPrevVersionSelected(true)"},
        {"kiv:EdyLoadRobotDef('walker%2Erobot')", "kiv:EdyLoadRobotDef('walker%2Erobot', true)"},
        {"kiv:EdyLoadRobotDefCurrentVersion()", "kiv:EdyLoadRobotDefCurrentVersion(true)"},
        {"kiv:EdyLoadRobotDefPrevVersionSelected()", "kiv:EdyLoadRobotDefPrevVersionSelected(true)"},
    };
    // The edit robot's slot is used again by the next one: its parts tell them apart.
    auto objects = [&] { return mGame->GetEditRobot()->GetObjectsCount(); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        RunOnModePage("kiv:EdyLoadRobotDef('walker%2Erobot', true)");
        RunOnModePage("scene:GetEditRobotDef():AddObject()");
        ASSERT_EQ(objects(), 2);
        // Once saved, the robot goes without a question.
        mGame->GetEditRobot()->SetChanged(false);
        EXPECT_EQ(RunOnModePage(c.command), "");
        EXPECT_LE(objects(), 1);

        RunOnModePage("kiv:EdyLoadRobotDef('walker%2Erobot', true)");
        RunOnModePage("scene:GetEditRobotDef():AddObject()");
        ASSERT_TRUE(mGame->GetEditRobot()->GetChanged());
        const int32_t notices = Notices().GetReportedCount();
        EXPECT_EQ(RunOnModePage(c.command), PageCalls::ConfirmForced(question, c.forced));
        EXPECT_EQ(Notices().GetReportedCount(), notices + 1);
        EXPECT_EQ(objects(), 2) << "the changes are all kept";

        EXPECT_EQ(RunOnModePage(c.forced), "");
        EXPECT_LE(objects(), 1) << "the unsaved part is gone";
    }
    // Commands run outside a page are refused all the same, with nothing queued anywhere.
    mGame->GetEditRobot()->AddObject();
    EXPECT_FALSE(mGame->ClearRobotForEditing());
    EXPECT_TRUE(mGame->ClearRobotForEditing(true));
}

TEST_F(PageMethodsTest, ModeSwitchingAndTheBuilderPages)
{
    KIVGame& g = *mGame;
    RunOnModePage("kiv:EdyRequestEditWhat(4)");
    EXPECT_EQ(g.mEditMode, 4);
    EXPECT_EQ(g.mEdyBuilder.GetSelectedPageIndex(), 4);
    EXPECT_EQ(g.mEditWindows.GetFocusedIndex(), 4);
    RunOnModePage("kiv:EdyRequestEditWhat(11) kiv:EdyRequestEditWhat(-1)");
    EXPECT_EQ(g.mEditMode, 4);
    RunOnModePage("kiv:GoEditMaterialParticles(2)");
    EXPECT_EQ(g.mMaterialParticleEditNumber, 0);
    EXPECT_EQ(g.mEditMode, 4);
    g.mGameMode = true;
    RunOnModePage("kiv:ShowHideTextureLibrary()");
    EXPECT_FALSE(g.mGameMode);
    EXPECT_TRUE(PageBridge::FirstOfKind(g.mEditWindows, EditWindow::kTextureLibrary)->IsVisible());

    // The builder's page reaches its window; saved, changed and loaded back, it is as saved.
    RunOnModePage("local b = kiv:GetEdyBuilder() b:AddNewControl('br') b:SetControlParam(0, '\"x\"') kiv:SaveEdyBuilder()");
    EXPECT_EQ(RunOnModePage("kiv:EdyRequestEditWhat(0) kiv:RequireEdyWindowRefresh()"),
              "focus_window_event();reload_edy_page([]);");
    EXPECT_EQ(RunOnModePage("kiv:RequireEdyWindowRefresh()"), "reload_edy_page([]);");
    RunOnModePage("kiv:GetEdyBuilder():DeleteSelectedControl() kiv:LoadEdyBuilder()");
    EXPECT_EQ(g.mEdyBuilder.GetPage(4)->mControls.size(), 1u);
    PageMethods::ReloadEdyPages(g);
    EXPECT_EQ(g.mEditWindows.GetWindow(4)->TakePendingJavascript(),
              "reload_edy_page(['add%5Fnew%5Fline%28%22x%22%2C%22%22%29%3B']);");
}

// A switch made on a page changes the edit mode; the frame after it shows the
// new mode's page in place of the old one, and only while the editor is open.
TEST_F(PageMethodsTest, TheFrameAfterAModeSwitchShowsTheNewModesPage)
{
    struct Case {
        const char* mName;
        bool mGameMode;
        int32_t mFromPage;
        bool mRobotEditorOpen;
        const char* mSnippet;
        int32_t mShownPage;
        bool mRobotEditorAfter;
    };
    const Case cases[] = {
        {"a page's mode button", false, 0, false, "kiv:EdyRequestEditWhat(1)", 1, false},
        {"on to the robot's joints", false, 2, true, "kiv:GoEditRobotJoint()", 4, true},
        {"away from the robot", false, 2, true, "kiv:EdyRequestEditWhat(6)", 6, false},
        {"in game mode nothing follows", true, 0, false, "kiv:EdyRequestEditWhat(1)", 0, false},
    };
    KIVGame& g = *mGame;
    EditWindowManager& windows = g.mEditWindows;
    EditWindow* robotEditor = windows.GetWindow(EditWindowManager::kRobotEditorIndex);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mName);
        for (int32_t i = 0; i < windows.GetWindowCount(); ++i)
            if (windows.GetWindow(i)->IsVisible()) windows.GetWindow(i)->Hide(false);
        g.mGameMode = false;
        g.mEditMode = c.mFromPage;
        mMode = windows.GetWindow(c.mFromPage);
        mMode->Show();
        if (c.mRobotEditorOpen) robotEditor->Show();
        RunOnModePage(c.mSnippet);
        g.mGameMode = c.mGameMode;
        g.FollowEditModePage();
        for (int32_t i = 0; i < EditWindowManager::kModePageCount; ++i)
            EXPECT_EQ(windows.GetWindow(i)->IsVisible(), i == c.mShownPage) << "mode page " << i;
        EXPECT_EQ(robotEditor->IsVisible(), c.mRobotEditorAfter);
    }
}

TEST_F(PageMethodsTest, AWindowsLayoutComesBackAsSaved)
{
    KIVGame& g = *mGame;
    EditWindow* console = PageBridge::FirstOfKind(g.mEditWindows, EditWindow::kLuaConsole);
    const VectorI at = console->GetPosition();
    EXPECT_TRUE(PageMethods::SaveWindowsLayout(g, 3));
    console->Move({25, 35});
    EXPECT_TRUE(PageMethods::LoadWindowsLayout(g, 3));
    EXPECT_EQ(console->GetPosition(), at);
    EXPECT_FALSE(PageMethods::LoadWindowsLayout(g, 4));
}

// Loading keeps the editor where the player is: the shown mode page stays
// the page of the mode being edited, whatever is loaded from where.
TEST_F(PageMethodsTest, LoadsLeaveTheShownModePageInPlace)
{
    KIVGame& g = *mGame;
    std::filesystem::create_directories(ToOsPath(g.GetDataPath("Robots")));
    std::filesystem::create_directories(ToOsPath(g.GetDataPath("Scenes")));
    g.mEditRobots.AddRobot("", VectorF());
    RunOnModePage("local d = scene:GetEditRobotDef() d:SetName('walker') d:AddObject() scene:SaveRobot()");
    g.mInput.EnsureKeyboard(0);
    g.mInput.EnsureMouse(0);
    auto keys = [&](InputEvent::Type type, std::initializer_list<int32_t> codes) {
        for (int32_t code : codes) {
            InputEvent e;
            e.mType = type;
            e.mCode = code;
            g.mInput.HandleEvent(e);
        }
        g.HandleKeyCommands();
        g.mInput.EndFrame();
    };
    struct Case {
        const char* mName;
        int32_t mMode;
        const char* mSnippet; // empty: the scene saved and loaded again with Ctrl+S
    };
    const Case cases[] = {
        {"a robot from the library", 1, "kiv:EdyLoadRobotDef('walker%2Erobot')"},
        {"the robot's saved version", 3, "kiv:EdyLoadRobotDefCurrentVersion()"},
        {"a new robot", 6, "scene:ClearRobotForEditing()"},
        {"the scene", 8, ""},
        {"a level start", 9, "kiv:Reset()"},
    };
    EditWindowManager& windows = g.mEditWindows;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mName);
        g.mGameMode = false;
        g.mEditMode = c.mMode;
        windows.ShowEditModePage(c.mMode, false, false, false);
        mMode = windows.GetWindow(c.mMode);
        if (*c.mSnippet) {
            RunOnModePage(c.mSnippet);
        } else {
            keys(InputEvent::kKeyDown, {Key::kLCtrl, Key::Letter('s')});
            keys(InputEvent::kKeyUp, {Key::Letter('s'), Key::kLCtrl});
        }
        g.CarryOutRequestedRun();
        g.HandleEditWindowFrame();
        EXPECT_EQ(g.mEditMode, c.mMode);
        for (int32_t i = 0; i < EditWindowManager::kModePageCount; ++i)
            EXPECT_EQ(windows.GetWindow(i)->IsVisible(), i == c.mMode) << "mode page " << i;
    }
}
