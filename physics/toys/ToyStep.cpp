#include <algorithm>
#include <utility>
#include "base/MathUtil.h"
#include "base/PointList.h"
#include "physics/contacts/Contacts.h"
#include "physics/joints/Joint.h"
#include "physics/geometry/SegmentIntersection.h"
#include "physics/grid/SpatialGrid.h"
#include "physics/toys/Toy.h"

// The toy's own share of the scene step's stages. Every function here writes
// only its own toy (the joint wake-up excepted), so the scene runs most of
// them as parallel loops over the toy list.

namespace KIV {

namespace {

constexpr float kBalancerStrength = 1000.0f;
constexpr float kSleepSpeedSquared = 40.0f;
constexpr float kSleepAngularSpeed = 0.15f;
constexpr int32_t kPointsForQueryRun = 8;  // fewer, and the point contacts query the grid one path at a time

VectorF TurnedLever(const VectorF& point, const VectorF& centre)
{
    return {-(point.mY - centre.mY), point.mX - centre.mX};
}

int32_t NextIndex(int32_t i, int32_t n) { return i + 1 == n ? 0 : i + 1; }

// The element after the last repeats point 0, so edge loops may read i + 1.
void CloseLoop(Array<VectorF>& points)
{
    const int32_t n = points.Count();
    if (n > 0 && points.Capacity() > n) points.Data()[n] = points[0];
}

// Where the toy's outline edge i crosses the segment a-b; false when it no longer does.
bool EdgeCrossing(const Toy& toy, int32_t edge, const VectorF& a, const VectorF& b, VectorF& crossing)
{
    const int32_t n = toy.mOutline.Count();
    if (edge < 0 || edge >= n) return false;
    return SegmentsIntersectPoint(toy.mOutline[edge], toy.mOutline[NextIndex(edge, n)], a, b, crossing);
}

// How far the stretch of outline points after first up to last reaches
// beyond the chord a-b, counting only points that lie over the chord.
float PenetrationDepth(const Toy& toy, int32_t first, int32_t last, const VectorF& a, const VectorF& b)
{
    const int32_t n = toy.mOutline.Count();
    const VectorF chord = b - a;
    const float chordSquared = chord.GetLengthSquared();
    if (first == last || chordSquared == 0.0f) return 0.0f;
    float best = -1.0f;
    int32_t k = first;
    do {
        k = NextIndex(k, n);
        const VectorF& p = toy.mOutline[k];
        const float t = Dot(p - a, chord) / chordSquared;
        if (t < 0.0f || t > 1.0f) continue;
        const float d = (p - (a + chord * t)).GetLengthSquared();
        if (d > best) best = d;
    } while (k != last);
    return best < 0.0f ? 0.0f : SqrtF(best);
}

// Steps from one index to another along a loop of n.
int32_t RunLength(int32_t from, int32_t to, int32_t n) { return ((to - from) % n + n) % n; }

void PlacePredictedOutline(Toy& toy)
{
    const int32_t n = toy.mOutline.Count();
    if (n == 0 || toy.mGeometry.mPoints.Count() < n) return;
    if (toy.mCarriedOutline.Count() != n) toy.mCarriedOutline.Resize(n);
    if (toy.mDeformationVectors.Count() != n) toy.mDeformationVectors.Resize(n);
    if (toy.mPredictedOutline.Count() != n) toy.mPredictedOutline.SetCapacity(n + 1, n);
    const SinCos turn = MakeSinCos(toy.mPredictedOrientation - toy.mOrientation);
    const SinCos pose = MakeSinCos(toy.mPredictedOrientation);
    const VectorF* mesh = toy.mGeometry.mPoints.Data();
    for (int32_t i = 0; i < n; ++i) {
        const VectorF d = toy.mOutline[i];
        // E: the point carried rigidly; R: the mesh's point at the predicted pose.
        VectorF e = RotatedBy(d - toy.mPosition, turn) + toy.mPredictedPosition;
        VectorF r = RotatedBy(mesh[i], pose) + toy.mPredictedPosition;
        r = r - e;  // how far the deformation moves the point beyond the rigid motion
        e = e - d;  // the point's rigid displacement
        e = e + r;
        toy.mCarriedOutline[i] = e;
        toy.mDeformationVectors[i] = r;
        toy.mPredictedOutline[i] = d + e;
    }
    CloseLoop(toy.mPredictedOutline);
}

} // namespace

void Toy::BeginStep(const VectorF& gravity)
{
    mGravity = gravity;
    ApplyBalancer();
    ProcessImpacts();
    StepElastic();
}

bool Toy::SharesStepStart() const { return !mJoints.IsEmpty() || !mParticleSystems.IsEmpty(); }

void Toy::IntegrateAndCollectLineContacts(const SpatialGrid& grid, GridQueryContext& context, uint64_t pass)
{
    IntegrateToy(*this);
    CollectCrossingsWithMemo(*this, grid, context, pass);
}

void Toy::ApplyBalancer()
{
    if (mBalancer && mBalancerNeedsRobot && !mOwningRobot) mBalancer = 0;
    if (!mBalancer) return;
    // Turned back towards orientation 0 the shorter way round.
    const float a = WrapAngle(mPredictedOrientation, 0.0f, kTwoPi);
    if (a < kPi)
        mTorque -= a * kBalancerStrength;
    else
        mTorque += (kTwoPi - a) * kBalancerStrength;
}

// Impact processing (dents and hits) and the elastic step live with the
// deformation code: Toy::ProcessImpacts and Toy::StepElastic in ToyBreak.cpp.

void Toy::BuildPenetrationContacts(const SpatialGrid& grid)
{
    mPenetrationContacts.Clear();
    const int32_t n = mOutline.Count();
    const int32_t count = mLineContacts.Count();
    for (int32_t k = 0; k < count; ++k) {
        const ContactRecord& entry = mLineContacts[k];
        if (!entry.mEntering || entry.mLink < 0 || entry.mLink >= count) continue;
        const ContactRecord& exit = mLineContacts[entry.mLink];
        PenetrationRecord r;
        if (entry.mStaticSegment >= 0) {
            if (exit.mStaticSegment < 0) continue;
            const StaticSegment& s0 = grid.GetStaticSegment(entry.mStaticSegment);
            const StaticSegment& s1 = grid.GetStaticSegment(exit.mStaticSegment);
            if (!EdgeCrossing(*this, entry.mEdgeIndex, s0.mStart, s0.mEnd, r.mEdgeStart) ||
                !EdgeCrossing(*this, exit.mEdgeIndex, s1.mStart, s1.mEnd, r.mEdgeEnd))
                continue;
        } else {
            Toy* other = entry.mPartnerToy;
            if (!other || exit.mPartnerToy != other) continue;
            const int32_t m = other->mOutline.Count();
            if (entry.mPartnerPoint < 0 || entry.mPartnerPoint >= m || exit.mPartnerPoint < 0 ||
                exit.mPartnerPoint >= m)
                continue;
            if (!EdgeCrossing(*this, entry.mEdgeIndex, other->mOutline[entry.mPartnerPoint],
                              other->mOutline[NextIndex(entry.mPartnerPoint, m)], r.mEdgeStart) ||
                !EdgeCrossing(*this, exit.mEdgeIndex, other->mOutline[exit.mPartnerPoint],
                              other->mOutline[NextIndex(exit.mPartnerPoint, m)], r.mEdgeEnd))
                continue;
            // The two outlines bound the overlap between the crossings: this
            // toy from entry to exit, the partner from the exit edge round to
            // the entry edge. A run over most of an outline is a mis-pairing.
            if (RunLength(entry.mEdgeIndex, exit.mEdgeIndex, n) > n * 2 / 3 ||
                RunLength(exit.mPartnerPoint, entry.mPartnerPoint, m) > m * 2 / 3)
                continue;
            r.mPartner = other;
            r.mPartnerEdgeA = entry.mPartnerPoint;
            r.mPartnerEdgeB = exit.mPartnerPoint;
        }
        r.mFirstPoint = entry.mEdgeIndex;
        r.mLastPoint = exit.mEdgeIndex;
        r.mDepth = PenetrationDepth(*this, r.mFirstPoint, r.mLastPoint, r.mEdgeStart, r.mEdgeEnd);
        r.mSharedDepth = r.mDepth;
        mPenetrationContacts.PushBack(r);
    }
}

void Toy::ShareDepths()
{
    for (PenetrationRecord& r : mPenetrationContacts) {
        if (!r.mPartner) continue;
        // The partner's record of the same overlap crossed this toy's entry and exit edges.
        for (const PenetrationRecord& o : r.mPartner->mPenetrationContacts) {
            if (o.mPartner != this) continue;
            if ((o.mPartnerEdgeA == r.mFirstPoint && o.mPartnerEdgeB == r.mLastPoint) ||
                (o.mPartnerEdgeA == r.mLastPoint && o.mPartnerEdgeB == r.mFirstPoint)) {
                r.mSharedDepth += o.mDepth;
                break;
            }
        }
    }
}

void Toy::CollectPointContacts(const SpatialGrid& grid, GridQueryContext& context)
{
    // A resting toy's paths would find the last step's contacts again.
    if (TakeKeptPointContacts(*this, grid, context)) return;
    mPointContacts.Clear();
    const int32_t n = std::min(mOutline.Count(), mPredictedOutline.Count());
    GridSegmentQuery q;
    q.mTestToys = mDontBounceOffToys == 0;
    q.mMover = GridMover::kToy;
    q.mExcludedToy = this;
    q.mExcludedRobot = mDontBounceOffRobotLinked ? mOwningRobot : nullptr;
    // Neighbouring points' paths of a toy of many points mostly lie in one
    // cell: a run tests that cell's candidates once copied out. The points of
    // a toy of a few lie cells apart, where copies would not be used again.
    GridQueryRun run(grid, context);
    const bool inRun = n >= kPointsForQueryRun;
    for (int32_t i = n - 1; i >= 0; --i) {
        q.mFrom = mOutline[i];
        q.mTo = mPredictedOutline[i];
        GridSegmentHit hit;
        if (!(inRun ? run.QuerySegment(q, hit) : grid.QuerySegment(q, context, hit))) continue;
        ContactRecord c;
        c.mPointIndex = i;
        c.mTimeFraction = hit.mT;
        c.mPoint = hit.mPoint;
        c.mTarget = hit.mPoint;
        c.mLever = TurnedLever(hit.mPoint, mPosition);
        if (hit.mStaticSegment >= 0) {
            const StaticSegment& s = grid.GetStaticSegment(hit.mStaticSegment);
            c.mStaticSegment = hit.mStaticSegment;
            c.mStaticOwner = s.mOwner;
            c.mNormal = OutsideNormal(s.mDirection);
            c.mRestitution = -(mRestitutionWithTerrain + 1.0f);
            c.mMorph = std::max(mSlippery, s.mSlippery);
        } else {
            Toy& other = *hit.mToy;
            const int32_t m = other.mOutline.Count();
            const int32_t j = hit.mToyPoint;
            c.mPartnerToy = &other;
            c.mPartnerPoint = j;
            c.mPartnerLever = TurnedLever(hit.mPoint, other.mPosition);
            c.mNormal = OutsideNormal(other.mOutline[NextIndex(j, m)] - other.mOutline[j]);
            c.mRestitution = -(std::min(mRestitution, other.mRestitution) + 1.0f);
            c.mMorph = std::max(mSlippery, other.mSlippery);
            c.mInverseMassSum = mInverseMass + other.mInverseMass;
        }
        mPointContacts.PushBack(c);
    }
}

bool Toy::WakeByJoints()
{
    bool woke = false;
    for (int32_t k = mJoints.Count() - 1; k >= 0; --k) {
        Joint* joint = mJoints[k];
        if (!joint || !joint->mChanged) continue;
        if (joint->mToyA) joint->mToyA->Wake();
        if (joint->mToyB) joint->mToyB->Wake();
        woke = true;
    }
    return woke;
}

void Toy::ApplyPointForce(int32_t point, const VectorF& force)
{
    if (point < 0 || point >= mOutline.Count()) return;
    // A zero force would make the share below 0/0 and carry NaN into the impulses.
    if (force.IsZero()) return;
    Wake();
    const VectorF a = force * (mStepLength * mInverseMass);
    const VectorF& p = mOutline[point];
    const float c = a.mX * (p.mY - mPosition.mY) - a.mY * (p.mX - mPosition.mX);
    const float aa = a.GetLengthSquared();
    const float den = mInverseMoment * c * c + aa * mInverseMass;
    if (!(den > 0.0f)) return;
    VelocityChangeRecord r;
    r.mPointIndex = point;
    r.mChange = a * (aa / den);
    mVelocityChanges.PushBack(r);
    GatherPendingImpulse(*this, r.mChange, 0.0f);
}

void Toy::PredictPose()
{
    mStepDisplacement = mVelocityAfterImpulses * mStepLength;
    mStepAngle = mAngularVelocityAfterImpulses * mStepLength;
    mPredictedPosition = mPosition + mStepDisplacement;
    mPredictedOrientation = mOrientation + mStepAngle;
}

void Toy::BuildPredictedOutline()
{
    PlacePredictedOutline(*this);
    NotePointContactInputs(*this);
}

void Toy::SleepAndCommit(bool sleepingEnabled, const SpatialGrid& grid, GridQueryContext& context)
{
    ApplyPendingImpulses(*this);
    if (sleepingEnabled)
        UpdateSleepState();
    else
        mSleeping = 0;
    if (mSleeping) return;
    std::swap(mOutline, mPredictedOutline);
    const int32_t n = mOutline.Count();
    for (const ContactRecord& c : mPointContacts)
        if (c.mPointIndex >= 0 && c.mPointIndex < n) mOutline[c.mPointIndex] = c.mTarget;
    if (mPredictedOutline.Count() == n) HoldOutlineOutOfTerrain(grid, context);
    CloseLoop(mOutline);
    mPosition = mPredictedPosition;
    mOrientation = mPredictedOrientation;
}

void Toy::HoldOutlineOutOfTerrain(const SpatialGrid& grid, GridQueryContext& context)
{
    // The points' paths were swept in stage 6 at the pose before the
    // impulses, which may have turned the pose round since. A point that
    // goes into terrain unseen is found by the crossings of its outline's
    // edges and pushed back out, as long as some point stays outside. When
    // every point would go in at once, as a piece of a few points thrown
    // down by the toys around it can, no edge would cross the terrain and
    // nothing would bring it back: its points stop in front of it instead.
    const VectorF* from = mPredictedOutline.Data();  // where this step's moves started
    const int32_t n = mOutline.Count();
    for (int32_t i = 0; i < n; ++i) {
        VectorF to = mOutline[i];
        if (!StopInFrontOfTerrain(grid, context, from[i], to)) return;
    }
    for (int32_t i = 0; i < n; ++i) StopInFrontOfTerrain(grid, context, from[i], mOutline[i]);
}

void Toy::UpdateSleepState()
{
    if (!mAllowSleep || (mDenySleepIfJointed && mJoints.Count() > 0)) {
        mSleeping = 0;
        return;
    }
    const bool touching = mPointContacts.Count() > 0 || mLineContacts.Count() > 0 ||
                          mPenetrationContacts.Count() > 0 || mJoints.Count() > 0;
    if (touching && mVelocityAfterImpulses.GetLengthSquared() < kSleepSpeedSquared &&
        AbsF(mAngularVelocityAfterImpulses) < kSleepAngularSpeed) {
        if (mSleepCounter < mSleepDelay) ++mSleepCounter;
        if (mSleepCounter >= mSleepDelay) mSleeping = 1;
        return;
    }
    mSleepCounter = 0;
    mSleeping = 0;
}

void Toy::RefreshBounds()
{
    const int32_t n = mOutline.Count();
    if (n == 0) return;
    RectF b(mOutline[0].mX, mOutline[0].mY, mOutline[0].mX, mOutline[0].mY);
    for (int32_t i = 1; i < n; ++i) b.IncludePoint(mOutline[i]);
    mBounds = b;
}

void Toy::RecordVelocityHistory()
{
    if (++mHistoryIndex >= kHistoryLength) mHistoryIndex = 0;
    mVelocityHistory[mHistoryIndex] = mVelocityAfterImpulses;
    mAngularVelocityHistory[mHistoryIndex] = mAngularVelocityAfterImpulses;
}

void Toy::UpdateMeasuredMaxima()
{
    mMaxSpeedSquared = std::max(mMaxSpeedSquared, mVelocity.GetLengthSquared());
    mMaxVelocityPlusX = std::max(mMaxVelocityPlusX, mVelocity.mX);
    mMaxVelocityPlusY = std::max(mMaxVelocityPlusY, mVelocity.mY);
    mMaxVelocityMinusX = std::min(mMaxVelocityMinusX, mVelocity.mX);
    mMaxVelocityMinusY = std::min(mMaxVelocityMinusY, mVelocity.mY);
    mMaxAngularVelocityPlus = std::max(mMaxAngularVelocityPlus, mAngularVelocity);
    mMaxAngularVelocityMinus = std::min(mMaxAngularVelocityMinus, mAngularVelocity);
}

bool Toy::ApplyParticleImpulse(float particleMass, const VectorF& particleVelocity, const VectorF& hitPoint,
                               const VectorF& normal)
{
    if (particleMass == 0.0f) return false;
    VectorF n = normal;
    n.NormalizeInPlace();
    const VectorF r = hitPoint - mPosition;
    const float rn = Cross(r, n);
    const float j = -2.0f * Dot(particleVelocity, n) / (1.0f / particleMass + mInverseMass + rn * rn * mInverseMoment);
    const VectorF impulse = n * j;
    mVelocityAfterImpulses -= impulse * mInverseMass;
    mAngularVelocityAfterImpulses += mInverseMoment * Cross(r, impulse);
    UpdateSleepState();
    return true;
}

} // namespace KIV
