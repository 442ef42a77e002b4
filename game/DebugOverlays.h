#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Color.h"
#include "base/Vector.h"
#include "physics/grid/SpatialGrid.h"
#include "render/Shape.h"

namespace KIV {

class KIVGame;
class Renderer;
class Toy;

// The debug drawings that the draw options switch on: each toy's passes, the contact islands,
// the joints, the terrain objects' frames, the terrain as wire and the grid's cells. Building
// them only reads the world, so a frame drawn with every switch on leaves the next step's result
// exactly as it would have been.
class DebugOverlays {
public:
    // Builds what no toy owns: the joint shapes, the island lines and the grid lines. Runs after
    // the toys' render geometry and before the layers are drawn.
    void Prepare(KIVGame& game);
    // In the plane of play, after its terrain and its toys: the switched-on passes of every
    // visible toy, then the piles and the joints.
    void DrawToyOverlays(Renderer& renderer, KIVGame& game, const Array<Toy*>& visible);
    // The frames of the terrain objects of one depth layer, in that layer's camera: the selected
    // object's and every object's, each shape under its own switch.
    void DrawTerrainObjectOverlays(Renderer& renderer, KIVGame& game, int32_t position);
    // The terrain's triangles as wire, each layer in its own camera, and the grid's cell lines
    // over the plane of play.
    void DrawTerrainAndGrid(Renderer& renderer, KIVGame& game);

    // Read by tests: the shapes built by the last Prepare.
    const Shape& GetIslandShape() const { return mIslands; }
    const Shape& GetGridShape() const { return mGrid; }

    // A shape holds at most this many points (signed 16-bit draw-group indices).
    static constexpr int32_t kMaxShapePoints = 32767;

private:
    void PrepareIslands(KIVGame& game);
    void PrepareGrid(KIVGame& game);

    Shape mIslands;
    Shape mGrid;
    Array<VectorF> mPoints{1024};
    Array<ColorRGBA> mColours{1024};
    Array<uint32_t> mPacked{1024};
    Array<GridDebugLine> mGridLines{1024};
};

} // namespace KIV
