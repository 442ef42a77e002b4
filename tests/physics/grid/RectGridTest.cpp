#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <limits>
#include "base/Random.h"
#include "physics/grid/RectGrid.h"

using namespace KIV;

TEST(RectGrid, InitRejectsRectanglesItCannotCover)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const RectF bad[] = {{nan, 0, 100, 100}, {0, 0, inf, 100}, {100, 0, 0, 100}, {0, 0, 1e9f, 100}};
    for (const RectF& r : bad) {
        RectGrid grid;
        EXPECT_FALSE(grid.Init(r)) << r.x1 << " " << r.x2;
        EXPECT_EQ(grid.GetCellCount(), 0);
    }
}

TEST(RectGrid, BoundsAreWidenedByOneAndTheMarginIsSplitBetweenBothSides)
{
    RectGrid grid;
    ASSERT_TRUE(grid.Init({0, 0, 1000, 300}));
    // 1002 wide -> 4 columns of 256 = 1024: 22 units of margin, 11 a side.
    EXPECT_EQ(grid.GetColumnCount(), 4);
    EXPECT_EQ(grid.GetRowCount(), 2);
    EXPECT_EQ(grid.GetBounds(), RectI(-12, -106, 1012, 406));
}

TEST(RectGrid, QueryFindsEachOverlappingIdentityOnceAndNothingElse)
{
    RectGrid grid;
    ASSERT_TRUE(grid.Init({0, 0, 4000, 3000}));
    Random random;
    std::vector<RectF> rects;
    for (int32_t i = 0; i < 500; ++i) {
        const float x = random.NextFloatScaled(3800.0f), y = random.NextFloatScaled(2800.0f);
        rects.push_back({x, y, x + random.NextFloatScaled(600.0f), y + random.NextFloatScaled(600.0f)});
        ASSERT_TRUE(grid.InsertRect(rects.back(), i));
    }
    for (int32_t q = 0; q < 200; ++q) {
        const float x = random.NextFloatScaled(4000.0f), y = random.NextFloatScaled(3000.0f);
        const RectF query{x, y, x + 10.0f, y + 10.0f};
        Array<int32_t> found;
        grid.QueryRect(query, found);
        std::vector<int32_t> got(found.begin(), found.end());
        std::sort(got.begin(), got.end());
        EXPECT_TRUE(std::adjacent_find(got.begin(), got.end()) == got.end()) << "identity reported twice";
        // Cells are coarse: every rectangle that really overlaps must be
        // among the answers, and every answer must share a cell with the query.
        for (int32_t i = 0; i < static_cast<int32_t>(rects.size()); ++i)
            if (rects[i].Overlaps(query)) {
                EXPECT_TRUE(std::binary_search(got.begin(), got.end(), i));
            }
        for (int32_t id : got) {
            const RectF& r = rects[id];
            const RectF grown{query.x1 - 256, query.y1 - 256, query.x2 + 256, query.y2 + 256};
            EXPECT_TRUE(r.Overlaps(grown));
        }
    }
}

TEST(RectGrid, RectanglesOffTheGridOrNotANumberAreNotFiled)
{
    RectGrid grid;
    ASSERT_TRUE(grid.Init({0, 0, 1000, 1000}));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(grid.InsertRect({-5000, -5000, -4000, -4000}, 1));
    EXPECT_FALSE(grid.InsertRect({nan, 0, 10, 10}, 2));
    // One reaching far beyond the grid is clipped to it.
    EXPECT_TRUE(grid.InsertRect({-1e30f, 500, 1e30f, 510}, 3));
    Array<int32_t> found;
    grid.QueryRect({-1e9f, -1e9f, 1e9f, 1e9f}, found);
    ASSERT_EQ(found.Count(), 1);
    EXPECT_EQ(found[0], 3);
}
