#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/IndexPool.h"
#include "base/Rect.h"
#include "physics/grid/GridLayout.h"

namespace KIV {

// A coarse uniform grid (256-unit cells) that files rectangles by an integer
// identity, for the scene's own bookkeeping.
class RectGrid {
public:
    static constexpr int32_t kCellSize = 256;
    static constexpr int32_t kCellShift = 8;
    static constexpr int32_t kNodesPerCell = 8;
    static constexpr int32_t kMaxCells = 1 << 20;

    // false for a rectangle that is not finite, reversed or too large.
    bool Init(const RectF& world);
    // Files the identity in every cell the rectangle covers, clipped to the
    // grid; false when nothing of it lies on the grid or the pool cannot grow.
    bool InsertRect(const RectF& rect, int32_t identity);
    // Appends each distinct identity filed in the covered cells once.
    void QueryRect(const RectF& rect, Array<int32_t>& result) const;

    int32_t GetColumnCount() const { return mLayout.mColumns; }
    int32_t GetRowCount() const { return mLayout.mRows; }
    int32_t GetCellCount() const { return mLayout.mCellCount; }
    RectI GetBounds() const { return RectI(mLayout.mX0, mLayout.mY0, mLayout.mX1, mLayout.mY1); }
    const GridLayout& GetLayout() const { return mLayout; }

private:
    BucketList mCells;
    GridLayout mLayout;
};

} // namespace KIV
