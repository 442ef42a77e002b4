#pragma once
#include <cstdint>
#include "base/Rect.h"
#include "base/Vector.h"

namespace KIV {

// Which part of the world a view shows. Callers set the targets; Update eases
// towards them in fixed 5 ms slices, so the camera moves the same way at any
// frame rate.
struct ViewCamera {
    static constexpr int32_t kSliceMs = 5;

    VectorF mPosition{1500.0f, 100.0f};
    VectorF mViewFactors{1.2f, 1.2f};
    float mCameraValue = 0.0f;
    VectorF mTargetPosition{1500.0f, 100.0f};
    float mZoom = 0.3f; // larger shows more of the world
    float mTargetZoom = 1.5f;
    float mZoomRate = 0.0f;
    uint8_t mFlag = 1;
    VectorI mScreenSize{1920, 1080};
    VectorF mScreenSizeF{1920.0f, 1080.0f};
    int32_t mAccumulatorMs = 0;

    void Update(int32_t elapsedMs);
    RectF GetViewRect() const;
    // Callers copy the current window size in before asking for the view.
    void SetScreenSize(int32_t w, int32_t h)
    {
        mScreenSize = {w, h};
        mScreenSizeF = {float(w), float(h)};
    }

private:
    void StepSlice();
};

// Scales a screen size so that its two sides multiply to 1000 × 1000: views
// then show the same world area whatever the window's shape. A degenerate
// size (a minimised window) gives a zero vector instead of a division by zero.
VectorF NormalizedScreenExtent(const VectorF& screenSize);

} // namespace KIV
