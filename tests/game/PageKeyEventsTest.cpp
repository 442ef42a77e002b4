#include <gtest/gtest.h>
#include <SDL/SDL.h>
#include <cstring>
#include <string>

#include "game/PageKeyEvents.h"

using namespace KIV;

namespace {

KeyEventRecord Record(uint8_t type, int32_t sym, int32_t mod, uint16_t unicode, uint8_t scancode = 38)
{
    SDL_KeyboardEvent key{};
    key.type = type;
    key.keysym.sym = static_cast<SDLKey>(sym);
    key.keysym.mod = static_cast<SDLMod>(mod);
    key.keysym.unicode = unicode;
    key.keysym.scancode = scancode;
    KeyEventRecord r;
    std::memcpy(r.mBytes, &key, sizeof key);
    return r;
}

} // namespace

// The window system's key symbols become the codes the pages know; symbols
// without a key of their own give 0.
TEST(PageKeyEvents, KeySymbolsMapToVirtualKeys)
{
    const struct { int32_t mSym; int32_t mVirtualKey; } cases[] = {
        {SDLK_a, 'A'},          {SDLK_z, 'Z'},         {SDLK_0, '0'},          {SDLK_RETURN, 0x0D},
        {SDLK_BACKSPACE, 0x08}, {SDLK_DELETE, 0x2E},   {SDLK_LEFT, 0x25},      {SDLK_PAGEDOWN, 0x22},
        {SDLK_F1, 0x70},        {SDLK_F12, 0x7B},      {SDLK_KP5, 0x65},       {SDLK_KP_ENTER, 0x0D},
        {SDLK_COMMA, 0xBC},     {SDLK_BACKQUOTE, 0xC0}, {SDLK_LSHIFT, 0x10},   {SDLK_RCTRL, 0x11},
        {SDLK_EXCLAIM, 0},      {SDLK_WORLD_0, 0},     {7, 0},                 {318, 0},
        {-1, 0},                {100000, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(SdlKeyToVirtualKey(c.mSym), c.mVirtualKey) << c.mSym;
}

// A key that types gives its key-down and its text; a key going up, or one
// that types nothing, gives one event. Ctrl, Shift and Meta reach the page,
// Alt does not.
TEST(PageKeyEvents, DownUpAndTypedText)
{
    WebKeyboardEvent e[2];
    ASSERT_EQ(BuildPageKeyEvents(Record(SDL_KEYDOWN, SDLK_a, KMOD_LSHIFT | KMOD_LALT, 'A'), e), 2);
    EXPECT_EQ(e[0].mType, WebKeyboardEvent::kTypeKeyDown);
    EXPECT_EQ(e[0].mVirtualKeyCode, 'A');
    EXPECT_EQ(e[0].mModifiers, WebKeyboardEvent::kModShiftKey);
    EXPECT_EQ(e[0].mNativeKeyCode, 38);
    EXPECT_EQ(std::string(e[0].mKeyIdentifier), "U+0041");
    EXPECT_EQ(e[1].mType, WebKeyboardEvent::kTypeChar);
    EXPECT_EQ(e[1].mText[0], u'A');
    EXPECT_EQ(e[1].mUnmodifiedText[0], u'A');

    ASSERT_EQ(BuildPageKeyEvents(Record(SDL_KEYUP, SDLK_a, KMOD_RCTRL | KMOD_LMETA, 'a'), e), 1);
    EXPECT_EQ(e[0].mType, WebKeyboardEvent::kTypeKeyUp);
    EXPECT_EQ(e[0].mModifiers, WebKeyboardEvent::kModControlKey | WebKeyboardEvent::kModMetaKey);

    ASSERT_EQ(BuildPageKeyEvents(Record(SDL_KEYDOWN, SDLK_LEFT, 0, 0), e), 1);
    EXPECT_EQ(std::string(e[0].mKeyIdentifier), "Left");

    // A record that was never a key event (an empty slot) gives nothing.
    EXPECT_EQ(BuildPageKeyEvents(KeyEventRecord(), e), 0);
}
