#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Rect.h"
#include "base/Vector.h"

namespace KIV {

class Scene;
class Toy;

// Builders of the worlds that tests, benchmarks and tools share.
namespace Scenes {

// Corners of an axis-aligned box, clockwise on screen (y grows downward).
void MakeBox(Array<VectorF>& points, const RectF& box);
// A regular polygon of n points around the origin, clockwise on screen.
void MakeRegularPolygon(Array<VectorF>& points, int32_t n, float radius);

// Enters a closed polygon (either winding) as terrain with no terrain object
// behind it, so that its edges are hit from outside; the static slot, -1 on
// failure.
int32_t AddStaticPolygon(Scene& scene, const Array<VectorF>& points);
// A solid box of terrain, such as a ground slab or a wall.
int32_t AddStaticBox(Scene& scene, const RectF& box);

// A toy in a new slot, meshed from the polygon and entered into the grid;
// null (and no toy left behind) when the table is full or the build fails.
Toy* AddPolygonToy(Scene& scene, const Array<VectorF>& points, const VectorF& position, float angle = 0.0f,
                   float density = 1.0f);
Toy* AddBoxToy(Scene& scene, const VectorF& size, const VectorF& position, float angle = 0.0f, float density = 1.0f);

// A world of the given size with a ground slab along its bottom and walls at
// both sides, its grid set up over the whole world.
bool MakeWalledWorld(Scene& scene, const RectF& world, float wallThickness = 40.0f);
// Rows x columns boxes of the given size stacked from the ground up, with a gap between them.
int32_t AddBoxPile(Scene& scene, int32_t columns, int32_t rows, const VectorF& size, const VectorF& bottomLeft,
                   float gap = 2.0f);

} // namespace Scenes
} // namespace KIV
