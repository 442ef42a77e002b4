#include "base/Color.h"

namespace KIV {

namespace {
uint8_t LerpChannel(uint8_t from, uint8_t to, float t)
{
    // The step truncates toward zero, so fades never overshoot their target.
    int32_t diff = int32_t(to) - int32_t(from);
    int32_t step = static_cast<int32_t>(static_cast<float>(diff) * t);
    return static_cast<uint8_t>(int32_t(from) + step);
}
} // namespace

ColorRGBA ColorRGBA::Lerp(const ColorRGBA& from, const ColorRGBA& to, float t)
{
    return {LerpChannel(from.mRed, to.mRed, t), LerpChannel(from.mGreen, to.mGreen, t),
            LerpChannel(from.mBlue, to.mBlue, t), LerpChannel(from.mAlpha, to.mAlpha, t)};
}

} // namespace KIV
