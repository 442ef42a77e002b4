#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/FastName.h"
#include "base/Rect.h"
#include "base/Vector.h"
#include "render/Shape.h"

namespace KIV {

class KIVGame;

// Where the robot editor shows the edit robot: the window's rectangle in
// screen pixels and the part of the world its view shows.
struct RobotEditView {
    VectorF mWindowPosition;
    VectorF mWindowSize;
    RectF mWorld;
};

// The shapes drawn over the edit robot: each toy's outline and box, a mark on
// every joint (the selected one in its own colour while joints are edited) and
// on every particle system's emitter.
struct RobotEditOverlay {
    PtrArray<Shape> mToyOutlines{8};
    PtrArray<Shape> mToyBoxes{8};
    Shape mJointMarks;
    Shape mSelectedJointMark;
    Shape mParticleMarks;
    // The mode buttons, in pixels from the window's top-left corner: their
    // faces (the current mode's lit), their frames and their names.
    Shape mModeFaces;
    Shape mModeFrames;
    Shape mModeNames;
};

// What the robot editor keeps between frames.
struct RobotEditState {
    enum Mode : int32_t { kObjects = 0, kJoints = 1, kParticles = 2, kPoses = 3, kModeCount = 4 };
    // The square mode buttons down the window's left side, in window pixels:
    // button k spans kButtonFrom..kButtonTo across and the same moved down by k steps.
    static constexpr float kButtonFrom = 3.0f, kButtonTo = 40.0f, kButtonStep = 40.0f;
    static constexpr float kDragTurnRate = 0.02f; // radians per world unit of mouse travel
    static constexpr float kPasteOffset = 10.0f;
    static constexpr float kPickRadiusPixels = 8.0f;

    int32_t mMode = kObjects;
    VectorF mPreviousMouseWorld;
    bool mPickedOnPress = false;
    FastName mPressedPart;          // the object name of the part the left button went down on
    int32_t mTimelinePressPose = -1; // the pose under the mouse when the button went down on the time-line bar
    // The scene editor's selection kind and its companion value, as the robot editor last set them.
    int32_t mSelectionKind = 0;
    int32_t mSelectionCompanion = 0;
    RobotEditOverlay mOverlay;
};

// Mode button k in window pixels, edges included: the area a click chooses
// the mode in and the square drawn for it.
RectF GetRobotEditModeButton(int32_t mode);

// The robot editor's view when it shares the game's own window and camera.
RobotEditView GetGameWindowRobotEditView(KIVGame& game);

// One frame of the robot editor's mouse and key handling on the edit robot;
// nothing without one. Every change goes through the definition's operations,
// so it is recorded for undo; a drag is one undo series.
void RobotEditInput(KIVGame& game, const RobotEditView& view, int32_t mouse);
// The preview, the notice timer, the rebuild when the definition changed, and
// the overlay shapes; nothing without an edit robot.
void RobotEditUpdate(KIVGame& game, int32_t milliseconds);

// Undo and redo of the edit robot: its parts leave the scene and it is built
// again from the restored snapshot. False when there was no step.
bool UndoEditRobot(KIVGame& game);
bool RedoEditRobot(KIVGame& game);

} // namespace KIV
