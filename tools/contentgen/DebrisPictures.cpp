#include "tools/contentgen/DebrisPictures.h"
#include <algorithm>
#include <cmath>
#include <vector>
#include "tools/contentgen/PeriodicNoise.h"
#include "tools/contentgen/ShapeDistance.h"
#include "tools/contentgen/SoftShapePainter.h"

namespace KIV {

namespace {

// Paints a tapered line from a to b: half width w0 at a, w1 at b.
void PaintTaperedLine(Canvas& canvas, const VectorF& a, const VectorF& b, float w0, float w1, const Tint& tint)
{
    const VectorF ba = b - a;
    const float len2 = std::max(ba.GetLengthSquared(), 1e-6f);
    const int32_t x0 = static_cast<int32_t>(std::min(a.mX, b.mX) - w0 - 2), x1 = static_cast<int32_t>(std::max(a.mX, b.mX) + w0 + 2);
    const int32_t y0 = static_cast<int32_t>(std::min(a.mY, b.mY) - w0 - 2), y1 = static_cast<int32_t>(std::max(a.mY, b.mY) + w0 + 2);
    for (int32_t y = y0; y <= y1; ++y) {
        for (int32_t x = x0; x <= x1; ++x) {
            const VectorF p(x + 0.5f, y + 0.5f);
            const float t = std::clamp(Dot(p - a, ba) / len2, 0.0f, 1.0f);
            const float d = (p - (a + ba * t)).GetLength() - (w0 + (w1 - w0) * t);
            canvas.Blend(x, y, tint, EdgeCoverage(d));
        }
    }
}

// A jagged line of `steps` pieces from the centre outwards, thinning as it goes.
void PaintCrackArm(Canvas& canvas, const VectorF& centre, float angle, float length, float width, uint32_t seed,
                   const Tint& tint)
{
    const int steps = 4;
    VectorF from = centre;
    for (int s = 0; s < steps; ++s) {
        const float a = angle + (HashToUnit(static_cast<uint32_t>(s), seed) - 0.5f) * 0.9f;
        const float piece = length / steps;
        const VectorF to = from + VectorF(std::cos(a), std::sin(a)) * piece;
        const float w0 = width * (1.0f - static_cast<float>(s) / steps), w1 = width * (1.0f - (s + 1.0f) / steps);
        PaintTaperedLine(canvas, from, to, std::max(w0, 0.35f), std::max(w1, 0.3f), tint);
        from = to;
    }
}

Canvas Scorch()
{
    const int32_t size = 40;
    Canvas canvas(size, size);
    const PeriodicNoise ragged(41, 8), streaks(42, 32);
    const VectorF c(20.0f, 20.0f);
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            const VectorF p(x + 0.5f, y + 0.5f);
            const float r = (p - c).GetLength();
            const float angle = std::atan2(p.mY - c.mY, p.mX - c.mX);
            // A ragged edge and soot streaks: the reach of the burn varies
            // around the centre, slowly and in quick flicks.
            const float around = (angle + kPi) / kTwoPi;
            const float reach = 11.0f + 5.0f * ragged.At(around * 8.0f, 0.5f) + 4.0f * streaks.At(around * 32.0f, 0.5f);
            const float a = 1.0f - SmoothStep(reach * 0.3f, reach, r);
            if (a <= 0.0f) continue;
            Tint t = MixTints(MakeTint(18, 12, 8), MakeTint(70, 48, 30), SmoothStep(0.0f, reach, r));
            t.mA = a;
            canvas.Set(x, y, t);
        }
    }
    return canvas;
}

Canvas Crack()
{
    const int32_t size = 48;
    Canvas canvas(size, size);
    const VectorF c(24.0f, 24.0f);
    const Tint dark = MakeTint(30, 22, 18);
    for (uint32_t arm = 0; arm < 6; ++arm) {
        const float angle = kTwoPi * arm / 6.0f + (HashToUnit(arm, 51) - 0.5f) * 0.7f;
        const float length = 13.0f + HashToUnit(arm, 52) * 8.0f;
        PaintCrackArm(canvas, c, angle, length, 1.7f, 60 + arm, dark);
    }
    PaintTaperedLine(canvas, c, c, 3.0f, 3.0f, dark);
    return canvas;
}

