#include "editor/EditWindowManager.h"
#include "editor/webview/WebView.h"
#include <algorithm>

namespace KIV {

namespace {

struct WindowRow {
    int32_t mKind;
    const char* mTitle;
    const char* mPage; // without ".html"; null for the native window
    VectorF mPosition;
    VectorI mSize;
    bool mButtons;
};

const char* const kModePages[EditWindowManager::kModePageCount] = {
    "kiv_edit_scene",  "kiv_edit_terrain", "kiv_edit_robot",    "kiv_edit_object",
    "kiv_edit_joint",  "kiv_edit_particle_system", "kiv_edit_light", "kiv_edit_layers",
    "kiv_edit_water",  "kiv_edit_scenario", "kiv_edit_tests",
};

const WindowRow kOtherWindows[] = {
    {EditWindow::kTextureLibrary, "TEXTURE LIBRARY (F4)", "kiv_texture_lib", {100, 100}, {700, 512}, true},
    {EditWindow::kColourPicker, "COLOR PICKER", "kiv_color_picker", {200, 200}, {422, 165}, false},
    {EditWindow::kLuaConsole, "LUA CONSOLE", "kiv_lua_console", {150, 150}, {700, 512}, true},
    {EditWindow::kEditorBuilder, "EDITOR BUILDER (F6)", "kiv_edy_builder", {50, 50}, {700, 512}, true},
    {EditWindow::kHelp, "HELP (F1)", "kiv_help", {0, 0}, {512, 512}, true},
    {EditWindow::kRobotEditor, "ROBOT EDITOR (F7)", nullptr, {250, 0}, {450, 256}, true},
    {EditWindow::kRobotLibrary, "ROBOT LIBRARY (F8)", "kiv_robot_lib", {50, 50}, {600, 256}, true},
    {EditWindow::kLuaErrors, "LUA ERRORS (F5)", "kiv_lua_res", {0, 1000}, {1300, 256}, true},
};

} // namespace

void EditWindowManager::CreateAllWindows(VectorI screen, const std::string& pageFolder) {
    for (const char* page : kModePages)
        AddWindow(true, EditWindow::kEditModePage, "EDITOR (F2)", pageFolder + page + ".html",
                  {256, screen.mY - 20}, {static_cast<float>(screen.mX - 261), 5.0f});
    for (const WindowRow& row : kOtherWindows)
        AddWindow(row.mButtons, row.mKind, row.mTitle,
                  row.mPage ? pageFolder + row.mPage + ".html" : std::string(), row.mSize, row.mPosition);
}

int32_t EditWindowManager::AddWindow(bool buttons, int32_t kind, const std::string& title,
                                     const std::string& pagePath, VectorI size, VectorF position) {
    if (mWindows.size() >= mCapacity)
        return -1;
    const int32_t index = GetWindowCount();
    mWindows.push_back(std::make_unique<EditWindow>());
    // Only a window that made it into the list may be named by the z-order.
    mZOrder.push_back(index);
    EditWindow& window = *mWindows.back();
    if (pagePath.empty()) {
        window.Setup(nullptr, true, buttons, kind, title, size, position);
        return index;
    }
    WebView* view = mViewFactory ? mViewFactory(size.mX, size.mY) : nullptr;
    if (window.Setup(view, false, buttons, kind, title, size, position))
        window.LoadPage(pagePath);
    return index;
}

EditWindow* EditWindowManager::GetWindow(int32_t index) const {
    return IsValid(index) ? mWindows[static_cast<size_t>(index)].get() : nullptr;
}

EditWindow* EditWindowManager::FirstOfKind(int32_t kind) const {
    for (const auto& w : mWindows)
        if (w->GetKind() == kind)
            return w.get();
    return nullptr;
}

int32_t EditWindowManager::IndexOf(const EditWindow* window) const {
    for (int32_t i = 0; i < GetWindowCount(); ++i)
        if (mWindows[static_cast<size_t>(i)].get() == window)
            return i;
    return -1;
}

bool EditWindowManager::AnyVisible() const {
    return std::any_of(mWindows.begin(), mWindows.end(), [](const auto& w) { return w->IsVisible(); });
}

template <typename Op> void EditWindowManager::ForGroup(int32_t index, Op op) {
    if (IsModePage(index)) {
        for (int32_t i = 0; i < kModePageCount && i < GetWindowCount(); ++i)
            op(*mWindows[static_cast<size_t>(i)]);
    } else if (IsValid(index)) {
        op(*mWindows[static_cast<size_t>(index)]);
    }
}

void EditWindowManager::BringToFront(int32_t index) {
    if (!IsValid(index) || mZOrder.size() != mWindows.size())
        return;
    mZOrder.erase(std::find(mZOrder.begin(), mZOrder.end(), index));
    mZOrder.push_back(index);
}

bool EditWindowManager::FocusWindow(int32_t index) {
    if (!IsValid(index))
        return false;
    if (IsValid(mFocused) && mFocused != index)
        GetWindow(mFocused)->QueueBlurEvent();
    mFocused = index;
    GetWindow(index)->QueueFocusEvent();
    BringToFront(index);
    return true;
}

bool EditWindowManager::FocusWindow(const EditWindow* window) { return FocusWindow(IndexOf(window)); }

int32_t EditWindowManager::FocusWindowUnderMouse(VectorI point) {
    auto accepts = [&](int32_t i) {
        const EditWindow* w = GetWindow(i);
        return w && !w->IsInOwnWindow() && w->IsVisible() && w->HitTest(point);
    };
    if (accepts(mFocused))
        return mFocused;
    for (auto it = mZOrder.rbegin(); it != mZOrder.rend(); ++it) {
        if (!accepts(*it))
            continue;
        if (IsValid(mFocused))
            GetWindow(mFocused)->QueueBlurEvent();
        mFocused = *it;
        GetWindow(mFocused)->QueueFocusEvent();
        BringToFront(mFocused);
        return mFocused;
    }
    if (IsValid(mFocused))
        GetWindow(mFocused)->QueueBlurEvent();
    mFocused = -1;
    return -1;
}

void EditWindowManager::HideAllWindows() {
    for (auto& w : mWindows)
        if (w->IsVisible())
            w->Hide(true);
    mAllHidden = true;
}

void EditWindowManager::ShowMarkedWindows() {
    mAllHidden = false;
    for (auto& w : mWindows)
        if (w->IsMarkedShowAgain())
            w->Show();
}

void EditWindowManager::ShowHideKind(int32_t kind, bool focus) {
    if (mAllHidden) {
        for (auto& w : mWindows)
            if (w->GetKind() == kind)
                w->SetShowAgain(true);
        ShowMarkedWindows();
    } else {
        for (int32_t i = 0; i < GetWindowCount(); ++i) {
            EditWindow& w = *mWindows[static_cast<size_t>(i)];
            if (w.GetKind() != kind)
                continue;
            if (w.IsVisible()) {
                w.Hide(false);
            } else {
                w.Show();
                if (focus)
                    FocusWindow(i);
            }
        }
    }
    mAllHidden = !AnyVisible();
}

void EditWindowManager::ShowHideSingle(bool& shown, int32_t kind, const std::function<void(EditWindow&)>& place) {
    shown = !shown;
    if (EditWindow* w = FirstOfKind(kind)) {
        if (shown) {
            if (place)
                place(*w);
            FocusWindow(w);
            w->Show();
        } else {
            w->Hide(false);
        }
    }
    if (!shown && !mAllHidden)
        mAllHidden = !AnyVisible();
    else if (shown && mAllHidden)
        mAllHidden = false;
}

void EditWindowManager::ShowHideLuaErrors() { ShowHideSingle(mLuaErrorsShown, EditWindow::kLuaErrors, nullptr); }

void EditWindowManager::ShowHideHelp(VectorI screen) {
    ShowHideSingle(mHelpShown, EditWindow::kHelp, [&](EditWindow& w) {
        const VectorI size = w.GetSize();
        const VectorI corner{std::max(0, screen.mX / 2 - size.mX / 2), std::max(0, screen.mY / 2 - size.mY / 2)};
        w.Move(corner - w.GetPosition());
    });
}

void EditWindowManager::ShowEditModePage(int32_t mode, bool objectFlag, bool jointFlag, bool particleFlag) {
    const int32_t pages = std::min(kModePageCount, GetWindowCount());
    int32_t noted = -1;
    if (IsModePage(mode) && mode < pages && GetWindow(mode)->IsInOwnWindow())
        for (int32_t i = 0; i < pages && noted < 0; ++i)
            if (GetWindow(i)->IsVisible())
                noted = i;
    bool robotPageShown = false;
    bool robotPagesHidden = false;
    for (int32_t i = 0; i < pages; ++i) {
        EditWindow& w = *GetWindow(i);
        if (i == mode) {
            if (!w.IsVisible()) {
                FocusWindow(i);
                if (noted >= 0) {
                    int32_t x, y, width, height;
                    GetWindow(noted)->GetOwnWindowRect(x, y, width, height);
                    w.SetOwnWindowRect({x, y}, {width, height});
                }
                w.Show();
                robotPageShown = i == 2;
            }
            w.SetShowAgain(true);
        } else {
            if (w.IsVisible()) {
                w.Hide(false);
                robotPagesHidden = robotPagesHidden || (i >= 2 && i <= 4);
            }
            w.SetShowAgain(false);
        }
    }
    EditWindow* robotEditor = GetRobotEditorWindow();
    if (!robotEditor)
        return;
    const bool visible = robotEditor->IsVisible();
    if (mode >= 3 && mode <= 5) {
        const bool wanted = mode == 3 ? objectFlag : mode == 4 ? jointFlag : particleFlag;
        if (wanted != visible)
            ShowHideRobotEditor(false);
    } else if (mode == 2 && robotPageShown) {
        if (!visible)
            ShowHideRobotEditor(false);
    } else if (robotPagesHidden && visible) {
        ShowHideRobotEditor(false);
    }
}

void EditWindowManager::ReloadAllPages() {
    for (auto& w : mWindows) {
        w->Reload();
        if (w->IsVisible())
            w->Show();
    }
}

void EditWindowManager::MarkPagePicturesForUpload() {
    for (auto& w : mWindows)
        if (!w->IsNative() && w->GetContentTexture().mOwnPixels.Count() > 0)
            w->GetContentTexture().mOwnPixelsChanged = true;
}

void EditWindowManager::MoveWindow(VectorI delta) {
    ForGroup(mDragWindow, [&](EditWindow& w) { w.Move(delta); });
}

void EditWindowManager::BeginResize(int32_t zone) {
    mResizeZone = zone >= 1 && zone <= 8 ? static_cast<ResizeZone>(zone) : ResizeZone::None;
    if (mResizeZone != ResizeZone::None)
        mResizeWindow = mFocused;
}

void EditWindowManager::ResizeWindow(int32_t widthChange, int32_t heightChange, int32_t xShift, int32_t yShift) {
    ForGroup(mResizeWindow, [&](EditWindow& w) {
        w.SetMaximised(false);
        w.Resize(widthChange, heightChange, xShift, yShift, false);
    });
}

void EditWindowManager::ToggleMaximised() {
    EditWindow* focused = GetFocusedWindow();
    if (!focused)
        return;
    const bool restore = focused->IsMaximised();
    ForGroup(mFocused, [&](EditWindow& w) {
        if (restore)
            w.Restore();
        else
            w.Maximise();
    });
}

void EditWindowManager::PlaceMaximisedWindows(VectorI screen) {
    const VectorI corner{2, 16};
    const VectorI size{screen.mX - 4, screen.mY - 18};
    for (auto& w : mWindows) {
        if (!w->IsMaximised() || w->IsAnimating())
            continue;
        if (w->GetPosition() == corner && w->GetSize() == size)
            continue;
        const VectorI grow = size - w->GetSize();
        const VectorI shift = corner - w->GetPosition();
        w->StartRectAnimation(grow.mX, grow.mY, shift.mX, shift.mY, true);
    }
}

void EditWindowManager::KeepWindowsOnScreen(VectorI screen) {
    for (int32_t i = 0; i < GetWindowCount(); ++i) {
        if (IsModePage(i) && i > 0)
            continue;
        EditWindow& w = *GetWindow(i);
        if (w.HasButtons()) {
            const VectorI size = w.GetSize();
            const int32_t shrinkX = std::min(0, screen.mX - 4 - size.mX);
            const int32_t shrinkY = std::min(0, screen.mY - 18 - size.mY);
            if (shrinkX != 0 || shrinkY != 0)
                ForGroup(i, [&](EditWindow& g) { g.Resize(shrinkX, shrinkY, 0, 0, g.IsMaximised()); });
        }
        const VectorI p = w.GetPosition();
        const VectorI s = w.GetSize();
        int32_t xShift = 0, yShift = 0;
        if (p.mX <= 2)
            xShift = 2 - p.mX;
        if (p.mX + xShift + s.mX >= screen.mX - 2)
            xShift = screen.mX - p.mX - s.mX - 2;
        if (p.mY + s.mY >= screen.mY - 2)
            yShift = screen.mY - p.mY - s.mY - 2;
        if (p.mY + yShift <= 16)
            yShift = 16 - p.mY;
        if (xShift != 0 || yShift != 0)
            ForGroup(i, [&](EditWindow& g) { g.Move({xShift, yShift}); });
    }
}

void EditWindowManager::ToggleOwnWindow(int32_t index) {
    EditWindow* leader = GetWindow(index);
    if (!leader)
        return;
    if (leader->IsInOwnWindow()) {
        ForGroup(index, [](EditWindow& w) { w.ReturnFromOwnWindow(); });
        return;
    }
    bool failed = false;
    ForGroup(index, [&](EditWindow& w) {
        if (!failed && !w.MoveToOwnWindow(mOwnWindowFactory))
            failed = true;
    });
    // The group shares one place: when one page could not go, all stay.
    if (failed)
        ForGroup(index, [](EditWindow& w) { w.ReturnFromOwnWindow(); });
}

void EditWindowManager::ToggleAllOwnWindows() {
    if (mWindows.empty())
        return;
    const bool out = !mWindows.front()->IsInOwnWindow();
    for (auto& w : mWindows) {
        if (w->IsNative())
            continue;
        if (out && !w->IsInOwnWindow())
            w->MoveToOwnWindow(mOwnWindowFactory);
        else if (!out && w->IsInOwnWindow())
            w->ReturnFromOwnWindow();
    }
}

void EditWindowManager::ReturnAllFromOwnWindows() {
    for (auto& w : mWindows)
        if (w->IsInOwnWindow())
            w->ReturnFromOwnWindow();
}

int32_t EditWindowManager::TakeFunctionKey(int32_t& index) {
    for (int32_t i = 0; i < GetWindowCount(); ++i) {
        EditWindow& w = *GetWindow(i);
        if (!w.IsInOwnWindow() || !w.GetOwnWindow())
            continue;
        const int32_t key = w.GetOwnWindow()->TakeFunctionKey();
        if (key >= 0) {
            index = i;
            return key;
        }
    }
    index = -1;
    return -1;
}

int32_t EditWindowManager::HandleCloseRequests() {
    for (int32_t i = 0; i < GetWindowCount(); ++i) {
        EditWindow& w = *GetWindow(i);
        if (w.GetOwnWindow() && w.GetOwnWindow()->TakeCloseRequest()) {
            w.Hide(false);
            return i;
        }
    }
    return -1;
}

int32_t EditWindowManager::HandleMinimiseRequests() {
    for (int32_t i = 0; i < GetWindowCount(); ++i) {
        EditWindow& w = *GetWindow(i);
        if (w.GetOwnWindow() && w.GetOwnWindow()->TakeMinimisedFlag()) {
            ToggleOwnWindow(i);
            return i;
        }
    }
    return -1;
}

FrameOutcome EditWindowManager::HandleFrame(const FrameMouse& mouse, VectorI screen, uint32_t elapsed) {
    FrameOutcome outcome;
    if (!mouse.mAnyButtonActive && mouse.mWheel == 0)
        FocusWindowUnderMouse(mouse.mPosition);
    PlaceMaximisedWindows(screen);
    for (auto& w : mWindows)
        w->AnimateRect(elapsed);
    EditWindow* focused = GetFocusedWindow();
    if (!focused)
        return outcome;
    focused->UpdateFrameHover(mouse.mPosition);
    const FrameHover hover = focused->GetHover();
    const VectorI delta = mouse.mPosition - mouse.mPrevious;
    if (hover.mClose && mouse.mLeftDown) {
        if (focused->GetKind() == EditWindow::kHelp) {
            ShowHideHelp(screen);
        } else if (focused->GetKind() == EditWindow::kLuaErrors) {
            ShowHideLuaErrors();
        } else if (IsModePage(mFocused)) {
            outcome.mReturnToGameMode = true;
            HideAllWindows();
        } else {
            focused->Hide(false);
            mFocused = -1;
        }
        return outcome;
    }
    if (hover.mOwnWindow && mouse.mLeftClicked) {
        ToggleOwnWindow(mFocused);
    } else if ((hover.mMaximise && mouse.mLeftDown) || (hover.mTitleBar && mouse.mLeftDoubleClicked)) {
        ToggleMaximised();
    } else if (hover.mDragPart && mouse.mLeftDown) {
        mDragging = true;
        mDragWindow = mFocused;
    }
    if (mDragging) {
        MoveWindow(delta);
        if (mouse.mLeftUp)
            mDragging = false;
    }
    if (mouse.mLeftDown && hover.mZone != ResizeZone::None && !hover.mTitleBar)
        BeginResize(static_cast<int32_t>(hover.mZone));
    if (mResizeZone != ResizeZone::None) {
        const ResizeStep step = ResizeStepForZone(mResizeZone, delta.mX, delta.mY);
        ResizeWindow(step.mWidthChange, step.mHeightChange, step.mXShift, step.mYShift);
    }
    if (mouse.mLeftUp)
        mResizeZone = ResizeZone::None;
    outcome.mForwardInput = !hover.mTitleBar && !mDragging && mResizeZone == ResizeZone::None;
    return outcome;
}

} // namespace KIV

