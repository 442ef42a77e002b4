#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Color.h"
#include "base/Random.h"
#include "base/Vector.h"
#include "render/LightSource.h"

namespace KIV {

// A coloured point light of the scene whose colour may flicker: it drifts from
// one random target colour to the next over a random number of steps. The
// renderer reads it as a LightSource: the position, the current colour as the
// diffuse colour, and the radius as the height above the picture plane, so
// draw groups can point at the scene's lights directly.
class Light : public LightSource {
public:
    Light();

    // One simulation step of the flicker; nothing when flicker is off.
    void StepFlicker();

    float GetRadius() const { return mHeight; }
    void SetRadius(float radius) { mHeight = radius; }
    const ColorRGBAF& GetCurrentColor() const { return mDiffuse; }
    void SetCurrentColor(const ColorRGBAF& colour) { mDiffuse = colour; }

    ColorRGBAF mBaseColor;
    ColorRGBAF mFlickerMin;
    ColorRGBAF mFlickerMax;
    ColorRGBAF mPreviousTarget;
    ColorRGBAF mTarget;
    uint8_t mFlickerEnabled;
    int32_t mPeriodMin;
    int32_t mPeriodMax;
    uint32_t mStepCounter;
    uint32_t mPeriod;
    // Each light owns its sequence, so a replay flickers the same way.
    Random mRandom;
};

// The per-step light pass: each light's flicker step, one light per
// iteration; a light touches only itself, its generator included.
void AnimateLightsParallel(PtrArray<Light>& lights, bool parallel);

} // namespace KIV
