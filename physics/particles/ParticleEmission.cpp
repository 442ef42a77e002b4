#include <algorithm>
#include <cmath>
#include <cstdlib>
#include "base/Statistics.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "render/Texture.h"

// Bringing particles into being: the emission timer and bursts, EmitOne with
// its randomised start values, the link to a toy, and shard particles. Every
// draw comes from the system's own generator, in a fixed order.

namespace KIV {

namespace {

// min + the integer part of (f × (max − min)), computed so that no interval
// a record or script can give overflows. The draw never reaches max itself
// unless min equals max: a burst of (0, 3) makes 0, 1 or 2 particles, even
// for the rare f of exactly 1.
int32_t DrawFromInterval(Random& random, const IntervalI& interval)
{
    const int32_t lo = interval.mMinValue, hi = interval.mMaxValue;
    if (lo == hi) return lo;
    const float span = static_cast<float>(int64_t(hi) - int64_t(lo));
    const double step = std::trunc(static_cast<double>(random.NextFloat() * span));
    int64_t value = int64_t(lo) + static_cast<int64_t>(std::clamp(step, -4294967296.0, 4294967296.0));
    value = std::clamp<int64_t>(value, std::min(lo, hi), std::max(lo, hi));
    if (value == hi) value += hi > lo ? -1 : 1;
    return static_cast<int32_t>(value);
}

} // namespace

int32_t ParticleSystem::DrawPeriod(const IntervalI& interval) { return DrawFromInterval(mRandom, interval); }

float ParticleSystem::DrawInterval()
{
    const IntervalF& i = mEmittingInterval;
    if (i.mMinValue == i.mMaxValue) return i.mMinValue;
    return i.mMinValue + mRandom.NextFloat() * (i.mMaxValue - i.mMinValue);
}

void ParticleSystem::UpdateEmission()
{
    if (mBoomRequested) {
        const int32_t n = DrawPeriod(mEmitBoomCount);
        // The first refusal (the limit or a pool that cannot grow) ends the burst.
        for (int32_t i = 0; i < n; ++i)
            if (EmitOne() < 0) break;
        mBoomRequested = 0;
    }
    if (!mParticleEmitting) return;
    mTimeToNextEmission -= mDt;
    while (mTimeToNextEmission <= 0.0f) {
        bool refused = false;
        for (int32_t i = 0; i < mEmittingCount && !refused; ++i) refused = EmitOne() < 0;
        const float next = mTimeToNextEmission + DrawInterval();
        // An interval that does not move the timer on (zero, negative, or too
        // small to change it) would emit for ever, and a refused emission owes
        // nothing: both end this update's emission, one batch per step at most.
        if (refused || mEmittingCount < 1 || !(next > mTimeToNextEmission)) {
            mTimeToNextEmission = next > 0.0f ? next : 0.0f;
            break;
        }
        mTimeToNextEmission = next;
    }
}

// ---- the link to a toy ----

void ParticleSystem::SetRobotLink(Robot* robot, Toy* toy, const VectorF& localPoint, float direction,
                                  bool moveByToy, bool rotateByToy)
{
    if (!robot) return;
    mLinkedRobot = robot;
    mLinkedToy = toy;
    mToyLinkLocalPoint = localPoint;
    mToyLinkDirection = direction;
    mDoMoveByLinkedToy = moveByToy ? 1 : 0;
    mDoRotateByLinkedToy = rotateByToy ? 1 : 0;
}

VectorF ParticleSystem::FollowLink()
{
    mPosition = GetLinkedPosition();
    return mPosition;
}

VectorF ParticleSystem::GetLinkedPosition() const
{
    return mLinkedToy && mDoMoveByLinkedToy ? mLinkedToy->LocalToWorld(mToyLinkLocalPoint) : mPosition;
}

VectorF ParticleSystem::UpdateLinkDirection()
{
    if (mLinkedToy && mDoRotateByLinkedToy) {
        mStartDirection = mLinkedToy->GetOrientation() + mToyLinkDirection;
        RecomputeStartMoveVector();
    } else if (!mStartMoveVectorValid) {
        RecomputeStartMoveVector();
    }
    return mStartMoveVector;
}

// ---- one particle ----

VectorF ParticleSystem::StartPosition()
{
    const VectorF p = FollowLink();
    switch (mParticleStartPosition) {
    case 1:
        return p + mLine * mRandom.NextFloat();
    case 2:
        return mRandom.NextBool() ? p + mLine : p;
    case 3:
        return p + mLine;
    case 4: {
        const float x = mRandom.NextFloatScaled(mLine.mX);
        const float y = mRandom.NextFloatScaled(mLine.mY);
        return p + VectorF(x, y);
    }
    case 5:
        return p + mLine.GetRotatedClockwise(mRandom.NextFloat() * kTwoPi);
    case 6: {
        const float t = mRandom.NextFloat();
        return p + mLine.GetRotatedClockwise(mRandom.NextFloat() * kTwoPi) * t;
    }
    default:
        // Kinds 7 to 9 start at the emitter, and so does any unknown kind:
        // a slot must never keep the position of the particle it held before.
        return p;
    }
}

void ParticleSystem::StartTexRect(int32_t slot)
{
    if (!mTexture) {
        mTexRects[slot] = RectF(0.0f, 0.0f, 1.0f, 1.0f);
        return;
    }
    const int32_t column = mRandom.NextInt(mMultiTexture.mX);
    const int32_t row = mRandom.NextInt(mMultiTexture.mY);
    mTexRects[slot] = GetAtlasCellTexRect(*mTexture, column, row, mMultiTexture.mX, mMultiTexture.mY);
}

void ParticleSystem::StartSizing(int32_t slot)
{
    const IntervalF& s = mSizingBy;
    mSizingFactors[slot] = s.mMinValue + (s.mMaxValue - s.mMinValue) * mRandom.NextFloat();
}

void ParticleSystem::StartFade(int32_t slot)
{
    mFadePhases[slot] = 1;
    mFadeStartAlphas[slot] = static_cast<float>(mColors[slot].mAlpha);
}

void ParticleSystem::StartAirFriction(int32_t slot)
{
    const IntervalF& k = mAirFrictionCoef;
    mAirFrictionCoefs[slot] = k.mMinValue + (k.mMaxValue - k.mMinValue) * mRandom.NextFloat();
}

void ParticleSystem::StartAngleTracker(int32_t slot)
{
    const int32_t length = mAngleTrackerTable.Count();
    if (length < 1) {
        mAngleTrackerIndices[slot] = 0;
        return;
    }
    mAngleTrackerIndices[slot] = mAngleTrackerRandomStartIndex ? mRandom.NextInt(length)
                                                                : std::abs(mAngleTrackerStartIndex % length);
}

void ParticleSystem::StartColorBlink(int32_t slot)
{
    mColorBlinkTimers[slot] = BlinkTimer{0, DrawPeriod(mColorBlinkInterval)};
    mColorBlinkPhases[slot] = 0;
    const ColorRGBA from(mColorBlinkColor1.mRed, mColorBlinkColor1.mGreen, mColorBlinkColor1.mBlue, 255);
    const ColorRGBA to(mColorBlinkColor2.mRed, mColorBlinkColor2.mGreen, mColorBlinkColor2.mBlue, 255);
    auto pick = [&](bool random, const ColorRGBA& own) {
        const ColorRGBA c = random ? ColorRGBA::Lerp(from, to, mRandom.NextFloat()) : own;
        return ColorRGB{c.mRed, c.mGreen, c.mBlue};
    };
    mBlinkColors1[slot] = pick(mColorBlinkColor1Random, mColor1);
    mBlinkColors2[slot] = pick(mColorBlinkColor2Random, mColor2);
}

void ParticleSystem::StartAlphaBlink(int32_t slot)
{
    mAlphaBlinkTimers[slot] = BlinkTimer{0, DrawPeriod(mAlphaBlinkInterval)};
    mAlphaBlinkPhases[slot] = 0;
    // Between the smaller and the larger alpha, whichever order they were set in.
    const int32_t lo = std::min(mAlphaBlinkAlpha1, mAlphaBlinkAlpha2);
    const int32_t hi = std::max(mAlphaBlinkAlpha1, mAlphaBlinkAlpha2);
    auto pick = [&](bool random, uint8_t own) {
        return random ? static_cast<uint8_t>(lo + mRandom.NextInt(hi - lo + 1)) : own;
    };
    mBlinkAlphas1[slot] = pick(mAlphaBlinkAlpha1Random, mColor1.mAlpha);
    mBlinkAlphas2[slot] = pick(mAlphaBlinkAlpha2Random, mColor2.mAlpha);
}

void ParticleSystem::StartRotation(int32_t slot)
{
    mAngles[slot] = mRandom.NextFloat() * kTwoPi;
    mAngularSpeeds[slot] = mRandom.NextFloatInRange(-60.0f, 60.0f);
}

void ParticleSystem::StartSleep(int32_t slot) { mSleepCountdowns[slot] = kSleepCountdownStart; }

void ParticleSystem::StartPenetration(int32_t slot) { mPenetrations[slot].mInside = 0; }

int32_t ParticleSystem::EmitOne()
{
    const int32_t slot = AllocateParticle();
    if (slot < 0) return -1;
    StatAdd(kStatParticlesEmittedLastFrame);
    const VectorF position = StartPosition();
    mPositions[slot] = position;
    if (HasTextureRects()) StartTexRect(slot);
    mColors[slot] = ColorRGBA::Lerp(mColor1, mColor2, mRandom.NextFloat());
    mSizes[slot] = mSizeOnStart.mMinValue + (mSizeOnStart.mMaxValue - mSizeOnStart.mMinValue) * mRandom.NextFloat();

    VectorF velocity = UpdateLinkDirection();
    if (mScattering != 0.0f) velocity.Rotate(mRandom.NextFloatInRange(-0.5f * mScattering, 0.5f * mScattering));
    if (mStartSpeedMulInUse) {
        const IntervalF& m = mStartSpeedMul;
        velocity *= m.mMinValue + (m.mMaxValue - m.mMinValue) * mRandom.NextFloat();
    }
    if (mLinkedToy) {
        const VectorF own = velocity;
        velocity += mLinkedToy->GetVelocityAt(mLinkedToy->LocalToWorld(mToyLinkLocalPoint));
        if (mParticleRecoil != 0.0f) {
            // The toy is kicked back along the particle's own path.
            const VectorF kick = own * -mParticleRecoil;
            mLinkedToy->ApplyParticleImpulse(mParticleWeight, kick, position, kick);
        }
    }
    mVelocities[slot] = velocity;

    if (HasSizingFactors()) StartSizing(slot);
    if (HasFade()) StartFade(slot);
    if (HasAirFrictionCoefs()) StartAirFriction(slot);
    if (mDoAngleTracker) StartAngleTracker(slot);
    if (mDoColorBlink) StartColorBlink(slot);
    if (mDoAlphaBlink) StartAlphaBlink(slot);
    if (HasRotation()) StartRotation(slot);
    if (HasSleepCountdowns()) StartSleep(slot);
    if (mPenetratingParticles) StartPenetration(slot);
    // A shard system's plain particles show no shard, not the last one of the slot.
    if (mShardSystem) mShards[slot] = ShardRecord{};
    return slot;
}

int32_t ParticleSystem::EmitShardPaticle(const VectorF& point)
{
    if (!mShardSystem || mShards.Count() < 1 || !mTexture || mTexture->mStorageSize.mX <= 0 ||
        mTexture->mStorageSize.mY <= 0)
        return -1;
    const int32_t slot = EmitOne();
    if (slot < 0) return -1;
    const float size = mSizes[slot];
    const VectorF cellSize(size / static_cast<float>(mTexture->mStorageSize.mX),
                           size / static_cast<float>(mTexture->mStorageSize.mY));
    ShardRecord::BuildRandom(mRandom, mShards[slot], point, cellSize);
    return slot;
}

} // namespace KIV
