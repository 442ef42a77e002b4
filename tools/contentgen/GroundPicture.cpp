#include "tools/contentgen/GroundPicture.h"
#include <cmath>
#include "base/MathUtil.h"
#include "tools/contentgen/PeriodicNoise.h"
#include "tools/contentgen/ShapeDistance.h"

namespace KIV {

namespace {

// Height of the top edge at x; whole waves across the width, so it tiles.
float SurfaceY(float x)
{
    const float t = x / kGroundPictureWidth * kTwoPi;
    return 30.0f + 7.0f * std::sin(2.0f * t + 0.7f) + 4.0f * std::sin(5.0f * t + 2.1f) + 1.5f * std::sin(11.0f * t);
}

struct Pebble {
    float mX, mY, mRadiusX, mRadiusY;
    Tint mTint;
};

Tint PebbleShade(const Pebble& pebble, float x, float y, float coverage)
{
    // Lit from the top left, like the toys.
    const float lx = (x - pebble.mX) / pebble.mRadiusX, ly = (y - pebble.mY) / pebble.mRadiusY;
    const float light = Clamp01(0.75f - 0.35f * (lx + ly));
    Tint c = ScaleTint(pebble.mTint, 0.7f + 0.5f * light);
    c.mA = coverage;
    return c;
}

// A blade narrows from its root to its tip; it only colours pixels that are
// already opaque, and wraps across the sides so the strip still tiles.
void PaintBlade(Canvas& canvas, const VectorF& root, const VectorF& tip, const Tint& tint)
{
    const int32_t w = canvas.Width();
    for (int32_t y = static_cast<int32_t>(tip.mY) - 1; y <= static_cast<int32_t>(root.mY) + 1; ++y) {
        for (int32_t x = static_cast<int32_t>(std::min(root.mX, tip.mX)) - 2;
             x <= static_cast<int32_t>(std::max(root.mX, tip.mX)) + 2; ++x) {
            const VectorF p(x + 0.5f, y + 0.5f);
            const float t = Clamp01((p.mY - tip.mY) / (root.mY - tip.mY));
            const float d = SegmentDistance(p, root, tip) - (0.2f + 0.9f * t);
            const int32_t wx = (x % w + w) % w;
            if (!canvas.Contains(wx, y) || canvas.Get(wx, y).mA < 1.0f) continue;
            canvas.Blend(wx, y, tint, EdgeCoverage(d));
        }
    }
}

// Soil in soft layers with a fine grain, darker with depth below the top edge
// of the land; every noise repeats across the picture's width, and across its
// height too where the picture must tile that way.
Tint SoilTint(float px, float py, float depth, int32_t w)
{
    static const PeriodicNoise layers(11, 16), grain(12, 64);
    const Tint soilTop = MakeTint(128, 90, 56), soilDeep = MakeTint(74, 52, 36);
    const Tint soilBand = MakeTint(150, 108, 66);
    const float u = px / w, v = py / w;
    Tint c = MixTints(soilTop, soilDeep, Clamp01(depth / 100.0f));
    const float band = layers.Fractal(u * 16.0f, v * 16.0f * 6.0f, 3);
    c = MixTints(c, soilBand, SmoothStep(0.55f, 0.75f, band) * 0.5f);
    return ScaleTint(c, 0.88f + 0.24f * grain.Fractal(u * 64.0f, v * 64.0f, 2));
}

// Pebbles in the soil below the top edge, placed by a fixed hash so every
// build draws the same; they wrap across the sides (and, for a picture that
// tiles both ways, across the top and bottom).
template <typename Surface>
void PaintPebbles(Canvas& canvas, Surface surface, uint32_t count, bool wrapRows)
{
    const int32_t w = canvas.Width(), h = canvas.Height();
    for (uint32_t i = 0; i < count; ++i) {
        Pebble p;
        p.mX = HashToUnit(i, 21) * w;
        const float top = wrapRows ? 0.0f : surface(p.mX) + 20.0f;
        p.mY = top + HashToUnit(i, 22) * (h - (wrapRows ? 0.0f : 4.0f) - top);
        p.mRadiusX = 2.0f + HashToUnit(i, 23) * 4.5f;
        p.mRadiusY = p.mRadiusX * (0.55f + 0.3f * HashToUnit(i, 24));
        const float grey = HashToUnit(i, 25);
        p.mTint = MixTints(MakeTint(150, 132, 112), MakeTint(108, 96, 88), grey);
        for (int32_t y = static_cast<int32_t>(p.mY - p.mRadiusY - 2); y <= p.mY + p.mRadiusY + 2; ++y) {
            for (int32_t x = static_cast<int32_t>(p.mX - p.mRadiusX - 2); x <= p.mX + p.mRadiusX + 2; ++x) {
                const float d = EllipseDistance(VectorF(x + 0.5f, y + 0.5f), VectorF(p.mX, p.mY),
                                                VectorF(p.mRadiusX, p.mRadiusY));
                const float cover = EdgeCoverage(d);
                const int32_t wx = (x % w + w) % w;
                const int32_t wy = wrapRows ? (y % h + h) % h : y;
                if (cover > 0.0f && canvas.Contains(wx, wy))
                    canvas.Blend(wx, wy, PebbleShade(p, x + 0.5f, y + 0.5f, cover), 1.0f);
            }
        }
    }
}

// Land under a top edge: grass over soil, opaque below the edge and
// transparent above it.
template <typename Surface>
Canvas PaintLand(int32_t w, int32_t h, Surface surface, uint32_t pebbles, uint32_t blades)
{
    Canvas canvas(w, h);
    const PeriodicNoise grassEdge(14, 32);
    const Tint grassTop = MakeTint(124, 192, 66), grassDeep = MakeTint(58, 128, 42);

    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float depth = py - surface(px);
            const float coverage = Clamp01(depth + 0.5f);
            if (coverage <= 0.0f) continue;
            Tint c = SoilTint(px, py, depth, w);
            // Grass over a ragged lower edge, shading the soil just below it.
            const float grassDepth = 11.0f + 6.0f * grassEdge.At(px / w * 32.0f, 0.5f);
            const float shadow = 1.0f - 0.35f * (1.0f - SmoothStep(0.0f, 6.0f, depth - grassDepth));
            c = ScaleTint(c, shadow);
            const float grassShare = 1.0f - SmoothStep(grassDepth - 1.0f, grassDepth + 1.0f, depth);
            if (grassShare > 0.0f) {
                Tint g = MixTints(grassTop, grassDeep, Clamp01(depth / grassDepth));
                g = MixTints(g, MakeTint(190, 230, 120), (1.0f - SmoothStep(0.0f, 2.5f, depth)) * 0.6f);
                c = MixTints(c, g, grassShare);
            }
            c.mA = coverage;
            canvas.Set(x, y, c);
        }
    }
    PaintPebbles(canvas, surface, pebbles, false);
    // Grass blades: thin strokes leaning a little, from inside the grass up
    // to just below the edge, so the outline stays as smooth as drawn.
    for (uint32_t i = 0; i < blades; ++i) {
        const float x = (i + HashToUnit(i, 31)) * w / float(blades);
        const float lean = (HashToUnit(i, 32) - 0.5f) * 5.0f;
        const float tipX = x + lean;
        const VectorF tip(tipX, surface(tipX) + 1.8f + HashToUnit(i, 33) * 2.0f);
        const VectorF root(x, surface(x) + 9.0f + HashToUnit(i, 34) * 5.0f);
        const bool dark = HashToUnit(i, 35) < 0.6f;
        const Tint tint = dark ? MakeTint(40, 100, 30, 0.75f) : MakeTint(176, 226, 104, 0.6f);
        PaintBlade(canvas, root, tip, tint);
    }
    return canvas;
}

} // namespace

