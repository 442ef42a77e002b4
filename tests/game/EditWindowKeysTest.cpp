#include <gtest/gtest.h>

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
