#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Color.h"
#include "base/Rect.h"
#include "base/Vector.h"
#include "render/DrawGroup.h"
#include "render/DrawState.h"

namespace KIV {

class Texture;

// The unit the renderer draws: points with per-point colours and texture coordinates, an optional
// texture, a draw state, and either an indexed triangle list (kind 3) or line segments (kind 1).
// Toys, terrain, water, particles, windows and text embed shapes and fill them with the builders.
class Shape {
public:
    Shape();
    // A copy gets a mesh of its own on its first draw: two shapes drawing through one mesh would
    // overwrite each other's geometry.
    Shape(const Shape& other);
    Shape& operator=(const Shape& other);
    // Hands its mesh back to the renderer's pool for the next shape.
    ~Shape();

    void Init();
    void Free();
    void FreeArrays();

    bool InitPoints(int32_t kind, const Array<VectorF>& points, const ColorRGBA& colour);
    bool InitColouredPoints(int32_t kind, const Array<VectorF>& points, const Array<uint32_t>& colours);
    // A textured triangle mesh from a point list, its triangles and one texture coordinate per point
    // (the water surface); false, with the shape unchanged, when the coordinates do not match the
    // points or a triangle names a point that is not there.
    bool InitMesh(const Array<VectorF>& points, const Array<IndexTriangle>& triangles,
                  const Array<VectorF>& texCoords, Texture* texture);
    void ResetToTexture(Texture* texture);
    bool SetTexture(Texture* texture, const VectorI& size);
    bool InitTexturedQuad(Texture* texture, const ColorRGBA& colour, const RectF& rect);
    bool InitColouredQuad(Texture* texture, const ColorRGBA& colour, float margin, const ColorRGBA& marginColour,
                          const RectF& rect);
    bool BuildGridMesh(const VectorI& size, const VectorI& storageSize);
    // Sorts the given triangles (the shape's own when source is its triangle list) into draw groups.
    bool BuildDrawGroups(const Array<IndexTriangle>& source, float cellSize);
    void Translate(const VectorF& offset);
    bool RecomputeDrawGroupBounds();
    void RecomputeBounds();
    // Appends one quad (top-left, top-right, bottom-right, bottom-left) with its two triangles;
    // false, with nothing appended, when its points would lie beyond 16-bit indices.
    bool AppendQuad(const RectF& rect, uint32_t colour, const VectorF uv[4]);
    // Both changed flags, so the renderer copies everything into the mesh again.
    void MarkChanged()
    {
        mPointsChanged = true;
        mTrianglesChanged = true;
    }

    int32_t mKind;
    Array<VectorF> mPoints;
    bool mPointsChanged;
    Array<uint32_t> mColors;  // RGBA, red in the low byte
    Array<VectorF> mTexCoords;
    Array<IndexTriangle> mTriangles;
    bool mTrianglesChanged;
    Texture* mTexture;  // not owned; null draws untextured
    DrawState mDrawState;
    RectF mBounds;
    Array<DrawGroup> mDrawGroups;
    // The shape's mesh in the renderer's pool (-1 until its first draw). The pool owns the mesh;
    // freeing the shape leaves it there for reuse.
    int32_t mMeshIndex;

private:
    void InitUntexturedPoints(int32_t kind, const Array<VectorF>& points, const Array<uint32_t>* colours);
    bool PrepareQuadLists(int32_t quads);
};

} // namespace KIV
