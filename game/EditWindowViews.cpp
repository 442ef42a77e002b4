#include "base/FileUtils.h"
#include "editor/ViewWin.h"
#include "editor/webview/WebCore.h"
#include "game/KIVGame.h"
#include "game/PageKeyEvents.h"

namespace KIV {

void KIVGame::StartPageViews()
{
    WebConfig config;
    // Page loads, script failures and page dialogs go to stderr as well.
    config.mLogLevel = 2;
    WebCore* core = WebCore::Initialize(config);
    if (!core) return;
    // The editor's pages run scripts, scroll smoothly and keep their state
    // between loads; they draw their own frame, so no scroll bars.
    WebPreferences preferences;
    preferences.mEnableJavascript = true;
    preferences.mEnableSmoothScrolling = true;
    preferences.mEnableLocalStorage = true;
    preferences.mEnableScrollbars = false;
    // The first context is the one every view without a context of its own
    // uses: the page windows and the desktop windows share its web process.
    core->CreateWebSession(WebString(), preferences);
}

void KIVGame::CreateEditWindows()
{
    // Pages get views only when the HTML views were started with the window;
    // without them every window still has its place, flags and events.
    mEditWindows.SetViewFactory([](int32_t width, int32_t height) -> WebView* {
        WebCore* core = WebCore::instance();
        return core ? core->CreateWebView(width, height, nullptr, kWebViewType_Offscreen) : nullptr;
    });
    mEditWindows.SetOwnWindowFactory(
        [](int32_t width, int32_t height, const std::string& pagePath) -> std::unique_ptr<WebPage> {
            std::unique_ptr<ViewWin> window(ViewWin::Create(width, height));
            if (window && window->GetView() && !pagePath.empty())
                window->GetView()->LoadURL(WebURL(WebString::CreateFromUTF8(pagePath.data(), pagePath.size())));
            return window;
        });
    const std::string root = mDataRoot.empty() ? GetExecutableDirectory() + "../" : mDataRoot;
    mEditWindows.CreateAllWindows({mWindowWidth, mWindowHeight}, root + "Editor/");
}

void KIVGame::ForwardInputToPage(const FrameMouse& mouse)
{
    if (!mEditWindows.ForwardMouseToFocused(mouse)) return;
    for (const KeyEventRecord& record : mInput.GetKeyEvents()) {
        WebKeyboardEvent events[2];
        const int32_t count = BuildPageKeyEvents(record, events);
        for (int32_t i = 0; i < count; ++i) mEditWindows.ForwardKeyToFocused(events[i]);
    }
}

} // namespace KIV
