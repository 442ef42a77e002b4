#include "tools/contentgen/ToyPictures.h"
#include <algorithm>
#include <cmath>
#include <vector>
#include "tools/contentgen/ShapeDistance.h"
#include "tools/contentgen/SoftShapePainter.h"

namespace KIV {

namespace {

struct ToyDesign {
    int32_t mWidth;
    int32_t mHeight;
    DistanceField mDistance;
    SurfaceTint mTint;
};

SurfaceTint Plain(const Tint& c)
{
    return [c](const VectorF&) { return c; };
}

// A band across the toy, `halfWidth` either side of the line through `centre`
// along `direction` (a unit vector).
float BandShare(const VectorF& p, const VectorF& centre, const VectorF& direction, float halfWidth)
{
    const VectorF q = p - centre;
    const float across = std::fabs(Cross(direction, q));
    return 1.0f - SmoothStep(halfWidth - 0.75f, halfWidth + 0.75f, across);
}

ToyDesign Ball()
{
    const VectorF c(56.0f, 56.0f);
    const Tint red = MakeTint(232, 84, 72), cream = MakeTint(252, 232, 190);
    const VectorF dir(std::cos(0.5f), std::sin(0.5f));
    return {112, 112, [c](const VectorF& p) { return CircleDistance(p, c, 53.0f); },
            [=](const VectorF& p) { return MixTints(red, cream, BandShare(p, c, dir, 10.0f)); }};
}

ToyDesign RoundedBox()
{
    const VectorF c(60.0f, 48.0f);
    const Tint yellow = MakeTint(250, 198, 64), dot = MakeTint(255, 238, 168);
    return {120, 96, [c](const VectorF& p) { return RoundedBoxDistance(p, c, VectorF(57.0f, 45.0f), 18.0f); },
            [=](const VectorF& p) {
                // Polka dots on a grid, kept away from the rim.
                const float gx = std::round((p.mX - 12.0f) / 24.0f) * 24.0f + 12.0f;
                const float gy = std::round((p.mY - 12.0f) / 24.0f) * 24.0f + 12.0f;
                const float d = CircleDistance(p, VectorF(gx, gy), 5.5f);
                const bool inner = RoundedBoxDistance(VectorF(gx, gy), c, VectorF(57.0f, 45.0f), 18.0f) < -10.0f;
                return inner ? MixTints(yellow, dot, EdgeCoverage(d)) : yellow;
            }};
}

ToyDesign Star()
{
    const std::vector<VectorF> corners = StarCorners(VectorF(64.0f, 68.0f), 5, 56.0f, 26.0f);
    return {128, 124, [corners](const VectorF& p) { return PolygonDistance(p, corners) - 5.0f; },
            Plain(MakeTint(255, 192, 44))};
}

ToyDesign Blob()
{
    return {136, 112,
            [](const VectorF& p) {
                float d = CircleDistance(p, VectorF(50.0f, 60.0f), 36.0f);
                d = SmoothUnion(d, CircleDistance(p, VectorF(86.0f, 44.0f), 30.0f), 16.0f);
                d = SmoothUnion(d, CircleDistance(p, VectorF(96.0f, 78.0f), 26.0f), 16.0f);
                d = SmoothUnion(d, CircleDistance(p, VectorF(62.0f, 84.0f), 24.0f), 16.0f);
                return d;
            },
            Plain(MakeTint(122, 204, 92))};
}

ToyDesign Capsule()
{
    const Tint purple = MakeTint(152, 104, 214), stripe = MakeTint(206, 176, 246);
    return {150, 72, [](const VectorF& p) { return SegmentDistance(p, VectorF(36.0f, 36.0f), VectorF(114.0f, 36.0f)) - 33.0f; },
            [=](const VectorF& p) {
                const float s = std::max(BandShare(p, VectorF(58.0f, 36.0f), VectorF(0.0f, 1.0f), 5.0f),
                                         BandShare(p, VectorF(92.0f, 36.0f), VectorF(0.0f, 1.0f), 5.0f));
                return MixTints(purple, stripe, s);
            }};
}

ToyDesign Wedge()
{
    const std::vector<VectorF> corners = {VectorF(60.0f, 16.0f), VectorF(106.0f, 96.0f), VectorF(14.0f, 96.0f)};
    return {120, 110, [corners](const VectorF& p) { return PolygonDistance(p, corners) - 10.0f; },
            Plain(MakeTint(250, 142, 52))};
}

ToyDesign Crescent()
{
    // The bite is taken out of an inset disc and the result grown back, which
    // rounds the two horns instead of leaving needle tips.
    const float round = 6.0f;
    return {112, 128,
            [round](const VectorF& p) {
                const float outer = CircleDistance(p, VectorF(56.0f, 64.0f), 54.0f);
                const float bite = CircleDistance(p, VectorF(100.0f, 54.0f), 42.0f);
                return std::max(outer + round, round - bite) - round;
            },
            Plain(MakeTint(64, 192, 182))};
}

ToyDesign Heart()
{
    const std::vector<VectorF> point = {VectorF(16.0f, 52.0f), VectorF(104.0f, 52.0f), VectorF(60.0f, 100.0f)};
    return {120, 112,
            [point](const VectorF& p) {
                float d = SmoothUnion(CircleDistance(p, VectorF(38.0f, 38.0f), 30.0f),
                                      CircleDistance(p, VectorF(82.0f, 38.0f), 30.0f), 6.0f);
                return SmoothUnion(d, PolygonDistance(p, point) - 6.0f, 10.0f);
            },
            Plain(MakeTint(242, 98, 148))};
}

ToyDesign Pear()
{
    const VectorF stemA(52.0f, 28.0f), stemB(58.0f, 8.0f);
    const Tint fruit = MakeTint(196, 214, 82), blush = MakeTint(236, 150, 80), stem = MakeTint(122, 82, 44);
    return {100, 136,
            [=](const VectorF& p) {
                const float body = SmoothUnion(CircleDistance(p, VectorF(50.0f, 94.0f), 39.0f),
                                               CircleDistance(p, VectorF(50.0f, 48.0f), 23.0f), 26.0f);
                return SmoothUnion(body, SegmentDistance(p, stemA, stemB) - 4.0f, 2.0f);
            },
            [=](const VectorF& p) {
                if (SegmentDistance(p, stemA, stemB) < 4.5f && p.mY < 31.0f) return stem;
                const float cheek = 1.0f - SmoothStep(8.0f, 30.0f, (p - VectorF(66.0f, 104.0f)).GetLength());
                return MixTints(fruit, blush, cheek * 0.55f);
            }};
}

ToyDesign Bean()
{
    // An oval with a soft dent bitten out of its top edge.
    const Tint bean = MakeTint(196, 86, 64), eye = MakeTint(236, 214, 188);
    return {128, 88,
            [](const VectorF& p) {
                const float body = EllipseDistance(p, VectorF(64.0f, 46.0f), VectorF(60.0f, 38.0f));
                return SmoothSubtract(body, CircleDistance(p, VectorF(64.0f, -6.0f), 30.0f), 14.0f);
            },
            [=](const VectorF& p) {
                return MixTints(bean, eye, EdgeCoverage(EllipseDistance(p, VectorF(64.0f, 34.0f), VectorF(7.0f, 3.5f))));
            }};
}

ToyDesign Hexagon()
{
    const std::vector<VectorF> corners = RegularPolygonCorners(VectorF(60.0f, 54.0f), 6, 50.0f, kPi / 6.0f);
    const std::vector<VectorF> inner = RegularPolygonCorners(VectorF(60.0f, 54.0f), 6, 22.0f, kPi / 6.0f);
    const Tint blue = MakeTint(82, 160, 240), light = MakeTint(168, 212, 252);
    return {120, 108, [corners](const VectorF& p) { return PolygonDistance(p, corners) - 6.0f; },
            [=](const VectorF& p) {
                return MixTints(blue, light, EdgeCoverage(PolygonDistance(p, inner) - 3.0f) * 0.8f);
            }};
}

ToyDesign Cloud()
{
    return {156, 104,
            [](const VectorF& p) {
                float d = RoundedBoxDistance(p, VectorF(80.0f, 78.0f), VectorF(58.0f, 20.0f), 20.0f);
                d = SmoothUnion(d, CircleDistance(p, VectorF(46.0f, 62.0f), 28.0f), 10.0f);
                d = SmoothUnion(d, CircleDistance(p, VectorF(80.0f, 44.0f), 36.0f), 10.0f);
                d = SmoothUnion(d, CircleDistance(p, VectorF(116.0f, 58.0f), 28.0f), 10.0f);
                return d;
            },
            Plain(MakeTint(240, 246, 255))};
}

} // namespace

Canvas MakeToyPicture(int number)
{
    static ToyDesign (*const designs[kToyPictureCount])() = {Ball,     RoundedBox, Star,  Blob, Capsule, Wedge,
                                                             Crescent, Heart,      Pear,  Bean, Hexagon, Cloud};
    const ToyDesign design = designs[std::clamp(number, 1, kToyPictureCount) - 1]();
    Canvas canvas(design.mWidth, design.mHeight);
    PaintSoftShape(canvas, design.mDistance, design.mTint, SoftShapeStyle{});
    KeepSingleOutline(canvas);
    return canvas;
}

Canvas MakeBulletPicture(int)
{
    const Tint brass = MakeTint(214, 168, 72), shine = MakeTint(250, 226, 150);
    const DistanceField slug = [](const VectorF& p) {
        return SegmentDistance(p, VectorF(14.0f, 12.0f), VectorF(38.0f, 12.0f)) - 9.0f;
    };
    const SurfaceTint tint = [=](const VectorF& p) {
        return MixTints(brass, shine, BandShare(p, VectorF(24.0f, 8.0f), VectorF(1.0f, 0.0f), 2.5f));
    };
    Canvas canvas(48, 24);
    PaintSoftShape(canvas, slug, tint, SoftShapeStyle{});
    KeepSingleOutline(canvas);
    return canvas;
}

} // namespace KIV
