#pragma once
#include <cstdint>
#include <string>
#include "base/Array.h"
#include "base/HandleTable.h"
#include "base/Color.h"
#include "base/FastName.h"
#include "base/Interval.h"
#include "base/MathUtil.h"
#include "base/Random.h"
#include "base/Rect.h"
#include "base/Vector.h"
#include "physics/particles/ParticlePenetration.h"
#include "physics/particles/ShardRecord.h"
#include "render/Shape.h"

namespace KIV {

class GridQueryContext;
class MemoryStream;
class Robot;
class SpatialGrid;
struct GridSegmentHit;
struct StaticSegment;
class Scene;
class Texture;
class Toy;

// A particle's place in its list (moving, sleeping or free). The free chain
// uses the next links only.
struct ParticleLink {
    int32_t mNext = -1;
    int32_t mPrevious = -1;
};

struct ParticleList {
    int32_t mHead = -1;
    int32_t mCount = 0;
};

// Steps since the blink left its start value, and the steps it takes to arrive.
struct BlinkTimer {
    int32_t mElapsed = 0;
    int32_t mPeriod = 0;
};

// The codes of the per-particle step program, in the order the flight runs them.
enum ParticleStepCode : int32_t {
    kStepNothing0 = 0,
    kStepNothing1 = 1,
    kStepNothing2 = 2,
    kStepMove = 3,
    kStepSizing = 4,
    kStepVectorGravity = 5,
    kStepGravityToPoint = 6,
    kStepFadeAlpha = 7,
    kStepAirFriction = 8,
    kStepAngleTracker = 9,
    kStepTrackerExtra = 10,
    kStepColorBlink = 11,
    kStepAlphaBlink = 12,
};

// One emitter and the particles it has emitted: bullets, jets, sparks, debris
// and toy shards. Particles are slots of a pool; every attribute lives in an
// array of its own indexed by slot, and the slots in use are threaded on two
// doubly linked lists, moving and sleeping; the rest form the free chain.
// Arrays of a feature exist only while the feature is on, and always as large
// as the pool, so a slot index is valid in every array that exists.
//
// All chance comes from the system's own generator (seeded 1), so a system
// repeats its particles exactly in a replay.
class ParticleSystem {
public:
    // ---- what every step reads of every system ----
    // A scene holds hundreds of short bursts, each a few particles: the step
    // visits each of them, and their fields spread over the object would cost
    // a dozen cache lines a burst. These four lines hold all the step reads of
    // a burst that moves, fades and ends; the properties follow.
    alignas(64) ParticleList mMoving;
    ParticleList mSleeping;
    int32_t mFreeHead = 0;
    float mDt = 0.0f;
    float mHalfDtSquared = 0.0f;
    float mTimeToNextEmission = 0.0f;
    VectorF mSceneGravity;
    VectorF mGravityVector;
    float mFadeIn = 0.0f;
    float mFadeOut = 0.0f;
    int32_t mParticleRotationStyle = 0;
    // The codes of the program that the flight acts on, in its order (each at most once).
    uint8_t mActingCodes[6] = {};
    uint8_t mActingCodeCount = 0;
    uint8_t mFinished = 0;
    uint8_t mDeleteWhenEmpty = 0;
    uint8_t mBoomRequested = 0;
    uint8_t mParticleEmitting = 1;
    uint8_t mBoundsStale = 0;
    uint8_t mBounceOffTerrain = 1;
    uint8_t mBounceOffToys = 1;
    uint8_t mAllowSleepingParticles = 1;
    uint8_t mDoVectorGravity = 0;
    uint8_t mUseSceneGravity = 0;
    uint8_t mDoGravityToPoint = 0;
    uint8_t mDoAirFriction = 0;
    uint8_t mDoFadeAlpha = 0;
    uint8_t mDoSizing = 0;
    uint8_t mPenetratingParticles = 0;
    uint8_t mShardSystem = 0;
    // Per-particle attributes, indexed by slot; the rest are with their features.
    Array<ParticleLink> mLinks;
    Array<VectorF> mPositions;
    Array<VectorF> mVelocities;
    Array<ColorRGBA> mColors;
    Array<float> mFadeStartAlphas;
    Array<float> mSizes;

    // How scripts name the system; what they kept of it goes stale with it.
    ObjectHandle mScriptHandle;

