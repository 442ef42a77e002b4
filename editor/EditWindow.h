#pragma once
#include "base/MathUtil.h"
#include "base/Vector.h"
#include "editor/FrameZones.h"
#include "editor/WebPage.h"
#include "editor/webview/WebViewListener.h"
#include "render/Texture.h"
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace KIV {

class BitmapSurface;
class WebView;

// Makes the desktop window that shows a page outside the game window; null
// when none could be made.
using OwnWindowFactory =
    std::function<std::unique_ptr<WebPage>(int32_t width, int32_t height, const std::string& pagePath)>;

// One in-game editor panel: a page rendered off screen (or, for the robot
// editor, a native panel) drawn in a frame over the scene. It queues the
// JavaScript the game sends to its page and collects the Lua text the page
// hands back. It listens to its own view: the page's ready report starts the
// first copy of its pixels, and the cursor the page asks for is kept.
class EditWindow : public WebViewListener::View, public WebViewListener::Load {
public:
    enum Kind : int32_t {
        kEditModePage = 0,
        kLuaConsole = 1,
        kColourPicker = 2,
        kTextureLibrary = 3,
        kEditorBuilder = 4,
        kHelp = 5,
        kRobotLibrary = 6,
        kRobotEditor = 7,
        kLuaErrors = 8,
    };
    static constexpr int32_t kMinWidth = 256, kMinHeight = 128, kMaxSize = 4096;
    static constexpr uint32_t kAnimationLength = 150;
    static constexpr const char* kShowEvents = "show_window_event();focus_window_event();";
    static constexpr const char* kHideEvents = "blur_window_event();hide_window_event();";
    static constexpr const char* kBlurEvent = "blur_window_event();";
    static constexpr const char* kFocusEvent = "focus_window_event();";

    EditWindow() = default;
    ~EditWindow() override;
    EditWindow(const EditWindow&) = delete;
    EditWindow& operator=(const EditWindow&) = delete;

    // The view is null for the native window and for a page whose view could
    // not be made; the latter is never ready.
    bool Setup(WebView* view, bool native, bool buttons, int32_t kind, const std::string& title,
               VectorI size, VectorF position);
    void LoadPage(const std::string& path);
    void Reload();
    void SetTitle(const std::string& title);

    bool ExecuteJavascript(const std::string& script);
    // Runs script and gives its value as text; false when there is no view or
    // the page gave no value.
    bool EvaluateJavascript(const std::string& script, std::string& result);
    // Appends to the pending JavaScript; a native window drops it.
    void QueueJavascript(const std::string& script);
    void StoreLuaScriptText(const std::string& text);
    std::string TakeLuaScript();
    std::string TakePendingJavascript();

    void Show();
    void Hide(bool markShowAgain);
    void QueueBlurEvent() { Queue(kBlurEvent); }
    void QueueFocusEvent() { Queue(kFocusEvent); }

    // False, with a notice, when the desktop window cannot be made: the page
    // then stays in the game window.
    bool MoveToOwnWindow(const OwnWindowFactory& factory);
    void ReturnFromOwnWindow();
    void GetOwnWindowRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const;
    void SetOwnWindowRect(VectorI position, VectorI size);
    WebPage* GetOwnWindow() const { return mOwnWindow.get(); }

    bool HitTest(VectorI point) const;
    void Move(VectorI delta);
    // Clamped to kMinWidth..kMaxSize x kMinHeight..kMaxSize. A shifted corner
    // moves by the size change actually made, so the opposite corner stays put.
    void Resize(int32_t widthChange, int32_t heightChange, int32_t xShift, int32_t yShift, bool maximised);
    void ApplyPendingViewResize();
    void StartRectAnimation(int32_t widthChange, int32_t heightChange, int32_t xShift, int32_t yShift,
                            bool maximised);
    void AnimateRect(uint32_t elapsed);
    bool IsAnimating() const { return mRectAnim.mDone < mRectAnim.mTotal; }
    float GetShowFadeLevel() const { return GetClampedRatio(mShowFade); }
    float GetHideFadeLevel() const { return GetClampedRatio(mHideFade); }
    void Maximise();
    void Restore();
    void UpdateFrameHover(VectorI mouse);

    // The page's pixels into the content texture, only when the page drew
    // since the last copy (or has just loaded); true when the texture must be
    // uploaded again.
    bool CopySurfaceToTexture();
    bool CopyFromSurface(BitmapSurface& surface);
    Texture& GetContentTexture() { return mContent; }

    // Called on the page's document-ready: the next surface copy must happen.
    void OnPageReady();
    // The cursor the page last asked for where the mouse is.
    WebCursor GetCursor() const { return mCursor; }

    // WebViewListener::View
    void OnChangeTitle(WebView*, const WebString&) override {}
    void OnChangeAddressBar(WebView*, const WebURL&) override {}
    void OnChangeTooltip(WebView*, const WebString&) override {}
    void OnChangeTargetURL(WebView*, const WebURL&) override {}
    void OnChangeCursor(WebView*, WebCursor cursor) override { mCursor = cursor; }
    void OnChangeFocus(WebView*, bool) override {}
    void OnAddConsoleMessage(WebView*, const WebString&) override {}
    // WebViewListener::Load
    // A page that loads anew (also when the view loads it again after its
    // web process ended) takes no scripts until it is ready.
    void OnBeginLoadingFrame(WebView* caller, const WebURL&) override;
    void OnFailLoadingFrame(WebView*, const WebURL&, const WebString&) override {}
    void OnFinishLoadingFrame(WebView*, const WebURL&) override {}
    void OnDocumentReady(WebView* caller, const WebURL&) override;

    WebView* GetView() const { return mView; }
    bool IsReady() const { return mReady; }
    bool IsNative() const { return mNative; }
    bool IsPageLoaded() const { return mPageLoaded; }
    bool IsInOwnWindow() const { return mInOwnWindow; }
    bool IsVisible() const { return mVisible; }
    bool IsMarkedShowAgain() const { return mShowAgain; }
    void SetShowAgain(bool mark) { mShowAgain = mark; }
    bool IsMaximised() const { return mMaximised; }
    void SetMaximised(bool maximised) { mMaximised = maximised; }
    bool HasButtons() const { return mButtons; }
    int32_t GetKind() const { return mKind; }
    const std::string& GetTitle() const { return mTitle; }
    const std::string& GetPagePath() const { return mPagePath; }
    VectorI GetPosition() const { return {mX, mY}; }
    VectorI GetSize() const { return {mWidth, mHeight}; }
    const FrameHover& GetHover() const { return mHover; }
    bool TakeForceCopy();
    bool IsForceCopy() const { return mForceCopy; }

private:
    void Queue(const char* script);
    // Power-of-two storage that holds the page area.
    void SizeContentTexture();
    void RunNow(WebView* view, const char* script);
    WebView* ScriptView() const;
    // Once per view: the window hears its own page's reports.
    void Listen();

    WebView* mView = nullptr;
    std::unique_ptr<WebPage> mOwnWindow;
    bool mInOwnWindow = false;
    std::string mPagePath;
    bool mNative = false;
    bool mReady = false;
    bool mPageLoaded = false;
    int32_t mKind = 0;
    int32_t mWidth = 0, mHeight = 0, mX = 0, mY = 0;
    int32_t mOwnX = 0, mOwnY = 0, mOwnWidth = 0, mOwnHeight = 0;
    bool mButtons = false;
    bool mViewResizePending = false;
    std::string mTitle;
    bool mMaximised = false;
    int32_t mKeptWidth = 0, mKeptHeight = 0, mKeptX = 0, mKeptY = 0;
    bool mVisible = false;
    bool mShowAgain = false;
    std::string mLuaText;
    std::string mPendingJavascript;
    bool mForceCopy = false;
    WebCursor mCursor = WebCursor::kPointer;
    Texture mContent;
    FrameHover mHover;
    RatioCounter mRectAnim{kAnimationLength, kAnimationLength};
    int32_t mStartX = 0, mStartY = 0, mStartWidth = 0, mStartHeight = 0;
    int32_t mTargetX = 0, mTargetY = 0, mTargetWidth = 0, mTargetHeight = 0;
    RatioCounter mShowFade{kAnimationLength, kAnimationLength};
    RatioCounter mHideFade{kAnimationLength, kAnimationLength};
};

} // namespace KIV