namespace KIV {

namespace {
// The view of the focused page while the game window shows it.
WebView* InGameView(EditWindow* window) {
    return window && !window->IsInOwnWindow() && !window->IsNative() ? window->GetView() : nullptr;
}
} // namespace

bool EditWindowManager::ForwardMouseToFocused(const FrameMouse& mouse) {
    EditWindow* window = GetFocusedWindow();
    WebView* view = InGameView(window);
    if (!view)
        return false;
    // The move first, so a press lands where the mouse is now.
    if (mouse.mMoved) {
        const VectorI at = mouse.mPosition - window->GetPosition();
        view->InjectMouseMove(at.mX, at.mY);
    }
    if (mouse.mLeftDown)
        view->InjectMouseDown(kMouseButton_Left);
    if (mouse.mLeftUp)
        view->InjectMouseUp(kMouseButton_Left);
    if (mouse.mRightDown)
        view->InjectMouseDown(kMouseButton_Right);
    if (mouse.mRightUp)
        view->InjectMouseUp(kMouseButton_Right);
    if (mouse.mWheel != 0)
        view->InjectMouseWheel(mouse.mWheel * 30, 0);
    return true;
}

bool EditWindowManager::ForwardKeyToFocused(const WebKeyboardEvent& event) {
    WebView* view = InGameView(GetFocusedWindow());
    if (!view)
        return false;
    view->InjectKeyboardEvent(event);
    return true;
}

} // namespace KIV
