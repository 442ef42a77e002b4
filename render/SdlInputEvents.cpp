#include "render/SdlInputEvents.h"
#include <SDL/SDL.h>
#include <cstring>

namespace KIV {

// The page views receive the keyboard event byte for byte.
static_assert(sizeof(SDL_KeyboardEvent) == sizeof(KeyEventRecord));

bool TranslateSdlEvent(const SDL_Event& event, uint32_t nowMs, InputEvent& out)
{
    out = InputEvent{};
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        out.mType = event.type == SDL_KEYDOWN ? InputEvent::kKeyDown : InputEvent::kKeyUp;
        out.mDevice = event.key.which;
        out.mCode = int32_t(event.key.keysym.sym);
        std::memcpy(out.mRawKey.mBytes, &event.key, sizeof(out.mRawKey.mBytes));
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        out.mType = event.type == SDL_MOUSEBUTTONDOWN ? InputEvent::kMouseButtonDown : InputEvent::kMouseButtonUp;
        out.mDevice = event.button.which;
        out.mCode = event.button.button;
        out.mX = event.button.x;
        out.mY = event.button.y;
        out.mTimeMs = nowMs;
        return true;
    case SDL_MOUSEMOTION:
        out.mType = InputEvent::kMouseMotion;
        out.mDevice = event.motion.which;
        out.mX = event.motion.x;
        out.mY = event.motion.y;
        return true;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        out.mType = event.type == SDL_JOYBUTTONDOWN ? InputEvent::kJoyButtonDown : InputEvent::kJoyButtonUp;
        out.mDevice = event.jbutton.which;
        out.mCode = event.jbutton.button;
        return true;
    case SDL_JOYAXISMOTION:
        out.mType = InputEvent::kJoyAxis;
        out.mDevice = event.jaxis.which;
        out.mCode = event.jaxis.axis;
        out.mX = event.jaxis.value;
        return true;
    case SDL_JOYBALLMOTION:
        out.mType = InputEvent::kJoyBall;
        out.mDevice = event.jball.which;
        out.mCode = event.jball.ball;
        out.mX = event.jball.xrel;
        out.mY = event.jball.yrel;
        return true;
    case SDL_JOYHATMOTION:
        out.mType = InputEvent::kJoyHat;
        out.mDevice = event.jhat.which;
        out.mCode = event.jhat.hat;
        out.mX = event.jhat.value;
        return true;
    default:
        return false;
    }
}

} // namespace KIV
