#pragma once
#include <cstdint>
#include <initializer_list>
#include "base/Array.h"
#include "base/Random.h"
#include "base/Vector.h"

namespace KIV {

// Outlines shared by the mesh tests and benchmarks, so both speak of the same
// shapes. Every outline runs clockwise on screen (the traced direction) unless
// it is reversed on purpose.

// An outline of the given points, in order.
Array<VectorF> OutlineOf(std::initializer_list<VectorF> points);
// n points on a circle (or an ellipse with radii rx, ry) about the origin.
void MakeEllipseOutline(Array<VectorF>& out, int32_t n, float rx, float ry);
// The anchors of a traced disc of the given diameter: points about 4 pixels
// apart on its rim, on integer pixel corners, centred on the origin.
void MakeDiscOutline(Array<VectorF>& out, float diameter);
// A band 44 units tall along a sine wave, with n outline points about 4 to 5
// units apart: its mesh grows in proportion to n.
void MakeWavyBandOutline(Array<VectorF>& out, int32_t n);
// Random polygons for property tests, n points each.
void MakeRandomConvexOutline(Array<VectorF>& out, int32_t n, Random& random);
void MakeRandomStarOutline(Array<VectorF>& out, int32_t n, Random& random);
// A comb: a bar with deep teeth, n >= 8 points.
void MakeCombOutline(Array<VectorF>& out, int32_t n, Random& random);
// A long thin polygon whose points lie within a unit or two of a line.
void MakeNearlyCollinearOutline(Array<VectorF>& out, int32_t n, Random& random);
// Reverses the point order when the outline runs the other way.
void MakeClockwise(Array<VectorF>& points);
void ReverseOutline(Array<VectorF>& points);

} // namespace KIV
