#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include "base/Random.h"
#include "physics/grid/GridLayout.h"

using namespace KIV;

namespace {

// The cell a coordinate falls in as the division has always given it.
int32_t CellByDivision(float v, int32_t origin, int32_t count, int32_t cellSize)
{
    const float c = (v - static_cast<float>(origin)) / static_cast<float>(cellSize);
    if (c < 0.0f) return -1;
    if (c >= static_cast<float>(count)) return count;
    return static_cast<int32_t>(c);
}

float Below(float v) { return std::nextafter(v, -std::numeric_limits<float>::infinity()); }

} // namespace

TEST(GridLayout, CellOfACoordinateMatchesTheDivisionAtEveryBoundary)
{
    // Power-of-two sizes take the reciprocal, the others the division; both
    // must put every coordinate in the cell the division puts it in.
    const int32_t sizes[] = {1, 6, 8, 12, 256, 1024};
    for (const int32_t size : sizes) {
        GridLayout layout;
        ASSERT_TRUE(layout.Setup({-3000.0f, -70.5f, 5000.0f, 900.0f}, size, int64_t(1) << 40)) << size;
        const float x0 = static_cast<float>(layout.mX0);
        const float cell = static_cast<float>(size);
        const float farEdge = x0 + cell * static_cast<float>(layout.mColumns);
        struct Case {
            float v;
            // -2: whatever the division gives, where the subtraction rounds
            int32_t column;
        };
        const Case cases[] = {
            {x0, 0},
            {Below(x0), -1},
            {x0 - 0.5f, -1},
            {x0 + cell, 1},
            {x0 + cell - 0.25f, 0},
            {Below(x0 + cell), -2},
            {x0 + 3.0f * cell, 3},
            {x0 + 3.0f * cell - 0.25f, 2},
            {Below(x0 + 3.0f * cell), -2},
            {farEdge, layout.mColumns},
            {farEdge - 0.25f, layout.mColumns - 1},
            {Below(farEdge), -2},
            {0.0f, -2},
            {-0.0f, -2},
            {-1.0f, -2},
            {-2999.999f, -2},
            {std::numeric_limits<float>::denorm_min(), -2},
            {-std::numeric_limits<float>::denorm_min(), -2},
            {-GridLayout::kMaxCoordinate, -1},
            {GridLayout::kMaxCoordinate, layout.mColumns},
            {std::numeric_limits<float>::infinity(), layout.mColumns},
            {-std::numeric_limits<float>::infinity(), -1},
        };
        for (const Case& c : cases) {
            int32_t column = -99;
            ASSERT_TRUE(layout.CellCoordinate(c.v, layout.mX0, layout.mColumns, column));
            EXPECT_EQ(column, CellByDivision(c.v, layout.mX0, layout.mColumns, size)) << size << " at " << c.v;
            if (c.column != -2) EXPECT_EQ(column, c.column) << size << " at " << c.v;
        }
        int32_t untouched = 7;
        EXPECT_FALSE(layout.CellCoordinate(std::numeric_limits<float>::quiet_NaN(), layout.mX0, layout.mColumns,
                                           untouched));

        // Coordinates of every magnitude and both signs, and quarter-unit
        // steps, where the product and the quotient would part if they could.
        Random random;
        for (int32_t i = 0; i < 20000; ++i) {
            const float v = i % 2 ? random.NextFloatScaled(16000.0f) - 8000.0f
                                  : x0 + 0.25f * static_cast<float>(i / 2 - 2000);
            int32_t column = -99, row = -99;
            ASSERT_TRUE(layout.CellCoordinate(v, layout.mX0, layout.mColumns, column));
            ASSERT_TRUE(layout.CellCoordinate(v, layout.mY0, layout.mRows, row));
            ASSERT_EQ(column, CellByDivision(v, layout.mX0, layout.mColumns, size)) << size << " at " << v;
            ASSERT_EQ(row, CellByDivision(v, layout.mY0, layout.mRows, size)) << size << " at " << v;
        }
    }
}

TEST(GridLayout, OnlyPowerOfTwoCellSizesTakeTheReciprocal)
{
    const struct {
        int32_t size;
        float inverse;
    } cases[] = {{1, 1.0f}, {8, 0.125f}, {256, 1.0f / 256.0f}, {6, 0.0f}, {12, 0.0f}, {1000, 0.0f}};
    for (const auto& c : cases) {
        GridLayout layout;
        ASSERT_TRUE(layout.Setup({0.0f, 0.0f, 100.0f, 100.0f}, c.size, int64_t(1) << 20));
        EXPECT_EQ(layout.mInverseCellSize, c.inverse) << c.size;
    }
}
