#include "base/Vector.h"

namespace KIV {

void VectorF::Normalize(float length)
{
    float len = GetLength();
    if (len == 0.0f) {
        mX = length;
        mY = 0.0f;
        return;
    }
    float s = length / len;
    mX *= s;
    mY *= s;
}

void VectorF::Rotate(float angle)
{
    float c = std::cos(angle), s = std::sin(angle);
    float x = mX * c + mY * s;
    float y = mY * c - mX * s;
    mX = x;
    mY = y;
}

VectorF VectorF::GetRotatedClockwise(float angle) const
{
    VectorF v = *this;
    v.Rotate(angle);
    return v;
}

VectorF VectorF::GetRotated(float angle) const
{
    float c = std::cos(angle), s = std::sin(angle);
    return {mX * c - mY * s, mY * c + mX * s};
}

float VectorF::GetDistance(const VectorF& a, const VectorF& b)
{
    float dx = b.mX - a.mX, dy = b.mY - a.mY;
    return SqrtF(dx * dx + dy * dy);
}

VectorF VectorF::Lerp(const VectorF& a, const VectorF& b, float t)
{
    return {a.mX + (b.mX - a.mX) * t, a.mY + (b.mY - a.mY) * t};
}

VectorF VectorF::AngularLerp(const VectorF& a, const VectorF& b, float t, bool withLength)
{
    if (t == 0.0f) return a;
    if (t == 1.0f) return b;
    float angA = std::fmod(std::atan2(a.mY, a.mX), kTwoPi);
    float angB = std::fmod(std::atan2(b.mY, b.mX), kTwoPi);
    if (angA < 0.0f) angA += kTwoPi;
    if (angB < 0.0f) angB += kTwoPi;
    // Always turn the shorter way round.
    float d = angB - angA;
    if (d > kPi) d -= kTwoPi;
    else if (d < -kPi) d += kTwoPi;
    float turn = t * d;
    float c = std::cos(turn), s = std::sin(turn);
    VectorF r{a.mX * c - a.mY * s, a.mY * c + a.mX * s};
    if (withLength) {
        float lenA = a.GetLength();
        if (lenA != 0.0f) {
            float lenB = b.GetLength();
            r = r * (((lenB - lenA) * t + lenA) / lenA);
        }
    }
    return r;
}

void VectorI::MoveTowards(const VectorI& target, float t)
{
    mX = RoundToInt(static_cast<float>(mX) + static_cast<float>(target.mX - mX) * t);
    mY = RoundToInt(static_cast<float>(mY) + static_cast<float>(target.mY - mY) * t);
}

int32_t VectorI::GetLengthRounded() const
{
    // The squares are summed as 32-bit ints, in unsigned arithmetic so a huge
    // vector wraps instead of overflowing undefinedly.
    uint32_t sq = static_cast<uint32_t>(mX) * static_cast<uint32_t>(mX) +
                  static_cast<uint32_t>(mY) * static_cast<uint32_t>(mY);
    return RoundToInt(SqrtF(static_cast<float>(static_cast<int32_t>(sq))));
}

} // namespace KIV
