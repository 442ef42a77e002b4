#include <gtest/gtest.h>

#include "editor/FrameZones.h"

using namespace KIV;

namespace {

// Page area (100, 100) 300 x 200: title bar y 85..99, x2 = 400, y2 = 300.
struct HoverCase {
    const char* mName;
    int32_t mX, mY;
    bool mButtons;
    bool mTitle, mDrag, mMax, mOwn, mClose;
    ResizeZone mZone;
};

const HoverCase kHoverCases[] = {
    {"inside the page", 200, 200, true, false, false, false, false, false, ResizeZone::None},
    {"title bar drag part", 200, 90, true, true, true, false, false, false, ResizeZone::None},
    {"title bar left end", 100, 90, true, true, true, false, false, false, ResizeZone::None},
    {"just past title bar right end", 400, 90, true, false, false, false, false, false, ResizeZone::TopRight},
    {"close button at x2 - 15", 385, 90, true, true, false, false, false, true, ResizeZone::None},
    {"maximise button at x2 - 16", 384, 90, true, true, false, true, false, false, ResizeZone::None},
    {"maximise button at x2 - 31", 369, 90, true, true, false, true, false, false, ResizeZone::None},
    {"own-window button at x2 - 32", 368, 90, true, true, false, false, true, false, ResizeZone::None},
    {"own-window button at x2 - 47", 353, 90, true, true, false, false, true, false, ResizeZone::None},
    {"drag part at x2 - 48", 352, 90, true, true, true, false, false, false, ResizeZone::None},
    {"row at the title bar top is neither", 200, 84, true, false, false, false, false, false, ResizeZone::None},
    {"page top row is not title", 200, 100, true, false, false, false, false, false, ResizeZone::None},
    {"bottom-right beside", 402, 285, true, false, false, false, false, false, ResizeZone::BottomRight},
    {"bottom-right below", 385, 302, true, false, false, false, false, false, ResizeZone::BottomRight},
    {"bottom-left beside", 97, 285, true, false, false, false, false, false, ResizeZone::BottomLeft},
    {"bottom-left below", 115, 302, true, false, false, false, false, false, ResizeZone::BottomLeft},
    {"top-left beside", 97, 95, true, false, false, false, false, false, ResizeZone::TopLeft},
    {"top-left above", 115, 82, true, false, false, false, false, false, ResizeZone::TopLeft},
    {"top-right beside", 402, 95, true, false, false, false, false, false, ResizeZone::TopRight},
    {"top-right above", 385, 82, true, false, false, false, false, false, ResizeZone::TopRight},
    {"top edge", 200, 82, true, false, false, false, false, false, ResizeZone::TopEdge},
    {"bottom edge", 200, 302, true, false, false, false, false, false, ResizeZone::BottomEdge},
    {"left edge", 97, 200, true, false, false, false, false, false, ResizeZone::LeftEdge},
    {"right edge", 402, 200, true, false, false, false, false, false, ResizeZone::RightEdge},
    {"no zones without buttons", 402, 285, false, false, false, false, false, false, ResizeZone::None},
    {"title buttons hover without frame buttons", 390, 90, false, true, false, false, false, true, ResizeZone::None},
};

} // namespace

TEST(FrameZones, HoverTableForEveryPart)
{
    for (const HoverCase& c : kHoverCases) {
        SCOPED_TRACE(c.mName);
        const FrameHover h = ComputeFrameHover(100, 100, 300, 200, c.mButtons, c.mX, c.mY);
        EXPECT_EQ(h.mTitleBar, c.mTitle);
        EXPECT_EQ(h.mDragPart, c.mDrag);
        EXPECT_EQ(h.mMaximise, c.mMax);
        EXPECT_EQ(h.mOwnWindow, c.mOwn);
        EXPECT_EQ(h.mClose, c.mClose);
        EXPECT_EQ(h.mZone, c.mZone);
    }
}

TEST(FrameZones, EachZoneKeepsItsOppositeSideFixed)
{
    struct Case {
        ResizeZone mZone;
        ResizeStep mExpected;
    };
    const Case cases[] = {
        {ResizeZone::BottomRight, {7, 5, 0, 0}}, {ResizeZone::BottomLeft, {-7, 5, 7, 0}},
        {ResizeZone::TopRight, {7, -5, 0, 5}},   {ResizeZone::TopLeft, {-7, -5, 7, 5}},
        {ResizeZone::LeftEdge, {-7, 0, 7, 0}},   {ResizeZone::RightEdge, {7, 0, 0, 0}},
        {ResizeZone::TopEdge, {0, -5, 0, 5}},    {ResizeZone::BottomEdge, {0, 5, 0, 0}},
        {ResizeZone::None, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mZone));
        const ResizeStep s = ResizeStepForZone(c.mZone, 7, 5);
        EXPECT_EQ(s.mWidthChange, c.mExpected.mWidthChange);
        EXPECT_EQ(s.mHeightChange, c.mExpected.mHeightChange);
        EXPECT_EQ(s.mXShift, c.mExpected.mXShift);
        EXPECT_EQ(s.mYShift, c.mExpected.mYShift);
    }
}
