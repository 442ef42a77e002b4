#include <algorithm>
#include <cmath>
#include "base/WorkTeam.h"
#include "physics/contacts/Contacts.h"
#include "physics/geometry/TracedGeometry.h"
#include "physics/grid/SpatialGrid.h"
#include "physics/particles/ParticleHitEffects.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/terrain/BendObject.h"
#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"
#include "render/Texture.h"

// The flight of a system's particles: the step program run over one list.
// Moving particles are planned first (their motion and what their path
// strikes, each particle on its own) and the plans are then applied in list
// order, because hits write the toys and draw from the system's generator.

namespace KIV {

namespace {

// Above this speed along either axis a particle is still on its way.
constexpr float kSettleSpeed = 3.0f;
constexpr uint8_t kSettleCountdown = 20;
constexpr float kHitRestitution = 0.1f;
// How far in front of an edge a particle that bounced off it is put.
constexpr float kBounceStandOff = 0.001f;
constexpr float kHitDentFactor = 0.5f;
constexpr float kPassageMassShare = 0.3f;
// How near to its entry a particle that makes no hole still dents its toy.
constexpr float kNoHoleDentReach = 10.0f;
// Particles planned (or bounced) per chunk of the work team.
constexpr int32_t kPlanGrain = 256;

bool StillOnItsWay(const VectorF& v) { return std::fabs(v.mX) > kSettleSpeed || std::fabs(v.mY) > kSettleSpeed; }

float SignOf(float x) { return x < 0.0f ? -1.0f : 1.0f; }

// The cast of a ray given in world terms at the toy's present outline, in its frame.
bool CastThroughToy(const Toy& toy, const VectorF& worldOrigin, const VectorF& worldDirection, VectorF& localHit)
{
    const TracedGeometry& g = toy.mGeometry;
    const int32_t n = std::min(g.mOutlineCount, g.mPoints.Count());
    if (n < 3 || (worldDirection.mX == 0.0f && worldDirection.mY == 0.0f)) return false;
    const VectorF origin = toy.WorldToLocal(worldOrigin);
    const VectorF direction = worldDirection.GetRotatedClockwise(-toy.mOrientation);
    return RayHitOutline(g.mPoints.Data(), n, origin, direction, localHit, true);
}

// The outward normal of the toy's outline edge that starts at point i.
VectorF ToyEdgeNormal(const Toy& toy, int32_t i)
{
    const int32_t n = toy.mOutline.Count();
    if (i < 0 || i >= n) return VectorF();
    const VectorF d = toy.mOutline[i + 1 < n ? i + 1 : 0] - toy.mOutline[i];
    return VectorF(d.mY, -d.mX);
}

// Moves a generator on by a fixed number of draws at once: the state after n
// steps is the state times a^n modulo m, as long as the state lies in
// [1, m - 1], where each step's reduction is exact. A generator of other
// constants or out of that range is stepped draw by draw.
class DrawSkipper {
public:
    DrawSkipper(const Random& random, int32_t draws) : mDraws(draws)
    {
        const Random standard;
        if (random.mA != standard.mA || random.mM != standard.mM || random.mQ != standard.mQ ||
            random.mR != standard.mR)
            return;
        mModulus = static_cast<uint64_t>(standard.mM);
        mMultiplier = 1;
        for (int32_t i = 0; i < draws; ++i) mMultiplier = mMultiplier * static_cast<uint64_t>(standard.mA) % mModulus;
    }

