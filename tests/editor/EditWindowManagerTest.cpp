#include <gtest/gtest.h>

#include "FakeWebPage.h"
#include "base/Notices.h"
#include "editor/EditWindowManager.h"

#include <numeric>

using namespace KIV;

namespace {

const VectorI kScreen{1024, 576};

// The nineteen windows without views: page windows are then never ready but
// keep their places, flags and events, which is all the frame logic needs.
struct ManagerFixture : ::testing::Test {
    EditWindowManager mManager;
    FakeOwnWindows mOwn;
    void SetUp() override {
        mManager.SetOwnWindowFactory(mOwn.Factory());
        mManager.CreateAllWindows(kScreen, "Editor/");
    }
    EditWindow& W(int32_t i) { return *mManager.GetWindow(i); }
    FrameOutcome Frame(VectorI previous, VectorI position, bool down, bool held, bool up) {
        FrameMouse m;
        m.mPrevious = previous;
        m.mPosition = position;
        m.mLeftDown = down;
        m.mLeftUp = up;
        m.mAnyButtonActive = down || held || up;
        return mManager.HandleFrame(m, kScreen, 16);
    }
    // A click, then frames enough for any window animation to end.
    void ClickAndSettle(VectorI at) {
        Frame(at, at, true, true, false);
        Frame(at, at, false, false, true);
        for (int i = 0; i < 12; ++i)
            Frame(at, at, false, false, false);
    }
    // Presses at from, moves to to, releases there.
    void Drag(VectorI from, VectorI to) {
        Frame(from, from, true, true, false);
        Frame(from, to, false, true, false);
        Frame(to, to, false, false, true);
    }
};

} // namespace

TEST_F(ManagerFixture, CreatesTheNineteenWindowsHiddenInTableOrder)
{
    struct Row { int32_t mIndex; const char* mTitle; int32_t mKind; VectorI mPos; VectorI mSize; bool mButtons; };
    const Row rows[] = {
        {0, "EDITOR (F2)", 0, {763, 5}, {256, 556}, true},
        {10, "EDITOR (F2)", 0, {763, 5}, {256, 556}, true},
        {11, "TEXTURE LIBRARY (F4)", 3, {100, 100}, {700, 512}, true},
        {12, "COLOR PICKER", 2, {200, 200}, {422, 165}, false},
        {13, "LUA CONSOLE", 1, {150, 150}, {700, 512}, true},
        {14, "EDITOR BUILDER (F6)", 4, {50, 50}, {700, 512}, true},
        {15, "HELP (F1)", 5, {0, 0}, {512, 512}, true},
        {16, "ROBOT EDITOR (F7)", 7, {250, 0}, {450, 256}, true},
        {17, "ROBOT LIBRARY (F8)", 6, {50, 50}, {600, 256}, true},
        {18, "LUA ERRORS (F5)", 8, {0, 1000}, {1300, 256}, true},
    };
    ASSERT_EQ(mManager.GetWindowCount(), 19);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.mTitle);
        EditWindow& w = W(r.mIndex);
        EXPECT_EQ(w.GetTitle(), r.mTitle);
        EXPECT_EQ(w.GetKind(), r.mKind);
        EXPECT_EQ(w.GetPosition(), r.mPos);
        EXPECT_EQ(w.GetSize(), r.mSize);
        EXPECT_EQ(w.HasButtons(), r.mButtons);
        EXPECT_FALSE(w.IsVisible());
    }
    EXPECT_TRUE(W(16).IsNative());
    EXPECT_TRUE(W(16).IsReady());
    EXPECT_EQ(mManager.GetRobotEditorWindow(), &W(16));
    std::vector<int32_t> order(19);
    std::iota(order.begin(), order.end(), 0);
    EXPECT_EQ(mManager.GetZOrder(), order);
    EXPECT_EQ(mManager.GetFocusedWindow(), nullptr);
}

