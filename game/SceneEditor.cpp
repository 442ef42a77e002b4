#include "game/SceneEditor.h"
#include "base/InputDevices.h"
#include "base/MemoryStream.h"
#include "game/GameKeys.h"
#include "game/KIVGame.h"
#include "game/PageMethods.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "render/TextureLib.h"
#include "robots/RobotBuild.h"

namespace KIV {

namespace {

bool IsCtrlDown(const InputDevices& in) { return in.IsKeyDown(0, Key::kLCtrl) || in.IsKeyDown(0, Key::kRCtrl); }
bool IsShiftDown(const InputDevices& in) { return in.IsKeyDown(0, Key::kLShift) || in.IsKeyDown(0, Key::kRShift); }

// The tool the held keys choose in each mode.
int32_t ChooseTool(const InputDevices& in, int32_t mode)
{
    const bool ctrl = IsCtrlDown(in);
    const bool shift = IsShiftDown(in);
    auto byModifiers = [&] { return ctrl ? (shift ? kToolScale : kToolRotate) : (shift ? kToolMove : kToolSelect); };
    switch (mode) {
    case kEditModeTerrain:
        if (in.IsKeyDown(0, Key::kTab) || in.IsKeyDown(0, Key::kReturn)) return kToolHandles;
        return byModifiers();
    case kEditModeParticles: return byModifiers();
    case kEditModeObject: return ctrl && !shift ? kToolScale : kToolSelect;
    case kEditModeWater: return ctrl && shift ? kToolMove : kToolSelect;
    case kEditModeScenario:
        if (shift && !ctrl) return kToolMove;
        return IsCombo(in, ComboWhen::kHeld, kNoMod, Key::Letter('i')) ? kToolRotate : kToolSelect;
    default: return kToolSelect;
    }
}

} // namespace

void SceneEditor::SampleEditInput(const InputDevices& in, const VectorI& mouse, const VectorI& windowSize)
{
    SceneEditFrame& f = mFrame;
    f.mPressed = in.IsMouseButtonPressed(0, 1);
    f.mHeld = in.IsMouseButtonDown(0, 1) || f.mPressed;
    f.mReleased = in.IsMouseButtonReleased(0, 1);
    f.mClicked = in.IsMouseButtonClicked(0, 1);
    if (windowSize.mX > 0 && windowSize.mY > 0) {
        const VectorF size(float(windowSize.mX), float(windowSize.mY));
        f.mMouseView = VectorF(float(mouse.mX), float(mouse.mY)) / size;
        const VectorI change = mHasLastMouse ? mouse - mLastMouse : VectorI();
        f.mMouseMove = VectorF(float(change.mX), float(change.mY)) / size;
    }
    mLastMouse = mouse;
    mHasLastMouse = true;
    f.mMoved = f.mMouseMove.mX != 0.0f || f.mMouseMove.mY != 0.0f;
    f.mMouseWorld = mGame.mLayers.ConvertPoint(0, f.mMouseView);

    const int32_t mode = mGame.mEditMode;
    // A drag keeps the tool it started with: pressing Ctrl during a Shift
    // move must not turn the move into a rotation halfway.
    f.mKeysBlocked = (mode == kEditModeTerrain || mode == kEditModeParticles) && (f.mHeld || f.mReleased);
    if (f.mKeysBlocked) return;
    f.mTool = ChooseTool(in, mode);
    // Digits typed while a window holds the keys are its page's own.
    if (mGame.mEditWindows.GetFocusedIndex() >= 0) return;
    for (int32_t digit = 0; digit <= 9; ++digit) {
        if (!IsCombo(in, ComboWhen::kPressed, kNoMod, '0' + digit)) continue;
        const int32_t chosen = digit == 0 ? kEditModeScenario : digit - 1;
        if (chosen == mGame.mEditMode) continue;
        // The mode's own page comes with it, in place of the one shown.
        PageMethods::SwitchEditMode(mGame, chosen);
        mGame.mEditWindows.ShowEditModePage(chosen, false, false, false);
        f.mTool = kToolSelect;
    }
}

void SceneEditor::RunEditActions(const InputDevices& in)
{
    const SceneEditFrame& f = mFrame;
    switch (mGame.mEditMode) {
    case kEditModeTerrain: RunTerrainActions(in); break;
    case kEditModeRobot:
        if (IsCombo(in, ComboWhen::kPressed, kNoMod, Key::kInsert)) InsertEditRobotCopy();
        break;
    case kEditModeObject: RunObjectActions(in); break;
    case kEditModeJoint:
        if (f.mClicked) {
            const int32_t joint = mGame.PickJointAt(f.mMouseWorld);
            if (joint >= 0) {
                mGame.mJoints.mJoints.SetSelectedIndex(joint);
                mGame.mJointClickPick = 0;
            }
        }
        break;
    case kEditModeParticles: RunParticleActions(); break;
    case kEditModeWater:
        // The pool follows the mouse while both keys are held, traced anew from each point.
        if (IsCtrlDown(in) && IsShiftDown(in)) {
            if (mGame.mWaters.Count() == 0) mGame.AddWater(f.mMouseWorld);
            else mGame.mWaters[0]->Rebuild(&mGame, f.mMouseWorld);
        }
        break;
    case kEditModeScenario: RunScenarioActions(in); break;
    default: break;
    }
}

void SceneEditor::RunObjectActions(const InputDevices& in)
{
    const SceneEditFrame& f = mFrame;
    if (IsCombo(in, ComboWhen::kPressed, kNoMod, Key::kInsert) && mGame.mTextureLib &&
        !mGame.mTextureLib->mSelectedName.empty())
        mGame.AddToy(mGame.mTextureLib->mSelectedName, f.mMouseWorld, 0.0f, 1.0f, "toy");
    if (f.mClicked && f.mTool == kToolSelect) mGame.SelectToyAt(f.mMouseWorld);
    // Ctrl with a press paints damage into the picture of the toy under the mouse.
    if (f.mPressed && IsCtrlDown(in)) {
        const int32_t toy = mGame.PickToyAt(f.mMouseWorld);
        if (toy >= 0) mGame.mToys[toy]->AddDamageDecal(f.mMouseWorld);
    }
}

ParticleSystem* SceneEditor::GetSelectedParticleSystem() const
{
    return mParticleSystems ? mParticleSystems->GetSelected() : nullptr;
}

int32_t SceneEditor::GetParticleSystemLayer(const ParticleSystem* system) const
{
    const LayerList& layers = mGame.mLayers;
    for (int32_t i = 0; i < layers.GetLayerCount(); ++i)
        if (layers.GetLayerAt(i)->mParticleSystems.Contains(const_cast<ParticleSystem*>(system)))
            return layers.GetMinIndex() + i;
    return 0;
}

void SceneEditor::RunParticleActions()
{
    const SceneEditFrame& f = mFrame;
    if (f.mClicked && f.mTool == kToolSelect) {
        SelectParticleSystemAt(f.mMouseWorld);
        return;
    }
    ParticleSystem* system = GetSelectedParticleSystem();
    if (!system || !f.mHeld || !f.mMoved) return;
    const VectorF move = mGame.mLayers.ConvertVector(GetParticleSystemLayer(system), f.mMouseMove);
    switch (f.mTool) {
    case kToolMove: {
        const VectorF p = system->GetPosition() + move;
        system->SetPositionX(p.mX);
        system->SetPositionY(p.mY);
        break;
    }
    case kToolRotate: system->SetStartMoveVector(system->UpdateLinkDirection() + move); break;
    case kToolScale: {
        const VectorF line = system->GetLine() + move;
        system->SetLineX(line.mX);
        system->SetLineY(line.mY);
        break;
    }
    default: break;
    }
}

void SceneEditor::RunScenarioActions(const InputDevices& in)
{
    const SceneEditFrame& f = mFrame;
    Scenario& scenario = mGame.mScenario;
    if (f.mPressed && f.mTool == kToolSelect) {
        bool picked = SelectRobotAt(f.mMouseWorld);
        // One robot alone is never taken by its box: its toys still pick it.
        if (!picked && mGame.SelectToyAt(f.mMouseWorld)) {
            const Toy* toy = mGame.mToys.GetSelected();
            picked = toy && toy->mOwningRobot && SelectRobot(toy->mOwningRobot);
        }
        if (picked) scenario.SelectRobot(mGame.mRobots.GetRobots().GetSelectedIndex());
    }
    if (f.mTool == kToolMove && f.mHeld && f.mMoved)
        scenario.SetSelectedRobotPosition(scenario.GetSelectedRobotPosition() +
                                          mGame.mLayers.ConvertVector(0, f.mMouseMove));
    if (f.mTool == kToolRotate) scenario.SetSelectedRobotPosition(f.mMouseWorld);
    if (IsCombo(in, ComboWhen::kPressed, kNoMod, Key::kDelete)) scenario.DeleteSelectedRobot();
    // The robot chosen in the robot library starts at the mouse.
    const std::string& chosen = mGame.mRobotLibrary.GetSelected();
    if (IsCombo(in, ComboWhen::kPressed, kNoMod, Key::kInsert) && !chosen.empty()) {
        scenario.AddRobot(chosen);
        scenario.SetSelectedRobotPosition(f.mMouseWorld);
    }
}

void SceneEditor::InsertEditRobotCopy()
{
    Robot* edited = mGame.GetEditRobot();
    if (!edited) return;
    MemoryStream stream;
    if (!edited->WriteToStream(stream) || !stream.SetPosition(0)) return;
    Robot* copy = mGame.mRobots.AddRobot("", VectorF());
    if (!copy) return;
    if (copy->ReadFromStream(stream) == RecordRead::Refused) {
        mGame.mRobots.RemoveRobot(copy);
        return;
    }
    RobotBuildOptions at;
    at.mOffset = mFrame.mMouseWorld;
    BuildRobot(mGame, copy, at);
    copy->ReadStateFromStream(stream);
}

void KIVGame::SceneEditInput()
{
    // A window under the mouse takes the clicks and the keys; the scene gets them only beside the windows.
    mSceneEditor.SampleEditInput(mInput, mMousePosition, VectorI(mWindowWidth, mWindowHeight));
    if (mEditMode == kEditModeTests || IsEditWindowUnderMouse()) return;
    mSceneEditor.RunEditActions(mInput);
}

} // namespace KIV
