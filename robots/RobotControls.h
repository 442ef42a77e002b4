#pragma once
#include <cstdint>
#include "base/Vector.h"

namespace KIV {

// The keys of one physics step as a robot's scripts read them: went down in
// this step, is held, went up in this step.
struct ControlKey {
    uint8_t mDowned = 0;
    uint8_t mDown = 0;
    uint8_t mUpped = 0;
};

// A robot's controls for the current step, filled from the step's input frame
// (Up, Down, Left, Right, Brake, AimUp and AimDown are W, S, A, D, the space
// bar and the Up and Down arrows; Shoot is the left button or Return).
struct RobotControls {
    static constexpr int32_t kFrameBytes = 128;

    ControlKey mUp, mDown, mLeft, mRight, mBrake, mAimUp, mAimDown;
    VectorF mAim;
    ControlKey mShoot;

    // Takes the key bytes 0 to 20, the aim at byte 24 and the Shoot bytes at
    // 32 of a recorded input frame, as they stand.
    void CopyFromInputFrame(const uint8_t (&frame)[kFrameBytes]);
};

} // namespace KIV