    // Particles of one system, moving and sleeping together.
    static constexpr int32_t kMaxParticles = 8000;
    static constexpr int32_t kStartKindCount = 10;
    static constexpr uint8_t kSleepCountdownStart = 21;
    static constexpr uint8_t kRecordVersion = 5;
    // The version-5 record of a system whose texture name is empty.
    static constexpr int32_t kRecordSizeWithoutTextureName = 298;

    ParticleSystem();
    ~ParticleSystem();
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    // ---- script methods, in the order the script API lists them ----
    int32_t EmitOne();
    void EmitBoom() { mBoomRequested = 1; }
    int32_t EmitShardPaticle(const VectorF& point);
    std::string GetName() const { return mName.GetInString(); }
    void SetName(const std::string& name) { mName.SetByString(name); }
    void SetStartMoveVector(const VectorF& v);
    void TestParticles_Soldier_Jet();
    void TestParticles_Bullets();
    void TestParticles_BigShip_Jet();
    std::string GetParticlesCountInfo() const;
    // The system's term of the determinism samples: the wrapping sum of its
    // list heads, its moving count, its pool size and its generator's state,
    // so a particle emitted, freed or put to sleep out of turn shows.
    int32_t GetChecksumValue() const;
    void DeleteAllParticles();
    std::string GetTexture() const { return mTextureFileName; }
    void SetTexture(const std::string& fileName);
    void SetTextureFromLib();
    VectorI GetMultiTexture() const { return mMultiTexture; }
    void SetMultiTexture(int32_t columns, int32_t rows);
    VectorF GetPosition() const { return mPosition; }
    void SetPositionX(float x) { mPosition.mX = x; }
    void SetPositionY(float y) { mPosition.mY = y; }
    VectorF GetLine() const { return mLine; }
    void SetLineX(float x) { mLine.mX = x; }
    void SetLineY(float y) { mLine.mY = y; }
    void SetBlender(int32_t blender) { mParticleShape.mDrawState.mBlender = blender; }
    int32_t GetBlender() const { return mParticleShape.mDrawState.mBlender; }
    void SetTexColorOp(int32_t op) { mParticleShape.mDrawState.mTexColorOp = op; }
    int32_t GetTexColorOp() const { return mParticleShape.mDrawState.mTexColorOp; }
    float GetStartSpeed() const { return mStartSpeed; }
    void SetStartSpeed(float speed);
    IntervalF GetStartSpeedMul() const { return mStartSpeedMul; }
    void SetStartSpeedMulMin(float v);
    void SetStartSpeedMulMax(float v);
    void SetStartSpeedMul(const IntervalF& v);
    float GetStartDirection() const { return mStartDirection; }
    void SetStartDirection(float direction);
    float GetScattering() const { return mScattering; }
    void SetScattering(float s) { mScattering = s; }
    IntervalF GetSizeOnStart() const { return mSizeOnStart; }
    void SetSizeOnStartMin(float v) { mSizeOnStart.mMinValue = v; }
    void SetSizeOnStartMax(float v) { mSizeOnStart.mMaxValue = v; }
    float GetParticleWeight() const { return mParticleWeight; }
    void SetParticleWeight(float w) { mParticleWeight = w; }
    float GetParticleRecoil() const { return mParticleRecoil; }
    void SetParticleRecoil(float r) { mParticleRecoil = r; }
    bool GetDeleteWhenEmpty() const { return mDeleteWhenEmpty != 0; }
    void SetDeleteWhenEmpty(bool b) { mDeleteWhenEmpty = b ? 1 : 0; }
    int32_t GetParticleStartPosition() const { return mParticleStartPosition; }
    void SetParticleStartPosition(int32_t kind) { mParticleStartPosition = kind; }
    int32_t GetParticleRotationStyle() const { return mParticleRotationStyle; }
    void SetParticleRotationStyle(int32_t style);
    ColorRGBA GetColor1() const { return mColor1; }
    void SetColor1(const ColorRGBA& c) { mColor1 = c; }
    ColorRGBA GetColor2() const { return mColor2; }
    void SetColor2(const ColorRGBA& c) { mColor2 = c; }
    void SwitchOFFParticleEmitting() { mParticleEmitting = 0; }
    void SwitchONParticleEmitting() { mParticleEmitting = 1; }
    void SetParticleEmitting(bool b) { mParticleEmitting = b ? 1 : 0; }
    bool GetParticleEmitting() const { return mParticleEmitting != 0; }
    IntervalF GetEmittingInterval() const { return mEmittingInterval; }
    void SetEmittingInterval(const IntervalF& v) { mEmittingInterval = v; }
    void SetEmittingIntervalMin(float v) { mEmittingInterval.mMinValue = v; }
    void SetEmittingIntervalMax(float v) { mEmittingInterval.mMaxValue = v; }
    int32_t GetEmittingCount() const { return mEmittingCount; }
    void SetEmittingCount(int32_t n) { mEmittingCount = n; }
    IntervalI GetEmitBoomCount() const { return mEmitBoomCount; }
    void SetEmitBoomCountMin(int32_t n) { mEmitBoomCount.mMinValue = n; }
    void SetEmitBoomCountMax(int32_t n) { mEmitBoomCount.mMaxValue = n; }
    bool GetBounceOffTerrain() const { return mBounceOffTerrain != 0; }
    void SetBounceOffTerrain(bool b) { mBounceOffTerrain = b ? 1 : 0; }
    bool GetBounceOffToys() const { return mBounceOffToys != 0; }
    void SetBounceOffToys(bool b) { mBounceOffToys = b ? 1 : 0; }
    bool GetDontBounceOffRobotLinked() const { return mDontBounceOffRobotLinked != 0; }
    void SetDontBounceOffRobotLinked(bool b) { mDontBounceOffRobotLinked = b ? 1 : 0; }
    bool GetDisappearAfterFirstBounce() const { return mDisappearAfterFirstBounce != 0; }
    void SetDisappearAfterFirstBounce(bool b) { mDisappearAfterFirstBounce = b ? 1 : 0; }
    bool GetDoBulletDeform() const { return mDoBulletDeform != 0; }
    void SetDoBulletDeform(bool b) { mDoBulletDeform = b ? 1 : 0; }
    float GetBulletDeformPower() const { return mBulletDeformPower; }
    void SetBulletDeformPower(float p) { mBulletDeformPower = p; }
    float GetSharpness() const { return mSharpness; }
    void SetSharpness(float s) { mSharpness = s; }
    bool GetAllowSleepingParticles() const { return mAllowSleepingParticles != 0; }
    void SetAllowSleepingParticles(bool b);
    bool GetPenetratingParticles() const { return mPenetratingParticles != 0; }
    void SetPenetratingParticles(bool b);
    bool GetAllowEffectDent() const { return mAllowEffectDent != 0; }
    void SetAllowEffectDent(bool b) { mAllowEffectDent = b ? 1 : 0; }
    bool GetAllowEffectHoles() const { return mAllowEffectHoles != 0; }
    void SetAllowEffectHoles(bool b) { mAllowEffectHoles = b ? 1 : 0; }
    bool GetDoSizing() const { return mDoSizing != 0; }
    void SetDoSizing(bool b);
    IntervalF GetSizingBy() const { return mSizingBy; }
    void SetSizingBy(const IntervalF& v);
    bool GetDoVectorGravity() const { return mDoVectorGravity != 0; }
    void SetDoVectorGravity(bool b);
    VectorF GetGravityVector() const { return mGravityVector; }
    void SetGravityVector(const VectorF& v);
    bool GetUseSceneGravity() const { return mUseSceneGravity != 0; }
    void SetUseSceneGravity(bool b);
    bool GetDoGravityToPoint() const { return mDoGravityToPoint != 0; }
    void SetDoGravityToPoint(bool b);
    VectorF GetGravityToPointPoint() const { return mGravityToPointPoint; }
    void SetGravityToPointPoint(const VectorF& p);
    float GetGravityToPointPower() const { return mGravityToPointPower; }
    void SetGravityToPointPower(float p);
    bool GetDoFadeAlpha() const { return mDoFadeAlpha != 0; }
    void SetDoFadeAlpha(bool b);
    float GetFadeAlphaFadeIn() const { return mFadeIn; }
    void SetFadeAlphaFadeIn(float v);
    float GetFadeAlphaFadeOut() const { return mFadeOut; }
    void SetFadeAlphaFadeOut(float v);
    bool GetDoAirFriction() const { return mDoAirFriction != 0; }
    void SetDoAirFriction(bool b);
    IntervalF GetAirFrictionCoef() const { return mAirFrictionCoef; }
    void SetAirFrictionCoef(const IntervalF& v);
    bool GetDoAngleTracker() const { return mDoAngleTracker != 0; }
    void SetDoAngleTracker(bool b);
    int32_t GetAngleTrackerType() const { return mAngleTrackerType; }
    void SetAngleTrackerType(int32_t type);
    float GetAngleTrackerPower() const { return mAngleTrackerPower; }
    void SetAngleTrackerPower(float p);
    int32_t GetAngleTrackerStartIndex() const { return mAngleTrackerStartIndex; }
    void SetAngleTrackerStartIndex(int32_t i);
    bool GetAngleTrackerRandomStartIndex() const { return mAngleTrackerRandomStartIndex != 0; }
    void SetAngleTrackerRandomStartIndex(bool b);
    bool GetDoColorBlink() const { return mDoColorBlink != 0; }
    void SetDoColorBlink(bool b);
    IntervalI GetColorBlinkInterval() const { return mColorBlinkInterval; }
    void SetColorBlinkInterval(const IntervalI& v);
    bool GetColorBlinkColor1Random() const { return mColorBlinkColor1Random != 0; }
    void SetColorBlinkColor1Random(bool b);
    bool GetColorBlinkColor2Random() const { return mColorBlinkColor2Random != 0; }
    void SetColorBlinkColor2Random(bool b);
    ColorRGB GetColorBlinkColor1() const { return mColorBlinkColor1; }
    void SetColorBlinkColor1(const ColorRGB& c);
    ColorRGB GetColorBlinkColor2() const { return mColorBlinkColor2; }
    void SetColorBlinkColor2(const ColorRGB& c);
    bool GetDoAlphaBlink() const { return mDoAlphaBlink != 0; }
    void SetDoAlphaBlink(bool b);
    IntervalI GetAlphaBlinkInterval() const { return mAlphaBlinkInterval; }
    void SetAlphaBlinkInterval(const IntervalI& v);
    bool GetAlphaBlinkAlpha1Random() const { return mAlphaBlinkAlpha1Random != 0; }
    void SetAlphaBlinkAlpha1Random(bool b);
    bool GetAlphaBlinkAlpha2Random() const { return mAlphaBlinkAlpha2Random != 0; }
    void SetAlphaBlinkAlpha2Random(bool b);
    // Alphas are bytes; a script's number outside 0..255 is clamped.
    int32_t GetAlphaBlinkAlpha1() const { return mAlphaBlinkAlpha1; }
    void SetAlphaBlinkAlpha1(int32_t alpha);
    int32_t GetAlphaBlinkAlpha2() const { return mAlphaBlinkAlpha2; }
    void SetAlphaBlinkAlpha2(int32_t alpha);
    bool IsLinkedToToy() const { return mLinkedToy != nullptr; }
    bool GetDoMoveByLinkedToy() const { return mDoMoveByLinkedToy != 0; }
    void SetDoMoveByLinkedToy(bool b) { mDoMoveByLinkedToy = b ? 1 : 0; }
    bool GetDoRotateByLinkedToy() const { return mDoRotateByLinkedToy != 0; }
    void SetDoRotateByLinkedToy(bool b) { mDoRotateByLinkedToy = b ? 1 : 0; }
    VectorF GetToyLinkLocalPoint() const { return mToyLinkLocalPoint; }
    void SetToyLinkLocalPoint(const VectorF& p) { mToyLinkLocalPoint = p; }
    float GetToyLinkDirection() const { return mToyLinkDirection; }
    void SetToyLinkDirection(float d) { mToyLinkDirection = d; }
    bool IsLinkedToRobot() const { return mLinkedRobot != nullptr; }
    Robot* GetRobotLinked() const { return mLinkedRobot; }

