#include "game/ViewCamera.h"
#include <algorithm>
#include <cmath>

namespace KIV {

VectorF NormalizedScreenExtent(const VectorF& screenSize)
{
    float area = std::fabs(screenSize.mX * screenSize.mY);
    if (!(area > 0.0f)) return {};
    return screenSize * (1000.0f / std::sqrt(area));
}

void ViewCamera::Update(int32_t elapsedMs)
{
    mAccumulatorMs += elapsedMs;
    while (mAccumulatorMs >= kSliceMs) {
        mAccumulatorMs -= kSliceMs;
        StepSlice();
    }
}

void ViewCamera::StepSlice()
{
    mPosition += (mTargetPosition - mPosition) * 0.033f;
    // Close in: stop easing, so the camera rests exactly. Only when zoomed
    // out, where a sub-unit drift would show.
    if (mZoom > 0.3f && (mTargetPosition - mPosition).GetLengthSquared() < 1.0f) mTargetPosition = mPosition;
    if (mTargetZoom > 32.0f) mTargetZoom = 32.0f;
    if (mZoom == mTargetZoom) return;

    mZoomRate += mTargetZoom > mZoom ? 0.002f : -0.002f;
    mZoomRate = std::clamp(mZoomRate, -0.5f, 0.5f);
    // Brake before the target so the zoom does not overshoot.
    float reach = mZoom + 8.0f * mZoomRate;
    if ((mZoomRate > 0.0f && mTargetZoom < reach) || (mZoomRate < 0.0f && mTargetZoom >= reach))
        mZoomRate = (mTargetZoom - mZoom) / 8.0f;
    mZoom += mZoomRate;
    if (std::fabs(mTargetZoom - mZoom) < 0.001f) {
        mZoom = mTargetZoom;
        mZoomRate = 0.0f;
    }
}

RectF ViewCamera::GetViewRect() const
{
    VectorF half = NormalizedScreenExtent(mScreenSizeF);
    half.mX *= mViewFactors.mX * mZoom;
    half.mY *= mViewFactors.mY * mZoom;
    half = half * 0.5f;
    return {mPosition.mX - half.mX, mPosition.mY - half.mY, mPosition.mX + half.mX, mPosition.mY + half.mY};
}

} // namespace KIV
