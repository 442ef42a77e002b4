#include "game/LayerList.h"
#include <cmath>
#include "game/ViewCamera.h"

namespace KIV {

bool DepthLayer::SetFactor(float factor)
{
    // A layer whose factor went out of range keeps it: the factor is frozen.
    if (!LayerList::IsValidFactor(factor) || !LayerList::IsValidFactor(mFactor)) return false;
    mFactor = factor;
    return true;
}

void LayerList::SetDefaultLayers()
{
    ReserveItemArrays(0, 0);
    mLayers.DeleteAll();
    mMin = mMax = 0;
    static const struct {
        int32_t index;
        float factor;
    } kDefaults[] = {{0, 1.0f},    {1, 1.0f},    {2, 1.0f},     {3, 1.0f},    {-1, 1.0f},   {-2, 1.0f},  {-3, 1.0f},
                     {-4, 0.9f},   {-5, 0.8f},   {-6, 0.7f},    {-7, 0.6f},   {-8, 0.5f},   {-9, 0.4f},  {-10, 0.3f},
                     {-11, 0.2f},  {-12, 0.1f},  {-13, 0.05f},  {4, 1.05f},   {5, 1.1f},    {6, 1.2f},   {7, 1.3f},
                     {8, 1.4f},    {9, 1.5f},    {10, 1.6f},    {11, 1.7f},   {12, 1.8f},   {13, 1.9f}};
    for (const auto& d : kDefaults) AddLayer(d.index, d.factor);
}

bool LayerList::AddLayer(int32_t index, float factor)
{
    if (index < mMin - 1 || index > mMax + 1) return false;
    int32_t position = index - mMin;
    if (position < 0) position = 0;
    if (position > mLayers.Count()) position = mLayers.Count();
    if (!mLayers.InsertNew(position)) return false;
    if (mLayers.Count() == 1) {
        // The first layer is always the plane of play.
        mMin = mMax = 0;
    } else if (index < 0) {
        --mMin;
    } else {
        ++mMax;
    }
    mLayers[position]->SetFactor(factor);
    return true;
}

bool LayerList::ReserveItemArrays(int32_t terrainCapacity, int32_t particleCapacity)
{
    for (int32_t i = mLayers.Count() - 1; i >= 0; --i) {
        DepthLayer* l = mLayers[i];
        if (terrainCapacity != -1 && !l->mTerrainObjects.SetCapacity(terrainCapacity, 0)) return false;
        if (particleCapacity != -1 && !l->mParticleSystems.SetCapacity(particleCapacity, 0)) return false;
        l->mTerrainObjects.SetGrowBy(32);
        l->mParticleSystems.SetGrowBy(32);
    }
    return true;
}

DepthLayer* LayerList::GetLayer(int32_t index) const
{
    if (mLayers.Count() == 0 || index < mMin || index > mMax) return nullptr;
    int32_t position = index - mMin;
    return position < mLayers.Count() ? mLayers[position] : nullptr;
}

bool LayerList::AddTerrainObject(BendObject* object, int32_t layer)
{
    DepthLayer* l = GetLayer(layer);
    return l && object && l->mTerrainObjects.PushBack(object);
}

bool LayerList::AddParticleSystem(ParticleSystem* system, int32_t layer)
{
    DepthLayer* l = GetLayer(layer);
    return l && system && l->mParticleSystems.PushBack(system);
}

template <typename T>
bool LayerList::RemoveItem(Array<T*> DepthLayer::*list, const PtrArray<DepthLayer>& layers, DepthLayer* own, T* item)
{
    if (!item) return false;
    // The object's own layer first; it may have moved since it was listed, so
    // then every layer, the last one first.
    if (own && (own->*list).RemoveValue(item)) return true;
    for (int32_t i = layers.Count() - 1; i >= 0; --i)
        if ((layers[i]->*list).RemoveValue(item)) return true;
    return false;
}

bool LayerList::RemoveTerrainObject(BendObject* object, int32_t layer)
{
    return RemoveItem(&DepthLayer::mTerrainObjects, mLayers, GetLayer(layer), object);
}

bool LayerList::RemoveParticleSystem(ParticleSystem* system, int32_t layer)
{
    return RemoveItem(&DepthLayer::mParticleSystems, mLayers, GetLayer(layer), system);
}

bool LayerList::UpdateViews(const VectorF& screenSize, const VectorF& cameraPosition, const VectorF& cameraScale,
                            float cameraValue)
{
    VectorF base = NormalizedScreenExtent(screenSize);
    for (int32_t i = mLayers.Count() - 1; i >= 0; --i) {
        DepthLayer* l = mLayers[i];
        if (!IsValidFactor(l->mFactor)) continue;
        l->mCenter = cameraPosition;
        VectorF half = l->mScale != 0.0f ? base * l->mScale : base * cameraScale;
        half = half * (0.5f / l->mFactor);
        l->mViewMin = cameraPosition - half;
        l->mViewMax = cameraPosition + half;
        l->mCameraValue = cameraValue;
    }
    return true;
}

VectorF LayerList::ConvertPoint(int32_t layer, const VectorF& point) const
{
    const DepthLayer* l = GetLayer(layer);
    if (!l) return point;
    return l->mViewMin + point * (l->mViewMax - l->mViewMin);
}

VectorF LayerList::ConvertVector(int32_t layer, const VectorF& vector) const
{
    const DepthLayer* l = GetLayer(layer);
    if (!l) return vector;
    return vector * (l->mViewMax - l->mViewMin);
}

VectorF LayerList::WorldToView(int32_t layer, const VectorF& point) const
{
    const DepthLayer* l = GetLayer(layer);
    if (!l) return point;
    VectorF extent = l->mViewMax - l->mViewMin;
    if (extent.mX == 0.0f || extent.mY == 0.0f) return point;
    return (point - l->mViewMin) / extent;
}

} // namespace KIV
