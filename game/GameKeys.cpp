#include "game/GameKeys.h"
#include "base/InputDevices.h"

namespace KIV {

bool IsCombo(const InputDevices& input, ComboWhen when, uint32_t modifiers, int32_t key)
{
    auto test = [&](int32_t a, int32_t b, int32_t c) {
        switch (when) {
        case ComboWhen::kPressed: return input.IsComboPressed(0, a, b, c);
        case ComboWhen::kHeld: return input.IsComboDown(0, a, b, c);
        case ComboWhen::kReleased: return input.IsComboReleased(0, a, b, c);
        }
        return false;
    };
    for (int side = 0; side < 2; ++side) {
        int32_t keys[3] = {0, 0, 0};
        int32_t n = 0;
        if (modifiers & kCtrl) keys[n++] = side ? Key::kRCtrl : Key::kLCtrl;
        if (modifiers & kShift) keys[n++] = side ? Key::kRShift : Key::kLShift;
        if (modifiers & kAlt) keys[n++] = side ? Key::kRAlt : Key::kLAlt;
        if (n == 3) return false; // three keys at most make a combination
        keys[n++] = key;
        if (test(keys[0], keys[1], keys[2])) return true;
        if (modifiers == kNoMod) break;
    }
    return false;
}

} // namespace KIV
