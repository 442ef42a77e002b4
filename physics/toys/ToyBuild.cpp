#include <cmath>
#include "physics/toys/Toy.h"
#include "physics/toys/ToyDeform.h"

// Giving a toy its body: meshing an outline, mass and inertia, placement.

namespace KIV {

namespace {

constexpr float kMeshSpacing = 10.0f;
constexpr float kMinimumMass = 1e-8f;
constexpr float kInitialPenetration = 0.25f;

// Twice the signed shoelace area and the area centroid, in double so that
// large, far-off polygons keep their precision.
bool PolygonCentroid(const Array<VectorF>& p, double& doubleArea, VectorF& centroid)
{
    double a = 0.0, cx = 0.0, cy = 0.0;
    const int32_t n = p.Count();
    for (int32_t i = 0; i < n; ++i) {
        const VectorF& u = p[i];
        const VectorF& v = p[i + 1 == n ? 0 : i + 1];
        const double cross = static_cast<double>(u.mX) * v.mY - static_cast<double>(v.mX) * u.mY;
        a += cross;
        cx += (static_cast<double>(u.mX) + v.mX) * cross;
        cy += (static_cast<double>(u.mY) + v.mY) * cross;
    }
    if (!std::isfinite(a) || std::fabs(a) < 1e-9) return false;
    doubleArea = a;
    centroid = VectorF(static_cast<float>(cx / (3.0 * a)), static_cast<float>(cy / (3.0 * a)));
    return std::isfinite(centroid.mX) && std::isfinite(centroid.mY);
}

} // namespace

void Toy::ComputeMass()
{
    mWeight = mVolumeZ * mArea * mDensity;
    if (!(mWeight >= kMinimumMass)) mWeight = kMinimumMass;
    mInverseMass = 1.0f / mWeight;
    mMomentOfInertia = mGeometry.ComputeMomentOfInertia(mArea, mWeight);
    if (!(mMomentOfInertia >= kMinimumMass)) mMomentOfInertia = kMinimumMass;
    mInverseMoment = 1.0f / mMomentOfInertia;
}

bool Toy::BuildFromPolygon(const VectorF* points, int32_t count, float density, const VectorF& position, float angle,
                           const VectorF& scale, float coreValue)
{
    if (!points || count < 3) return false;
    Array<VectorF> outline;
    if (!outline.Resize(count)) return false;
    for (int32_t i = 0; i < count; ++i) outline[i] = points[i] * scale;

    // The toy's frame has its origin at the centre of mass, and the mesher
    // wants the outline clockwise on screen (positive shoelace sum, y down).
    double doubleArea = 0.0;
    VectorF centroid;
    if (!PolygonCentroid(outline, doubleArea, centroid)) return false;
    for (VectorF& p : outline) p -= centroid;
    if (doubleArea < 0.0)
        for (int32_t i = 0, j = count - 1; i < j; ++i, --j) std::swap(outline[i], outline[j]);

    if (!mGeometry.BuildMesh(outline, kMeshSpacing)) return false;
    if (coreValue > 0.0f) {
        mGeometry.mHullDistance = 0.0f;
        mGeometry.mCoreRadius = coreValue;
    }
    mGeometry.ClassifyCoreEdges();
    mGeometry.MarkCorePoints();
    // Without a picture the texture space is the toy's own frame.
    mGeometry.BuildScaledPoints(VectorF(), VectorF(1.0f, 1.0f));

    mCircleShape = 0;
    mScale = scale;
    mDensity = density;
    const int32_t n = mGeometry.mOutlineCount;
    mLocalOutline.Clear();
    for (int32_t i = 0; i < n; ++i) mLocalOutline.PushBack(mGeometry.mPoints[i]);
    mArea = mGeometry.ComputeOutlineArea();
    RectF bounds(mLocalOutline[0].mX, mLocalOutline[0].mY, mLocalOutline[0].mX, mLocalOutline[0].mY);
    for (const VectorF& p : mLocalOutline) bounds.IncludePoint(p);
    mPictureExtent = bounds.GetSize();
    mPenetrationValues.Resize(n);
    mPenetrationValues.Fill(kInitialPenetration);
    ComputeMass();
    mReferenceWeight = mWeight;
    SetPlacement(position, angle, true);
    return true;
}

void Toy::SetPlacement(const VectorF& position, float angle, bool resetFlag)
{
    mPosition = position;
    mOrientation = angle;
    mPredictedPosition = position;
    mPredictedOrientation = angle;
    mVelocity = VectorF();
    mAngularVelocity = 0.0f;
    mVelocityAfterImpulses = VectorF();
    mAngularVelocityAfterImpulses = 0.0f;
    mAcceleration = VectorF();

    // A placed toy starts without pending dents; a reset also takes back its old dents.
    ResetDeformation(mGeometry, resetFlag);
    mMomentOfInertia = mGeometry.ComputeMomentOfInertia(mArea, mWeight);
    if (!(mMomentOfInertia >= kMinimumMass)) mMomentOfInertia = kMinimumMass;
    mInverseMoment = 1.0f / mMomentOfInertia;

    const int32_t n = mLocalOutline.Count();
    mOutline.SetCapacity(n + 1, n);
    for (int32_t i = 0; i < n; ++i) mOutline[i] = mLocalOutline[i];
    mCarriedOutline.Resize(n);
    mCarriedOutline.FillZero();
    mDeformationVectors.Resize(n);
    mDeformationVectors.FillZero();
    mPredictedOutline.SetCapacity(n + 1, n);
    mPredictedOutline.FillZero();
    mPointRecords.Resize(n);
    for (PointInsideRecord& r : mPointRecords) r = PointInsideRecord{};
    mPointContacts.Clear();
    mContactList2.Clear();
    mContactList2.SetGrowBy(32);
    mLineContacts.Clear();

    for (int32_t i = 0; i < n; ++i) mOutline[i] = mOutline[i].GetRotatedClockwise(angle) + position;
    if (n > 0) {
        mOutline.Data()[n] = mOutline[0];
        mPredictedOutline.Data()[n] = mOutline[0];
    }
}

} // namespace KIV
