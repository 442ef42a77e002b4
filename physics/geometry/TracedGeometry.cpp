#include "physics/geometry/TracedGeometry.h"
#include <cmath>
#include <cstring>
#include <utility>
#include "base/PointList.h"
#include "physics/geometry/OutlineMesher.h"

namespace KIV {

namespace {

// Calls f(a.list, b.list) for every list of the two records, in field order.
// Both records are of the same type; b may be const.
template <typename A, typename B, typename F>
void ForEachListPair(A& a, B& b, F&& f)
{
    f(a.mPoints, b.mPoints);
    f(a.mRestPoints, b.mRestPoints);
    f(a.mOutlineAngles, b.mOutlineAngles);
    f(a.mRestOutlineAngles, b.mRestOutlineAngles);
    f(a.mScaledPoints, b.mScaledPoints);
    f(a.mInnerEdges, b.mInnerEdges);
    f(a.mTriangles, b.mTriangles);
    f(a.mPointTriangleEntries, b.mPointTriangleEntries);
    f(a.mPointEdgeEntries, b.mPointEdgeEntries);
    f(a.mEdgeTriangles, b.mEdgeTriangles);
    f(a.mTriangleAreas, b.mTriangleAreas);
    f(a.mInnerEdgeInvLengths, b.mInnerEdgeInvLengths);
    f(a.mOutlineEdgeInvLengths, b.mOutlineEdgeInvLengths);
    f(a.mCoreEdgeFlags, b.mCoreEdgeFlags);
    f(a.mCorePointFlags, b.mCorePointFlags);
    f(a.mSprings, b.mSprings);
    f(a.mDentVelocities, b.mDentVelocities);
    f(a.mDentForces, b.mDentForces);
    f(a.mSavedDentForces, b.mSavedDentForces);
    f(a.mSnapshotPoints, b.mSnapshotPoints);
    f(a.mElasticLinks, b.mElasticLinks);
    f(a.mElasticVelocities, b.mElasticVelocities);
    f(a.mElasticForces, b.mElasticForces);
    f(a.mElasticForceMin, b.mElasticForceMin);
    f(a.mElasticForceMax, b.mElasticForceMax);
    f(a.mElasticScratch, b.mElasticScratch);
    f(a.mStageStartPositions, b.mStageStartPositions);
    f(a.mStageStartVelocities, b.mStageStartVelocities);
    for (int i = 0; i < 4; ++i) {
        f(a.mStagePositions[i], b.mStagePositions[i]);
        f(a.mStageVelocities[i], b.mStageVelocities[i]);
    }
    f(a.mIntOutline, b.mIntOutline);
    f(a.mRingEdgeVectors, b.mRingEdgeVectors);
    f(a.mReflexFlags, b.mReflexFlags);
    f(a.mRing, b.mRing);
    f(a.mRingEdges, b.mRingEdges);
    f(a.mFlipQueued, b.mFlipQueued);
    f(a.mFlipQueue, b.mFlipQueue);
    f(a.mCrackPoints, b.mCrackPoints);
    f(a.mPiecePairs, b.mPiecePairs);
    f(a.mEdgeClasses, b.mEdgeClasses);
    f(a.mTriangleClasses, b.mTriangleClasses);
    f(a.mCrackEdges, b.mCrackEdges);
    f(a.mOnCrack, b.mOnCrack);
}

// The copy rule of geometry records: the destination takes the source's
// growth step when positive, and exactly the source's count as capacity.
template <typename T>
void CopyList(Array<T>& dst, const Array<T>& src)
{
    if (&dst == &src) return;
    if (src.GetGrowBy() > 0) dst.SetGrowBy(src.GetGrowBy());
    if (!dst.SetCapacity(src.Count(), src.Count())) return;
    if (src.Count() > 0) std::memcpy(static_cast<void*>(dst.Data()), src.Data(), sizeof(T) * size_t(src.Count()));
}

// Coordinates must be finite and small enough for the integer copy of the
// outline and for squared lengths to stay finite.
bool IsUsableCoordinate(float v) { return std::isfinite(v) && std::fabs(v) <= 1.0e9f; }

} // namespace

void CopyKeyedListPool(KeyedListPool& destination, const KeyedListPool& source)
{
    if (&destination != &source) destination = source;
}

void TracedGeometry::Init()
{
    Free();
    mOutlineCount = 0;
    mPoints.SetGrowBy(1);
    mTotalArea = 0.0f;
    mBoundingRadius = 1.0f;
    mHullDistance = 8.0f;
    mCoreRadius = 0.0f;
    mSpringsBuilt = 0;
    mDeformedHowMuch = 0.0f;
    mDeformedCount = 0;
    mPlasticKeepArea = 0;
    mNearDentRadius = 15.0f;
    mFarDentRadius = 0.0f;
    mLinksBuilt = 0;
    mElasticLinks.SetGrowBy(64);
    mForcesByMinMax = 0;
    mTimeScale = 1.0f;
    mVectoredSprings = 0;
    mFourthOrder = 0;
    mVelocitySmoothing = 0.0f;
    mGlobalStiffness = 1.0f;
    for (LinkFamily& f : mLinkFamilies) f = LinkFamily();
    mLinkFamilies[kLinkMesh].mEnabled = 1;
    mImpactScale = 0.0005f;
    mImpactRadius = 50.0f;
    mInvImpactRadius = 0.02f;
    mImpactRadiusSq = 2500.0f;
    mInvImpactRadiusSq = 0.0004f;
    mFalloffMode = 0;
    mDamping = 0.99f;
    mDistPlusVelocityMul = 0.0f;
    mElasticReserved = 0.0f;
    mElasticKeepArea = 0;
    mFrequency = 200.0f;
    mSubStepPeriod = 1.0f / 200.0f;
    mTimeAccumulator = 0.0f;
    mBreakValue1 = 0.0f;
    mBreakValue2 = 0.0f;
}

void TracedGeometry::Free()
{
    ForEachListPair(*this, *this, [](auto& list, auto&) { list.Free(); });
    mPointTriangles = KeyedListPool();
    mPointEdges = KeyedListPool();
}

void TracedGeometry::CopyFrom(const TracedGeometry& src)
{
    if (&src == this) return;
    mOutlineCount = src.mOutlineCount;
    ForEachListPair(*this, src, [](auto& dst, const auto& from) { CopyList(dst, from); });
    CopyKeyedListPool(mPointTriangles, src.mPointTriangles);
    CopyKeyedListPool(mPointEdges, src.mPointEdges);

    mTotalArea = src.mTotalArea;
    mBoundingRadius = src.mBoundingRadius;
    mHullDistance = src.mHullDistance;
    mCoreRadius = src.mCoreRadius;
    mSpringsBuilt = src.mSpringsBuilt;
    mDeformedHowMuch = src.mDeformedHowMuch;
    mDeformedCount = src.mDeformedCount;
    mPlasticKeepArea = src.mPlasticKeepArea;
    mNearDentRadius = src.mNearDentRadius;
    mFarDentRadius = src.mFarDentRadius;
    mLinksBuilt = src.mLinksBuilt;
    mForcesByMinMax = src.mForcesByMinMax;
    mTimeScale = src.mTimeScale;
    mVectoredSprings = src.mVectoredSprings;
    mFourthOrder = src.mFourthOrder;
    mVelocitySmoothing = src.mVelocitySmoothing;
    mGlobalStiffness = src.mGlobalStiffness;
    for (int i = 0; i < kLinkFamilyCount; ++i) mLinkFamilies[i] = src.mLinkFamilies[i];
    mImpactScale = src.mImpactScale;
    mImpactRadius = src.mImpactRadius;
    mInvImpactRadius = src.mInvImpactRadius;
    mImpactRadiusSq = src.mImpactRadiusSq;
    mInvImpactRadiusSq = src.mInvImpactRadiusSq;
    mFalloffMode = src.mFalloffMode;
    mDamping = src.mDamping;
    mDistPlusVelocityMul = src.mDistPlusVelocityMul;
    mElasticReserved = src.mElasticReserved;
    mElasticKeepArea = src.mElasticKeepArea;
    mFrequency = src.mFrequency;
    mSubStepPeriod = src.mSubStepPeriod;
    mTimeAccumulator = src.mTimeAccumulator;
    mBreakValue1 = src.mBreakValue1;
    mBreakValue2 = src.mBreakValue2;
}

void TracedGeometry::TakeMeshFrom(TracedGeometry& built)
{
    ForEachListPair(*this, built, [](auto& dst, auto& from) { dst = std::move(from); });
    mPointTriangles = std::move(built.mPointTriangles);
    mPointEdges = std::move(built.mPointEdges);
    mOutlineCount = built.mOutlineCount;
    mTotalArea = built.mTotalArea;
    mBoundingRadius = built.mBoundingRadius;
    mSpringsBuilt = built.mSpringsBuilt;
    // The elastic links described the old mesh; they are rebuilt on demand.
    mLinksBuilt = 0;
}

bool TracedGeometry::SetOutline(const Array<VectorF>& outline)
{
    const int32_t n = outline.Count();
    if (n < 3 || n > kMaxMeshPoints) return false;
    for (const VectorF& p : outline)
        if (!IsUsableCoordinate(p.mX) || !IsUsableCoordinate(p.mY)) return false;

    const int32_t innerEdges = n - 3;
    const int32_t triangles = n - 2;
    const int32_t queueCapacity = innerEdges > 256 ? innerEdges : 256;
    mFlipQueued.SetGrowBy(256);
    mFlipQueue.SetGrowBy(256);
    if (!mPoints.Resize(n) || !mIntOutline.Resize(n) || !mRingEdgeVectors.Resize(n) || !mReflexFlags.Resize(n) ||
        !mRing.Resize(n) || !mRingEdges.Resize(n) || !mInnerEdges.SetCapacity(innerEdges, 0) ||
        !mEdgeTriangles.SetCapacity(triangles, 0) || !mTriangles.SetCapacity(triangles, 0) ||
        !mFlipQueued.SetCapacity(queueCapacity, innerEdges) || !mFlipQueue.SetCapacity(queueCapacity, innerEdges)) {
        FreeTriangulationScratch();
        return false;
    }
    mOutlineCount = n;
    for (int32_t i = 0; i < n; ++i) {
        mPoints[i] = outline[i];
        mIntOutline[i] = VectorI(int32_t(outline[i].mX), int32_t(outline[i].mY));
    }
    // Every inner edge the clipping will make starts queued, edge 0 at the head.
    for (int32_t i = 0; i < innerEdges; ++i) {
        mFlipQueued[i] = 1;
        mFlipQueue[i] = innerEdges - 1 - i;
    }
    return true;
}

void TracedGeometry::FreeTriangulationScratch()
{
    mIntOutline.Free();
    mRingEdgeVectors.Free();
    mReflexFlags.Free();
    mRing.Free();
    mRingEdges.Free();
    mFlipQueued.Free();
    mFlipQueue.Free();
}

bool TracedGeometry::BuildMesh(const Array<VectorF>& outline, float spacing)
{
    if (outline.Count() < 3) return false;
    // Built aside and taken over whole, so a build that fails half-way leaves
    // this record as it was.
    TracedGeometry built;
    if (!built.SetOutline(outline)) return false;
    OutlineMesher mesher(built);
    const bool meshed = mesher.Triangulate(spacing);
    built.FreeTriangulationScratch();
    if (!meshed) return false;
    built.mPoints.SetGrowBy(32);

    built.BuildPointEdgeLists();
    built.BuildPointTriangleLists();
    built.ComputeTriangleAreas();
    built.BuildSprings();
    built.ComputeInverseEdgeLengths();
    built.ComputeBoundingRadius();
    built.StoreRestShape();
    TakeMeshFrom(built);
    return true;
}

void TracedGeometry::BuildScaledPoints(const VectorF& offset, const VectorF& scale)
{
    CopyList(mScaledPoints, mPoints);
    TranslatePoints(mScaledPoints.Data(), mScaledPoints.Count(), offset);
    ScalePoints(mScaledPoints.Data(), mScaledPoints.Count(), scale);
}

int32_t TracedGeometry::FirstPointTriangleNode(int32_t point) const
{
    return point >= 0 && point < mPointTriangles.GetKeyCount() ? mPointTriangles.GetHead(point) : -1;
}

int32_t TracedGeometry::FirstPointEdgeNode(int32_t point) const
{
    return point >= 0 && point < mPointEdges.GetKeyCount() ? mPointEdges.GetHead(point) : -1;
}

} // namespace KIV