    // ---- operations of the owner, the scene and the flight ----
    void SetTimeStep(float dt);
    bool RebuildStepProgram();
    // Brings every derived structure in line with the properties: pool size,
    // feature arrays, atlas, tracker table, step program. Deletes all particles.
    void ApplyAllProperties();
    void SetShardSystem(bool on);
    bool GetShardSystem() const { return mShardSystem != 0; }
    // Once per update: a requested burst, then the continuous emission.
    void UpdateEmission();
    // Minimum and maximum of the live particles' positions; all 0 and false
    // when there are none to measure.
    bool UpdateBounds();
    // The step only marks the bounds out of date: nothing in a step reads
    // them, and measuring every particle of every burst each step would cost
    // more than the burst's own flight. They are measured on the first read.
    void MarkBoundsStale() { mBoundsStale = 1; }
    // Hints for a walk over many systems, a step or two ahead of their turn:
    // the lines of the step's state, then the first particle's attributes.
    void PrefetchStepState() const
    {
        const char* p = reinterpret_cast<const char*>(this);
        for (int32_t line = 0; line < 4; ++line) __builtin_prefetch(p + 64 * line);
    }
    void PrefetchFirstParticle() const
    {
        const int32_t slot = mMoving.mHead;
        if (slot < 0) return;
        __builtin_prefetch(mLinks.Data() + slot);
        __builtin_prefetch(mPositions.Data() + slot);
        __builtin_prefetch(mVelocities.Data() + slot);
        __builtin_prefetch(mColors.Data() + slot);
        __builtin_prefetch(mFadeStartAlphas.Data() + slot);
    }
    const RectF& GetBounds()
    {
        if (mBoundsStale) UpdateBounds();
        return mBounds;
    }

