#include "physics/terrain/BendObject.h"
#include <algorithm>
#include "base/WorkTeam.h"
#include "physics/geometry/FragmentGrid.h"
#include "physics/grid/SpatialGrid.h"
#include "render/Texture.h"
#include "render/TextureLib.h"

namespace KIV {

namespace {

constexpr float kTexturedPolygonCellSize = 100.0f;
constexpr int32_t kDefaultFragmentPixels = 32;
// Far more fragments than any picture has pixels to show: a size from a
// damaged record beyond this would only cost time.
constexpr int32_t kMaxFragmentsPerSide = 1024;
constexpr int32_t kBezierSamplesPerSide = 20;
constexpr float kArrowHeadLength = 10.0f;
constexpr float kArrowHeadAngle = 2.7f;

constexpr ColorRGBA kVectorBorderColour(255, 255, 0, 255);
constexpr ColorRGBA kBoundBoxColour(255, 255, 255, 200);
constexpr ColorRGBA kTriangleBoxColour(255, 255, 255, 25);
constexpr ColorRGBA kBezierStartColour(200, 100, 100, 255);
constexpr ColorRGBA kBezierEndColour(200, 190, 190, 255);

// Every position placed at its frame grid point, last first. False, with the
// points kept, when a position lies outside the frame's grid.
bool PlaceGridPoints(Array<VectorF>& points, BendFrame& frame, const Array<VectorI>& positions)
{
    bool all = true;
    for (int32_t i = positions.Count() - 1; i >= 0; --i)
        if (!frame.GetGridPoint(positions[i].mX, positions[i].mY, points[i])) all = false;
    return all;
}

// The shape's bounds and draw-group rectangles follow its moved points.
void RefreshPlacedShape(Shape& shape)
{
    shape.mPointsChanged = true;
    shape.RecomputeDrawGroupBounds();
    shape.RecomputeBounds();
}

void AppendSegment(Array<VectorF>& points, const VectorF& a, const VectorF& b)
{
    points.PushBack(a);
    points.PushBack(b);
}

// Corner to inner point, then two head strokes back from the inner point.
void AppendArrow(Array<VectorF>& points, Array<uint32_t>& colours, const VectorF& corner, const VectorF& vector,
                 const ColorRGBA& colour)
{
    const VectorF inner = corner + vector;
    VectorF head = vector;
    head.Normalize(kArrowHeadLength);
    AppendSegment(points, corner, inner);
    AppendSegment(points, inner, inner + head.GetRotatedClockwise(kArrowHeadAngle));
    AppendSegment(points, inner, inner + head.GetRotatedClockwise(-kArrowHeadAngle));
    for (int32_t i = 0; i < 6; ++i) colours.PushBack(colour.Pack());
}

// A debug shape with nothing to show draws nothing, rather than its last geometry.
bool ClearWhenFailed(Shape& shape, bool built)
{
    if (!built) shape.FreeArrays();
    return built;
}

} // namespace

bool InitTexturedPolygon(Shape& shape, BendFrame& frame, const Array<VectorI>& positions,
                         const Array<IndexTriangle>& triangles, Texture* texture, int32_t width, int32_t height)
{
    if (!texture || width == 0 || height == 0) return false;
    if (frame.GetColumns() != width || frame.GetRows() != height) return false;
    const int32_t n = positions.Count();
    if (n > kMaxIndexedPoints) return false;
    Array<VectorF> points(1);
    if (!points.Resize(n) || !PlaceGridPoints(points, frame, positions)) return false;

    shape.mKind = 3;
    shape.mPoints = points;
    shape.RecomputeBounds();
    // Grouping leaves the destination alone when there is nothing to group.
    shape.mTriangles.Clear();
    shape.BuildDrawGroups(triangles, kTexturedPolygonCellSize);
    shape.mTexture = texture;
    const VectorF step = texture->mSpan / VectorF(static_cast<float>(width), static_cast<float>(height));
    shape.mColors.Resize(n);
    shape.mTexCoords.Resize(n);
    for (int32_t i = 0; i < n; ++i) {
        shape.mColors[i] = 0xFFFFFFFFu;
        shape.mTexCoords[i] =
            texture->mTexCoordOrigin + IntPointToVectorF(positions[i]) * step;
    }
    RefreshPlacedShape(shape);
    shape.mTrianglesChanged = true;
    return true;
}

BendObject::BendObject()
    : mTexture(nullptr),
      mCurrentTexture(nullptr),
      mFragmentSize(1, 1),
      mVertexGrid(1),
      mVertexTexCoords(1),
      mTriangles(1),
      mTriangleIndex(1),
      mCollisions(1),
      mPassDynamics(0),
      mPassParticles(0),
      mLayer(0),
      mSlippery(0.0f),
      mTextureListIndex(-1),
      mEditCounter(kEditCounterCap),
      mEditCounterCap(kEditCounterCap),
      mStaticSlot(-1),
      mEditSelected(0),
      mEditHandle(-1)
{
}

BendObject::~BendObject() = default;

VectorI BendObject::GetDefaultFragmentSize(const Texture& texture)
{
    return {std::max(1, texture.mTextureSize.mX / kDefaultFragmentPixels),
            std::max(1, texture.mTextureSize.mY / kDefaultFragmentPixels)};
}

bool BendObject::IsFragmentSizeUsable(int32_t columns, int32_t rows)
{
    if (columns < 1 || rows < 1 || columns > kMaxFragmentsPerSide || rows > kMaxFragmentsPerSide) return false;
    // Every lattice point may become a vertex of the one textured shape.
    return (static_cast<int64_t>(columns) + 1) * (static_cast<int64_t>(rows) + 1) <= kMaxIndexedPoints;
}

bool BendObject::BuildPolygonFromGrid(const FragmentGrid& grid)
{
    const int32_t columns = grid.mColumns, rows = grid.mRows;
    mVertexGrid.Clear();
    mVertexTexCoords.Clear();
    mTriangles.Clear();
    mTriangleIndex.Assign(grid.mTriangleIndex);
    if (!IsFragmentSizeUsable(columns, rows) || grid.mEmptyFlags.Count() < 2 * columns * rows) return false;
    Array<int32_t> table(1);
    const int32_t lattice = (columns + 1) * (rows + 1);
    if (!table.Resize(lattice) || !table.FillMinusOne()) return false;
    // Room for every vertex and triangle at once: these arrays grow one
    // element at a time, and a large grid would reallocate on every append.
    if (!mVertexGrid.Reserve(lattice) || !mVertexTexCoords.Reserve(lattice) ||
        !mTriangles.Reserve(2 * columns * rows))
        return false;
    const float width = static_cast<float>(mTexture->mTextureSize.mX);
    const float height = static_cast<float>(mTexture->mTextureSize.mY);

    auto vertex = [&](int32_t c, int32_t r) -> uint16_t {
        int32_t& index = table[r * (columns + 1) + c];
        if (index < 0) {
            index = mVertexGrid.Count();
            mVertexGrid.PushBack(VectorI(c, r));
            mVertexTexCoords.PushBack(VectorF(static_cast<float>(c) * width / static_cast<float>(columns),
                                              static_cast<float>(r) * height / static_cast<float>(rows)));
        }
        return static_cast<uint16_t>(index);
    };
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < columns; ++c) {
            const int32_t n = r * columns + c;
            if (!grid.mEmptyFlags[2 * n]) {
                IndexTriangle t;
                t.mA = vertex(c, r);
                t.mB = vertex(c + 1, r + 1);
                t.mC = vertex(c, r + 1);
                mTriangles.PushBack(t);
            }
            if (!grid.mEmptyFlags[2 * n + 1]) {
                IndexTriangle t;
                t.mA = vertex(c, r);
                t.mB = vertex(c + 1, r);
                t.mC = vertex(c + 1, r + 1);
                mTriangles.PushBack(t);
            }
        }
    }
    return true;
}

