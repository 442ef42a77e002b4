// The input devices fed with the window system's own event records, as the main loop feeds them.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <cstring>
#include "render/SdlInputEvents.h"

using namespace KIV;

namespace {

class SdlInputFixture : public ::testing::Test {
protected:
    void Feed(const SDL_Event& e, uint32_t nowMs = 0)
    {
        InputEvent translated;
        if (TranslateSdlEvent(e, nowMs, translated)) mInput.HandleEvent(translated);
    }
    static SDL_Event Key(Uint8 type, SDLKey sym, Uint8 which = 0)
    {
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        e.key.type = type;
        e.key.which = which;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = sym;
        e.key.keysym.unicode = 0x41;
        return e;
    }
    static SDL_Event Button(Uint8 type, Uint8 button, Uint16 x = 0, Uint16 y = 0)
    {
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        e.button.type = type;
        e.button.button = button;
        e.button.x = x;
        e.button.y = y;
        return e;
    }
    static SDL_Event Motion(Uint16 x, Uint16 y)
    {
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        e.motion.type = SDL_MOUSEMOTION;
        e.motion.x = x;
        e.motion.y = y;
        return e;
    }

    InputDevices mInput;
};

} // namespace

TEST_F(SdlInputFixture, KeyEventsAreQueuedVerbatimAndCombineToAltReturn)
{
    const SDL_Event alt = Key(SDL_KEYDOWN, SDLK_LALT);
    Feed(alt);
    Feed(Key(SDL_KEYDOWN, SDLK_RETURN));
    EXPECT_TRUE(mInput.IsComboPressed(0, 308, 13, 0));
    EXPECT_FALSE(mInput.IsComboPressed(0, 307, 13, 0));
    ASSERT_EQ(mInput.GetKeyEvents().Count(), 2);
    EXPECT_EQ(std::memcmp(mInput.GetKeyEvents()[0].mBytes, &alt.key, sizeof(SDL_KeyboardEvent)), 0);

    Feed(Key(SDL_KEYDOWN, SDLK_CAPSLOCK));
    EXPECT_EQ(mInput.GetKeyEvents().Count(), 3);
    EXPECT_FALSE(mInput.IsKeyDown(0, SDLK_CAPSLOCK));
    EXPECT_TRUE(mInput.IsComboDown(0, SDLK_RETURN, SDLK_LALT, 0));
}

TEST_F(SdlInputFixture, PressesCarryTheTickAndWheelStepsCount)
{
    Feed(Motion(10, 10));
    mInput.EndFrame();
    Feed(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 10), 1000);
    Feed(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 10, 10), 1050);
    EXPECT_TRUE(mInput.IsMouseButtonClicked(0, SDL_BUTTON_LEFT));
    mInput.EndFrame();
    Feed(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 10), 1399);
    EXPECT_TRUE(mInput.IsMouseButtonDoubleClicked(0, SDL_BUTTON_LEFT));
    Feed(Motion(13, 10));
    EXPECT_TRUE(mInput.IsMouseDragging(0, SDL_BUTTON_LEFT));

    Feed(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP));
    Feed(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELUP));
    EXPECT_EQ(mInput.GetMouseWheel(0), 1);
    EXPECT_TRUE(mInput.IsMouseButtonReleased(0, SDL_BUTTON_WHEELUP));
}

TEST_F(SdlInputFixture, JoystickEventsReachTheirDevice)
{
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.jaxis.type = SDL_JOYAXISMOTION;
    e.jaxis.which = 2;
    e.jaxis.axis = 3;
    e.jaxis.value = -1234;
    Feed(e);
    std::memset(&e, 0, sizeof e);
    e.jhat.type = SDL_JOYHATMOTION;
    e.jhat.which = 2;
    e.jhat.hat = 1;
    e.jhat.value = SDL_HAT_LEFTUP;
    Feed(e);
    ASSERT_EQ(mInput.GetJoystickCount(), 3);
    EXPECT_EQ(mInput.GetJoystick(2)->mAxes[3], -1234);
    EXPECT_EQ(mInput.GetJoystick(2)->mHats[1], SDL_HAT_LEFTUP);

    SDL_Event quit;
    std::memset(&quit, 0, sizeof quit);
    quit.type = SDL_QUIT;
    InputEvent out;
    EXPECT_FALSE(TranslateSdlEvent(quit, 0, out));
}
