#include "physics/world/Scene.h"

namespace KIV {

namespace {

// Only the plane of play and the layers that move with it exactly collide.
bool IsCollisionLayer(const Scene& scene, int32_t layer)
{
    float factor = 0.0f;
    if (scene.mLayerFactorLookup) return scene.mLayerFactorLookup(layer, factor) && factor == 1.0f;
    return layer == 0;
}

} // namespace

void Scene::RebuildStaticGrid()
{
    mGrid.ClearStatic();
    for (int32_t i = 0; i < mTerrainObjects.Count(); ++i) {
        BendObject& object = *mTerrainObjects[i];
        object.mStaticSlot = -1;
        if (!object.mCollisions || !IsCollisionLayer(*this, object.GetLayer())) continue;
        object.mStaticSlot = mGrid.InsertStaticEntry(object.GetStaticOutline());
    }
    // Pools rest on the terrain: one whose wall went away must not stay drawn.
    RetraceWaters();
}

void Scene::AnimateLights(bool parallel) { AnimateLightsParallel(mLights, parallel); }

void Scene::StepTerrainObjects(bool parallel)
{
    StepBendObjectsParallel(mTerrainObjects, parallel);
    // The grid is shared: moved edges are filed again after the parallel pass.
    for (int32_t i = 0; i < mTerrainObjects.Count(); ++i) {
        BendObject& object = *mTerrainObjects[i];
        if (object.mStaticSlot >= 0 && object.mAnimation.HasKeyFrames())
            mGrid.UpdateStaticEntry(object.mStaticSlot, object.GetStaticOutline());
    }
}

void Scene::ResetTerrainObjects()
{
    for (int32_t i = 0; i < mTerrainObjects.Count(); ++i) mTerrainObjects[i]->ResetToSavedFrame();
    RebuildStaticGrid();
}

} // namespace KIV
