#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Vector.h"
#include "render/DrawState.h"
#include "render/Texture.h"

namespace KIV {

struct ImageFile;
struct OutlineRecord;

// Which triangles of a columns × rows grid laid over a picture cover any of
// its pixels. Cell (c, r) is number r × columns + c; it holds triangle 2n, the
// lower-left half (top-left, bottom-left, bottom-right corners, y downward),
// and triangle 2n + 1, the upper-right half (top-left, top-right, bottom-right).
struct FragmentGrid {
    FragmentGrid()
    {
        mEmptyFlags.SetGrowBy(1);
        mTriangleIndex.SetGrowBy(1);
    }

    // Every triangle used.
    bool Allocate(const VectorI& size);
    // Triangles over fully transparent pixels are left out. Each cell is
    // examined with a margin of two pixels before and three after its box, so
    // thin lines near cell borders keep their triangles.
    bool BuildFromBitmap(const uint8_t* rgba, int32_t width, int32_t height, int32_t columns, int32_t rows);

    Array<uint8_t> mEmptyFlags;     // one per triangle: 1 when it covers no pixel with alpha above 0
    int32_t mColumns = 0;
    int32_t mRows = 0;
    int32_t mEmptyCount = 0;
    int32_t mUsedCount = 0;
    int32_t mUsedVertexCount = 0;   // lattice vertices touched by a used triangle
    Array<int32_t> mTriangleIndex;  // number among the used triangles, -1 for an empty one
};

// A texture's fragment grids, one per grid size.
class FragmentCache : public TextureCacheList<FragmentGrid> {
public:
    // The grid of this size over the picture's stored (cropped) pixels, built
    // on first request. A picture without 4 bytes per pixel gets the all-used grid.
    bool GetOrBuild(ImageFile* picture, const VectorI& size, FragmentGrid*& grid);
};

// The fragment cache of a texture's picture, made on first use.
FragmentCache* GetFragmentCache(Texture* texture);

// Carries a traced outline along with a bent grid: each point is moved from
// its triangle's rest corners to the current corners. False, with the points
// mapped so far kept, for a point outside the texture, a point over an empty
// triangle, or a triangle or vertex index the lists do not hold.
bool MapOutlineThroughGrid(OutlineRecord& output, const OutlineRecord& traced, const VectorI& textureSize,
                           const VectorI& gridSize, const Array<int32_t>& triangleIndex,
                           const Array<IndexTriangle>& triangles, const Array<VectorF>& restVertices,
                           const Array<VectorF>& currentVertices);

} // namespace KIV
