#pragma once
#include <cstdint>
#include "base/InputDevices.h"

union SDL_Event;

namespace KIV {

// Turns one window-system event into the devices' event; false for events the devices do not
// take. nowMs is the window system's tick, which mouse presses carry for double clicks.
bool TranslateSdlEvent(const SDL_Event& event, uint32_t nowMs, InputEvent& out);

} // namespace KIV
