#pragma once
#include "base/Statistics.h"
#include "base/Vector.h"

namespace KIV {

// The exact segment-against-segment test of the whole physics layer:
// triangulation diagonals, grid segment and ray queries, toy segment tests and
// breaking. Every call counts in the line-intersect statistics, and every call
// whose bounding boxes overlap counts once more as a check.
//
// The core writes the crossing point and its parameter t along p0-p1; the four
// public forms differ only in what they hand back.
inline bool SegmentsIntersectCore(const VectorF& p0, const VectorF& p1, const VectorF& q0, const VectorF& q1,
                                  VectorF& point, float& t)
{
    StatCount(kStatLineIntersectCalls);

    // Closed ranges: boxes that only touch still go on to the exact test.
    const float pMinX = p0.mX < p1.mX ? p0.mX : p1.mX, pMaxX = p0.mX < p1.mX ? p1.mX : p0.mX;
    const float qMinX = q0.mX < q1.mX ? q0.mX : q1.mX, qMaxX = q0.mX < q1.mX ? q1.mX : q0.mX;
    if (pMaxX < qMinX || qMaxX < pMinX) return false;
    const float pMinY = p0.mY < p1.mY ? p0.mY : p1.mY, pMaxY = p0.mY < p1.mY ? p1.mY : p0.mY;
    const float qMinY = q0.mY < q1.mY ? q0.mY : q1.mY, qMaxY = q0.mY < q1.mY ? q1.mY : q0.mY;
    if (pMaxY < qMinY || qMaxY < pMinY) return false;

    StatCount(kStatLineIntersectChecks);

    const VectorF d = q1 - q0;
    const float num = d.mX * (q0.mY - p0.mY) - d.mY * (q0.mX - p0.mX);
    const float den = (p1.mY - p0.mY) * d.mX - (p1.mX - p0.mX) * d.mY;
    // Parallel or collinear segments never cross. A zero numerator alone only
    // says that p0 lies on the other segment's line: t = 0, a touch at the
    // first point, which counts as a crossing like a touch at the last point.
    if (den == 0.0f) return false;
    const float tt = num / den;
    if (!(tt >= 0.0f && tt <= 1.0f)) return false;

    const VectorF x(p0.mX + tt * (p1.mX - p0.mX), p0.mY + tt * (p1.mY - p0.mY));
    const float adx = d.mX < 0.0f ? -d.mX : d.mX;
    const float ady = d.mY < 0.0f ? -d.mY : d.mY;
    if (adx > ady) {
        if (d.mX > 0.0f ? (x.mX < q0.mX || x.mX > q1.mX) : (x.mX < q1.mX || x.mX > q0.mX)) return false;
    } else {
        if (d.mY > 0.0f ? (x.mY < q0.mY || x.mY > q1.mY) : (x.mY < q1.mY || x.mY > q0.mY)) return false;
    }
    point = x;
    t = tt;
    return true;
}

inline bool SegmentsIntersect(const VectorF& p0, const VectorF& p1, const VectorF& q0, const VectorF& q1)
{
    VectorF x;
    float t;
    return SegmentsIntersectCore(p0, p1, q0, q1, x, t);
}

// The form the grid queries call.
inline bool SegmentsIntersectQuery(const VectorF& p0, const VectorF& p1, const VectorF& q0, const VectorF& q1)
{
    return SegmentsIntersect(p0, p1, q0, q1);
}

// Writes the crossing point only on success.
inline bool SegmentsIntersectPoint(const VectorF& p0, const VectorF& p1, const VectorF& q0, const VectorF& q1,
                                   VectorF& point)
{
    float t;
    return SegmentsIntersectCore(p0, p1, q0, q1, point, t);
}

// Writes the crossing point and its parameter t along p0-p1 only on success.
inline bool SegmentsIntersectAt(const VectorF& p0, const VectorF& p1, const VectorF& q0, const VectorF& q1,
                                VectorF& point, float& t)
{
    return SegmentsIntersectCore(p0, p1, q0, q1, point, t);
}

// Side test against a segment stored as four floats {x0, y0, x1, y1}.
inline bool IsOnLeftOfSegment(const float* segment, const VectorF& a, const VectorF& b)
{
    return (segment[2] - segment[0]) * (a.mY - b.mY) - (a.mX - b.mX) * (segment[3] - segment[1]) > 0.0f;
}

} // namespace KIV
