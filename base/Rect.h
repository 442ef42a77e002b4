#pragma once
#include <algorithm>
#include "base/Vector.h"

namespace KIV {

// Minimum corner then maximum corner.
struct RectF {
    float x1 = 0.0f, y1 = 0.0f, x2 = 0.0f, y2 = 0.0f;

    constexpr RectF() = default;
    constexpr RectF(float ax1, float ay1, float ax2, float ay2) : x1(ax1), y1(ay1), x2(ax2), y2(ay2) {}

    void Include(const RectF& o)
    {
        x1 = std::min(x1, o.x1);
        y1 = std::min(y1, o.y1);
        x2 = std::max(x2, o.x2);
        y2 = std::max(y2, o.y2);
    }
    void IncludePoint(const VectorF& p)
    {
        x1 = std::min(x1, p.mX);
        y1 = std::min(y1, p.mY);
        x2 = std::max(x2, p.mX);
        y2 = std::max(y2, p.mY);
    }
    VectorF GetSize() const { return {x2 - x1, y2 - y1}; }
    VectorF GetCenter() const { return {(x1 + x2) * 0.5f, (y1 + y2) * 0.5f}; }
    RectF GetNormalized() const
    {
        return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    }
    bool IsEmpty() const { return x2 - x1 <= 0.0f || y2 - y1 <= 0.0f; }
    void ScaleAbout(float factor, const VectorF& c)
    {
        x1 = c.mX + (x1 - c.mX) * factor;
        y1 = c.mY + (y1 - c.mY) * factor;
        x2 = c.mX + (x2 - c.mX) * factor;
        y2 = c.mY + (y2 - c.mY) * factor;
    }
    bool Overlaps(const RectF& o) const { return x1 <= o.x2 && o.x1 <= x2 && y1 <= o.y2 && o.y1 <= y2; }
    bool operator==(const RectF& o) const { return x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2; }
};

struct RectI {
    VectorI mP1;
    VectorI mP2;

    constexpr RectI() = default;
    constexpr RectI(const VectorI& p1, const VectorI& p2) : mP1(p1), mP2(p2) {}
    constexpr RectI(int32_t ax1, int32_t ay1, int32_t ax2, int32_t ay2) : mP1(ax1, ay1), mP2(ax2, ay2) {}

    VectorI GetSize() const { return mP2 - mP1; }
    // No emptiness check: callers test the size.
    void Intersect(const RectI& o)
    {
        mP1.mX = std::max(mP1.mX, o.mP1.mX);
        mP1.mY = std::max(mP1.mY, o.mP1.mY);
        mP2.mX = std::min(mP2.mX, o.mP2.mX);
        mP2.mY = std::min(mP2.mY, o.mP2.mY);
    }
    bool operator==(const RectI& o) const { return mP1 == o.mP1 && mP2 == o.mP2; }
};

} // namespace KIV