    void Skip(Random& random) const
    {
        if (mMultiplier != 0 && random.mSeed > 0 && static_cast<uint64_t>(random.mSeed) < mModulus) {
            random.mSeed = static_cast<int32_t>(static_cast<uint64_t>(random.mSeed) * mMultiplier % mModulus);
            return;
        }
        for (int32_t i = 0; i < mDraws; ++i) random.Step();
    }

private:
    int32_t mDraws;
    uint64_t mModulus = 0;
    uint64_t mMultiplier = 0;
};

VectorF Scaled(const VectorF& v, float length)
{
    VectorF s = v;
    s.Normalize(length);
    return s;
}

} // namespace

VectorF ParticleSystem::Acceleration(int32_t slot) const
{
    VectorF a;
    if (mDoVectorGravity) a = mUseSceneGravity ? mSceneGravity : mGravityVector;
    if (mDoGravityToPoint) a += Scaled(mGravityToPointPoint - mPositions[slot], mGravityToPointPower);
    if (mDoAirFriction) {
        const float k = mAirFrictionCoefs.Count() > slot ? mAirFrictionCoefs[slot] : mAirFrictionCoef.mMinValue;
        a -= mVelocities[slot] * k;
    }
    return a;
}

// The same pull on every particle: the products that depend only on it are
// the same bits for each, so they are made once.
struct ParticleSystem::UniformPull {
    VectorF mDrift;
    VectorF mGain;
    float mDt;

