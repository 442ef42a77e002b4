#include <gtest/gtest.h>

#include "FakeWebPage.h"
#include "base/Notices.h"
#include "editor/EditWindow.h"
#include "editor/webview/BitmapSurface.h"

using namespace KIV;

namespace {

// A page window of 300 x 200 at (100, 100), with buttons, no view.
struct EditWindowFixture : ::testing::Test {
    EditWindow mWindow;
    void SetUp() override {
        ASSERT_TRUE(mWindow.Setup(nullptr, true, true, EditWindow::kTextureLibrary, "T", {300, 200}, {100.9f, 100.2f}));
    }
};

} // namespace

TEST_F(EditWindowFixture, ResizeClampsAndKeepsTheOppositeCornerInPlace)
{
    struct Case {
        const char* mName;
        int32_t mWidthChange, mHeightChange, mXShift, mYShift;
        int32_t mX, mY, mWidth, mHeight;
    };
    const Case cases[] = {
        // Dragging the left edge far right: the right edge stays at 400.
        {"left edge clamped", -1000, 0, 1000, 0, 144, 100, 256, 200},
        {"top edge clamped", 0, -1000, 0, 1000, 100, 172, 300, 128},
        {"top-left corner clamped both ways", -1000, -1000, 1000, 1000, 144, 172, 256, 128},
        {"left edge unclamped", -20, 0, 20, 0, 120, 100, 280, 200},
        {"left edge grown", 30, 0, -30, 0, 70, 100, 330, 200},
        {"bottom-right clamped large", 9000, 9000, 0, 0, 100, 100, 4096, 4096},
        {"no change", 0, 0, 50, 50, 100, 100, 300, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mName);
        EditWindow w;
        ASSERT_TRUE(w.Setup(nullptr, true, true, 3, "T", {300, 200}, {100, 100}));
        w.Resize(c.mWidthChange, c.mHeightChange, c.mXShift, c.mYShift, false);
        EXPECT_EQ(w.GetPosition(), VectorI(c.mX, c.mY));
        EXPECT_EQ(w.GetSize(), VectorI(c.mWidth, c.mHeight));
    }
    // Already at the smallest size: a further shrink neither resizes nor moves.
    EditWindow w;
    ASSERT_TRUE(w.Setup(nullptr, true, true, 3, "T", {256, 128}, {100, 100}));
    w.Resize(-10, -10, 10, 10, false);
    EXPECT_EQ(w.GetPosition(), VectorI(100, 100));
}

TEST(EditWindow, SetupRefusesAnEmptySizeAndAPageWithoutView)
{
    EditWindow empty;
    EXPECT_FALSE(empty.Setup(nullptr, true, true, 0, "E", {0, 100}, {0, 0}));
    EXPECT_FALSE(empty.IsReady());
    EditWindow noView;
    EXPECT_FALSE(noView.Setup(nullptr, false, true, 0, "E", {300, 200}, {0, 0}));
    noView.LoadPage("page.html");
    EXPECT_FALSE(noView.ExecuteJavascript("x();"));
    EXPECT_TRUE(noView.GetPagePath().empty());
}

TEST(EditWindow, ShowAndHideQueuePageEventsExceptForTheNativeWindow)
{
    EditWindow page;
    page.Setup(nullptr, false, true, 0, "P", {300, 200}, {0, 0});
    page.Show();
    EXPECT_TRUE(page.IsVisible());
    EXPECT_EQ(page.TakePendingJavascript(), "show_window_event();focus_window_event();");
    EXPECT_EQ(page.TakePendingJavascript(), "");
    page.Hide(true);
    page.QueueFocusEvent();
    EXPECT_FALSE(page.IsVisible());
    EXPECT_TRUE(page.IsMarkedShowAgain());
    EXPECT_EQ(page.TakePendingJavascript(), "blur_window_event();hide_window_event();focus_window_event();");
    page.StoreLuaScriptText("a=1 ");
    page.StoreLuaScriptText("b=2");
    EXPECT_EQ(page.TakeLuaScript(), "a=1 b=2");
    EXPECT_EQ(page.TakeLuaScript(), "");

    EditWindow native;
    native.Setup(nullptr, true, true, EditWindow::kRobotEditor, "R", {300, 200}, {0, 0});
    native.Show();
    native.StoreLuaScriptText("x=1");
    EXPECT_EQ(native.TakePendingJavascript(), "");
    EXPECT_EQ(native.TakeLuaScript(), "");
}

