#include <gtest/gtest.h>
#include "editor/EditWindow.h"
#include "game/CursorChoice.h"
#include "game/Cursors.h"

using namespace KIV;

TEST(Cursors, HotSpotsAndArrowRows)
{
    struct { int kind, x, y; } hot[] = {{1, 0, 0}, {2, 15, 15}, {3, 15, 15}, {4, 5, 0}, {5, 15, 15},
                                        {6, 15, 15}, {7, 15, 15}, {8, 15, 15}, {9, 0, 0}};
    for (auto& h : hot) {
        CursorPicture p = MakeCursorPicture(h.kind);
        EXPECT_EQ(p.mHotX, h.x) << h.kind;
        EXPECT_EQ(p.mHotY, h.y) << h.kind;
        int visible = 0;
        for (auto& row : p.mRows) {
            ASSERT_EQ(row.size(), 32u);
            for (char c : row) visible += c != ' ';
        }
        EXPECT_GT(visible, 20) << h.kind;
    }
    CursorPicture arrow = MakeCursorPicture(1);
    EXPECT_EQ(arrow.mRows[2].substr(0, 3), "X.X");
    EXPECT_EQ(arrow.mRows[14].substr(0, 15), "X.......XXXXXXX");
    EXPECT_EQ(arrow.mRows[22].substr(0, 11), "         XX");
}

TEST(Cursors, PlanesPackMostSignificantBitFirst)
{
    CursorPicture p;
    for (auto& row : p.mRows) row.assign(32, ' ');
    p.mRows[0][0] = 'X';
    p.mRows[0][1] = '.';
    p.mRows[0][9] = 'O';
    std::vector<uint8_t> data, mask;
    PackCursorPlanes(p, data, mask);
    ASSERT_EQ(data.size(), 128u);
    EXPECT_EQ(data[0], 0x80);
    EXPECT_EQ(mask[0], 0xC0);
    EXPECT_EQ(data[1], 0x40);
    EXPECT_EQ(mask[1], 0x00);
}

// Outside the windows the mode decides; over a window's frame the edge or
// corner under the mouse, then the close button; over the page its cursor.
TEST(CursorChoice, FollowsTheModeTheFrameAndThePage)
{
    EXPECT_EQ(ChooseCursorKind(nullptr, true), 1);
    EXPECT_EQ(ChooseCursorKind(nullptr, false), 2);
    EditWindow w;
    ASSERT_TRUE(w.Setup(nullptr, true, true, EditWindow::kRobotEditor, "R", {300, 200}, {100, 100}));
    const struct { VectorI mMouse; int32_t mKind; } cases[] = {
        {{200, 200}, 1},  // the page
        {{97, 200}, 5},   // left edge
        {{402, 200}, 5},  // right edge
        {{200, 303}, 6},  // bottom edge
        {{200, 81}, 6},   // above the title bar
        {{402, 303}, 7},  // bottom-right corner
        {{97, 82}, 7},    // top-left corner
        {{97, 303}, 8},   // bottom-left corner
        {{402, 82}, 8},   // top-right corner
        {{395, 92}, 9},   // close button
        {{300, 92}, 1},   // title bar
    };
    for (const auto& c : cases) {
        w.UpdateFrameHover(c.mMouse);
        EXPECT_EQ(ChooseCursorKind(&w, false), c.mKind) << c.mMouse.mX << "," << c.mMouse.mY;
    }
    w.UpdateFrameHover({200, 200});
    w.OnChangeCursor(nullptr, WebCursor::kHand);
    EXPECT_EQ(ChooseCursorKind(&w, false), 4);
}
