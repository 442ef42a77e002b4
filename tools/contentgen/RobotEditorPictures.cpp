#include "tools/contentgen/RobotEditorPictures.h"
#include <algorithm>
#include <cmath>
#include <functional>
#include "tools/contentgen/ShapeDistance.h"

namespace KIV {

namespace {

using Icon = std::function<float(const VectorF&)>;

float Ring(float distance, float halfWidth) { return std::fabs(distance) - halfWidth; }

// A toy part: a rounded slab with a bolt hole.
float PartsIcon(const VectorF& p)
{
    const float slab = RoundedBoxDistance(p, VectorF(20.0f, 20.0f), VectorF(11.0f, 7.0f), 3.0f);
    return std::max(slab, -CircleDistance(p, VectorF(26.0f, 20.0f), 2.2f));
}

// A joint: two bars meeting at a ring.
float JointsIcon(const VectorF& p)
{
    const float bars = std::min(SegmentDistance(p, VectorF(8.0f, 30.0f), VectorF(20.0f, 20.0f)),
                                SegmentDistance(p, VectorF(20.0f, 20.0f), VectorF(32.0f, 26.0f))) - 2.2f;
    return std::min(bars, Ring(CircleDistance(p, VectorF(20.0f, 20.0f), 4.5f), 1.4f));
}

// A particle system: an emitter with a fan of sparks.
float ParticlesIcon(const VectorF& p)
{
    float d = CircleDistance(p, VectorF(10.0f, 28.0f), 3.5f);
    const VectorF sparks[] = {{20.0f, 24.0f}, {24.0f, 15.0f}, {30.0f, 22.0f}, {17.0f, 12.0f}, {31.0f, 10.0f}};
    for (size_t i = 0; i < std::size(sparks); ++i)
        d = std::min(d, CircleDistance(p, sparks[i], 2.4f - 0.25f * float(i)));
    return d;
}

// Poses: a leg bent at the knee over a ground line.
float PosesIcon(const VectorF& p)
{
    const float leg = std::min(SegmentDistance(p, VectorF(13.0f, 9.0f), VectorF(24.0f, 19.0f)),
                               SegmentDistance(p, VectorF(24.0f, 19.0f), VectorF(17.0f, 30.0f))) - 2.0f;
    const float ground = SegmentDistance(p, VectorF(8.0f, 32.5f), VectorF(32.0f, 32.5f)) - 1.0f;
    return std::min({leg, ground, CircleDistance(p, VectorF(24.0f, 19.0f), 3.0f)});
}

} // namespace

Canvas MakeRobotEditorButtonPicture(int number)
{
    const int mode = std::clamp((number - 1) / 2, 0, 3);
    const bool chosen = (number - 1) % 2 == 1;
    static const Icon icons[4] = {PartsIcon, JointsIcon, ParticlesIcon, PosesIcon};
    const Tint top = chosen ? MakeTint(236, 178, 72) : MakeTint(92, 106, 138);
    const Tint bottom = chosen ? MakeTint(178, 108, 30) : MakeTint(48, 58, 82);
    const Tint border = chosen ? MakeTint(255, 232, 170) : MakeTint(20, 24, 34);
    const Tint iconTint = chosen ? MakeTint(40, 26, 8) : MakeTint(226, 232, 244);

    const int size = kRobotEditorButtonSize;
    Canvas canvas(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const VectorF p(x + 0.5f, y + 0.5f);
            const float d = RoundedBoxDistance(p, VectorF(20.0f, 20.0f), VectorF(19.5f, 19.5f), 6.0f);
            const float cover = EdgeCoverage(d);
            if (cover <= 0.0f) continue;
            Tint face = MixTints(top, bottom, float(y) / float(size - 1));
            face = MixTints(face, border, SmoothStep(-2.5f, -1.2f, d));
            face = MixTints(face, iconTint, EdgeCoverage(icons[mode](p)));
            canvas.Blend(x, y, face, cover);
        }
    }
    return canvas;
}

Canvas MakeWhitePicture(int)
{
    Canvas canvas(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) canvas.Set(x, y, MakeTint(255, 255, 255));
    return canvas;
}

Canvas MakeTimelinePicture(int number)
{
    if (number == 2) {
        // A pose marker: a rounded tick, light in the middle.
        Canvas canvas(8, 32);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 8; ++x) {
                const VectorF p(x + 0.5f, y + 0.5f);
                const float d = RoundedBoxDistance(p, VectorF(4.0f, 16.0f), VectorF(3.5f, 15.5f), 3.0f);
                const float cover = EdgeCoverage(d);
                if (cover <= 0.0f) continue;
                const Tint body = MixTints(MakeTint(255, 244, 200), MakeTint(214, 150, 52), std::fabs(x - 3.5f) / 3.5f);
                canvas.Blend(x, y, MixTints(body, MakeTint(60, 40, 12), SmoothStep(-1.5f, -0.5f, d)), cover);
            }
        }
        return canvas;
    }
    // The bar: a sunken groove, darkest along its middle, with soft ends.
    Canvas canvas(128, 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 128; ++x) {
            const VectorF p(x + 0.5f, y + 0.5f);
            const float d = RoundedBoxDistance(p, VectorF(64.0f, 16.0f), VectorF(63.5f, 9.0f), 8.0f);
            const float cover = EdgeCoverage(d);
            if (cover <= 0.0f) continue;
            const float groove = 1.0f - std::fabs(y + 0.5f - 16.0f) / 9.0f;
            Tint c = MixTints(MakeTint(70, 80, 104), MakeTint(22, 26, 36), Clamp01(groove));
            c = MixTints(c, MakeTint(150, 162, 190), SmoothStep(-1.6f, -0.4f, d));
            c.mA = 0.85f;
            canvas.Blend(x, y, c, cover);
        }
    }
    return canvas;
}

} // namespace KIV
