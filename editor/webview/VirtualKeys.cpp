#include "editor/webview/VirtualKeys.h"

#include <gdk/gdkkeysyms.h>

namespace KIV {

namespace {

struct NamedKey {
    int32_t mCode;
    uint32_t mKeyval;
    const char* mIdentifier;
};

constexpr NamedKey kNamedKeys[] = {
    {VirtualKey::kBack, GDK_KEY_BackSpace, "U+0008"},   {VirtualKey::kTab, GDK_KEY_Tab, "U+0009"},
    {VirtualKey::kReturn, GDK_KEY_Return, "Enter"},     {VirtualKey::kShift, GDK_KEY_Shift_L, "Shift"},
    {VirtualKey::kControl, GDK_KEY_Control_L, "Control"}, {VirtualKey::kMenu, GDK_KEY_Alt_L, "Alt"},
    {VirtualKey::kPause, GDK_KEY_Pause, "Pause"},       {VirtualKey::kCapital, GDK_KEY_Caps_Lock, "CapsLock"},
    {VirtualKey::kEscape, GDK_KEY_Escape, "U+001B"},    {VirtualKey::kPrior, GDK_KEY_Page_Up, "PageUp"},
    {VirtualKey::kNext, GDK_KEY_Page_Down, "PageDown"}, {VirtualKey::kEnd, GDK_KEY_End, "End"},
    {VirtualKey::kHome, GDK_KEY_Home, "Home"},          {VirtualKey::kLeft, GDK_KEY_Left, "Left"},
    {VirtualKey::kUp, GDK_KEY_Up, "Up"},                {VirtualKey::kRight, GDK_KEY_Right, "Right"},
    {VirtualKey::kDown, GDK_KEY_Down, "Down"},          {VirtualKey::kInsert, GDK_KEY_Insert, "Insert"},
    {VirtualKey::kDelete, GDK_KEY_Delete, "U+007F"},
};

// Punctuation keys of a US layout, unshifted and shifted.
struct PunctuationKey {
    int32_t mCode;
    char mPlain;
    char mShifted;
};
constexpr PunctuationKey kPunctuation[] = {
    {0xBA, ';', ':'}, {0xBB, '=', '+'}, {0xBC, ',', '<'}, {0xBD, '-', '_'}, {0xBE, '.', '>'},
    {0xBF, '/', '?'}, {0xC0, '`', '~'}, {0xDB, '[', '{'}, {0xDC, '\\', '|'}, {0xDD, ']', '}'},
    {0xDE, '\'', '"'},
};

constexpr const char* kFunctionNames[] = {"F1", "F2", "F3", "F4", "F5", "F6",
                                          "F7", "F8", "F9", "F10", "F11", "F12"};

} // namespace

VirtualKeyInfo LookUpVirtualKey(int32_t code, bool shift)
{
    VirtualKeyInfo info;
    for (const NamedKey& k : kNamedKeys) {
        if (k.mCode == code) {
            info.mGdkKeyval = k.mKeyval;
            info.mIdentifier = k.mIdentifier;
            return info;
        }
    }
    if (code >= VirtualKey::kF1 && code <= VirtualKey::kF12) {
        info.mGdkKeyval = GDK_KEY_F1 + static_cast<uint32_t>(code - VirtualKey::kF1);
        info.mIdentifier = kFunctionNames[code - VirtualKey::kF1];
        return info;
    }
    static const char kShiftedDigits[] = ")!@#$%^&*(";
    info.mTypesText = true;
    if (code == VirtualKey::kSpace) {
        info.mGdkKeyval = GDK_KEY_space;
    } else if (code >= 'A' && code <= 'Z') {
        info.mGdkKeyval = static_cast<uint32_t>(shift ? code : code + 32);
    } else if (code >= '0' && code <= '9') {
        info.mGdkKeyval = static_cast<uint32_t>(shift ? kShiftedDigits[code - '0'] : code);
    } else if (code >= VirtualKey::kNumpad0 && code <= VirtualKey::kNumpad0 + 9) {
        info.mGdkKeyval = GDK_KEY_KP_0 + static_cast<uint32_t>(code - VirtualKey::kNumpad0);
    } else if (code == VirtualKey::kMultiply) {
        info.mGdkKeyval = GDK_KEY_KP_Multiply;
    } else if (code == VirtualKey::kAdd) {
        info.mGdkKeyval = GDK_KEY_KP_Add;
    } else if (code == VirtualKey::kSubtract) {
        info.mGdkKeyval = GDK_KEY_KP_Subtract;
    } else if (code == VirtualKey::kDecimal) {
        info.mGdkKeyval = GDK_KEY_KP_Decimal;
    } else if (code == VirtualKey::kDivide) {
        info.mGdkKeyval = GDK_KEY_KP_Divide;
    } else {
        info.mTypesText = false;
        for (const PunctuationKey& k : kPunctuation) {
            if (k.mCode == code) {
                info.mGdkKeyval = static_cast<unsigned char>(shift ? k.mShifted : k.mPlain);
                info.mTypesText = true;
                break;
            }
        }
    }
    return info;
}

} // namespace KIV
