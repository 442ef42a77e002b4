#include "physics/geometry/FragmentGrid.h"
#include <algorithm>
#include <cmath>
#include "physics/geometry/TracedOutline.h"
#include "render/ImageFile.h"

namespace KIV {

namespace {

bool SizeGrid(FragmentGrid& g, int32_t columns, int32_t rows)
{
    if (columns <= 0 || rows <= 0 || int64_t(columns) * rows * 2 > INT32_MAX) return false;
    const int32_t triangles = 2 * columns * rows;
    if (!g.mEmptyFlags.Resize(triangles) || !g.mTriangleIndex.Resize(triangles)) return false;
    g.mColumns = columns;
    g.mRows = rows;
    g.mEmptyCount = g.mUsedCount = g.mUsedVertexCount = 0;
    return true;
}

// Whether any examined pixel of one triangle of a cell box has alpha above 0.
// Each row is examined from x0 to the diagonal (lower-left half) or from the
// diagonal to x1 (upper-right half).
bool TriangleCoversPixels(const uint8_t* rgba, int32_t width, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                          bool upperRight)
{
    for (int32_t y = y0; y <= y1; ++y) {
        int32_t d = upperRight ? x0 : x1;
        if (y1 != y0)
            d = x0 + static_cast<int32_t>(std::round(static_cast<float>(y - y0) / static_cast<float>(y1 - y0) *
                                                     static_cast<float>(x1 - x0)));
        const int32_t from = upperRight ? d : x0;
        const int32_t to = upperRight ? x1 : d;
        const uint8_t* row = rgba + static_cast<size_t>(y) * width * 4 + 3;
        for (int32_t x = from; x <= to; ++x)
            if (row[static_cast<size_t>(x) * 4] > 0) return true;
    }
    return false;
}

// Carries p from the rest triangle to the current one by its barycentric
// weights; a rest corner maps to its current corner exactly.
VectorF MapByBarycentre(const VectorF& p, const VectorF& a, const VectorF& b, const VectorF& c, const VectorF& a2,
                        const VectorF& b2, const VectorF& c2)
{
    if (p == a) return a2;
    if (p == b) return b2;
    if (p == c) return c2;
    const float det = (b.mY - c.mY) * (a.mX - c.mX) + (c.mX - b.mX) * (a.mY - c.mY);
    if (det == 0.0f) return a2;
    const float l1 = ((b.mY - c.mY) * (p.mX - c.mX) + (c.mX - b.mX) * (p.mY - c.mY)) / det;
    const float l2 = ((c.mY - a.mY) * (p.mX - c.mX) + (a.mX - c.mX) * (p.mY - c.mY)) / det;
    const float l3 = 1.0f - l1 - l2;
    return a2 * l1 + b2 * l2 + c2 * l3;
}

} // namespace

bool FragmentGrid::Allocate(const VectorI& size)
{
    if (!SizeGrid(*this, size.mX, size.mY)) return false;
    const int32_t triangles = mEmptyFlags.Count();
    mEmptyFlags.FillZero();
    for (int32_t i = 0; i < triangles; ++i) mTriangleIndex[i] = i;
    mUsedCount = triangles;
    mUsedVertexCount = (mColumns + 1) * (mRows + 1);
    return true;
}

bool FragmentGrid::BuildFromBitmap(const uint8_t* rgba, int32_t width, int32_t height, int32_t columns, int32_t rows)
{
    if (!rgba || width <= 0 || height <= 0 || !SizeGrid(*this, columns, rows)) return false;
    const float cellW = static_cast<float>(width) / static_cast<float>(columns);
    const float cellH = static_cast<float>(height) / static_cast<float>(rows);
    for (int32_t r = 0; r < rows; ++r) {
        const int32_t y0 = std::clamp(static_cast<int32_t>(static_cast<float>(r) * cellH) - 2, 0, height - 1);
        const int32_t y1 = std::clamp(static_cast<int32_t>(static_cast<float>(r + 1) * cellH) + 3, 0, height - 1);
        for (int32_t c = 0; c < columns; ++c) {
            const int32_t x0 = std::clamp(static_cast<int32_t>(static_cast<float>(c) * cellW) - 2, 0, width - 1);
            const int32_t x1 = std::clamp(static_cast<int32_t>(static_cast<float>(c + 1) * cellW) + 3, 0, width - 1);
            const int32_t n = r * columns + c;
            for (int32_t half = 0; half < 2; ++half) {
                const int32_t t = 2 * n + half;
                if (TriangleCoversPixels(rgba, width, x0, x1, y0, y1, half == 1)) {
                    mEmptyFlags[t] = 0;
                    mTriangleIndex[t] = mUsedCount++;
                } else {
                    mEmptyFlags[t] = 1;
                    mTriangleIndex[t] = -1;
                    ++mEmptyCount;
                }
            }
        }
    }
    // A lattice vertex counts when a used triangle touches it: both halves of
    // the cells above-left and below-right, the lower-left half of the cell
    // above-right and the upper-right half of the cell below-left.
    auto used = [&](int32_t c, int32_t r, int32_t half) {
        return c >= 0 && r >= 0 && c < columns && r < rows && mEmptyFlags[2 * (r * columns + c) + half] == 0;
    };
    for (int32_t r = 0; r <= rows; ++r)
        for (int32_t c = 0; c <= columns; ++c)
            if (used(c - 1, r - 1, 0) || used(c - 1, r - 1, 1) || used(c, r - 1, 0) || used(c - 1, r, 1) ||
                used(c, r, 0) || used(c, r, 1))
                ++mUsedVertexCount;
    return true;
}

FragmentCache* GetFragmentCache(Texture* texture)
{
    return texture ? texture->GetOrMakeCache<FragmentCache>(kTextureFragmentCache) : nullptr;
}

bool FragmentCache::GetOrBuild(ImageFile* picture, const VectorI& size, FragmentGrid*& grid)
{
    for (int32_t i = 0; i < mItems.Count(); ++i) {
        if (mItems[i]->mColumns == size.mX && mItems[i]->mRows == size.mY) {
            grid = mItems[i];
            return true;
        }
    }
    if (!picture || !EnsureImageLoaded(*picture)) return false;
    const bool rgba = picture->mBytesPerPixel == 4;
    if (rgba && !picture->HasPixels()) return false;
    FragmentGrid* g = AddNew();
    if (!g) return false;
    const bool filled = rgba ? g->BuildFromBitmap(picture->mPixels.Data(), picture->mStoredWidth,
                                                  picture->mStoredHeight, size.mX, size.mY)
                             : g->Allocate(size);
    if (!filled) {
        EraseAt(mItems.Count() - 1);
        return false;
    }
    grid = g;
    return true;
}

bool MapOutlineThroughGrid(OutlineRecord& output, const OutlineRecord& traced, const VectorI& textureSize,
                           const VectorI& gridSize, const Array<int32_t>& triangleIndex,
                           const Array<IndexTriangle>& triangles, const Array<VectorF>& restVertices,
                           const Array<VectorF>& currentVertices)
{
    const int32_t n = traced.mPoints.Count();
    if (!output.mPoints.SetCapacity(n + 1, n)) return false;
    OutlineRecord::CopySettings(output, traced);
    const int32_t C = gridSize.mX, R = gridSize.mY;
    if (textureSize.mX <= 0 || textureSize.mY <= 0 || C <= 0 || R <= 0) return false;
    const float W = static_cast<float>(textureSize.mX), H = static_cast<float>(textureSize.mY);
    const VectorF cell(W / static_cast<float>(C), H / static_cast<float>(R));
    const int32_t vertexCount = std::min(restVertices.Count(), currentVertices.Count());
    for (int32_t i = n - 1; i >= 0; --i) {
        const VectorF p = traced.mPoints[i];
        if (!(p.mX >= 0.0f && p.mX <= W && p.mY >= 0.0f && p.mY <= H)) return false;
        const int32_t cx = std::min(static_cast<int32_t>(p.mX * static_cast<float>(C) / W), C - 1);
        const int32_t cy = std::min(static_cast<int32_t>(p.mY * static_cast<float>(R) / H), R - 1);
        const VectorF f = (p - VectorF(static_cast<float>(cx) * cell.mX, static_cast<float>(cy) * cell.mY)) / cell;
        const int32_t t = 2 * (cy * C + cx) + (f.mY < f.mX ? 1 : 0);
        // An index list too short for the grid is an error, not triangle 0.
        if (t >= triangleIndex.Count()) return false;
        const int32_t used = triangleIndex[t];
        if (used < 0 || used >= triangles.Count()) return false;
        const IndexTriangle& tri = triangles[used];
        if (tri.mA >= vertexCount || tri.mB >= vertexCount || tri.mC >= vertexCount) return false;
        output.mPoints[i] = MapByBarycentre(p, restVertices[tri.mA], restVertices[tri.mB], restVertices[tri.mC],
                                            currentVertices[tri.mA], currentVertices[tri.mB], currentVertices[tri.mC]);
    }
    if (n > 0) output.mPoints.Data()[n] = output.mPoints[0];
    return true;
}

} // namespace KIV
