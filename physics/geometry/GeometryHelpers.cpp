#include "physics/geometry/GeometryHelpers.h"
#include "base/MathUtil.h"
#include "base/MemoryStream.h"

namespace KIV {

bool LineIntersection(const VectorF& p1, const VectorF& p2, const VectorF& q1, const VectorF& q2, VectorF& out)
{
    const VectorF r = p2 - p1;
    const VectorF s = q2 - q1;
    const float den = Cross(r, s);
    if (den == 0.0f) return false;
    const float t = Cross(q1 - p1, s) / den;
    out = VectorF(p1.mX + t * r.mX, p1.mY + t * r.mY);
    return true;
}

bool FootOfPerpendicular(const VectorF& point, const VectorF& a, const VectorF& b, VectorF& out)
{
    const VectorF d = b - a;
    return LineIntersection(a, b, point, point + VectorF(-d.mY, d.mX), out);
}

bool ComputeThreeFeet(const VectorF& a, const VectorF& b, const VectorF& c, const VectorF& point, VectorF feet[3])
{
    VectorF fa, fb, fc;
    if (!FootOfPerpendicular(point, a, b, fa) || !FootOfPerpendicular(point, b, c, fb) ||
        !FootOfPerpendicular(point, c, a, fc))
        return false;
    feet[0] = fa - a;
    feet[1] = fb - b;
    feet[2] = fc - c;
    return true;
}

bool CrossesHorizontalLine(const VectorF& a, const VectorF& b, float y, float& x)
{
    if ((a.mY > y) == (b.mY > y)) return false;
    x = a.mX + (y - a.mY) * (b.mX - a.mX) / (b.mY - a.mY);
    return true;
}

bool EdgeCrossesRay(const VectorF& a, const VectorF& b, const VectorF& point, VectorF& crossing)
{
    float x;
    if (!CrossesHorizontalLine(a, b, point.mY, x) || !(x > point.mX)) return false;
    crossing = VectorF(x, point.mY);
    return true;
}

bool IsPointInTriangle(const VectorF& p, const VectorF& a, const VectorF& b, const VectorF& c)
{
    const float s1 = Cross(b - a, p - a);
    const float s2 = Cross(c - b, p - b);
    const float s3 = Cross(a - c, p - c);
    const bool anyNegative = s1 < 0.0f || s2 < 0.0f || s3 < 0.0f;
    const bool anyPositive = s1 > 0.0f || s2 > 0.0f || s3 > 0.0f;
    return !(anyNegative && anyPositive);
}

VectorF ComputeCircumcentre(const VectorF& a, const VectorF& b, const VectorF& c)
{
    const float d = 2.0f * (a.mX * (b.mY - c.mY) + b.mX * (c.mY - a.mY) + c.mX * (a.mY - b.mY));
    if (d == 0.0f) return a;
    const float a2 = a.GetLengthSquared();
    const float b2 = b.GetLengthSquared();
    const float c2 = c.GetLengthSquared();
    return VectorF((a2 * (b.mY - c.mY) + b2 * (c.mY - a.mY) + c2 * (a.mY - b.mY)) / d,
                   (a2 * (c.mX - b.mX) + b2 * (a.mX - c.mX) + c2 * (b.mX - a.mX)) / d);
}

bool Orientation(const VectorF& a, const VectorF& b, const VectorF& c)
{
    return (b.mY - a.mY) * (c.mX - a.mX) - (b.mX - a.mX) * (c.mY - a.mY) > 0.0f;
}

namespace {

// Position of x between from and to, read on the axis where the segment is
// longer (y on a tie); false for a segment of length 0.
bool RatioOnLongerAxis(const VectorF& x, const VectorF& from, const VectorF& to, float& ratio)
{
    const VectorF d = to - from;
    if (AbsF(d.mX) > AbsF(d.mY)) {
        ratio = (x.mX - from.mX) / d.mX;
        return true;
    }
    if (d.mY == 0.0f) return false;
    ratio = (x.mY - from.mY) / d.mY;
    return true;
}

bool TransferPoint(const VectorF& p, const VectorF& a, const VectorF& b, const VectorF& c, const VectorF& a2,
                   const VectorF& b2, const VectorF& c2, VectorF& out)
{
    if (p == a) {
        out = a2;
        return true;
    }
    if (p == b) {
        out = b2;
        return true;
    }
    if (p == c) {
        out = c2;
        return true;
    }
    if (b == c) return false;
    VectorF q;
    if (!LineIntersection(a, p, b, c, q)) return false;
    float t, s;
    // q equal to a (a on the line b-c) leaves no ratio to read along a-q.
    if (!RatioOnLongerAxis(q, b, c, t) || !RatioOnLongerAxis(p, a, q, s)) return false;
    const VectorF q2(b2.mX + t * (c2.mX - b2.mX), b2.mY + t * (c2.mY - b2.mY));
    out = VectorF(a2.mX + (q2.mX - a2.mX) * s, a2.mY + (q2.mY - a2.mY) * s);
    return true;
}

} // namespace

VectorF TransferPointBetweenTriangles(const VectorF& p, const VectorF& a, const VectorF& b, const VectorF& c,
                                      const VectorF& a2, const VectorF& b2, const VectorF& c2)
{
    VectorF out;
    return TransferPoint(p, a, b, c, a2, b2, c2, out) ? out : p;
}

VectorF TransferPointBetweenTriangleRecords(const VectorF& p, const VectorF* from, const VectorF* to)
{
    VectorF out;
    return TransferPoint(p, from[0], from[1], from[2], to[0], to[1], to[2], out) ? out : to[0];
}

VectorF ComputeFrameCorners(const BezierSide& side, float t)
{
    if (t == 0.0f) return side.mStart;
    if (t == 1.0f) return side.mEnd;
    const VectorF p1 = side.mStart + side.mStartControl;
    const VectorF p2 = side.mEnd + side.mEndControl;
    const float s = 1.0f - t;
    const float w0 = s * s * s;
    const float w1 = 3.0f * s * s * t;
    const float w2 = 3.0f * s * t * t;
    const float w3 = t * t * t;
    return VectorF(w0 * side.mStart.mX + w1 * p1.mX + w2 * p2.mX + w3 * side.mEnd.mX,
                   w0 * side.mStart.mY + w1 * p1.mY + w2 * p2.mY + w3 * side.mEnd.mY);
}

bool WriteBezierSide(MemoryStream& stream, const BezierSide& side)
{
    return stream.WriteByte(1) && stream.WriteVector(side.mStart) && stream.WriteVector(side.mEnd) &&
           stream.WriteVector(side.mStartControl) && stream.WriteVector(side.mEndControl);
}

void ReadBezierSide(MemoryStream& stream, BezierSide& side)
{
    uint8_t version = 0;
    stream.ReadByte(version);
    float* values[8] = {&side.mStart.mX,        &side.mStart.mY,        &side.mEnd.mX,        &side.mEnd.mY,
                        &side.mStartControl.mX, &side.mStartControl.mY, &side.mEndControl.mX, &side.mEndControl.mY};
    for (float* v : values) stream.ReadFloat(*v);
}

namespace {

uint8_t BlendChannel(uint8_t from, uint8_t to, float t)
{
    const int32_t v = int32_t(from) + RoundToInt(float(int32_t(to) - int32_t(from)) * t);
    return uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
}

} // namespace

ColorRGBA BlendColorTowards(const ColorRGBA& colour, const ColorRGBA& target, float t)
{
    return ColorRGBA(BlendChannel(colour.mRed, target.mRed, t), BlendChannel(colour.mGreen, target.mGreen, t),
                     BlendChannel(colour.mBlue, target.mBlue, t), colour.mAlpha);
}

ColorRGB BlendColors(const ColorRGB& a, const ColorRGB& b, float t)
{
    ColorRGB c;
    c.mRed = BlendChannel(a.mRed, b.mRed, t);
    c.mGreen = BlendChannel(a.mGreen, b.mGreen, t);
    c.mBlue = BlendChannel(a.mBlue, b.mBlue, t);
    return c;
}

void ReadColorRGB(MemoryStream& stream, ColorRGB& colour)
{
    stream.ReadByte(colour.mRed);
    stream.ReadByte(colour.mGreen);
    stream.ReadByte(colour.mBlue);
}

} // namespace KIV
