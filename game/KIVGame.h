#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include "base/Array.h"
#include "base/InputDevices.h"
#include "base/Random.h"
#include "base/Vector.h"
#include "editor/ColorPickerTable.h"
#include "editor/EdyBuilder.h"
#include "editor/EditWindowManager.h"
#include "editor/PageBridge.h"
#include "editor/RobotLibrary.h"
#include "game/Cursors.h"
#include "game/FrameTiming.h"
#include "game/InputFrame.h"
#include "game/LayerList.h"
#include "game/Recording.h"
#include "game/RobotEditorPanel.h"
#include "game/RobotEditInput.h"
#include "game/SceneEditor.h"
#include "game/ViewCamera.h"
#include "physics/world/DrawOptions.h"
#include "physics/world/Scene.h"
#include "robots/RobotList.h"
#include "robots/Scenario.h"

namespace KIV {

class ScenePass;
class RobotScripting;
class TextureLib;

// A pending change of the window's size: the GL context is re-created only
// after the window system has settled for a few passes.
struct PendingResize {
    bool mPending = false;
    int32_t mCountdown = 0;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
};

// A main-window size that a script asked for, carried out at the frame's end.
struct WindowSizeRequest {
    static constexpr int32_t kMaxSide = 16384;
    bool mRaised = false;
    int32_t mWidth = 1024;
    int32_t mHeight = 768;
};

// The one game object. The Scene is its leading part, so the game object's
// address is also the scene's: scripts see one object as "kiv" and "scene".
class KIVGame : public Scene {
public:
    static constexpr int32_t kEscapeHoldLimit = 2000;
    static constexpr int32_t kResizeCountdown = 5;
    static constexpr int32_t kSavedNoticeFrames = 200;

    KIVGame();
    ~KIVGame();

    // ---- the window and the main loop (GameWindow.cpp) ----
    bool StartUp();
    // Runs until the window closes or Escape is held long enough; the program's exit status.
    int RunMainLoop();
    // One pass of the loop: events, the game frame and its rendering; false
    // when the game is to end.
    bool RunMainLoopPass(ScenePass& scene);
    void RequestWindowResize(int32_t width, int32_t height);
    void ToggleFullScreen();

    // ---- the game frame (GameFrame.cpp) ----
    // False when no step was due, so the keys and the mouse of this frame were
    // not looked at: the caller keeps them for the next frame instead of
    // ending the input frame, or a key pressed in a quick frame would be lost.
    bool RunGameFrame(uint32_t ticks);
    void FirstFrameStartUp();
    // The per-frame handler that runs when steps are due: keys, step driver, camera.
    void HandleFrame();
    void HandleKeyCommands();
    // ---- the edit windows (EditWindowViews.cpp, EditWindowKeys.cpp) ----
    // The HTML views beside the game's window; without a display the windows
    // have no pages and the game goes on.
    void StartPageViews();
    // The page views started with the window, their web process brought up
    // in the background while the first frame loads the game's content.
    void WarmUpPageViews();
    // The nineteen windows, once the screen size is known.
    void CreateEditWindows();
    // The frame's mouse and keys to the page under the mouse.
    void ForwardInputToPage(const FrameMouse& mouse);
    // The function keys that open and close the windows; key 0 is F1.
    void HandleEditWindowKey(int32_t functionKey);
    // Out of game mode, with the marked windows and the current mode's page.
    void EnterEditMode();
    // While a mode page shows, the page of the current edit mode is the one shown.
    void FollowEditModePage();
    // Frame interaction and the keys a desktop page window handed over.
    void HandleEditWindowFrame();
    void UpdateCamera();

    // ---- one simulation step (GameStep.cpp) ----
    void SimulateStep();
    void ApplyPhysicsFrequency(int32_t frequency);
    // Toys that were hit hard enough break into two, overloaded joints break,
    // and tiny loose pieces go.
    void BreakPass();
    void JointBreakPass();
    void DebrisPass();

    // ---- recording, replay, determinism check and frame capture (GameRecording.cpp) ----
    // Empties the level and builds it again from the scene; replay feeds the
    // recorded frames back, otherwise a new recording starts.
    void ResetLevel(bool replay);
    void Reset() { ResetLevel(false); }
    void Replay();
    // A script's reset or replay waits until no script runs: before the next
    // step, after the page scripts of the frame, or at the end of the step
    // whose robot scripts asked for it. Done at once, it would delete the
    // robot whose script is running and the Lua stack of the call under it.
    enum class PendingRun : uint8_t { kNone, kReset, kReplay };
    void RequestRun(PendingRun run) { mRequestedRun = run; }
    void CarryOutRequestedRun();
    PendingRun mRequestedRun = PendingRun::kNone;
    void KeepLiveChecks() { mRecordedChecks = mLiveChecks; }
    void TakeSyncCheck();
    // False once a live sample differs from the recorded one of the same place.
    bool CompareSyncChecks(const SyncCheckList& recorded);
    // The recorded frame of this step replaces the live one while replaying;
    // while recording the live one is appended.
    void RecordOrReplayInput();
    std::string GetRecordingFilePath() const;
    bool SaveRecording();
    bool LoadRecording();
    void HandleRecordingKeys();
    void ToggleFrameCapture();
    std::string GetCaptureFrameName() const;
    // The next free frame file of the capture folder, "" while capture is off.
    std::string TakeCaptureFrameName();
    void ReportCaptureResult(bool written, const std::string& name);

