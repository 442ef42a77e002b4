#include "tools/contentgen/WaterPicture.h"
#include <algorithm>
#include <cmath>
#include "tools/contentgen/PeriodicNoise.h"

namespace KIV {

Canvas MakeWaterPicture(int)
{
    const int32_t size = kWaterPictureSize;
    Canvas canvas(size, size);
    // All noises repeat exactly once or several times across the picture.
    const PeriodicNoise body(31, 4), ripplesA(32, 6), ripplesB(33, 8);
    const Tint deep = MakeTint(28, 86, 156), shallow = MakeTint(52, 134, 204), light = MakeTint(186, 232, 255);

    // Light gathers where a ripple noise crosses its middle value: thin bright
    // lines that join into a net. Dividing by the noise's slope keeps the
    // lines equally thin where the noise is flat.
    auto rippleLine = [size](const PeriodicNoise& noise, float scale, float x, float y, float width) {
        auto at = [&](float px, float py) { return noise.Fractal(px / size * scale, py / size * scale, 2) - 0.5f; };
        const float n = at(x, y);
        const float gx = (at(x + 0.5f, y) - at(x - 0.5f, y)), gy = (at(x, y + 0.5f) - at(x, y - 0.5f));
        const float slope = std::max(std::sqrt(gx * gx + gy * gy), 1e-4f);
        return 1.0f - SmoothStep(0.0f, width, std::fabs(n) / slope);
    };
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            Tint c = MixTints(deep, shallow, body.Fractal(px / size * 4.0f, py / size * 4.0f, 3));
            const float caustic = std::max(rippleLine(ripplesA, 6.0f, px, py, 1.8f),
                                           0.6f * rippleLine(ripplesB, 8.0f, px, py, 1.2f));
            c = MixTints(c, light, caustic * 0.75f);
            c.mA = 0.72f + 0.2f * caustic;
            canvas.Set(x, y, c);
        }
    }
    return canvas;
}

} // namespace KIV
