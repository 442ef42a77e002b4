#include "tools/contentgen/RobotPictures.h"
#include <algorithm>
#include "tools/contentgen/ShapeDistance.h"
#include "tools/contentgen/SoftShapePainter.h"

namespace KIV {

namespace {

// A rod between two points, `radius` thick either side: the leg pieces and the barrel.
Canvas Rod(int32_t width, int32_t height, VectorF a, VectorF b, float radius, const Tint& tint)
{
    Canvas canvas(width, height);
    PaintSoftShape(
        canvas, [=](const VectorF& p) { return SegmentDistance(p, a, b) - radius; },
        [tint](const VectorF&) { return tint; }, SoftShapeStyle{});
    return canvas;
}

} // namespace

Canvas MakeRobotPartPicture(int part)
{
    const Tint steel = MakeTint(96, 112, 138), dark = MakeTint(58, 66, 82), eye = MakeTint(255, 214, 72);
    Canvas canvas(1, 1);
    switch (static_cast<RobotPart>(part)) {
    case RobotPart::kBody: {
        const VectorF c(64.0f, 28.0f), half(60.0f, 24.0f);
        canvas = Canvas(128, 56);
        PaintSoftShape(
            canvas, [=](const VectorF& p) { return RoundedBoxDistance(p, c, half, 18.0f); },
            [=](const VectorF& p) {
                // Two eyes at the front (right), so one sees which way it walks.
                const float d = std::min(CircleDistance(p, VectorF(104.0f, 20.0f), 5.0f),
                                         CircleDistance(p, VectorF(88.0f, 20.0f), 5.0f));
                return d < 0.0f ? eye : steel;
            },
            SoftShapeStyle{});
        break;
    }
    case RobotPart::kThigh:
        canvas = Rod(24, 72, VectorF(12.0f, 10.0f), VectorF(12.0f, 62.0f), 9.0f, dark);
        break;
    case RobotPart::kShin:
        canvas = Rod(24, 80, VectorF(12.0f, 10.0f), VectorF(12.0f, 68.0f), 8.5f, steel);
        break;
    case RobotPart::kGun:
        canvas = Rod(64, 20, VectorF(10.0f, 10.0f), VectorF(54.0f, 10.0f), 7.0f, dark);
        break;
    }
    KeepSingleOutline(canvas);
    return canvas;
}

} // namespace KIV
