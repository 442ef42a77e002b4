#include "render/Shape.h"
#include <algorithm>
#include "render/Renderer.h"
#include "render/Texture.h"

namespace KIV {

namespace {

constexpr float kQuadGroupCellSize = 128.0f;
constexpr int32_t kGridCellPixels = 64;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

} // namespace

Shape::Shape()
{
    Init();
}

Shape::Shape(const Shape& other)
    : mKind(other.mKind), mPoints(other.mPoints), mPointsChanged(true), mColors(other.mColors),
      mTexCoords(other.mTexCoords), mTriangles(other.mTriangles), mTrianglesChanged(true), mTexture(other.mTexture),
      mDrawState(other.mDrawState), mBounds(other.mBounds), mDrawGroups(other.mDrawGroups), mMeshIndex(-1)
{
}

Shape::~Shape()
{
    if (mMeshIndex >= 0 && gRenderer) gRenderer->ReleaseMesh(mMeshIndex);
}

Shape& Shape::operator=(const Shape& other)
{
    if (this == &other) return *this;
    mKind = other.mKind;
    mPoints = other.mPoints;
    mColors = other.mColors;
    mTexCoords = other.mTexCoords;
    mTriangles = other.mTriangles;
    mTexture = other.mTexture;
    mDrawState = other.mDrawState;
    mBounds = other.mBounds;
    mDrawGroups = other.mDrawGroups;
    MarkChanged();
    return *this;
}

void Shape::Init()
{
    mKind = 3;
    for (auto* a : {&mPoints, &mTexCoords}) a->SetGrowBy(1);
    mColors.SetGrowBy(1);
    mTriangles.SetGrowBy(1);
    mDrawGroups.SetGrowBy(1);
    mPointsChanged = false;
    mTrianglesChanged = false;
    mTexture = nullptr;
    mDrawState = DrawState{};
    mBounds = RectF{};
    mMeshIndex = -1;
}

void Shape::Free()
{
    mDrawGroups.Free();
    mTriangles.Free();
    mTexCoords.Free();
    mColors.Free();
    mPoints.Free();
}

void Shape::FreeArrays()
{
    mPoints.Free();
    mColors.Free();
    mTriangles.Free();
    mTexCoords.Free();
    mDrawGroups.Free();
    MarkChanged();
}

void Shape::RecomputeBounds()
{
    mBounds = RectF{};
    if (mPoints.Count() == 0) return;
    // Gathered in a local: written through the member, every point's four
    // comparisons would wait on a store and a load.
    RectF bounds(mPoints[0].mX, mPoints[0].mY, mPoints[0].mX, mPoints[0].mY);
    for (const VectorF& p : mPoints) bounds.IncludePoint(p);
    mBounds = bounds;
}

bool Shape::InitPoints(int32_t kind, const Array<VectorF>& points, const ColorRGBA& colour)
{
    if (points.Count() == 0) return false;
    InitUntexturedPoints(kind, points, nullptr);
    mDrawState.mFillColor = colour;
    return true;
}

bool Shape::InitColouredPoints(int32_t kind, const Array<VectorF>& points, const Array<uint32_t>& colours)
{
    if (colours.Count() < points.Count()) return false;
    InitUntexturedPoints(kind, points, &colours);
    return true;
}

void Shape::InitUntexturedPoints(int32_t kind, const Array<VectorF>& points, const Array<uint32_t>* colours)
{
    mKind = kind;
    mDrawState.Reset();
    mTexture = nullptr;
    mPoints.Assign(points);
    if (colours) mColors.Assign(*colours);
    else mColors.Clear();
    mTexCoords.Clear();
    mTriangles.Clear();
    mDrawGroups.Free();
    RecomputeBounds();
    MarkChanged();
}

bool Shape::InitMesh(const Array<VectorF>& points, const Array<IndexTriangle>& triangles,
                     const Array<VectorF>& texCoords, Texture* texture)
{
    if (texCoords.Count() != points.Count()) return false;
    for (const IndexTriangle& t : triangles)
        for (uint16_t v : {t.mA, t.mB, t.mC})
            if (v >= points.Count()) return false;
    InitUntexturedPoints(3, points, nullptr);
    mTexture = texture;
    mTexCoords.Assign(texCoords);
    mTriangles.Assign(triangles);
    if (!mColors.SetCount(mPoints.Count())) return false;
    mColors.Fill(ColorRGBA(255, 255, 255, 255).Pack());
    return true;
}

void Shape::ResetToTexture(Texture* texture)
{
    mPoints.Clear();
    mColors.Clear();
    mTexCoords.Clear();
    mTriangles.Clear();
    mDrawGroups.Clear();
    mBounds = RectF{};
    mTexture = texture;
    mKind = 3;
    mDrawState.mBlender = 0;
    mDrawState.mTexColorOp = 0;
    mDrawState.mLighted = 0;
    mPointsChanged = false;
    mTrianglesChanged = false;
}

bool Shape::BuildGridMesh(const VectorI& size, const VectorI& storageSize)
{
    if (size.mX <= 0 || size.mY <= 0) return false;
    const int32_t columns = std::max(1, size.mX / kGridCellPixels);
    const int32_t rows = std::max(1, size.mY / kGridCellPixels);
    const int32_t perRow = columns + 1;
    // Beyond this the 16-bit triangle indices would wrap onto the wrong points.
    if (int64_t(perRow) * (rows + 1) > kMaxIndexedPoints) return false;
    const int32_t pointCount = perRow * (rows + 1);
    if (!mPoints.Resize(pointCount) || !mTexCoords.Resize(pointCount) || !mColors.Resize(pointCount) ||
        !mTriangles.Resize(columns * rows * 2))
        return false;
    const float w = float(size.mX);
    const float h = float(size.mY);
    const float sw = storageSize.mX > 0 ? float(storageSize.mX) : 0.0f;
    const float sh = storageSize.mY > 0 ? float(storageSize.mY) : 0.0f;
    for (int32_t r = 0; r <= rows; ++r)
        for (int32_t c = 0; c <= columns; ++c) {
            const int32_t i = r * perRow + c;
            const float x = float(c) / float(columns) * w;
            const float y = float(r) / float(rows) * h;
            mPoints[i] = {x, y};
            mTexCoords[i] = {sw > 0.0f ? x / sw : 0.0f, sh > 0.0f ? y / sh : 0.0f};
            mColors[i] = kWhite;
        }
    int32_t t = 0;
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < columns; ++c) {
            const uint16_t v = uint16_t(r * perRow + c);
            const uint16_t p = uint16_t(perRow);
            mTriangles[t++] = {v, uint16_t(v + p + 1), uint16_t(v + p)};
            mTriangles[t++] = {v, uint16_t(v + 1), uint16_t(v + p + 1)};
        }
    mKind = 3;
    return true;
}

