#pragma once
#include "editor/WebPage.h"
#include "editor/webview/WebView.h"
#include "editor/webview/WebViewListener.h"

typedef struct _GtkWidget GtkWidget;
typedef union _GdkEvent GdkEvent;

namespace KIV {

// A page in a GTK top-level window holding a windowed view. Closing hides the
// window and sets the close request; the window can be shown again. The
// window keeps at least 275 x 70 pixels.
class ViewWin : public WebPage, public WebViewListener::View, public WebViewListener::Load {
public:
    static constexpr int32_t kMinWidth = 275;
    static constexpr int32_t kMinHeight = 70;

    // Null, with a notice, when no window or view could be made: the page then
    // stays in the game window and the game goes on.
    static ViewWin* Create(int32_t width, int32_t height);
    ~ViewWin() override;

    void Show() override;
    void Hide() override;
    bool IsLoaded() const override { return mLoaded; }
    void GetRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const override;
    void SetRect(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void SetTitle(const std::string& title) override;
    int32_t TakeFunctionKey() override;
    bool TakeCloseRequest() override;
    bool TakeMinimisedFlag() override;
    NativeWindowHandle GetWindowHandle() const { return mWindow; }
    WebView* GetView() const { return mView; }

    // WebViewListener::View: the page's title becomes the window's.
    void OnChangeTitle(WebView* caller, const WebString& title) override;
    void OnChangeAddressBar(WebView*, const WebURL&) override {}
    void OnChangeTooltip(WebView*, const WebString&) override {}
    void OnChangeTargetURL(WebView*, const WebURL&) override {}
    void OnChangeCursor(WebView*, WebCursor) override {}
    void OnChangeFocus(WebView*, bool) override {}
    void OnAddConsoleMessage(WebView*, const WebString&) override {}
    // WebViewListener::Load
    void OnBeginLoadingFrame(WebView*, const WebURL&) override { mLoaded = false; }
    void OnFailLoadingFrame(WebView*, const WebURL&, const WebString&) override {}
    void OnFinishLoadingFrame(WebView*, const WebURL&) override {}
    void OnDocumentReady(WebView* caller, const WebURL& url) override;

    // The window's event handling, reached through the registry.
    static int HandleEvent(GtkWidget* window, GdkEvent* event);
    static void HandleDestroy(GtkWidget* window);

private:
    ViewWin() = default;
    void KeepMinimumSize(int32_t x, int32_t y, int32_t width, int32_t height);

    WebView* mView = nullptr;
    bool mLoaded = false;
    NativeWindowHandle mWindow = nullptr;
    int32_t mPendingFunctionKey = -1;
    bool mCloseRequest = false;
    bool mMinimised = false;
    // Where the window was before the last change, to tell which edge moved.
    int32_t mLastX = 0, mLastY = 0, mLastWidth = 0, mLastHeight = 0;
};

} // namespace KIV
