#pragma once
#include <cstdint>

union SDL_Event;

namespace KIV {

class InputDevices;
struct InputEvent;

// What the pump saw besides input: the window closing or asking for a size.
struct PumpResult {
    bool mQuit = false;
    bool mResized = false;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
};

// Reduces one window-system event to the devices' own event record; false for
// events that carry no input.
bool TranslateSdlEvent(const SDL_Event& event, InputEvent& out);

// Polls every pending event and feeds the input to the devices, in event order.
void PumpSdlEvents(InputDevices& devices, PumpResult& result);

} // namespace KIV
