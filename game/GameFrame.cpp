#include "base/Notices.h"
#include "base/Statistics.h"
#include "game/GameKeys.h"
#include "game/KIVGame.h"
#include "game/PageMethods.h"
#include "game/ScriptAPI.h"
#include "physics/world/GameSettings.h"
#include "physics/toys/Toy.h"
#include "script/ScriptHost.h"

namespace KIV {

bool KIVGame::RunGameFrame(uint32_t ticks)
{
    if (mQuit) return true;
    if (!mFirstFrameDone) FirstFrameStartUp();
    mTiming.Update(ticks);
    // Captured frames each advance the world by a thirtieth of a second,
    // whatever the clock says.
    if (mFrameCapture) mTiming.mStepsDue = mTiming.GetMaxStepsPerFrame();
    const bool handled = mTiming.mStepsDue != 0;
    if (handled) HandleFrame();
    if (mSavedNoticeCounter < kSavedNoticeFrames) ++mSavedNoticeCounter;
    Notices().AgeOneFrame();
    return handled;
}

void KIVGame::FirstFrameStartUp()
{
    // Scripting comes first: the start-up content already runs robot scripts.
    if (gScriptHost) gScriptHost->InitScriptVM(&RegisterScriptAPI);
    StartRobotScripting();
    LoadStartUpContent();
    PageMethods::LoadEdyBuilder(*this);
    StartPageViews();
    CreateEditWindows();
    PageMethods::ReloadEdyPages(*this);
    mRobotLibrary.SetFolder(GetDataPath("Robots"));
    mRobotLibrary.Reload();
    mFirstFrameDone = true;
}

void KIVGame::SampleMouse()
{
    mMousePosition = mInput.GetMousePosition(0);
    if (mMousePosition != mLastMousePosition && mMouseNotYetMoved && --mMouseMoveCountdown <= 0)
        mMouseNotYetMoved = false;
    mLastMousePosition = mMousePosition;
    // Until the player moves the mouse, aim at a fixed spot a little right of centre.
    VectorI p = mMouseNotYetMoved ? VectorI(mWindowWidth * 4 / 7, mWindowHeight * 6 / 13) : mMousePosition;
    if (mWindowWidth > 0 && mWindowHeight > 0) {
        VectorF view(float(p.mX) / float(mWindowWidth), float(p.mY) / float(mWindowHeight));
        mMouseWorld = mLayers.ConvertPoint(0, view);
    }
    StatSetIntPair(kStatMousePositionWindow, p.mX, p.mY);
    StatSetFloatPair(kStatMousePositionWorld, mMouseWorld.mX, mMouseWorld.mY);
}

void KIVGame::HandleFrame()
{
    StatSetIntPair(kStatPictureResolution, mWindowWidth, mWindowHeight);
    StatSetInt(kStatPhysicsFrequency, mTiming.GetFrequency());
    StatSetByte(kStatParallelismEnabled, gSettings->mParallelismEnabled);
    SampleMouse();

    // Escape held long enough ends the game: about a second at 210 Hz.
    if (mInput.IsKeyDown(0, Key::kEscape) && !mEditWindows.IsHelpShown()) {
        mEscapeCounter += 10 * static_cast<int32_t>(mTiming.mStepsDue);
        if (mEscapeCounter >= kEscapeHoldLimit) {
            mQuit = true;
            return;
        }
    } else {
        mEscapeCounter = 0;
    }

    HandleKeyCommands();
    HandleEditWindowFrame();
    if (!mGameMode) SceneEditInput();
    RunPageScripts();
    CarryOutRequestedRun();
    RunDueSteps();
    StatSetInt(kStatFps, mTiming.mFramesPerSecond);
    UpdateCamera();
}

void KIVGame::HandleKeyCommands()
{
    const InputDevices& in = mInput;
    if (IsCombo(in, ComboWhen::kPressed, kAlt, Key::F(4))) mQuit = true;
    if (IsCombo(in, ComboWhen::kReleased, kCtrl, Key::Letter('s'))) {
        std::string path = GetSceneFilePath();
        if (SaveScene(path)) mSavedNoticeCounter = 0;
        LoadScene(path);
        RebuildDerivedState();
    }
    // Keys typed into a page are not the game's.
    const bool pageHasKeys = mEditWindows.GetFocusedIndex() >= 0;
    if (!pageHasKeys && IsCombo(in, ComboWhen::kPressed, kNoMod, Key::Letter('p'))) mPaused = !mPaused;
    mSingleStep = false;
    if (!pageHasKeys && in.IsKeyPressedOrRepeated(0, Key::Letter('o'))) {
        if (mPaused) mSingleStep = true;
        mPaused = true;
    }
    if (mPaused && !pageHasKeys)
        for (char c : {'w', 'a', 's', 'd'})
            if (in.IsKeyPressedOrRepeated(0, Key::Letter(c))) mSingleStep = true;
    if (IsCombo(in, ComboWhen::kPressed, kCtrl | kShift, Key::F(1)))
        gSettings->mParallelismEnabled = !gSettings->mParallelismEnabled;
    if (IsCombo(in, ComboWhen::kPressed, kCtrl, Key::F(1))) mLogDisplay = !mLogDisplay;
    if (!mGameMode && IsCombo(in, ComboWhen::kPressed, kCtrl, Key::F(2))) mControlsInEditMode = !mControlsInEditMode;
    if (IsCombo(in, ComboWhen::kPressed, kNoMod, Key::F(5))) mAcknowledgedResultsCounter = GetScriptResultsCounter();
    HandleRecordingKeys();
    // "`" held with a digit: the windows layouts 1 to 5.
    for (int32_t n = 1; n <= 5; ++n)
        if (in.IsComboPressed(0, Key::kBackquote, Key::Letter(char('0' + n)), 0)) PageMethods::LoadWindowsLayout(*this, n);

    // Letters typed into a page (a line in the Lua console) switch no drawings.
    if (!mGameMode && !pageHasKeys) {
        // Debug-drawing switches, edit mode only.
        struct {
            int32_t key;
            uint8_t DrawOptions::*option;
        } const toggles[] = {{'t', &DrawOptions::mGrid},       {'y', &DrawOptions::mTerrain},
                             {'x', &DrawOptions::mToyPoints},  {'c', &DrawOptions::mToyContacts},
                             {'v', &DrawOptions::mToyDiagonals}, {'b', &DrawOptions::mToyImpulses},
                             {'n', &DrawOptions::mToySprings}, {'m', &DrawOptions::mToyMoveVectors},
                             {',', &DrawOptions::mToyPiles},   {'.', &DrawOptions::mJoints},
                             {'j', &DrawOptions::mJointConstraints}, {'l', &DrawOptions::mAllTerrainObjsTriangles}};
        for (const auto& t : toggles)
            if (IsCombo(in, ComboWhen::kPressed, kNoMod, t.key)) mDrawOptions.*t.option ^= 1;
        // The left Ctrl alone: the right one with Backspace is left to the pages.
        if (in.IsComboPressed(0, Key::kLCtrl, Key::kBackspace, 0)) mDrawOptions.mToyTexturePoints ^= 1;
    }
}

void KIVGame::RunDueSteps()
{
    int32_t multiplier = 1;
    if (IsCombo(mInput, ComboWhen::kHeld, kCtrl, Key::Letter('f'))) multiplier = 2;
    if (IsCombo(mInput, ComboWhen::kHeld, kCtrl | kShift, Key::Letter('f'))) multiplier = 10;
    // A checked replay runs fast: it is there to find where determinism breaks.
    if (mReplaying && mCheckOn) multiplier = 10;
    int32_t steps = static_cast<int32_t>(mTiming.mStepsDue) * multiplier;
    if (mPaused) steps = mSingleStep ? 1 : 0;

    int32_t run = 0;
    for (; run < steps; ++run) {
        // In edit mode the controls are let go, so robots stop when the editor opens.
        if (!mReplaying) SampleInputFrame(mInputFrame, mInput, !mGameMode && !mControlsInEditMode, run == 0);
        if (IsToyPullActive()) HandleToyPullInput();
        // Robots wait at their start positions while the scenario is edited.
        if (mGameMode || mEditMode != kEditModeScenario) SimulateStep();
        if (!CompareSyncChecks(mRecordedChecks) && mCheckOn && mReplaying) {
            mPaused = true;
            ++run;
            break;
        }
    }
    mStepsRunLastFrame = run;
    StatSetInt(kStatFramesComputed, run);
}

void KIVGame::UpdateCamera()
{
    const InputDevices& in = mInput;
    bool modifier = in.IsKeyDown(0, Key::kLCtrl) || in.IsKeyDown(0, Key::kRCtrl) || in.IsKeyDown(0, Key::kLShift) ||
                    in.IsKeyDown(0, Key::kRShift);
    // Over an edit window the mouse and the keys are the window's.
    const bool pageHasMouse = mEditWindows.GetFocusedIndex() >= 0;
    if (mReplaying) {
        // A replay shows what the player saw.
        mCamera.mTargetPosition = VectorF(mInputFrame.mCameraX, mInputFrame.mCameraY);
        mCamera.mPosition = mCamera.mTargetPosition;
        if (mInputFrame.mCameraZoom > 0.0f) mCamera.mTargetZoom = mCamera.mZoom = mInputFrame.mCameraZoom;
    } else if (!mGameMode && !pageHasMouse) {
        if (in.IsMouseButtonDown(0, 3)) mCamera.mTargetPosition -= in.GetMouseMotion(0) * mCamera.mZoom;
        if (!modifier) {
            if (in.IsKeyDown(0, Key::kLeft)) mCamera.mTargetPosition.mX -= 20.0f;
            if (in.IsKeyDown(0, Key::kRight)) mCamera.mTargetPosition.mX += 20.0f;
            if (in.IsKeyDown(0, Key::kUp)) mCamera.mTargetPosition.mY -= 15.0f;
            if (in.IsKeyDown(0, Key::kDown)) mCamera.mTargetPosition.mY += 15.0f;
        }
    }
    if (!pageHasMouse && IsCombo(in, ComboWhen::kPressed, kNoMod, Key::Letter('z'))) mCamera.mTargetZoom = 1.5f;
    int32_t wheel = pageHasMouse ? 0 : in.GetMouseWheel(0);
    if (wheel != 0) {
        float step = mCamera.mTargetZoom > 0.1101f ? 0.1f : 0.03f;
        // The wheel pulled towards the player zooms in: less of the world.
        mCamera.mTargetZoom -= step * static_cast<float>(wheel);
        if (mCamera.mTargetZoom < 0.005f) mCamera.mTargetZoom = 0.005f;
    }
    mInputFrame.mCameraX = mCamera.mPosition.mX;
    mInputFrame.mCameraY = mCamera.mPosition.mY;
    mInputFrame.mCameraZoom = mCamera.mZoom;
    UpdateViews();
}

void KIVGame::UpdateViews()
{
    mCamera.Update(static_cast<int32_t>(mTiming.mElapsedMs));
    // A minimised window has no size: keep the last views rather than divide by zero.
    if (mWindowWidth <= 0 || mWindowHeight <= 0) return;
    mCamera.SetScreenSize(mWindowWidth, mWindowHeight);
    mLayers.UpdateViews(mCamera.mScreenSizeF, mCamera.mPosition, mCamera.mViewFactors * mCamera.mZoom,
                        mCamera.mCameraValue);
    if (DepthLayer* front = mLayers.GetLayer(0)) {
        mDrawOptions.mViewRect = RectF(front->mViewMin.mX, front->mViewMin.mY, front->mViewMax.mX, front->mViewMax.mY);
        mViewColor = front->mColor;
    }
}

} // namespace KIV