    explicit UniformPull(const ParticleSystem& ps)
    {
        VectorF a;
        if (ps.mDoVectorGravity) a = ps.mUseSceneGravity ? ps.mSceneGravity : ps.mGravityVector;
        mDrift = a * ps.mHalfDtSquared;
        mGain = a * ps.mDt;
        mDt = ps.mDt;
    }
    void Move(VectorF& position, VectorF& velocity) const
    {
        // The velocity is read once: the position's write could alias it.
        const VectorF v = velocity;
        position += mDrift + v * mDt;
        velocity = v + mGain;
    }
};

bool ParticleSystem::FadeOut(float& alpha, uint8_t& shown, float out)
{
    alpha -= out;
    if (alpha < 1.0f) return false;
    shown = static_cast<uint8_t>(alpha);
    return true;
}

void ParticleSystem::MoveAndFadeOut()
{
    // Each particle is moved and then faded as the two passes would, and the
    // faded out are freed in the same (list) order: the bits are theirs.
    const UniformPull pull(*this);
    const float out = mFadeOut * mDt;
    // Held apart from the arrays, which writes through these could alias.
    VectorF* positions = mPositions.Data();
    VectorF* velocities = mVelocities.Data();
    float* alphas = mFadeStartAlphas.Data();
    ColorRGBA* colors = mColors.Data();
    const ParticleLink* links = mLinks.Data();
    const int32_t count = mMoving.mCount;
    if (count == mLinks.Capacity()) {
        // Every slot of the pool moves, as a burst's do until the first of
        // them fades out: the walk goes in slot order and reads no links.
        // Only the frees depend on the list's order, and they follow in it.
        bool faded = false;
        for (int32_t slot = 0; slot < count; ++slot) {
            pull.Move(positions[slot], velocities[slot]);
            faded |= !FadeOut(alphas[slot], colors[slot].mAlpha, out);
        }
        if (!faded) return;
        for (int32_t slot = mMoving.mHead; slot >= 0;)
            slot = alphas[slot] < 1.0f ? FreeParticle(mMoving, slot) : links[slot].mNext;
        return;
    }
    for (int32_t slot = mMoving.mHead; slot >= 0;) {
        pull.Move(positions[slot], velocities[slot]);
        slot = FadeOut(alphas[slot], colors[slot].mAlpha, out) ? links[slot].mNext : FreeParticle(mMoving, slot);
    }
}

void ParticleSystem::MoveWithoutHits()
{
    if (!mDoGravityToPoint && !mDoAirFriction) {
        const UniformPull pull(*this);
        for (int32_t slot = mMoving.mHead; slot >= 0; slot = mLinks[slot].mNext)
            pull.Move(mPositions[slot], mVelocities[slot]);
        return;
    }
    for (int32_t slot = mMoving.mHead; slot >= 0; slot = mLinks[slot].mNext) {
        const VectorF a = Acceleration(slot);
        mPositions[slot] += a * mHalfDtSquared + mVelocities[slot] * mDt;
        mVelocities[slot] += a * mDt;
    }
}

void ParticleSystem::PlanMove(FlightStep& step, const SpatialGrid& grid, GridQueryContext& context) const
{
    const int32_t slot = step.mSlot;
    step.mOutcome = kFlyFree;
    step.mStaticSegment = -1;
    step.mToy = nullptr;
    step.mToyPoint = -1;
    if (mAllowSleepingParticles) {
        // Only this particle's own countdown is written: plans run side by side.
        uint8_t& countdown = const_cast<uint8_t&>(mSleepCountdowns[slot]);
        if (countdown <= kSettleCountdown) {
            if (StillOnItsWay(mVelocities[slot])) {
                countdown = kSleepCountdownStart;
            } else if (countdown <= 1) {
                step.mOutcome = kFallAsleep;
                return;
            } else {
                --countdown;
            }
        }
    }
    const VectorF a = Acceleration(slot);
    step.mDisplacement = a * mHalfDtSquared + mVelocities[slot] * mDt;
    step.mVelocityChange = a * mDt;

    GridSegmentQuery q;
    q.mFrom = mPositions[slot];
    q.mTo = q.mFrom + step.mDisplacement;
    q.mTestStatic = mBounceOffTerrain != 0;
    q.mTestToys = mBounceOffToys != 0;
    q.mMover = GridMover::kParticle;
    q.mExcludedRobot = mDontBounceOffRobotLinked ? mLinkedRobot : nullptr;
    q.mReportInside = mShardSystem != 0;
    // A particle on its way through a toy does not strike that toy's edges again.
    if (mPenetratingParticles && mPenetrations[slot].mInside) q.mExcludedToy = mPenetrations[slot].mToy;
    GridSegmentHit hit;
    const bool struck = grid.QuerySegment(q, context, hit);
    if (mShardSystem && hit.mInside) {
        step.mOutcome = kShardStops;
    } else if (struck) {
        step.mOutcome = hit.mToy ? kHitsToy : kHitsTerrain;
        step.mStaticSegment = hit.mStaticSegment;
        step.mToy = hit.mToy;
        step.mToyPoint = hit.mToyPoint;
        step.mHitPoint = hit.mPoint;
    } else if (!(mPenetratingParticles && mPenetrations[slot].mInside)) {
        // Free flight outside any toy touches nothing but this particle, and
        // no earlier particle's hit reads it: it need not wait for its turn.
        MoveFreely(step);
        step.mOutcome = kFlown;
    }
}

void ParticleSystem::MoveFreely(const FlightStep& step) const
{
    VectorF& position = const_cast<VectorF&>(mPositions[step.mSlot]);
    VectorF& velocity = const_cast<VectorF&>(mVelocities[step.mSlot]);
    position += step.mDisplacement;
    velocity += step.mVelocityChange;
}

bool ParticleSystem::BounceDrawsAhead() const { return !mDoBulletDeform && !mDisappearAfterFirstBounce; }

void ParticleSystem::ApplyMove(FlightStep& step, const SpatialGrid& grid, Scene* scene)
{
    const int32_t slot = step.mSlot;
    switch (step.mOutcome) {
    case kFlown:
        return;
    case kFallAsleep:
        MoveToSleeping(slot);
        return;
    case kShardStops:
        FreeMovingParticle(slot);
        return;
    case kHitsTerrain: {
        GridSegmentHit hit;
        hit.mStaticSegment = step.mStaticSegment;
        hit.mPoint = step.mHitPoint;
        BounceOffTerrain(slot, hit, grid, scene);
        if (mDisappearAfterFirstBounce) FreeMovingParticle(slot);
        return;
    }
    case kHitsToy:
        if (HitToy(slot, step, scene)) FreeMovingParticle(slot);
        return;
    default:
        break;
    }
    if (mPenetratingParticles && mPenetrations[slot].mInside && FlyThroughToy(slot, step.mDisplacement, scene)) {
        FreeMovingParticle(slot);
        return;
    }
    mPositions[slot] += step.mDisplacement;
    mVelocities[slot] += step.mVelocityChange;
}

void ParticleSystem::BounceWithDraws(int32_t begin, int32_t end, const SpatialGrid& grid)
{
    // Neighbours in the list mostly rest on the same edge: its stand-off is
    // worked out once for them.
    int32_t lastEdge = -1;
    VectorF standOff;
    for (int32_t i = begin; i < end; ++i) {
        const FlightStep& step = mFlightSteps[i];
        if (step.mOutcome != kBounceWithDraws) continue;
        const StaticSegment& edge = grid.GetStaticSegment(step.mStaticSegment);
        if (step.mStaticSegment != lastEdge) {
            lastEdge = step.mStaticSegment;
            standOff = Scaled(edge.mNormal, kBounceStandOff);
        }
        Random random = mRandom;
        random.mSeed = step.mSeed;
        Bounce(step.mSlot, edge, step.mHitPoint + standOff, random);
    }
}

void ParticleSystem::Bounce(int32_t slot, const StaticSegment& edge, const VectorF& at, Random& random)
{
    if (mAllowSleepingParticles && mSleepCountdowns[slot] > kSettleCountdown) mSleepCountdowns[slot] = kSettleCountdown;
    VectorF v = mVelocities[slot] * -(0.1f + 0.5f * random.NextFloat());
    // Mirrored about the edge's normal: the part along the edge goes on, the
    // part into it turns back out.
    const float speed = v.GetLength();
    const float mirrored = 2.0f * edge.mNormalAngle - std::atan2(v.mY, v.mX);
    v = VectorF(std::cos(mirrored) * speed, std::sin(mirrored) * speed);
    v.Rotate(random.NextFloatInRange(-0.75f, 0.75f));
    mVelocities[slot] = v;
    mPositions[slot] = at;
    if (mParticleRotationStyle == 1) mAngularSpeeds[slot] = random.NextFloat() * 60.0f * SignOf(v.mX);
}

// As many as Bounce draws.
int32_t ParticleSystem::BounceDrawCount() const { return mParticleRotationStyle == 1 ? 3 : 2; }

void ParticleSystem::BounceOffTerrain(int32_t slot, const GridSegmentHit& hit, const SpatialGrid& grid, Scene* scene)
{
    const StaticSegment& edge = grid.GetStaticSegment(hit.mStaticSegment);
    Bounce(slot, edge, hit.mPoint + Scaled(edge.mNormal, kBounceStandOff), mRandom);
    const VectorF v = mVelocities[slot];

    if (!mDoBulletDeform || !scene || !edge.mOwner) return;
    // Only terrain objects own edges; the scene's list tells them from anything else.
    BendObject* object = nullptr;
    for (BendObject* o : scene->mTerrainObjects)
        if (o == edge.mOwner) object = o;
    Texture* texture = object ? object->GetCurrentTexture() : nullptr;
    ParticleSystem* shards =
        texture ? static_cast<ParticleSystem*>(texture->mShardSystems.Get(static_cast<void*>(scene))) : nullptr;
    if (!shards) return;
    shards->mStartMoveVector = v * 0.9f;
    shards->mStartMoveVectorValid = 1;
    shards->mPosition = hit.mPoint;
    const int32_t count = 1 + mRandom.NextInt(4);
    for (int32_t i = 0; i < count; ++i) shards->EmitShardPaticle(object->GetShardPointOnEdge(edge.mEdgeIndex));
}

bool ParticleSystem::HitToy(int32_t slot, const FlightStep& step, Scene* scene)
{
    Toy& toy = *step.mToy;
    if (mAllowSleepingParticles) mSleepCountdowns[slot] = kSleepCountdownStart;
    if (mPenetratingParticles && !mPenetrations[slot].mInside && StartPassage(slot, step, scene)) {
        mPositions[slot] += step.mDisplacement;
        mVelocities[slot] += step.mVelocityChange;
        return false;
    }
    if (mPenetratingParticles && mPenetrations[slot].mInside) {
        // Struck another toy on its way through the first: the passage ends here.
        mPenetrations[slot].mInside = 0;
        mPenetrations[slot].mToy = nullptr;
    }
    const VectorF incoming = mVelocities[slot];
    VectorF change;
    if (ApplyParticleImpulseAtWorldPoint(toy, mParticleWeight, incoming, step.mHitPoint,
                                         ToyEdgeNormal(toy, step.mToyPoint), kHitRestitution, &change))
        mVelocities[slot] += change;
    if (mAllowEffectDent) DoDentEffect(scene, toy, step.mHitPoint, mVelocities[slot], kHitDentFactor);
    float resistance = 1.0f;
    if (mDoBulletDeform && GetToySurfaceDeform(scene, toy, resistance) && resistance > 0.0f)
        toy.DentByParticle(step.mHitPoint, Scaled(incoming, mBulletDeformPower) / resistance);
    if (mParticleRotationStyle == 1)
        mAngularSpeeds[slot] = mRandom.NextFloat() * 60.0f * SignOf(mVelocities[slot].mX);
    return mDisappearAfterFirstBounce != 0;
}

bool ParticleSystem::StartPassage(int32_t slot, const FlightStep& step, Scene* scene)
{
    Toy& toy = *step.mToy;
    if (!MaterialAllowsPenetration(scene, toy)) return false;
    const int32_t i = step.mToyPoint;
    const float depth = i >= 0 && i < toy.mPenetrationValues.Count() ? toy.mPenetrationValues[i] : 0.0f;
    if (!(depth > 0.0f)) return false;
    VectorF exit;
    if (!CastThroughToy(toy, step.mHitPoint, step.mDisplacement, exit)) return false;
    ParticlePenetration& p = mPenetrations[slot];
    p.mInside = 1;
    p.mToy = &toy;
    p.mEntryPoint = toy.WorldToLocal(step.mHitPoint);
    p.mExitPoint = exit;
    p.mEntryDepth = mRandom.NextFloat() * depth;
    const ParticleHoles holes =
        DecideParticleHoles(scene, toy, mVelocities[slot].GetLength() * mParticleWeight * mSharpness);
    p.mNoHole = holes.mNoHole;
    p.mEntryOnly = holes.mEntryOnly;
    p.mEntryAndExit = holes.mEntryAndExit;
    p.mEntryDone = 0;
    p.mExitDepth = 2.0f - mRandom.NextFloat() * depth;
    return true;
}

bool ParticleSystem::FlyThroughToy(int32_t slot, const VectorF& displacement, Scene* scene)
{
    ParticlePenetration& p = mPenetrations[slot];
    if (!p.mToy) {
        p.mInside = 0;
        return false;
    }
    Toy& toy = *p.mToy;
    const VectorF at = mPositions[slot];
    VectorF ahead, behind;
    if (CastThroughToy(toy, at, displacement, ahead) && CastThroughToy(toy, at, displacement * -1.0f, behind)) {
        p.mExitPoint = ahead;
        p.mEntryPoint = behind;
    }
    const float a = VectorF::GetDistance(at, toy.LocalToWorld(p.mEntryPoint));
    const float b = VectorF::GetDistance(at, toy.LocalToWorld(p.mExitPoint));
    // A passage of no length has been crossed already.
    const float progress = a + b > 0.0f ? 2.0f * (displacement.GetLength() + a) / (a + b) : 2.0f;
    auto along = [&p](float t) { return VectorF::Lerp(p.mEntryPoint, p.mExitPoint, t); };
    // The toy takes the push along the particle's path.
    const VectorF against = mVelocities[slot] * -1.0f;
    if (progress > p.mEntryDepth && !p.mEntryDone) {
        const VectorF local = along(0.5f * p.mEntryDepth);
        if (p.mNoHole) {
            ApplyParticleImpulseAtLocalPoint(toy, mParticleWeight, mVelocities[slot], local, against, kHitRestitution,
                                             nullptr);
            const VectorF world = toy.LocalToWorld(local);
            if (mAllowEffectDent) DoDentEffect(scene, toy, world, mVelocities[slot], 0.5f + 0.5f * p.mEntryDepth);
            float resistance = 1.0f;
            if (mDoBulletDeform && VectorF::GetDistance(at, toy.LocalToWorld(p.mEntryPoint)) < kNoHoleDentReach &&
                GetToySurfaceDeform(scene, toy, resistance) && resistance > 0.0f)
                toy.DentByParticle(at, Scaled(mVelocities[slot], mBulletDeformPower) / resistance);
            p.mInside = 0;
            return true;
        }
        p.mEntryDone = 1;
        ApplyParticleImpulseAtLocalPoint(toy, kPassageMassShare * mParticleWeight, mVelocities[slot], local, against,
                                         kHitRestitution, nullptr);
        if (mAllowEffectHoles)
            DoEntryHoleEffect(scene, toy, toy.LocalToWorld(local), mVelocities[slot], 0.5f + 0.5f * p.mEntryDepth);
        if (p.mEntryOnly) {
            p.mInside = 0;
            return true;
        }
    }
    if (p.mEntryDone && p.mEntryAndExit && progress > p.mExitDepth) {
        p.mInside = 0;
        const VectorF local = along(0.5f * p.mExitDepth);
        ApplyParticleImpulseAtLocalPoint(toy, kPassageMassShare * mParticleWeight, mVelocities[slot], local, against,
                                         kHitRestitution, nullptr);
        if (mAllowEffectHoles)
            DoExitHoleEffect(scene, toy, toy.LocalToWorld(local), mVelocities[slot],
                             0.5f + 0.5f * (2.0f - p.mExitDepth));
    }
    return false;
}

void ParticleSystem::ForgetToy(const Toy* toy)
{
    if (!toy) return;
    if (mLinkedToy == toy) mLinkedToy = nullptr;
    for (ParticlePenetration& p : mPenetrations)
        if (p.mToy == toy) {
            p.mToy = nullptr;
            p.mInside = 0;
        }
}

// ---- the other step codes, on either list ----

void ParticleSystem::Size(bool sleepingPass)
{
    ParticleList& list = sleepingPass ? mSleeping : mMoving;
    const bool ownFactors = HasSizingFactors();
    const float growth = mSizingBy.mMinValue * mDt;
    if (!ownFactors && growth == 0.0f) return;
    for (int32_t slot = list.mHead; slot >= 0;) {
        mSizes[slot] += ownFactors ? mSizingFactors[slot] * mDt : growth;
        const bool dies = mSizes[slot] <= 0.0f && (ownFactors || growth < 0.0f);
        slot = dies ? FreeParticle(list, slot) : mLinks[slot].mNext;
    }
}

void ParticleSystem::Fade(bool sleepingPass)
{
    if (!HasFade()) return;
    ParticleList& list = sleepingPass ? mSleeping : mMoving;
    const float in = mFadeIn * mDt;
    const float out = mFadeOut * mDt;
    if (!(in > 0.0f) && out > 0.0f) {
        // Fading out only, as most bursts do: the same steps as below without
        // the tests that cannot pass.
        for (int32_t slot = list.mHead; slot >= 0;)
            slot = FadeOut(mFadeStartAlphas[slot], mColors[slot].mAlpha, out) ? mLinks[slot].mNext
                                                                              : FreeParticle(list, slot);
        return;
    }
    // The alpha is kept as a float beside the colour's byte, so fades slower
    // than one unit a step still arrive.
    for (int32_t slot = list.mHead; slot >= 0;) {
        float& alpha = mFadeStartAlphas[slot];
        uint8_t& shown = mColors[slot].mAlpha;
        bool dies = false;
        if (in > 0.0f && out > 0.0f) {
            if (mFadePhases[slot] == 1) {
                alpha += in;
                if (alpha >= 255.0f) {
                    alpha = 255.0f;
                    mFadePhases[slot] = 0;
                }
                shown = static_cast<uint8_t>(alpha);
            } else {
                const float lowered = alpha - out;
                dies = !(lowered > 0.0f);
                if (!dies) {
                    alpha = lowered;
                    shown = static_cast<uint8_t>(alpha);
                }
            }
        } else if (in > 0.0f) {
            if (alpha < 255.0f) {
                alpha = std::min(alpha + in, 255.0f);
                shown = static_cast<uint8_t>(alpha);
            }
        } else if (out > 0.0f) {
            alpha -= out;
            dies = alpha < 1.0f;
            if (!dies) shown = static_cast<uint8_t>(alpha);
        }
        slot = dies ? FreeParticle(list, slot) : mLinks[slot].mNext;
    }
}

void ParticleSystem::TrackAngles(bool sleepingPass)
{
    const int32_t length = mAngleTrackerTable.Count();
    if (length < 1 || mAngleTrackerIndices.Count() < 1) return;
    const ParticleList& list = sleepingPass ? mSleeping : mMoving;
    for (int32_t slot = list.mHead; slot >= 0; slot = mLinks[slot].mNext) {
        int32_t& index = mAngleTrackerIndices[slot];
        if (index < 0 || index >= length) index = 0;
        const SinCos& turn = mAngleTrackerTable[index];
        const VectorF v = mVelocities[slot];
        mVelocities[slot] = VectorF(v.mX * turn.mCos - v.mY * turn.mSin, v.mX * turn.mSin + v.mY * turn.mCos);
        if (++index >= length) index = 0;
    }
}

namespace {

// One blink step: true when the period ended and a new target is due.
bool AdvanceBlink(BlinkTimer& timer, float& t)
{
    timer.mElapsed = std::min(timer.mElapsed + 1, timer.mPeriod);
    if (timer.mElapsed >= timer.mPeriod) {
        t = 1.0f;
        return true;
    }
    t = timer.mPeriod > 0 ? static_cast<float>(timer.mElapsed) / static_cast<float>(timer.mPeriod) : 0.0f;
    return false;
}

uint8_t LerpByte(uint8_t from, uint8_t to, float t)
{
    return static_cast<uint8_t>(static_cast<float>(from) + (static_cast<float>(to) - static_cast<float>(from)) * t);
}

} // namespace

void ParticleSystem::BlinkColors(bool sleepingPass)
{
    if (mColorBlinkTimers.Count() < 1) return;
    const ParticleList& list = sleepingPass ? mSleeping : mMoving;
    const ColorRGBA from(mColorBlinkColor1.mRed, mColorBlinkColor1.mGreen, mColorBlinkColor1.mBlue, 255);
    const ColorRGBA to(mColorBlinkColor2.mRed, mColorBlinkColor2.mGreen, mColorBlinkColor2.mBlue, 255);
    for (int32_t slot = list.mHead; slot >= 0; slot = mLinks[slot].mNext) {
        BlinkTimer& timer = mColorBlinkTimers[slot];
        float t;
        if (AdvanceBlink(timer, t)) {
            // A period ends at its target, which the next one starts from;
            // the target swings between the two colours.
            const bool towardsFirst = mColorBlinkPhases[slot] == 0;
            mColorBlinkPhases[slot] = towardsFirst ? 1 : 0;
            mBlinkColors1[slot] = mBlinkColors2[slot];
            timer = BlinkTimer{0, DrawPeriod(mColorBlinkInterval)};
            const bool random = towardsFirst ? mColorBlinkColor1Random : mColorBlinkColor2Random;
            const ColorRGBA own = towardsFirst ? mColor1 : mColor2;
            const ColorRGBA c = random ? ColorRGBA::Lerp(from, to, mRandom.NextFloat()) : own;
            mBlinkColors2[slot] = ColorRGB{c.mRed, c.mGreen, c.mBlue};
            t = 0.0f;
        }
        const ColorRGB& a = mBlinkColors1[slot];
        const ColorRGB& b = mBlinkColors2[slot];
        ColorRGBA& c = mColors[slot];
        c.mRed = LerpByte(a.mRed, b.mRed, t);
        c.mGreen = LerpByte(a.mGreen, b.mGreen, t);
        c.mBlue = LerpByte(a.mBlue, b.mBlue, t);
    }
}

void ParticleSystem::BlinkAlphas(bool sleepingPass)
{
    if (mAlphaBlinkTimers.Count() < 1) return;
    const ParticleList& list = sleepingPass ? mSleeping : mMoving;
    const int32_t lo = std::min(mAlphaBlinkAlpha1, mAlphaBlinkAlpha2);
    const int32_t hi = std::max(mAlphaBlinkAlpha1, mAlphaBlinkAlpha2);
    for (int32_t slot = list.mHead; slot >= 0; slot = mLinks[slot].mNext) {
        BlinkTimer& timer = mAlphaBlinkTimers[slot];
        float t;
        if (AdvanceBlink(timer, t)) {
            const bool towardsFirst = mAlphaBlinkPhases[slot] == 0;
            mAlphaBlinkPhases[slot] = towardsFirst ? 1 : 0;
            mBlinkAlphas1[slot] = mBlinkAlphas2[slot];
            timer = BlinkTimer{0, DrawPeriod(mAlphaBlinkInterval)};
            const bool random = towardsFirst ? mAlphaBlinkAlpha1Random : mAlphaBlinkAlpha2Random;
            const uint8_t own = towardsFirst ? mColor1.mAlpha : mColor2.mAlpha;
            mBlinkAlphas2[slot] = random ? static_cast<uint8_t>(lo + mRandom.NextInt(hi - lo + 1)) : own;
            t = 0.0f;
        }
        mColors[slot].mAlpha = LerpByte(mBlinkAlphas1[slot], mBlinkAlphas2[slot], t);
    }
}

void ParticleSystem::Spin(bool sleepingPass)
{
    if (mParticleRotationStyle != 1 || mAngles.Count() < 1) return;
    const ParticleList& list = sleepingPass ? mSleeping : mMoving;
    for (int32_t slot = list.mHead; slot >= 0; slot = mLinks[slot].mNext)
        if (StillOnItsWay(mVelocities[slot])) mAngles[slot] -= mAngularSpeeds[slot] * mDt;
}

// ---- the pass ----

void ParticleSystem::MoveWithHits(SpatialGrid& grid, Scene* scene, bool parallel)
{
    if (!mFlightSteps.SetCount(mMoving.mCount)) return;
    {
        int32_t i = 0;
        for (int32_t slot = mMoving.mHead; slot >= 0; slot = mLinks[slot].mNext) mFlightSteps[i++].mSlot = slot;
    }
    // Each plan reads the world and writes only its own particle.
    WorkTeam::Shared().For(mFlightSteps.Count(), kPlanGrain, parallel, [&](int32_t i, int32_t thread) {
        PlanMove(mFlightSteps[i], grid, grid.GetQueryContext(thread));
    });
    // In list order: hits write toys and draw from the generator.
    const bool drawAhead = BounceDrawsAhead();
    const DrawSkipper skipper(mRandom, BounceDrawCount());
    int32_t bounces = 0;
    for (FlightStep& step : mFlightSteps) {
        if (step.mOutcome == kFlown) continue;
        if (step.mOutcome == kHitsTerrain && drawAhead) {
            step.mSeed = mRandom.mSeed;
            step.mOutcome = kBounceWithDraws;
            skipper.Skip(mRandom);
            ++bounces;
            continue;
        }
        ApplyMove(step, grid, scene);
    }
    // Bounces given their draws touch only their own particle.
    const int32_t count = mFlightSteps.Count();
    if (bounces > 0)
        WorkTeam::Shared().For((count + kPlanGrain - 1) / kPlanGrain, 1, parallel, [&](int32_t chunk, int32_t) {
            const int32_t begin = chunk * kPlanGrain;
            BounceWithDraws(begin, std::min(begin + kPlanGrain, count), grid);
        });
}

void ParticleSystem::FlyList(SpatialGrid& grid, bool sleepingPass, Scene* scene, bool parallel)
{
    for (int32_t i = 0; i < mActingCodeCount; ++i) {
        switch (mActingCodes[i]) {
        case kStepMove:
            if (sleepingPass || mMoving.mCount == 0) break;
            if (!mBounceOffTerrain && !mBounceOffToys) MoveWithoutHits();
            else MoveWithHits(grid, scene, parallel);
            break;
        case kStepSizing:
            Size(sleepingPass);
            break;
        case kStepFadeAlpha:
            Fade(sleepingPass);
            break;
        case kStepAngleTracker:
            TrackAngles(sleepingPass);
            break;
        case kStepColorBlink:
            BlinkColors(sleepingPass);
            break;
        case kStepAlphaBlink:
            BlinkAlphas(sleepingPass);
            break;
        default:
            break;
        }
    }
    Spin(sleepingPass);
}

} // namespace KIV