    int32_t AllocateParticle();
    void MoveToSleeping(int32_t slot);
    // Each answers the slot that followed the freed one (-1 at the end of the
    // list), so a walk can free as it goes.
    int32_t FreeMovingParticle(int32_t slot);
    int32_t FreeSleepingParticle(int32_t slot);
    bool GrowPool();

    void SetRobotLink(Robot* robot, Toy* toy, const VectorF& localPoint, float direction, bool moveByToy,
                      bool rotateByToy);
    VectorF FollowLink();
    // Where FollowLink would put the system, leaving it where it is.
    VectorF GetLinkedPosition() const;
    VectorF UpdateLinkDirection();

    // ---- flight (ParticleFlight.cpp) ----
    // One pass of the step program over the moving list, or the sleeping one.
    // With parallel, the moving particles' paths are planned on the shared
    // work team (one grid query context per thread, reserved by the caller)
    // and applied in list order afterwards, so the bits stay the serial ones.
    void Fly(SpatialGrid& grid, bool sleepingPass, Scene* scene, bool parallel = false)
    {
        // Every code of the program walks the pass's list and nothing else:
        // an empty one (most bursts never sleep) has nothing to run.
        if ((sleepingPass ? mSleeping : mMoving).mHead < 0) return;
        // Most effect bursts fly through everything and fade out: one walk
        // of the list does both codes. A scene holds hundreds of them, each
        // a few particles, and the flight's dispatch would cost as much as
        // their walk: they are sent to it from here.
        if (!sleepingPass && MovesAndFadesOutOnly()) {
            MoveAndFadeOut();
            if (mParticleRotationStyle == 1) Spin(false);
            return;
        }
        FlyList(grid, sleepingPass, scene, parallel);
    }
    // The program is a move through everything under one pull and a fade
    // out, nothing else: the flight runs the two in one walk of the list.
    bool MovesAndFadesOutOnly() const
    {
        return mActingCodeCount == 2 && mActingCodes[0] == kStepMove && mActingCodes[1] == kStepFadeAlpha &&
               !mBounceOffTerrain && !mBounceOffToys && !mDoGravityToPoint && !mDoAirFriction && FadesOutOnly();
    }
    // A particle that struck a terrain edge: slowed, mirrored about the edge
    // and turned a little, placed just in front of it.
    void BounceOffTerrain(int32_t slot, const GridSegmentHit& hit, const SpatialGrid& grid, Scene* scene);
    // Whatever names the toy lets go of it: the emitter's link and the
    // passages of particles inside it.
    void ForgetToy(const Toy* toy);

