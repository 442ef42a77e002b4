#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace KIV {

// A colour with straight (not premultiplied) alpha, every channel 0..1.
struct Tint {
    float mR = 0.0f;
    float mG = 0.0f;
    float mB = 0.0f;
    float mA = 0.0f;
};

Tint MakeTint(int32_t r, int32_t g, int32_t b, float alpha = 1.0f);
Tint MixTints(const Tint& a, const Tint& b, float t);
// Scales the colour channels, keeping alpha.
Tint ScaleTint(const Tint& c, float factor);
float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float v);

// An RGBA picture being drawn; the first row is the top row, as the game reads it.
class Canvas {
public:
    Canvas(int32_t width, int32_t height);

    int32_t Width() const { return mWidth; }
    int32_t Height() const { return mHeight; }
    bool Contains(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < mWidth && y < mHeight; }

    const Tint& Get(int32_t x, int32_t y) const { return mPixels[Index(x, y)]; }
    void Set(int32_t x, int32_t y, const Tint& c);
    // Paints c over the pixel with the given coverage (source over destination).
    void Blend(int32_t x, int32_t y, const Tint& c, float coverage);

    // 8-bit RGBA bytes, rows from top to bottom.
    std::vector<uint8_t> ToBytes() const;

private:
    size_t Index(int32_t x, int32_t y) const { return static_cast<size_t>(y) * mWidth + x; }

    int32_t mWidth;
    int32_t mHeight;
    std::vector<Tint> mPixels;
};

} // namespace KIV
