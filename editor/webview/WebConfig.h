#pragma once
#include <cstdint>

namespace KIV {

// How the core is set up, once per run.
struct WebConfig {
    // 0: quiet; 1: failed page loads are reported as notices; 2: also every
    // page load, script failure and script dialog goes to stderr.
    int32_t mLogLevel = 1;
    // Upper bound for one JavaScript call that waits for its result: a page
    // stuck in a loop must not freeze the game.
    int32_t mScriptTimeoutMs = 5000;
};

} // namespace KIV
