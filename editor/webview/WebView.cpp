#include "editor/webview/WebView.h"

#include "base/Notices.h"
#include "editor/webview/WebCore.h"
#include "editor/webview/WebSession.h"

#include <cairo.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstring>

namespace KIV {

namespace {

std::string ParentFolder(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

WebString ToWebString(const char* text)
{
    return text == nullptr ? WebString() : WebString::CreateFromUTF8(text, std::strlen(text));
}

WebURL ToWebURL(const char* uri)
{
    return WebURL(ToWebString(uri));
}

} // namespace

// GLib calls these with the view as data; each turns a WebKit signal into a
// listener call.
struct WebViewSignals {
    static void LoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data)
    {
        auto* self = static_cast<WebView*>(data);
        const WebURL url = ToWebURL(webkit_web_view_get_uri(view));
        switch (event) {
        case WEBKIT_LOAD_STARTED:
            self->mLoadFailed = false;
            if (self->mLoadListener != nullptr) {
                self->mLoadListener->OnBeginLoadingFrame(self, url);
            }
            break;
        case WEBKIT_LOAD_COMMITTED:
            if (self->mViewListener != nullptr) {
                self->mViewListener->OnChangeAddressBar(self, url);
            }
            break;
        case WEBKIT_LOAD_FINISHED:
            self->mLoadInFlight = false;
            if (self->mCore.GetConfig().mLogLevel >= 2) {
                std::fprintf(stderr, "Orlimbar: page %s %s\n", url.GetSpec().c_str(),
                             self->mLoadFailed ? "failed" : "loaded");
            }
            if (!self->mLoadFailed) {
                self->mLossesSinceLoad = 0;
            }
            if (!self->mLoadFailed && self->mLoadListener != nullptr) {
                self->mLoadListener->OnFinishLoadingFrame(self, url);
                if (self->mLoadListener != nullptr) {
                    self->mLoadListener->OnDocumentReady(self, url);
                }
            }
            break;
        default:
            break;
        }
    }

    static gboolean LoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer data)
    {
        auto* self = static_cast<WebView*>(data);
        self->mLoadFailed = true;
        // A load that another one took the place of has not failed.
        if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)) {
            return TRUE;
        }
        self->ReportLoadFailure(ToWebURL(uri), error != nullptr ? error->message : "unknown reason");
        return TRUE; // no error page: the view keeps what it showed
    }

    static void TitleChanged(WebKitWebView* view, GParamSpec*, gpointer data)
    {
        auto* self = static_cast<WebView*>(data);
        if (self->mViewListener != nullptr) {
            self->mViewListener->OnChangeTitle(self, ToWebString(webkit_web_view_get_title(view)));
        }
    }

    static void MouseTargetChanged(WebKitWebView*, WebKitHitTestResult* hit, guint, gpointer data)
    {
        auto* self = static_cast<WebView*>(data);
        WebCursor cursor = WebCursor::kPointer;
        if (webkit_hit_test_result_context_is_link(hit)) {
            cursor = WebCursor::kHand;
        } else if (webkit_hit_test_result_context_is_editable(hit)) {
            cursor = WebCursor::kIBeam;
        }
        if (self->mViewListener == nullptr) {
            return;
        }
        self->mViewListener->OnChangeTargetURL(self, ToWebURL(webkit_hit_test_result_get_link_uri(hit)));
        if (self->mViewListener != nullptr) {
            self->mViewListener->OnChangeTooltip(self, ToWebString(webkit_hit_test_result_get_link_title(hit)));
        }
        if (cursor != self->mCursor && self->mViewListener != nullptr) {
            self->mCursor = cursor;
            self->mViewListener->OnChangeCursor(self, cursor);
        }
    }

    // Pages of the game navigate among themselves only.
    static gboolean DecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                 gpointer)
    {
        if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION &&
            type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
            return FALSE;
        }
        WebKitNavigationAction* action =
            webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
        const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
        const std::string target = uri != nullptr ? uri : "";
        const bool own = target.rfind("kiv:", 0) == 0 || target == "about:blank";
        if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION || !own) {
            webkit_policy_decision_ignore(decision);
        } else {
            webkit_policy_decision_use(decision);
        }
        return TRUE;
    }

    // No menus or dialogs pop up from a page drawn off screen.
    static gboolean ContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*, gpointer)
    {
        return TRUE;
    }

    static gboolean ScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer data)
    {
        auto* self = static_cast<WebView*>(data);
        const char* message = webkit_script_dialog_get_message(dialog);
        if (self->mViewListener != nullptr) {
            self->mViewListener->OnAddConsoleMessage(self, ToWebString(message));
        }
        if (self->mCore.GetConfig().mLogLevel >= 2) {
            std::fprintf(stderr, "Orlimbar: page dialog: %s\n", message != nullptr ? message : "");
        }
        return TRUE;
    }

    static void ProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer data)
    {
        const char* why = "was stopped";
        if (reason == WEBKIT_WEB_PROCESS_CRASHED) {
            why = "crashed";
        } else if (reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT) {
            why = "ran out of memory";
        }
        static_cast<WebView*>(data)->OnProcessEnded(why);
    }

    static gboolean Damaged(GtkWidget*, GdkEvent*, gpointer data)
    {
        static_cast<WebView*>(data)->mDamaged = true;
        return FALSE;
    }
};

