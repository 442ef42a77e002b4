#include "tools/contentgen/EffectPictures.h"
#include <cmath>
#include "base/Vector.h"
#include "tools/contentgen/PeriodicNoise.h"

namespace KIV {

namespace {

// Fills the picture by the distance from its centre, in units of its half size.
template <typename Paint>
Canvas Radial(Paint paint)
{
    Canvas canvas(kEffectPictureSize, kEffectPictureSize);
    const float half = 0.5f * kEffectPictureSize;
    for (int32_t y = 0; y < kEffectPictureSize; ++y)
        for (int32_t x = 0; x < kEffectPictureSize; ++x) {
            const VectorF p((x + 0.5f - half) / half, (y + 0.5f - half) / half);
            canvas.Set(x, y, paint(p, p.GetLength()));
        }
    return canvas;
}

} // namespace

Canvas MakeSparkPicture(int)
{
    return Radial([](const VectorF&, float r) {
        // A white-hot core fading through yellow into a faint glow.
        Tint t = MixTints(MakeTint(255, 255, 240), MakeTint(255, 200, 90), SmoothStep(0.0f, 0.45f, r));
        t.mA = (1.0f - SmoothStep(0.1f, 0.35f, r)) * 0.9f + (1.0f - SmoothStep(0.3f, 0.9f, r)) * 0.35f;
        t.mA = Clamp01(t.mA);
        return t;
    });
}

Canvas MakeDustPicture(int)
{
    const PeriodicNoise puff(71, 4);
    return Radial([&puff](const VectorF& p, float r) {
        // A cloud whose edge wanders, thinner towards the rim.
        const float edge = 0.75f + 0.2f * puff.At(p.mX + 1.0f, p.mY + 1.0f);
        Tint t = MixTints(MakeTint(235, 230, 220), MakeTint(170, 165, 155), SmoothStep(0.0f, edge, r));
        t.mA = 0.8f * (1.0f - SmoothStep(edge * 0.3f, edge, r));
        return t;
    });
}

} // namespace KIV
