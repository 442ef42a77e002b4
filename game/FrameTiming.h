#pragma once
#include <cstdint>
#include "base/Array.h"

namespace KIV {

// Turns the millisecond clock into fixed physics steps. At most frequency/30
// steps run per rendered frame, so a slow frame slows the game down instead
// of spiralling: the time of clamped steps is dropped, not carried over.
class FrameTiming {
public:
    static constexpr int32_t kRingSize = 20;

    FrameTiming();

    // Sets the steps due, the elapsed time and the frames per second.
    void Update(uint32_t ticks);

    // A frequency of zero or below is refused: it would make the step
    // infinitely long or the step count run away.
    bool SetFrequency(int32_t frequency);
    int32_t GetFrequency() const { return mFrequency; }
    uint32_t GetMaxStepsPerFrame() const { return static_cast<uint32_t>(mFrequency) / 30u; }

    uint32_t mStepsDue = 0;
    float mAccumulatorMs = 0.0f;
    uint32_t mLastTicks = 0;
    uint32_t mElapsedMs = 0;
    int32_t mFramesPerSecond = 0;

private:
    int32_t mFrequency = 210;
    Array<int32_t> mRing;
    int32_t mRingIndex = 0;
};

} // namespace KIV