bool Shape::BuildDrawGroups(const Array<IndexTriangle>& source, float cellSize)
{
    if (&source == &mTriangles) {
        Array<IndexTriangle> copy(source);
        return GroupTrianglesByCell(cellSize, mBounds, &mPoints, copy, &mTriangles, mDrawGroups);
    }
    return GroupTrianglesByCell(cellSize, mBounds, &mPoints, source, &mTriangles, mDrawGroups);
}

bool Shape::SetTexture(Texture* texture, const VectorI& size)
{
    if (!texture || !texture->mGenerated) return false;
    if (!BuildGridMesh(size, texture->mStorageSize)) return false;
    RecomputeBounds();
    BuildDrawGroups(mTriangles, kQuadGroupCellSize);
    mTexture = texture;
    mDrawState.Reset();
    MarkChanged();
    return true;
}

bool Shape::PrepareQuadLists(int32_t quads)
{
    mPoints.Clear();
    mColors.Clear();
    mTexCoords.Clear();
    mTriangles.Clear();
    return mPoints.Reserve(4 * quads) && mColors.Reserve(4 * quads) && mTexCoords.Reserve(4 * quads) &&
           mTriangles.Reserve(2 * quads);
}

bool Shape::AppendQuad(const RectF& rect, uint32_t colour, const VectorF uv[4])
{
    const int32_t base = mPoints.Count();
    if (base + 4 > kMaxIndexedPoints) return false;
    if (!mPoints.Reserve(base + 4) || !mColors.Reserve(base + 4) || !mTexCoords.Reserve(base + 4) ||
        !mTriangles.Reserve(mTriangles.Count() + 2))
        return false;
    const VectorF corners[4] = {{rect.x1, rect.y1}, {rect.x2, rect.y1}, {rect.x2, rect.y2}, {rect.x1, rect.y2}};
    for (int32_t i = 0; i < 4; ++i) {
        mPoints.PushBack(corners[i]);
        mColors.PushBack(colour);
        mTexCoords.PushBack(uv[i]);
    }
    const uint16_t b = uint16_t(base);
    mTriangles.PushBack({b, uint16_t(b + 1), uint16_t(b + 2)});
    mTriangles.PushBack({uint16_t(b + 2), uint16_t(b + 3), b});
    return true;
}

bool Shape::InitTexturedQuad(Texture* texture, const ColorRGBA& colour, const RectF& rect)
{
    return InitColouredQuad(texture, colour, 0.0f, colour, rect);
}

bool Shape::InitColouredQuad(Texture* texture, const ColorRGBA& colour, float margin, const ColorRGBA& marginColour,
                             const RectF& rect)
{
    if (!texture) return false;
    const int32_t quads = margin > 0.0f ? 2 : 1;
    if (!PrepareQuadLists(quads)) return false;
    if (margin > 0.0f) {
        const RectF outer(rect.x1 - margin, rect.y1 - margin, rect.x2 + margin, rect.y2 + margin);
        AppendQuad(outer, marginColour.Pack(), texture->mCorners);
    }
    AppendQuad(rect, colour.Pack(), texture->mCorners);
    RecomputeBounds();
    BuildDrawGroups(mTriangles, kQuadGroupCellSize);
    mTexture = texture;
    mDrawState.Reset();
    MarkChanged();
    return true;
}

void Shape::Translate(const VectorF& offset)
{
    for (int32_t i = mPoints.Count() - 1; i >= 0; --i) mPoints[i] += offset;
    RecomputeBounds();
    RecomputeDrawGroupBounds();
    mPointsChanged = true;
}

bool Shape::RecomputeDrawGroupBounds()
{
    const int32_t pointCount = mPoints.Count();
    for (int32_t g = mDrawGroups.Count() - 1; g >= 0; --g) {
        DrawGroup& group = mDrawGroups[g];
        const int32_t first = std::max(0, group.mFirstTriangle);
        const int32_t end = std::min(mTriangles.Count(), group.mFirstTriangle + group.mTriangleCount);
        bool started = false;
        for (int32_t t = first; t < end; ++t) {
            // Indices are unsigned 16-bit: points above 32767 belong to the shape like any other.
            for (uint16_t index : {mTriangles[t].mA, mTriangles[t].mB, mTriangles[t].mC}) {
                if (index >= pointCount) continue;
                const VectorF& p = mPoints[index];
                if (!started) {
                    group.mRect = RectF(p.mX, p.mY, p.mX, p.mY);
                    started = true;
                } else {
                    group.mRect.IncludePoint(p);
                }
            }
        }
    }
    return true;
}

} // namespace KIV
