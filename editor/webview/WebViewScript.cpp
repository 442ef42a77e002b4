// Scripts run in a view's page. A script with a result is waited for in a
// nested pass of the GLib main context: the page answers within a millisecond
// or so, and a page that never answers is given up after the configured time.
#include "editor/webview/WebView.h"

#include "editor/webview/JavascriptString.h"
#include "editor/webview/WebCore.h"

#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstring>

namespace KIV {

namespace {

// Lives on the heap: a reply that comes after the caller gave up still has
// somewhere to land.
struct PendingResult {
    bool mDone = false;
    bool mAbandoned = false;
    JSValue mValue;
    int32_t mLogLevel = 1;
};

void ResultArrived(GObject* source, GAsyncResult* result, gpointer data)
{
    auto* pending = static_cast<PendingResult*>(data);
    GError* error = nullptr;
    JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
    if (value != nullptr) {
        if (!jsc_value_is_undefined(value)) {
            char* text = jsc_value_to_string(value);
            pending->mValue = JSValue::FromText(WebString::CreateFromUTF8(text, std::strlen(text)), false);
            g_free(text);
        }
        g_object_unref(value);
    } else if (error != nullptr) {
        if (pending->mLogLevel >= 2 && !pending->mAbandoned) {
            std::fprintf(stderr, "Orlimbar: page script failed: %s\n", error->message);
        }
        g_error_free(error);
    }
    if (pending->mAbandoned) {
        delete pending;
        return;
    }
    pending->mDone = true;
}

gboolean WaitTimedOut(gpointer data)
{
    *static_cast<bool*>(data) = true;
    return G_SOURCE_REMOVE;
}

} // namespace

std::string WebView::BuildScript(const WebString& script, const WebString& frameName) const
{
    if (frameName.IsEmpty()) {
        return script.Utf8();
    }
    return "window.frames[" + JavascriptStringLiteral(frameName.Utf8()) + "].eval(" +
           JavascriptStringLiteral(script.Utf8()) + ")";
}

void WebView::ExecuteJavascript(const WebString& script, const WebString& frameName)
{
    const std::string text = BuildScript(script, frameName);
    webkit_web_view_evaluate_javascript(mView, text.c_str(), static_cast<gssize>(text.size()), nullptr, nullptr,
                                        nullptr, nullptr, nullptr);
}

JSValue WebView::ExecuteJavascriptWithResult(const WebString& script, const WebString& frameName)
{
    const std::string text = BuildScript(script, frameName);
    auto* pending = new PendingResult();
    pending->mLogLevel = mCore.GetConfig().mLogLevel;
    GCancellable* cancel = g_cancellable_new();
    webkit_web_view_evaluate_javascript(mView, text.c_str(), static_cast<gssize>(text.size()), nullptr, nullptr,
                                        cancel, ResultArrived, pending);
    bool timedOut = false;
    const guint timer = g_timeout_add(static_cast<guint>(mCore.GetConfig().mScriptTimeoutMs), WaitTimedOut, &timedOut);
    while (!pending->mDone && !timedOut) {
        g_main_context_iteration(nullptr, TRUE);
    }
    JSValue value;
    if (pending->mDone) {
        g_source_remove(timer);
        value = pending->mValue;
        delete pending;
    } else {
        pending->mAbandoned = true;
        g_cancellable_cancel(cancel);
        if (mCore.GetConfig().mLogLevel >= 1) {
            std::fprintf(stderr, "Orlimbar: a page script gave no answer within %d ms\n",
                         mCore.GetConfig().mScriptTimeoutMs);
        }
    }
    g_object_unref(cancel);
    return value;
}

} // namespace KIV
