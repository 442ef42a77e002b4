#include "physics/particles/ParticleSystem.h"
#include <algorithm>
#include <cmath>
#include "base/Notices.h"
#include "physics/particles/AngleTrackerTable.h"
#include "render/Texture.h"
#include "render/TextureLib.h"

// The system's properties, the rule by which they rebuild the step program,
// and the per-particle arrays that follow the features in and out of being.

namespace KIV {

namespace {

// The features whose per-particle arrays come and go with their switches.
enum Feature : int32_t {
    kFeatureBase,
    kFeatureTexRect,
    kFeatureSizing,
    kFeatureFade,
    kFeatureAirFriction,
    kFeatureTracker,
    kFeatureColorBlink,
    kFeatureAlphaBlink,
    kFeatureRotation,
    kFeatureSleep,
    kFeaturePenetration,
    kFeatureShard,
    kFeatureCount
};

constexpr int32_t kStepProgramCapacity = 32;

uint8_t Flag(bool b) { return b ? 1 : 0; }

uint8_t ClampAlpha(int32_t alpha) { return static_cast<uint8_t>(std::clamp(alpha, 0, 255)); }

} // namespace

ParticleSystem::ParticleSystem()
{
    // The particle shape starts as a white record; the marker shape draws lines.
    mMarkerShape.mKind = 1;
}

ParticleSystem::~ParticleSystem()
{
    if (mTexture && mShardSystem) mTexture->mShardSystems.Remove(this);
}

// ---- the start move vector ----

void ParticleSystem::SetStartMoveVector(const VectorF& v)
{
    mStartDirection = std::atan2(v.mY, v.mX);
    mStartSpeed = v.GetLength();
    mStartMoveVector = v;
    mStartMoveVectorValid = 1;
}

void ParticleSystem::SetStartSpeed(float speed)
{
    mStartSpeed = speed;
    mStartMoveVectorValid = 0;
}

void ParticleSystem::SetStartDirection(float direction)
{
    mStartDirection = direction;
    mStartMoveVectorValid = 0;
}

void ParticleSystem::RecomputeStartMoveVector()
{
    VectorF v(mStartSpeed, 0.0f);
    v.Rotate(mStartDirection);
    mStartMoveVector = v;
    mStartMoveVectorValid = 1;
}

void ParticleSystem::SetStartSpeedMul(const IntervalF& v)
{
    mStartSpeedMul = v;
    mStartSpeedMulInUse = Flag(!(v.mMinValue == 1.0f && v.mMaxValue == 1.0f));
}

void ParticleSystem::SetStartSpeedMulMin(float v) { SetStartSpeedMul(IntervalF(v, mStartSpeedMul.mMaxValue)); }

void ParticleSystem::SetStartSpeedMulMax(float v) { SetStartSpeedMul(IntervalF(mStartSpeedMul.mMinValue, v)); }

// ---- texture and atlas ----

void ParticleSystem::FetchTexture()
{
    Texture* texture = gTextureLib ? gTextureLib->GetTexture(mTextureFileName) : nullptr;
    if (!texture && !mTextureFileName.empty() && gTextureLib)
        ReportNotice("particle system \"" + GetName() + "\": picture \"" + mTextureFileName +
                     "\" could not be loaded; its particles are drawn untextured");
    // The texture's shards are no longer this system's to emit.
    if (mTexture && mTexture != texture) mTexture->mShardSystems.Remove(this);
    mTexture = texture;
}

void ParticleSystem::SetTexture(const std::string& fileName)
{
    mTextureFileName = fileName;
    FetchTexture();
    // Atlas cells are picked at emission: a new picture's cells differ.
    if (HasTextureRects()) DeleteAllParticles();
    RecomputeQuadTemplate();
}

void ParticleSystem::SetTextureFromLib()
{
    if (!gTextureLib || gTextureLib->mSelectedName.empty()) return;
    SetTexture(gTextureLib->mSelectedName);
}

void ParticleSystem::SetMultiTexture(int32_t columns, int32_t rows)
{
    mMultiTexture = VectorI(std::max(columns, 1), std::max(rows, 1));
    ApplyMultiTexture();
}

void ParticleSystem::ApplyMultiTexture()
{
    // The particles' cells were picked for the old atlas.
    if (HasTextureRects()) DeleteAllParticles();
    SyncParticleArrays();
    mTexRects.FillZero();
    RecomputeQuadTemplate();
}

void ParticleSystem::RecomputeQuadTemplate()
{
    if (!mTexture) return;
    VectorF cell(static_cast<float>(mTexture->mTextureSize.mX), static_cast<float>(mTexture->mTextureSize.mY));
    if (HasTextureRects())
        cell = VectorF(static_cast<float>(mTexture->mFullPictureSize.mX) / static_cast<float>(mMultiTexture.mX),
                       static_cast<float>(mTexture->mFullPictureSize.mY) / static_cast<float>(mMultiTexture.mY));
    const float a = 2.0f * std::atan2(cell.mX, cell.mY);
    mQuadTemplate[0] = a;
    mQuadTemplate[1] = std::sin(a);
    mQuadTemplate[2] = std::cos(a);
    mQuadTemplate[3] = std::sin(-a * 0.5f);
    mQuadTemplate[4] = std::cos(-a * 0.5f);
}

// ---- switches with per-particle arrays ----

void ParticleSystem::SetParticleRotationStyle(int32_t style)
{
    mParticleRotationStyle = style;
    SyncParticleArrays();
}

void ParticleSystem::SetAllowSleepingParticles(bool b)
{
    mAllowSleepingParticles = Flag(b);
    // At once, not at the next full apply: a particle emitted before that
    // would count down in an array that is not there.
    SyncParticleArrays();
}

void ParticleSystem::SetPenetratingParticles(bool b)
{
    mPenetratingParticles = Flag(b);
    SyncParticleArrays();
    for (ParticlePenetration& p : mPenetrations) p.mInside = 0;
}

void ParticleSystem::SetShardSystem(bool on)
{
    mShardSystem = Flag(on);
    SyncParticleArrays();
    if (!on && mTexture) mTexture->mShardSystems.Remove(this);
}

void ParticleSystem::ApplyFeatures()
{
    SyncParticleArrays();
    RebuildStepProgram();
}

void ParticleSystem::SetDoSizing(bool b)
{
    mDoSizing = Flag(b);
    ApplyFeatures();
}

void ParticleSystem::SetSizingBy(const IntervalF& v)
{
    mSizingBy = v;
    ApplyFeatures();
}

void ParticleSystem::SetDoVectorGravity(bool b)
{
    mDoVectorGravity = Flag(b);
    RebuildStepProgram();
}

void ParticleSystem::SetGravityVector(const VectorF& v)
{
    mGravityVector = v;
    RebuildStepProgram();
}

void ParticleSystem::SetUseSceneGravity(bool b)
{
    mUseSceneGravity = Flag(b);
    RebuildStepProgram();
}

void ParticleSystem::SetDoGravityToPoint(bool b)
{
    mDoGravityToPoint = Flag(b);
    RebuildStepProgram();
}

void ParticleSystem::SetGravityToPointPoint(const VectorF& p)
{
    mGravityToPointPoint = p;
    RebuildStepProgram();
}

void ParticleSystem::SetGravityToPointPower(float p)
{
    mGravityToPointPower = p;
    RebuildStepProgram();
}

void ParticleSystem::SetDoFadeAlpha(bool b)
{
    mDoFadeAlpha = Flag(b);
    ApplyFeatures();
}

void ParticleSystem::SetFadeAlphaFadeIn(float v)
{
    mFadeIn = v;
    ApplyFeatures();
}

void ParticleSystem::SetFadeAlphaFadeOut(float v)
{
    mFadeOut = v;
    ApplyFeatures();
}

void ParticleSystem::SetDoAirFriction(bool b)
{
    mDoAirFriction = Flag(b);
    ApplyFeatures();
}

void ParticleSystem::SetAirFrictionCoef(const IntervalF& v)
{
    mAirFrictionCoef = v;
    ApplyFeatures();
}

void ParticleSystem::ApplyAngleTracker()
{
    const bool hadIndices = mAngleTrackerIndices.Capacity() > 0;
    if (mDoAngleTracker) BuildAngleTrackerTable(mAngleTrackerTable, mAngleTrackerType, mAngleTrackerPower, mRandom);
    else mAngleTrackerTable.Free();
    ApplyFeatures();
    // A new table may be shorter than the indices the particles hold.
    if (mDoAngleTracker && hadIndices) ForEachLiveParticle([this](int32_t slot) { StartAngleTracker(slot); });
}

void ParticleSystem::SetDoAngleTracker(bool b)
{
    mDoAngleTracker = Flag(b);
    ApplyAngleTracker();
}

void ParticleSystem::SetAngleTrackerType(int32_t type)
{
    mAngleTrackerType = type;
    ApplyAngleTracker();
}

void ParticleSystem::SetAngleTrackerPower(float p)
{
    mAngleTrackerPower = p;
    ApplyAngleTracker();
}

void ParticleSystem::SetAngleTrackerStartIndex(int32_t i)
{
    mAngleTrackerStartIndex = i;
    ApplyAngleTracker();
}

void ParticleSystem::SetAngleTrackerRandomStartIndex(bool b)
{
    mAngleTrackerRandomStartIndex = Flag(b);
    ApplyAngleTracker();
}

void ParticleSystem::SetDoColorBlink(bool b)
{
    mDoColorBlink = Flag(b);
    ApplyFeatures();
}

void ParticleSystem::SetColorBlinkInterval(const IntervalI& v)
{
    mColorBlinkInterval = v;
    ApplyFeatures();
}

void ParticleSystem::SetColorBlinkColor1Random(bool b)
{
    mColorBlinkColor1Random = Flag(b);
    ApplyFeatures();
}

void ParticleSystem::SetColorBlinkColor2Random(bool b)
{
    mColorBlinkColor2Random = Flag(b);
    ApplyFeatures();
}

void ParticleSystem::SetColorBlinkColor1(const ColorRGB& c)
{
    mColorBlinkColor1 = c;
    ApplyFeatures();
}

void ParticleSystem::SetColorBlinkColor2(const ColorRGB& c)
{
    mColorBlinkColor2 = c;
    ApplyFeatures();
}

void ParticleSystem::SetDoAlphaBlink(bool b)
{
    mDoAlphaBlink = Flag(b);
    ApplyFeatures();
}

void ParticleSystem::SetAlphaBlinkInterval(const IntervalI& v)
{
    mAlphaBlinkInterval = v;
    ApplyFeatures();
}

void ParticleSystem::SetAlphaBlinkAlpha1Random(bool b)
{
    mAlphaBlinkAlpha1Random = Flag(b);
    ApplyFeatures();
}

void ParticleSystem::SetAlphaBlinkAlpha2Random(bool b)
{
    mAlphaBlinkAlpha2Random = Flag(b);
    ApplyFeatures();
}

void ParticleSystem::SetAlphaBlinkAlpha1(int32_t alpha)
{
    mAlphaBlinkAlpha1 = ClampAlpha(alpha);
    ApplyFeatures();
}

void ParticleSystem::SetAlphaBlinkAlpha2(int32_t alpha)
{
    mAlphaBlinkAlpha2 = ClampAlpha(alpha);
    ApplyFeatures();
}

// ---- the step program ----

bool ParticleSystem::RebuildStepProgram()
{
    if (mStepProgram.Capacity() < kStepProgramCapacity) mStepProgram.SetCapacity(kStepProgramCapacity, 0);
    mStepProgram.Clear();
    for (int32_t code : {kStepNothing0, kStepNothing1, kStepNothing2, kStepMove}) mStepProgram.PushBack(code);
    // Fade runs before the gravities: the order of the codes is the order of the flight.
    const std::pair<uint8_t, ParticleStepCode> optional[] = {
        {mDoSizing, kStepSizing},           {mDoFadeAlpha, kStepFadeAlpha},
        {mDoVectorGravity, kStepVectorGravity}, {mDoGravityToPoint, kStepGravityToPoint},
        {mDoAirFriction, kStepAirFriction}, {mDoAngleTracker, kStepAngleTracker},
        {mAngleTrackerExtra, kStepTrackerExtra}, {mDoColorBlink, kStepColorBlink},
        {mDoAlphaBlink, kStepAlphaBlink}};
    for (const auto& [on, code] : optional)
        if (on) mStepProgram.PushBack(code);
    // The flight runs only the codes that act; the others are kept in the
    // program for what reads it, and cost each small burst a pass per step.
    mActingCodeCount = 0;
    for (int32_t code : mStepProgram)
        if (code == kStepMove || code == kStepSizing || code == kStepFadeAlpha || code == kStepAngleTracker ||
            code == kStepColorBlink || code == kStepAlphaBlink)
            mActingCodes[mActingCodeCount++] = static_cast<uint8_t>(code);
    SetShardSystem(mShardSystem != 0);
    return true;
}

// ---- applying everything ----

void ParticleSystem::SetTimeStep(float dt)
{
    mDt = dt;
    mInverseDt = dt != 0.0f ? 1.0f / dt : 0.0f;
    mHalfDtSquared = 0.5f * dt * dt;
}

void ParticleSystem::ApplyAllProperties()
{
    mInitialPoolSize = std::max(mInitialPoolSize, 1);
    mPoolGrowth = std::max(mPoolGrowth, 1);
    mLinks.SetCapacity(mInitialPoolSize, mInitialPoolSize);
    DeleteAllParticles();
    mMultiTexture = VectorI(std::max(mMultiTexture.mX, 1), std::max(mMultiTexture.mY, 1));
    ApplyMultiTexture();
    ApplyAngleTracker();
}

// ---- per-particle arrays ----

template <typename F>
void ParticleSystem::ForEachParticleArray(F&& f)
{
    f(mPositions, true, kFeatureBase);
    f(mSizes, true, kFeatureBase);
    f(mColors, true, kFeatureBase);
    f(mVelocities, true, kFeatureBase);
    f(mTexRects, HasTextureRects(), kFeatureTexRect);
    f(mAngles, HasRotation(), kFeatureRotation);
    f(mAngularSpeeds, HasRotation(), kFeatureRotation);
    f(mSleepCountdowns, HasSleepCountdowns(), kFeatureSleep);
    f(mShards, mShardSystem != 0, kFeatureShard);
    f(mPenetrations, mPenetratingParticles != 0, kFeaturePenetration);
    f(mSizingFactors, HasSizingFactors(), kFeatureSizing);
    f(mFadePhases, HasFade(), kFeatureFade);
    f(mFadeStartAlphas, HasFade(), kFeatureFade);
    f(mAirFrictionCoefs, HasAirFrictionCoefs(), kFeatureAirFriction);
    f(mAngleTrackerIndices, mDoAngleTracker != 0, kFeatureTracker);
    f(mBlinkColors1, mDoColorBlink != 0, kFeatureColorBlink);
    f(mBlinkColors2, mDoColorBlink != 0, kFeatureColorBlink);
    f(mColorBlinkTimers, mDoColorBlink != 0, kFeatureColorBlink);
    f(mColorBlinkPhases, mDoColorBlink != 0, kFeatureColorBlink);
    f(mBlinkAlphas1, mDoAlphaBlink != 0, kFeatureAlphaBlink);
    f(mBlinkAlphas2, mDoAlphaBlink != 0, kFeatureAlphaBlink);
    f(mAlphaBlinkTimers, mDoAlphaBlink != 0, kFeatureAlphaBlink);
    f(mAlphaBlinkPhases, mDoAlphaBlink != 0, kFeatureAlphaBlink);
}

void ParticleSystem::SyncParticleArrays()
{
    const int32_t capacity = mLinks.Capacity();
    uint8_t created[kFeatureCount] = {};
    bool failed = false;
    ForEachParticleArray([&](auto& array, bool exists, int32_t feature) {
        if (!exists) {
            array.Free();
            return;
        }
        if (array.Capacity() == capacity && array.Count() == capacity) return;
        const bool wasAbsent = array.Capacity() == 0;
        if (!array.SetCapacity(capacity, capacity)) {
            failed = true;
            return;
        }
        if (wasAbsent) created[feature] = 1;
    });
    if (failed) {
        // No live particle may lack an attribute its feature reads; emission
        // waits until the arrays can be had (AllocateParticle retries).
        mArraysShort = 1;
        DeleteAllParticles();
        return;
    }
    mArraysShort = 0;
    StartFeaturesOfLiveParticles(created);
}

bool ParticleSystem::ReserveParticleArrays(int32_t capacity)
{
    const int32_t oldCapacity = mLinks.Capacity();
    bool ok = mLinks.SetCapacity(capacity, capacity);
    ForEachParticleArray([&](auto& array, bool exists, int32_t) {
        if (ok && exists) ok = array.SetCapacity(capacity, capacity);
    });
    if (ok) return true;
    // Back to the old size, so every array still matches the pool.
    mLinks.SetCapacity(oldCapacity, oldCapacity);
    ForEachParticleArray([&](auto& array, bool exists, int32_t) {
        if (exists && array.Capacity() > oldCapacity) array.SetCapacity(oldCapacity, oldCapacity);
    });
    return false;
}

template <typename F>
void ParticleSystem::ForEachLiveParticle(F&& f)
{
    for (int32_t slot = mMoving.mHead; slot >= 0; slot = mLinks[slot].mNext) f(slot);
    for (int32_t slot = mSleeping.mHead; slot >= 0; slot = mLinks[slot].mNext) f(slot);
}

void ParticleSystem::StartFeaturesOfLiveParticles(const uint8_t* created)
{
    // Whole-array clears first: these records carry no start values of their own.
    if (created[kFeatureShard]) mShards.FillZero();
    if (created[kFeaturePenetration]) mPenetrations.FillZero();
    if (GetParticleCount() == 0) return;
    // A particle alive when its feature switches on starts it as if it had
    // just been emitted with it, in emission's order of draws.
    ForEachLiveParticle([&](int32_t slot) {
        if (created[kFeatureTexRect]) StartTexRect(slot);
        if (created[kFeatureSizing]) StartSizing(slot);
        if (created[kFeatureFade]) StartFade(slot);
        if (created[kFeatureAirFriction]) StartAirFriction(slot);
        if (created[kFeatureTracker]) StartAngleTracker(slot);
        if (created[kFeatureColorBlink]) StartColorBlink(slot);
        if (created[kFeatureAlphaBlink]) StartAlphaBlink(slot);
        if (created[kFeatureRotation]) StartRotation(slot);
        if (created[kFeatureSleep]) StartSleep(slot);
    });
}

// ---- read-only views ----

std::string ParticleSystem::GetParticlesCountInfo() const
{
    return std::to_string(GetParticleCount()) + " ( " + std::to_string(mMoving.mCount) + " + " +
           std::to_string(mSleeping.mCount) + " )";
}

int32_t ParticleSystem::GetChecksumValue() const
{
    // Not the sleeping count as well: a particle going to sleep would take
    // from one count what it gives the other, and leave the sum as it was.
    uint32_t sum = uint32_t(mMoving.mHead) + uint32_t(mMoving.mCount) + uint32_t(mSleeping.mHead);
    sum += uint32_t(mFreeHead) + uint32_t(mLinks.Capacity()) + uint32_t(mRandom.mSeed);
    return static_cast<int32_t>(sum);
}

bool ParticleSystem::UpdateBounds()
{
    mBoundsStale = 0;
    const bool sleepers = mAllowSleepingParticles && mSleeping.mHead >= 0;
    if (mMoving.mHead < 0 && !sleepers) {
        mBounds = RectF{};
        return false;
    }
    const VectorF& first = mPositions[mMoving.mHead >= 0 ? mMoving.mHead : mSleeping.mHead];
    RectF bounds(first.mX, first.mY, first.mX, first.mY);
    for (int32_t slot = mMoving.mHead; slot >= 0; slot = mLinks[slot].mNext) bounds.IncludePoint(mPositions[slot]);
    if (sleepers)
        for (int32_t slot = mSleeping.mHead; slot >= 0; slot = mLinks[slot].mNext)
            bounds.IncludePoint(mPositions[slot]);
    mBounds = bounds;
    return true;
}

} // namespace KIV
