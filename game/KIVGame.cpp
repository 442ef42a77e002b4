#include "game/KIVGame.h"
#include "base/FileUtils.h"
#include "robots/RobotScripting.h"

namespace KIV {

KIVGame* gGame = nullptr;

KIVGame::KIVGame()
{
    gGame = this;
    mGravity = VectorF(0.0f, 800.0f);
    mDrawOptions.mSelTerrainObjsVectorBorder = 1;
    mDrawOptions.mTestVisible = 1;
    // The scene editor picks and edits the scene's own particle systems.
    mSceneEditor.mParticleSystems = &mParticleSystems.mSystems;
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
    // The Lua state may be gone before the game: robots leaving now tell no script.
    mRobots.SetScripting(nullptr);
    mEditRobots.SetScripting(nullptr);
    // Their emitters stand in the depth layers, which go before the robot lists.
    mRobots.RemoveAll();
    mEditRobots.RemoveAll();
    if (gGame == this) gGame = nullptr;
}

} // namespace KIV
