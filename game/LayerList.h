#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Color.h"
#include "base/Vector.h"

namespace KIV {

class BendObject;
class ParticleSystem;

// One plane of the scene's parallax stack. Layer 0 is the plane of play;
// negative layers lie behind it, positive ones in front.
struct DepthLayer {
    float mFactor = 1.0f; // smaller shows more of the world and moves slower
    int32_t mSpare = 0;
    VectorF mCenter;
    VectorF mViewMin;
    VectorF mViewMax;
    float mCameraValue = 0.0f;
    float mScale = 0.0f; // 0: the camera's scale applies
    // Layer 0's colour is the scene's view colour: the sky behind every layer.
    ColorRGBAF mColor;
    Array<BendObject*> mTerrainObjects;
    Array<ParticleSystem*> mParticleSystems;

    bool SetFactor(float factor);
};

// The scene's signed depth layers; element k is layer min + k. The range
// always contains 0 once a layer exists, because the list only grows at its ends.
class LayerList {
public:
    static constexpr float kMinFactor = 0.00001f;
    static constexpr float kMaxFactor = 100.0f;

    LayerList() { mLayers.SetGrowBy(32); }

    void SetDefaultLayers();
    bool AddLayer(int32_t index, float factor);
    bool ReserveItemArrays(int32_t terrainCapacity, int32_t particleCapacity);

    bool AddTerrainObject(BendObject* object, int32_t layer);
    bool RemoveTerrainObject(BendObject* object, int32_t layer);
    bool AddParticleSystem(ParticleSystem* system, int32_t layer);
    bool RemoveParticleSystem(ParticleSystem* system, int32_t layer);

    bool UpdateViews(const VectorF& screenSize, const VectorF& cameraPosition, const VectorF& cameraScale,
                     float cameraValue);
    VectorF ConvertPoint(int32_t layer, const VectorF& point) const;
    VectorF ConvertVector(int32_t layer, const VectorF& vector) const;
    VectorF WorldToView(int32_t layer, const VectorF& point) const;

    DepthLayer* GetLayer(int32_t index) const;
    bool LayerExists(int32_t index) const { return GetLayer(index) != nullptr; }
    int32_t GetMinIndex() const { return mMin; }
    int32_t GetMaxIndex() const { return mMax; }
    int32_t GetLayerCount() const { return mLayers.Count(); }
    // In list order: from the back layer to the front one.
    DepthLayer* GetLayerAt(int32_t position) const { return mLayers[position]; }

    static bool IsValidFactor(float f) { return f >= kMinFactor && f <= kMaxFactor; }

private:
    template <typename T>
    static bool RemoveItem(Array<T*> DepthLayer::*list, const PtrArray<DepthLayer>& layers, DepthLayer* own,
                           T* item);

    PtrArray<DepthLayer> mLayers;
    int32_t mMin = 0;
    int32_t mMax = 0;
};

} // namespace KIV
