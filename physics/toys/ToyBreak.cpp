#include <algorithm>
#include <cmath>
#include <new>
#include "base/MathUtil.h"
#include "base/Statistics.h"
#include "base/WorkTeam.h"
#include "base/PointList.h"
#include "physics/geometry/BreakPolygon.h"
#include "physics/toys/ElasticLinks.h"
#include "physics/joints/Joint.h"
#include "physics/materials/Material.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "physics/toys/ToyDeform.h"
#include "render/TextureLib.h"

// Impacts and breaking: the largest impulse of a step dents the toy or
// records a hit, the elastic step runs with the touched points held, and a
// toy that carries a hit can be split into two new toys.

namespace KIV {

namespace {

// Shares of an impulse that dent: contacts and crossings, and radial pushes
// (which carry a velocity change rather than an impulse).
constexpr float kContactDentShare = 0.005f;
constexpr float kPushDentShare = 0.05f;
constexpr float kMaxDentGrowth = 2.0f;
constexpr float kMinimumMoment = 1e-8f;
constexpr float kMinimumMass = 1e-8f;
// Two parts of a toy's "break to more parts" go to the break itself.
constexpr int32_t kPartsPerBreak = 2;
// A particle pushes with half to all of its push, by the toy's own generator.
constexpr float kParticlePushBase = 0.5f;

// Which record of which list gave the largest impulse.
enum class ImpactList { kNone, kPointContacts, kLineContacts, kPenetrations, kVelocityChanges };

struct ImpactSource {
    ImpactList mList = ImpactList::kNone;
    int32_t mIndex = -1;
};

VectorF Midpoint(const PenetrationRecord& r) { return (r.mEdgeStart + r.mEdgeEnd) * 0.5f; }

// The statistics timers are plain fields that only the main thread writes.
// When the scene begins toys' steps side by side, the main thread is thread 0
// of the team: it times the toys it handles itself, so the item still shows
// one toy's impact work, as in a serial step.
bool TimesImpacts() { return WorkTeam::ThreadIndex() == 0; }

} // namespace

void Toy::ProcessImpacts()
{
    if (!mAllowPlasticDeform || (mPointContacts.IsEmpty() && mLineContacts.IsEmpty())) return;
    const bool timed = TimesImpacts();
    if (timed) StatTimerStart(kStatDeformationsPlaytime);
    float largest = -1.0f;
    ImpactSource source;
    const auto consider = [&](float squared, ImpactList list, int32_t index) {
        if (squared > largest) {
            largest = squared;
            source = ImpactSource{list, index};
        }
    };
    for (int32_t i = 0; i < mPointContacts.Count(); ++i)
        consider(mPointContacts[i].mImpulse.GetLengthSquared(), ImpactList::kPointContacts, i);
    for (int32_t i = 0; i < mLineContacts.Count(); ++i)
        consider(mLineContacts[i].mImpulse.GetLengthSquared(), ImpactList::kLineContacts, i);
    for (int32_t i = 0; i < mPenetrationContacts.Count(); ++i)
        consider(mPenetrationContacts[i].mImpulse.GetLengthSquared(), ImpactList::kPenetrations, i);
    for (int32_t i = 0; i < mVelocityChanges.Count(); ++i)
        consider((mVelocityChanges[i].mChange * mWeight).GetLengthSquared(), ImpactList::kVelocityChanges, i);

    const float impulse = SqrtF(largest);
    if (impulse > mMaxConstraint) mMaxConstraint = impulse;
    const float v = impulse * mInverseMass;
    // A NaN impulse neither dents nor breaks.
    if (v >= mMinimalImpulseToDeform)
        DentFromContacts();
    else
        mDeformStreak = 0;

    if (v > mMinimalImpulseToBreakHull) {
        const bool core = v > mMinimalImpulseToBreakCore;
        const int32_t i = source.mIndex;
        switch (source.mList) {
        case ImpactList::kPointContacts:
            SetHitByPosition(GetContactMeshPoint(mPointContacts[i]), mPointContacts[i].mPoint, core);
            break;
        case ImpactList::kLineContacts:
            SetHitByPosition(GetContactMeshPoint(mLineContacts[i]), mLineContacts[i].mPoint, core);
            break;
        case ImpactList::kPenetrations:
            SetHitByPosition(mPenetrationContacts[i].mFirstPoint, Midpoint(mPenetrationContacts[i]), core);
            break;
        case ImpactList::kVelocityChanges: {
            const int32_t point = mVelocityChanges[i].mPointIndex;
            SetHitByPosition(point, point >= 0 && point < mOutline.Count() ? mOutline[point] : mPosition, core);
            break;
        }
        case ImpactList::kNone: break;
        }
    }
    if (timed) StatTimerStop(kStatDeformationsPlaytime);
}

void Toy::DentFromContacts()
{
    TracedGeometry& g = mGeometry;
    if (!g.mSpringsBuilt) g.BuildSprings();
    // The shape before the dent, through which the anchors are carried after it.
    g.mSnapshotPoints.Assign(g.mPoints);
    const float toLocal = -mOrientation;
    const auto dentAt = [&](int32_t point, const VectorF& impulse, float share, int32_t count) {
        const VectorF d = impulse * (share * mInverseMass);
        const float growth = std::min(SqrtF(d.GetLength() + 1.0f) - 1.0f, kMaxDentGrowth);
        const float k = mDeformPower * growth / static_cast<float>(count);
        const VectorF dent = (d * k).GetRotatedClockwise(toLocal);
        g.mDeformedCount += 1;
        g.mDeformedHowMuch += dent.GetLength() / static_cast<float>(count);
        ApplyImpactForces(g, point, dent);
    };
    for (const ContactRecord& c : mPointContacts)
        dentAt(GetContactMeshPoint(c), c.mImpulse, kContactDentShare, mPointContacts.Count());
    for (const ContactRecord& c : mLineContacts)
        dentAt(GetContactMeshPoint(c), c.mImpulse, kContactDentShare, mLineContacts.Count());
    for (const VelocityChangeRecord& r : mVelocityChanges)
        dentAt(r.mPointIndex, r.mChange, kPushDentShare, mVelocityChanges.Count());

    Dent(g);
    ++mDeformStreak;
    mMomentOfInertia = g.ComputeMomentOfInertia(mArea, mWeight);
    if (!(mMomentOfInertia >= kMinimumMoment)) mMomentOfInertia = kMinimumMoment;
    mInverseMoment = 1.0f / mMomentOfInertia;
    MoveAnchorsWithDent();
    RemeasureJoints();
    mGeometryChanged = 1;
}

void Toy::MoveAnchorsWithDent()
{
    // Particle-system link points follow the same way once particle systems
    // link to toys.
    for (Joint* joint : mJoints) {
        if (!joint) continue;
        if (joint->mToyA == this)
            joint->mAnchorA = mGeometry.MapSnapshotPointToCurrent(joint->mAnchorA);
        else if (joint->mToyB == this)
            joint->mAnchorB = mGeometry.MapSnapshotPointToCurrent(joint->mAnchorB);
    }
}

int32_t Toy::GetNearestMeshPoint(const VectorF& worldPoint) const
{
    return FindNearestPointIndex(mGeometry.mPoints.Data(), mGeometry.mPoints.Count(), WorldToLocal(worldPoint));
}

int32_t Toy::GetContactMeshPoint(const ContactRecord& contact) const
{
    const int32_t n = mGeometry.mOutlineCount;
    if (contact.mPointIndex >= 0 && contact.mPointIndex < n) return contact.mPointIndex;
    // Crossing events name no point of their own, only the edge they cross.
    if (contact.mEdgeIndex >= 0 && contact.mEdgeIndex < n) return contact.mEdgeIndex;
    return GetNearestMeshPoint(contact.mPoint);
}

void Toy::StepElastic()
{
    if (!mAllowElasticDeform) return;
    TracedGeometry& g = mGeometry;
    BuildElasticLinks(g);
    if (g.mElasticLinks.IsEmpty()) return;
    const int32_t n = g.mPoints.Count();
    if (!mElasticHeld.Resize(n)) return;
    mElasticHeld.FillZero();
    const auto hold = [&](int32_t point) {
        if (point >= 0 && point < n) mElasticHeld[point] = 1;
    };
    for (const ContactRecord& c : mPointContacts) hold(GetContactMeshPoint(c));
    for (const ContactRecord& c : mLineContacts) hold(GetContactMeshPoint(c));
    for (const PenetrationRecord& r : mPenetrationContacts) hold(GetNearestMeshPoint((r.mEdgeStart + r.mEdgeEnd) * 0.5f));
    for (const Joint* joint : mJoints) {
        if (!joint) continue;
        const VectorF* anchor = joint->mToyA == this ? &joint->mAnchorA : (joint->mToyB == this ? &joint->mAnchorB : nullptr);
        if (anchor) hold(FindNearestPointIndex(g.mPoints.Data(), n, *anchor));
    }
    ElasticStep(g, mStepLength, mElasticHeld.Data());
}

void Toy::DentByParticle(const VectorF& worldPoint, const VectorF& push)
{
    const float f = kParticlePushBase + kParticlePushBase * mRandom.NextFloat();
    const VectorF offset = push.GetRotatedClockwise(-mOrientation) * f;
    if (mGeometry.PushNearestPoint(WorldToLocal(worldPoint), offset)) {
        Wake();
        mGeometryChanged = 1;
    }
}

void Toy::SetHitByPosition(int32_t outlineIndex, const VectorF& position, bool breakCoreToo)
{
    mHit.mOutlineIndex = outlineIndex;
    if (!position.IsZero())
        mHit.mPosition = position;
    else
        mHit.mPosition = outlineIndex >= 0 && outlineIndex < mOutline.Count() ? mOutline[outlineIndex] : mPosition;
    mHit.mTriangleIndex = -1;
    mHit.mVelocity = mVelocityAtLastHit;
    mHit.mAngularVelocity = mAngularVelocityAtLastHit;
    mHit.mBreakCoreToo = breakCoreToo ? 1 : 0;
}

bool Toy::SetHitByTriangleIndex(int32_t triangle, bool breakCoreToo)
{
    // Mapping a stray index to triangle 0 would break the toy somewhere unrelated.
    if (triangle < 0 || triangle >= mGeometry.GetTriangleCount()) return false;
    mHit.mOutlineIndex = -1;
    mHit.mTriangleIndex = triangle;
    mHit.mPosition = VectorF();
    mHit.mVelocity = mVelocityAtLastHit;
    mHit.mAngularVelocity = mAngularVelocityAtLastHit;
    mHit.mBreakCoreToo = breakCoreToo ? 1 : 0;
    return true;
}

void Toy::TakeOverAsPiece(const Toy& source, const Array<PiecePair>& pairs, bool sideA)
{
    if (source.mMainTexture && gTextureLib) mMainTexture = gTextureLib->AcquireTexture(source.mTextureName);
    mTextureName = source.mTextureName;
    mDensity = source.mDensity;
    mVolumeZ = source.mVolumeZ;
    mRestitution = source.mRestitution;
    mRestitutionWithTerrain = source.mRestitutionWithTerrain;
    mSlippery = source.mSlippery;
    mDeformMotionFactor = source.mDeformMotionFactor;
    mMinimalImpulseToDeform = source.mMinimalImpulseToDeform;
    mMinimalImpulseToBreakHull = source.mMinimalImpulseToBreakHull;
    mMinimalImpulseToBreakCore = source.mMinimalImpulseToBreakCore;
    mName = source.mName;
    mBalancer = source.mBalancer;
    mUseDefaultMaterial = source.mUseDefaultMaterial;
    mDefaultMaterialName = source.mDefaultMaterialName;

    const int32_t n = mGeometry.mOutlineCount;
    mLocalOutline.Clear();
    for (int32_t i = 0; i < n; ++i) mLocalOutline.PushBack(mGeometry.mPoints[i]);
    mArea = mGeometry.ComputeOutlineArea();
    ComputeMass();
    mReferenceWeight = source.mReferenceWeight;
    // The cut moved the piece's points so that its own centroid is its origin.
    const VectorF centroid(mGeometry.mBreakValue1, mGeometry.mBreakValue2);
    SetPlacement(source.LocalToWorld(centroid), source.mOrientation, false);
    mGravity = source.mGravity;
    mStepLength = source.mStepLength;
    mInverseStepLength = source.mInverseStepLength;
    mHalfStepLengthSquared = source.mHalfStepLengthSquared;

    // The outline points kept from the broken toy keep their penetration values.
    mPenetrationValues.Resize(n);
    mPenetrationValues.FillZero();
    const int32_t sourceCount = std::min(source.mGeometry.mOutlineCount, source.mPenetrationValues.Count());
    for (int32_t i = 0; i < sourceCount && i < pairs.Count(); ++i) {
        const int32_t index = sideA ? pairs[i].mA : pairs[i].mB;
        if (index >= 0 && index < n) mPenetrationValues[index] = source.mPenetrationValues[i];
    }
    PrepareContactLists();
    DeleteOwnMaterial();
    if (!mUseDefaultMaterial && source.mOwnMaterial) {
        mOwnMaterial = new (std::nothrow) Material();
        if (mOwnMaterial) Material::CopyThroughStream(*source.mOwnMaterial, *mOwnMaterial);
    }
}

void Toy::TakeOverMotion(const Toy& source)
{
    // Each piece moves as its part of the broken toy did: the velocity of its
    // own centroid, so that the pieces together carry the toy's momentum.
    const auto velocityAt = [&](const VectorF& v, float w) {
        return v + VectorF(w * (mPosition.mY - source.mPosition.mY), -w * (mPosition.mX - source.mPosition.mX));
    };
    mVelocity = velocityAt(source.mVelocity, source.mAngularVelocity);
    mAngularVelocity = source.mAngularVelocity;
    mVelocityAfterImpulses = velocityAt(source.mVelocityAfterImpulses, source.mAngularVelocityAfterImpulses);
    mAngularVelocityAfterImpulses = source.mAngularVelocityAfterImpulses;
    mForce = source.mForce;
    mTorque = source.mTorque;
    mAcceleration = source.mAcceleration;
    mAngularAcceleration = source.mAngularAcceleration;
    mVelocityAtLastHit = source.mVelocityAtLastHit;
    mAngularVelocityAtLastHit = source.mAngularVelocityAtLastHit;
}

void Toy::TakeShapeFromWorldOutline()
{
    // The broken toy's world outline keeps its points where contacts and
    // terrain held them, which can be units away from its mesh at its pose
    // (a toy pressed into the ground). A piece centred on the mesh would start
    // with its centre off its own outline, under the ground it rests on, and
    // with a mass its outline does not have. The piece instead takes the
    // outline it has in the world as its shape, as a toy built from it would.
    TracedGeometry& g = mGeometry;
    const int32_t n = g.mOutlineCount;
    if (n < 3 || mOutline.Count() != n || g.mPoints.Count() < n) return;
    Array<VectorF> mesh;
    mesh.Assign(g.mPoints);
    if (mesh.Count() != g.mPoints.Count()) return;
    for (int32_t i = 0; i < n; ++i) g.mPoints[i] = WorldToLocal(mOutline[i]);
    // Inner points stay as they were cut; a held point that would turn a
    // triangle over leaves the mesh as cut (its outline then is the mesh's).
    bool folded = false;
    for (const IndexTriangle& t : g.mTriangles)
        if (!(Cross(g.mPoints[t.mB] - g.mPoints[t.mA], g.mPoints[t.mC] - g.mPoints[t.mA]) > 0.0f)) folded = true;
    const float area = g.ComputeOutlineArea();
    if (folded || !(area > 0.0f)) {
        g.mPoints.Assign(mesh);
        for (int32_t i = 0; i < n; ++i) mOutline[i] = LocalToWorld(g.mPoints[i]);
        mOutline.Data()[n] = mOutline[0];
        return;
    }
    const VectorF centroid = g.ComputeOutlineCentroid(area);
    SubtractOffsetFromPoints(g.mPoints.Data(), g.mPoints.Count(), centroid);
    mPosition = LocalToWorld(centroid);
    mPredictedPosition = mPosition;
    g.ComputeTriangleAreas();
    g.BuildSprings();
    g.ComputeInverseEdgeLengths();
    g.ComputeBoundingRadius();
    g.StoreRestShape();
    mLocalOutline.Clear();
    for (int32_t i = 0; i < n; ++i) mLocalOutline.PushBack(g.mPoints[i]);
    mArea = area;
    ComputeMass();
}

bool Toy::IsSliver() const
{
    // Contacts hold a point kContactStandOff (0.01) in front of a surface. A
    // piece thinner than that across its longest edge has no inside that a
    // point or an edge could be found in: it lies in a contact's stand-off
    // as a line would, and the ground cannot hold it. Its height over the
    // longest edge is twice its area over that edge's length.
    constexpr float kSliverThickness = 0.01f;
    const TracedGeometry& g = mGeometry;
    const int32_t n = g.mOutlineCount;
    if (n < 3 || g.mPoints.Count() < n) return true;
    float longest = 0.0f;
    for (int32_t i = 0; i < n; ++i)
        longest = std::max(longest, (g.mPoints[i + 1 < n ? i + 1 : 0] - g.mPoints[i]).GetLengthSquared());
    const float area = g.ComputeOutlineArea();
    return !(2.0f * area > kSliverThickness * SqrtF(longest));
}

bool Toy::Break(Toy& pieceA, Toy& pieceB, Scene* scene)
{
    const int32_t outlineIndex = mHit.mOutlineIndex;
    const int32_t triangle = mHit.mTriangleIndex;
    mHit.mOutlineIndex = -1;
    mHit.mTriangleIndex = -1;
    const int32_t n = mGeometry.mOutlineCount;
    if (outlineIndex < -1 || outlineIndex >= n || triangle < -1 || triangle >= mGeometry.GetTriangleCount())
        return false;
    if (&pieceA == this || &pieceB == this || &pieceA == &pieceB) return false;

    // The crack heads from where it starts towards the toy's centre.
    VectorF start;
    if (outlineIndex >= 0) {
        start = mGeometry.mPoints[outlineIndex];
    } else if (triangle >= 0) {
        const IndexTriangle& t = mGeometry.mTriangles[triangle];
        start = (mGeometry.mPoints[t.mA] + mGeometry.mPoints[t.mB] + mGeometry.mPoints[t.mC]) / 3.0f;
    }
    CrackRequest request;
    request.mStartTriangle = triangle;
    request.mStartOutlinePoint = outlineIndex;
    request.mDirectionShifter = mBreakLineDirectionShifter;
    request.mDirectionRandomiser = mBreakLineRandomizer;
    request.mBreakCoreToo = mBreakToyCoreToo != 0 || mHit.mBreakCoreToo != 0;
    request.mDirection = start.IsZero() ? VectorF(1.0f, 0.0f) : start * -1.0f;
    CrackResult crack;
    if (!BreakPolygon(mGeometry, request, pieceA.mGeometry, pieceB.mGeometry, mRandom, &crack)) return false;

    pieceA.TakeOverAsPiece(*this, mGeometry.mPiecePairs, true);
    pieceB.TakeOverAsPiece(*this, mGeometry.mPiecePairs, false);

    // The outline points the pieces share with the toy stay where they are in the world.
    for (int32_t i = 0; i < n && i < mOutline.Count() && i < mGeometry.mPiecePairs.Count(); ++i) {
        const PiecePair& pair = mGeometry.mPiecePairs[i];
        if (pair.mA >= 0 && pair.mA < pieceA.mOutline.Count()) pieceA.mOutline[pair.mA] = mOutline[i];
        if (pair.mB >= 0 && pair.mB < pieceB.mOutline.Count()) pieceB.mOutline[pair.mB] = mOutline[i];
    }
    for (Toy* piece : {&pieceA, &pieceB}) {
        if (piece->mOutline.Count() > 0) piece->mOutline.Data()[piece->mOutline.Count()] = piece->mOutline[0];
        piece->TakeShapeFromWorldOutline();
        piece->TakeOverMotion(*this);
    }
    const bool keepA = !pieceA.IsSliver(), keepB = !pieceB.IsSliver();
    if (!keepA && !keepB) return false;
    if (scene) {
        if (keepA) DoBreakEffect(*scene, pieceA, crack.mPointCount);
        if (keepB) DoBreakEffect(*scene, pieceB, crack.mPointCount);
    }

    const int32_t parts = std::max(mBreakToyToMoreParts - kPartsPerBreak, 0);
    pieceA.mBreakToyToMoreParts = parts / 2;
    pieceB.mBreakToyToMoreParts = parts - parts / 2;

    // Each joint goes to the piece its anchor lies in.
    for (Joint* joint : mJoints) {
        if (!joint) continue;
        for (const bool sideA : {true, false}) {
            Toy*& toy = sideA ? joint->mToyA : joint->mToyB;
            if (toy != this) continue;
            VectorF& anchor = sideA ? joint->mAnchorA : joint->mAnchorB;
            const VectorF world = LocalToWorld(anchor);
            const bool inA = !keepB || (keepA && IsPointInPolygon(pieceA.mGeometry.mPoints.Data(),
                                                                  pieceA.mGeometry.mOutlineCount,
                                                                  pieceA.WorldToLocal(world)));
            Toy& piece = inA ? pieceA : pieceB;
            piece.mJoints.AddUnique(joint);
            toy = &piece;
            anchor = piece.WorldToLocal(world);
        }
        joint->UpdateInertia();
    }
    mJoints.Clear();
    // Particle systems linked to the toy move to the piece holding their link
    // point once particle systems link to toys.
    return true;
}

bool BreakToyInScene(Scene& scene, Toy& toy)
{
    if (scene.GetToys().IndexOf(&toy) < 0) return false;
    Toy* a = scene.NewShotToySlot(&toy);
    Toy* b = a ? scene.NewShotToySlot(&toy) : nullptr;
    if (!a || !b || !toy.Break(*a, *b, &scene)) {
        if (a) scene.RemoveToy(a);
        if (b) scene.RemoveToy(b);
        return false;
    }
    // A sliver piece is dropped before it enters the grid.
    if (a->IsSliver()) {
        scene.RemoveToy(a);
        a = nullptr;
    }
    if (b->IsSliver()) {
        scene.RemoveToy(b);
        b = nullptr;
    }
    if (toy.mGridSlot >= 0) {
        if (a) scene.GetGrid().InsertToy(*a);
        if (b) scene.GetGrid().InsertToy(*b);
    }
    scene.RemoveToy(&toy);
    return true;
}

} // namespace KIV
