#include "physics/geometry/SampleOutlines.h"
#include <cmath>
#include "base/MathUtil.h"

namespace KIV {

Array<VectorF> OutlineOf(std::initializer_list<VectorF> points)
{
    Array<VectorF> out;
    out.SetCapacity(int32_t(points.size()), 0);
    for (const VectorF& p : points) out.PushBack(p);
    return out;
}

void ReverseOutline(Array<VectorF>& points)
{
    for (int32_t i = 0, j = points.Count() - 1; i < j; ++i, --j) {
        const VectorF t = points[i];
        points[i] = points[j];
        points[j] = t;
    }
}

void MakeClockwise(Array<VectorF>& points)
{
    double twiceArea = 0.0;
    for (int32_t i = 0; i < points.Count(); ++i) {
        const VectorF& a = points[i];
        const VectorF& b = points[i + 1 < points.Count() ? i + 1 : 0];
        twiceArea += double(a.mX) * b.mY - double(a.mY) * b.mX;
    }
    if (twiceArea < 0.0) ReverseOutline(points);
}

void MakeEllipseOutline(Array<VectorF>& out, int32_t n, float rx, float ry)
{
    out.SetCapacity(n, 0);
    for (int32_t i = 0; i < n; ++i) {
        const double a = 2.0 * 3.14159265358979323846 * i / n;
        out.PushBack(VectorF(float(rx * std::cos(a)), float(ry * std::sin(a))));
    }
}

void MakeDiscOutline(Array<VectorF>& out, float diameter)
{
    const double r = diameter * 0.5;
    const int32_t n = int32_t(2.0 * 3.14159265358979323846 * r / 4.0);
    out.SetCapacity(n, 0);
    for (int32_t i = 0; i < n; ++i) {
        const double a = 2.0 * 3.14159265358979323846 * i / n;
        out.PushBack(VectorF(float(std::floor(r * std::cos(a) + 0.5)), float(std::floor(r * std::sin(a) + 0.5))));
    }
}

void MakeWavyBandOutline(Array<VectorF>& out, int32_t n)
{
    // Two sides 4 units apart in x, closed at each end by a straight cap cut
    // into 4.4-unit steps, so no outline edge is longer than about 5.
    constexpr int32_t kCapSteps = 10;
    constexpr double kHalfWidth = 22.0;
    const int32_t side = (n - 2 * (kCapSteps - 1)) / 2 > 2 ? (n - 2 * (kCapSteps - 1)) / 2 : 2;
    out.SetCapacity(2 * side + 2 * (kCapSteps - 1), 0);
    const auto centre = [](double x) { return 60.0 * std::sin(x / 80.0); };
    const double end = 4.0 * (side - 1);
    for (int32_t i = 0; i < side; ++i) out.PushBack(VectorF(float(4.0 * i), float(centre(4.0 * i) - kHalfWidth)));
    for (int32_t k = 1; k < kCapSteps; ++k)
        out.PushBack(VectorF(float(end), float(centre(end) - kHalfWidth + 2.0 * kHalfWidth * k / kCapSteps)));
    for (int32_t i = side - 1; i >= 0; --i) out.PushBack(VectorF(float(4.0 * i), float(centre(4.0 * i) + kHalfWidth)));
    for (int32_t k = 1; k < kCapSteps; ++k)
        out.PushBack(VectorF(0.0f, float(centre(0.0) + kHalfWidth - 2.0 * kHalfWidth * k / kCapSteps)));
    MakeClockwise(out);
}

namespace {

// Sorted angles, roughly even with jitter, so polygons stay simple.
double JitteredAngle(int32_t i, int32_t n, Random& random)
{
    return 2.0 * 3.14159265358979323846 * (i + 0.8 * random.NextFloat()) / n;
}

} // namespace

void MakeRandomConvexOutline(Array<VectorF>& out, int32_t n, Random& random)
{
    const float rx = random.NextFloatInRange(20.0f, 150.0f);
    const float ry = random.NextFloatInRange(20.0f, 150.0f);
    out.SetCapacity(n, 0);
    for (int32_t i = 0; i < n; ++i) {
        const double a = JitteredAngle(i, n, random);
        out.PushBack(VectorF(float(rx * std::cos(a)), float(ry * std::sin(a))));
    }
}

void MakeRandomStarOutline(Array<VectorF>& out, int32_t n, Random& random)
{
    const float r = random.NextFloatInRange(30.0f, 150.0f);
    out.SetCapacity(n, 0);
    for (int32_t i = 0; i < n; ++i) {
        const double a = JitteredAngle(i, n, random);
        const double radius = r * random.NextFloatInRange(0.25f, 1.0f);
        out.PushBack(VectorF(float(radius * std::cos(a)), float(radius * std::sin(a))));
    }
}

void MakeCombOutline(Array<VectorF>& out, int32_t n, Random& random)
{
    // Bar along the bottom, teeth rising to a random height; four points per tooth.
    const int32_t teeth = n / 4 > 1 ? n / 4 - 1 : 1;
    out.SetCapacity(4 * teeth + 4, 0);
    const float width = 6.0f, gap = 5.0f, bar = 10.0f;
    out.PushBack(VectorF(0.0f, 0.0f));
    float x = 0.0f;
    for (int32_t t = 0; t < teeth; ++t) {
        const float h = random.NextFloatInRange(15.0f, 60.0f);
        out.PushBack(VectorF(x, -h));
        out.PushBack(VectorF(x + width, -h));
        out.PushBack(VectorF(x + width, -bar));
        out.PushBack(VectorF(x + width + gap, -bar));
        x += width + gap;
    }
    out.PushBack(VectorF(x, 0.0f));
    MakeClockwise(out);
}

void MakeNearlyCollinearOutline(Array<VectorF>& out, int32_t n, Random& random)
{
    const int32_t half = n / 2 > 2 ? n / 2 : 2;
    const float length = random.NextFloatInRange(100.0f, 400.0f);
    const float height = random.NextFloatInRange(0.5f, 2.0f);
    out.SetCapacity(2 * half, 0);
    for (int32_t i = 0; i < half; ++i)
        out.PushBack(VectorF(length * i / (half - 1), -random.NextFloatInRange(0.1f, 1.0f) * height));
    for (int32_t i = half - 1; i >= 0; --i)
        out.PushBack(VectorF(length * i / (half - 1) + random.NextFloatInRange(-0.3f, 0.3f),
                             random.NextFloatInRange(0.1f, 1.0f) * height));
    MakeClockwise(out);
}

} // namespace KIV