    // ---- the window size scripts ask for (WindowSizeRequest.cpp) ----
    void SetWannaResizeWindowSizeX(int32_t width) { mWannaResize.mWidth = width; }
    int32_t GetWannaResizeWindowSizeX() const { return mWannaResize.mWidth; }
    void SetWannaResizeWindowSizeY(int32_t height) { mWannaResize.mHeight = height; }
    int32_t GetWannaResizeWindowSizeY() const { return mWannaResize.mHeight; }
    void AskToResizeWindow() { mWannaResize.mRaised = true; }
    // At the frame's end: the window takes the asked size through the video
    // mode setter, and the GL context follows as after any resize. False when
    // nothing was asked, or when the size cannot be had (told to the player).
    bool ApplyWannaResize(const std::function<bool(int32_t width, int32_t height)>& setVideoMode);
    WindowSizeRequest mWannaResize;

    // ---- settings as scripts reach them (GameSettingsAccess.cpp) ----
    void SetTextureMapping(int32_t v);
    int32_t GetTextureMapping() const;
    void SetPhysicsFrequency(int32_t frequency);
    int32_t GetPhysicsFrequency() const { return mTiming.GetFrequency(); }
    void SetGravity(float g);
    float GetGravity() const { return mGravity.mY; }
    void SetMaxvABPSquared(float v);
    float GetMaxvABPSquared() const;
    void SetToySubPlayEnabled(int32_t index, bool on);
    bool GetToySubPlayEnabled(int32_t index) const;
    void SetRestitutionToAllObjects(float restitution);
    void SetElasticityToAllObjects(float elasticity);
    int32_t GetCurrentFPS() const { return mTiming.mFramesPerSecond; }
    // The script results ring's change counter; 0 without a script host.
    int32_t GetScriptResultsCounter() const;

    // ---- the scene file (SceneFile.cpp) ----
    // The default file is data root + "Scenes\Scene01.kis".
    std::string GetSceneFilePath() const;
    // A path as notices show it: relative to the data root when inside it.
    std::string GetShownPath(const std::string& path) const;
    // Both report every failure as a notice naming the file and the reason.
    bool SaveScene(const std::string& path);
    // The default materials into their file beside the scenes; false, told
    // to the player, when they could not be saved.
    bool SaveMaterials();
    bool LoadScene(const std::string& path);
    // Layers, terrain lists and the static grid after a load or a reset.
    void RebuildDerivedState();

    // ---- start-up content (StartUpContent.cpp) ----
    void LoadStartUpContent();
    void CreateDefaultToys();
    // A toy built from a picture, in the grid and moving at the given start
    // velocities; null (with a notice naming the picture) when the picture
    // makes no toy or the toy table is full.
    Toy* AddToy(const std::string& picture, const VectorF& position, float angle, float scale, const std::string& name,
                const VectorF& velocity = VectorF(), float angularVelocity = 0.0f, float density = 1.0f);

    // ---- the scripts' test weapon (TestGun.cpp) ----
    // A bullet from the gun toy's muzzle, with heat and recoil; nothing
    // without a gun or a robot, or before the cooldown has run out.
    void GunShot_Test2(Toy* gun, Robot* robot);
    // The step moves the cooldown on towards its limit.
    void StepShotCooldown();
    // A bullet that leaves the world (broken, or gone as debris) leaves its
    // blast where it was: taken before the toy goes, left after.
    struct ShotBlast {
        bool mCarried = false;
        VectorF mAt;
        float mRadius = 0.0f;
        float mStrength = 0.0f;
        float mTime = 0.0f;
    };
    static ShotBlast GetShotBlast(const Toy& toy);
    void LeaveShotBlast(const ShotBlast& blast);
    int32_t mShotCooldown = 0;
    int32_t mShotCooldownLimit = 0;

    // ---- the page bridge and the editor's files (PageMethods.cpp, EditorFiles.cpp) ----
    // Asks the visible pages for their snippets, runs them, and sends the
    // JavaScript queued meanwhile to the pages.
    void RunPageScripts();
    // Data root + name, for the editor's files and folders.
    std::string GetDataPath(const std::string& name) const;
    PageBridge mPageBridge;
    PageChannel* mPageChannel = nullptr;  // null: the pages' own views
    EdyBuilder mEdyBuilder;
    ColorPickerTable mColorPickerTable;
    RobotLibrary mRobotLibrary{""};
    int32_t mEditSubMode = 0;
    int32_t mRobotEditTarget = 0;  // 0 toys, 1 joints, 2 particle systems
    int32_t mMaterialParticleEditNumber = 0;
    // ---- the scene editor (SceneEditor*.cpp, ToyPull.cpp) ----
    // The edit mode's key and mouse actions, once per frame in edit mode.
    void SceneEditInput();
    // Pulling and placing the selected toy with the mouse; once per step.
    void HandleToyPullInput();
    // Whether toys are pulled in this step: in edit mode, in the modes whose
    // left button has no meaning of its own, with the mouse on the scene.
    bool IsToyPullActive() const;
    // A visible edit window under the mouse takes the mouse from the scene.
    bool IsEditWindowUnderMouse() const;
    SceneEditor mSceneEditor{*this};

