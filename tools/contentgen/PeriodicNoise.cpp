#include "tools/contentgen/PeriodicNoise.h"
#include <cmath>

namespace KIV {

namespace {

uint32_t Mix(uint32_t h)
{
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

int32_t Wrap(int32_t v, int32_t period)
{
    const int32_t r = v % period;
    return r < 0 ? r + period : r;
}

float Fade(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

} // namespace

float HashToUnit(uint32_t value, uint32_t seed)
{
    return (Mix(value * 0x9e3779b9U + seed) & 0xffffffU) / static_cast<float>(0xffffff);
}

float PeriodicNoise::Lattice(int32_t x, int32_t y, int32_t period) const
{
    const uint32_t key = static_cast<uint32_t>(Wrap(x, period)) * 73856093U ^
                         static_cast<uint32_t>(Wrap(y, period)) * 19349663U;
    return HashToUnit(key, mSeed + static_cast<uint32_t>(period) * 83492791U);
}

float PeriodicNoise::At(float x, float y) const
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    const float tx = Fade(x - fx), ty = Fade(y - fy);
    const float a = Lattice(ix, iy, mPeriod), b = Lattice(ix + 1, iy, mPeriod);
    const float c = Lattice(ix, iy + 1, mPeriod), d = Lattice(ix + 1, iy + 1, mPeriod);
    const float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float PeriodicNoise::Fractal(float x, float y, int32_t octaves) const
{
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    int32_t period = mPeriod;
    for (int32_t i = 0; i < octaves; ++i) {
        const PeriodicNoise octave(mSeed + 1013U * static_cast<uint32_t>(i), period);
        sum += octave.At(x, y) * weight;
        total += weight;
        weight *= 0.5f;
        x *= 2.0f;
        y *= 2.0f;
        period *= 2;
    }
    return sum / total;
}

} // namespace KIV
