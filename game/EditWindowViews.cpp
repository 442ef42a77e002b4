#include "base/FileUtils.h"
#include "editor/ViewWin.h"
#include "editor/webview/WebCore.h"
#include "game/KIVGame.h"
#include "game/PageKeyEvents.h"

namespace KIV {

namespace {
std::string PageFolder(const std::string& dataRoot)
{
    return (dataRoot.empty() ? GetExecutableDirectory() + "../" : dataRoot) + "Editor/";
}
} // namespace

void KIVGame::WarmUpPageViews()
{
    StartPageViews();
    // The page every mode page is built like: the process comes up and the
    // shared script and styles are read while the game loads its content.
    if (WebCore* core = WebCore::instance()) {
        const std::string page = PageFolder(mDataRoot) + "kiv_edit_scene.html";
        core->WarmUp(WebURL(WebString::CreateFromUTF8(page.data(), page.size())));
    }
}

void KIVGame::StartPageViews()
{
    // Already started with the window.
    if (WebCore::instance()) return;
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
    mEditWindows.CreateAllWindows({mWindowWidth, mWindowHeight}, PageFolder(mDataRoot));
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