    // ---- drawing (ParticleDrawing.cpp) ----
    // One quad (4 vertices) per drawable particle into arrays of room for
    // capacity particles; false and count 0 without a texture or particles.
    // Colours are packed RGBA. Nothing is allocated.
    bool BuildStretchedVertices(VectorF* positions, uint32_t* colours, VectorF* texCoords, int32_t capacity,
                                int32_t& count) const;
    // One six-vertex fan per shard particle, the same way.
    bool BuildRotatedVertices(VectorF* positions, uint32_t* colours, VectorF* texCoords, int32_t capacity,
                              int32_t& count) const;
    // The emitter marker of the editor overlay, into the marker shape.
    void Draw(bool selected);
    Array<VectorF> mMarkerPoints;
    Array<uint32_t> mMarkerColours;

    void PresetRock();
    void PresetShards(const VectorF& gravity);
    void PresetShotBurst(const VectorF& position, const VectorF& gravity);
    void PresetShotStream(const VectorF& position);
    void PresetTestShotHeat(const VectorF& position, const VectorF& moveVector);

    // ---- the particle-system record (ParticleSystemRecord.cpp) ----
    bool WriteProps(MemoryStream& stream) const;
    // Reads a record written by WriteProps (versions 0 to 5) and applies it.
    // Refused (false), with the system and the stream position as they were,
    // for a later version, a record cut short, or a text longer than the
    // bytes left. With keepPlacement the system keeps its layer, position and
    // toy link.
    bool ReadProps(MemoryStream& stream, bool keepPlacement);
    // Every property of the template, its name, layer and placement included,
    // and no particles.
    bool CopyFrom(const ParticleSystem& source);

