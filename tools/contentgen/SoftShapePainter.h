#pragma once
#include <functional>
#include "tools/contentgen/Canvas.h"
#include "base/Vector.h"

namespace KIV {

using DistanceField = std::function<float(const VectorF&)>;
using SurfaceTint = std::function<Tint(const VectorF&)>;

// How a soft, cushion-like shape is lit.
struct SoftShapeStyle {
    float mRimWidth = 2.5f;        // pixels of darker rim inside the outline
    float mRimDarkness = 0.5f;     // rim colour = surface colour × this
    float mAmbient = 0.58f;
    float mDiffuse = 0.55f;
    float mShine = 0.45f;          // strength of the white highlight
    float mShineSharpness = 22.0f;
    float mCushion = 0.8f;         // share of the deepest point that is rounded off
    float mSoftness = 0.12f;       // blur of the cushion, as a share of the deepest point
};

// Paints the inside of the distance field (negative = inside) over the canvas:
// antialiased outline, cushion shading lit from the top left, a highlight and
// a darker rim. The tint gives the surface colour at each point.
void PaintSoftShape(Canvas& canvas, const DistanceField& distance, const SurfaceTint& tint,
                    const SoftShapeStyle& style);

// The game traces a toy's outline from the first pixel at or above an alpha
// threshold (10 for toys, 128 elsewhere) and follows pixel edges, so a corner
// pixel touching the body only diagonally would be lost or start a second
// outline. At each of those thresholds, pixels outside the largest
// edge-connected region are lowered just below it.
void KeepSingleOutline(Canvas& canvas);

} // namespace KIV
