#pragma once
#include <cstdint>

namespace KIV {

struct ColorRGB {
    uint8_t mRed = 0;
    uint8_t mGreen = 0;
    uint8_t mBlue = 0;

    // Spelled out: scripts construct it from three numbers, and clang 14 (the
    // fuzz build) does not build aggregates from parentheses.
    constexpr ColorRGB() = default;
    constexpr ColorRGB(uint8_t r, uint8_t g, uint8_t b) : mRed(r), mGreen(g), mBlue(b) {}

    void CopyFrom(const ColorRGB& o) { *this = o; }
    bool operator==(const ColorRGB& o) const { return mRed == o.mRed && mGreen == o.mGreen && mBlue == o.mBlue; }
};

struct ColorRGBA {
    uint8_t mRed = 0;
    uint8_t mGreen = 0;
    uint8_t mBlue = 0;
    uint8_t mAlpha = 0;

    constexpr ColorRGBA() = default;
    constexpr ColorRGBA(uint8_t r, uint8_t g, uint8_t b, uint8_t a) : mRed(r), mGreen(g), mBlue(b), mAlpha(a) {}

    // Packed form: red in the low byte, alpha in the high byte.
    uint32_t Pack() const
    {
        return uint32_t(mRed) | (uint32_t(mGreen) << 8) | (uint32_t(mBlue) << 16) | (uint32_t(mAlpha) << 24);
    }
    static ColorRGBA FromPacked(uint32_t p)
    {
        return {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16), uint8_t(p >> 24)};
    }

    static ColorRGBA Lerp(const ColorRGBA& from, const ColorRGBA& to, float t);
    void LerpTowards(uint32_t packedTarget, float t) { *this = Lerp(*this, FromPacked(packedTarget), t); }

    bool operator==(const ColorRGBA& o) const { return Pack() == o.Pack(); }
    bool operator!=(const ColorRGBA& o) const { return Pack() != o.Pack(); }
};

struct ColorRGBAF {
    float mRed = 0.0f;
    float mGreen = 0.0f;
    float mBlue = 0.0f;
    float mAlpha = 0.0f;

    constexpr ColorRGBAF() = default;
    constexpr ColorRGBAF(float r, float g, float b, float a) : mRed(r), mGreen(g), mBlue(b), mAlpha(a) {}
};

static_assert(sizeof(ColorRGB) == 3 && sizeof(ColorRGBA) == 4);

} // namespace KIV
