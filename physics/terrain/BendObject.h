#pragma once
#include <cstdint>
#include <string>
#include "base/Array.h"
#include "base/Color.h"
#include "base/HandleTable.h"
#include "base/Random.h"
#include "base/Vector.h"
#include "physics/terrain/BendFrame.h"
#include "physics/geometry/TracedOutline.h"
#include "render/Shape.h"

namespace KIV {

class MemoryStream;
class Texture;
class TextureLib;
struct FragmentGrid;
struct StaticOutline;

// Fills a textured triangle shape from grid positions placed by a bend frame.
// False, with the shape unchanged, without a texture, for an empty size, or
// when the frame's grid size is not the given one. Texture coordinates follow
// the grid positions across the texture's span.
bool InitTexturedPolygon(Shape& shape, BendFrame& frame, const Array<VectorI>& positions,
                         const Array<IndexTriangle>& triangles, Texture* texture, int32_t width, int32_t height);

// The 141-byte bend-frame record: version, four 33-byte side records, grid
// columns and rows. A frame or side of an unknown version is skipped whole and
// keeps its values; a read frame is marked changed.
bool WriteFrameRecord(MemoryStream& stream, const BendFrame& frame);
bool ReadFrameRecord(MemoryStream& stream, BendFrame& frame);

// A terrain object: a picture laid into the world over a fragment grid and
// bent by a frame of four Bezier sides. It carries the picture's traced
// outline carried along with the bend (its collision edges), its draw
// settings, five debug line shapes and an optional frame animation.
class BendObject {
public:
    static constexpr int32_t kEditCounterCap = 200;
    static constexpr int32_t kDebugShapeCount = 5;
    enum DebugShape : int32_t {
        kVectorBorderShape = 0,
        kBoundBoxShape = 1,
        kTriangleBoxesShape = 2,
        kBeziersShape = 3,
        kBezierVectorsShape = 4,
    };
    // The size of a written record without the texture file name's bytes.
    static constexpr int32_t kRecordFixedSize = 179;

    BendObject();
    ~BendObject();
    BendObject(const BendObject&) = delete;
    BendObject& operator=(const BendObject&) = delete;

    // Width / 32 and height / 32 of the texture, each at least 1.
    static VectorI GetDefaultFragmentSize(const Texture& texture);
    // At least one cell each way, and few enough grid points for 16-bit triangle indices.
    static bool IsFragmentSizeUsable(int32_t columns, int32_t rows);

    bool SetTexture(TextureLib& library, const std::string& fileName);
    // Fetches the texture again by name and rebuilds from the current frame;
    // a stored fragment size that is usable is kept.
    bool ReloadTexture(TextureLib& library);
    bool AssignFrom(const BendObject& other, const VectorF& offset);
    void Move(const VectorF& offset);
    void ScaleXY(float sx, float sy);
    void Rotate(float angle);
    // Takes the next (or previous) picture of the library's file list, keeping the frame centre in place.
    bool CycleTexture(TextureLib& library, bool forward);
    bool SetFragments(int32_t columns, int32_t rows);
    bool SetDefaultFragments();

    void SetFillColor(const ColorRGBA& colour);
    ColorRGBA GetFillColor() const { return mTexturedShape.mDrawState.mFillColor; }
    ColorRGBA GetFogColor() const { return mTexturedShape.mDrawState.mFogColor; }
    void SetFogColor(const ColorRGBA& colour) { mTexturedShape.mDrawState.mFogColor = colour; }
    void SetAlphaExtrude(int32_t value) { mTexturedShape.mDrawState.mAlphaExtrude = value; }
    void SetLighted(bool lighted);
    void SetBlender(int32_t blender) { mTexturedShape.mDrawState.mBlender = blender; }
    void SetTexColorOp(int32_t op) { mTexturedShape.mDrawState.mTexColorOp = op; }

