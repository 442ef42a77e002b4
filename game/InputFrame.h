#pragma once
#include <cstddef>
#include <cstdint>
#include "base/Vector.h"

namespace KIV {

class InputDevices;

// Went down this frame, is down (held or went down), went up this frame.
struct KeyTriple {
    uint8_t mWentDown = 0;
    uint8_t mIsDown = 0;
    uint8_t mWentUp = 0;
};

// The complete input of one simulation step. Recordings store it raw, so the
// layout is fixed to the byte.
struct InputFrame {
    KeyTriple mW;
    KeyTriple mS;
    KeyTriple mA;
    KeyTriple mD;
    KeyTriple mSpace;
    KeyTriple mUp;
    KeyTriple mDown;
    uint8_t mPad21[3] = {};
    float mMouseWorldX = 0.0f;
    float mMouseWorldY = 0.0f;
    KeyTriple mFire; // left mouse button or Return
    uint8_t mEWentDown = 0;
    uint8_t mQWentDown = 0;
    uint8_t mPad37[3] = {};
    float mCameraX = 0.0f;
    float mCameraY = 0.0f;
    float mCameraZoom = 0.0f;
    uint8_t mPad52[76] = {};

    VectorF GetMouseWorld() const { return {mMouseWorldX, mMouseWorldY}; }
};

static_assert(sizeof(InputFrame) == 128);
static_assert(offsetof(InputFrame, mDown) == 18);
static_assert(offsetof(InputFrame, mMouseWorldX) == 24);
static_assert(offsetof(InputFrame, mFire) == 32);
static_assert(offsetof(InputFrame, mEWentDown) == 35);
static_assert(offsetof(InputFrame, mQWentDown) == 36);
static_assert(offsetof(InputFrame, mCameraX) == 40);

// Key symbols the frame samples (the window system's codes).
inline constexpr int32_t kKeyReturn = 13;
inline constexpr int32_t kKeyEscape = 27;
inline constexpr int32_t kKeySpace = 32;
inline constexpr int32_t kKeyA = 97;
inline constexpr int32_t kKeyD = 100;
inline constexpr int32_t kKeyE = 101;
inline constexpr int32_t kKeyQ = 113;
inline constexpr int32_t kKeyS = 115;
inline constexpr int32_t kKeyW = 119;
inline constexpr int32_t kKeyUp = 273;
inline constexpr int32_t kKeyDown = 274;

// Fills the frame from keyboard 0 and mouse 0. With clear, every held key
// becomes a key that went up instead (controls let go in edit mode).
// The went-down and went-up bytes of a rendered frame belong to its first
// step only: a frame that runs seven steps must not turn one press into seven.
void SampleInputFrame(InputFrame& frame, const InputDevices& devices, bool clear, bool firstStepOfFrame);

} // namespace KIV
