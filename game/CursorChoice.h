#pragma once
#include <cstdint>
#include "editor/FrameZones.h"
#include "editor/webview/WebViewListener.h"

namespace KIV {

class EditWindow;

// The cursor kind (1..9, see Cursors.h) for this frame: outside the edit
// windows the arrow in play and the crosshair in edit mode; over a window's
// frame the double arrow of the edge or corner, or the close arrow on the
// close button; over its page the cursor the page asks for.
int32_t ChooseCursorKind(const EditWindow* current, bool gameMode);

} // namespace KIV
