#include "game/SdlEventPump.h"
#include <SDL/SDL.h>
#include <algorithm>
#include <cstring>
#include "base/InputDevices.h"

namespace KIV {

bool TranslateSdlEvent(const SDL_Event& ev, InputEvent& out)
{
    out = InputEvent();
    switch (ev.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        out.mType = ev.type == SDL_KEYDOWN ? InputEvent::kKeyDown : InputEvent::kKeyUp;
        out.mDevice = ev.key.which;
        out.mCode = ev.key.keysym.sym;
        // The page views want the event as the window system gave it.
        std::memcpy(out.mRawKey.mBytes, &ev.key, std::min(sizeof ev.key, sizeof out.mRawKey.mBytes));
        return true;
    case SDL_MOUSEMOTION:
        out.mType = InputEvent::kMouseMotion;
        out.mDevice = ev.motion.which;
        out.mX = ev.motion.x;
        out.mY = ev.motion.y;
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        out.mType = ev.type == SDL_MOUSEBUTTONDOWN ? InputEvent::kMouseButtonDown : InputEvent::kMouseButtonUp;
        out.mDevice = ev.button.which;
        out.mCode = ev.button.button;
        out.mX = ev.button.x;
        out.mY = ev.button.y;
        out.mTimeMs = SDL_GetTicks();
        return true;
    case SDL_JOYAXISMOTION:
        out.mType = InputEvent::kJoyAxis;
        out.mDevice = ev.jaxis.which;
        out.mCode = ev.jaxis.axis;
        out.mX = ev.jaxis.value;
        return true;
    case SDL_JOYBALLMOTION:
        out.mType = InputEvent::kJoyBall;
        out.mDevice = ev.jball.which;
        out.mCode = ev.jball.ball;
        out.mX = ev.jball.xrel;
        out.mY = ev.jball.yrel;
        return true;
    case SDL_JOYHATMOTION:
        out.mType = InputEvent::kJoyHat;
        out.mDevice = ev.jhat.which;
        out.mCode = ev.jhat.hat;
        out.mX = ev.jhat.value;
        return true;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        out.mType = ev.type == SDL_JOYBUTTONDOWN ? InputEvent::kJoyButtonDown : InputEvent::kJoyButtonUp;
        out.mDevice = ev.jbutton.which;
        out.mCode = ev.jbutton.button;
        return true;
    default:
        return false;
    }
}

void PumpSdlEvents(InputDevices& devices, PumpResult& result)
{
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) {
        if (ev.type == SDL_QUIT) {
            result.mQuit = true;
        } else if (ev.type == SDL_VIDEORESIZE) {
            result.mResized = true;
            result.mWidth = ev.resize.w;
            result.mHeight = ev.resize.h;
        } else {
            InputEvent e;
            if (TranslateSdlEvent(ev, e)) devices.HandleEvent(e);
        }
    }
}

} // namespace KIV
