#include "ViewFixture.h"

#include "editor/ViewWin.h"

#include <gtk/gtk.h>

#include <memory>

using namespace KIV;

namespace {

class ViewWinWindowTest : public ViewFixture {
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        mWin.reset(ViewWin::Create(400, 300));
        ASSERT_NE(mWin, nullptr);
        mWindow = GTK_WIDGET(mWin->GetWindowHandle());
    }
    void TearDown() override
    {
        mWin.reset();
        ViewFixture::TearDown();
    }

    // What the desktop sends: the event goes through GTK's own dispatch.
    void Send(GdkEvent* event)
    {
        event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(mWindow)));
        event->any.send_event = TRUE;
        gtk_main_do_event(event);
        gdk_event_free(event);
    }

    std::unique_ptr<ViewWin> mWin;
    GtkWidget* mWindow = nullptr;
};

} // namespace

TEST_F(ViewWinWindowTest, ThePageLoadsAndItsTitleBecomesTheWindows)
{
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(mWindow)), "Application");
    EXPECT_FALSE(gtk_widget_get_visible(mWindow));
    Load(mWin->GetView(), WritePage("Editor/w.html", "<html><head><title>Lua console</title></head></html>"));
    mWin->Show();
    ASSERT_TRUE(PumpUntil([&] { return mWin->IsLoaded(); }));
    EXPECT_TRUE(gtk_widget_get_visible(mWindow));
    EXPECT_TRUE(PumpUntil([&] { return std::string(gtk_window_get_title(GTK_WINDOW(mWindow))) == "Lua console"; }));
    EXPECT_EQ(mWin->GetView()->GetSurface(), nullptr) << "a windowed view draws into its window";
    mWin->SetTitle("EDITOR (F2)");
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(mWindow)), "EDITOR (F2)");
}

TEST_F(ViewWinWindowTest, ClosingHidesAndRequestsCloseOnce)
{
    mWin->Show();
    PumpFor(0.1);
    Send(gdk_event_new(GDK_DELETE));
    EXPECT_FALSE(gtk_widget_get_visible(mWindow));
    EXPECT_TRUE(mWin->TakeCloseRequest());
    EXPECT_FALSE(mWin->TakeCloseRequest());
    // Not destroyed: it can be shown again.
    mWin->Show();
    EXPECT_TRUE(gtk_widget_get_visible(mWindow));
}

TEST_F(ViewWinWindowTest, MinimisingAndFunctionKeysAreReportedOnce)
{
    mWin->Show();
    PumpFor(0.1);
    GdkEvent* state = gdk_event_new(GDK_WINDOW_STATE);
    state->window_state.changed_mask = GDK_WINDOW_STATE_ICONIFIED;
    state->window_state.new_window_state = GDK_WINDOW_STATE_ICONIFIED;
    Send(state);
    EXPECT_TRUE(mWin->TakeMinimisedFlag());
    EXPECT_FALSE(mWin->TakeMinimisedFlag());

    EXPECT_EQ(mWin->TakeFunctionKey(), -1);
    for (guint key : {GDK_KEY_F1, GDK_KEY_F5, GDK_KEY_F12}) {
        GdkEvent* press = gdk_event_new(GDK_KEY_PRESS);
        press->key.keyval = key;
        gdk_event_set_device(press, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
        Send(press);
        EXPECT_EQ(mWin->TakeFunctionKey(), static_cast<int32_t>(key - GDK_KEY_F1));
        EXPECT_EQ(mWin->TakeFunctionKey(), -1);
    }
}

TEST_F(ViewWinWindowTest, TheWindowKeepsItsMinimumSizeAndTheEdgeNotDragged)
{
    mWin->Show();
    mWin->SetRect(100, 100, 500, 300);
    int32_t x, y, w, h;
    ASSERT_TRUE(PumpUntil([&] {
        mWin->GetRect(x, y, w, h);
        return x == 100 && w == 500 && h == 300;
    })) << x << "," << y << " " << w << "x" << h;

    // The left edge dragged to 100 pixels short of the right one: the right
    // edge stays at 600, the left goes back to 600 - 275.
    gdk_window_move_resize(gtk_widget_get_window(mWindow), 500, 100, 100, 300);
    EXPECT_TRUE(PumpUntil([&] {
        mWin->GetRect(x, y, w, h);
        return x == 325 && w == 275;
    })) << x << "," << y << " " << w << "x" << h;

    // The bottom edge dragged up: the top stays, the height is 70.
    gdk_window_move_resize(gtk_widget_get_window(mWindow), 325, 100, 275, 20);
    EXPECT_TRUE(PumpUntil([&] {
        mWin->GetRect(x, y, w, h);
        return y == 100 && h == 70;
    })) << x << "," << y << " " << w << "x" << h;

    mWin->SetRect(10, 10, 50, 20);
    EXPECT_TRUE(PumpUntil([&] {
        mWin->GetRect(x, y, w, h);
        return w == 275 && h == 70;
    })) << w << "x" << h;
}
