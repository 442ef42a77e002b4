#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Vector.h"
#include "physics/geometry/TracedGeometry.h"
#include "render/Shape.h"

namespace KIV {

class Scene;
class SpatialGrid;
class Texture;

// One stretch of a pool's level surface: its points are the outline points
// from the first one on.
struct WaterSpan {
    WaterSpan()
    {
        mLists[0].SetGrowBy(1);
        mLists[1].SetGrowBy(1);
    }
    int32_t mPointCount = 0;
    int32_t mFirstPoint = 0;
    // Kept with the span for the surface's motion, which nothing steps yet.
    Array<float> mLists[2];
};

// A pool: the region below a seed point's height that the terrain encloses,
// found by tracing rays through the owner's spatial grid along the level and
// along the terrain outlines, meshed and drawn with a tiled water picture.
class Water {
public:
    static constexpr int32_t kMaxTraceSteps = 10000;
    static constexpr float kMeshSpacing = 20.0f;
    // World units across one repeat of the water picture.
    static constexpr float kTextureScale = 1000.0f;
    static constexpr float kDrawGroupCell = 1000.0f;
    // How far the surface is sampled: one point about every this many units.
    static constexpr float kSurfaceStep = 10.0f;
    static constexpr const char* kPictureName = "Water/water1.png";

    Water();
    Water(const Water&) = delete;
    Water& operator=(const Water&) = delete;

    // Traces the pool around the seed against the owner's grid and rebuilds the
    // outline, the surface spans, the mesh and the shapes. With a null owner
    // nothing happens; a failed trace (no enclosing terrain, an owner whose grid
    // is not set up, a seed outside its world) leaves an empty outline and no
    // mesh. True when the pool has an outline.
    bool Rebuild(Scene* owner, const VectorF& seed);
    // Traces again from the last seed, after the terrain changed.
    bool Retrace() { return Rebuild(mOwner, mSeed); }
    bool IsEmpty() const { return mOutline.Count() == 0; }
    float GetLevel() const { return mFirstPoint.mY; }

    Scene* mOwner;
    VectorF mFirstPoint;  // its y is the water level after a trace
    Array<VectorF> mOutline;
    TracedGeometry mGeometry;
    PtrArray<WaterSpan> mSpans;
    Texture* mTexture;  // the texture library's; null until a mesh is built
    Shape mSurfaceShape;
    Shape mOutlineShape;  // debug drawing of the outline
    VectorF mSeed;        // where the last trace started

private:
    bool Trace(SpatialGrid& grid, const VectorF& seed);
    bool AppendPoint(const VectorF& p);
    bool HasPoint(const VectorF& p) const;
    void SubdivideSurface(float level);
    void BuildSurfaceMesh();
    void BuildOutlineShape();

    // Bit patterns of the outline points, hashed with linear probing (a free
    // slot holds kNoPoint, the pattern of no finite point): closing a trace
    // asks whether a point is already on the outline at every step.
    static constexpr uint64_t kNoPoint = ~uint64_t(0);
    void ClearPointSet();
    Array<uint64_t> mPointSet;
    int32_t mPointSetCount = 0;
    bool mPictureReported = false;
};

// The scene's owned pools; the selection follows the list's rules.
using WaterList = PtrArray<Water>;

} // namespace KIV