bool BendObject::BuildPolygon(const VectorI& size)
{
    FragmentGrid* grid = nullptr;
    FragmentCache* cache = mTexture ? GetFragmentCache(mTexture) : nullptr;
    if (cache && cache->GetOrBuild(mTexture->mImage, size, grid) && grid && BuildPolygonFromGrid(*grid)) return true;
    // A polygon of another grid size would be placed on the wrong grid points.
    mVertexGrid.Clear();
    mVertexTexCoords.Clear();
    mTriangles.Clear();
    mTriangleIndex.Clear();
    return false;
}

bool BendObject::SetUpTexturedShape()
{
    if (!InitTexturedPolygon(mTexturedShape, mFrame, mVertexGrid, mTriangles, mCurrentTexture, mFragmentSize.mX,
                             mFragmentSize.mY))
        return false;
    // The polygon starts white; a tint set earlier (or loaded) stays on the picture.
    const uint32_t fill = mTexturedShape.mDrawState.mFillColor.Pack();
    for (uint32_t& c : mTexturedShape.mColors) c = fill;
    return true;
}

bool BendObject::SetTexture(TextureLib& library, const std::string& fileName)
{
    Texture* texture = library.GetTexture(fileName);
    if (!texture) return false;
    mTexture = texture;
    mCurrentTexture = texture;
    mTextureFileName = fileName;
    mFragmentSize = GetDefaultFragmentSize(*texture);
    BuildPolygon(mFragmentSize);
    mSavedFrame.SetFromRect(0.0f, 0.0f, static_cast<float>(texture->mTextureSize.mX),
                            static_cast<float>(texture->mTextureSize.mY));
    mSavedFrame.SetGridSize(mFragmentSize.mX, mFragmentSize.mY);
    mFrame.Assign(mSavedFrame);
    SetUpTexturedShape();
    Rebuild();
    return true;
}

