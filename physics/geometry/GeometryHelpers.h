#pragma once
#include "base/Color.h"
#include "base/Vector.h"

namespace KIV {

class MemoryStream;

// Point, line and triangle computations shared by toy geometry, contacts,
// terrain objects and particles. Points are in world or body units; the y
// axis grows downward, so "clockwise" below means clockwise on screen.

// Intersection of the two infinite lines p1-p2 and q1-q2; false (out untouched)
// when they are parallel, the denominator being exactly 0. Lines that meet
// beyond the segments' ends still intersect.
bool LineIntersection(const VectorF& p1, const VectorF& p2, const VectorF& q1, const VectorF& q2, VectorF& out);

// Foot of the perpendicular from the point onto the line a-b; false for a
// degenerate line (a equal to b).
bool FootOfPerpendicular(const VectorF& point, const VectorF& a, const VectorF& b, VectorF& out);

// Feet of the perpendiculars from the point onto the sides a-b, b-c and c-a,
// each relative to its side's start; false (feet untouched) when one fails.
bool ComputeThreeFeet(const VectorF& a, const VectorF& b, const VectorF& c, const VectorF& point, VectorF feet[3]);

// Where the edge a-b crosses the horizontal line at y. An edge counts when one
// end lies above the line and the other on or below it, so a polygon vertex on
// the line is met once by its two edges together; horizontal edges never cross.
bool CrossesHorizontalLine(const VectorF& a, const VectorF& b, float y, float& x);

// Point-in-polygon step: whether the edge a-b crosses the horizontal ray that
// leaves the point towards +x, and where.
bool EdgeCrossesRay(const VectorF& a, const VectorF& b, const VectorF& point, VectorF& crossing);

// Edge-sign test for either winding; points on the sides count as inside.
bool IsPointInTriangle(const VectorF& p, const VectorF& a, const VectorF& b, const VectorF& c);

// Centre of the circle through a, b and c; a itself when they are collinear.
VectorF ComputeCircumcentre(const VectorF& a, const VectorF& b, const VectorF& c);

// True when (b.y - a.y)(c.x - a.x) - (b.x - a.x)(c.y - a.y) > 0.
bool Orientation(const VectorF& a, const VectorF& b, const VectorF& c);

// A record that starts with a point and a direction: their sum.
inline VectorF GetRecordEndPoint(const VectorF* record) { return record[0] + record[1]; }

// Carries p from triangle a, b, c to the same place in triangle a2, b2, c2: a
// corner goes to the matching corner; otherwise the line a-p is crossed with
// b-c and both ratios are read on the axis where their segment is longer (y on
// a tie). When b equals c or the lines do not meet, p comes back unchanged.
VectorF TransferPointBetweenTriangles(const VectorF& p, const VectorF& a, const VectorF& b, const VectorF& c,
                                      const VectorF& a2, const VectorF& b2, const VectorF& c2);
// The same for triangles given as three-point records; a failure gives the
// second triangle's first corner.
VectorF TransferPointBetweenTriangleRecords(const VectorF& p, const VectorF* from, const VectorF* to);

// (p - c) * s + c per axis.
inline VectorF ScalePointAbout(const VectorF& p, const VectorF& c, const VectorF& s) { return (p - c) * s + c; }
// p turned about c by the angle, in the clockwise form of the vector rotation.
inline VectorF RotatePointAbout(const VectorF& p, const VectorF& c, float angle)
{
    return (p - c).GetRotatedClockwise(angle) + c;
}

// One side of a bend frame: a cubic Bezier whose control vectors are stored
// relative to their own end (inner points start + start control and
// end + end control).
struct BezierSide {
    VectorF mStart;
    VectorF mEnd;
    VectorF mStartControl;
    VectorF mEndControl;
};

// A point on the side: exactly the start corner at t = 0 and the end corner at
// t = 1, else the cubic Bezier point.
VectorF ComputeFrameCorners(const BezierSide& side, float t);
// Version byte 1, then the four points as eight floats.
bool WriteBezierSide(MemoryStream& stream, const BezierSide& side);
// Each value is taken only when its bytes remain; the rest keep their values.
void ReadBezierSide(MemoryStream& stream, BezierSide& side);

// Red, green and blue each move by round((target - colour) * t); alpha stays.
ColorRGBA BlendColorTowards(const ColorRGBA& colour, const ColorRGBA& target, float t);
// Red, green, blue = a + round((b - a) * t).
ColorRGB BlendColors(const ColorRGB& a, const ColorRGB& b, float t);
// Three bytes, each taken only when a byte remains.
void ReadColorRGB(MemoryStream& stream, ColorRGB& colour);

} // namespace KIV
