#include "game/PageKeyEvents.h"
#include <SDL/SDL.h>
#include <array>
#include <cstring>

namespace KIV {

namespace {

// The Windows virtual keys the pages know, by key symbol 8 .. 317.
constexpr int32_t kFirstKey = 8, kLastKey = 317;

constexpr std::array<int32_t, kLastKey + 1> BuildKeyTable()
{
    std::array<int32_t, kLastKey + 1> t{};
    t[SDLK_BACKSPACE] = 0x08;
    t[SDLK_TAB] = 0x09;
    t[SDLK_CLEAR] = 0x0C;
    t[SDLK_RETURN] = 0x0D;
    t[SDLK_PAUSE] = 0x13;
    t[SDLK_ESCAPE] = 0x1B;
    t[SDLK_SPACE] = 0x20;
    t[SDLK_QUOTE] = 0xDE;
    t[SDLK_COMMA] = 0xBC;
    t[SDLK_MINUS] = 0xBD;
    t[SDLK_PERIOD] = 0xBE;
    t[SDLK_SLASH] = 0xBF;
    for (int32_t d = 0; d <= 9; ++d) t[SDLK_0 + d] = 0x30 + d;
    t[SDLK_SEMICOLON] = 0xBA;
    t[SDLK_EQUALS] = 0xBB;
    t[SDLK_LEFTBRACKET] = 0xDB;
    t[SDLK_BACKSLASH] = 0xDC;
    t[SDLK_RIGHTBRACKET] = 0xDD;
    t[SDLK_BACKQUOTE] = 0xC0;
    for (int32_t c = 0; c < 26; ++c) t[SDLK_a + c] = 'A' + c;
    t[SDLK_DELETE] = 0x2E;
    for (int32_t d = 0; d <= 9; ++d) t[SDLK_KP0 + d] = 0x60 + d;
    t[SDLK_KP_PERIOD] = 0x6E;
    t[SDLK_KP_DIVIDE] = 0x6F;
    t[SDLK_KP_MULTIPLY] = 0x6A;
    t[SDLK_KP_MINUS] = 0x6D;
    t[SDLK_KP_PLUS] = 0x6B;
    t[SDLK_KP_ENTER] = 0x0D;
    t[SDLK_UP] = 0x26;
    t[SDLK_DOWN] = 0x28;
    t[SDLK_RIGHT] = 0x27;
    t[SDLK_LEFT] = 0x25;
    t[SDLK_INSERT] = 0x2D;
    t[SDLK_HOME] = 0x24;
    t[SDLK_END] = 0x23;
    t[SDLK_PAGEUP] = 0x21;
    t[SDLK_PAGEDOWN] = 0x22;
    for (int32_t f = 0; f < 15; ++f) t[SDLK_F1 + f] = 0x70 + f;
    t[SDLK_NUMLOCK] = 0x90;
    t[SDLK_CAPSLOCK] = 0x14;
    t[SDLK_SCROLLOCK] = 0x91;
    t[SDLK_RSHIFT] = t[SDLK_LSHIFT] = 0x10;
    t[SDLK_RCTRL] = t[SDLK_LCTRL] = 0x11;
    t[SDLK_RALT] = t[SDLK_LALT] = 0x12;
    t[SDLK_LSUPER] = 0x5B;
    t[SDLK_RSUPER] = 0x5C;
    t[SDLK_HELP] = 0x2F;
    t[SDLK_PRINT] = 0x2C;
    return t;
}

constexpr std::array<int32_t, kLastKey + 1> kKeyTable = BuildKeyTable();

} // namespace

int32_t SdlKeyToVirtualKey(int32_t sdlKey)
{
    return sdlKey >= kFirstKey && sdlKey <= kLastKey ? kKeyTable[static_cast<size_t>(sdlKey)] : 0;
}

int32_t BuildPageKeyEvents(const KeyEventRecord& record, WebKeyboardEvent (&out)[2])
{
    static_assert(sizeof(SDL_KeyboardEvent) <= sizeof record.mBytes);
    SDL_KeyboardEvent key;
    std::memcpy(&key, record.mBytes, sizeof key);
    if (key.type != SDL_KEYDOWN && key.type != SDL_KEYUP) return 0;
    WebKeyboardEvent e;
    e.mType = key.type == SDL_KEYDOWN ? WebKeyboardEvent::kTypeKeyDown : WebKeyboardEvent::kTypeKeyUp;
    e.mVirtualKeyCode = SdlKeyToVirtualKey(key.keysym.sym);
    WebKeyboardEvent::GetKeyIdentifierFromVirtualKeyCode(e.mVirtualKeyCode, e.mKeyIdentifier);
    // Alt stays with the game: its combinations are the game's own commands.
    if (key.keysym.mod & KMOD_CTRL) e.mModifiers |= WebKeyboardEvent::kModControlKey;
    if (key.keysym.mod & KMOD_META) e.mModifiers |= WebKeyboardEvent::kModMetaKey;
    if (key.keysym.mod & KMOD_SHIFT) e.mModifiers |= WebKeyboardEvent::kModShiftKey;
    e.mNativeKeyCode = key.keysym.scancode;
    out[0] = e;
    if (key.type == SDL_KEYUP || key.keysym.unicode == 0) return 1;
    e.mType = WebKeyboardEvent::kTypeChar;
    e.mText[0] = e.mUnmodifiedText[0] = static_cast<char16_t>(key.keysym.unicode);
    out[1] = e;
    return 2;
}

} // namespace KIV
