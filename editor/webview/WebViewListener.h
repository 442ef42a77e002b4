#pragma once
#include <cstdint>

#include "editor/webview/WebURL.h"
#include "editor/webview/pak/WebString.h"

namespace KIV {

class WebView;

// The mouse cursor a page asks for where the mouse is.
enum class WebCursor : int32_t { kPointer = 0, kHand = 1, kIBeam = 2 };

// What a view tells its owner. Every call comes on the main thread, from the
// core's Update or from a call that waits for a page (a script with a result).
namespace WebViewListener {

class View {
public:
    virtual void OnChangeTitle(WebView* caller, const WebString& title) = 0;
    virtual void OnChangeAddressBar(WebView* caller, const WebURL& url) = 0;
    virtual void OnChangeTooltip(WebView* caller, const WebString& tooltip) = 0;
    virtual void OnChangeTargetURL(WebView* caller, const WebURL& url) = 0;
    virtual void OnChangeCursor(WebView* caller, WebCursor cursor) = 0;
    virtual void OnChangeFocus(WebView* caller, bool editableFocused) = 0;
    virtual void OnAddConsoleMessage(WebView* caller, const WebString& message) = 0;
    virtual ~View() = default;
};

class Load {
public:
    virtual void OnBeginLoadingFrame(WebView* caller, const WebURL& url) = 0;
    virtual void OnFailLoadingFrame(WebView* caller, const WebURL& url, const WebString& reason) = 0;
    virtual void OnFinishLoadingFrame(WebView* caller, const WebURL& url) = 0;
    // The page has loaded with everything it refers to and can take scripts.
    virtual void OnDocumentReady(WebView* caller, const WebURL& url) = 0;
    virtual ~Load() = default;
};

} // namespace WebViewListener

} // namespace KIV
