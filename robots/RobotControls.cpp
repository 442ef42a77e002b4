#include "robots/RobotControls.h"
#include <cstring>

namespace KIV {

void RobotControls::CopyFromInputFrame(const uint8_t (&frame)[kFrameBytes])
{
    ControlKey* keys[] = {&mUp, &mDown, &mLeft, &mRight, &mBrake, &mAimUp, &mAimDown};
    for (int32_t i = 0; i < 7; ++i) {
        keys[i]->mDowned = frame[3 * i];
        keys[i]->mDown = frame[3 * i + 1];
        keys[i]->mUpped = frame[3 * i + 2];
    }
    std::memcpy(&mAim.mX, frame + 24, 4);
    std::memcpy(&mAim.mY, frame + 28, 4);
    mShoot = {frame[32], frame[33], frame[34]};
}

} // namespace KIV
