#pragma once
#include <cstdint>

namespace KIV {

struct IntervalF {
    float mMinValue = 0.0f;
    float mMaxValue = 0.0f;
    constexpr IntervalF() = default;
    constexpr explicit IntervalF(float v) : mMinValue(v), mMaxValue(v) {}
    constexpr IntervalF(float lo, float hi) : mMinValue(lo), mMaxValue(hi) {}
};

struct IntervalI {
    int32_t mMinValue = 0;
    int32_t mMaxValue = 0;
    constexpr IntervalI() = default;
    constexpr explicit IntervalI(int32_t v) : mMinValue(v), mMaxValue(v) {}
    constexpr IntervalI(int32_t lo, int32_t hi) : mMinValue(lo), mMaxValue(hi) {}
};

// Further value types that editor labels display.
struct Line {
    float x1 = 0.0f, y1 = 0.0f, x2 = 0.0f, y2 = 0.0f;
};

struct Timex {
    double mSeconds = 0.0;
};

} // namespace KIV
