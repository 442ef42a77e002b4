#include "game/KIVGame.h"
#include "base/FileUtils.h"

namespace KIV {

KIVGame* gGame = nullptr;

KIVGame::KIVGame()
{
    gGame = this;
    mGravity = VectorF(0.0f, 800.0f);
    mDrawOptions.mSelTerrainObjsVectorBorder = 1;
    mDrawOptions.mTestVisible = 1;
    // The physics asks the layer stack whether a terrain object lies in the plane of play.
    mLayerFactorLookup = [this](int32_t layer, float& factor) {
        const DepthLayer* l = mLayers.GetLayer(layer);
        if (!l) return false;
        factor = l->mFactor;
        return true;
    };
    // Simulated particle systems are drawn with their depth layer.
    mParticleLayerHook = [this](ParticleSystem& system, int32_t layer, bool add) {
        if (add) mLayers.AddParticleSystem(&system, layer);
        else mLayers.RemoveParticleSystem(&system, layer);
    };
    ApplyPhysicsFrequency(mTiming.GetFrequency());
}

KIVGame::~KIVGame()
{
    if (gGame == this) gGame = nullptr;
}

} // namespace KIV
