#include "physics/Light.h"

namespace KIV {

namespace {

ColorRGBAF MakeColor(float r, float g, float b, float a)
{
    ColorRGBAF c;
    c.mRed = r;
    c.mGreen = g;
    c.mBlue = b;
    c.mAlpha = a;
    return c;
}

// from + (to - from) · f, per component.
ColorRGBAF BlendColor(const ColorRGBAF& from, const ColorRGBAF& to, float f)
{
    return MakeColor(from.mRed + (to.mRed - from.mRed) * f, from.mGreen + (to.mGreen - from.mGreen) * f,
                     from.mBlue + (to.mBlue - from.mBlue) * f, from.mAlpha + (to.mAlpha - from.mAlpha) * f);
}

} // namespace

Light::Light()
    : mBaseColor(MakeColor(0.5f, 0.5f, 0.5f, 0.0f)),
      mFlickerMin(MakeColor(0.2f, 0.2f, 0.2f, 0.0f)),
      mFlickerMax(MakeColor(0.5f, 0.7f, 0.5f, 0.0f)),
      mPreviousTarget(MakeColor(0.2f, 0.2f, 0.2f, 0.0f)),
      mTarget(MakeColor(0.5f, 0.7f, 0.5f, 0.0f)),
      mFlickerEnabled(1),
      mPeriodMin(20),
      mPeriodMax(60),
      mStepCounter(0),
      mPeriod(20)
{
    mDiffuse = MakeColor(0.5f, 0.5f, 0.5f, 0.0f);
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
#pragma omp parallel for schedule(static) if (parallel)
    for (int32_t i = 0; i < count; ++i) lights[i]->StepFlicker();
}

} // namespace KIV