    int32_t GetLayer() const { return mLayer; }
    void SetLayer(int32_t layer) { mLayer = layer; }
    const std::string& GetOrigTextureFn() const { return mTextureFileName; }
    Texture* GetTexture() const { return mTexture; }
    Texture* GetCurrentTexture() const { return mCurrentTexture; }
    VectorI GetFragmentSize() const { return mFragmentSize; }

    // A point 1 to 6 units off edge i of the picture's traced outline, in
    // texture coordinates of the current texture; (0, 0) without that edge.
    // Only looks the outline up: safe while particles fly in parallel.
    VectorF GetShardPointOnEdge(int32_t edge);

    // One simulation step: the edit counter, and the frame animation with its
    // rebuild. Only looks up the outline cache, so objects may step in parallel.
    void Step();
    // Makes sure the texture's outline cache holds this object's outline, so
    // that steps running in parallel find it without tracing.
    void PrepareOutline();
    // Level reset: back to the saved frame and the object's own texture.
    void ResetToSavedFrame();

    // Places the vertices and rebuilds the outline and the debug shapes.
    // With mayTrace false a missing outline is not traced.
    void Rebuild(bool mayTrace = true);
    void PlaceVertices();
    bool BuildVectorBorderShape();
    bool BuildBoundBoxShape();
    bool BuildTriangleBoxesShape();
    bool BuildBeziersShape();
    bool BuildBezierVectorsShape();

    // What the spatial grid enters of this object's edges.
    StaticOutline GetStaticOutline() const;

    // The terrain record (version 3) and its 141-byte frame.
    bool Write(MemoryStream& stream) const;
    bool Read(MemoryStream& stream);

    std::string mTextureFileName;
    Texture* mTexture;         // not owned: the texture library's
    Texture* mCurrentTexture;  // drawn with; back to mTexture on a level reset
    SavedStateRecord mSavedFrame;
    VectorI mFragmentSize;
    Array<VectorI> mVertexGrid;        // (column, row) of each vertex
    Array<VectorF> mVertexTexCoords;   // rest position of each vertex in picture pixels
    Array<IndexTriangle> mTriangles;   // in fragment-grid order
    // Each grid triangle's number among the used ones (-1 when empty): a copy
    // of the fragment grid's, which lives in a cache a rescan may clear.
    Array<int32_t> mTriangleIndex;
    uint8_t mCollisions;
    uint8_t mPassDynamics;
    uint8_t mPassParticles;
    int32_t mLayer;
    float mSlippery;
    FragmentsRecord mFrame;  // the frame drawn and collided with
    Shape mTexturedShape;
    BendFrameAnimation mAnimation;
    // The traced outline carried through the bend: the collision edges. Its
    // settings are the ones this object asks the outline cache for.
    OutlineRecord mOutline;
    Shape mDebugShapes[kDebugShapeCount];
    int32_t mTextureListIndex;
    Random mRandom;
    int32_t mEditCounter;
    int32_t mEditCounterCap;
    int32_t mStaticSlot;  // this object's entry in the spatial grid's static store, -1 when none
    // The scene editor's selection mark, and the frame handle its drag holds (-1 none).
    uint8_t mEditSelected;
    int32_t mEditHandle;
    // How scripts name the object; everything they kept of it goes stale with it.
    ObjectHandle mScriptHandle;

private:
    bool BuildPolygonFromGrid(const FragmentGrid& grid);
    // The polygon of the fragment grid of the given size; false when the grid cannot be had.
    bool BuildPolygon(const VectorI& size);
    bool SetUpTexturedShape();
    bool RebuildOutline(bool mayTrace);
    // The cached (unbent) outline of the texture with this object's settings, or null.
    OutlineRecord* FindTracedOutline(Texture* texture, bool mayTrace);
    void RebuildDebugShapes();
    // Common ending of the operations that replace the polygon or the fragment size.
    void ApplyFragmentSize(const VectorI& size);
};

// The per-step terrain pass: each object's step, one object per iteration.
// Outlines the steps need are prepared serially first, so no iteration writes
// a texture cache.
void StepBendObjectsParallel(PtrArray<BendObject>& objects, bool parallel);

} // namespace KIV