Canvas Scratches()
{
    const int32_t size = 44;
    Canvas canvas(size, size);
    const Tint groove = MakeTint(48, 34, 28), lip = MakeTint(214, 204, 192, 0.7f);
    const VectorF along(0.8f, -0.6f), across(0.6f, 0.8f);
    const VectorF c(22.5f, 22.5f);
    const float offsets[3] = {-7.0f, 0.0f, 6.5f}, lengths[3] = {12.0f, 17.0f, 10.0f};
    for (int i = 0; i < 3; ++i) {
        const VectorF mid = c + across * offsets[i];
        const VectorF a = mid - along * lengths[i], b = mid + along * lengths[i];
        // A light lip beside each groove makes it read as cut in.
        PaintTaperedLine(canvas, a + across * 1.6f, b + across * 1.6f, 0.4f, 0.6f, lip);
        PaintTaperedLine(canvas, a, b, 0.6f, 1.6f, groove);
    }
    return canvas;
}

Canvas Hole()
{
    const int32_t size = 36;
    Canvas canvas(size, size);
    const VectorF c(18.0f, 18.0f);
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            const float r = (VectorF(x + 0.5f, y + 0.5f) - c).GetLength();
            const float smudge = 0.35f * (1.0f - SmoothStep(6.0f, 15.0f, r));
            if (smudge > 0.0f) canvas.Set(x, y, MakeTint(40, 30, 24, smudge));
        }
    }
    for (uint32_t arm = 0; arm < 5; ++arm) {
        const float angle = kTwoPi * arm / 5.0f + HashToUnit(arm, 71) * 0.8f;
        PaintCrackArm(canvas, c, angle, 11.0f + HashToUnit(arm, 72) * 4.0f, 1.1f, 80 + arm, MakeTint(44, 32, 26));
    }
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            const VectorF p(x + 0.5f, y + 0.5f);
            const float d = CircleDistance(p, c, 7.5f);
            // A torn rim, lighter on the side facing the light, round a dark pit.
            const float lit = Clamp01(0.5f - 0.08f * ((p.mX - c.mX) + (p.mY - c.mY)));
            Tint t = MixTints(MakeTint(64, 50, 40), MakeTint(120, 100, 84), lit);
            t = MixTints(t, MakeTint(10, 8, 8), EdgeCoverage(CircleDistance(p, c, 4.5f)));
            canvas.Blend(x, y, t, EdgeCoverage(d));
        }
    }
    return canvas;
}

} // namespace

Canvas MakeRockPicture(int)
{
    Canvas canvas(kRockPictureSize, kRockPictureSize);
    const VectorF c(16.0f, 16.0f);
    std::vector<VectorF> corners;
    for (uint32_t i = 0; i < 9; ++i) {
        const float a = kTwoPi * i / 9.0f;
        const float r = 10.5f + 3.0f * HashToUnit(i, 91);
        corners.push_back(c + VectorF(std::sin(a) * r, -std::cos(a) * r));
    }
    const Tint stone = MakeTint(204, 200, 194), mottle = MakeTint(140, 136, 132);
    const PeriodicNoise grain(93, 8);
    SoftShapeStyle style;
    style.mRimWidth = 1.5f;
    style.mShine = 0.25f;
    style.mCushion = 0.9f;
    style.mSoftness = 0.08f;
    PaintSoftShape(
        canvas, [&corners](const VectorF& p) { return PolygonDistance(p, corners) - 1.0f; },
        [&](const VectorF& p) {
            return MixTints(stone, mottle, SmoothStep(0.4f, 0.8f, grain.Fractal(p.mX / 4.0f, p.mY / 4.0f, 2)));
        },
        style);
    KeepSingleOutline(canvas);
    return canvas;
}

Canvas MakeDecalPicture(int number)
{
    switch (number) {
        case 1: return Scorch();
        case 2: return Crack();
        case 3: return Scratches();
        default: return Hole();
    }
}

} // namespace KIV
