// The robot editor's mouse and keys: picking parts of the edit robot and
// changing its definition by dragging them, in four modes (objects, joints,
// particle systems, poses).
#include "game/RobotEditInput.h"
#include <cmath>
#include "base/MathUtil.h"
#include "game/GameKeys.h"
#include "game/KIVGame.h"
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"
#include "robots/Robot.h"
#include "robots/RobotPicking.h"

namespace KIV {

namespace {

constexpr int32_t kLeftButton = 1;
constexpr int32_t kKeyTab = 9;
constexpr int32_t kKeyDelete = 127;
constexpr int32_t kKeyInsert = 277;
constexpr int32_t kKeyPageUp = 280;
constexpr int32_t kKeyPageDown = 281;
constexpr int32_t kKeyZ = 122;

// The selection kind of the scene editor that each mode shows its parts in.
constexpr int32_t kModeSelectionKinds[RobotEditState::kModeCount] = {3, 4, 5, 2};

float Wrap(float angle) { return WrapAngle(angle, -kPi, kTwoPi); }

// One frame's input as the robot editor reads it.
struct EditFrame {
    KIVGame& game;
    Robot& robot;
    RobotEditState& state;
    const InputDevices& in;
    int32_t mouse;
    bool shift = false;
    bool ctrl = false;
    VectorF windowMouse{}; // relative to the window's top-left corner
    VectorF windowSize{};
    VectorF world{};
    VectorF move{};
    float pickRadius = 0.0f;