bool BendObject::ReloadTexture(TextureLib& library)
{
    Texture* texture = library.GetTexture(mTextureFileName);
    if (!texture) return false;
    mTexture = texture;
    mCurrentTexture = texture;
    // A loaded frame brings the fragment size it was saved with.
    mFragmentSize = IsFragmentSizeUsable(mFrame.GetColumns(), mFrame.GetRows())
                        ? VectorI(mFrame.GetColumns(), mFrame.GetRows())
                        : GetDefaultFragmentSize(*texture);
    BuildPolygon(mFragmentSize);
    mFrame.SetGridSize(mFragmentSize.mX, mFragmentSize.mY);
    mSavedFrame.Assign(mFrame);
    SetUpTexturedShape();
    Rebuild();
    return true;
}

bool BendObject::AssignFrom(const BendObject& other, const VectorF& offset)
{
    mTexture = other.mTexture;
    mCurrentTexture = other.mTexture;
    mTextureFileName = other.mTextureFileName;
    mFragmentSize = other.mFragmentSize;
    mVertexGrid.Assign(other.mVertexGrid);
    mVertexTexCoords.Assign(other.mVertexTexCoords);
    mTriangles.Assign(other.mTriangles);
    mTriangleIndex.Assign(other.mTriangleIndex);
    mLayer = other.mLayer;
    mSavedFrame.Assign(other.mFrame);
    mSavedFrame.Translate(offset);
    mFrame.Assign(mSavedFrame);
    // A copy does not continue the animation sequence of its original.
    mAnimation.mRandom = Random();
    SetUpTexturedShape();
    RebuildOutline(true);
    RebuildDebugShapes();
    return true;
}

void BendObject::Move(const VectorF& offset)
{
    mFrame.Translate(offset);
    Rebuild();
}

void BendObject::ScaleXY(float sx, float sy)
{
    if (!(sx > 0.0f && sy > 0.0f)) return;
    mFrame.ScaleAbout(VectorF(sx, sy), mFrame.GetCentre());
    Rebuild();
}

void BendObject::Rotate(float angle)
{
    mFrame.RotateAbout(angle, mFrame.GetCentre());
    Rebuild();
}

bool BendObject::CycleTexture(TextureLib& library, bool forward)
{
    const StringArray& files = library.mCurrent.mFileNames;
    const int32_t index = files.IndexOf(mTextureFileName);
    if (index < 0) return false;
    const int32_t count = files.Count();
    const int32_t next = forward ? (index + 1) % count : (index + count - 1) % count;
    const VectorF before = mFrame.GetCentre();
    if (!SetTexture(library, files[next])) return false;
    Move(before - mFrame.GetCentre());
    return true;
}

void BendObject::ApplyFragmentSize(const VectorI& size)
{
    mFragmentSize = size;
    BuildPolygon(size);
    mFrame.SetGridSize(size.mX, size.mY);
    mSavedFrame.Assign(mFrame);
    mSavedFrame.SetGridSize(size.mX, size.mY);
    SetUpTexturedShape();
    RebuildOutline(true);
    RebuildDebugShapes();
}

bool BendObject::SetFragments(int32_t columns, int32_t rows)
{
    if (!IsFragmentSizeUsable(columns, rows)) return false;
    ApplyFragmentSize(VectorI(columns, rows));
    return true;
}

