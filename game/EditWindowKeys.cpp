#include "base/FileUtils.h"
#include "editor/webview/WebCore.h"
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
    m.mWheel = in.GetMouseWheel(0);
    return m;
}

} // namespace

void KIVGame::CreateEditWindows()
{
    // Pages get views only when the HTML views were started with the window;
    // without them every window still has its place, flags and events.
    mEditWindows.SetViewFactory([](int32_t width, int32_t height) -> WebView* {
        WebCore* core = WebCore::instance();
        return core ? core->CreateWebView(width, height, nullptr, kWebViewType_Offscreen) : nullptr;
    });
    const std::string root = mDataRoot.empty() ? GetExecutableDirectory() + "../" : mDataRoot;
    mEditWindows.CreateAllWindows({mWindowWidth, mWindowHeight}, root + "Editor/");
}

void KIVGame::HandleEditWindowKey(int32_t functionKey)
{
    const VectorI screen{mWindowWidth, mWindowHeight};
    switch (functionKey) {
    case 0: mEditWindows.ShowHideHelp(screen); break;
    case 1:
        if (mGameMode) {
            mGameMode = false;
            mEditWindows.ShowMarkedWindows();
            mEditWindows.ShowEditModePage(mEditMode, false, false, false);
        } else {
            mGameMode = true;
            mEditWindows.HideAllWindows();
        }
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
    default: break;
    }
}

void KIVGame::HandleEditWindowFrame()
{
    const InputDevices& in = mInput;
    // Escape let go while the help is up closes the help instead of counting.
    if (mEditWindows.IsHelpShown() && in.IsKeyReleased(0, Key::kEscape))
        mEditWindows.ShowHideHelp({mWindowWidth, mWindowHeight});
    for (int32_t key : {0, 1, 3, 4, 5, 6, 7, 10})
        if (IsCombo(in, ComboWhen::kPressed, kNoMod, Key::F(key + 1))) HandleEditWindowKey(key);
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
    // Until the robot editor's own panel shows the edit robot, it is edited in
    // the game's window while the robot editor is open.
    const EditWindow* robotEditor = mEditWindows.GetRobotEditorWindow();
    if (!mGameMode && robotEditor && robotEditor->IsVisible() && !mEditWindows.IsDragging()) {
        RobotEditInput(*this, GetGameWindowRobotEditView(*this), 0);
        RobotEditUpdate(*this, static_cast<int32_t>(elapsed));
    }
    if (WebCore* core = WebCore::instance()) core->Update();
    mEditWindows.KeepWindowsOnScreen({mWindowWidth, mWindowHeight});
}

} // namespace KIV
