#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/MemoryStream.h"
#include "base/Vector.h"
#include "game/RobotPhotoRequest.h"

namespace KIV {

class BendObject;
class InputDevices;
class KIVGame;
class ParticleSystem;
class Robot;

// The edit modes, in the order of the editor's mode pages.
enum SceneEditMode : int32_t {
    kEditModeScene = 0,
    kEditModeTerrain = 1,
    kEditModeRobot = 2,
    kEditModeObject = 3,
    kEditModeJoint = 4,
    kEditModeParticles = 5,
    kEditModeLight = 6,
    kEditModeLayers = 7,
    kEditModeWater = 8,
    kEditModeScenario = 9,
    kEditModeTests = 10,
};

enum SceneEditTool : int32_t {
    kToolSelect = 0,
    kToolMove = 1,
    kToolRotate = 2,
    kToolScale = 3,
    kToolHandles = 4,
};

// What the scene editor reads of one frame: the tool, the left button and the
// mouse, both as a fraction of the window (each depth layer maps it into its
// own space) and in the plane of play.
struct SceneEditFrame {
    int32_t mTool = kToolSelect;
    // A drag is going on or just ended: tools and key commands wait for it.
    bool mKeysBlocked = false;
    bool mHeld = false;
    bool mPressed = false;
    bool mReleased = false;
    bool mClicked = false;
    VectorF mMouseView;
    VectorF mMouseWorld;
    // The mouse's change since the last sampling, as a fraction of the window.
    VectorF mMouseMove;
    bool mMoved = false;
};

// The scene editor: the selection kept for the particle systems and the
// robots beside the scene's own, the picking of terrain objects through the
// depth layers, and every key and mouse action of the edit modes. It acts on
// the game object it belongs to.
class SceneEditor {
public:
    explicit SceneEditor(KIVGame& game) : mGame(game) {}
    SceneEditor(const SceneEditor&) = delete;
    SceneEditor& operator=(const SceneEditor&) = delete;

    // ---- the frame's input (SceneEditor.cpp) ----
    // Fills the frame record: the tool from the modifier keys, the digit keys'
    // mode, the button and the mouse. While an edit window has the keys (a
    // "2" typed into the Lua console), the digits choose no edit mode.
    void SampleEditInput(const InputDevices& input, const VectorI& mouse, const VectorI& windowSize);
    // The actions of the current edit mode for the sampled frame.
    void RunEditActions(const InputDevices& input);
    SceneEditFrame mFrame;

    // ---- selection and picking (SceneEditorSelection.cpp) ----
    // A click: the next object below the selected one under the mouse, so
    // repeated clicks cycle through a stack; empty space clears the marks.
    void SelectTerrainObjectAt(const VectorF& mouseView);
    // The first marked object, layers in order and each from its last object.
    BendObject* GetFirstSelectedTerrainObject() const;
    bool SelectRobot(const Robot* robot);
    // Cycles through the robots whose frames hold the point, from the one
    // before the current robot down.
    bool SelectRobotAt(const VectorF& point);
    // The scene's own particles become the listed ones again.
    bool SelectParticleSystemAt(const VectorF& point);
    // The scene's particle-system list; null while the scene holds none.
    PtrArray<ParticleSystem>* mParticleSystems = nullptr;
    // Which list the particle-system page shows: the robot builder's, or a
    // material's (modes 3 to 5: dent, entry hole, exit hole); 0 the scene's.
    bool mParticlesInRobotBuilder = false;
    int32_t mParticleMaterialMode = 0;
    // The particle page's copied settings; kept until the next copy.
    MemoryStream mParticleClipboard;

    // ---- terrain objects (SceneEditorTerrain.cpp) ----
    // The refresh every geometry or lighting edit ends with.
    void RefreshAfterTerrainEdit();
    // After layer or light changes: the layer lists and the light grid first.
    void RefreshAfterLayerEdit();
    void SortTerrainObjectsIntoLayers();
    // Moves are in each object's layer space, converted from a window fraction.
    void MoveSelectedTerrain(const VectorF& viewMove);
    void RotateSelectedTerrain(float angle);
    void ScaleSelectedTerrain(float factor);
    void GrabSelectedFrameHandles(const VectorF& mouseView);
    void DragSelectedFrameHandles(const VectorF& viewMove);
    BendObject* InsertTerrainObject(const VectorF& worldPoint);
    BendObject* DuplicateSelectedTerrain();
    bool DeleteSelectedTerrain();
    bool CycleSelectedTexture(bool forward);
    void ShiftSelectedLayers(int32_t step);
    bool MoveSelectedToLayerEnd(bool toBack);
    // ---- the photo a robot's thumbnail is taken from (RobotPhotoRequest.h) ----
    RobotPhotoRequest mPhotoRequest;

private:
    void RunTerrainActions(const InputDevices& input);
    void RunTerrainKeys(const InputDevices& input);
    void RunObjectActions(const InputDevices& input);
    void RunParticleActions();
    void RunScenarioActions(const InputDevices& input);
    void InsertEditRobotCopy();
    ParticleSystem* GetSelectedParticleSystem() const;
    int32_t GetParticleSystemLayer(const ParticleSystem* system) const;

    KIVGame& mGame;
    VectorI mLastMouse;
    bool mHasLastMouse = false;
};

} // namespace KIV
