#include "editor/webview/WebCore.h"
#include <clocale>

#include "base/Notices.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <string>

namespace KIV {

namespace {

WebCore* gCore = nullptr;

// One pass drains what is ready; the cap keeps a page that posts work
// endlessly from holding the game frame.
constexpr int kMaxDispatchesPerUpdate = 1000;

// Pages loading at once. The views of a context share one web process, which
// builds one page at a time: nineteen pages asked for together all come in
// late, the one the player opens first among them. In turns, the first pages
// asked for (the current mode page first) are ready within a fraction of a
// second, and the rest follow while the game runs.
constexpr int kMaxLoadsInFlight = 2;

} // namespace

WebCore* WebCore::Initialize(const WebConfig& config)
{
    if (gCore != nullptr) {
        return gCore;
    }
    if (!gtk_init_check(nullptr, nullptr)) {
        ReportNotice("editor pages: no display for the HTML views (GTK could not start); the editor is off");
        return nullptr;
    }
    // GTK takes the user's locale; numbers must keep their decimal point, or
    // Lua and the number texts sent to pages would write 0,5 for 0.5, and the
    // comma would split one value into two.
    setlocale(LC_NUMERIC, "C");
    gCore = new WebCore(config);
    return gCore;
}

WebCore* WebCore::instance()
{
    return gCore;
}

void WebCore::Shutdown()
{
    if (gCore == nullptr) {
        return;
    }
    gCore->mSpare = nullptr;
    gCore->mWaitingLoads.clear();
    gCore->mViews.clear();
    gCore->mSessions.clear();
    // Let the web processes hear that their views are gone.
    gCore->Update();
    delete gCore;
    gCore = nullptr;
}

WebSession* WebCore::CreateWebSession(const WebString& dataPath, const WebPreferences& preferences)
{
    if (!dataPath.IsEmpty()) {
        ReportNotice("editor pages: view contexts are kept in memory; the data path " + dataPath.Utf8() +
                     " is not used");
    }
    mSessions.push_back(std::make_unique<WebSession>(mConfig, preferences));
    return mSessions.back().get();
}

WebView* WebCore::CreateWebView(int32_t width, int32_t height, WebSession* session, WebViewType type)
{
    if (width <= 0 || height <= 0 || (type != kWebViewType_Offscreen && type != kWebViewType_Window)) {
        ReportNotice("editor pages: cannot make a view of " + std::to_string(width) + " x " +
                     std::to_string(height));
        return nullptr;
    }
    if (session == nullptr) {
        if (mSessions.empty()) {
            CreateWebSession(WebString(), WebPreferences());
        }
        session = mSessions.front().get();
        if (mSpare != nullptr && type == kWebViewType_Offscreen) {
            WebView* warm = mSpare;
            mSpare = nullptr;
            warm->Resize(width, height);
            return warm;
        }
    }
    mViews.push_back(std::make_unique<WebView>(*this, *session, width, height, type));
    return mViews.back().get();
}

void WebCore::WarmUp(const WebURL& page)
{
    if (mSpare != nullptr) {
        return;
    }
    // Any size will do: the view is sized again when it is taken.
    WebView* view = CreateWebView(256, 256);
    view->LoadURL(page);
    mSpare = view;
}

void WebCore::ReleaseView(WebView* view)
{
    if (view == mSpare) {
        mSpare = nullptr;
    }
    std::erase(mWaitingLoads, view);
    const auto it = std::find_if(mViews.begin(), mViews.end(), [view](const auto& v) { return v.get() == view; });
    if (it != mViews.end()) {
        mViews.erase(it);
    }
}

void WebCore::Update()
{
    for (int i = 0; i < kMaxDispatchesPerUpdate && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
    ReloadLostPages();
    StartWaitingLoads();
}

void WebCore::QueueLoad(WebView* view)
{
    if (std::find(mWaitingLoads.begin(), mWaitingLoads.end(), view) == mWaitingLoads.end()) {
        mWaitingLoads.push_back(view);
    }
    StartWaitingLoads();
}

void WebCore::StartWaitingLoads()
{
    int inFlight = 0;
    for (const auto& view : mViews) {
        inFlight += view->IsLoadInFlight() ? 1 : 0;
    }
    while (inFlight < kMaxLoadsInFlight && !mWaitingLoads.empty()) {
        WebView* view = mWaitingLoads.front();
        mWaitingLoads.erase(mWaitingLoads.begin());
        if (view->IsLoadWaiting()) {
            view->StartWaitingLoad();
            ++inFlight;
        }
    }
}

void WebCore::ReloadLostPages()
{
    const char* reason = nullptr;
    std::string reloaded;
    std::string abandoned;
    for (const auto& view : mViews) {
        if (!view->HasLostPage()) {
            continue;
        }
        reason = view->GetLostPageReason();
        const std::string name = view->GetPageName();
        const bool again = view->ReloadLostPage();
        std::string& list = again ? reloaded : abandoned;
        // A page shown in a desktop window too is named once.
        if (name.empty() || (", " + list + ",").find(", " + name + ",") != std::string::npos) {
            continue;
        }
        list += (list.empty() ? "" : ", ") + name;
    }
    if (reason == nullptr) {
        return;
    }
    const std::string what = std::string("editor pages: the web engine's process ") + reason;
    if (!reloaded.empty()) {
        ReportNotice(what + "; loading again: " + reloaded);
    }
    if (!abandoned.empty()) {
        ReportNotice(what + " again and again; left empty until Ctrl+F3 reloads them: " + abandoned);
    }
}

} // namespace KIV
