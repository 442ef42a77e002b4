#include "game/CursorChoice.h"
#include "editor/EditWindow.h"

namespace KIV {

int32_t ChooseCursorKind(const EditWindow* current, bool gameMode)
{
    if (!current) return gameMode ? 1 : 2;
    const FrameHover& hover = current->GetHover();
    switch (hover.mZone) {
    case ResizeZone::LeftEdge:
    case ResizeZone::RightEdge: return 5;
    case ResizeZone::TopEdge:
    case ResizeZone::BottomEdge: return 6;
    case ResizeZone::TopRight:
    case ResizeZone::BottomLeft: return 8;
    case ResizeZone::TopLeft:
    case ResizeZone::BottomRight: return 7;
    case ResizeZone::None: break;
    }
    if (hover.mClose) return 9;
    return current->GetCursor() == WebCursor::kHand ? 4 : 1;
}

} // namespace KIV
