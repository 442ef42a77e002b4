// A view outlives the web engine's process behind it. That process can end
// on its own (a crash inside the engine under load, the system killing it);
// WebKit then leaves the view empty, and an off-screen view would stay white
// for good. The view notes the loss at once, so no script waits on a page
// that is gone, and the core loads the page again on its next update.
#include "editor/webview/WebView.h"

#include <webkit2/webkit2.h>

namespace KIV {

namespace {

// Losses in a row, without the page ever finishing a load between them, after
// which the page is left empty: each try starts a new process, which costs
// a second or more and hundreds of megabytes.
constexpr int32_t kMaxLossesWithoutLoad = 3;

} // namespace

void WebView::OnProcessEnded(const char* reason)
{
    mLostPage = reason;
    mLoadInFlight = false;
    ++mLossesSinceLoad;
    mDamaged = true;
    // From here the page is being loaded again: its owner stops sending it
    // scripts and waits for its ready report, as for any other load.
    if (mLoadListener != nullptr && mURL.IsValid()) {
        mLoadListener->OnBeginLoadingFrame(this, mURL);
    }
}

bool WebView::ReloadLostPage()
{
    mLostPage = nullptr;
    if (!mURL.IsValid() || mLossesSinceLoad > kMaxLossesWithoutLoad) {
        return false;
    }
    StartWaitingLoad();
    return true;
}

std::string WebView::GetPageName() const
{
    const std::string& path = mURL.GetPath().empty() ? mURL.GetText() : mURL.GetPath();
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace KIV
