#include "tools/contentgen/Canvas.h"
#include <algorithm>
#include <cmath>

namespace KIV {

Tint MakeTint(int32_t r, int32_t g, int32_t b, float alpha)
{
    return Tint{r / 255.0f, g / 255.0f, b / 255.0f, alpha};
}

Tint MixTints(const Tint& a, const Tint& b, float t)
{
    return Tint{a.mR + (b.mR - a.mR) * t, a.mG + (b.mG - a.mG) * t, a.mB + (b.mB - a.mB) * t,
                a.mA + (b.mA - a.mA) * t};
}

Tint ScaleTint(const Tint& c, float factor)
{
    return Tint{c.mR * factor, c.mG * factor, c.mB * factor, c.mA};
}

float Clamp01(float v)
{
    return std::min(1.0f, std::max(0.0f, v));
}

float SmoothStep(float edge0, float edge1, float v)
{
    const float t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

Canvas::Canvas(int32_t width, int32_t height)
    : mWidth(width), mHeight(height), mPixels(static_cast<size_t>(width) * height)
{
}

void Canvas::Set(int32_t x, int32_t y, const Tint& c)
{
    if (Contains(x, y)) mPixels[Index(x, y)] = c;
}

void Canvas::Blend(int32_t x, int32_t y, const Tint& c, float coverage)
{
    if (!Contains(x, y)) return;
    const float sa = Clamp01(c.mA * coverage);
    if (sa <= 0.0f) return;
    Tint& d = mPixels[Index(x, y)];
    const float outA = sa + d.mA * (1.0f - sa);
    // Straight alpha: weigh each colour by how much of it shows.
    const float wd = d.mA * (1.0f - sa);
    d.mR = (c.mR * sa + d.mR * wd) / outA;
    d.mG = (c.mG * sa + d.mG * wd) / outA;
    d.mB = (c.mB * sa + d.mB * wd) / outA;
    d.mA = outA;
}

std::vector<uint8_t> Canvas::ToBytes() const
{
    std::vector<uint8_t> bytes(mPixels.size() * 4);
    auto toByte = [](float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); };
    for (size_t i = 0; i < mPixels.size(); ++i) {
        const Tint& p = mPixels[i];
        const uint8_t a = toByte(p.mA);
        // A fully transparent pixel carries no colour, so the loader's colour
        // bleeding starts from a clean slate.
        bytes[i * 4 + 0] = a ? toByte(p.mR) : 0;
        bytes[i * 4 + 1] = a ? toByte(p.mG) : 0;
        bytes[i * 4 + 2] = a ? toByte(p.mB) : 0;
        bytes[i * 4 + 3] = a;
    }
    return bytes;
}

} // namespace KIV
