#pragma once
#include <cstdint>

namespace KIV {

// Park–Miller minimal standard generator, stepped with Schrage's method so
// every product fits in 32 bits. Each owner embeds its own: replays repeat
// every random choice because no sequence is shared.
struct Random {
    int32_t mInitialSeed = 1;
    int32_t mSeed = 1;
    int32_t mA = 16807;
    int32_t mM = 2147483647;
    int32_t mQ = 127773;
    int32_t mR = 2836;
    double mScale = 1.0 / 2147483647.0;

    void Step()
    {
        int32_t hi = mSeed / mQ;
        int32_t lo = mSeed % mQ;
        mSeed = mA * lo - mR * hi;
        if (mSeed <= 0) mSeed += mM;
    }

    int32_t NextInt(int32_t n)
    {
        Step();
        int64_t s = mSeed < 0 ? 0 : mSeed;
        return static_cast<int32_t>(s * n / mM);
    }
    bool NextBool()
    {
        Step();
        return (mSeed & 1) != 0;
    }
    // In (0, 1]: the largest seeds round up to exactly 1.0f.
    float NextFloat()
    {
        Step();
        return static_cast<float>(static_cast<double>(mSeed) * mScale);
    }
    float NextFloatInRange(float lo, float hi) { return lo + NextFloat() * (hi - lo); }
    float NextFloatScaled(float x) { return NextFloat() * x; }
};

} // namespace KIV
