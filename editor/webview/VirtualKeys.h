#pragma once
#include <cstdint>

namespace KIV {

// Virtual-key codes as the game's key translation gives them.
namespace VirtualKey {
inline constexpr int32_t kBack = 0x08, kTab = 0x09, kReturn = 0x0D, kShift = 0x10, kControl = 0x11,
                         kMenu = 0x12, kPause = 0x13, kCapital = 0x14, kEscape = 0x1B, kSpace = 0x20,
                         kPrior = 0x21, kNext = 0x22, kEnd = 0x23, kHome = 0x24, kLeft = 0x25, kUp = 0x26,
                         kRight = 0x27, kDown = 0x28, kInsert = 0x2D, kDelete = 0x2E, kNumpad0 = 0x60,
                         kMultiply = 0x6A, kAdd = 0x6B, kSubtract = 0x6D, kDecimal = 0x6E, kDivide = 0x6F,
                         kF1 = 0x70, kF12 = 0x7B;
}

struct VirtualKeyInfo {
    uint32_t mGdkKeyval = 0;     // 0 when GDK has no key for the code
    const char* mIdentifier = nullptr; // DOM key identifier; null for the "U+" form
    bool mTypesText = false;     // the key also types a character
};

VirtualKeyInfo LookUpVirtualKey(int32_t virtualKeyCode, bool shift);

} // namespace KIV