    bool LeftPressed() const { return in.IsMouseButtonPressed(mouse, kLeftButton); }
    bool LeftHeld() const { return in.IsMouseButtonDown(mouse, kLeftButton); }
    bool LeftReleased() const { return in.IsMouseButtonReleased(mouse, kLeftButton); }
    bool Moving() const { return move.mX != 0.0f || move.mY != 0.0f; }
    bool Dragging() const { return LeftHeld() && in.IsMouseDragging(mouse, kLeftButton) && Moving(); }
    bool KeyPressed(int32_t key) const { return in.IsKeyPressed(0, key); }
    bool KeyPressedOrRepeated(int32_t key) const { return in.IsKeyPressedOrRepeated(0, key); }
};

void ChooseMode(EditFrame& f, int32_t mode)
{
    RobotEditState& s = f.state;
    Robot& r = f.robot;
    s.mMode = mode;
    if (s.mSelectionKind != 2) {
        s.mSelectionKind = kModeSelectionKinds[mode];
        s.mSelectionCompanion = 0;
    }
    // Every mode starts from the robot at rest: a short fade back to "basic".
    r.StartPoseTransition(r.GetSelectedPoseName(), r.GetPoseName(0));
    r.SelectPose(0);
    r.SetRebuildNeeded();
}

// A mode button under a fresh left press, or Tab alone: true when a mode was chosen.
bool HandleModeChoice(EditFrame& f)
{
    const VectorF m = f.windowMouse;
    if (f.LeftPressed()) {
        for (int32_t k = 0; k < RobotEditState::kModeCount; ++k) {
            const RectF button = GetRobotEditModeButton(k);
            if (m.mX >= button.x1 && m.mX <= button.x2 && m.mY >= button.y1 && m.mY <= button.y2) {
                ChooseMode(f, k);
                return true;
            }
        }
    }
    const KeyboardDevice* keys = f.in.GetKeyboard(0);
    if (keys && f.KeyPressed(kKeyTab) && keys->MatchesHeldCombo(kKeyTab, 0, 0)) {
        ChooseMode(f, (f.state.mMode + 1) % RobotEditState::kModeCount);
        return true;
    }
    return false;
}

// Ctrl+Z and Ctrl+Shift+Z, each from one side of the keyboard and nothing else held.
void HandleUndoKeys(EditFrame& f)
{
    const KeyboardDevice* keys = f.in.GetKeyboard(0);
    if (!keys || !f.KeyPressedOrRepeated(kKeyZ)) return;
    if (keys->MatchesHeldCombo(Key::kLCtrl, kKeyZ, 0) || keys->MatchesHeldCombo(Key::kRCtrl, kKeyZ, 0))
        UndoEditRobot(f.game);
    else if (keys->MatchesHeldCombo(Key::kLCtrl, Key::kLShift, kKeyZ) ||
             keys->MatchesHeldCombo(Key::kRCtrl, Key::kRShift, kKeyZ))
        RedoEditRobot(f.game);
}

// The toys under the mouse, from the last to the first: the ones Insert joins.
Array<Toy*> ToysUnderMouse(const EditFrame& f)
{
    Array<Toy*> hits(4);
    for (int32_t i = f.robot.GetToyCount() - 1; i >= 0; --i)
        if (RobotToyContains(*f.robot.GetToy(i), f.world)) hits.PushBack(f.robot.GetToy(i));
    return hits;
}

void ConnectToysUnderMouse(EditFrame& f)
{
    Robot& r = f.robot;
    const Array<Toy*> hits = ToysUnderMouse(f);
    for (int32_t i = 0; i + 1 < hits.Count(); ++i) {
        const Toy& a = *hits[i];
        const Toy& b = *hits[i + 1];
        r.StartUndoSerie("connect objects with joint(s)");
        r.RobotDef::AddJoint();
        r.JointSetNameUnique(b.mName.GetInString());
        r.JointSetObjAName(a.mName.GetInString());
        r.JointSetObjBName(b.mName.GetInString());
        r.JointSetAngle(Wrap(b.GetOrientation() - a.GetOrientation()));
        r.JointSetObjAByPic(false);
        r.JointSetObjBByPic(false);
        const VectorF localA = a.WorldToLocal(f.world);
        const VectorF localB = b.WorldToLocal(f.world);
        r.JointSetObjAPosX(localA.mX);
        r.JointSetObjAPosY(localA.mY);
        r.JointSetObjBPosX(localB.mX);
        r.JointSetObjBPosY(localB.mY);
    }
}

void HandleJoints(EditFrame& f, bool& keySeriesOpened)
{
    Robot& r = f.robot;
    if (f.LeftReleased()) r.EndUndoSerie();
    if (!f.shift && !f.ctrl && f.LeftPressed()) {
        const int32_t built = PickRobotJoint(r, -1, f.world, f.pickRadius);
        const int32_t entry = JointEntryIndexOfJoint(r, built);
        if (entry >= 0) r.SelectJoint(entry);
    }
    if (f.LeftHeld() && f.Moving()) {
        JointDef* j = r.Joints().GetSelected();
        if (f.ctrl && !f.shift && j) {
            r.StartUndoSerie("robotdef: joint angle");
            r.SetSelectedPoseAngle(Wrap(r.GetSelectedPoseAngle() + (f.move.mY - f.move.mX) * RobotEditState::kDragTurnRate));
        } else if (f.shift && j) {
            // Anchors live in their toy's frame: the drag is turned back by the toy's angle.
            const bool sideA = !f.ctrl;
            const Toy* toy = r.FindToyByName(sideA ? j->mObjectA : j->mObjectB);
            if (toy) {
                const VectorF d = f.move.GetRotatedClockwise(-toy->GetOrientation());
                if (sideA) {
                    r.StartUndoSerie("joint object A position");
                    r.JointSetObjAPosX(j->mAnchorA.mX + d.mX);
                    r.JointSetObjAPosY(j->mAnchorA.mY + d.mY);
                } else {
                    r.StartUndoSerie("joint object B position");
                    r.JointSetObjBPosX(j->mAnchorB.mX - d.mX);
                    r.JointSetObjBPosY(j->mAnchorB.mY - d.mY);
                }
            }
        }
    }
    if (f.KeyPressed(kKeyInsert)) {
        ConnectToysUnderMouse(f);
        keySeriesOpened = true;
    }
    if (f.KeyPressed(kKeyDelete)) r.DeleteSelectedJoint();
}

// Whether the selected object may be moved or turned by hand: joints place
// every part but the masters.
bool SelectedObjectIsFree(const Robot& r)
{
    const int32_t sel = r.GetObjectSelectedIndex();
    const ObjectDef* o = r.Objects().GetSelected();
    return o && (o->mMaster || !r.IsObjectConnected(sel)) && ToyOfObject(r, sel);
}

void HandleObjects(EditFrame& f, bool& keySeriesOpened)
{
    Robot& r = f.robot;
    if (f.LeftReleased()) r.EndUndoSerie();
    if (!f.shift && !f.ctrl) {
        if (f.LeftPressed()) {
            Toy* selectedToy = ToyOfObject(r, r.GetObjectSelectedIndex());
            const int32_t start = selectedToy ? r.GetToys().IndexOf(selectedToy) : -1;
            if (Toy* toy = PickRobotToy(r, start, f.world)) {
                const int32_t index = ObjectIndexOfToy(r, toy);
                if (index >= 0) r.SelectObject(index);
                r.SetRebuildNeeded();
            }
        }
        if (f.Dragging() && f.state.mPickedOnPress && SelectedObjectIsFree(r)) {
            r.StartUndoSerie("object position");
            r.ObjectSetPosX(r.ObjectGetPosX() + f.move.mX);
            r.ObjectSetPosY(r.ObjectGetPosY() + f.move.mY);
        }
    }
    if (f.shift) {
        const float step = f.ctrl ? 10.0f : 1.0f;
        const struct {
            int32_t key;
            VectorF by;
        } arrows[] = {{Key::kLeft, {-step, 0}}, {Key::kRight, {step, 0}}, {Key::kUp, {0, -step}}, {Key::kDown, {0, step}}};
        for (const auto& a : arrows) {
            if (!f.KeyPressedOrRepeated(a.key) || !SelectedObjectIsFree(r)) continue;
            r.StartUndoSerie("object position");
            keySeriesOpened = true;
            if (a.by.mX != 0.0f) r.ObjectSetPosX(r.ObjectGetPosX() + a.by.mX);
            if (a.by.mY != 0.0f) r.ObjectSetPosY(r.ObjectGetPosY() + a.by.mY);
        }
    }
    if (f.ctrl && !f.shift && f.Dragging() && SelectedObjectIsFree(r)) {
        r.StartUndoSerie("rotate object");
        r.ObjectSetOrientation(Wrap(r.ObjectGetOrientation() + (f.move.mY - f.move.mX) * RobotEditState::kDragTurnRate));
    }
    if (f.KeyPressed(kKeyInsert) && r.Objects().GetSelected()) {
        r.StartUndoSerie("add object");
        r.CopySelectedObject();
        r.PasteObject();
        r.ObjectSetPosX(r.ObjectGetPosX() + RobotEditState::kPasteOffset);
        r.EndUndoSerie();
    }
    if (f.KeyPressed(kKeyDelete)) r.DeleteSelectedObject();
}

void HandleParticles(EditFrame& f)
{
    if (f.shift || f.ctrl || !f.LeftPressed()) return;
    const int32_t link = LinkIndexOfParticles(f.robot, PickRobotParticles(f.robot, f.world, f.pickRadius));
    if (link >= 0) f.robot.SelectParticles(link);
}

// The pose under the mouse on the time-line bar, -1 off the bar. The poses
// stand evenly from the bar's left end to its right end.
int32_t PoseOnTimeline(const EditFrame& f)
{
    const RectF bar = RobotDef::GetPoseTimelineRect(f.windowSize.mX, f.windowSize.mY);
    const VectorF m = f.windowMouse;
    if (m.mX < bar.x1 || m.mX > bar.x2 || m.mY < bar.y1 || m.mY > bar.y2) return -1;
    if (f.robot.GetJointsCount() == 0) return -1;
    const int32_t count = f.robot.Joints()[0]->mPoses.Count();
    if (count < 1) return -1;
    if (count == 1 || bar.x2 <= bar.x1) return 0;
    const float t = (m.mX - bar.x1) / (bar.x2 - bar.x1);
    return std::min(count - 1, std::max(0, static_cast<int32_t>(std::lround(t * float(count - 1)))));
}

void HandlePoses(EditFrame& f)
{
    Robot& r = f.robot;
    RobotEditState& s = f.state;
    if (!r.mTransitionActive) {
        // Each step starts a fade; a held key steps again once the fade is over.
        if (f.in.IsKeyDown(0, kKeyPageUp)) r.StepPoseBackward();
        else if (f.in.IsKeyDown(0, kKeyPageDown)) r.StepPoseForward();
        if (f.KeyPressed(kKeySpace)) r.SetPlayingAnim(!r.GetPlayingAnim());
    }
    if (f.LeftReleased()) {
        r.EndUndoSerie();
        s.mTimelinePressPose = -1;
    }
    const int32_t barPose = PoseOnTimeline(f);
    if (f.LeftPressed()) {
        if (barPose >= 0) {
            const int32_t selected = r.Joints()[0]->mSelectedPose;
            r.StartPoseTransitionByIndex(selected, barPose);
            r.SelectPose(barPose);
            s.mTimelinePressPose = barPose;
            return;
        }
        if (Toy* toy = PickRobotToy(r, -1, f.world)) {
            const int32_t joint = r.FindJointIndexByName(toy->mName);
            if (joint >= 0) r.SelectJoint(joint);
        }
    }
    if (s.mTimelinePressPose >= 0) {
        if (f.LeftHeld() && barPose >= 0 && f.Moving()) {
            r.SetAnimFromPose(r.GetPoseName(s.mTimelinePressPose));
            r.SetAnimToPose(r.GetPoseName(barPose));
        }
        return;
    }
    if (!f.Dragging() || !s.mPickedOnPress) return;
    // Dragging a part that a joint holds turns that joint in the selected pose.
    const int32_t object = r.FindObjectIndexByName(s.mPressedPart);
    if (object < 0 || r.Objects()[object]->mMaster || !r.IsObjectConnected(object)) return;
    const int32_t entry = r.FindJointIndexByName(s.mPressedPart);
    if (entry < 0) return;
    r.SelectJoint(entry);
    const Joint* joint = r.GetJointByName(s.mPressedPart.GetInString());
    if (!joint) return;
    const VectorF from = f.world - f.move - joint->GetReferencePosition();
    const VectorF to = f.world - joint->GetReferencePosition();
    // Measured the way the engine turns vectors, so the dragged part follows the mouse.
    const float turn = Wrap(std::atan2(Cross(to, from), Dot(from, to)));
    r.StartUndoSerie("robotdef: joint angle");
    r.SetSelectedPoseAngle(r.GetSelectedPoseAngle() + turn);
}

} // namespace

RectF GetRobotEditModeButton(int32_t mode)
{
    const float down = RobotEditState::kButtonStep * float(mode);
    return RectF(RobotEditState::kButtonFrom, RobotEditState::kButtonFrom + down, RobotEditState::kButtonTo,
                 RobotEditState::kButtonTo + down);
}

RobotEditView GetGameWindowRobotEditView(KIVGame& game)
{
    game.mCamera.SetScreenSize(game.mWindowWidth, game.mWindowHeight);
    RobotEditView view;
    view.mWindowSize = {float(game.mWindowWidth), float(game.mWindowHeight)};
    view.mWorld = game.mCamera.GetViewRect();
    return view;
}

void RobotEditInput(KIVGame& game, const RobotEditView& view, int32_t mouse)
{
    Robot* robot = game.GetEditRobot();
    if (!robot) return;
    const InputDevices& in = game.mInput;
    RobotEditState& state = game.mRobotEdit;
    EditFrame f{game, *robot, state, in, mouse};

    f.shift = in.IsKeyDown(0, Key::kLShift) || in.IsKeyDown(0, Key::kRShift);
    f.ctrl = in.IsKeyDown(0, Key::kLCtrl) || in.IsKeyDown(0, Key::kRCtrl);

    const VectorI screen = in.GetMousePosition(mouse);
    f.windowMouse = IntPointToVectorF(screen) - view.mWindowPosition;
    f.windowSize = view.mWindowSize;
    const float worldWidth = view.mWorld.x2 - view.mWorld.x1;
    const float worldHeight = view.mWorld.y2 - view.mWorld.y1;
    if (view.mWindowSize.mX > 0.0f && view.mWindowSize.mY > 0.0f) {
        f.world = {view.mWorld.x1 + f.windowMouse.mX / view.mWindowSize.mX * worldWidth,
                   view.mWorld.y1 + f.windowMouse.mY / view.mWindowSize.mY * worldHeight};
        f.pickRadius = RobotEditState::kPickRadiusPixels * worldWidth / view.mWindowSize.mX;
    } else {
        f.world = state.mPreviousMouseWorld;
    }
    // What the mouse travelled before its button went down is no part of a drag.
    if (!f.LeftPressed()) f.move = f.world - state.mPreviousMouseWorld;
    state.mPreviousMouseWorld = f.world;

    if (HandleModeChoice(f)) return;

    if (f.LeftPressed()) {
        const Toy* hit = PickRobotToy(*robot, -1, f.world);
        state.mPickedOnPress = hit != nullptr;
        state.mPressedPart = hit ? hit->mName : FastName();
    }
    HandleUndoKeys(f);
    // The edit robot may have been rebuilt by an undo: take it again.
    robot = game.GetEditRobot();
    if (!robot) return;

    // A series the keys opened ends with this frame's keys, so later edits get steps of their own.
    bool keySeriesOpened = false;
    switch (state.mMode) {
    case RobotEditState::kJoints: HandleJoints(f, keySeriesOpened); break;
    case RobotEditState::kObjects: HandleObjects(f, keySeriesOpened); break;
    case RobotEditState::kParticles: HandleParticles(f); break;
    case RobotEditState::kPoses: HandlePoses(f); break;
    default: break;
    }
    if (keySeriesOpened) robot->EndUndoSerie();
}

} // namespace KIV
