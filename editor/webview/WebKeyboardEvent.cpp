#include "editor/webview/WebKeyboardEvent.h"

#include "editor/webview/VirtualKeys.h"

#include <cstdio>
#include <cstring>

namespace KIV {

void WebKeyboardEvent::GetKeyIdentifierFromVirtualKeyCode(int32_t virtualKeyCode, char (&keyIdentifier)[20])
{
    const VirtualKeyInfo info = LookUpVirtualKey(virtualKeyCode, false);
    if (info.mIdentifier != nullptr) {
        std::snprintf(keyIdentifier, sizeof(keyIdentifier), "%s", info.mIdentifier);
    } else if (virtualKeyCode >= VirtualKey::kNumpad0 && virtualKeyCode <= VirtualKey::kNumpad0 + 9) {
        std::snprintf(keyIdentifier, sizeof(keyIdentifier), "U+%04X",
                      static_cast<unsigned>('0' + virtualKeyCode - VirtualKey::kNumpad0));
    } else if (info.mGdkKeyval != 0 && virtualKeyCode >= 0x20 && virtualKeyCode <= 0x5A) {
        // Letters name their upper-case form, as DOM key identifiers do.
        std::snprintf(keyIdentifier, sizeof(keyIdentifier), "U+%04X", static_cast<unsigned>(virtualKeyCode));
    } else if (info.mGdkKeyval != 0 && info.mGdkKeyval < 0x80) {
        std::snprintf(keyIdentifier, sizeof(keyIdentifier), "U+%04X", info.mGdkKeyval);
    } else {
        std::snprintf(keyIdentifier, sizeof(keyIdentifier), "Unidentified");
    }
}

} // namespace KIV
