#pragma once
#include <cstdint>

namespace KIV {

// One key event for a view, in the terms of virtual-key codes (the codes the
// game's key translation gives): a key went down, went up, or typed text.
struct WebKeyboardEvent {
    enum Type : int32_t { kTypeKeyDown = 0, kTypeKeyUp = 1, kTypeChar = 2 };
    enum Modifiers : int32_t {
        kModShiftKey = 1 << 0,
        kModControlKey = 1 << 1,
        kModAltKey = 1 << 2,
        kModMetaKey = 1 << 3,
        kModIsKeypad = 1 << 4,
        kModIsAutorepeat = 1 << 5,
    };

    Type mType = kTypeKeyDown;
    int32_t mModifiers = 0;
    int32_t mVirtualKeyCode = 0;
    int32_t mNativeKeyCode = 0;
    char mKeyIdentifier[20] = {};
    // UTF-16, for char events: the typed text with and without modifiers.
    char16_t mText[4] = {};
    char16_t mUnmodifiedText[4] = {};
    bool mIsSystemKey = false;

    // The DOM key identifier of a virtual-key code: "Enter", "Up", "F5",
    // "U+0041" for a letter; "Unidentified" for codes without one.
    static void GetKeyIdentifierFromVirtualKeyCode(int32_t virtualKeyCode, char (&keyIdentifier)[20]);
};

} // namespace KIV
