#pragma once
#include <cstdint>

namespace KIV {

// Smooth value noise that repeats every `period` lattice cells in x and y, so
// pictures built from it tile without seams. Fixed seeds: the content comes out
// the same on every build.
class PeriodicNoise {
public:
    PeriodicNoise(uint32_t seed, int32_t period) : mSeed(seed), mPeriod(period) {}

    // Value in 0..1 at (x, y) in lattice cells.
    float At(float x, float y) const;
    // Sum of octaves, each twice as fine and half as strong; stays in 0..1.
    float Fractal(float x, float y, int32_t octaves) const;

private:
    float Lattice(int32_t x, int32_t y, int32_t period) const;

    uint32_t mSeed;
    int32_t mPeriod;
};

// Deterministic pseudo-random value in 0..1 for an integer and a seed.
float HashToUnit(uint32_t value, uint32_t seed);

} // namespace KIV
