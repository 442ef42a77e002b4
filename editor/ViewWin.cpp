#include "editor/ViewWin.h"

#include "base/Notices.h"
#include "editor/ViewWinRegistry.h"
#include "editor/webview/WebCore.h"

#include <gtk/gtk.h>

#include <algorithm>

namespace KIV {

namespace {

GtkWindow* AsWindow(NativeWindowHandle handle)
{
    return GTK_WINDOW(handle);
}

void SetValidTitle(NativeWindowHandle window, const std::string& text)
{
    // The desktop wants UTF-8; a title that is not is shown with its bad
    // bytes replaced rather than refused.
    gchar* valid = g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size()));
    gtk_window_set_title(AsWindow(window), valid);
    g_free(valid);
}

gboolean OnWindowEvent(GtkWidget* window, GdkEvent* event, gpointer)
{
    return ViewWin::HandleEvent(window, event) != 0;
}

void OnWindowDestroyed(GtkWidget* window, gpointer)
{
    ViewWin::HandleDestroy(window);
}

} // namespace

ViewWin* ViewWin::Create(int32_t width, int32_t height)
{
    WebCore* core = WebCore::instance();
    WebView* view = core != nullptr ? core->CreateWebView(width, height, nullptr, kWebViewType_Window) : nullptr;
    GtkWidget* window = view != nullptr ? gtk_window_new(GTK_WINDOW_TOPLEVEL) : nullptr;
    if (window == nullptr) {
        if (view != nullptr) {
            view->Destroy();
        }
        ReportNotice("editor: a page could not get a window of its own (" +
                     std::string(core == nullptr ? "no HTML views" : "no window or view") +
                     "); it stays in the game window");
        return nullptr;
    }
    auto* self = new ViewWin();
    self->mView = view;
    self->mWindow = window;
    view->SetViewListener(self);
    view->SetLoadListener(self);

    gtk_window_set_title(GTK_WINDOW(window), "Application");
    // Room for a frame around the page, as the page windows have always had.
    gtk_window_set_default_size(GTK_WINDOW(window), width + 20, height + 40);
    GdkGeometry hints{};
    hints.min_width = kMinWidth;
    hints.min_height = kMinHeight;
    gtk_window_set_geometry_hints(GTK_WINDOW(window), nullptr, &hints, GDK_HINT_MIN_SIZE);
    g_signal_connect(window, "event", G_CALLBACK(OnWindowEvent), nullptr);
    g_signal_connect(window, "destroy", G_CALLBACK(OnWindowDestroyed), nullptr);
    view->SetParentWindow(window);
    gtk_widget_realize(window);
    gtk_window_get_position(GTK_WINDOW(window), &self->mLastX, &self->mLastY);
    self->mLastWidth = width + 20;
    self->mLastHeight = height + 40;
    ViewWinRegistry::Add(self);
    return self;
}

ViewWin::~ViewWin()
{
    ViewWinRegistry::Remove(this);
    if (mView != nullptr) {
        mView->Destroy();
    }
}

void ViewWin::Show()
{
    if (mWindow != nullptr) {
        gtk_window_present(AsWindow(mWindow));
    }
}

void ViewWin::Hide()
{
    if (mWindow != nullptr) {
        gtk_widget_hide(GTK_WIDGET(mWindow));
    }
}

void ViewWin::GetRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const
{
    x = y = width = height = 0;
    if (mWindow == nullptr) {
        return;
    }
    int ix = 0, iy = 0, iw = 0, ih = 0;
    gtk_window_get_position(AsWindow(mWindow), &ix, &iy);
    gtk_window_get_size(AsWindow(mWindow), &iw, &ih);
    x = ix;
    y = iy;
    width = iw;
    height = ih;
}

void ViewWin::SetRect(int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (mWindow == nullptr) {
        return;
    }
    gtk_window_move(AsWindow(mWindow), x, y);
    gtk_window_resize(AsWindow(mWindow), std::max(width, kMinWidth), std::max(height, kMinHeight));
}

void ViewWin::SetTitle(const std::string& title)
{
    if (mWindow != nullptr) {
        SetValidTitle(mWindow, title);
    }
}

int32_t ViewWin::TakeFunctionKey()
{
    const int32_t key = mPendingFunctionKey;
    mPendingFunctionKey = -1;
    return key;
}

bool ViewWin::TakeCloseRequest()
{
    const bool request = mCloseRequest;
    mCloseRequest = false;
    return request;
}

bool ViewWin::TakeMinimisedFlag()
{
    const bool minimised = mMinimised;
    mMinimised = false;
    return minimised;
}

void ViewWin::OnChangeTitle(WebView*, const WebString& title)
{
    if (mWindow != nullptr) {
        SetValidTitle(mWindow, title.Utf8());
    }
}

void ViewWin::OnDocumentReady(WebView*, const WebURL&)
{
    mLoaded = true;
}

// A window dragged smaller than the minimum keeps the edge that was not
// dragged where it is: dragging the left edge in moves the left side back out.
void ViewWin::KeepMinimumSize(int32_t x, int32_t y, int32_t width, int32_t height)
{
    int32_t nx = x, ny = y, nw = width, nh = height;
    if (width < kMinWidth) {
        const bool leftDragged = x != mLastX && x + width == mLastX + mLastWidth;
        nx = leftDragged ? x + width - kMinWidth : x;
        nw = kMinWidth;
    }
    if (height < kMinHeight) {
        const bool topDragged = y != mLastY && y + height == mLastY + mLastHeight;
        ny = topDragged ? y + height - kMinHeight : y;
        nh = kMinHeight;
    }
    mLastX = nx;
    mLastY = ny;
    mLastWidth = nw;
    mLastHeight = nh;
    if (nx != x || ny != y || nw != width || nh != height) {
        gtk_window_move(AsWindow(mWindow), nx, ny);
        gtk_window_resize(AsWindow(mWindow), nw, nh);
        gdk_window_move_resize(gtk_widget_get_window(GTK_WIDGET(mWindow)), nx, ny, nw, nh);
    }
}

void ViewWin::HandleDestroy(GtkWidget* window)
{
    // Only an outside hand destroys these windows (close just hides them).
    // The page window then has no window left to touch; the game goes on.
    if (ViewWin* self = ViewWinRegistry::Find(window)) {
        ReportNotice("editor: the window of a page was destroyed; the page can still be shown in the game window");
        self->mWindow = nullptr;
    }
}

int ViewWin::HandleEvent(GtkWidget* window, GdkEvent* event)
{
    ViewWin* self = ViewWinRegistry::Find(window);
    if (self == nullptr) {
        return FALSE;
    }
    switch (event->type) {
    case GDK_DELETE:
        self->mCloseRequest = true;
        gtk_widget_hide(window);
        return TRUE; // hidden, not destroyed: it can be shown again
    case GDK_CONFIGURE:
        if (self->mView != nullptr) {
            self->mView->Resize(event->configure.width, event->configure.height);
        }
        self->KeepMinimumSize(event->configure.x, event->configure.y, event->configure.width,
                              event->configure.height);
        return FALSE;
    case GDK_WINDOW_STATE:
        if ((event->window_state.changed_mask & GDK_WINDOW_STATE_ICONIFIED) != 0 &&
            (event->window_state.new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0) {
            self->mMinimised = true;
        }
        return FALSE;
    case GDK_KEY_PRESS:
        if (event->key.keyval >= GDK_KEY_F1 && event->key.keyval <= GDK_KEY_F12) {
            self->mPendingFunctionKey = static_cast<int32_t>(event->key.keyval - GDK_KEY_F1);
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace KIV
