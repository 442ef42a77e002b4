#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "editor/webview/WebConfig.h"
#include "editor/webview/WebPreferences.h"
#include "editor/webview/WebSession.h"
#include "editor/webview/WebView.h"
#include "editor/webview/pak/WebString.h"

namespace KIV {

// The HTML-view layer's root: one per run, on the main thread. It starts GTK
// beside the game's own window and owns every view context and view. The game
// calls Update once per frame; nothing of the layer blocks the frame except a
// script that waits for its result.
class WebCore {
public:
    // Null, with a notice, when there is no display to start GTK on: the game
    // goes on without pages. A second call returns the existing core.
    static WebCore* Initialize(const WebConfig& config);
    static WebCore* instance();
    // Releases every view and view context, then the core.
    static void Shutdown();

    // dataPath is where a context would keep what it stores; every context of
    // this layer is kept in memory only, so it must be empty.
    WebSession* CreateWebSession(const WebString& dataPath, const WebPreferences& preferences);
    // Null, with a notice, for a size that is not positive. A null session
    // uses the core's default context.
    WebView* CreateWebView(int32_t width, int32_t height, WebSession* session = nullptr,
                           WebViewType type = kWebViewType_Offscreen);
    // Runs what GTK and the pages have queued, without waiting.
    void Update();

    // Starts the web engine's process ahead of the first view that needs it:
    // a hidden off-screen view of the default context loads the page, which
    // brings up the process (a second or more) and reads the scripts and
    // styles the pages share while the game goes on. The next off-screen view
    // asked of the default context is that view, already warm.
    void WarmUp(const WebURL& page);

    const WebConfig& GetConfig() const { return mConfig; }
    // For WebView::Destroy.
    void ReleaseView(WebView* view);
    // For WebView::LoadURL: the load starts at once while few others are
    // under way, else in its turn, in the order asked, from Update.
    void QueueLoad(WebView* view);

private:
    explicit WebCore(const WebConfig& config) : mConfig(config) {}
    // Loads again the pages whose web process ended, with one notice for all
    // of them (the views of a context share a process and end together).
    void ReloadLostPages();
    void StartWaitingLoads();

    WebConfig mConfig;
    std::vector<std::unique_ptr<WebSession>> mSessions;
    std::vector<std::unique_ptr<WebView>> mViews;
    // The warm view that WarmUp made and no one has taken yet.
    WebView* mSpare = nullptr;
    // Views whose loads wait, first asked first.
    std::vector<WebView*> mWaitingLoads;
};

} // namespace KIV
