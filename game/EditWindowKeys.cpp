#include "editor/webview/WebCore.h"
#include "game/CursorChoice.h"
#include "game/GameKeys.h"
#include "game/KIVGame.h"

namespace KIV {

namespace {

FrameMouse SampleFrameMouse(const InputDevices& in, VectorI position, VectorI previous)
{
    FrameMouse m;
    m.mPosition = position;
    m.mPrevious = previous;
    for (int32_t button = 0; button < 4; ++button)
        if (in.IsMouseButtonDown(0, button) || in.IsMouseButtonPressed(0, button) ||
            in.IsMouseButtonReleased(0, button))
            m.mAnyButtonActive = true;
    m.mLeftDown = in.IsMouseButtonPressed(0, 1);
    m.mLeftUp = in.IsMouseButtonReleased(0, 1);
    m.mLeftClicked = in.IsMouseButtonClicked(0, 1);
    m.mLeftDoubleClicked = in.IsMouseButtonDoubleClicked(0, 1);
    m.mRightDown = in.IsMouseButtonPressed(0, 3);
    m.mRightUp = in.IsMouseButtonReleased(0, 3);
    m.mMoved = in.HasMouseMoved(0);
    m.mWheel = in.GetMouseWheel(0);
    return m;
}

} // namespace

void KIVGame::EnterEditMode()
{
    // The scenario page is not one to start editing on.
    if (mEditMode == 9) mEditMode = 0;
    mGameMode = false;
    mEditWindows.ShowMarkedWindows();
    mEditWindows.ShowEditModePage(mEditMode, false, false, false);
}

void KIVGame::FollowEditModePage()
{
    // A mode switch (a page's button, a digit key) only changes the edit mode:
    // while the editor shows a mode page, the page of the new mode takes its
    // place. The robot editor stays open when the switch goes on to edit the
    // robot's own parts.
    if (mGameMode || mEditWindows.IsAllHidden()) return;
    if (mEditMode < 0 || mEditMode >= EditWindowManager::kModePageCount) return;
    const EditWindow* page = mEditWindows.GetWindow(mEditMode);
    if (!page || page->IsVisible()) return;
    bool otherShown = false;
    for (int32_t i = 0; i < EditWindowManager::kModePageCount; ++i)
        if (const EditWindow* w = mEditWindows.GetWindow(i); w && w->IsVisible()) otherShown = true;
    if (!otherShown) return;
    const EditWindow* robotEditor = mEditWindows.GetRobotEditorWindow();
    const bool robotEditorOpen = robotEditor && robotEditor->IsVisible();
    mEditWindows.ShowEditModePage(mEditMode, robotEditorOpen && mRobotEditTarget == 0,
                                  robotEditorOpen && mRobotEditTarget == 1, robotEditorOpen && mRobotEditTarget == 2);
}

void KIVGame::HandleEditWindowKey(int32_t functionKey)
{
    const VectorI screen{mWindowWidth, mWindowHeight};
    switch (functionKey) {
    case 0: mEditWindows.ShowHideHelp(screen); break;
    case 1:
        if (mGameMode) {
            EnterEditMode();
        } else {
            mGameMode = true;
            mEditWindows.HideAllWindows();
        }
        break;
    case 2:
        if (mGameMode)
            EnterEditMode();
        else if (mEditWindows.IsAllHidden())
            mEditWindows.ShowMarkedWindows();
        else
            mEditWindows.HideAllWindows();
        break;
    case 3:
        mGameMode = false;
        mEditWindows.ShowHideTextureLibrary();
        break;
    case 4: mEditWindows.ShowHideLuaErrors(); break;
    case 5:
        mGameMode = false;
        mEditWindows.ShowHideEditorBuilder();
        break;
    case 6: mEditWindows.ShowHideRobotEditor(true); break;
    case 7:
        mGameMode = false;
        mEditWindows.ShowHideRobotLibrary();
        break;
    case 10: mEditWindows.ToggleOwnWindow(mEditWindows.GetFocusedIndex()); break;
    case 11: mEditWindows.ReturnAllFromOwnWindows(); break;
    default: break;
    }
}

void KIVGame::HandleEditWindowFrame()
{
    const InputDevices& in = mInput;
    // Escape let go while the help is up closes the help instead of counting.
    if (mEditWindows.IsHelpShown() && in.IsKeyReleased(0, Key::kEscape))
        mEditWindows.ShowHideHelp({mWindowWidth, mWindowHeight});
    for (int32_t key : {0, 1, 2, 3, 4, 5, 6, 7, 10, 11})
        if (IsCombo(in, ComboWhen::kPressed, kNoMod, Key::F(key + 1))) HandleEditWindowKey(key);
    // Reloading pages under the mouse would drop what the player is doing there.
    if (mEditWindows.GetFocusedIndex() < 0 && IsCombo(in, ComboWhen::kPressed, kCtrl, Key::F(3)))
        mEditWindows.ReloadAllPages();
    int32_t window = -1;
    const int32_t handedOver = mEditWindows.TakeFunctionKey(window);
    if (handedOver >= 1 && handedOver <= 7) HandleEditWindowKey(handedOver);
    mEditWindows.HandleCloseRequests();
    mEditWindows.HandleMinimiseRequests();

    const FrameMouse mouse = SampleFrameMouse(in, mMousePosition, mPreviousFrameMouse);
    mPreviousFrameMouse = mMousePosition;
    const uint32_t elapsed = mTiming.mElapsedMs;
    const FrameOutcome outcome = mEditWindows.HandleFrame(mouse, {mWindowWidth, mWindowHeight}, elapsed);
    if (outcome.mReturnToGameMode) mGameMode = true;
    if (outcome.mForwardInput) ForwardInputToPage(mouse);
    // The robot editor edits the edit robot in its own panel, in edit mode
    // only, and takes the mouse and keys while it is the window under the mouse.
    const EditWindow* robotEditor = mEditWindows.GetRobotEditorWindow();
    if (!mGameMode && robotEditor && robotEditor->IsVisible()) {
        if (robotEditor == mEditWindows.GetFocusedWindow() && outcome.mForwardInput && !mEditWindows.IsDragging()) {
            mRobotPanel.HandleInput(in);
            RobotEditInput(*this, mRobotPanel.GetRobotEditView(*robotEditor), 0);
        }
        RobotEditUpdate(*this, static_cast<int32_t>(elapsed));
    }
    mRobotPanel.Update(static_cast<int32_t>(elapsed));
    FollowEditModePage();
    mCursors.SetKind(ChooseCursorKind(mEditWindows.GetFocusedWindow(), mGameMode));
    if (WebCore* core = WebCore::instance()) core->Update();
    mEditWindows.KeepWindowsOnScreen({mWindowWidth, mWindowHeight});
}

} // namespace KIV