TEST(EditWindow, MovingOutReusesTheOwnWindowAndAFailureKeepsItInTheGame)
{
    FakeOwnWindows own;
    EditWindow w;
    w.Setup(nullptr, false, true, 3, "LIB", {300, 200}, {40, 50});
    w.Show();

    own.mFail = true;
    Notices().SetEchoToStderr(false);
    Notices().Clear();
    EXPECT_FALSE(w.MoveToOwnWindow(own.Factory()));
    EXPECT_FALSE(w.IsInOwnWindow());
    EXPECT_TRUE(w.HitTest({100, 100}));
    EXPECT_EQ(Notices().GetReportedCount(), 1);
    EXPECT_NE(Notices().GetLast().find("LIB"), std::string::npos);
    Notices().SetEchoToStderr(true);

    own.mFail = false;
    ASSERT_TRUE(w.MoveToOwnWindow(own.Factory()));
    EXPECT_TRUE(w.IsInOwnWindow());
    EXPECT_FALSE(w.HitTest({100, 100}));
    int32_t x, y, width, height;
    w.GetOwnWindowRect(x, y, width, height);
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 50);
    EXPECT_EQ(width, 330);
    EXPECT_EQ(height, 240);
    auto* page = static_cast<FakeWebPage*>(w.GetOwnWindow());
    EXPECT_TRUE(page->mShown);

    page->SetRect(7, 8, 500, 400);
    w.ReturnFromOwnWindow();
    EXPECT_FALSE(page->mShown);
    EXPECT_TRUE(w.HitTest({100, 100}));
    ASSERT_TRUE(w.MoveToOwnWindow(own.Factory()));
    EXPECT_EQ(own.mMade, 1);
    EXPECT_EQ(w.GetOwnWindow(), page);
    w.GetOwnWindowRect(x, y, width, height);
    EXPECT_EQ(width, 500);
}

TEST_F(EditWindowFixture, HitTestCoversTitleBarAndFrame)
{
    // Position floats are cut to integers at set-up.
    EXPECT_EQ(mWindow.GetPosition(), VectorI(100, 100));
    struct Case { int32_t mX, mY; bool mHit; };
    const Case cases[] = {{95, 150, true}, {94, 150, false}, {404, 150, true}, {405, 150, false},
                          {200, 79, true}, {200, 78, false}, {200, 304, true}, {200, 305, false}};
    for (const Case& c : cases)
        EXPECT_EQ(mWindow.HitTest({c.mX, c.mY}), c.mHit) << c.mX << "," << c.mY;
}

TEST_F(EditWindowFixture, RestoreAnimatesBackToTheKeptRectangle)
{
    mWindow.Maximise();
    EXPECT_TRUE(mWindow.IsMaximised());
    mWindow.StartRectAnimation(400, 300, -98, -84, true);
    mWindow.AnimateRect(75);
    EXPECT_TRUE(mWindow.IsAnimating());
    mWindow.AnimateRect(75);
    EXPECT_FALSE(mWindow.IsAnimating());
    EXPECT_EQ(mWindow.GetPosition(), VectorI(2, 16));
    EXPECT_EQ(mWindow.GetSize(), VectorI(700, 500));
    mWindow.Restore();
    EXPECT_FALSE(mWindow.IsMaximised());
    mWindow.AnimateRect(200);
    EXPECT_EQ(mWindow.GetPosition(), VectorI(100, 100));
    EXPECT_EQ(mWindow.GetSize(), VectorI(300, 200));
}

TEST(EditWindow, SurfaceIsCopiedOnlyWhenThePageDrewOrHasJustLoaded)
{
    EditWindow w;
    w.Setup(nullptr, false, true, 3, "P", {300, 200}, {0, 0});
    Texture& texture = w.GetContentTexture();
    EXPECT_EQ(texture.mStorageSize, VectorI(512, 256));
    BitmapSurface surface(300, 200);
    surface.SetIsDirty(true);
    // Nothing before the page is loaded.
    EXPECT_FALSE(w.CopyFromSurface(surface));

    w.OnPageReady();
    surface.SetIsDirty(false);
    texture.mOwnPixelsChanged = false;
    EXPECT_TRUE(w.CopyFromSurface(surface)); // just loaded: copied although unchanged
    EXPECT_TRUE(texture.mOwnPixelsChanged);
    texture.mOwnPixelsChanged = false;
    EXPECT_FALSE(w.CopyFromSurface(surface));
    EXPECT_FALSE(texture.mOwnPixelsChanged);
    surface.SetIsDirty(true);
    EXPECT_TRUE(w.CopyFromSurface(surface));
    EXPECT_FALSE(surface.IsDirty());

    // A surface beyond the texture keeps the old pixels until it grows.
    BitmapSurface wide(600, 200);
    wide.SetIsDirty(true);
    texture.mOwnPixels[0] = 0x12345678u;
    EXPECT_TRUE(w.CopyFromSurface(wide));
    EXPECT_EQ(texture.mOwnPixels[0], 0x12345678u);
    w.Resize(300, 0, 0, 0, false);
    EXPECT_EQ(texture.mStorageSize, VectorI(1024, 256));
}