WebView::WebView(WebCore& core, WebSession& session, int32_t width, int32_t height, WebViewType type)
    : mCore(core), mSession(session), mType(type), mWidth(width), mHeight(height)
{
    if (WebKitWebView* related = session.GetLiveView()) {
        mView = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", related, "settings",
                                             session.GetSettings(), "user-content-manager",
                                             session.GetContentManager(), nullptr));
    } else {
        mView = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", session.GetContext(), "settings",
                                             session.GetSettings(), "user-content-manager",
                                             session.GetContentManager(), nullptr));
    }
    session.AddView(mView);
    // The view is owned here, whichever container holds it for a while.
    g_object_ref_sink(mView);
    g_signal_connect(mView, "load-changed", G_CALLBACK(WebViewSignals::LoadChanged), this);
    g_signal_connect(mView, "load-failed", G_CALLBACK(WebViewSignals::LoadFailed), this);
    g_signal_connect(mView, "notify::title", G_CALLBACK(WebViewSignals::TitleChanged), this);
    g_signal_connect(mView, "mouse-target-changed", G_CALLBACK(WebViewSignals::MouseTargetChanged), this);
    g_signal_connect(mView, "decide-policy", G_CALLBACK(WebViewSignals::DecidePolicy), this);
    g_signal_connect(mView, "script-dialog", G_CALLBACK(WebViewSignals::ScriptDialog), this);
    g_signal_connect(mView, "web-process-terminated", G_CALLBACK(WebViewSignals::ProcessTerminated), this);
    if (type == kWebViewType_Offscreen) {
        g_signal_connect(mView, "context-menu", G_CALLBACK(WebViewSignals::ContextMenu), this);
        mOffscreen = gtk_offscreen_window_new();
        gtk_widget_set_size_request(GTK_WIDGET(mView), width, height);
        gtk_container_add(GTK_CONTAINER(mOffscreen), GTK_WIDGET(mView));
        g_signal_connect(mOffscreen, "damage-event", G_CALLBACK(WebViewSignals::Damaged), this);
        gtk_widget_show_all(mOffscreen);
        mSurface = std::make_unique<BitmapSurface>(width, height);
    }
}

WebView::~WebView()
{
    g_signal_handlers_disconnect_by_data(mView, this);
    mSession.RemoveView(mView);
    webkit_web_view_stop_loading(mView);
    if (mOffscreen != nullptr) {
        g_signal_handlers_disconnect_by_data(mOffscreen, this);
        gtk_widget_destroy(mOffscreen);
    } else if (GtkWidget* parent = gtk_widget_get_parent(GTK_WIDGET(mView))) {
        gtk_container_remove(GTK_CONTAINER(parent), GTK_WIDGET(mView));
    }
    g_object_unref(mView);
}

void WebView::Destroy()
{
    mCore.ReleaseView(this);
}

