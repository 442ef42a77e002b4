#include "game/ScenePass.h"
#include "base/Notices.h"
#include "base/Statistics.h"
#include "base/TextFormat.h"
#include "game/Hud.h"
#include "game/KIVGame.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/world/GameSettings.h"
#include "physics/toys/Toy.h"
#include "physics/toys/ToyRenderGeometry.h"
#include "render/BitmapFont.h"

namespace KIV {

namespace {
// A picture reaches the GL context on the first draw that needs it.
void Draw(Renderer& renderer, Shape& shape, bool lightingOff)
{
    if (shape.mTexture) renderer.UploadTextureIfPending(shape.mTexture);
    renderer.DrawShape(shape, false, 255, lightingOff);
}
} // namespace

void ScenePass::DrawScene(Renderer& renderer, bool screenOverlays)
{
    if (!mGame.mDrawOptions.mDoRenderScene) return;
    LayerList& layers = mGame.mLayers;
    PrepareToys();
    mOverlays.Prepare(mGame);
    mParticleMeshesUsed = 0;
    for (int32_t i = 0; i < layers.GetLayerCount(); ++i) {
        DepthLayer* layer = layers.GetLayerAt(i);
        renderer.SetView(RectF(layer->mViewMin.mX, layer->mViewMin.mY, layer->mViewMax.mX, layer->mViewMax.mY), 0.0f);
        DrawLayerTerrain(renderer, i);
        DrawLayerParticles(renderer, i);
        // Toys live in the plane of play, in front of its terrain; pools are
        // traced against that plane's terrain and cover the toys in them.
        if (layers.GetMinIndex() + i == 0) {
            DrawToys(renderer);
            DrawWater(renderer);
        }
    }
    // The debug frames lie over every layer, so a front layer never hides them.
    for (int32_t i = 0; i < layers.GetLayerCount(); ++i) mOverlays.DrawTerrainObjectOverlays(renderer, mGame, i);
    mOverlays.DrawTerrainAndGrid(renderer, mGame);
    mEditWindows.Draw(renderer, mGame);
    if (screenOverlays) DrawOverlays(renderer);
}

void ScenePass::DrawLayerTerrain(Renderer& renderer, int32_t position)
{
    for (BendObject* o : mGame.mLayers.GetLayerAt(position)->mTerrainObjects)
        Draw(renderer, o->mTexturedShape, false);
}

void ScenePass::DrawLayerParticles(Renderer& renderer, int32_t position)
{
    for (ParticleSystem* system : mGame.mLayers.GetLayerAt(position)->mParticleSystems) {
        const int32_t particles = system->GetParticleCount();
        if (particles == 0 || !system->mTexture) continue;
        if (mParticleMeshesUsed == mParticleMeshes.Count() && !mParticleMeshes.PushBack(-1)) return;
        int32_t& meshIndex = mParticleMeshes[mParticleMeshesUsed++];
        RenderMesh* mesh = renderer.GetPooledMesh(meshIndex);
        if (!mesh) return;
        const bool shards = system->GetShardSystem();
        const int32_t perParticle = shards ? kFanParticleVertices : kQuadParticleVertices;
        const int32_t room = particles * perParticle;
        // The arrays only grow, and only past the most particles yet drawn.
        if (!mesh->mVertices.SetCount(room) || !mesh->mColors.SetCount(room) || !mesh->mTexCoords.SetCount(room))
            continue;
        int32_t drawn = 0;
        const bool built = shards ? system->BuildRotatedVertices(mesh->mVertices.Data(), mesh->mColors.Data(),
                                                                 mesh->mTexCoords.Data(), particles, drawn)
                                  : system->BuildStretchedVertices(mesh->mVertices.Data(), mesh->mColors.Data(),
                                                                   mesh->mTexCoords.Data(), particles, drawn);
        if (!built) continue;
        mesh->mVertices.SetCount(drawn * perParticle);
        mesh->mColors.SetCount(drawn * perParticle);
        mesh->mTexCoords.SetCount(drawn * perParticle);
        mesh->mKind = 3;
        mesh->mDrawState = system->mParticleShape.mDrawState;
        mesh->mDrawState.mLighted = 0;
        renderer.UploadTextureIfPending(system->mTexture);
        renderer.DrawParticleMesh(meshIndex, perParticle, drawn, system->mTexture);
    }
}

void ScenePass::PrepareToys()
{
    Array<Toy*>& toys = mVisibleToys;
    toys.Clear();
    for (Toy* toy : mGame.mToys) toys.PushBack(toy);
    BuildToyRenderGeometryParallel(toys.Data(), toys.Count(), mGame.mDrawOptions,
                                   gSettings->mParallelismEnabled != 0);
    // A toy outside the view keeps last frame's shapes: only the visible ones are drawn.
    int32_t kept = 0;
    for (Toy* toy : toys)
        if (toy->mVisible) toys[kept++] = toy;
    toys.SetCount(kept);
}

void ScenePass::DrawToys(Renderer& renderer)
{
    for (Toy* toy : mVisibleToys) {
        Shape& picture = toy->mShapes[kToyShapeTextured];
        if (picture.mPoints.Count() > 0) Draw(renderer, picture, false);
    }
    mOverlays.DrawToyOverlays(renderer, mGame, mVisibleToys);
}

void ScenePass::DrawWater(Renderer& renderer)
{
    for (Water* water : mGame.mWaters)
        if (water->mSurfaceShape.mTriangles.Count() > 0) Draw(renderer, water->mSurfaceShape, false);
}

void ScenePass::DrawOverlays(Renderer& renderer)
{
    float w = float(renderer.GetWindowWidth()), h = float(renderer.GetWindowHeight());
    if (w <= 0.0f || h <= 0.0f) return;
    renderer.SetView(RectF(0.0f, 0.0f, w, h), 0.0f);
    // No edit windows exist yet, so the hint to show them never applies.
    BuildHudTexts(mGame, w, h, false, mHudTexts);
    if (LayOutHudTexts(mTextShape, mHudTexts)) Draw(renderer, mTextShape, true);
}

} // namespace KIV
