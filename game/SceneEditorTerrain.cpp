#include "base/InputDevices.h"
#include "base/Notices.h"
#include "game/GameKeys.h"
#include "game/KIVGame.h"
#include "game/SceneEditor.h"
#include "game/SelectionCommands.h"
#include "render/TextureLib.h"

namespace KIV {

namespace {

// A key press this frame with exactly these keys; with repeat, a held key's repeats count too.
bool KeyCommand(const InputDevices& in, uint32_t modifiers, int32_t key, bool repeat = false)
{
    if (IsCombo(in, ComboWhen::kPressed, modifiers, key)) return true;
    return repeat && in.IsKeyPressedOrRepeated(0, key) && IsCombo(in, ComboWhen::kHeld, modifiers, key);
}

} // namespace

void SceneEditor::RefreshAfterTerrainEdit()
{
    mGame.AssignLightsToTerrain();
    mGame.RebuildTerrainCollisionEntries();
    // The grid's display lines are drawn from the grid itself every frame (DebugOverlays), so
    // the rebuilt grid shows at once.
}

void SceneEditor::RefreshAfterLayerEdit()
{
    mGame.RebuildTerrainCollisionEntries();
    SortTerrainObjectsIntoLayers();
    mGame.RebuildLightGrid();
    mGame.AssignLightsToTerrain();
}

void SceneEditor::SortTerrainObjectsIntoLayers()
{
    LayerList& layers = mGame.mLayers;
    for (int32_t i = 0; i < layers.GetLayerCount(); ++i) layers.GetLayerAt(i)->mTerrainObjects.Clear();
    layers.ReserveItemArrays(mGame.mTerrainObjects.Count(), -1);
    for (BendObject* o : mGame.mTerrainObjects) layers.AddTerrainObject(o, o->GetLayer());
}

void SceneEditor::MoveSelectedTerrain(const VectorF& viewMove)
{
    for (BendObject* o : mGame.mTerrainObjects)
        if (o->mEditSelected) o->Move(mGame.mLayers.ConvertVector(o->GetLayer(), viewMove));
}

void SceneEditor::RotateSelectedTerrain(float angle)
{
    for (BendObject* o : mGame.mTerrainObjects)
        if (o->mEditSelected) o->Rotate(angle);
}

void SceneEditor::ScaleSelectedTerrain(float factor)
{
    if (!(factor > 0.0f)) return;
    for (BendObject* o : mGame.mTerrainObjects)
        if (o->mEditSelected) o->ScaleXY(factor, factor);
}

void SceneEditor::GrabSelectedFrameHandles(const VectorF& mouseView)
{
    for (BendObject* o : mGame.mTerrainObjects) {
        if (!o->mEditSelected) continue;
        const DepthLayer* layer = mGame.mLayers.GetLayer(o->GetLayer());
        // The grab radius follows the layer's visible extent, so handles are as easy to hit at every zoom.
        const VectorF extent = layer ? layer->mViewMax - layer->mViewMin : VectorF();
        const float size = 0.01f * (extent.mX + extent.mY);
        o->mEditHandle = o->mFrame.FindNearestFrameHandle(mGame.mLayers.ConvertPoint(o->GetLayer(), mouseView), size);
    }
}

void SceneEditor::DragSelectedFrameHandles(const VectorF& viewMove)
{
    for (BendObject* o : mGame.mTerrainObjects) {
        if (!o->mEditSelected || o->mEditHandle < 0) continue;
        if (o->mFrame.ApplyHandleDrag(o->mEditHandle, mGame.mLayers.ConvertVector(o->GetLayer(), viewMove))) o->Rebuild();
    }
}

BendObject* SceneEditor::InsertTerrainObject(const VectorF& worldPoint)
{
    TextureLib* library = mGame.mTextureLib;
    if (!library || library->mSelectedName.empty()) return nullptr;
    BendObject* o = mGame.mTerrainObjects.AppendNew();
    if (!o) return nullptr;
    if (!o->SetTexture(*library, library->mSelectedName)) {
        mGame.mTerrainObjects.DeleteAt(mGame.mTerrainObjects.Count() - 1);
        ReportNotice("No terrain object made of Textures\\" + library->mSelectedName + ": the picture could not be used");
        return nullptr;
    }
    o->Move(worldPoint - o->mFrame.GetCentre());
    // A level reset puts the object back where it was placed.
    o->mSavedFrame.Assign(o->mFrame);
    mGame.SelectOnlyTerrainObject(o);
    mGame.mLayers.AddTerrainObject(o, o->GetLayer());
    return o;
}

BendObject* SceneEditor::DuplicateSelectedTerrain()
{
    BendObject* source = GetFirstSelectedTerrainObject();
    if (!source) return nullptr;
    BendObject* copy = mGame.mTerrainObjects.AppendNew();
    if (!copy) return nullptr;
    if (!copy->AssignFrom(*source, VectorF())) {
        mGame.mTerrainObjects.DeleteAt(mGame.mTerrainObjects.Count() - 1);
        return nullptr;
    }
    source->mEditSelected = 0;
    copy->mEditSelected = 1;
    mGame.mLayers.AddTerrainObject(copy, copy->GetLayer());
    return copy;
}

bool SceneEditor::DeleteSelectedTerrain()
{
    BendObject* victim = GetFirstSelectedTerrainObject();
    if (!victim) return false;
    mGame.mLayers.RemoveTerrainObject(victim, victim->GetLayer());
    // The list's own deletion moves the current index down with the list, so
    // it never points past the end once the last object is gone.
    mGame.mTerrainObjects.DeleteAt(mGame.mTerrainObjects.IndexOf(victim));
    BendObject* current = mGame.mTerrainObjects.GetSelected();
    if (current) mGame.SelectOnlyTerrainObject(current);
    return true;
}

bool SceneEditor::CycleSelectedTexture(bool forward)
{
    BendObject* o = GetFirstSelectedTerrainObject();
    return o && mGame.mTextureLib && o->CycleTexture(*mGame.mTextureLib, forward);
}

void SceneEditor::ShiftSelectedLayers(int32_t step)
{
    const int32_t lowest = mGame.mLayers.GetMinIndex(), highest = mGame.mLayers.GetMaxIndex();
    for (BendObject* o : mGame.mTerrainObjects) {
        if (!o->mEditSelected) continue;
        const int32_t layer = o->GetLayer() + step;
        if (layer >= lowest && layer <= highest) o->SetLayer(layer);
    }
}

bool SceneEditor::MoveSelectedToLayerEnd(bool toBack)
{
    BendObject* o = GetFirstSelectedTerrainObject();
    DepthLayer* layer = o ? mGame.mLayers.GetLayer(o->GetLayer()) : nullptr;
    if (!layer) return false;
    return toBack ? layer->mTerrainObjects.MoveValueToBack(o) : layer->mTerrainObjects.MoveValueToFront(o);
}

void SceneEditor::RunTerrainActions(const InputDevices& in)
{
    const SceneEditFrame& f = mFrame;
    switch (f.mTool) {
    case kToolSelect:
        if (f.mClicked) SelectTerrainObjectAt(f.mMouseView);
        break;
    case kToolMove:
        if (f.mHeld && f.mMoved) MoveSelectedTerrain(f.mMouseMove);
        break;
    case kToolRotate:
        if (f.mHeld && f.mMoved) RotateSelectedTerrain(f.mMouseMove.mX - f.mMouseMove.mY);
        break;
    case kToolScale:
        if (f.mHeld && f.mMoved) ScaleSelectedTerrain(1.0f + f.mMouseMove.mX - f.mMouseMove.mY);
        break;
    case kToolHandles:
        if (f.mPressed) GrabSelectedFrameHandles(f.mMouseView);
        if (f.mHeld && f.mMoved) DragSelectedFrameHandles(f.mMouseMove);
        break;
    default: break;
    }
    if (f.mTool != kToolSelect && f.mReleased) RefreshAfterTerrainEdit();
    if (!f.mKeysBlocked) RunTerrainKeys(in);
}

void SceneEditor::RunTerrainKeys(const InputDevices& in)
{
    // One command per frame, the first that applies.
    if (KeyCommand(in, kNoMod, Key::kInsert)) {
        if (InsertTerrainObject(mFrame.mMouseWorld)) RefreshAfterTerrainEdit();
    } else if (KeyCommand(in, kCtrl, Key::kInsert)) {
        if (DuplicateSelectedTerrain()) RefreshAfterTerrainEdit();
    } else if (KeyCommand(in, kNoMod, Key::kDelete)) {
        if (DeleteSelectedTerrain()) RefreshAfterTerrainEdit();
    } else if (KeyCommand(in, kNoMod, Key::kPageUp, true)) {
        CycleSelectedTexture(true);
        RefreshAfterTerrainEdit();
    } else if (KeyCommand(in, kNoMod, Key::kPageDown, true)) {
        CycleSelectedTexture(false);
        RefreshAfterTerrainEdit();
    } else if (KeyCommand(in, kCtrl, Key::kHome)) {
        ShiftSelectedLayers(-1);
        RefreshAfterLayerEdit();
    } else if (KeyCommand(in, kCtrl, Key::kEnd)) {
        ShiftSelectedLayers(1);
        RefreshAfterLayerEdit();
    } else if (KeyCommand(in, kNoMod, Key::kHome)) {
        MoveSelectedToLayerEnd(false);
        RefreshAfterTerrainEdit();
    } else if (KeyCommand(in, kNoMod, Key::kEnd)) {
        MoveSelectedToLayerEnd(true);
        RefreshAfterTerrainEdit();
    } else if (KeyCommand(in, kNoMod, Key::kLeftBracket)) {
        STO_SetCollisions(mGame, false);
    } else if (KeyCommand(in, kNoMod, Key::kRightBracket)) {
        STO_SetCollisions(mGame, true);
    }
}

} // namespace KIV
