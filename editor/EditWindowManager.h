#pragma once
#include "base/Vector.h"
#include "editor/EditWindow.h"
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace KIV {

class WebView;
struct WebKeyboardEvent;

// The mouse as the frame interaction sees it for one frame.
struct FrameMouse {
    VectorI mPosition;
    VectorI mPrevious;
    bool mAnyButtonActive = false; // some button held, pressed or released
    bool mLeftDown = false;
    bool mLeftUp = false;
    bool mLeftClicked = false;
    bool mLeftDoubleClicked = false;
    bool mRightDown = false;
    bool mRightUp = false;
    bool mMoved = false; // the mouse moved this frame
    int32_t mWheel = 0;
};

struct FrameOutcome {
    // A mode page was closed: the game goes back to game mode.
    bool mReturnToGameMode = false;
    // The mouse is on no frame part: mouse and keys go to the focused page.
    bool mForwardInput = false;
};

// Owns the in-game editor windows: the list (an index is a window's identity
// everywhere), the z-order (last = topmost), the focus, the all-hidden state
// and the dragging, resizing and maximising of frames.
class EditWindowManager {
public:
    static constexpr int32_t kWindowCount = 19;
    static constexpr int32_t kModePageCount = 11;
    static constexpr int32_t kHelpIndex = 15;
    static constexpr int32_t kRobotEditorIndex = 16;
    static constexpr int32_t kLuaErrorsIndex = 18;

    // Makes the off-screen view for a page; null when it cannot.
    using ViewFactory = std::function<WebView*(int32_t width, int32_t height)>;

    explicit EditWindowManager(size_t capacity = kWindowCount) : mCapacity(capacity) {}

    void SetViewFactory(ViewFactory factory) { mViewFactory = std::move(factory); }
    void SetOwnWindowFactory(OwnWindowFactory factory) { mOwnWindowFactory = std::move(factory); }

    // The nineteen windows, pages found in pageFolder (ending in a separator).
    void CreateAllWindows(VectorI screen, const std::string& pageFolder);
    // The new window's index, or -1 when the list cannot take another.
    int32_t AddWindow(bool buttons, int32_t kind, const std::string& title, const std::string& pagePath,
                      VectorI size, VectorF position);

    int32_t GetWindowCount() const { return static_cast<int32_t>(mWindows.size()); }
    EditWindow* GetWindow(int32_t index) const;
    const std::vector<int32_t>& GetZOrder() const { return mZOrder; }
    int32_t GetFocusedIndex() const { return mFocused; }
    EditWindow* GetFocusedWindow() const { return GetWindow(mFocused); }
    EditWindow* GetRobotEditorWindow() const { return FirstOfKind(EditWindow::kRobotEditor); }
    bool IsAllHidden() const { return mAllHidden; }
    bool IsDragging() const { return mDragging; }
    ResizeZone GetResizeZone() const { return mResizeZone; }

    void BringToFront(int32_t index);
    bool FocusWindow(int32_t index);
    bool FocusWindow(const EditWindow* window);
    int32_t FocusWindowUnderMouse(VectorI point);

    void HideAllWindows();
    void ShowMarkedWindows();
    void ShowHideLuaConsole() { ShowHideKind(EditWindow::kLuaConsole, true); }
    void ShowHideTextureLibrary() { ShowHideKind(EditWindow::kTextureLibrary, true); }
    void ShowHideEditorBuilder() { ShowHideKind(EditWindow::kEditorBuilder, true); }
    void ShowHideRobotLibrary() { ShowHideKind(EditWindow::kRobotLibrary, true); }
    void ShowHideRobotEditor(bool focus) { ShowHideKind(EditWindow::kRobotEditor, focus); }
    void ShowHideLuaErrors();
    void ShowHideHelp(VectorI screen);
    bool IsHelpShown() const { return mHelpShown; }
    void ShowEditModePage(int32_t mode, bool objectFlag, bool jointFlag, bool particleFlag);
    void ReloadAllPages();
    // After the GL context was made again: every page picture is uploaded
    // anew from the pixels the windows keep, before its page draws again.
    void MarkPagePicturesForUpload();

    void MoveWindow(VectorI delta);
    void BeginResize(int32_t zone);
    void ResizeWindow(int32_t widthChange, int32_t heightChange, int32_t xShift, int32_t yShift);
    void ToggleMaximised();
    void PlaceMaximisedWindows(VectorI screen);
    void KeepWindowsOnScreen(VectorI screen);

    void ToggleOwnWindow(int32_t index);
    void ToggleAllOwnWindows();
    // Every window in a desktop window of its own comes back into the game.
    void ReturnAllFromOwnWindows();
    int32_t TakeFunctionKey(int32_t& index);
    int32_t HandleCloseRequests();
    int32_t HandleMinimiseRequests();

    // Focus, frame hover, close, maximise, own window, drag and resize for one
    // frame; the caller forwards mouse and keys when the outcome says so.
    FrameOutcome HandleFrame(const FrameMouse& mouse, VectorI screen, uint32_t elapsed);
    // The mouse's buttons, moves (in page pixels) and wheel to the focused
    // page while it is in the game window; false when no page took them.
    bool ForwardMouseToFocused(const FrameMouse& mouse);
    bool ForwardKeyToFocused(const WebKeyboardEvent& event);

private:
    static bool IsModePage(int32_t index) { return index >= 0 && index < kModePageCount; }
    bool IsValid(int32_t index) const { return index >= 0 && index < GetWindowCount(); }
    EditWindow* FirstOfKind(int32_t kind) const;
    int32_t IndexOf(const EditWindow* window) const;
    bool AnyVisible() const;
    void ShowHideKind(int32_t kind, bool focus);
    // The help and the Lua errors: one window each, with its own shown state.
    void ShowHideSingle(bool& shown, int32_t kind, const std::function<void(EditWindow&)>& place);
    // The mode pages share one place: an operation on one applies to all.
    template <typename Op> void ForGroup(int32_t index, Op op);

    size_t mCapacity;
    std::vector<std::unique_ptr<EditWindow>> mWindows;
    std::vector<int32_t> mZOrder;
    int32_t mFocused = -1;
    bool mAllHidden = false;
    bool mDragging = false;
    int32_t mDragWindow = -1;
    ResizeZone mResizeZone = ResizeZone::None;
    int32_t mResizeWindow = -1;
    bool mHelpShown = false;
    bool mLuaErrorsShown = false;
    ViewFactory mViewFactory;
    OwnWindowFactory mOwnWindowFactory;
};

} // namespace KIV
