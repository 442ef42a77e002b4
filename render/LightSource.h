#pragma once
#include "base/Color.h"
#include "base/Vector.h"

namespace KIV {

// What the renderer reads of a scene light: where it stands, how high above the picture plane, and
// its colour. The scene's lights carry one; draw groups keep plain pointers to them.
struct LightSource {
    VectorF mPosition;
    float mHeight = 0.0f;
    ColorRGBAF mDiffuse;
};

inline constexpr int32_t kMaxLightsPerGroup = 8;

} // namespace KIV
