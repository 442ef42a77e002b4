#include "game/FrameTiming.h"

namespace KIV {

FrameTiming::FrameTiming()
{
    mRing.Resize(kRingSize);
    mRing.FillZero();
}

bool FrameTiming::SetFrequency(int32_t frequency)
{
    if (frequency <= 0) return false;
    mFrequency = frequency;
    return true;
}

void FrameTiming::Update(uint32_t ticks)
{
    mElapsedMs = 0;
    if (ticks < mLastTicks) {
        // The clock went backwards or wrapped: start afresh with no steps.
        mAccumulatorMs = 0.0f;
        mStepsDue = 0;
    } else {
        float stepMs = 1000.0f / static_cast<float>(mFrequency);
        mElapsedMs = ticks - mLastTicks;
        mAccumulatorMs = static_cast<float>(mElapsedMs) + mAccumulatorMs;
        mStepsDue = static_cast<uint32_t>(mAccumulatorMs / stepMs);
        mAccumulatorMs = mAccumulatorMs - static_cast<float>(mStepsDue) * stepMs;
    }

    if (++mRingIndex >= mRing.Count()) mRingIndex = 0;
    mRing[mRingIndex] = static_cast<int32_t>(mElapsedMs);
    mLastTicks = ticks;

    int64_t sum = 0;
    for (int32_t v : mRing) sum += v;
    // The mean frame time is taken in whole milliseconds, as the clock gives them. Frames
    // quicker than one millisecond on average are more than that clock can tell apart: they
    // count as a thousand a second rather than as a division by zero.
    if (sum > 0) {
        const int64_t meanMs = sum / kRingSize;
        mFramesPerSecond = meanMs > 0 ? static_cast<int32_t>(1000.0 / static_cast<double>(meanMs)) : 1000;
    }

    if (mStepsDue > GetMaxStepsPerFrame()) mStepsDue = GetMaxStepsPerFrame();
}

} // namespace KIV
