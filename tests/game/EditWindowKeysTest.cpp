#include <gtest/gtest.h>

#include "editor/FakeWebPage.h"
#include "game/KIVGame.h"
#include "support/GameFixture.h"

using namespace KIV;

// Function keys as the game reads them (0 = F1): each opens or closes its
// window, and F2 carries the whole editor in and out of game mode.
TEST_F(GameFixture, FunctionKeysOpenAndCloseTheirEditWindows)
{
    KIVGame& g = *mGame;
    g.CreateEditWindows();
    ASSERT_EQ(g.mEditWindows.GetWindowCount(), EditWindowManager::kWindowCount);
    struct Case { int32_t mKey; int32_t mWindow; bool mEditMode; };
    const Case cases[] = {{0, 15, false}, {3, 11, true}, {4, 18, false}, {5, 14, true}, {6, 16, false}, {7, 17, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mKey);
        g.mGameMode = true;
        g.HandleEditWindowKey(c.mKey);
        EXPECT_TRUE(g.mEditWindows.GetWindow(c.mWindow)->IsVisible());
        EXPECT_EQ(g.mGameMode, !c.mEditMode);
        g.HandleEditWindowKey(c.mKey);
        EXPECT_FALSE(g.mEditWindows.GetWindow(c.mWindow)->IsVisible());
    }

    g.mGameMode = true;
    g.mEditMode = 4;
    g.HandleEditWindowKey(1);
    EXPECT_FALSE(g.mGameMode);
    EXPECT_TRUE(g.mEditWindows.GetWindow(4)->IsVisible());
    g.HandleEditWindowKey(3);
    g.HandleEditWindowKey(1);
    EXPECT_TRUE(g.mGameMode);
    EXPECT_TRUE(g.mEditWindows.IsAllHidden());
    // Back into edit mode, the page and the library return together.
    g.HandleEditWindowKey(1);
    EXPECT_TRUE(g.mEditWindows.GetWindow(4)->IsVisible());
    EXPECT_TRUE(g.mEditWindows.GetWindow(11)->IsVisible());
}

// F3 enters edit mode from play (never on the scenario page), and in edit mode
// hides every window or brings the hidden ones back; F12 brings every page in
// a desktop window of its own back into the game.
TEST_F(GameFixture, F3HidesAndShowsTheEditorAndF12CallsTheDesktopWindowsBack)
{
    KIVGame& g = *mGame;
    g.CreateEditWindows();
    FakeOwnWindows own;
    g.mEditWindows.SetOwnWindowFactory(own.Factory());
    g.mGameMode = true;
    g.mEditMode = 9;
    g.HandleEditWindowKey(2);
    EXPECT_FALSE(g.mGameMode);
    EXPECT_EQ(g.mEditMode, 0);
    EXPECT_TRUE(g.mEditWindows.GetWindow(0)->IsVisible());
    g.HandleEditWindowKey(3);
    g.HandleEditWindowKey(2);
    EXPECT_TRUE(g.mEditWindows.IsAllHidden());
    EXPECT_FALSE(g.mGameMode) << "F3 keeps edit mode";
    EXPECT_FALSE(g.mEditWindows.GetWindow(11)->IsVisible());
    g.HandleEditWindowKey(2);
    EXPECT_TRUE(g.mEditWindows.GetWindow(0)->IsVisible());
    EXPECT_TRUE(g.mEditWindows.GetWindow(11)->IsVisible());

    g.mEditWindows.ToggleOwnWindow(0);
    g.mEditWindows.ToggleOwnWindow(11);
    ASSERT_TRUE(g.mEditWindows.GetWindow(11)->IsInOwnWindow());
    g.HandleEditWindowKey(11);
    for (int32_t i = 0; i < g.mEditWindows.GetWindowCount(); ++i)
        EXPECT_FALSE(g.mEditWindows.GetWindow(i)->IsInOwnWindow()) << i;
    EXPECT_TRUE(g.mEditWindows.GetWindow(11)->IsVisible());
}