TEST(EditWindowManager, ARowTheListCannotTakeLeavesNoZOrderEntry)
{
    EditWindowManager manager(2);
    manager.CreateAllWindows(kScreen, "Editor/");
    EXPECT_EQ(manager.GetWindowCount(), 2);
    EXPECT_EQ(manager.GetZOrder(), (std::vector<int32_t>{0, 1}));
    // With the z-order whole, reordering still works.
    manager.BringToFront(0);
    EXPECT_EQ(manager.GetZOrder(), (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(manager.AddWindow(true, 3, "X", "", {300, 200}, {0, 0}), -1);
}

TEST_F(ManagerFixture, FocusFollowsTheTopmostWindowUnderTheMouse)
{
    // Texture library (100,100 700x512) and Lua console (150,150) overlap.
    mManager.ShowHideTextureLibrary();
    mManager.ShowHideLuaConsole();
    EXPECT_EQ(mManager.GetFocusedIndex(), 13);
    W(11).TakePendingJavascript();
    W(13).TakePendingJavascript();

    // The focused window keeps the focus while it accepts the point.
    EXPECT_EQ(mManager.FocusWindowUnderMouse({400, 400}), 13);
    EXPECT_EQ(mManager.FocusWindowUnderMouse({120, 120}), 11);
    EXPECT_EQ(mManager.GetZOrder().back(), 11);
    EXPECT_EQ(W(13).TakePendingJavascript(), "blur_window_event();");
    EXPECT_EQ(W(11).TakePendingJavascript(), "focus_window_event();");
    // Now the library is on top, so it keeps the overlap.
    EXPECT_EQ(mManager.FocusWindowUnderMouse({400, 400}), 11);
    EXPECT_EQ(mManager.FocusWindowUnderMouse({1000, 10}), -1);
    EXPECT_EQ(W(11).TakePendingJavascript(), "blur_window_event();");
    // A held button keeps the focus even when the mouse leaves the window.
    mManager.FocusWindow(13);
    Frame({400, 400}, {1000, 10}, false, true, false);
    EXPECT_EQ(mManager.GetFocusedIndex(), 13);
    EXPECT_FALSE(mManager.FocusWindow(19));
}

TEST_F(ManagerFixture, AToggleDuringAllHiddenBringsBackEveryMarkedWindow)
{
    mManager.ShowEditModePage(3, false, false, false);
    mManager.ShowHideLuaConsole();
    mManager.HideAllWindows();
    EXPECT_TRUE(mManager.IsAllHidden());
    EXPECT_FALSE(W(3).IsVisible());
    EXPECT_FALSE(W(13).IsVisible());

    mManager.ShowHideTextureLibrary();
    EXPECT_FALSE(mManager.IsAllHidden());
    EXPECT_TRUE(W(3).IsVisible());
    EXPECT_TRUE(W(13).IsVisible());
    EXPECT_TRUE(W(11).IsVisible());

    // Toggling every visible one off again enters the all-hidden state.
    mManager.ShowHideTextureLibrary();
    mManager.ShowHideLuaConsole();
    EXPECT_FALSE(mManager.IsAllHidden());
    mManager.ShowEditModePage(20, false, false, false);
    mManager.ShowHideLuaConsole();
    mManager.ShowHideLuaConsole();
    EXPECT_TRUE(mManager.IsAllHidden());
}

TEST_F(ManagerFixture, ModePageSwitchingCarriesTheRobotEditor)
{
    mManager.ShowEditModePage(2, false, false, false);
    EXPECT_TRUE(W(2).IsVisible());
    EXPECT_TRUE(W(16).IsVisible());
    mManager.ShowEditModePage(3, true, false, false);
    EXPECT_FALSE(W(2).IsVisible());
    EXPECT_TRUE(W(3).IsVisible());
    EXPECT_TRUE(W(3).IsMarkedShowAgain());
    EXPECT_FALSE(W(2).IsMarkedShowAgain());
    EXPECT_TRUE(W(16).IsVisible());
    mManager.ShowEditModePage(3, false, false, false);
    EXPECT_FALSE(W(16).IsVisible());
    mManager.ShowEditModePage(4, false, true, false);
    EXPECT_TRUE(W(16).IsVisible());
    mManager.ShowEditModePage(0, false, false, false);
    EXPECT_FALSE(W(16).IsVisible());
}

TEST_F(ManagerFixture, DraggingAModePageMovesAllEleven)
{
    mManager.ShowEditModePage(1, false, false, false);
    // Title bar drag part of the page at (763, 5) 256 wide.
    Drag({800, -5}, {700, 95});
    for (int32_t i = 0; i < 11; ++i)
        EXPECT_EQ(W(i).GetPosition(), VectorI(663, 105)) << i;
    EXPECT_FALSE(mManager.IsDragging());
    EXPECT_EQ(W(11).GetPosition(), VectorI(100, 100));
}

TEST_F(ManagerFixture, ResizingFromTheLeftStopsAtTheMinimumWithoutShiftingTheRightEdge)
{
    mManager.ShowHideTextureLibrary();
    // Left edge of the library (x 100, 700 wide): drag 1000 to the right.
    Drag({97, 300}, {1097, 300});
    EXPECT_EQ(W(11).GetSize(), VectorI(256, 512));
    EXPECT_EQ(W(11).GetPosition().mX + W(11).GetSize().mX, 800);
    EXPECT_EQ(mManager.GetResizeZone(), ResizeZone::None);
    // Bottom-right corner grows without moving the top-left corner.
    Drag({800 + 2, 612 - 5}, {800 + 42, 612 + 15});
    EXPECT_EQ(W(11).GetPosition(), VectorI(544, 100));
    EXPECT_EQ(W(11).GetSize(), VectorI(296, 532));
}

TEST_F(ManagerFixture, MaximiseFillsTheScreenAndRestoreGoesBack)
{
    mManager.ShowHideTextureLibrary();
    // Maximise button: title bar, x between x2 - 32 and x2 - 16.
    ClickAndSettle({775, 90});
    EXPECT_TRUE(W(11).IsMaximised());
    EXPECT_EQ(W(11).GetPosition(), VectorI(2, 16));
    EXPECT_EQ(W(11).GetSize(), VectorI(1020, 558));
    // Same button, now at the right end of the full-width title bar.
    ClickAndSettle({1000, 10});
    EXPECT_FALSE(W(11).IsMaximised());
    EXPECT_EQ(W(11).GetPosition(), VectorI(100, 100));
    EXPECT_EQ(W(11).GetSize(), VectorI(700, 512));
}

TEST_F(ManagerFixture, CloseButtonHidesOrReturnsToGameMode)
{
    mManager.ShowHideTextureLibrary();
    FrameOutcome out = Frame({790, 90}, {790, 90}, true, true, false);
    EXPECT_FALSE(out.mReturnToGameMode);
    EXPECT_FALSE(W(11).IsVisible());
    EXPECT_EQ(mManager.GetFocusedIndex(), -1);

    mManager.ShowEditModePage(0, false, false, false);
    out = Frame({1015, -5}, {1015, -5}, true, true, false);
    EXPECT_TRUE(out.mReturnToGameMode);
    EXPECT_TRUE(mManager.IsAllHidden());
    EXPECT_FALSE(W(0).IsVisible());
}

TEST_F(ManagerFixture, MouseInsideThePageIsForwarded)
{
    mManager.ShowHideTextureLibrary();
    EXPECT_TRUE(Frame({300, 300}, {300, 300}, false, false, false).mForwardInput);
    EXPECT_FALSE(Frame({300, 90}, {300, 90}, false, false, false).mForwardInput);
}

TEST_F(ManagerFixture, KeepWindowsOnScreenShrinksAndPushesBack)
{
    // The Lua errors window (0, 1000) 1300 x 256 lies off a 1024 x 576 screen.
    mManager.KeepWindowsOnScreen(kScreen);
    EXPECT_EQ(W(18).GetSize(), VectorI(1020, 256));
    EXPECT_EQ(W(18).GetPosition(), VectorI(2, 318));
    // The help window's title bar comes onto the screen.
    EXPECT_EQ(W(15).GetPosition(), VectorI(2, 16));
    // Mode pages follow the first one.
    for (int32_t i = 0; i < 11; ++i)
        EXPECT_EQ(W(i).GetPosition(), VectorI(763, 16)) << i;
    // The colour picker is pushed but never shrunk.
    W(12).Move({1000, 0});
    mManager.KeepWindowsOnScreen({300, 576});
    EXPECT_EQ(W(12).GetSize(), VectorI(422, 165));
    EXPECT_EQ(W(12).GetPosition().mX, 300 - 422 - 2);
}

TEST_F(ManagerFixture, OwnWindowsMoveAsAGroupOrAlone)
{
    mManager.ToggleOwnWindow(5);
    for (int32_t i = 0; i < 11; ++i)
        EXPECT_TRUE(W(i).IsInOwnWindow()) << i;
    EXPECT_FALSE(W(12).IsInOwnWindow());
    mManager.ToggleOwnWindow(12);
    EXPECT_TRUE(W(12).IsInOwnWindow());
    EXPECT_FALSE(W(11).IsInOwnWindow());
    mManager.ToggleOwnWindow(0);
    for (int32_t i = 0; i < 11; ++i)
        EXPECT_FALSE(W(i).IsInOwnWindow()) << i;
    EXPECT_EQ(mOwn.mMade, 12);

    // The desktop window reports its close and function keys to the game.
    auto* picker = static_cast<FakeWebPage*>(W(12).GetOwnWindow());
    picker->mFunctionKey = 3;
    int32_t index = -2;
    EXPECT_EQ(mManager.TakeFunctionKey(index), 3);
    EXPECT_EQ(index, 12);
    EXPECT_EQ(mManager.TakeFunctionKey(index), -1);
    EXPECT_EQ(index, -1);
    W(12).Show();
    picker->mCloseRequest = true;
    EXPECT_EQ(mManager.HandleCloseRequests(), 12);
    EXPECT_FALSE(W(12).IsVisible());
    picker->mMinimised = true;
    EXPECT_EQ(mManager.HandleMinimiseRequests(), 12);
    EXPECT_FALSE(W(12).IsInOwnWindow());
}

TEST_F(ManagerFixture, AFailedOwnWindowKeepsTheWholeGroupInTheGame)
{
    mOwn.mFail = true;
    Notices().SetEchoToStderr(false);
    Notices().Clear();
    mManager.ShowEditModePage(0, false, false, false);
    mManager.ToggleOwnWindow(0);
    for (int32_t i = 0; i < 11; ++i)
        EXPECT_FALSE(W(i).IsInOwnWindow()) << i;
    EXPECT_GE(Notices().GetReportedCount(), 1);
    Notices().SetEchoToStderr(true);
    EXPECT_EQ(mManager.FocusWindowUnderMouse({800, 200}), 0);
}

TEST_F(ManagerFixture, HelpIsCentredAndTogglesAllHidden)
{
    mManager.HideAllWindows();
    mManager.ShowHideHelp(kScreen);
    EXPECT_TRUE(mManager.IsHelpShown());
    EXPECT_FALSE(mManager.IsAllHidden());
    EXPECT_EQ(W(15).GetPosition(), VectorI(256, 32));
    EXPECT_EQ(mManager.GetFocusedIndex(), 15);
    mManager.ShowHideHelp(kScreen);
    EXPECT_FALSE(W(15).IsVisible());
    mManager.ShowHideLuaErrors();
    EXPECT_TRUE(W(18).IsVisible());
    mManager.ShowHideLuaErrors();
    EXPECT_TRUE(mManager.IsAllHidden());
}
