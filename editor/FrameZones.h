#pragma once
#include <cstdint>

namespace KIV {

// Where the mouse lies on an edit window's frame. The resize zones keep the
// order in which the manager numbers them (1..8); 0 is none.
enum class ResizeZone : int32_t {
    None = 0,
    BottomRight,
    BottomLeft,
    TopRight,
    TopLeft,
    LeftEdge,
    RightEdge,
    TopEdge,
    BottomEdge,
};

struct FrameHover {
    bool mTitleBar = false;
    bool mDragPart = false;
    bool mMaximise = false;
    bool mOwnWindow = false;
    bool mClose = false;
    ResizeZone mZone = ResizeZone::None;
};

// The page area is (x, y, width, height); the title bar is the kTitleBarHeight
// pixels above it. Windows without buttons have no resize zones.
constexpr int32_t kTitleBarHeight = 16;
FrameHover ComputeFrameHover(int32_t x, int32_t y, int32_t width, int32_t height, bool buttons,
                             int32_t mouseX, int32_t mouseY);

// How a drag of (dx, dy) on a zone changes the window: size change and the
// shift of its top-left corner.
struct ResizeStep {
    int32_t mWidthChange = 0;
    int32_t mHeightChange = 0;
    int32_t mXShift = 0;
    int32_t mYShift = 0;
};
ResizeStep ResizeStepForZone(ResizeZone zone, int32_t dx, int32_t dy);

} // namespace KIV
