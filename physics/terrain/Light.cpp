#include "physics/terrain/Light.h"
#include "base/WorkTeam.h"

namespace KIV {

namespace {

// from + (to - from) · f, per component.
ColorRGBAF BlendColor(const ColorRGBAF& from, const ColorRGBAF& to, float f)
{
    return ColorRGBAF(from.mRed + (to.mRed - from.mRed) * f, from.mGreen + (to.mGreen - from.mGreen) * f,
                     from.mBlue + (to.mBlue - from.mBlue) * f, from.mAlpha + (to.mAlpha - from.mAlpha) * f);
}

} // namespace

Light::Light()
    : mBaseColor(ColorRGBAF(0.5f, 0.5f, 0.5f, 0.0f)),
      mFlickerMin(ColorRGBAF(0.2f, 0.2f, 0.2f, 0.0f)),
      mFlickerMax(ColorRGBAF(0.5f, 0.7f, 0.5f, 0.0f)),
      mPreviousTarget(ColorRGBAF(0.2f, 0.2f, 0.2f, 0.0f)),
      mTarget(ColorRGBAF(0.5f, 0.7f, 0.5f, 0.0f)),
      mFlickerEnabled(1),
      mPeriodMin(20),
      mPeriodMax(60),
      mStepCounter(0),
      mPeriod(20)
{
    mDiffuse = ColorRGBAF(0.5f, 0.5f, 0.5f, 0.0f);
    mPosition = VectorF(0.0f, 0.0f);
    mHeight = 400.0f;
}

void Light::StepFlicker()
{
    if (!mFlickerEnabled) return;
    if (mStepCounter < mPeriod) ++mStepCounter;
    if (mStepCounter >= mPeriod) {
        mPreviousTarget = mTarget;
        // One draw for all four components keeps the target on the line from
        // the minimum colour to the maximum colour.
        mTarget = BlendColor(mFlickerMin, mFlickerMax, mRandom.NextFloat());
        const float r2 = mRandom.NextFloat();
        mPeriod = static_cast<uint32_t>(mPeriodMin +
                                        static_cast<int32_t>(static_cast<float>(mPeriodMax - mPeriodMin) * r2));
        mStepCounter = 0;
    }
    const float f = GetClampedRatio(RatioCounter{mStepCounter, mPeriod});
    mDiffuse = BlendColor(mPreviousTarget, mTarget, f);
}

void AnimateLightsParallel(PtrArray<Light>& lights, bool parallel)
{
    const int32_t count = lights.Count();
    WorkTeam::Shared().For(count, 1024, parallel, [&](int32_t i, int32_t) { lights[i]->StepFlicker(); });
}

} // namespace KIV