void WebView::SetParentWindow(NativeWindowHandle window)
{
    if (mType != kWebViewType_Window || window == mParent) {
        return;
    }
    if (GtkWidget* old = gtk_widget_get_parent(GTK_WIDGET(mView))) {
        gtk_container_remove(GTK_CONTAINER(old), GTK_WIDGET(mView));
    }
    mParent = window;
    if (window != nullptr) {
        gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(mView));
        gtk_widget_show(GTK_WIDGET(mView));
    }
}

void WebView::ReportLoadFailure(const WebURL& url, const std::string& reason)
{
    const std::string& where = !url.GetPath().empty() ? url.GetPath() : url.GetText();
    if (mCore.GetConfig().mLogLevel >= 1) {
        ReportNotice("editor page " + where + " did not load: " + reason);
    }
    if (mLoadListener != nullptr) {
        const WebString text = WebString::CreateFromUTF8(reason.c_str(), reason.size());
        mLoadListener->OnFailLoadingFrame(this, url, text);
    }
}

void WebView::LoadURL(const WebURL& url)
{
    if (!url.IsValid()) {
        ReportLoadFailure(url, "not a page of the game (only plain paths are served)");
        return;
    }
    if (mLoadInFlight && url.GetSpec() == mURL.GetSpec()) {
        return; // already coming (a warm view's page), and it reports to the listener of now
    }
    mURL = url;
    mLossesSinceLoad = 0;
    if (!url.GetPath().empty()) {
        // A page reaches its own folder's parent tree: the editor's pages show
        // the game's pictures and robot thumbnails that lie beside them.
        mSession.GetPages().AllowFolder(ParentFolder(ParentFolder(url.GetPath())));
    }
    mLoadWaiting = true;
    mCore.QueueLoad(this);
}

void WebView::StartWaitingLoad()
{
    mLoadWaiting = false;
    mLoadInFlight = true;
    webkit_web_view_load_uri(mView, mURL.GetSpec().c_str());
}

void WebView::Reload(bool ignoreCache)
{
    mLossesSinceLoad = 0;
    if (mLoadWaiting) {
        return; // its load, still to come, reads the page afresh anyway
    }
    if (mLostPage != nullptr) {
        // A view whose process ended has nothing to reload in place.
        ReloadLostPage();
        return;
    }
    if (ignoreCache) {
        webkit_web_view_reload_bypass_cache(mView);
    } else {
        webkit_web_view_reload(mView);
    }
}

bool WebView::IsLoading() const
{
    return mLoadWaiting || webkit_web_view_is_loading(mView);
}

BitmapSurface* WebView::GetSurface()
{
    if (mOffscreen == nullptr) {
        return nullptr;
    }
    if (mSurface->GetWidth() != mWidth || mSurface->GetHeight() != mHeight) {
        mSurface = std::make_unique<BitmapSurface>(mWidth, mHeight);
        mDamaged = true;
    }
    if (mDamaged) {
        mDamaged = false;
        cairo_t* cr = cairo_create(mSurface->GetCairoSurface());
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        gtk_widget_draw(GTK_WIDGET(mView), cr);
        cairo_destroy(cr);
        mSurface->SetIsDirty(true);
    }
    return mSurface.get();
}

void WebView::Resize(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0 || (width == mWidth && height == mHeight)) {
        return;
    }
    mWidth = width;
    mHeight = height;
    if (mOffscreen != nullptr) {
        gtk_widget_set_size_request(GTK_WIDGET(mView), width, height);
        gtk_window_resize(GTK_WINDOW(mOffscreen), width, height);
    }
}

void WebView::AfterLoad()
{
    Focus();
}

void WebView::Focus()
{
    gtk_widget_grab_focus(GTK_WIDGET(mView));
    if (mOffscreen != nullptr && !gtk_widget_has_focus(GTK_WIDGET(mView))) {
        // A hidden window never gets the desktop's focus; the view itself is
        // told it has it, so the page shows its caret and takes keys.
        GdkEvent* focus = gdk_event_new(GDK_FOCUS_CHANGE);
        focus->focus_change.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(mOffscreen)));
        focus->focus_change.send_event = TRUE;
        focus->focus_change.in = TRUE;
        gtk_widget_send_focus_change(GTK_WIDGET(mView), focus);
        gdk_event_free(focus);
    }
}

} // namespace KIV
