#pragma once
#include <cstdint>
#include "base/InputDevices.h"
#include "editor/webview/WebKeyboardEvent.h"

namespace KIV {

// The virtual-key code of a window-system key symbol; 0 for a symbol the
// pages have no key for.
int32_t SdlKeyToVirtualKey(int32_t sdlKey);

// The events a page gets for one recorded key event of the window: a key
// going up gives one event; a key going down gives a second, typed-text event
// when the key typed a character. Returns how many were written (0 for a
// record that holds no key event).
int32_t BuildPageKeyEvents(const KeyEventRecord& record, WebKeyboardEvent (&out)[2]);

} // namespace KIV
