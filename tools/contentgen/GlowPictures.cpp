#include "tools/contentgen/GlowPictures.h"
#include <cmath>
#include "base/MathUtil.h"
#include "tools/contentgen/PeriodicNoise.h"

namespace KIV {

Canvas MakeShotPicture(int)
{
    const int32_t w = 32, h = 16;
    Canvas canvas(w, h);
    const Tint core = MakeTint(255, 255, 240), glow = MakeTint(255, 200, 90);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            // Distance in an ellipse twice as long as it is high.
            const float dx = (x + 0.5f - 0.5f * w) / (0.5f * w);
            const float dy = (y + 0.5f - 0.5f * h) / (0.5f * h);
            const float r = std::sqrt(dx * dx + dy * dy);
            // Nothing reaches the border, so quads never show their edges.
            const float alpha = Clamp01(1.0f - r / 0.9f);
            const Tint c = MixTints(glow, core, SmoothStep(0.45f, 0.85f, 1.0f - r));
            canvas.Set(x, y, Tint{c.mR, c.mG, c.mB, alpha * alpha});
        }
    }
    return canvas;
}

Canvas MakeHeatPicture(int)
{
    const int32_t size = 64;
    Canvas canvas(size, size);
    const PeriodicNoise ragged(57, 8);
    const Tint hot = MakeTint(255, 230, 160), warm = MakeTint(230, 110, 40);
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            const float dx = (x + 0.5f) / (0.5f * size) - 1.0f;
            const float dy = (y + 0.5f) / (0.5f * size) - 1.0f;
            const float r = std::sqrt(dx * dx + dy * dy);
            const float wisp = ragged.Fractal((x + 0.5f) / 8.0f, (y + 0.5f) / 8.0f, 3);
            const float reach = 0.7f + 0.2f * wisp;
            const float alpha = SmoothStep(0.0f, 0.5f, 1.0f - r / reach) * (0.8f + 0.2f * wisp);
            const Tint c = MixTints(warm, hot, SmoothStep(0.3f, 1.0f, 1.0f - r));
            canvas.Set(x, y, Tint{c.mR, c.mG, c.mB, alpha});
        }
    }
    return canvas;
}

} // namespace KIV
