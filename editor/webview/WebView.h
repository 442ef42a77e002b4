#pragma once
#include <cstdint>
#include <memory>

#include "editor/webview/BitmapSurface.h"
#include "editor/webview/JSValue.h"
#include "editor/webview/WebKeyboardEvent.h"
#include "editor/webview/WebURL.h"
#include "editor/webview/WebViewListener.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _WebKitWebView WebKitWebView;

namespace KIV {

class WebCore;
class WebSession;

enum WebViewType : int32_t { kWebViewType_Offscreen = 0, kWebViewType_Window = 1 };
enum MouseButton : int32_t { kMouseButton_Left = 0, kMouseButton_Middle = 1, kMouseButton_Right = 2 };
// A top-level window of the desktop (a GtkWindow) that a windowed view fills.
using NativeWindowHandle = void*;

// One page. An off-screen view draws into its surface, which the game copies
// into a texture; a windowed view draws into the window given as its parent.
// Made by the core, released with Destroy; main thread only.
class WebView {
public:
    void Destroy();

    WebViewType GetType() const { return mType; }
    void SetParentWindow(NativeWindowHandle window);
    NativeWindowHandle GetParentWindow() const { return mParent; }
    void SetViewListener(WebViewListener::View* listener) { mViewListener = listener; }
    WebViewListener::View* GetViewListener() const { return mViewListener; }
    void SetLoadListener(WebViewListener::Load* listener) { mLoadListener = listener; }
    WebViewListener::Load* GetLoadListener() const { return mLoadListener; }

    // An invalid URL (a scheme other than the layer's, a path above the root)
    // fails at once through the load listener. The load may wait its turn:
    // the core lets a few pages load at a time (see WebCore).
    void LoadURL(const WebURL& url);
    void Reload(bool ignoreCache);
    bool IsLoading() const;

    // The page's pixels, drawn again if the page changed since; null for a
    // windowed view.
    BitmapSurface* GetSurface();
    void Resize(int32_t width, int32_t height);
    int32_t GetWidth() const { return mWidth; }
    int32_t GetHeight() const { return mHeight; }
    // Called once a page is ready: the view takes the keyboard focus, so the
    // keys the game forwards reach the page's focused element.
    void AfterLoad();

    // Mouse position in page pixels, from the view's top-left corner.
    void InjectMouseMove(int32_t x, int32_t y);
    void InjectMouseDown(MouseButton button);
    void InjectMouseUp(MouseButton button);
    // Amounts in pixels; positive vertical scrolls towards the top of the page,
    // positive horizontal towards its left.
    void InjectMouseWheel(int32_t scrollVertical, int32_t scrollHorizontal);
    void InjectKeyboardEvent(const WebKeyboardEvent& event);

    // Runs script in the page, or in the child frame of that name when
    // frameName is not empty.
    void ExecuteJavascript(const WebString& script, const WebString& frameName);
    // The same, waiting for the value; undefined when the script gives none,
    // throws, or outlasts the configured time.
    JSValue ExecuteJavascriptWithResult(const WebString& script, const WebString& frameName);

    // For the core and the windows.
    WebView(WebCore& core, WebSession& session, int32_t width, int32_t height, WebViewType type);
    ~WebView();
    WebView(const WebView&) = delete;
    WebView& operator=(const WebView&) = delete;
    WebKitWebView* GetWebKitView() const { return mView; }
    void MarkDamaged() { mDamaged = true; }

    // The web engine's process behind this view ended on its own (crashed or
    // was killed): the page is gone and the view draws nothing until it is
    // loaded again. The core collects such views once per Update.
    bool HasLostPage() const { return mLostPage != nullptr; }
    // A load waiting for its turn, and the core starting it.
    bool IsLoadWaiting() const { return mLoadWaiting; }
    bool IsLoadInFlight() const { return mLoadInFlight; }
    void StartWaitingLoad();
    // Why the process ended, for the player's notice; null when it did not.
    const char* GetLostPageReason() const { return mLostPage; }
    // Loads the lost page again (false when none was loaded, or it was lost
    // too often without ever coming back) and clears the loss.
    bool ReloadLostPage();
    // The page's file name, for notices.
    std::string GetPageName() const;

private:
    friend struct WebViewSignals;
    void Focus();
    void InjectButton(bool press, MouseButton button);
    void SendKey(bool press, uint32_t keyval, int32_t modifiers, int32_t nativeCode);
    std::string BuildScript(const WebString& script, const WebString& frameName) const;
    void ReportLoadFailure(const WebURL& url, const std::string& reason);
    void OnProcessEnded(const char* reason);

    WebCore& mCore;
    WebSession& mSession;
    WebViewType mType;
    int32_t mWidth;
    int32_t mHeight;
    WebKitWebView* mView = nullptr;
    GtkWidget* mOffscreen = nullptr; // the hidden window an off-screen view lives in
    NativeWindowHandle mParent = nullptr;
    WebViewListener::View* mViewListener = nullptr;
    WebViewListener::Load* mLoadListener = nullptr;
    std::unique_ptr<BitmapSurface> mSurface;
    bool mDamaged = true;
    bool mLoadFailed = false;
    // The page last asked for, which a lost page is loaded again from.
    WebURL mURL;
    const char* mLostPage = nullptr;
    bool mLoadWaiting = false;
    // From the start of a load until it finishes or fails.
    bool mLoadInFlight = false;
    // Losses since the page last finished loading: a page that takes its
    // process down every time is not loaded over and over.
    int32_t mLossesSinceLoad = 0;
    WebCursor mCursor = WebCursor::kPointer;
    int32_t mMouseX = 0;
    int32_t mMouseY = 0;
    uint32_t mButtonState = 0;
    // A text key's press waits for its char event, which carries what it types.
    int32_t mPendingTextKey = 0;
    uint32_t mPendingTextKeyval = 0;
};

} // namespace KIV