    // ---- pool inspection ----
    int32_t GetPoolCapacity() const { return mLinks.Capacity(); }
    int32_t GetMovingCount() const { return mMoving.mCount; }
    int32_t GetSleepingCount() const { return mSleeping.mCount; }
    int32_t GetParticleCount() const { return mMoving.mCount + mSleeping.mCount; }
    int32_t GetMovingHead() const { return mMoving.mHead; }
    int32_t GetSleepingHead() const { return mSleeping.mHead; }
    int32_t GetFreeHead() const { return mFreeHead; }
    const ParticleLink& GetLink(int32_t slot) const { return mLinks[slot]; }

    // Whether each feature's per-particle arrays exist under the current switches.
    bool HasTextureRects() const { return mMultiTexture.mX != 1 || mMultiTexture.mY != 1; }
    bool HasRotation() const { return mParticleRotationStyle == 1; }
    bool HasSleepCountdowns() const { return mAllowSleepingParticles != 0; }
    bool HasSizingFactors() const { return mDoSizing && mSizingBy.mMinValue != mSizingBy.mMaxValue; }
    bool HasFade() const { return mDoFadeAlpha && (mFadeIn != 0.0f || mFadeOut != 0.0f); }
    bool HasAirFrictionCoefs() const
    {
        return mDoAirFriction && mAirFrictionCoef.mMinValue != mAirFrictionCoef.mMaxValue;
    }

    // ---- fields ----
    // The switches and per-particle arrays the step reads are in the block at
    // the top; their features' other properties and arrays are here.
    int32_t mPoolIndex = -1;
    FastName mName;
    std::string mTextureFileName;
    Texture* mTexture = nullptr;  // the texture library's
    VectorI mMultiTexture{1, 1};
    Shape mParticleShape;
    Shape mMarkerShape;
    int32_t mLayer = 0;
    // A quad with the proportions of one atlas cell: angle A, sin A, cos A, sin(-A/2), cos(-A/2).
    float mQuadTemplate[5] = {};
    Random mRandom;

    RectF mBounds;
    int32_t mInitialPoolSize = 1024;
    int32_t mPoolGrowth = 1024;

    Scene* mOwner = nullptr;
    Toy* mLinkedToy = nullptr;
    VectorF mToyLinkLocalPoint;
    float mToyLinkDirection = 0.0f;
    uint8_t mDoMoveByLinkedToy = 1;
    uint8_t mDoRotateByLinkedToy = 1;
    Robot* mLinkedRobot = nullptr;

    float mInverseDt = 0.0f;

    VectorF mPosition;
    VectorF mLine;
    float mStartSpeed = 100.0f;
    float mStartDirection = 0.0f;
    VectorF mStartMoveVector{1.0f, 0.0f};
    uint8_t mStartMoveVectorValid = 0;
    float mScattering = 0.0f;
    IntervalF mStartSpeedMul{1.0f, 1.0f};
    uint8_t mStartSpeedMulInUse = 0;
    float mParticleWeight = 0.1f;
    float mParticleRecoil = 0.0f;
    IntervalF mSizeOnStart{10.0f, 20.0f};
    int32_t mParticleStartPosition = 0;
    ColorRGBA mColor1{255, 255, 255, 255};
    ColorRGBA mColor2{255, 255, 255, 255};
    IntervalI mEmitBoomCount{100, 200};
    IntervalF mEmittingInterval{0.1f, 0.1f};
    int32_t mEmittingCount = 1;
    int32_t mSpareValue = 0;  // kept only so the record gives back what it was given
    Array<int32_t> mStepProgram;

