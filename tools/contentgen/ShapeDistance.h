#pragma once
#include <vector>
#include "base/Vector.h"

namespace KIV {

// Signed distances in pixels: negative inside a shape, positive outside. Every
// picture is drawn from such distances, so edges come out smooth at any size.
float CircleDistance(const VectorF& p, const VectorF& centre, float radius);
float EllipseDistance(const VectorF& p, const VectorF& centre, const VectorF& radii);
float RoundedBoxDistance(const VectorF& p, const VectorF& centre, const VectorF& halfSize, float cornerRadius);
float SegmentDistance(const VectorF& p, const VectorF& a, const VectorF& b);  // unsigned
float PolygonDistance(const VectorF& p, const std::vector<VectorF>& corners);
float SmoothUnion(float a, float b, float k);
float SmoothSubtract(float from, float cut, float k);

// Share of a pixel covered by the shape at this distance from its edge.
float EdgeCoverage(float distance);

// Corners of a regular star or polygon; the first point is straight up.
std::vector<VectorF> StarCorners(const VectorF& centre, int points, float outerRadius, float innerRadius);
std::vector<VectorF> RegularPolygonCorners(const VectorF& centre, int sides, float radius, float turn);

} // namespace KIV
