#include "game/KIVGame.h"
#include "game/SceneEditor.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"

namespace KIV {

namespace {

bool BoxHolds(const RectF& box, const VectorF& p) { return p.mX >= box.x1 && p.mX <= box.x2 && p.mY >= box.y1 && p.mY <= box.y2; }

// The rectangle round every toy of the robot; false for a robot without toys.
bool GetRobotFrame(const Robot& robot, RectF& frame)
{
    bool any = false;
    for (const Toy* toy : robot.GetToys()) {
        if (!toy) continue;
        if (!any) frame = toy->mBounds;
        else frame.Include(toy->mBounds);
        any = true;
    }
    return any;
}

} // namespace

void SceneEditor::SelectTerrainObjectAt(const VectorF& mouseView)
{
    const LayerList& layers = mGame.mLayers;
    const int32_t layerCount = layers.GetLayerCount();
    // Where the walk starts: the selected object under the mouse, found while every mark is cleared.
    int32_t startLayer = -1, startIndex = 0, total = 0;
    for (int32_t l = 0; l < layerCount; ++l) {
        const DepthLayer& layer = *layers.GetLayerAt(l);
        const VectorF point = layers.ConvertPoint(layers.GetMinIndex() + l, mouseView);
        for (int32_t i = layer.mTerrainObjects.Count() - 1; i >= 0; --i) {
            BendObject* o = layer.mTerrainObjects[i];
            if (startLayer < 0 && o->mEditSelected && BoxHolds(o->mTexturedShape.mBounds, point)) {
                startLayer = l;
                startIndex = i;
            }
            o->mEditSelected = 0;
            ++total;
        }
    }
    if (startLayer < 0) {
        startLayer = 0;
        startIndex = 0;
    }
    if (total == 0) return;
    // Downwards from the start, wrapping from the first layer to the last, so
    // that each click takes the next object below the one taken before.
    int32_t l = startLayer, i = startIndex;
    for (int32_t tested = 0; tested < total;) {
        --i;
        while (i < 0) {
            l = l > 0 ? l - 1 : layerCount - 1;
            i = layers.GetLayerAt(l)->mTerrainObjects.Count() - 1;
        }
        BendObject* o = layers.GetLayerAt(l)->mTerrainObjects[i];
        ++tested;
        if (BoxHolds(o->mTexturedShape.mBounds, layers.ConvertPoint(layers.GetMinIndex() + l, mouseView))) {
            o->mEditSelected = 1;
            mGame.mTerrainObjects.SetSelectedIndex(mGame.mTerrainObjects.IndexOf(o));
            return;
        }
    }
}

BendObject* SceneEditor::GetFirstSelectedTerrainObject() const
{
    const LayerList& layers = mGame.mLayers;
    for (int32_t l = 0; l < layers.GetLayerCount(); ++l) {
        const Array<BendObject*>& list = layers.GetLayerAt(l)->mTerrainObjects;
        for (int32_t i = list.Count() - 1; i >= 0; --i)
            if (list[i]->mEditSelected) return list[i];
    }
    return nullptr;
}

bool SceneEditor::SelectRobot(const Robot* robot)
{
    const int32_t index = mGame.mRobots.GetRobots().IndexOf(robot);
    if (!robot || index < 0) return false;
    mGame.mRobots.SelectRobot(robot);
    return true;
}

bool SceneEditor::SelectRobotAt(const VectorF& point)
{
    const PtrArray<Robot>& robots = mGame.mRobots.GetRobots();
    const int32_t n = robots.Count();
    if (n == 0) return false;
    const int32_t current = robots.GetSelectedIndex();
    int32_t candidate = current >= 0 && current < n ? current : n;
    // The current robot is not tested again: repeated clicks go on to the next one below.
    for (int32_t tested = 0; tested < n - 1; ++tested) {
        candidate = candidate > 0 ? candidate - 1 : n - 1;
        RectF frame;
        if (GetRobotFrame(*robots[candidate], frame) && BoxHolds(frame, point)) return SelectRobot(robots[candidate]);
    }
    return false;
}

bool SceneEditor::SelectParticleSystemAt(const VectorF& point)
{
    if (!mParticleSystems) return false;
    const int32_t index = Scene::PickParticleSystemAt(*mParticleSystems, point);
    if (index < 0) return false;
    mParticlesInRobotBuilder = false;
    mParticleMaterialMode = 0;
    mParticleSystems->SetSelectedIndex(index);
    return true;
}

} // namespace KIV
