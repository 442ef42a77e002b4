#pragma once
#include "render/Renderer.h"
#include "base/Array.h"
#include "render/Shape.h"
#include "game/DebugOverlays.h"
#include "game/EditWindowPass.h"
#include "game/Hud.h"

namespace KIV {

class KIVGame;
class Toy;

// The scene part of a rendered frame: the depth layers from the back to the
// front, each with its own parallax view, the toys and the pools in the plane
// of play, then the screen overlays.
class ScenePass : public FramePass {
public:
    explicit ScenePass(KIVGame& game) : mGame(game) {}
    void DrawScene(Renderer& renderer, bool screenOverlays) override;

    Shape mTextShape;
    DebugOverlays mOverlays;
    EditWindowPass mEditWindows;

private:
    void DrawLayerTerrain(Renderer& renderer, int32_t position);
    // The toys' pictures and debug shapes are built before any layer is drawn.
    void PrepareToys();
    void DrawToys(Renderer& renderer);
    void DrawWater(Renderer& renderer);
    // The particle systems of a layer, each into a mesh of the pool below.
    void DrawLayerParticles(Renderer& renderer, int32_t position);
    void DrawOverlays(Renderer& renderer);

    KIVGame& mGame;
    Array<Toy*> mVisibleToys;
    // Render meshes the frame's particle systems are written into, in
    // drawing order; kept from frame to frame so that they stop growing.
    Array<int32_t> mParticleMeshes;
    int32_t mParticleMeshesUsed = 0;
    std::vector<HudText> mHudTexts; // reused from frame to frame
};

} // namespace KIV
