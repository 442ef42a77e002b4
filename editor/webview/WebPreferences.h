#pragma once

namespace KIV {

// What pages may do. The defaults are the strict ones; the editor switches on
// what its pages need.
struct WebPreferences {
    bool mEnableJavascript = true;
    bool mEnableSmoothScrolling = false;
    bool mEnableWebGL = false;
    bool mEnableWebAudio = false;
    bool mEnableLocalStorage = false;
    bool mEnableDeveloperExtras = false;
    // Pages see no scroll bars when switched off: the editor draws its own frame.
    bool mEnableScrollbars = true;
};

} // namespace KIV