bool BendObject::SetDefaultFragments()
{
    if (!mTexture) return false;
    ApplyFragmentSize(GetDefaultFragmentSize(*mTexture));
    return true;
}

void BendObject::SetFillColor(const ColorRGBA& colour)
{
    mTexturedShape.mDrawState.mFillColor = colour;
    const uint32_t packed = colour.Pack();
    for (uint32_t& c : mTexturedShape.mColors) c = packed;
    mTexturedShape.mPointsChanged = true;
    mEditCounter = 0;
}

void BendObject::SetLighted(bool lighted)
{
    mTexturedShape.mDrawState.mLighted = lighted ? 1 : 0;
    mEditCounter = 0;
}

OutlineRecord* BendObject::FindTracedOutline(Texture* texture, bool mayTrace)
{
    if (!texture) return nullptr;
    // This object's own record is the template: its settings are the key.
    OutlineRecord* record = &mOutline;
    if (mayTrace) {
        OutlineCache* cache = GetOutlineCache(texture);
        if (!cache || !cache->GetOrTrace(texture->mImage, record, texture->mSourceRect)) return nullptr;
        return record;
    }
    // Looking up must not even create the cache: other objects may read the texture at the same time.
    const auto* cache = static_cast<const OutlineCache*>(texture->GetCacheOwner()->GetCache(kTextureOutlineCache));
    if (!cache || !cache->HasEntryFor(record)) return nullptr;
    return record;
}

bool BendObject::RebuildOutline(bool mayTrace)
{
    const OutlineRecord* traced = FindTracedOutline(mTexture, mayTrace);
    // A partly mapped outline would hold points that were never written: no edges rather than stray ones.
    if (!traced || !MapOutlineThroughGrid(mOutline, *traced, mTexture->mTextureSize, mFragmentSize, mTriangleIndex,
                                          mTriangles, mVertexTexCoords, mTexturedShape.mPoints)) {
        mOutline.mPoints.Clear();
        return false;
    }
    return true;
}

void BendObject::PlaceVertices()
{
    if (mTexturedShape.mPoints.Count() != mVertexGrid.Count()) return;
    PlaceGridPoints(mTexturedShape.mPoints, mFrame, mVertexGrid);
    RefreshPlacedShape(mTexturedShape);
}

void BendObject::Rebuild(bool mayTrace)
{
    PlaceVertices();
    RebuildOutline(mayTrace);
    RebuildDebugShapes();
}

void BendObject::RebuildDebugShapes()
{
    BuildVectorBorderShape();
    BuildBoundBoxShape();
    BuildTriangleBoxesShape();
    BuildBeziersShape();
    BuildBezierVectorsShape();
}

bool BendObject::BuildVectorBorderShape()
{
    Shape& shape = mDebugShapes[kVectorBorderShape];
    const int32_t n = mOutline.mPoints.Count();
    if (n < 1) return ClearWhenFailed(shape, false);
    Array<VectorF> points(1);
    points.Reserve(n + 1);
    for (const VectorF& p : mOutline.mPoints) points.PushBack(p);
    points.PushBack(mOutline.mPoints[0]);
    return ClearWhenFailed(shape, shape.InitPoints(2, points, kVectorBorderColour));
}

bool BendObject::BuildBoundBoxShape()
{
    const RectF& b = mTexturedShape.mBounds;
    Array<VectorF> points(1);
    for (const VectorF& p : {VectorF(b.x1, b.y1), VectorF(b.x2, b.y1), VectorF(b.x2, b.y2), VectorF(b.x1, b.y2),
                             VectorF(b.x1, b.y1)})
        points.PushBack(p);
    return mDebugShapes[kBoundBoxShape].InitPoints(2, points, kBoundBoxColour);
}

bool BendObject::BuildTriangleBoxesShape()
{
    const Shape& source = mTexturedShape;
    const int32_t pointCount = source.mPoints.Count();
    Array<VectorF> points(1);
    points.Reserve(8 * source.mTriangles.Count());
    for (const IndexTriangle& t : source.mTriangles) {
        if (t.mA >= pointCount || t.mB >= pointCount || t.mC >= pointCount) continue;
        RectF box(source.mPoints[t.mA].mX, source.mPoints[t.mA].mY, source.mPoints[t.mA].mX,
                  source.mPoints[t.mA].mY);
        box.IncludePoint(source.mPoints[t.mB]);
        box.IncludePoint(source.mPoints[t.mC]);
        const VectorF corners[4] = {{box.x1, box.y1}, {box.x2, box.y1}, {box.x2, box.y2}, {box.x1, box.y2}};
        for (int32_t k = 0; k < 4; ++k) AppendSegment(points, corners[k], corners[(k + 1) & 3]);
    }
    Shape& shape = mDebugShapes[kTriangleBoxesShape];
    return ClearWhenFailed(shape, shape.InitPoints(1, points, kTriangleBoxColour));
}

