// The game's keyboard commands as a player types them: keys go down in one
// frame and up in the next, and the commands look at each frame.
#include <gtest/gtest.h>
#include <initializer_list>
#include <iterator>
#include <vector>
#include "editor/PageBridge.h"
#include "game/GameKeys.h"
#include "game/PageMethods.h"
#include "support/GameFixture.h"

using namespace KIV;

namespace {

class GameKeysFixture : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        mGame->mInput.AddKeyboard();
        mGame->mInput.AddMouse();
        mGame->CreateEditWindows();
    }
    void Frame(InputEvent::Type type, const std::vector<int32_t>& keys)
    {
        for (int32_t key : keys) {
            InputEvent e;
            e.mType = type;
            e.mCode = key;
            mGame->mInput.HandleEvent(e);
        }
        mGame->HandleKeyCommands();
        mGame->mInput.EndFrame();
    }
    // Down in one frame, in this order, and up in the next, the last first.
    void Type(std::initializer_list<int32_t> keys)
    {
        Frame(InputEvent::kKeyDown, keys);
        Frame(InputEvent::kKeyUp, std::vector<int32_t>(std::rbegin(keys), std::rend(keys)));
    }
};

} // namespace

// The replay keys and the capture key hide every edit window: what they
// start is watched, not edited.
TEST_F(GameKeysFixture, ReplayAndCaptureKeysHideTheWindows)
{
    struct Case {
        const char* what;
        std::initializer_list<int32_t> keys;
        bool replaying;
        bool capturing;
    };
    const Case cases[] = {
        {"F10", {Key::F(10)}, true, false},
        {"Ctrl+F10", {Key::kLCtrl, Key::F(10)}, true, false},
        {"Ctrl+Shift+F10", {Key::kRCtrl, Key::kRShift, Key::F(10)}, true, false},
        {"Ctrl+Shift+F9", {Key::kLCtrl, Key::kLShift, Key::F(9)}, true, false},
        {"Ctrl+Shift+R", {Key::kLCtrl, Key::kLShift, Key::Letter('r')}, false, true},
        {"F9, which starts a recording", {Key::F(9)}, false, false},
    };
    for (const Case& c : cases) {
        mGame->ResetLevel(false);
        mGame->mFrameCapture = 0;
        mGame->EnterEditMode();
        ASSERT_FALSE(mGame->mEditWindows.IsAllHidden()) << c.what;
        Type(c.keys);
        EXPECT_EQ(mGame->mReplaying, c.replaying) << c.what;
        EXPECT_EQ(mGame->mFrameCapture != 0, c.capturing) << c.what;
        EXPECT_EQ(mGame->mEditWindows.IsAllHidden(), c.replaying || c.capturing) << c.what;
    }
}

// "`" held with 1 to 5 loads that windows layout.
TEST_F(GameKeysFixture, BackquoteWithADigitLoadsThatWindowsLayout)
{
    EditWindow* help = mGame->mEditWindows.GetWindow(15);
    ASSERT_NE(help, nullptr);
    const VectorI start = help->GetPosition();
    for (int32_t n = 1; n <= 5; ++n) {
        help->Move({10 * n, 5 * n});
        ASSERT_TRUE(PageMethods::SaveWindowsLayout(*mGame, n));
        help->Move({-10 * n, -5 * n});
    }
    for (int32_t n : {3, 1, 5}) {
        Type({Key::kBackquote, Key::Letter(char('0' + n))});
        EXPECT_EQ(help->GetPosition(), start + VectorI(10 * n, 5 * n)) << n;
    }
    const VectorI placed = help->GetPosition();
    for (std::initializer_list<int32_t> keys : {std::initializer_list<int32_t>{Key::Letter('2')},
                                                std::initializer_list<int32_t>{Key::kBackquote, Key::Letter('6')},
                                                std::initializer_list<int32_t>{Key::kLCtrl, Key::kBackquote, Key::Letter('2')}})
        Type(keys);
    EXPECT_EQ(help->GetPosition(), placed) << "a digit alone, 6, or a third key loads nothing";
}

// Left Ctrl+Backspace switches the toys' texture points, which no script can
// reach, in edit mode only and with the left Ctrl only.
TEST_F(GameKeysFixture, LeftCtrlBackspaceSwitchesTheTexturePointsInEditMode)
{
    struct Case {
        const char* what;
        bool gameMode;
        std::initializer_list<int32_t> keys;
        uint8_t after;
    };
    const Case cases[] = {
        {"edit mode", false, {Key::kLCtrl, Key::kBackspace}, 1},
        {"again", false, {Key::kLCtrl, Key::kBackspace}, 0},
        {"the right Ctrl", false, {Key::kRCtrl, Key::kBackspace}, 0},
        {"Backspace alone", false, {Key::kBackspace}, 0},
        {"game mode", true, {Key::kLCtrl, Key::kBackspace}, 0},
    };
    for (const Case& c : cases) {
        mGame->mGameMode = c.gameMode;
        Type(c.keys);
        EXPECT_EQ(mGame->mDrawOptions.mToyTexturePoints, c.after) << c.what;
    }
}

// The debug drawings' letters are the scene's only beside the windows: typed
// into a page (a Lua line holds t, x, c and commas), they switch nothing.
TEST_F(GameKeysFixture, DrawingLettersTypedIntoAPageSwitchNothing)
{
    EditWindow* console = PageBridge::FirstOfKind(mGame->mEditWindows, EditWindow::kLuaConsole);
    ASSERT_NE(console, nullptr);
    mGame->mGameMode = false;
    struct Case {
        const char* what;
        bool pageHasKeys;
        int32_t key;
        uint8_t DrawOptions::*option;
        uint8_t after;
    };
    const Case cases[] = {
        {"t into the console", true, 't', &DrawOptions::mGrid, 0},
        {"l into the console", true, 'l', &DrawOptions::mAllTerrainObjsTriangles, 0},
        {"x into the console", true, 'x', &DrawOptions::mToyPoints, 0},
        {"t beside the windows", false, 't', &DrawOptions::mGrid, 1},
        {"l beside the windows", false, 'l', &DrawOptions::mAllTerrainObjsTriangles, 1},
    };
    for (const Case& c : cases) {
        mGame->mDrawOptions.*c.option = 0;
        if (c.pageHasKeys) {
            console->Show();
            mGame->mEditWindows.FocusWindow(console);
        } else {
            mGame->mEditWindows.FocusWindowUnderMouse({-100, -100});
        }
        Type({c.key});
        EXPECT_EQ(mGame->mDrawOptions.*c.option, c.after) << c.what;
    }
}