    uint8_t mDontBounceOffRobotLinked = 1;
    uint8_t mDisappearAfterFirstBounce = 0;
    uint8_t mDoBulletDeform = 0;
    float mBulletDeformPower = 2.0f;
    float mSharpness = 1.0f;

    // Per-particle attributes, indexed by slot.
    Array<RectF> mTexRects;
    Array<float> mAngles;
    Array<float> mAngularSpeeds;
    Array<uint8_t> mSleepCountdowns;

    Array<ShardRecord> mShards;
    uint8_t mAllowEffectDent = 0;
    uint8_t mAllowEffectHoles = 0;
    Array<ParticlePenetration> mPenetrations;

    IntervalF mSizingBy{2.0f, 2.0f};
    Array<float> mSizingFactors;

    float mGravityToPointPower = 1.0f;
    VectorF mGravityToPointPoint;

    Array<uint8_t> mFadePhases;

    IntervalF mAirFrictionCoef{0.9f, 1.05f};
    Array<float> mAirFrictionCoefs;

    uint8_t mDoAngleTracker = 0;
    int32_t mAngleTrackerType = 6;
    Array<SinCos> mAngleTrackerTable;
    float mAngleTrackerPower = 1.0f;
    int32_t mAngleTrackerStartIndex = 0;
    uint8_t mAngleTrackerRandomStartIndex = 1;
    Array<int32_t> mAngleTrackerIndices;
    uint8_t mAngleTrackerExtra = 0;

    uint8_t mDoColorBlink = 0;
    IntervalI mColorBlinkInterval{5, 10};
    uint8_t mColorBlinkColor1Random = 0;
    uint8_t mColorBlinkColor2Random = 1;
    ColorRGB mColorBlinkColor1{0, 0, 0};
    ColorRGB mColorBlinkColor2{255, 255, 255};
    Array<ColorRGB> mBlinkColors1;
    Array<ColorRGB> mBlinkColors2;
    Array<BlinkTimer> mColorBlinkTimers;
    Array<uint8_t> mColorBlinkPhases;

    uint8_t mDoAlphaBlink = 0;
    IntervalI mAlphaBlinkInterval{5, 10};
    uint8_t mAlphaBlinkAlpha1Random = 1;
    uint8_t mAlphaBlinkAlpha2Random = 1;
    uint8_t mAlphaBlinkAlpha1 = 0;
    uint8_t mAlphaBlinkAlpha2 = 255;
    Array<uint8_t> mBlinkAlphas1;
    Array<uint8_t> mBlinkAlphas2;
    Array<BlinkTimer> mAlphaBlinkTimers;
    Array<uint8_t> mAlphaBlinkPhases;

    // Set when a feature's arrays could not follow the pool: emission is
    // refused until they can.
    uint8_t mArraysShort = 0;

    enum FlightOutcome : uint8_t {
        kFlyFree,     // no hit: moves on
        kFallAsleep,  // settled after its bounces
        kShardStops,  // a shard that found itself behind terrain
        kHitsTerrain,
        kHitsToy,
        kFlown,            // moved on already, beside the other plans
        kBounceWithDraws,  // bounces off terrain with the generator state it was given
    };
    // What the motion part of a flight found for each moving particle, in
    // list order, for the part that applies it.
    struct FlightStep {
        int32_t mSlot = -1;
        uint8_t mOutcome = 0;
        VectorF mDisplacement;
        VectorF mVelocityChange;
        int32_t mStaticSegment = -1;
        // The generator's state that a bounce off terrain draws from.
        int32_t mSeed = 0;
        Toy* mToy = nullptr;
        int32_t mToyPoint = -1;
        VectorF mHitPoint;
    };
    Array<FlightStep> mFlightSteps;

private:
    // Calls f(array, exists) for every per-particle array; exists says
    // whether the array belongs to the pool under the current switches.
    template <typename F>
    void ForEachParticleArray(F&& f);
    // Sizes every existing per-particle array to the pool capacity and frees
    // the others; a newly made array is filled for the particles that live.
    void SyncParticleArrays();
    bool ReserveParticleArrays(int32_t capacity);
    void StartFeaturesOfLiveParticles(const uint8_t* created);
    template <typename F>
    void ForEachLiveParticle(F&& f);
    void PushFront(ParticleList& list, int32_t slot);
    void Unlink(ParticleList& list, int32_t slot);
    int32_t FreeParticle(ParticleList& list, int32_t slot);

