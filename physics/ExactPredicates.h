#pragma once
#include "base/Vector.h"

namespace KIV {

// Exact signs of the two classic geometric determinants for float points.
// Most calls are settled in double precision; the rare ones too close to call
// are recomputed with exact floating-point expansions, so points on a line or
// on a circle give exactly 0 and no two calls can contradict each other.

// Sign of Cross(b - a, c - a): +1, 0 or -1.
int OrientationSign(const VectorF& a, const VectorF& b, const VectorF& c);

// Sign of the in-circle determinant: for a, b, c with positive orientation,
// +1 when d lies strictly inside their circle, 0 on it, -1 outside (the signs
// swap for negative orientation).
int InCircleSign(const VectorF& a, const VectorF& b, const VectorF& c, const VectorF& d);

// Whether d lies strictly inside the circle through a, b and c, whatever their
// orientation; false when they are collinear.
bool IsInsideCircle(const VectorF& a, const VectorF& b, const VectorF& c, const VectorF& d);

} // namespace KIV
