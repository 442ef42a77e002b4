#pragma once
#include <cstdint>
#include "base/MathUtil.h"

namespace KIV {

struct VectorF {
    float mX = 0.0f;
    float mY = 0.0f;

    constexpr VectorF() = default;
    constexpr VectorF(float x, float y) : mX(x), mY(y) {}

    VectorF operator+(const VectorF& o) const { return {mX + o.mX, mY + o.mY}; }
    VectorF operator-(const VectorF& o) const { return {mX - o.mX, mY - o.mY}; }
    VectorF operator*(const VectorF& o) const { return {mX * o.mX, mY * o.mY}; }
    VectorF operator/(const VectorF& o) const { return {mX / o.mX, mY / o.mY}; }
    VectorF operator*(float s) const { return {mX * s, mY * s}; }
    VectorF operator/(float s) const { return {mX / s, mY / s}; }
    VectorF operator-() const { return {-mX, -mY}; }
    VectorF& operator+=(const VectorF& o) { mX += o.mX; mY += o.mY; return *this; }
    VectorF& operator-=(const VectorF& o) { mX -= o.mX; mY -= o.mY; return *this; }
    VectorF& operator*=(float s) { mX *= s; mY *= s; return *this; }
    bool operator==(const VectorF& o) const { return mX == o.mX && mY == o.mY; }
    bool operator!=(const VectorF& o) const { return !(*this == o); }

    VectorF AddScalar(float s) const { return {mX + s, mY + s}; }
    VectorF SubtractScalar(float s) const { return {mX - s, mY - s}; }
    VectorF Scale(float s) const { return {mX * s, mY * s}; }
    VectorF DivideScalar(float s) const { return {mX / s, mY / s}; }
    VectorF Negate() const { return {-mX, -mY}; }

    float GetLength() const { return SqrtF(mX * mX + mY * mY); }
    float GetLengthSquared() const { return mX * mX + mY * mY; }
    float GetAngle() const { return std::atan2(mY, mX); }
    bool IsZero() const { return mX == 0.0f && mY == 0.0f; }

    // A zero vector has no direction: it takes the x axis.
    void Normalize(float length);
    void NormalizeInPlace() { Normalize(1.0f); }

    // Turns clockwise on screen (y grows downward) for a positive angle.
    void Rotate(float angle);
    void RotateInPlace(float angle) { Rotate(angle); }
    VectorF GetRotatedClockwise(float angle) const;
    VectorF GetRotated(float angle) const;

    static float GetDistance(const VectorF& a, const VectorF& b);
    static VectorF Lerp(const VectorF& a, const VectorF& b, float t);
    static VectorF AngularLerp(const VectorF& a, const VectorF& b, float t, bool withLength);
};

inline VectorF operator*(float s, const VectorF& v) { return {v.mX * s, v.mY * s}; }
inline float Cross(const VectorF& a, const VectorF& b) { return a.mX * b.mY - a.mY * b.mX; }
inline float Dot(const VectorF& a, const VectorF& b) { return a.mX * b.mX + a.mY * b.mY; }

struct VectorI {
    int32_t mX = 0;
    int32_t mY = 0;

    constexpr VectorI() = default;
    constexpr VectorI(int32_t x, int32_t y) : mX(x), mY(y) {}

    VectorI operator+(const VectorI& o) const { return {mX + o.mX, mY + o.mY}; }
    VectorI operator-(const VectorI& o) const { return {mX - o.mX, mY - o.mY}; }
    VectorI operator*(int32_t s) const { return {mX * s, mY * s}; }
    // Division by zero is the caller's contract.
    VectorI operator/(int32_t s) const { return {mX / s, mY / s}; }
    bool operator==(const VectorI& o) const { return mX == o.mX && mY == o.mY; }
    bool operator!=(const VectorI& o) const { return !(*this == o); }

    VectorI OffsetByScalar(int32_t d) const { return {mX + d, mY + d}; }
    VectorI SubtractScalar(int32_t d) const { return {mX - d, mY - d}; }
    void MoveTowards(const VectorI& target, float t);
    int32_t GetLengthRounded() const;
};

inline VectorF IntPointToVectorF(const VectorI& p) { return {static_cast<float>(p.mX), static_cast<float>(p.mY)}; }

} // namespace KIV