    // The start values of each feature, as emission gives them.
    VectorF StartPosition();
    void StartTexRect(int32_t slot);
    void StartSizing(int32_t slot);
    void StartFade(int32_t slot);
    void StartAirFriction(int32_t slot);
    void StartAngleTracker(int32_t slot);
    void StartColorBlink(int32_t slot);
    void StartAlphaBlink(int32_t slot);
    void StartRotation(int32_t slot);
    void StartSleep(int32_t slot);
    void StartPenetration(int32_t slot);
    int32_t DrawPeriod(const IntervalI& interval);
    float DrawInterval();

    void RecomputeStartMoveVector();
    // The texture of the file name from the texture library, with a notice
    // when the library has no such picture.
    void FetchTexture();
    void ApplyMultiTexture();
    void RecomputeQuadTemplate();
    void ApplyAngleTracker();
    void ApplyFeatures();
    void FinishPreset(int32_t blender);
    void ApplyJetPreset(const VectorF& line, const VectorF& moveVector, const IntervalF& size, const ColorRGBA& c1,
                        const ColorRGBA& c2, float weight, float sizing, float fadeOut);
    void ApplyBurstPreset(const VectorF& position);
    void EmitBurstNow(const IntervalI& count);
    void FinishCloudPreset(const IntervalF& sizing, int32_t rotationStyle);

    // Flight steps (ParticleFlight.cpp). Each walk answers nothing; a particle
    // that dies is freed from the walked list at once.
    VectorF Acceleration(int32_t slot) const;
    void FlyList(SpatialGrid& grid, bool sleepingPass, Scene* scene, bool parallel);
    void MoveWithoutHits();
    struct UniformPull;
    bool FadesOutOnly() const { return mDoFadeAlpha && !(mFadeIn * mDt > 0.0f) && mFadeOut * mDt > 0.0f; }
    // Lowers a particle's alpha by out and shows it; false when it has faded
    // out (and is to be freed).
    static bool FadeOut(float& alpha, uint8_t& shown, float out);
    void MoveAndFadeOut();
    // Planned side by side, then applied in list order.
    void MoveWithHits(SpatialGrid& grid, Scene* scene, bool parallel);
    void PlanMove(FlightStep& step, const SpatialGrid& grid, GridQueryContext& context) const;
    // Writes only the step's own particle, so plans may call it side by side.
    void MoveFreely(const FlightStep& step) const;
    void ApplyMove(FlightStep& step, const SpatialGrid& grid, Scene* scene);
    // Whether a bounce off terrain touches nothing but its particle and the
    // generator, so that its draws can be handed out in list order and the
    // bounce itself computed beside the others afterwards.
    bool BounceDrawsAhead() const;
    // Draws from the generator that one bounce makes.
    int32_t BounceDrawCount() const;
    // The bounces among the steps [begin, end) that were given their draws.
    void BounceWithDraws(int32_t begin, int32_t end, const SpatialGrid& grid);
    // Off the edge, to the point at (already in front of it).
    void Bounce(int32_t slot, const StaticSegment& edge, const VectorF& at, Random& random);
    // True when the particle died of the hit.
    bool HitToy(int32_t slot, const FlightStep& step, Scene* scene);
    bool StartPassage(int32_t slot, const FlightStep& step, Scene* scene);
    // True when the particle died in the toy.
    bool FlyThroughToy(int32_t slot, const VectorF& displacement, Scene* scene);
    void Size(bool sleepingPass);
    void Fade(bool sleepingPass);
    void TrackAngles(bool sleepingPass);
    void BlinkColors(bool sleepingPass);
    void BlinkAlphas(bool sleepingPass);
    void Spin(bool sleepingPass);
};

} // namespace KIV
