#include "editor/FrameZones.h"

namespace KIV {

FrameHover ComputeFrameHover(int32_t x, int32_t y, int32_t width, int32_t height, bool buttons,
                             int32_t mx, int32_t my) {
    FrameHover hover;
    const int32_t x2 = x + width;
    const int32_t y2 = y + height;
    const int32_t t = y - kTitleBarHeight;
    hover.mTitleBar = t < my && my < y && x <= mx && mx < x2;
    if (hover.mTitleBar) {
        hover.mClose = mx > x2 - 16;
        hover.mMaximise = !hover.mClose && mx > x2 - 32;
        hover.mOwnWindow = !hover.mClose && !hover.mMaximise && mx > x2 - 48;
        hover.mDragPart = !hover.mClose && !hover.mMaximise && !hover.mOwnWindow;
    }
    if (!buttons)
        return hover;
    // Corners first, so a corner wins over both of its edges.
    if ((mx >= x2 && my >= y2 - 20) || (mx >= x2 - 20 && my >= y2))
        hover.mZone = ResizeZone::BottomRight;
    else if ((mx < x && my >= y2 - 20) || (mx < x + 20 && my >= y2))
        hover.mZone = ResizeZone::BottomLeft;
    else if ((mx < x && my < t + 20) || (mx < x + 20 && my < t))
        hover.mZone = ResizeZone::TopLeft;
    else if ((mx >= x2 && my < t + 20) || (mx >= x2 - 20 && my < t))
        hover.mZone = ResizeZone::TopRight;
    else if (my < t)
        hover.mZone = ResizeZone::TopEdge;
    else if (my >= y2)
        hover.mZone = ResizeZone::BottomEdge;
    else if (mx < x)
        hover.mZone = ResizeZone::LeftEdge;
    else if (mx >= x2)
        hover.mZone = ResizeZone::RightEdge;
    return hover;
}

ResizeStep ResizeStepForZone(ResizeZone zone, int32_t dx, int32_t dy) {
    switch (zone) {
    case ResizeZone::BottomRight: return {dx, dy, 0, 0};
    case ResizeZone::BottomLeft: return {-dx, dy, dx, 0};
    case ResizeZone::TopRight: return {dx, -dy, 0, dy};
    case ResizeZone::TopLeft: return {-dx, -dy, dx, dy};
    case ResizeZone::LeftEdge: return {-dx, 0, dx, 0};
    case ResizeZone::RightEdge: return {dx, 0, 0, 0};
    case ResizeZone::TopEdge: return {0, -dy, 0, dy};
    case ResizeZone::BottomEdge: return {0, dy, 0, 0};
    case ResizeZone::None: break;
    }
    return {};
}

} // namespace KIV
