#include "physics/grid/GridLayout.h"
#include <algorithm>
#include <cmath>

namespace KIV {

namespace {

int32_t RoundUpToPowerOfTwo(int64_t n)
{
    int64_t p = 1;
    while (p < n) p *= 2;
    return static_cast<int32_t>(p);
}

int32_t Log2(int32_t powerOfTwo)
{
    int32_t s = 0;
    while ((1 << s) < powerOfTwo) ++s;
    return s;
}

} // namespace

bool GridLayout::Setup(const RectF& world, int32_t cellSize, int64_t maxCells)
{
    const float corners[4] = {world.x1, world.y1, world.x2, world.y2};
    for (float c : corners)
        if (!std::isfinite(c) || std::fabs(c) > kMaxCoordinate) return false;
    if (cellSize < 1 || world.x2 < world.x1 || world.y2 < world.y1) return false;

    const int32_t x0 = static_cast<int32_t>(world.x1) - 1;
    const int32_t y0 = static_cast<int32_t>(world.y1) - 1;
    const int32_t x1 = static_cast<int32_t>(world.x2) + 1;
    const int32_t y1 = static_cast<int32_t>(world.y2) + 1;
    const int32_t columns = RoundUpToPowerOfTwo((static_cast<int64_t>(x1) - x0 + cellSize - 1) / cellSize);
    const int32_t rows = RoundUpToPowerOfTwo((static_cast<int64_t>(y1) - y0 + cellSize - 1) / cellSize);
    if (static_cast<int64_t>(columns) * rows > maxCells) return false;

    const int32_t farX = x0 + columns * cellSize;
    const int32_t farY = y0 + rows * cellSize;
    const int32_t shiftX = (farX - x1) / 2;
    const int32_t shiftY = (farY - y1) / 2;
    mX0 = x0 - shiftX;
    mY0 = y0 - shiftY;
    mX1 = farX - shiftX;
    mY1 = farY - shiftY;
    mCellSize = cellSize;
    mInverseCellSize = (cellSize & (cellSize - 1)) == 0 ? 1.0f / static_cast<float>(cellSize) : 0.0f;
    mColumns = columns;
    mRows = rows;
    mCellCount = columns * rows;
    mColumnShift = Log2(columns);
    return true;
}

} // namespace KIV
