#include "editor/EditWindow.h"
#include "base/Notices.h"
#include "editor/ViewWin.h"
#include "editor/webview/BitmapSurface.h"
#include "editor/webview/WebURL.h"
#include "editor/webview/WebView.h"
#include <algorithm>

namespace KIV {

namespace {
WebString ToWebString(const std::string& text) { return WebString::CreateFromUTF8(text.data(), text.size()); }
} // namespace

EditWindow::~EditWindow() {
    // The views outlive the windows (the core owns them): no report may reach
    // a window that is gone.
    if (mView && mView->GetViewListener() == this)
        mView->SetViewListener(nullptr);
    if (mView && mView->GetLoadListener() == this)
        mView->SetLoadListener(nullptr);
}

void EditWindow::Listen() {
    if (mView && !mView->GetViewListener()) {
        mView->SetViewListener(this);
        mView->SetLoadListener(this);
    }
}

void EditWindow::OnBeginLoadingFrame(WebView* caller, const WebURL&) {
    if (caller == mView)
        mPageLoaded = false;
}

void EditWindow::OnDocumentReady(WebView* caller, const WebURL&) {
    // A report of a view this window no longer shows is stale.
    if (caller == mView)
        OnPageReady();
}

bool EditWindow::Setup(WebView* view, bool native, bool buttons, int32_t kind, const std::string& title,
                       VectorI size, VectorF position) {
    if (size.mX <= 0 || size.mY <= 0)
        return false;
    mView = view;
    mNative = native;
    mWidth = size.mX;
    mHeight = size.mY;
    mX = static_cast<int32_t>(position.mX);
    mY = static_cast<int32_t>(position.mY);
    mKind = kind;
    mButtons = buttons;
    mTitle = title;
    mReady = mNative || mView != nullptr;
    if (!mNative)
        SizeContentTexture();
    return mReady;
}

void EditWindow::LoadPage(const std::string& path) {
    if (path.empty() || !mReady || mNative)
        return;
    mPagePath = path;
    mPageLoaded = false;
    Listen();
    if (mView)
        mView->LoadURL(WebURL(ToWebString(path)));
}

void EditWindow::Reload() {
    if (!mReady || mNative)
        return;
    if (auto* own = dynamic_cast<ViewWin*>(mOwnWindow.get()); own && own->GetView())
        own->GetView()->LoadURL(WebURL(ToWebString(mPagePath)));
    mPageLoaded = false;
    Listen();
    if (mView)
        mView->Reload(true);
}

void EditWindow::SetTitle(const std::string& title) {
    mTitle = title;
    if (mInOwnWindow && mOwnWindow)
        mOwnWindow->SetTitle(title);
}

WebView* EditWindow::ScriptView() const {
    if (mInOwnWindow) {
        auto* own = dynamic_cast<ViewWin*>(mOwnWindow.get());
        return own ? own->GetView() : nullptr;
    }
    return mView;
}

bool EditWindow::ExecuteJavascript(const std::string& script) {
    WebView* view = ScriptView();
    if (!view)
        return false;
    view->ExecuteJavascript(ToWebString(script), WebString());
    return true;
}

bool EditWindow::EvaluateJavascript(const std::string& script, std::string& result) {
    WebView* view = ScriptView();
    if (!view)
        return false;
    const JSValue value = view->ExecuteJavascriptWithResult(ToWebString(script), WebString());
    if (value.IsUndefined())
        return false;
    result = value.ToString().Utf8();
    return true;
}

void EditWindow::QueueJavascript(const std::string& script) {
    if (!mNative)
        mPendingJavascript += script;
}

void EditWindow::RunNow(WebView* view, const char* script) {
    if (view)
        view->ExecuteJavascript(ToWebString(script), WebString());
}

void EditWindow::StoreLuaScriptText(const std::string& text) {
    if (!mNative)
        mLuaText += text;
}

std::string EditWindow::TakeLuaScript() {
    std::string text;
    text.swap(mLuaText);
    return text;
}

std::string EditWindow::TakePendingJavascript() {
    std::string text;
    text.swap(mPendingJavascript);
    return text;
}

void EditWindow::Queue(const char* script) {
    if (!mNative)
        mPendingJavascript += script;
}

void EditWindow::Show() {
    mVisible = true;
    if (mInOwnWindow && mOwnWindow)
        mOwnWindow->Show();
    else
        mShowFade.mDone = 0;
    Queue(kShowEvents);
}

void EditWindow::Hide(bool markShowAgain) {
    mVisible = false;
    mShowAgain = markShowAgain;
    if (mInOwnWindow && mOwnWindow)
        mOwnWindow->Hide();
    else
        mHideFade.mDone = 0;
    Queue(kHideEvents);
}

bool EditWindow::MoveToOwnWindow(const OwnWindowFactory& factory) {
    if (mNative || mInOwnWindow)
        return mInOwnWindow;
    if (!mOwnWindow) {
        if (mOwnWidth == 0 && mOwnHeight == 0) {
            mOwnWidth = mWidth + 30;
            mOwnHeight = mHeight + 40;
            mOwnX = mX;
            mOwnY = mY;
        }
        mOwnWindow = factory ? factory(mOwnWidth, mOwnHeight, mPagePath) : nullptr;
        if (!mOwnWindow) {
            // The page stays in the game window, where it still works.
            ReportNotice("no desktop window could be made for \"" + mTitle + "\"; it stays in the game window");
            return false;
        }
        mOwnWindow->SetRect(mOwnX, mOwnY, mOwnWidth, mOwnHeight);
        mOwnWindow->SetTitle(mTitle);
    }
    mInOwnWindow = true;
    if (mVisible) {
        mOwnWindow->Show();
        RunNow(ScriptView(), kShowEvents);
    }
    RunNow(mView, kHideEvents);
    return true;
}

void EditWindow::ReturnFromOwnWindow() {
    if (!mInOwnWindow)
        return;
    WebView* ownView = ScriptView();
    mInOwnWindow = false;
    if (mOwnWindow) {
        mOwnWindow->Hide();
        RunNow(ownView, kHideEvents);
    }
    if (mVisible)
        RunNow(mView, kShowEvents);
}

void EditWindow::GetOwnWindowRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const {
    x = y = width = height = 0;
    if (mOwnWindow)
        mOwnWindow->GetRect(x, y, width, height);
}

void EditWindow::SetOwnWindowRect(VectorI position, VectorI size) {
    mOwnX = position.mX;
    mOwnY = position.mY;
    mOwnWidth = size.mX;
    mOwnHeight = size.mY;
    if (mOwnWindow)
        mOwnWindow->SetRect(mOwnX, mOwnY, mOwnWidth, mOwnHeight);
}

bool EditWindow::HitTest(VectorI p) const {
    if (mInOwnWindow)
        return false;
    return p.mX >= mX - 5 && p.mX < mX + mWidth + 5 && p.mY >= mY - 21 && p.mY < mY + mHeight + 5;
}

void EditWindow::Move(VectorI delta) {
    mX += delta.mX;
    mY += delta.mY;
}

void EditWindow::Resize(int32_t widthChange, int32_t heightChange, int32_t xShift, int32_t yShift,
                        bool maximised) {
    if (widthChange == 0 && heightChange == 0)
        return;
    const int32_t width = std::clamp(mWidth + widthChange, kMinWidth, kMaxSize);
    const int32_t height = std::clamp(mHeight + heightChange, kMinHeight, kMaxSize);
    if (width == mWidth && height == mHeight)
        return;
    // A shift belongs to a drag on the left or top side; there it must equal
    // the size taken away, else the far side would move when clamped.
    if (xShift != 0)
        xShift = mWidth - width;
    if (yShift != 0)
        yShift = mHeight - height;
    mWidth = width;
    mHeight = height;
    mX += xShift;
    mY += yShift;
    mMaximised = maximised;
    mViewResizePending = true;
    ApplyPendingViewResize();
    if (!mNative)
        SizeContentTexture();
}

void EditWindow::SizeContentTexture() {
    const VectorI storage = RoundUpToPowerOfTwo({mWidth, mHeight});
    if (storage.mX > 0 && storage.mY > 0 && (storage != mContent.mStorageSize || !mContent.mGenerated))
        mContent.InitBlank(storage);
}

bool EditWindow::CopySurfaceToTexture() {
    if (mInOwnWindow || !mView || !mPageLoaded)
        return false;
    ApplyPendingViewResize();
    if (mViewResizePending)
        return false;
    BitmapSurface* surface = mView->GetSurface();
    return surface && CopyFromSurface(*surface);
}

bool EditWindow::CopyFromSurface(BitmapSurface& surface) {
    if (!mContent.mGenerated || !mPageLoaded)
        return false;
    if (!surface.IsDirty() && !mForceCopy)
        return false;
    const VectorI storage = mContent.mStorageSize;
    // A surface larger than the texture waits for the texture to grow; the
    // old pixels stay meanwhile.
    if (mContent.mOwnPixels.Count() > 0 && surface.GetWidth() <= storage.mX && surface.GetHeight() <= storage.mY) {
        surface.CopyTo(reinterpret_cast<uint8_t*>(mContent.mOwnPixels.Data()), storage.mX * 4, 4, true, false);
        mForceCopy = false;
    }
    mContent.mOwnPixelsChanged = true;
    return true;
}

void EditWindow::ApplyPendingViewResize() {
    if (mView && mViewResizePending) {
        mView->Resize(mWidth, mHeight);
        mViewResizePending = false;
    }
}

void EditWindow::StartRectAnimation(int32_t widthChange, int32_t heightChange, int32_t xShift,
                                    int32_t yShift, bool maximised) {
    mRectAnim.mDone = 0;
    mStartX = mX;
    mStartY = mY;
    mStartWidth = mWidth;
    mStartHeight = mHeight;
    mTargetX = mX + xShift;
    mTargetY = mY + yShift;
    mTargetWidth = mWidth + widthChange;
    mTargetHeight = mHeight + heightChange;
    mMaximised = maximised;
}

void EditWindow::AnimateRect(uint32_t elapsed) {
    if (mRectAnim.mDone < mRectAnim.mTotal) {
        mRectAnim.mDone += elapsed;
        const float t = GetClampedRatio(mRectAnim);
        const float e = 1.0f - (1.0f - t) * (1.0f - t);
        VectorI corner{mStartX, mStartY};
        corner.MoveTowards({mTargetX, mTargetY}, e);
        VectorI size{mStartWidth, mStartHeight};
        size.MoveTowards({mTargetWidth, mTargetHeight}, e);
        // The animation places the window outright; no corner is held.
        const bool maximised = mMaximised;
        const int32_t oldX = mX, oldY = mY;
        Resize(size.mX - mWidth, size.mY - mHeight, 0, 0, maximised);
        Move({corner.mX - oldX, corner.mY - oldY});
    }
    if (mHideFade.mDone < mHideFade.mTotal)
        mHideFade.mDone += elapsed;
    if (mShowFade.mDone < mShowFade.mTotal)
        mShowFade.mDone += elapsed;
}

void EditWindow::Maximise() {
    if (!mButtons || mMaximised)
        return;
    mMaximised = true;
    mKeptX = mX;
    mKeptY = mY;
    mKeptWidth = mWidth;
    mKeptHeight = mHeight;
}

void EditWindow::Restore() {
    if (!mButtons || !mMaximised)
        return;
    StartRectAnimation(mKeptWidth - mWidth, mKeptHeight - mHeight, mKeptX - mX, mKeptY - mY, false);
    mMaximised = false;
}

void EditWindow::UpdateFrameHover(VectorI mouse) {
    mHover = ComputeFrameHover(mX, mY, mWidth, mHeight, mButtons, mouse.mX, mouse.mY);
}

void EditWindow::OnPageReady() {
    mPageLoaded = true;
    mForceCopy = true;
    if (mView)
        mView->AfterLoad();
    if (mVisible)
        Show();
}

bool EditWindow::TakeForceCopy() {
    const bool force = mForceCopy;
    mForceCopy = false;
    return force;
}

} // namespace KIV
