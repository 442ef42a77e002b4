#include "tools/contentgen/ShapeDistance.h"
#include <algorithm>
#include <cmath>

namespace KIV {

float CircleDistance(const VectorF& p, const VectorF& centre, float radius)
{
    return (p - centre).GetLength() - radius;
}

float EllipseDistance(const VectorF& p, const VectorF& centre, const VectorF& radii)
{
    // Scaled-circle estimate, corrected by the gradient length: close enough
    // near the edge, which is all that antialiasing and shading look at.
    const VectorF q = (p - centre) / radii;
    const float k0 = q.GetLength();
    if (k0 == 0.0f) return -std::min(radii.mX, radii.mY);
    const VectorF g(q.mX / radii.mX, q.mY / radii.mY);
    const float k1 = g.GetLength();
    return k0 * (k0 - 1.0f) / k1;
}

float RoundedBoxDistance(const VectorF& p, const VectorF& centre, const VectorF& halfSize, float cornerRadius)
{
    const float qx = std::fabs(p.mX - centre.mX) - halfSize.mX + cornerRadius;
    const float qy = std::fabs(p.mY - centre.mY) - halfSize.mY + cornerRadius;
    const float outside = VectorF(std::max(qx, 0.0f), std::max(qy, 0.0f)).GetLength();
    return outside + std::min(std::max(qx, qy), 0.0f) - cornerRadius;
}

float SegmentDistance(const VectorF& p, const VectorF& a, const VectorF& b)
{
    const VectorF pa = p - a, ba = b - a;
    const float len2 = ba.GetLengthSquared();
    const float h = len2 > 0.0f ? std::clamp(Dot(pa, ba) / len2, 0.0f, 1.0f) : 0.0f;
    return (pa - ba * h).GetLength();
}

float PolygonDistance(const VectorF& p, const std::vector<VectorF>& corners)
{
    const size_t n = corners.size();
    float best = (p - corners[0]).GetLengthSquared();
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const VectorF e = corners[j] - corners[i];
        const VectorF w = p - corners[i];
        const float h = std::clamp(Dot(w, e) / e.GetLengthSquared(), 0.0f, 1.0f);
        best = std::min(best, (w - e * h).GetLengthSquared());
        // Winding parity: flips each time the edge crosses the row of p on
        // the matching side.
        const bool c1 = p.mY >= corners[i].mY, c2 = p.mY < corners[j].mY, c3 = e.mX * w.mY > e.mY * w.mX;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) inside = !inside;
    }
    const float d = std::sqrt(best);
    return inside ? -d : d;
}

float SmoothUnion(float a, float b, float k)
{
    const float h = std::clamp(0.5f + 0.5f * (b - a) / k, 0.0f, 1.0f);
    return b + (a - b) * h - k * h * (1.0f - h);
}

float SmoothSubtract(float from, float cut, float k)
{
    return -SmoothUnion(-from, cut, k);
}

float EdgeCoverage(float distance)
{
    return std::clamp(0.5f - distance, 0.0f, 1.0f);
}

std::vector<VectorF> StarCorners(const VectorF& centre, int points, float outerRadius, float innerRadius)
{
    std::vector<VectorF> corners;
    for (int i = 0; i < points * 2; ++i) {
        const float a = kPi * i / points;
        const float r = (i % 2 == 0) ? outerRadius : innerRadius;
        corners.push_back(centre + VectorF(std::sin(a) * r, -std::cos(a) * r));
    }
    return corners;
}

std::vector<VectorF> RegularPolygonCorners(const VectorF& centre, int sides, float radius, float turn)
{
    std::vector<VectorF> corners;
    for (int i = 0; i < sides; ++i) {
        const float a = kTwoPi * i / sides + turn;
        corners.push_back(centre + VectorF(std::sin(a) * radius, -std::cos(a) * radius));
    }
    return corners;
}

} // namespace KIV
