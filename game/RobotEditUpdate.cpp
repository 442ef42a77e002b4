// The robot editor's per-frame update: preview, rebuild and the overlay drawn
// over the edit robot; and undo and redo, which rebuild the robot from a snapshot.
#include <utility>
#include "game/KIVGame.h"
#include "game/RobotEditInput.h"
#include "game/RobotEditorChrome.h"
#include "physics/joints/Joint.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "physics/toys/ToyRenderGeometry.h"
#include "render/BitmapFont.h"
#include "robots/Robot.h"
#include "robots/RobotBuild.h"

namespace KIV {

namespace {

constexpr int32_t kLineList = 1;
constexpr float kMarkSize = 4.0f;
constexpr ColorRGBA kOutlineColour{255, 255, 255, 160};
constexpr ColorRGBA kBoxColour{120, 160, 255, 120};
constexpr ColorRGBA kJointColour{255, 120, 40, 255};
constexpr ColorRGBA kSelectedColour{255, 255, 0, 255};
constexpr ColorRGBA kParticlesColour{80, 255, 120, 255};

void AddCross(Array<VectorF>& lines, const VectorF& at)
{
    lines.PushBack(at + VectorF(-kMarkSize, -kMarkSize));
    lines.PushBack(at + VectorF(kMarkSize, kMarkSize));
    lines.PushBack(at + VectorF(-kMarkSize, kMarkSize));
    lines.PushBack(at + VectorF(kMarkSize, -kMarkSize));
}

void SetLines(Shape& shape, const Array<VectorF>& lines, const ColorRGBA& colour)
{
    if (lines.Count() == 0 || !shape.InitPoints(kLineList, lines, colour)) shape.Free();
}

// Keeps exactly `count` shapes in the list.
void SizeShapeList(PtrArray<Shape>& list, int32_t count)
{
    while (list.Count() > count) list.DeleteAt(list.Count() - 1);
    while (list.Count() < count && list.AppendNew()) {
    }
}

void RefreshOverlay(RobotEditOverlay& overlay, Robot& robot, bool jointsMode)
{
    SizeShapeList(overlay.mToyOutlines, robot.GetToyCount());
    SizeShapeList(overlay.mToyBoxes, robot.GetToyCount());
    for (int32_t i = 0; i < robot.GetToyCount() && i < overlay.mToyOutlines.Count(); ++i) {
        Toy& toy = *robot.GetToy(i);
        BuildToyOutlineShape(toy, *overlay.mToyOutlines[i], kOutlineColour);
        BuildToyBoxShape(toy, *overlay.mToyBoxes[i], kBoxColour);
    }

    const JointDef* selected = jointsMode ? robot.Joints().GetSelected() : nullptr;
    Array<VectorF> marks(16), selectedMark(4);
    for (int32_t i = 0; i < robot.GetJointCount(); ++i) {
        Joint& joint = *robot.GetJoint(i);
        joint.BuildShapes();
        const bool isSelected = selected && selected->mBuiltJointId == joint.mFirstIndex;
        AddCross(isSelected ? selectedMark : marks, joint.GetWorldPointA());
    }
    SetLines(overlay.mJointMarks, marks, kJointColour);
    SetLines(overlay.mSelectedJointMark, selectedMark, kSelectedColour);

    Array<VectorF> emitters(8);
    for (int32_t i = 0; i < robot.GetParticleSystemCount(); ++i) {
        ParticleSystem& system = *robot.GetParticleSystem(i);
        const VectorF at = system.FollowLink();
        AddCross(emitters, at);
        emitters.PushBack(at);
        emitters.PushBack(at + system.GetLine());
    }
    SetLines(overlay.mParticleMarks, emitters, kParticlesColour);
}

constexpr const char* kModeNames[RobotEditState::kModeCount] = {"OBJ", "JNT", "PS", "POSE"};
constexpr float kModeNameSize = 8.0f;
constexpr ColorRGBA kModeFace{58, 64, 73, 210};
constexpr ColorRGBA kCurrentModeFace{190, 150, 50, 235};
constexpr ColorRGBA kModeFrame{200, 204, 210, 255};
constexpr ColorRGBA kModeName{255, 255, 255, 255};

// The four squares a click chooses the mode in, each with its name; the
// current mode's square is lit.
void RefreshModeButtons(RobotEditOverlay& overlay, int32_t currentMode)
{
    const VectorF noTexture[4] = {};
    overlay.mModeFaces.ResetToTexture(nullptr);
    Array<VectorF> frames(8 * RobotEditState::kModeCount);
    for (int32_t k = 0; k < RobotEditState::kModeCount; ++k) {
        const RectF r = GetRobotEditModeButton(k);
        overlay.mModeFaces.AppendQuad(r, (k == currentMode ? kCurrentModeFace : kModeFace).Pack(), noTexture);
        const VectorF corners[4] = {{r.x1, r.y1}, {r.x2, r.y1}, {r.x2, r.y2}, {r.x1, r.y2}};
        for (int32_t c = 0; c < 4; ++c) {
            frames.PushBack(corners[c]);
            frames.PushBack(corners[(c + 1) % 4]);
        }
    }
    overlay.mModeFaces.RecomputeBounds();
    overlay.mModeFaces.MarkChanged();
    SetLines(overlay.mModeFrames, frames, kModeFrame);
    // Without the font picture the buttons go unnamed, and still work.
    if (!DrawTextWhite(overlay.mModeNames, "", kModeNameSize, kModeName, VectorF())) return;
    for (int32_t k = 0; k < RobotEditState::kModeCount; ++k)
        BitmapFont::DrawTextAligned(overlay.mModeNames, kModeNames[k], kModeNameSize, kModeName, true, true,
                                    GetRobotEditModeButton(k).GetCenter());
    overlay.mModeNames.RecomputeBounds();
    overlay.mModeNames.MarkChanged();
}

// The edit robot's parts live in the robot builder's lists, never among the
// simulated ones: a step of its history is taken back or again through the
// builder's robot list, which rebuilds it there.
bool RestoreEditRobot(KIVGame& game, bool redo)
{
    Robot* robot = game.GetEditRobot();
    if (!robot || !(redo ? robot->CanRedo() : robot->CanUndo())) return false;
    if (!game.mEditRobots.RestoreStep(*robot, redo)) return false;
    robot->ClearRebuildNeeded();
    game.SelectEditRobotParts();
    return true;
}

} // namespace

bool UndoEditRobot(KIVGame& game) { return RestoreEditRobot(game, false); }
bool RedoEditRobot(KIVGame& game) { return RestoreEditRobot(game, true); }

void RobotEditUpdate(KIVGame& game, int32_t milliseconds)
{
    Robot* robot = game.GetEditRobot();
    if (!robot) return;
    robot->AdvancePreview(milliseconds);
    robot->AdvanceNotice(milliseconds);
    if (robot->GetRebuildNeeded()) {
        robot->ClearRebuildNeeded();
        RobotBuildOptions update;
        update.mUpdate = true;
        update.mEditor = true;
        BuildRobot(game, robot, update);
    }
    RefreshOverlay(game.mRobotEdit.mOverlay, *robot, game.mRobotEdit.mMode == RobotEditState::kJoints);
    // The plain buttons stand in only for missing pictures: with the pictures
    // there they would be built every frame and never drawn.
    RobotEditOverlay& overlay = game.mRobotEdit.mOverlay;
    if (RobotEditorChrome::HasModeButtonPictures(game.mTextureLib)) {
        for (Shape* shape : {&overlay.mModeFaces, &overlay.mModeFrames, &overlay.mModeNames})
            if (shape->mPoints.Count() > 0) shape->FreeArrays();
    } else {
        RefreshModeButtons(overlay, game.mRobotEdit.mMode);
    }
}

} // namespace KIV
