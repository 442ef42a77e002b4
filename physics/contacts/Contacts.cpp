#include "physics/contacts/Contacts.h"
#include <algorithm>
#include <cmath>
#include <vector>
#include "base/Statistics.h"
#include "physics/world/GameSettings.h"
#include "physics/geometry/GeometryHelpers.h"
#include "physics/joints/Joint.h"
#include "physics/grid/SpatialGrid.h"
#include "physics/toys/Toy.h"

namespace KIV {

namespace {

// How far in front of a surface a point contact leaves its point.
constexpr float kContactStandOff = 0.01f;
// The least distance from a terrain edge's line at which a held point still
// lies clearly on its outside, far above the rounding of world coordinates.
constexpr float kMinimumClearance = 0.5f * kContactStandOff;
// Un-penetration pushes a point this many times its way to the partner's surface.
constexpr float kUnPenetratePush = 1.0001f;

// Pending-impulse slots: most negative x, y, largest positive x, y, most
// negative and largest positive angular impulse.
enum PendingSlot { kMinX = 0, kMinY = 1, kMaxX = 2, kMaxY = 3, kMinAngular = 4, kMaxAngular = 5 };

// A toy's velocity term at a contact point: w * lever - v, that is the point's
// velocity negated (levers are stored turned by a right angle).
inline VectorF PointTerm(const Toy& toy, const VectorF& lever)
{
    return lever * toy.mAngularVelocityAfterImpulses - toy.mVelocityAfterImpulses;
}

// VectorF::NormalizeInPlace, operation for operation, where the solver's
// inner loop can inline it.
inline void NormalizeUnit(VectorF& v)
{
    const float length = SqrtF(v.mX * v.mX + v.mY * v.mY);
    if (length == 0.0f) {
        v = VectorF(1.0f, 0.0f);
        return;
    }
    const float s = 1.0f / length;
    v.mX *= s;
    v.mY *= s;
}

// The direction along which a contact's impulse acts: from the chosen start
// towards the contact normal by the morph factor s (1 = pure normal impulse).
inline VectorF ShapeResponseDirection(VectorF d, const VectorF& normal, float s, const GameSettings& settings)
{
    if (settings.mColNormal2Negate) d = -d;
    if (settings.mNormalizeResponseNormals1) NormalizeUnit(d);
    if (settings.mVectorAngleMorph) {
        const float angle = std::atan2(Cross(d, normal), Dot(d, normal));
        d = d.GetRotated(angle * s);
    } else {
        d = d + (normal - d) * s;
    }
    if (settings.mNormalizeResponseNormals2) NormalizeUnit(d);
    return d;
}

// A line contact only pushes while the toy's edge advances into its partner:
// the toy's point moves, relative to the partner, towards the outside of the
// toy's own edge.
bool LineContactApproaches(const ContactRecord& c, const VectorF& relative)
{
    return kOutsideSign * Cross(c.mEdgeVector, relative) > 0.0f;
}

// The pending impulses, inlined into the responses that gather and apply
// them once per contact.
[[gnu::always_inline]] inline void GatherPending(Toy& toy, const VectorF& impulse, float angularImpulse)
{
    float* p = toy.mPendingImpulse;
    if (impulse.mX <= 0.0f) {
        if (impulse.mX < p[kMinX]) p[kMinX] = impulse.mX;
    } else if (impulse.mX > p[kMaxX]) {
        p[kMaxX] = impulse.mX;
    }
    if (impulse.mY <= 0.0f) {
        if (impulse.mY < p[kMinY]) p[kMinY] = impulse.mY;
    } else if (impulse.mY > p[kMaxY]) {
        p[kMaxY] = impulse.mY;
    }
    if (angularImpulse <= 0.0f) {
        if (angularImpulse < p[kMinAngular]) p[kMinAngular] = angularImpulse;
    } else if (angularImpulse > p[kMaxAngular]) {
        p[kMaxAngular] = angularImpulse;
    }
}

inline void ClearPending(Toy& toy)
{
    for (float& v : toy.mPendingImpulse) v = 0.0f;
}

[[gnu::always_inline]] inline void ApplyPending(Toy& toy)
{
    float* p = toy.mPendingImpulse;
    toy.mVelocityAfterImpulses.mX += toy.mInverseMass * (p[kMinX] + p[kMaxX]);
    toy.mVelocityAfterImpulses.mY += toy.mInverseMass * (p[kMinY] + p[kMaxY]);
    toy.mAngularVelocityAfterImpulses -= toy.mInverseMoment * (p[kMinAngular] + p[kMaxAngular]);
    ClearPending(toy);
    ClampVelocity(toy.mVelocityAfterImpulses, toy.mAngularVelocityAfterImpulses);
}

inline void ApplyImmediately(Toy& toy, const GameSettings& settings)
{
    if (settings.mImmediateImpulses) ApplyPending(toy);
}

// The response from per-contact constants, applied at once. Inlined into
// the loops over a toy's records: the call and what it kept the compiler
// from hoisting out of the loop cost a fifth of the solve's instructions.
[[gnu::always_inline]] inline bool RespondNew(Toy& toy, ContactRecord& c, bool firstIteration, bool lineContact,
                                              float& maxRelativeSquared, const GameSettings& settings)
{
    Toy* partner = c.mPartnerToy;
    VectorF a = PointTerm(toy, c.mLever);
    const int32_t point = c.mPointIndex;
    if (firstIteration && point >= 0 && point < toy.mDeformationVectors.Count())
        a -= toy.mDeformationVectors[point] * (toy.mDeformMotionFactor * toy.mInverseStepLength);
    if (!partner && toy.mAllowElasticDeform && point >= 0 && point < toy.mGeometry.mElasticVelocities.Count())
        a -= (toy.mGeometry.mElasticVelocities[point] * toy.mGeometry.mFrequency).GetRotatedClockwise(toy.mOrientation);
    const VectorF b = partner ? PointTerm(*partner, c.mPartnerLever) : VectorF();
    const VectorF u = b - a;
    c.mPointTerm = a;
    c.mRelativeTerm = u;
    if (lineContact && !LineContactApproaches(c, u)) return false;
    if (Dot(c.mNormal, u) >= 0.0f) return false;
    const float uu = u.GetLengthSquared();
    if (uu > maxRelativeSquared) maxRelativeSquared = uu;

    // The impulse starts along the pair's relative motion (for terrain that is
    // the toy's own point term). Starting from the toy's own motion alone, a
    // toy at rest that a partner runs into would be pushed along whatever
    // direction its near-zero velocity happens to have, and the island would
    // never settle.
    const VectorF d = ShapeResponseDirection(a - b, c.mNormal, c.mMorph, settings);
    const float dA = Dot(d, c.mLever);
    if (partner) {
        const float dB = Dot(d, c.mPartnerLever);
        const float den = dB * dB * partner->mInverseMoment + dA * dA * toy.mInverseMoment +
                          c.mInverseMassSum * d.GetLengthSquared();
        if (!(den > 0.0f)) return false;
        const float j = c.mRestitution * Dot(d, u) / den;
        c.mImpulse += d * j;
        toy.mVelocityAfterImpulses += d * (toy.mInverseMass * j);
        toy.mAngularVelocityAfterImpulses -= toy.mInverseMoment * j * dA;
        partner->mVelocityAfterImpulses -= d * (partner->mInverseMass * j);
        partner->mAngularVelocityAfterImpulses += partner->mInverseMoment * j * dB;
    } else {
        const float den = d.GetLengthSquared() * toy.mInverseMass + dA * dA * toy.mInverseMoment;
        if (!(den > 0.0f)) return false;
        const float j = c.mRestitution * Dot(d, u) / den;
        c.mImpulse += d * j;
        toy.mVelocityAfterImpulses += d * (toy.mInverseMass * j);
        toy.mAngularVelocityAfterImpulses -= toy.mInverseMoment * j * dA;
    }
    return true;
}

// The response from the toys' own restitution and slipperiness, gathered as
// pending extremes. The penetration contacts use it too. Inlined like the
// new response.
[[gnu::always_inline]] inline bool RespondOld(Toy& toy, Toy* partner, const VectorF& normal, const VectorF& lever,
                                              const VectorF& partnerLever, VectorF& accumulated,
                                              const VectorF* edgeVector, float& maxRelativeSquared,
                                              const GameSettings& settings)
{
    const VectorF a = PointTerm(toy, lever);
    const VectorF b = partner ? PointTerm(*partner, partnerLever) : VectorF();
    const VectorF u = b - a;
    if (edgeVector && kOutsideSign * Cross(*edgeVector, u) <= 0.0f) return false;
    if (Dot(normal, u) >= 0.0f) return false;
    const float uu = u.GetLengthSquared();
    if (uu > maxRelativeSquared) maxRelativeSquared = uu;

    const float s = partner ? std::max(toy.mSlippery, partner->mSlippery) : toy.mSlippery;
    const VectorF d = ShapeResponseDirection(a - b, normal, s, settings);
    const float rA = Dot(d, lever);
    if (partner) {
        const float e = std::min(toy.mRestitution, partner->mRestitution);
        const float rB = Dot(d, partnerLever);
        const float den = partner->mInverseMoment * rB * rB + toy.mInverseMoment * rA * rA +
                          (toy.mInverseMass + partner->mInverseMass) * d.GetLengthSquared();
        if (!(den > 0.0f)) return false;
        const float j = -(1.0f + e) * Dot(u, d) / den;
        const VectorF impulse = d * j;
        accumulated += impulse;
        GatherPending(toy, impulse, Dot(impulse, lever));
        GatherPending(*partner, -impulse, -Dot(impulse, partnerLever));
        ApplyImmediately(toy, settings);
        ApplyImmediately(*partner, settings);
    } else {
        const float e = toy.mRestitutionWithTerrain;
        const float den = toy.mInverseMass * d.GetLengthSquared() + toy.mInverseMoment * rA * rA;
        if (!(den > 0.0f)) return false;
        const float j = -(1.0f + e) * Dot(u, d) / den;
        const VectorF impulse = d * j;
        accumulated += impulse;
        GatherPending(toy, impulse, Dot(impulse, lever));
        ApplyImmediately(toy, settings);
    }
    return true;
}

bool RespondOld(Toy& toy, ContactRecord& c, bool lineContact, float& maxRelativeSquared,
                const GameSettings& settings)
{
    return RespondOld(toy, c.mPartnerToy, c.mNormal, c.mLever, c.mPartnerLever, c.mImpulse,
                      lineContact ? &c.mEdgeVector : nullptr, maxRelativeSquared, settings);
}

bool SolveLineContacts(Toy& toy, bool firstIteration, float& maxRelativeSquared, const GameSettings& settings)
{
    bool solved = false;
    const bool old = settings.mOldResponseFunctions != 0;
    if (!old && !settings.mSolveLineColToyToy) return false;
    for (ContactRecord& c : toy.mLineContacts) {
        bool produced;
        if (old) {
            // The old solve always meets terrain; toy partners only when switched on.
            if (c.mPartnerToy && !settings.mSolveLineColToyToy) continue;
            produced = RespondOld(toy, c, true, maxRelativeSquared, settings);
        } else {
            produced = RespondNew(toy, c, firstIteration, true, maxRelativeSquared, settings);
        }
        if (produced)
            solved = true;
        else
            c.mImpulse = VectorF();
    }
    return solved;
}

bool SolvePointContacts(Toy& toy, bool firstIteration, float& maxRelativeSquared, const GameSettings& settings)
{
    bool solved = false;
    const int32_t n = toy.mPointContacts.Count();
    if (settings.mOldResponseFunctions) {
        for (int32_t k = 0; k < n; ++k) {
            ContactRecord& c = toy.mPointContacts[k];
            if (c.mPartnerToy && !settings.mSolvePntColToyToy) continue;
            if (RespondOld(toy, c, false, maxRelativeSquared, settings)) solved = true;
        }
    } else if (settings.mSolvePntColToyToy) {
        for (int32_t k = n - 1; k >= 0; --k)
            if (RespondNew(toy, toy.mPointContacts[k], firstIteration, false, maxRelativeSquared, settings))
                solved = true;
    }
    return solved;
}

// The toy's joints in the pair solve. The old solve gathers the joints'
// impulses like the contacts' and counts a jointed toy as solved.
bool SolveAttachedJoints(Toy& toy, const GameSettings& settings)
{
    bool solved = false;
    for (Joint* joint : toy.mJoints) {
        if (!joint) continue;
        if (!settings.mOldResponseFunctions) {
            if (joint->SolveVelocity()) solved = true;
            continue;
        }
        joint->SolveVelocityOld();
        if (joint->mToyA) ApplyImmediately(*joint->mToyA, settings);
        if (joint->mToyB) ApplyImmediately(*joint->mToyB, settings);
    }
    return solved || (settings.mOldResponseFunctions && toy.mJoints.Count() > 0);
}

// Key of a crossing event's partner: the terrain object (every ownerless
// terrain edge counts as one object), else the partner toy.
const void* PartnerKey(const ContactRecord& c)
{
    static const int kOwnerlessTerrain = 0;
    if (c.mStaticSegment >= 0) return c.mStaticOwner ? c.mStaticOwner : &kOwnerlessTerrain;
    return c.mPartnerToy;
}

// Index into the stack of the topmost event with the key, -1 when none.
int32_t FindTopmost(const std::vector<int32_t>& stack, const ContactRecord* events, const void* key,
                    bool unlinkedOnly)
{
    for (int32_t s = static_cast<int32_t>(stack.size()) - 1; s >= 0; --s) {
        const ContactRecord& e = events[stack[s]];
        if (PartnerKey(e) == key && (!unlinkedOnly || e.mLink < 0)) return s;
    }
    return -1;
}

void Unlink(ContactRecord* events, int32_t e)
{
    const int32_t other = events[e].mLink;
    if (other >= 0 && events[other].mLink == e) events[other].mLink = -1;
    events[e].mLink = -1;
}

// Links each entering event with the leaving event of the same partner that
// closes it, treating the outline as closed; nested or unmatched events stay
// unlinked.
void PairCrossingEvents(ContactRecord* events, int32_t count, std::vector<int32_t>& stack)
{
    for (int32_t e = 0; e < count; ++e) events[e].mLink = -1;
    if (count == 2) {
        if (PartnerKey(events[0]) == PartnerKey(events[1]) && events[0].mEntering != events[1].mEntering) {
            events[0].mLink = 1;
            events[1].mLink = 0;
        }
        return;
    }
    stack.clear();
    // First pass: what is still open at the end of the outline.
    for (int32_t e = 0; e < count; ++e) {
        if (events[e].mEntering) {
            stack.push_back(e);
        } else {
            const int32_t s = FindTopmost(stack, events, PartnerKey(events[e]), false);
            if (s >= 0) stack.erase(stack.begin() + s);
        }
    }
    // Second pass, starting with the events open across the outline's start.
    for (int32_t e = 0; e < count; ++e) {
        const void* key = PartnerKey(events[e]);
        if (!events[e].mEntering) {
            const int32_t s = FindTopmost(stack, events, key, true);
            if (s < 0) continue;
            const int32_t k = stack[s];
            stack.erase(stack.begin() + s);
            events[e].mLink = k;
            events[k].mLink = e;
            continue;
        }
        const int32_t s = FindTopmost(stack, events, key, false);
        if (s < 0) {
            stack.push_back(e);
            continue;
        }
        // Entering a partner that is already entered: nested crossings are
        // not trusted, neither is anything they were linked to.
        const int32_t k = stack[s];
        stack.erase(stack.begin() + s);
        Unlink(events, e);
        Unlink(events, k);
    }
}

void OpenOrClose(const ContactRecord* events, int32_t e, std::vector<int32_t>& open)
{
    if (events[e].mLink < 0) return;
    if (events[e].mEntering) {
        open.push_back(e);
        return;
    }
    for (int32_t s = static_cast<int32_t>(open.size()) - 1; s >= 0; --s) {
        if (open[s] == events[e].mLink) {
            open.erase(open.begin() + s);
            return;
        }
    }
}

// The first terrain edge, of those toys meet, that the path crosses from outside.
bool FindTerrainHit(const SpatialGrid& grid, GridQueryContext& context, const VectorF& from, const VectorF& to,
                    GridSegmentHit& hit)
{
    GridSegmentQuery q;
    q.mFrom = from;
    q.mTo = to;
    q.mTestToys = false;
    q.mMover = GridMover::kToy;
    return grid.QuerySegment(q, context, hit) && hit.mStaticSegment >= 0;
}

} // namespace

VectorF OutsideNormal(const VectorF& edge)
{
    VectorF n(-edge.mY * kOutsideSign, edge.mX * kOutsideSign);
    n.NormalizeInPlace();
    return n;
}

VectorF PenetrationNormal(const VectorF& chord) { return -OutsideNormal(chord); }

bool SolveToyContacts(Toy& toy, bool firstIteration, float& maxRelativeSquared, const GameSettings& settings)
{
    StatCount(kStatSolverStepsCount);
    bool solved = SolveLineContacts(toy, firstIteration, maxRelativeSquared, settings);
    if (SolvePointContacts(toy, firstIteration, maxRelativeSquared, settings)) solved = true;
    if (settings.mSolveJoints && SolveAttachedJoints(toy, settings)) solved = true;
    if (SolvePenetrationContacts(toy, firstIteration, settings)) solved = true;
    return solved;
}

bool SolvePenetrationContacts(Toy& toy, bool firstIteration, const GameSettings& settings)
{
    if (!settings.mSolvePenContacts) return false;
    bool solved = false;
    // Penetrations push until they are gone; they do not hold the island's
    // velocity iterations open.
    float ignoredMaximum = 0.0f;
    for (PenetrationRecord& r : toy.mPenetrationContacts) {
        r.mImpulse = VectorF();
        if (!r.mPartner) continue;
        if (firstIteration) {
            r.mNormal = PenetrationNormal(r.mEdgeEnd - r.mEdgeStart);
            const VectorF mid = (r.mEdgeStart + r.mEdgeEnd) * 0.5f;
            const VectorF rA = mid - toy.mPosition;
            const VectorF rB = mid - r.mPartner->mPosition;
            r.mLever = VectorF(-rA.mY, rA.mX);
            r.mPartnerLever = VectorF(-rB.mY, rB.mX);
        }
        if (RespondOld(toy, r.mPartner, r.mNormal, r.mLever, r.mPartnerLever, r.mImpulse, nullptr, ignoredMaximum,
                       settings))
            solved = true;
    }
    return solved;
}

void GatherPendingImpulse(Toy& toy, const VectorF& impulse, float angularImpulse)
{
    GatherPending(toy, impulse, angularImpulse);
}

void ApplyPendingImpulses(Toy& toy) { ApplyPending(toy); }

void ClearPendingImpulses(Toy& toy) { ClearPending(toy); }

void ClampVelocity(VectorF& velocity, float& angularVelocity)
{
    Toy::ClampLinearVelocity(velocity);
    Toy::ClampAngularVelocity(angularVelocity);
}

void IntegrateToy(Toy& toy)
{
    toy.mPreviousVelocity = toy.mVelocity;
    toy.mPreviousAngularVelocity = toy.mAngularVelocity;
    toy.mVelocity = toy.mVelocityAfterImpulses;
    toy.mAngularVelocity = toy.mAngularVelocityAfterImpulses;

    VectorF force = toy.mForce + toy.mGravity;
    float torque = toy.mTorque;
    toy.mForce = VectorF();
    toy.mTorque = 0.0f;
    force -= toy.mVelocity * toy.mAirFriction;
    torque -= toy.mAirAngularFriction * toy.mAngularVelocity;

    toy.mVelocityAfterImpulses += force * toy.mStepLength;
    toy.mAngularVelocityAfterImpulses += torque * toy.mStepLength;
    ClampVelocity(toy.mVelocityAfterImpulses, toy.mAngularVelocityAfterImpulses);

    toy.mStepDisplacement = toy.mVelocityAfterImpulses * toy.mStepLength;
    toy.mStepAngle = toy.mAngularVelocityAfterImpulses * toy.mStepLength;
    toy.mPredictedPosition = toy.mPosition + toy.mStepDisplacement;
    toy.mPredictedOrientation = toy.mOrientation + toy.mStepAngle;
}

bool StopInFrontOfTerrain(const SpatialGrid& grid, GridQueryContext& context, const VectorF& from, VectorF& to)
{
    GridSegmentHit hit;
    if (!FindTerrainHit(grid, context, from, to, hit)) return false;
    // Off the edge along its normal: stepped back along a grazing move, the
    // point would stay within rounding of the edge's line.
    to = hit.mPoint + grid.GetStaticSegment(hit.mStaticSegment).mNormal * kContactStandOff;
    return true;
}

void UnPenetrate(Toy& toy, const SpatialGrid& grid, GridQueryContext& context)
{
    const int32_t n = toy.mOutline.Count();
    if (n < 3) return;
    for (const PenetrationRecord& r : toy.mPenetrationContacts) {
        if (r.mFirstPoint == r.mLastPoint || r.mFirstPoint < 0 || r.mFirstPoint >= n || r.mLastPoint < 0 ||
            r.mLastPoint >= n)
            continue;
        const VectorF chord = r.mEdgeEnd - r.mEdgeStart;
        const VectorF out = PenetrationNormal(chord);
        int32_t k = r.mFirstPoint;
        do {
            k = k + 1 == n ? 0 : k + 1;
            VectorF& p = toy.mOutline[k];
            VectorF foot;
            if (!FootOfPerpendicular(p, r.mEdgeStart, r.mEdgeEnd, foot)) continue;
            const VectorF toFoot = foot - p;
            // Only points on the stretch's side of the chord are inside the partner.
            if (kOutsideSign * Cross(chord, toFoot) > 0.0f) continue;
            VectorF pushed;
            if (r.mPartner) {
                // Across the partner's nearest edge on the way to the chord.
                VectorF crossing = p;
                if (!grid.SegmentHitsToy(crossing, foot, *r.mPartner, context)) crossing = foot;
                pushed = p + (crossing - p) * kUnPenetratePush;
            } else {
                // Out of terrain the point must land clearly in front of the
                // surface: a share of a short push vanishes in the rounding of
                // world coordinates, and a point left on the edge's line lies
                // on neither side of it, so its next path would go back in
                // unseen.
                const float past = std::max(toFoot.GetLength() * (kUnPenetratePush - 1.0f), kContactStandOff);
                pushed = foot + out * past;
            }
            // Pushed out of a toy, a point must not be pushed into the ground
            // beneath it: a piece of a few points could end with all of them
            // inside, where nothing crosses its outline to bring it back.
            StopInFrontOfTerrain(grid, context, p, pushed);
            p = pushed;
        } while (k != r.mLastPoint);
    }
    if (toy.mOutline.Capacity() > n) toy.mOutline.Data()[n] = toy.mOutline[0];
}

void ComputePointContactTargets(Toy& toy, const SpatialGrid& grid, GridQueryContext& context)
{
    if (toy.mPointContactMemo.mReused) return;  // the kept contacts carry their targets
    const int32_t n = toy.mOutline.Count();
    for (ContactRecord& c : toy.mPointContacts) {
        if (c.mPointIndex < 0 || c.mPointIndex >= n) {
            c.mTarget = c.mPoint;
            continue;
        }
        // The point stops a hair in front of what it hit, stepped back along
        // its own motion: a point left exactly on an edge lies on neither
        // side of it, and its next path would pass through unseen.
        const VectorF displacement = toy.mPredictedOutline[c.mPointIndex] - toy.mOutline[c.mPointIndex];
        VectorF motion = displacement;
        motion.NormalizeInPlace();
        VectorF base = c.mPoint - motion * kContactStandOff;
        if (c.mStaticSegment >= 0) {
            // A grazing path stepped back along itself stays within rounding
            // of the edge's line, on neither side of it: such a point is held
            // off the edge along its normal instead.
            const VectorF normal = grid.GetStaticSegment(c.mStaticSegment).mNormal;
            const float clearance = Dot(base - c.mPoint, normal);
            if (clearance < kMinimumClearance) base += normal * (kMinimumClearance - clearance);
        }
        if (c.mPartnerToy) {
            // Carried with the partner's own motion for the step, but not
            // into the terrain the partner may be sinking into: a piece of a
            // few points held down by toys could otherwise go in with all of
            // them, and nothing would cross its outline to bring it back.
            const Toy& other = *c.mPartnerToy;
            VectorF r = base - other.mPosition;
            r.Rotate(other.mPredictedOrientation - other.mOrientation);
            c.mTarget = other.mPredictedPosition + r;
            StopInFrontOfTerrain(grid, context, toy.mOutline[c.mPointIndex], c.mTarget);
            continue;
        }
        c.mTarget = base;
        if (c.mStaticSegment < 0 || toy.mSlippery == 0.0f) continue;
        // A slippery toy slides the rest of its step along the terrain, at
        // most across one more edge.
        const VectorF remaining = displacement * (1.0f - c.mTimeFraction);
        const StaticSegment& segment = grid.GetStaticSegment(c.mStaticSegment);
        const VectorF slid = base + segment.mDirection * (Dot(remaining, segment.mDirection) * toy.mSlippery);
        GridSegmentHit hit;
        if (!FindTerrainHit(grid, context, base, slid, hit)) {
            c.mTarget = slid;
            continue;
        }
        const StaticSegment& crossed = grid.GetStaticSegment(hit.mStaticSegment);
        VectorF slide = slid - base;
        slide.NormalizeInPlace();
        const VectorF rest = slid - hit.mPoint;
        c.mTarget = hit.mPoint - slide * kContactStandOff +
                    crossed.mDirection * (Dot(rest, crossed.mDirection) * toy.mSlippery);
    }
    KeepPointContacts(toy, grid, context);
}

void MarkInsidePoints(Toy& toy)
{
    const int32_t n = toy.mPointRecords.Count();
    ContactRecord* events = toy.mLineContacts.Data();
    const int32_t count = toy.mLineContacts.Count();
    if (count == 0) {
        for (PointInsideRecord& r : toy.mPointRecords) r = PointInsideRecord{};
        return;
    }
    // Scratch of the calling thread: this runs in the parallel stage 2.
    thread_local std::vector<int32_t> stack;
    thread_local std::vector<int32_t> open;
    PairCrossingEvents(events, count, stack);

    open.clear();
    for (int32_t e = 0; e < count; ++e) OpenOrClose(events, e, open);
    int32_t e = 0;
    for (int32_t p = 0; p < n; ++p) {
        PointInsideRecord& r = toy.mPointRecords[p];
        r = PointInsideRecord{};
        if (!open.empty()) {
            const ContactRecord& top = events[open.back()];
            r.mTerrainObject = top.mStaticSegment >= 0 ? top.mStaticOwner : nullptr;
            r.mPartner = top.mPartnerToy;
            r.mInside = 1;
        }
        while (e < count && events[e].mEdgeIndex <= p) OpenOrClose(events, e++, open);
    }
}

bool ApplyParticleImpulseAtWorldPoint(Toy& toy, float particleMass, const VectorF& particleVelocity,
                                      const VectorF& hitPoint, const VectorF& normal, float restitution,
                                      VectorF* particleVelocityChange)
{
    if (particleMass == 0.0f) return false;
    VectorF n = normal;
    n.NormalizeInPlace();
    const VectorF r = hitPoint - toy.mPosition;
    const VectorF u = particleVelocity - toy.GetVelocityAt(hitPoint);
    const float approach = Dot(u, n);
    if (approach >= 0.0f) return false;
    const float rn = Cross(r, n);
    const float j = -(1.0f + restitution) * approach /
                    (1.0f / particleMass + toy.mInverseMass + rn * rn * toy.mInverseMoment);
    const VectorF impulse = n * j;
    toy.mVelocityAfterImpulses -= impulse * toy.mInverseMass;
    toy.mAngularVelocityAfterImpulses += toy.mInverseMoment * Cross(r, impulse);
    toy.UpdateSleepState();
    if (particleVelocityChange) *particleVelocityChange = impulse / particleMass;
    return true;
}

bool ApplyParticleImpulseAtLocalPoint(Toy& toy, float particleMass, const VectorF& particleVelocity,
                                      const VectorF& localHitPoint, const VectorF& normal, float restitution,
                                      VectorF* particleVelocityChange)
{
    return ApplyParticleImpulseAtWorldPoint(toy, particleMass, particleVelocity, toy.LocalToWorld(localHitPoint),
                                            normal, restitution, particleVelocityChange);
}

} // namespace KIV
