#include "game/DebugOverlays.h"
#include "game/KIVGame.h"
#include "physics/joints/Joint.h"
#include "physics/terrain/BendObject.h"
#include "physics/toys/Toy.h"
#include "physics/toys/ToyRenderGeometry.h"
#include "physics/world/GameSettings.h"
#include "render/Renderer.h"

namespace KIV {

namespace {

void Wire(Renderer& renderer, Shape& shape)
{
    if (shape.mPoints.Count() > 0) renderer.DrawShapeWireframe(shape);
}

void SetViewOf(Renderer& renderer, const DepthLayer& layer)
{
    renderer.SetView(RectF(layer.mViewMin.mX, layer.mViewMin.mY, layer.mViewMax.mX, layer.mViewMax.mY), 0.0f);
}

} // namespace

void DebugOverlays::Prepare(KIVGame& game)
{
    const DrawOptions& o = game.mDrawOptions;
    const bool parallel = gSettings && gSettings->mParallelismEnabled != 0;
    if (o.mJoints || o.mJointConstraints) BuildJointShapesParallel(game.mJoints.mJoints, parallel);
    if (o.mToyPiles) PrepareIslands(game);
    if (o.mGrid) PrepareGrid(game);
}

void DebugOverlays::PrepareIslands(KIVGame& game)
{
    game.BuildIslandOverlay(mPoints, mColours);
    mPacked.Clear();
    for (const ColorRGBA& c : mColours) mPacked.PushBack(c.Pack());
    // Enormous piles keep their first links: the shape cannot address more points.
    const int32_t n = mPoints.Count() < kMaxShapePoints ? mPoints.Count() : kMaxShapePoints - 1;
    mPoints.SetCount(n);
    mPacked.SetCount(n);
    mIslands.InitColouredPoints(1, mPoints, mPacked);
}

void DebugOverlays::PrepareGrid(KIVGame& game)
{
    game.mGrid.BuildDebugLines(game.mDrawOptions.mViewRect, mGridLines);
    // Zoomed far out, more cell lines than a shape can hold fall on every pixel: keep every
    // k-th line, which at that density looks the same.
    const int32_t lines = mGridLines.Count();
    const int32_t stride = lines * 2 < kMaxShapePoints ? 1 : (lines * 2) / kMaxShapePoints + 1;
    mPoints.Clear();
    mPacked.Clear();
    for (int32_t i = 0; i < lines; i += stride) {
        const GridDebugLine& line = mGridLines[i];
        mPoints.PushBack(line.mFrom);
        mPoints.PushBack(line.mTo);
        mPacked.PushBack(line.mColor.Pack());
        mPacked.PushBack(line.mColor.Pack());
    }
    mGrid.InitColouredPoints(1, mPoints, mPacked);
}

void DebugOverlays::DrawToyOverlays(Renderer& renderer, KIVGame& game, const Array<Toy*>& visible)
{
    const DrawOptions& o = game.mDrawOptions;
    // The order in which the passes lie over each other: mesh lines at the bottom, the
    // outline points and move vectors on top where they stay readable.
    const struct {
        uint8_t DrawOptions::*option;
        int32_t slot;
    } passes[] = {
        {&DrawOptions::mToyDiagonals, kToyShapeDiagonals},
        {&DrawOptions::mToyContacts, kToyShapeContacts},
        {&DrawOptions::mToySprings, kToyShapeSprings},
        {&DrawOptions::mToyImpulses, kToyShapeImpulses},
        {&DrawOptions::mToyTexturePoints, kToyShapeTexturePoints},
        {&DrawOptions::mToyScaledTexturePoints, kToyShapeScaledTexturePoints},
        {&DrawOptions::mToyPoints, kToyShapePoints},
        {&DrawOptions::mToyPoints, kToyShapeOutline},
        {&DrawOptions::mToyMoveVectors, kToyShapeMoveVectors},
    };
    for (const auto& pass : passes) {
        if (!(o.*pass.option)) continue;
        for (Toy* toy : visible) Wire(renderer, toy->mShapes[pass.slot]);
    }
    if (o.mToyPiles) Wire(renderer, mIslands);
    for (Joint* joint : game.mJoints.mJoints) {
        if (!joint) continue;
        if (o.mJointConstraints) Wire(renderer, joint->mShapes[1]);
        if (o.mJoints) Wire(renderer, joint->mShapes[0]);
    }
}

void DebugOverlays::DrawTerrainObjectOverlays(Renderer& renderer, KIVGame& game, int32_t position)
{
    const DrawOptions& o = game.mDrawOptions;
    const struct {
        uint8_t DrawOptions::*selected;
        uint8_t DrawOptions::*all;
        int32_t shape;
    } overlays[] = {
        {&DrawOptions::mSelTerrainObjsVectorBorder, &DrawOptions::mAllTerrainObjsVectorBorder,
         BendObject::kVectorBorderShape},
        {&DrawOptions::mSelTerrainObjsTriangles, &DrawOptions::mAllTerrainObjsTriangles,
         BendObject::kTriangleBoxesShape},
        {&DrawOptions::mSelTerrainObjsBoundBox, &DrawOptions::mAllTerrainObjsBoundBox, BendObject::kBoundBoxShape},
        {&DrawOptions::mSelTerrainObjsBeziers, &DrawOptions::mAllTerrainObjsBeziers, BendObject::kBeziersShape},
        {&DrawOptions::mSelTerrainObjsBezierVectors, &DrawOptions::mAllTerrainObjsBezierVectors,
         BendObject::kBezierVectorsShape},
    };
    const DepthLayer* layer = game.mLayers.GetLayerAt(position);
    const BendObject* selected = game.mTerrainObjects.GetSelected();
    bool viewSet = false;
    for (BendObject* object : layer->mTerrainObjects) {
        for (const auto& overlay : overlays) {
            const bool on = (o.*overlay.all) || (object == selected && (o.*overlay.selected));
            if (!on || object->mDebugShapes[overlay.shape].mPoints.Count() == 0) continue;
            if (!viewSet) SetViewOf(renderer, *layer);
            viewSet = true;
            Wire(renderer, object->mDebugShapes[overlay.shape]);
        }
    }
}

void DebugOverlays::DrawTerrainAndGrid(Renderer& renderer, KIVGame& game)
{
    const DrawOptions& o = game.mDrawOptions;
    LayerList& layers = game.mLayers;
    if (o.mTerrain) {
        for (int32_t i = 0; i < layers.GetLayerCount(); ++i) {
            const DepthLayer* layer = layers.GetLayerAt(i);
            if (layer->mTerrainObjects.Count() == 0) continue;
            SetViewOf(renderer, *layer);
            for (BendObject* object : layer->mTerrainObjects)
                renderer.DrawShape(object->mTexturedShape, true, 255, true);
        }
    }
    if (o.mGrid && mGrid.mPoints.Count() > 0) {
        if (const DepthLayer* play = layers.GetLayer(0)) SetViewOf(renderer, *play);
        Wire(renderer, mGrid);
    }
}

} // namespace KIV
