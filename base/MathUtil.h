#pragma once
#include <cmath>
#include <cstdint>

namespace KIV {

// Single-precision constants, so every caller rounds angles the same way.
inline constexpr float kPi = 3.1415927f;
inline constexpr float kTwoPi = 6.2831855f;

inline float SqrtF(float x) { return std::sqrt(x); }
inline float AbsF(float x) { return std::fabs(x); }

// Halves round away from zero.
inline int32_t RoundToInt(float x) { return static_cast<int32_t>(x >= 0.0f ? x + 0.5f : x - 0.5f); }

// Result lies in [base, base + period).
inline float WrapAngle(float value, float base, float period)
{
    float r = base + std::fmod(value - base, period);
    if (r < base) r += period;
    return r;
}

struct SinCos {
    float mSin = 0.0f;
    float mCos = 1.0f;
};

inline SinCos MakeSinCos(float angle) { return SinCos{std::sin(angle), std::cos(angle)}; }

// Progress of fades and animations.
struct RatioCounter {
    uint32_t mDone = 0;
    uint32_t mTotal = 0;
};

inline float GetClampedRatio(const RatioCounter& c)
{
    if (c.mTotal == 0) return 0.0f;
    if (c.mDone >= c.mTotal) return 1.0f;
    return static_cast<float>(c.mDone) / static_cast<float>(c.mTotal);
}

} // namespace KIV