bool BendObject::BuildBeziersShape()
{
    Array<VectorF> points(1);
    Array<uint32_t> colours(1);
    points.Reserve(4 * kBezierSamplesPerSide + 1);
    colours.Reserve(4 * kBezierSamplesPerSide + 1);
    for (const CubicBezier& side : mFrame.mSides) {
        for (int32_t j = 0; j < kBezierSamplesPerSide; ++j) {
            const float t = static_cast<float>(j) / static_cast<float>(kBezierSamplesPerSide);
            points.PushBack(side.Evaluate(t));
            colours.PushBack(ColorRGBA::Lerp(kBezierStartColour, kBezierEndColour, t).Pack());
        }
    }
    points.PushBack(points[0]);
    colours.PushBack(kBezierStartColour.Pack());
    return mDebugShapes[kBeziersShape].InitColouredPoints(2, points, colours);
}

bool BendObject::BuildBezierVectorsShape()
{
    Array<VectorF> points(1);
    Array<uint32_t> colours(1);
    for (const CubicBezier& side : mFrame.mSides) {
        AppendArrow(points, colours, side.mStart, side.mStartVector, kBezierStartColour);
        AppendArrow(points, colours, side.mEnd, side.mEndVector, kBezierEndColour);
    }
    return mDebugShapes[kBezierVectorsShape].InitColouredPoints(1, points, colours);
}

VectorF BendObject::GetShardPointOnEdge(int32_t edge)
{
    const OutlineRecord* traced = FindTracedOutline(mCurrentTexture, false);
    if (!traced) return VectorF();
    const int32_t n = traced->mPoints.Count();
    if (edge < 0 || edge >= n) return VectorF();
    const VectorF a = traced->mPoints[edge];
    const VectorF b = traced->mPoints[edge + 1 == n ? 0 : edge + 1];
    const VectorF d = b - a;
    VectorF m(-d.mY, d.mX);
    m.NormalizeInPlace();
    const float t = mRandom.NextFloat();
    const float r = mRandom.NextFloatScaled(5.0f);
    const VectorF p = a + d * t + m * (1.0f + r);
    const Texture& texture = *mCurrentTexture;
    return {p.mX / static_cast<float>(texture.mTextureSize.mX) * texture.mSpan.mX + texture.mCorners[0].mX,
            p.mY / static_cast<float>(texture.mTextureSize.mY) * texture.mSpan.mY + texture.mCorners[0].mY};
}

void BendObject::Step()
{
    if (mEditCounter < mEditCounterCap) ++mEditCounter;
    if (!mAnimation.HasKeyFrames()) return;
    mAnimation.Advance();
    mAnimation.Apply(mFrame);
    Rebuild(false);
}

void BendObject::PrepareOutline()
{
    if (mAnimation.HasKeyFrames()) FindTracedOutline(mTexture, true);
}

void BendObject::ResetToSavedFrame()
{
    mFrame.Assign(mSavedFrame);
    mCurrentTexture = mTexture;
    Rebuild();
}

StaticOutline BendObject::GetStaticOutline() const
{
    StaticOutline outline;
    outline.mPoints = mOutline.mPoints.Data();
    outline.mCount = mOutline.mPoints.Count();
    outline.mReversed = false;  // traced outlines run clockwise on screen: normals face out
    outline.mPassDynamics = mPassDynamics != 0;
    outline.mPassParticles = mPassParticles != 0;
    outline.mSlippery = mSlippery;
    outline.mOwner = this;
    return outline;
}

void StepBendObjectsParallel(PtrArray<BendObject>& objects, bool parallel)
{
    const int32_t count = objects.Count();
    // Tracing writes the texture's cache, which objects of one picture share: never inside the loop.
    for (int32_t i = 0; i < count; ++i) objects[i]->PrepareOutline();
    WorkTeam::Shared().For(count, 256, parallel, [&](int32_t i, int32_t) { objects[i]->Step(); });
}

} // namespace KIV
