#include "base/MathUtil.h"
#include "base/PointList.h"
#include "physics/geometry/GeometryHelpers.h"
#include "physics/geometry/SegmentIntersection.h"
#include "physics/geometry/TracedGeometry.h"

namespace KIV {

namespace {

// A ray long enough to leave any body.
constexpr float kRayLength = 1000000.0f;

const VectorF kNoTexturePoint(0.5f, 0.5f);

void GetCorners(const IndexTriangle& t, int32_t out[3])
{
    out[0] = t.mA;
    out[1] = t.mB;
    out[2] = t.mC;
}

} // namespace

float TracedGeometry::ComputeMomentOfInertia(float area, float mass) const
{
    if (!(area > 0.0f) || !(mass > 0.0f)) return 0.0f;
    // Polar moment about the local origin, which is the centre of mass.
    float sum = 0.0f;
    for (const IndexTriangle& t : mTriangles) {
        const VectorF& a = mPoints[t.mA];
        const VectorF& b = mPoints[t.mB];
        const VectorF& c = mPoints[t.mC];
        const float triangleArea = AbsF(Cross(b - a, c - a)) * 0.5f;
        sum += triangleArea * (a.GetLengthSquared() + b.GetLengthSquared() + c.GetLengthSquared() + Dot(a, b) +
                               Dot(a, c) + Dot(b, c));
    }
    return mass / (6.0f * area) * sum;
}

bool TracedGeometry::TryMovePointWithin(int32_t point, const VectorF& offset, float maxAreaFactor)
{
    if (point < 0 || point >= mPoints.Count()) return false;
    const VectorF old = mPoints[point];
    mPoints[point] = old + offset;
    const auto undo = [&]() {
        mPoints[point] = old;
        return false;
    };
    const auto ratioOk = [](float length, float invRest) {
        const float ratio = length * invRest;
        return ratio >= kMinEdgeRatio && ratio <= kMaxEdgeRatio;
    };

    for (int32_t node = FirstPointEdgeNode(point); node >= 0; node = NextPointEdgeNode(node)) {
        const int32_t e = mPointEdgeEntries[node];
        const float length = (mPoints[mInnerEdges[e].mB] - mPoints[mInnerEdges[e].mA]).GetLength();
        if (e < mInnerEdgeInvLengths.Count() && !ratioOk(length, mInnerEdgeInvLengths[e])) return undo();
    }
    if (point < mOutlineCount && mOutlineEdgeInvLengths.Count() >= mOutlineCount) {
        const int32_t next = point + 1 < mOutlineCount ? point + 1 : 0;
        const int32_t prev = point > 0 ? point - 1 : mOutlineCount - 1;
        if (!ratioOk((mPoints[next] - mPoints[point]).GetLength(), mOutlineEdgeInvLengths[point]) ||
            !ratioOk((mPoints[point] - mPoints[prev]).GetLength(), mOutlineEdgeInvLengths[prev]))
            return undo();
    }
    for (int32_t node = FirstPointTriangleNode(point); node >= 0; node = NextPointTriangleNode(node)) {
        const int32_t t = mPointTriangleEntries[node];
        const IndexTriangle& tri = mTriangles[t];
        const VectorF& a = mPoints[tri.mA];
        const float cross = Cross(mPoints[tri.mB] - a, mPoints[tri.mC] - a);
        if (cross <= 0.0f) return undo();
        if (t < mTriangleAreas.Count()) {
            const float area = cross * 0.5f;
            const float rest = mTriangleAreas[t];
            if (area < kMinAreaFactor * rest || area > maxAreaFactor * rest) return undo();
        }
    }
    return true;
}

bool TracedGeometry::TryMovePoint(int32_t point, const VectorF& offset)
{
    if (point < 0 || point >= mPoints.Count()) return false;
    if (point < mCorePointFlags.Count() && mCorePointFlags[point]) return false;
    return TryMovePointWithin(point, offset, kPlasticMaxAreaFactor);
}

bool TracedGeometry::TryMovePointElastic(int32_t point, const VectorF& offset)
{
    return TryMovePointWithin(point, offset, kElasticMaxAreaFactor);
}

bool TracedGeometry::PushNearestPoint(const VectorF& position, const VectorF& offset)
{
    const int32_t point = FindNearestPointIndex(mPoints.Data(), mPoints.Count(), position);
    if (point < 0) return false;
    const float fractions[4] = {1.0f, 0.5f, 0.25f, 0.125f};
    for (float f : fractions) {
        const VectorF step = offset * f;
        // An accepted push moves the point by twice the step; the second
        // move is guarded too, so it can never turn a triangle over.
        if (TryMovePoint(point, step)) {
            TryMovePoint(point, step);
            return true;
        }
    }
    return false;
}

VectorF TracedGeometry::MapPointBetweenShapes(const Array<VectorF>& from, const VectorF& point) const
{
    if (from.Count() != mPoints.Count()) return point;
    for (const IndexTriangle& t : mTriangles) {
        const VectorF& a = from[t.mA];
        const VectorF& b = from[t.mB];
        const VectorF& c = from[t.mC];
        if (!IsPointInTriangle(point, a, b, c)) continue;
        const float d = Cross(b - a, c - a);
        if (d == 0.0f) continue;
        const float wb = Cross(point - a, c - a) / d;
        const float wc = Cross(b - a, point - a) / d;
        const VectorF& a2 = mPoints[t.mA];
        return a2 + (mPoints[t.mB] - a2) * wb + (mPoints[t.mC] - a2) * wc;
    }
    return point;
}

VectorF TracedGeometry::MapRestPointToCurrent(const VectorF& point) const
{
    return MapPointBetweenShapes(mRestPoints, point);
}

VectorF TracedGeometry::MapSnapshotPointToCurrent(const VectorF& point) const
{
    return MapPointBetweenShapes(mSnapshotPoints, point);
}

VectorF TracedGeometry::RandomPointInTriangle(int32_t triangle, Random& generator) const
{
    const IndexTriangle& t = mTriangles[triangle];
    const int32_t largest = t.mA > t.mB ? (t.mA > t.mC ? t.mA : t.mC) : (t.mB > t.mC ? t.mB : t.mC);
    // Texture points are made after the build; without them there is no place to give.
    if (largest >= mScaledPoints.Count()) return kNoTexturePoint;
    const VectorF& a = mScaledPoints[t.mA];
    const VectorF& b = mScaledPoints[t.mB];
    const VectorF& c = mScaledPoints[t.mC];
    const float r1 = generator.NextFloat();
    const float r2 = generator.NextFloat();
    const VectorF q = a + (b - a) * r1;
    return c + (q - c) * r2;
}

VectorF TracedGeometry::RandomPointInMesh(int32_t pointIndex, Random& generator) const
{
    if (mPoints.Count() < 1) return kNoTexturePoint;
    const int32_t point = pointIndex < 0 ? 0 : (pointIndex >= mPoints.Count() ? mPoints.Count() - 1 : pointIndex);
    int32_t node = FirstPointTriangleNode(point);
    if (node < 0) return kNoTexturePoint;
    if (generator.NextBool() && NextPointTriangleNode(node) >= 0) node = NextPointTriangleNode(node);
    return RandomPointInTriangle(mPointTriangleEntries[node], generator);
}

VectorF TracedGeometry::RandomScaledPointNear(float x, float y, Random& generator) const
{
    const int32_t count = mPoints.Count();
    if (count < 1) return kNoTexturePoint;
    const VectorF p(x, y);
    int32_t best = 0;
    float bestDistance = (mPoints[0] - p).GetLengthSquared();
    for (int32_t i = count - 1; i >= 1; --i) {
        const float d = (mPoints[i] - p).GetLengthSquared();
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    const int32_t node = FirstPointTriangleNode(best);
    if (node < 0) return kNoTexturePoint;
    return RandomPointInTriangle(mPointTriangleEntries[node], generator);
}

VectorF TracedGeometry::GetInnerPoint() const
{
    if (mTriangles.Count() < 1) return VectorF();
    const IndexTriangle& t = mTriangles[0];
    const int32_t largest = t.mA > t.mB ? (t.mA > t.mC ? t.mA : t.mC) : (t.mB > t.mC ? t.mB : t.mC);
    if (largest >= mScaledPoints.Count()) return VectorF();
    return (mScaledPoints[t.mA] + mScaledPoints[t.mB] + mScaledPoints[t.mC]) * 0.33333334f;
}

int32_t TracedGeometry::FindSliverTriangle() const
{
    const int32_t n = mOutlineCount;
    const auto wrap = [n](int32_t i) { return ((i % n) + n) % n; };
    for (int32_t i = 0; i < n; ++i) {
        const int32_t before2 = wrap(i - 2), before = wrap(i - 1), after = wrap(i + 1), after2 = wrap(i + 2);
        for (int32_t node = FirstPointTriangleNode(i); node >= 0; node = NextPointTriangleNode(node)) {
            const int32_t t = mPointTriangleEntries[node];
            int32_t c[3];
            GetCorners(mTriangles[t], c);
            const int32_t slot = c[0] == i ? 0 : (c[1] == i ? 1 : 2);
            const int32_t x = c[(slot + 1) % 3], y = c[(slot + 2) % 3];
            const bool xOutline = x < n, yOutline = y < n;
            bool examine = false;
            if (xOutline && yOutline) {
                const auto pairIs = [&](int32_t p, int32_t q) { return (x == p && y == q) || (x == q && y == p); };
                examine = pairIs(before2, before) || pairIs(before, after) || pairIs(after, after2);
            } else if (xOutline != yOutline) {
                const int32_t o = xOutline ? x : y;
                examine = o == before || o == after;
            }
            if (!examine) continue;
            VectorF feet[3];
            bool formed = true;
            for (int32_t k = 0; k < 3 && formed; ++k)
                formed = FootOfPerpendicular(mPoints[c[k]], mPoints[c[(k + 1) % 3]], mPoints[c[(k + 2) % 3]], feet[k]);
            if (!formed) continue;
            for (int32_t k = 0; k < 3; ++k)
                if ((feet[k] - mPoints[c[k]]).GetLengthSquared() < 0.5f) return t;
        }
    }
    return -1;
}

VectorF TracedGeometry::ClosestInsideTexturePoint(const VectorF& p) const
{
    if (mScaledPoints.Count() < mPoints.Count()) return kNoTexturePoint;
    if (!IsPointInPolygon(mPoints.Data(), mOutlineCount, p)) {
        const int32_t k = FindNearestPointIndex(mPoints.Data(), mOutlineCount, p);
        return k >= 0 ? mScaledPoints[k] : kNoTexturePoint;
    }
    const int32_t nearest = FindNearestPointIndex(mPoints.Data(), mPoints.Count(), p);
    if (nearest < 0) return kNoTexturePoint;
    for (int32_t node = FirstPointTriangleNode(nearest); node >= 0; node = NextPointTriangleNode(node)) {
        const IndexTriangle& t = mTriangles[mPointTriangleEntries[node]];
        if (!IsPointInTriangle(p, mPoints[t.mA], mPoints[t.mB], mPoints[t.mC])) continue;
        return TransferPointBetweenTriangles(p, mPoints[t.mA], mPoints[t.mB], mPoints[t.mC], mScaledPoints[t.mA],
                                             mScaledPoints[t.mB], mScaledPoints[t.mC]);
    }
    return mScaledPoints[nearest];
}

bool IsPointInPolygon(const VectorF* points, int32_t count, const VectorF& p)
{
    if (count < 3) return false;
    bool found = false;
    float bestDistance = 0.0f, bestX = 0.0f;
    bool bestRunsDown = false;
    float twiceArea = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        const VectorF& a = points[i];
        const VectorF& b = points[i + 1 < count ? i + 1 : 0];
        twiceArea += Cross(a, b);
        float x;
        if (!CrossesHorizontalLine(a, b, p.mY, x)) continue;
        const float distance = AbsF(x - p.mX);
        if (!found || distance < bestDistance) {
            found = true;
            bestDistance = distance;
            bestX = x;
            bestRunsDown = a.mY < b.mY;
        }
    }
    if (!found) return false;
    // Outlines run clockwise on screen: their right side runs down, their left
    // side up. A mirrored outline runs the other way round.
    const bool inside = bestX - p.mX > 0.0f ? bestRunsDown : !bestRunsDown;
    return twiceArea < 0.0f ? !inside : inside;
}

bool RayHitOutline(const VectorF* points, int32_t count, const VectorF& origin, const VectorF& direction,
                   VectorF& hit, bool fromBehind)
{
    VectorF ray = direction;
    ray.Normalize(kRayLength);
    const VectorF end = origin + ray;
    bool found = false;
    float bestT = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        const VectorF& a = points[i];
        const VectorF& b = points[i + 1 < count ? i + 1 : 0];
        const float facing = Cross(ray, b - a);
        if (fromBehind ? facing <= 0.0f : facing > 0.0f) continue;
        VectorF x;
        float t;
        if (SegmentsIntersectAt(origin, end, a, b, x, t) && (!found || t < bestT)) {
            found = true;
            bestT = t;
            hit = x;
        }
    }
    return found;
}

} // namespace KIV
