#pragma once
#include <vector>

#include "editor/webview/PageSource.h"
#include "editor/webview/WebConfig.h"
#include "editor/webview/WebPreferences.h"

typedef struct _WebKitWebContext WebKitWebContext;
typedef struct _WebKitSettings WebKitSettings;
typedef struct _WebKitUserContentManager WebKitUserContentManager;
typedef struct _WebKitWebView WebKitWebView;

namespace KIV {

// The view context: what a set of views shares. Its own browser context with
// nothing kept on disk, the preferences, and the page source behind the
// layer's URL scheme. Nothing reaches the network: pages come from the
// scheme only, and every page is served with a policy that forbids other
// sources.
class WebSession {
public:
    WebSession(const WebConfig& config, const WebPreferences& preferences);
    ~WebSession();
    WebSession(const WebSession&) = delete;
    WebSession& operator=(const WebSession&) = delete;

    // Forgets every cached page file and picture, so the next load sees the
    // files as they are now (after pictures or robot thumbnails changed).
    void ClearCache();

    // For the views.
    WebKitWebContext* GetContext() const { return mContext; }
    WebKitSettings* GetSettings() const { return mSettings; }
    WebKitUserContentManager* GetContentManager() const { return mContent; }
    PageSource& GetPages() { return mPages; }
    // The views of this context share one web process: a new view is made
    // related to any view that lives (each process costs hundreds of
    // megabytes and a second or more to start).
    WebKitWebView* GetLiveView() const { return mViews.empty() ? nullptr : mViews.front(); }
    void AddView(WebKitWebView* view) { mViews.push_back(view); }
    void RemoveView(WebKitWebView* view) { std::erase(mViews, view); }
    const WebConfig& GetConfig() const { return mConfig; }

private:
    WebConfig mConfig;
    WebKitWebContext* mContext = nullptr;
    WebKitSettings* mSettings = nullptr;
    WebKitUserContentManager* mContent = nullptr;
    PageSource mPages;
    std::vector<WebKitWebView*> mViews;
};

} // namespace KIV
