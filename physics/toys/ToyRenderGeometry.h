#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Color.h"
#include "base/Vector.h"
#include "physics/world/DrawOptions.h"

namespace KIV {

class Shape;
class Texture;
class TracedGeometry;
class Toy;

// Which of a toy's display shapes each pass writes.
enum ToyShapeSlot : int32_t {
    kToyShapeTextured = 0,
    kToyShapeOutline,
    kToyShapePoints,
    kToyShapeContacts,
    kToyShapeDiagonals,
    kToyShapeImpulses,
    kToyShapeSprings,
    kToyShapeMoveVectors,
    kToyShapeTexturePoints,
    kToyShapeScaledTexturePoints,
    kToyShapeBox,
    kToyShapeSlotCount,
};

// Shape builders over a mesh record; they sit with the physics because the record does.
// A toy's textured picture: the mesh points turned by the angle and moved to the position.
bool InitShapeTransformed(Shape& shape, const Array<VectorF>& texCoords, Texture* texture,
                          const TracedGeometry& geometry, const VectorF& position, float angle);
// The mesh's inner edges as line segments, last edge first; an end inside the world point list
// is taken from it, any other from the mesh turned and moved. Core edges red, others green.
bool InitShapeFromToyEdges(Shape& shape, const Array<VectorF>& worldPoints, const TracedGeometry& geometry,
                           const VectorF& position, float angle);
// A mesh drawn where it lies (the water surface).
bool InitShapeMesh(Shape& shape, const TracedGeometry& geometry, Texture* texture);

// The toy's outline as line segments, and the closed rectangle around it.
bool BuildToyOutlineShape(const Toy& toy, Shape& shape, const ColorRGBA& colour);
bool BuildToyBoxShape(Toy& toy, Shape& shape, const ColorRGBA& colour);

// Fills a toy's display shapes for the next frame: the textured picture of a visible toy and each
// debug pass whose switch is set. A toy outside the view (when the visibility test is on) only
// records its box.
void BuildToyRenderGeometry(Toy& toy, const DrawOptions& options);
// The same over a list, one toy per iteration; each toy writes only its own shapes.
void BuildToyRenderGeometryParallel(Toy* const* toys, int32_t count, const DrawOptions& options, bool parallel);

} // namespace KIV
