#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Vector.h"
#include "render/DrawState.h"

namespace KIV {

class Shape;

// The GPU-side copy of a shape or particle system. The renderer's mesh pool owns them, and the
// command stream names them by their pool index, so they outlive the frame's execution.
struct RenderMesh {
    Array<VectorF> mVertices;
    Array<uint32_t> mColors;     // RGBA bytes, one per vertex; empty means the fill colour is used
    Array<VectorF> mTexCoords;   // empty means untextured
    Array<IndexTriangle> mIndices;
    int32_t mKind = 3;           // index into the primitive table
    DrawState mDrawState;        // a new mesh lights, unlike a builder's reset state
    int32_t mParticleCapacity = -1;  // the particle count the index triangles were built for

    // Takes what changed in the shape and clears its changed flags; false gives up the draw, as for
    // a triangle shape whose colour or texture-coordinate list does not match its points, or whose
    // triangles name points it does not have.
    bool UpdateFromShape(Shape& shape);
    // A wireframe mesh from the shape's points alone, in its fill colour unless it has colours.
    bool UpdateFromPoints(const Shape& shape);

    // Index triangles for particles drawn as quads (4 vertices) or fans (6 vertices). Indices are
    // 16-bit, so they are built for at most one batch; larger systems are drawn batch by batch
    // from a moved vertex base with the same indices.
    bool BuildQuadIndices(int32_t particles);
    bool BuildFanIndices(int32_t particles);
};

inline constexpr int32_t kQuadParticleVertices = 4;
inline constexpr int32_t kFanParticleVertices = 6;
inline constexpr int32_t kQuadParticleTriangles = 2;
inline constexpr int32_t kFanParticleTriangles = 5;
// Particles per batch whose vertices 16-bit indices can address.
inline int32_t ParticlesPerBatch(int32_t verticesPerParticle) { return kMaxIndexedPoints / verticesPerParticle; }

// One texture's pixels on their way to the GL, owned by the renderer's texture pool.
struct TextureUpload {
    uint32_t mGLName = 0;  // 0 = none yet
    int32_t mUploadedWidth = 0;
    int32_t mUploadedHeight = 0;
    int32_t mUploadedBytesPerPixel = 0;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    int32_t mBytesPerPixel = 0;  // 3 or 4
    uint8_t mRepeat = 0;         // coordinates beyond 0..1 wrap instead of stopping at the edge
    Array<uint8_t> mPixels;      // rows of width × bytes per pixel
    uint8_t mUploadPending = 0;
    // The texture the record belongs to: a handle that outlived a context re-creation finds a
    // different owner and is treated as no record at all.
    const void* mOwner = nullptr;
    int32_t mPoolIndex = -1;  // the index commands name it by
};

// What the command stream's indices refer to.
struct RenderPools {
    RenderPools()
    {
        mMeshes.SetGrowBy(32);
        mTextures.SetGrowBy(32);
    }
    RenderMesh* GetMesh(uint32_t index) const
    {
        return index < uint32_t(mMeshes.Count()) ? mMeshes[int32_t(index)] : nullptr;
    }
    TextureUpload* GetTexture(uint32_t index) const
    {
        return index < uint32_t(mTextures.Count()) ? mTextures[int32_t(index)] : nullptr;
    }

    PtrArray<RenderMesh> mMeshes;
    PtrArray<TextureUpload> mTextures;
};

// The index a command carries for "no record".
inline constexpr uint32_t kNoPoolIndex = 0xFFFFFFFFu;

} // namespace KIV
