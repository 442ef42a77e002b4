#include <cmath>
#include "base/MathUtil.h"
#include "physics/geometry/TracedGeometry.h"

namespace KIV {

namespace {

// A zero or negative length would divide by zero later: it counts as 1.
float SafeLength(float length) { return length > 0.0f ? length : 1.0f; }

int32_t NextOutlinePoint(int32_t i, int32_t n) { return i + 1 < n ? i + 1 : 0; }

} // namespace

void TracedGeometry::BuildPointEdgeLists()
{
    const int32_t edges = mInnerEdges.Count();
    if (!mPointEdges.Init(2 * edges, mPoints.Count()) || !mPointEdgeEntries.Resize(2 * edges)) return;
    for (int32_t e = 0; e < edges; ++e) {
        const int32_t na = mPointEdges.Add(mInnerEdges[e].mA);
        if (na >= 0) mPointEdgeEntries[na] = e;
        const int32_t nb = mPointEdges.Add(mInnerEdges[e].mB);
        if (nb >= 0) mPointEdgeEntries[nb] = e;
    }
}

void TracedGeometry::BuildPointTriangleLists()
{
    const int32_t triangles = mTriangles.Count();
    if (!mPointTriangles.Init(3 * triangles, mPoints.Count()) || !mPointTriangleEntries.Resize(3 * triangles)) return;
    // All first corners, then all second corners, then all third corners.
    for (int32_t corner = 0; corner < 3; ++corner)
        for (int32_t t = 0; t < triangles; ++t) {
            const IndexTriangle& tri = mTriangles[t];
            const int32_t point = corner == 0 ? tri.mA : (corner == 1 ? tri.mB : tri.mC);
            const int32_t node = mPointTriangles.Add(point);
            if (node >= 0) mPointTriangleEntries[node] = t;
        }
}

void TracedGeometry::ComputeTriangleAreas()
{
    const int32_t triangles = mTriangles.Count();
    mTotalArea = 0.0f;
    if (!mTriangleAreas.Resize(triangles)) return;
    for (int32_t t = 0; t < triangles; ++t) {
        const VectorF& a = mPoints[mTriangles[t].mA];
        const float area = AbsF(Cross(mPoints[mTriangles[t].mB] - a, mPoints[mTriangles[t].mC] - a)) * 0.5f;
        mTriangleAreas[t] = area;
        mTotalArea += area;
    }
}

void TracedGeometry::BuildSprings()
{
    mSpringsBuilt = 1;
    const int32_t points = mPoints.Count();
    if (mDentVelocities.Resize(points)) mDentVelocities.FillZero();
    if (mDentForces.Resize(points)) mDentForces.FillZero();
    const int32_t edges = mInnerEdges.Count();
    if (!mSprings.SetCapacity(edges + mOutlineCount, 0)) return;
    const auto add = [&](int32_t a, int32_t b) {
        ToyLink link;
        link.mA = a;
        link.mB = b;
        link.mRestLength = SafeLength((mPoints[a] - mPoints[b]).GetLength());
        link.mInvRestLength = 1.0f / link.mRestLength;
        mSprings.PushBack(link);
    };
    for (int32_t e = 0; e < edges; ++e) add(mInnerEdges[e].mA, mInnerEdges[e].mB);
    for (int32_t i = 0; i < mOutlineCount; ++i) add(i, NextOutlinePoint(i, mOutlineCount));
}

void TracedGeometry::ComputeInverseEdgeLengths()
{
    const int32_t edges = mInnerEdges.Count();
    if (mInnerEdgeInvLengths.Resize(edges))
        for (int32_t e = 0; e < edges; ++e)
            mInnerEdgeInvLengths[e] =
                1.0f / SafeLength((mPoints[mInnerEdges[e].mB] - mPoints[mInnerEdges[e].mA]).GetLength());
    if (mOutlineEdgeInvLengths.Resize(mOutlineCount))
        for (int32_t i = 0; i < mOutlineCount; ++i)
            mOutlineEdgeInvLengths[i] =
                1.0f / SafeLength((mPoints[NextOutlinePoint(i, mOutlineCount)] - mPoints[i]).GetLength());
}

void TracedGeometry::ComputeBoundingRadius()
{
    if (mPoints.Count() < 3) return;
    float largest = 0.0f;
    for (const VectorF& p : mPoints) {
        const float d = p.GetLengthSquared();
        if (d > largest) largest = d;
    }
    mBoundingRadius = SqrtF(largest);
}

void ComputeOutlineAngles(const VectorF* points, int32_t count, Array<float>& angles)
{
    if (count < 1 || !angles.Resize(count)) return;
    for (int32_t i = 1; i < count; ++i)
        angles[i] = std::atan2(points[i].mY - points[i - 1].mY, points[i].mX - points[i - 1].mX);
    angles[0] = std::atan2(points[0].mY - points[count - 1].mY, points[0].mX - points[count - 1].mX);
}

void TracedGeometry::StoreRestShape()
{
    mRestPoints.Assign(mPoints);
    mRestPoints.SetCapacity(mPoints.Count(), mPoints.Count());
    ComputeOutlineAngles(mRestPoints.Data(), mOutlineCount, mRestOutlineAngles);
    mOutlineAngles.Assign(mRestOutlineAngles);
}

float TracedGeometry::ComputeOutlineArea() const
{
    float sum = 0.0f;
    for (int32_t i = 0; i < mOutlineCount; ++i) sum += Cross(mPoints[i], mPoints[NextOutlinePoint(i, mOutlineCount)]);
    return AbsF(sum) * 0.5f;
}

VectorF TracedGeometry::ComputeOutlineCentroid(float area) const
{
    VectorF sum;
    float twiceSigned = 0.0f;
    for (int32_t i = 0; i < mOutlineCount; ++i) {
        const VectorF& p = mPoints[i];
        const VectorF& q = mPoints[NextOutlinePoint(i, mOutlineCount)];
        const float c = Cross(p, q);
        sum += (p + q) * c;
        twiceSigned += c;
    }
    if (area == 0.0f) {
        VectorF mean;
        if (mOutlineCount < 1) return mean;
        for (int32_t i = 0; i < mOutlineCount; ++i) mean += mPoints[i];
        return mean / float(mOutlineCount);
    }
    // The sum carries the outline's orientation; dividing by the signed area
    // cancels it, so a mirrored outline gets the same centroid as its mirror image.
    const float signedArea = twiceSigned < 0.0f ? -AbsF(area) : AbsF(area);
    return sum / (6.0f * signedArea);
}

void TracedGeometry::ClassifyCoreEdges()
{
    const int32_t edges = mInnerEdges.Count();
    if (!mCoreEdgeFlags.Resize(edges)) return;
    for (int32_t e = 0; e < edges; ++e) mCoreEdgeFlags[e] = 1;

    const float d = mHullDistance;
    if (d > 0.0f) {
        // Whether each point is near the outline, decided once per point.
        Array<uint8_t> near;
        if (!near.Resize(mPoints.Count())) return;
        for (int32_t i = 0; i < mPoints.Count(); ++i) {
            const VectorF& p = mPoints[i];
            near[i] = 0;
            for (int32_t k = 0; k < mOutlineCount; ++k) {
                const VectorF diff = mPoints[k] - p;
                const float ax = AbsF(diff.mX), ay = AbsF(diff.mY);
                if ((ax < ay ? ax : ay) <= d && diff.GetLength() < d) {
                    near[i] = 1;
                    break;
                }
            }
        }
        for (int32_t e = 0; e < edges; ++e)
            if (near[mInnerEdges[e].mA] && near[mInnerEdges[e].mB]) mCoreEdgeFlags[e] = 0;
    }
    const float r = mCoreRadius;
    if (r > 0.0f) {
        const float r2 = r * r;
        for (int32_t e = 0; e < edges; ++e)
            if (mPoints[mInnerEdges[e].mA].GetLengthSquared() > r2 && mPoints[mInnerEdges[e].mB].GetLengthSquared() > r2)
                mCoreEdgeFlags[e] = 0;
    }
}

void TracedGeometry::MarkCorePoints()
{
    if (!mCorePointFlags.Resize(mPoints.Count())) return;
    mCorePointFlags.FillZero();
    const int32_t edges = mInnerEdges.Count() < mCoreEdgeFlags.Count() ? mInnerEdges.Count() : mCoreEdgeFlags.Count();
    for (int32_t e = 0; e < edges; ++e)
        if (mCoreEdgeFlags[e] == 1) {
            mCorePointFlags[mInnerEdges[e].mA] = 1;
            mCorePointFlags[mInnerEdges[e].mB] = 1;
        }
}

} // namespace KIV
