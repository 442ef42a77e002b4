#pragma once
#include "base/Array.h"
#include "base/Rect.h"
#include "base/Vector.h"
#include "game/RobotEditInput.h"
#include "game/RobotEditorChrome.h"
#include "game/ViewCamera.h"
#include "render/Shape.h"
#include "render/Texture.h"

namespace KIV {

class EditWindow;
class InputDevices;
class Renderer;
class Robot;
class TextureLib;

// The robot editor's own panel: the robot being edited on a faint grid, seen
// through a camera of its own that the player zooms and pans while the mouse
// is over the panel, whatever the game's camera does.
class RobotEditorPanel {
public:
    static constexpr float kStartZoom = 0.25f;
    static constexpr float kMinZoom = 0.005f;

    RobotEditorPanel();

    // Wheel, Ctrl+Z, "-" and "=" held, right-button drag and the arrow keys
    // with Ctrl or Shift, for a frame in which the panel has the mouse.
    void HandleInput(const InputDevices& input);
    void Update(int32_t elapsedMs) { mCamera.Update(elapsedMs); }
    // The part of the world the panel shows for a page area of this size.
    RectF GetWorldRect(VectorI size);
    // The world as the whole window would show it when the panel's page area
    // shows GetWorldRect: the view to set before drawing cut to the panel.
    RectF GetWindowWorldRect(VectorI position, VectorI size, VectorI window);
    // The robot editor's input and overlay work in this panel's page area and world.
    RobotEditView GetRobotEditView(const EditWindow& window);
    // The background, the grid, the robot's pictures and the editor's overlay
    // over them, then the mode buttons (mode lit) and the pose time line.
    void Draw(Renderer& renderer, const EditWindow& window, const Robot* robot, RobotEditOverlay& overlay,
              TextureLib* textures, int32_t mode);

    ViewCamera mCamera;

private:
    void BuildGrid();

    RobotEditorChrome mChrome;
    Shape mGrid;
    Texture mWhite; // under the mode buttons' faces
    Array<VectorF> mPoints;
    Array<uint32_t> mColours;
};

} // namespace KIV