    // ---- state ----
    Scenario mScenario;
    // The robots' Build and Update scripts, once the script host is up.
    std::unique_ptr<RobotScripting> mRobotScripting;
    void StartRobotScripting();
    // The robots of the running scene (the selected one is steered) and the
    // robot builder's, whose selected robot is the one being edited.
    RobotList mRobots{*this};
    RobotList mEditRobots{*this, true};
    // ---- the robot editor's commands (RobotEditCommands.cpp) ----
    // Each command that replaces the edit robot keeps its unsaved changes
    // unless `force`: it is refused with a notice, and the page that asked is
    // offered the same command forced. False when refused.
    bool MayReplaceEditRobot(bool force, const std::string& forcedSnippet);
    // The edit robot and its parts leave; a new empty robot is edited.
    bool ClearRobotForEditing(bool force = false);
    // A new edit robot from "Robots\" + file (empty when it cannot be loaded); no Build script runs.
    bool LoadRobotForEditing(const std::string& file, bool force = false);
    void LoadRobotDefCurrentVersion(bool force = false);
    // The selected backup becomes the edit robot, changed and with no undo history.
    void LoadRobotDefPrevVersionSelected(bool force = false);
    void SaveRobot();
    void RobotUndoNow();
    void RobotRedoNow();
    // Records for the general part pages, only while they show a part of the edit robot.
    void RobotUndoAutoSave(const std::string& caption);
    void RobotUndoAutoSaveStartSerie(const std::string& caption);
    void RobotUndoAutoSaveEndSerie();
    bool IsEditingEditRobotPart() const;
    void EditRobotSetObjectPosByTexture();
    // The builder's toy (joint, particle-system) selection follows the
    // definition's selected object (joint entry, particle-system link).
    bool SelectEditRobotToy();
    bool SelectEditRobotJoint();
    bool SelectEditRobotParticles();
    void SelectEditRobotParts();

    // The current robot takes the step's input; every robot's Update script follows the physics.
    void ApplyRobotControls();
    void RunRobotUpdateScripts();
    Robot* GetEditRobot() const { return mEditRobots.GetCurrentRobot(); }
    // The scenario's robots, each loaded from "Robots\" and built at its start position.
    void CreateScenarioRobots();
    // The robot editor's state between frames (RobotEditInput.cpp).
    RobotEditState mRobotEdit;
    InputDevices mInput;
    EditWindowManager mEditWindows;
    RobotEditorPanel mRobotPanel; // the robot editor window's own view
    int32_t mEditMode = 0;
    FrameTiming mTiming;
    ViewCamera mCamera;
    LayerList mLayers;
    ColorRGBAF mViewColor;  // layer 0's colour, taken each frame: the sky
    InputFrame mInputFrame;
    DrawOptions mDrawOptions;
    CursorSet mCursors;
    TextureLib* mTextureLib = nullptr;
    std::string mDataRoot; // where the game's folders lie; "" until start-up
    std::string mUnreadableScenePath; // the last scene file that was there but would not load

    int32_t mWindowWidth = 1024;
    int32_t mWindowHeight = 576;
    bool mFullScreen = false;
    PendingResize mResize;
    bool mQuit = false;
    bool mFirstFrameDone = false;
    bool mGameMode = true;
    bool mPaused = false;
    bool mSingleStep = false;
    int32_t mEscapeCounter = 0;
    int32_t mFrameIndex = 0;
    int32_t mSavedNoticeCounter = kSavedNoticeFrames;
    int32_t mStepsRunLastFrame = 0;
    VectorF mMouseWorld;
    VectorI mMousePosition;
    VectorI mLastMousePosition;
    VectorI mPreviousFrameMouse; // where the edit-window frames last saw the mouse
    bool mMouseNotYetMoved = true;
    int32_t mMouseMoveCountdown = 5;
    uint8_t mFrameCapture = 0;
    SyncCheckList mLiveChecks;
    SyncCheckList mRecordedChecks;
    RecordedFrames mRecordedFrames;
    bool mDeterminismOk = true;
    bool mCheckOn = false;
    bool mRecording = true;
    bool mReplaying = false;
    bool mLogDisplay = false;
    bool mControlsInEditMode = false;
    // The script results ring's change counter as the player last saw it (F5).
    int32_t mAcknowledgedResultsCounter = 0;
    std::string mCaptureFolder;
    int32_t mCaptureCounter = 0;
    bool mCaptureFailureReported = false;
    float mStepLengthInverse = 0.0f;
    Array<Toy*> mBreakList{32}; // reused from pass to pass

private:
    void SampleMouse();
    void RunDueSteps();
    void UpdateViews();
};

extern KIVGame* gGame;

} // namespace KIV
