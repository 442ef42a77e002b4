#include "tools/contentgen/FramePicture.h"
#include <algorithm>
#include <functional>
#include "tools/contentgen/ShapeDistance.h"

namespace KIV {

namespace {

const Tint kOuter = MakeTint(16, 20, 30);
const Tint kBody = MakeTint(74, 88, 122);
const Tint kInner = MakeTint(34, 41, 58);

// Frame layers counted from the outside: outline, body, inner line.
const Tint& Layer(int depth)
{
    return depth <= 0 ? kOuter : (depth == 1 ? kBody : kInner);
}

// The title bar's colour by row, 0 at its top: outline, highlight, a gradient,
// and a dark line where the window's content starts.
Tint TitleRow(int row)
{
    if (row <= 0) return kOuter;
    if (row == 1) return MakeTint(132, 152, 194);
    if (row >= 15) return MakeTint(26, 32, 46);
    return MixTints(MakeTint(90, 108, 150), MakeTint(48, 59, 88), (row - 2) / 12.0f);
}

// Fills the rectangle (left, top)-(right, bottom), right and bottom exclusive,
// with colours chosen by the local position.
void FillPiece(Canvas& canvas, int left, int top, int right, int bottom, const std::function<Tint(int, int)>& colour)
{
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) canvas.Set(x, y, colour(x - left, y - top));
    }
}

Tint WithAlpha(Tint c, float alpha)
{
    c.mA = alpha;
    return c;
}

// A 14 × 14 rounded button with a gradient face and an icon given by its
// distance field.
void PaintButton(Canvas& canvas, int left, int top, const Tint& light, const Tint& dark,
                 const std::function<float(const VectorF&)>& icon)
{
    const Tint iconTint = MakeTint(248, 244, 240);
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 14; ++x) {
            const VectorF p(x + 0.5f, y + 0.5f);
            const float d = RoundedBoxDistance(p, VectorF(7.0f, 7.0f), VectorF(6.5f, 6.5f), 3.5f);
            const float cover = EdgeCoverage(d);
            if (cover <= 0.0f) continue;
            Tint face = MixTints(light, dark, y / 13.0f);
            face = MixTints(face, kOuter, SmoothStep(-1.6f, -0.6f, d));  // one-pixel border
            face = MixTints(face, iconTint, EdgeCoverage(icon(p)));
            canvas.Blend(left + x, top + y, face, cover);
        }
    }
}

float Outline(float distance, float halfWidth)
{
    return std::fabs(distance) - halfWidth;
}

} // namespace

Canvas MakeWindowFramePicture(int)
{
    Canvas canvas(kFramePictureWidth, kFramePictureHeight);

    // Title bar: left cap, stretched middle, right cap; the outer top corners rounded off.
    FillPiece(canvas, 1, 1, 4, 17, [](int x, int y) {
        if (x == 0 && y == 0) return WithAlpha(kOuter, 0.0f);
        return x == 0 ? kOuter : TitleRow(y);
    });
    FillPiece(canvas, 6, 1, 14, 17, [](int, int y) { return TitleRow(y); });
    FillPiece(canvas, 15, 1, 18, 17, [](int x, int y) {
        if (x == 2 && y == 0) return WithAlpha(kOuter, 0.0f);
        return x == 2 ? kOuter : TitleRow(y);
    });

    // Side edges, stretched over the height, and the bottom edge, stretched
    // over the width: the outline faces away from the window.
    FillPiece(canvas, 21, 1, 24, 17, [](int x, int) { return Layer(x); });
    FillPiece(canvas, 25, 1, 28, 17, [](int x, int) { return Layer(2 - x); });
    FillPiece(canvas, 41, 1, 49, 4, [](int, int y) { return Layer(2 - y); });

    // Bottom corners; the right one is four pixels wide in the picture.
    FillPiece(canvas, 31, 1, 34, 4, [](int x, int y) {
        const Tint c = Layer(std::min(x, 2 - y));
        return (x == 0 && y == 2) ? WithAlpha(c, 0.5f) : c;
    });
    FillPiece(canvas, 35, 1, 39, 4, [](int x, int y) {
        const Tint c = Layer(std::min(3 - x, 2 - y));
        return (x == 3 && y == 2) ? WithAlpha(c, 0.5f) : c;
    });

    // Buttons from right to left along the title bar: close, maximise, own window.
    const Tint slateLight = MakeTint(120, 140, 182), slateDark = MakeTint(68, 84, 120);
    PaintButton(canvas, 54, 2, MakeTint(226, 96, 84), MakeTint(150, 40, 34), [](const VectorF& p) {
        return std::min(SegmentDistance(p, VectorF(4.5f, 4.5f), VectorF(9.5f, 9.5f)),
                        SegmentDistance(p, VectorF(9.5f, 4.5f), VectorF(4.5f, 9.5f))) - 1.1f;
    });
    PaintButton(canvas, 70, 2, slateLight, slateDark, [](const VectorF& p) {
        const float frame = Outline(RoundedBoxDistance(p, VectorF(7.0f, 7.2f), VectorF(3.4f, 3.2f), 0.6f), 0.55f);
        const float titleBar = RoundedBoxDistance(p, VectorF(7.0f, 4.6f), VectorF(3.4f, 0.9f), 0.3f);
        return std::min(frame, titleBar);
    });
    PaintButton(canvas, 86, 2, slateLight, slateDark, [](const VectorF& p) {
        const float box = Outline(RoundedBoxDistance(p, VectorF(5.6f, 8.4f), VectorF(2.4f, 2.4f), 0.5f), 0.55f);
        const VectorF tip(10.4f, 3.6f);
        const float arrow = std::min({SegmentDistance(p, VectorF(6.6f, 7.4f), tip),
                                      SegmentDistance(p, tip, VectorF(7.6f, 3.6f)),
                                      SegmentDistance(p, tip, VectorF(10.4f, 6.4f))}) - 0.75f;
        return std::min(box, arrow);
    });

    // The frame builder places the pieces by pixel positions measured against
    // the whole picture; a pixel in the far corner stops the loader from
    // cropping the picture down to its pieces, which would shift them.
    canvas.Set(kFramePictureWidth - 1, kFramePictureHeight - 1, kOuter);
    return canvas;
}

} // namespace KIV