Canvas MakeGroundPicture(int)
{
    return PaintLand(kGroundPictureWidth, kGroundPictureHeight, SurfaceY, 70, 200);
}

Canvas MakePondPicture(int)
{
    const float w = kPondPictureWidth;
    // A mound whose feet run out flat near the bottom, to be hidden behind the
    // ground strip's edge, with a round bowl dug between its two tops.
    auto surface = [w](float x) {
        const float t = x / w;
        const float mound = 250.0f - 215.0f * std::pow(std::sin(t * kPi), 1.2f);
        const float bowl = 150.0f * std::exp(-std::pow((t - 0.5f) / 0.17f, 4.0f));
        return mound + bowl + 2.0f * std::sin(t * 19.0f);
    };
    return PaintLand(kPondPictureWidth, kPondPictureHeight, surface, 90, 200);
}

Canvas MakeSoilPicture(int)
{
    const int32_t w = kSoilPictureSize;
    Canvas canvas(w, w);
    for (int32_t y = 0; y < w; ++y)
        for (int32_t x = 0; x < w; ++x) {
            // Deep soil throughout: the depth term is past its darkest.
            Tint c = SoilTint(x + 0.5f, y + 0.5f, 100.0f, w);
            c.mA = 1.0f;
            canvas.Set(x, y, c);
        }
    PaintPebbles(canvas, [](float) { return 0.0f; }, 40, true);
    return canvas;
}

} // namespace KIV
