#pragma once
#include <cstdint>
#include <string>
#include "base/Array.h"
#include "base/FastName.h"
#include "base/HandleTable.h"
#include "base/Random.h"
#include "base/Rect.h"
#include "base/Vector.h"
#include "physics/contacts/Contact.h"
#include "physics/geometry/TracedGeometry.h"
#include "physics/toys/CrossingMemo.h"
#include "physics/toys/PointContactMemo.h"
#include "render/Shape.h"

namespace KIV {

class Joint;
class MemoryStream;
class Scene;
class Material;
class ParticleSystem;
class Robot;
class SpatialGrid;
class GridQueryContext;
class Texture;

// Where a toy was hit hard enough to break.
struct ToyHitRecord {
    int32_t mOutlineIndex = -1;
    VectorF mPosition;
    int32_t mTriangleIndex = -1;
    VectorF mVelocity;
    float mAngularVelocity = 0.0f;
    uint8_t mBreakCoreToo = 0;

    // A hit waits for the next break pass.
    bool IsPending() const { return mOutlineIndex >= 0 || mTriangleIndex >= 0; }
};

// The closed rectangle around a toy.
struct ToyBoxOutline {
    int32_t mTag = 0;
    VectorF mPoints[5];
    int32_t mReserved[5] = {0, 0, 0, 0, 0};
};

// One soft body of the world: a meshed outline with rigid-body motion,
// deformation and breaking parameters, and the contact lists the step fills.
// Fields are public: the step stages, the grid and the contact solver work on
// them directly; scripts go through the accessors.
class Toy {
public:
    static constexpr int32_t kMaxToys = 2048;
    static constexpr int32_t kShapeCount = 11;
    static constexpr int32_t kHistoryLength = 5;

    Toy();
    ~Toy();
    Toy(const Toy&) = delete;
    Toy& operator=(const Toy&) = delete;

    // ---- script accessors ----
    FastName GetName() const { return mName; }
    void SetName(const std::string& name) { mName.SetByString(name); }
    // The file name of the main texture, "" without texture; the second
    // getter gives the texture's full library name the same way.
    std::string GetMainTextureFn() const;
    std::string GetMainTextureName() const;
    float GetArea() const { return mArea; }
    float GetDensity() const { return mDensity; }
    void SetDensity(float density);
    float GetVolumeZ() const { return mVolumeZ; }
    void SetVolumeZ(float volumeZ);
    float GetWeight() const { return mWeight; }
    float GetOrigWeight() const { return mReferenceWeight; }
    float GetMomentOfInertia() const { return mMomentOfInertia; }
    const VectorF& GetPosition() const { return mPosition; }
    float GetOrientation() const { return mOrientation; }
    const VectorF& GetAcceleration() const { return mAcceleration; }
    float GetAngularAcceleration() const { return mAngularAcceleration; }
    const VectorF& GetVelocity() const { return mVelocity; }
    void SetVelocity(const VectorF& v);
    float GetAngularVelocity() const { return mAngularVelocity; }
    void SetAngularVelocity(float w);
    float GetRestitution() const { return mRestitution; }
    void SetRestitution(float v) { mRestitution = v; }
    float GetRestitutionWithTerrain() const { return mRestitutionWithTerrain; }
    void SetRestitutionWithTerrain(float v) { mRestitutionWithTerrain = v; }
    float GetSlippery() const { return mSlippery; }
    void SetSlippery(float v) { mSlippery = v; }
    float GetAirFriction() const { return mAirFriction; }
    void SetAirFriction(float v) { mAirFriction = v; }
    float GetAirAngularFriction() const { return mAirAngularFriction; }
    void SetAirAngularFriction(float v) { mAirAngularFriction = v; }
    bool GetAllowSleep() const { return mAllowSleep != 0; }
    void SetAllowSleep(bool b) { mAllowSleep = b ? 1 : 0; }
    bool GetDenySleepIfJointed() const { return mDenySleepIfJointed != 0; }
    void SetDenySleepIfJointed(bool b) { mDenySleepIfJointed = b ? 1 : 0; }
    bool GetSleeping() const { return mSleeping != 0; }
    float GetDeformPower() const { return mDeformPower; }
    void SetDeformPower(float v) { mDeformPower = v; }
    float GetMinimalImpulseToDeform() const { return mMinimalImpulseToDeform; }
    void SetMinimalImpulseToDeform(float v) { mMinimalImpulseToDeform = v; }
    bool GetAllowPlasticDeform() const { return mAllowPlasticDeform != 0; }
    void SetAllowPlasticDeform(bool b) { mAllowPlasticDeform = b ? 1 : 0; }
    bool GetAllowElasticDeform() const { return mAllowElasticDeform != 0; }
    void SetAllowElasticDeform(bool b) { mAllowElasticDeform = b ? 1 : 0; }
    float GetMinimalImpulseToBreakHull() const { return mMinimalImpulseToBreakHull; }
    void SetMinimalImpulseToBreakHull(float v) { mMinimalImpulseToBreakHull = v; }
    float GetMinimalImpulseToBreakCore() const { return mMinimalImpulseToBreakCore; }
    void SetMinimalImpulseToBreakCore(float v) { mMinimalImpulseToBreakCore = v; }
    bool GetBreakToyCoreToo() const { return mBreakToyCoreToo != 0; }
    void SetBreakToyCoreToo(bool b) { mBreakToyCoreToo = b ? 1 : 0; }
    float GetBreakLineDirectionShifter() const { return mBreakLineDirectionShifter; }
    void SetBreakLineDirectionShifter(float v) { mBreakLineDirectionShifter = v; }
    float GetBreakLineRandomizer() const { return mBreakLineRandomizer; }
    void SetBreakLineRandomizer(float v) { mBreakLineRandomizer = v; }
    int32_t GetBreakToyToMoreParts() const { return mBreakToyToMoreParts; }
    void SetBreakToyToMoreParts(int32_t n) { mBreakToyToMoreParts = n < 0 ? 0 : n; }
    bool GetDontBounceOffToys() const { return mDontBounceOffToys != 0; }
    void SetDontBounceOffToys(bool b) { mDontBounceOffToys = b ? 1 : 0; }
    bool GetDontBounceOffRobotLinked() const { return mDontBounceOffRobotLinked != 0; }
    void SetDontBounceOffRobotLinked(bool b) { mDontBounceOffRobotLinked = b ? 1 : 0; }
    float GetMotionBlurIntensity() const { return mMotionBlurIntensity; }
    void SetMotionBlurIntensity(float v) { mMotionBlurIntensity = v; }
    float GetBulletDeformResistance() const { return mBulletDeformResistance; }
    void SetBulletDeformResistance(float v) { mBulletDeformResistance = v; }
    bool GetUseDefaultMaterial() const { return mUseDefaultMaterial != 0; }
    void SetUseDefaultMaterial(bool b);
    FastName GetDefaultMaterialName() const { return mDefaultMaterialName; }
    void SetDefaultMaterialName(const FastName& name) { mDefaultMaterialName = name; }
    void SetBalancer(bool b) { mBalancer = b ? 1 : 0; }
    // The velocity limits of every toy: speed 4000 (counted in item 41),
    // angular speed 50 either way (each clamp counted in item 42).
    static void ClampLinearVelocity(VectorF& velocity);
    static void ClampAngularVelocity(float& angularVelocity);
    float GetMaxVelocityReached() const;
    VectorF GetMaxVelocityReachedPlusXY() const { return {mMaxVelocityPlusX, mMaxVelocityPlusY}; }
    VectorF GetMaxVelocityReachedMinusXY() const { return {mMaxVelocityMinusX, mMaxVelocityMinusY}; }
    float GetMaxAngularVelocityReachedPlus() const { return mMaxAngularVelocityPlus; }
    float GetMaxAngularVelocityReachedMinus() const { return mMaxAngularVelocityMinus; }
    float GetMaxConstraintReached() const { return mMaxConstraint; }
    void NullMeasuredStuff();
    FastName GetRobotObjectName() const { return mRobotObjectName; }

    // Elastic-deformation settings (they live in the geometry record).
    float GetDeformedHowMuch() const;
    int32_t GetDeformedCount() const;
    int32_t GetEDSpringsCount() const;
    void EDResetDeform();
    float GetEDFrequency() const;
    void SetEDFrequency(float frequency);
    bool GetEDForcesDoMinMax() const;
    void SetEDForcesDoMinMax(bool b);
    bool GetEDVectoredSprings() const;
    void SetEDVectoredSprings(bool b);
    float GetEDDistPlusVelocityMul() const;
    void SetEDDistPlusVelocityMul(float v);
    float GetEDDistributeVelocities() const;
    void SetEDDistributeVelocities(float v);
    bool GetEDEDDoRK4() const;
    void SetEDDoRK4(bool b);
    float GetEDSpringsPowerMultiplier() const;
    void SetEDSpringsPowerMultiplier(float v);
    // Border (outline) spring sets 1..8 and inner (mesh, ring) sets 1, 2, 3, 4, 8, 12.
    bool GetEDDoBorderSprings(int32_t set) const;
    void SetEDDoBorderSprings(int32_t set, bool b);
    float GetEDBorderSpringsPower(int32_t set) const;
    void SetEDBorderSpringsPower(int32_t set, float v);
    bool GetEDDoSprings(int32_t set) const;
    void SetEDDoSprings(int32_t set, bool b);
    float GetEDSpringsPower(int32_t set) const;
    void SetEDSpringsPower(int32_t set, float v);
    // The script names of the spring sets.
    bool GetEDDoBorderSprings1() const { return GetEDDoBorderSprings(1); }
    void SetEDDoBorderSprings1(bool b) { SetEDDoBorderSprings(1, b); }
    float GetEDBorderSprings1Power() const { return GetEDBorderSpringsPower(1); }
    void SetEDBorderSprings1Power(float v) { SetEDBorderSpringsPower(1, v); }
    bool GetEDDoBorderSprings2() const { return GetEDDoBorderSprings(2); }
    void SetEDDoBorderSprings2(bool b) { SetEDDoBorderSprings(2, b); }
    float GetEDBorderSprings2Power() const { return GetEDBorderSpringsPower(2); }
    void SetEDBorderSprings2Power(float v) { SetEDBorderSpringsPower(2, v); }
    bool GetEDDoBorderSprings3() const { return GetEDDoBorderSprings(3); }
    void SetEDDoBorderSprings3(bool b) { SetEDDoBorderSprings(3, b); }
    float GetEDBorderSprings3Power() const { return GetEDBorderSpringsPower(3); }
    void SetEDBorderSprings3Power(float v) { SetEDBorderSpringsPower(3, v); }
    bool GetEDDoBorderSprings4() const { return GetEDDoBorderSprings(4); }
    void SetEDDoBorderSprings4(bool b) { SetEDDoBorderSprings(4, b); }
    float GetEDBorderSprings4Power() const { return GetEDBorderSpringsPower(4); }
    void SetEDBorderSprings4Power(float v) { SetEDBorderSpringsPower(4, v); }
    bool GetEDDoBorderSprings5() const { return GetEDDoBorderSprings(5); }
    void SetEDDoBorderSprings5(bool b) { SetEDDoBorderSprings(5, b); }
    float GetEDBorderSprings5Power() const { return GetEDBorderSpringsPower(5); }
    void SetEDBorderSprings5Power(float v) { SetEDBorderSpringsPower(5, v); }
    bool GetEDDoBorderSprings6() const { return GetEDDoBorderSprings(6); }
    void SetEDDoBorderSprings6(bool b) { SetEDDoBorderSprings(6, b); }
    float GetEDBorderSprings6Power() const { return GetEDBorderSpringsPower(6); }
    void SetEDBorderSprings6Power(float v) { SetEDBorderSpringsPower(6, v); }
    bool GetEDDoBorderSprings7() const { return GetEDDoBorderSprings(7); }
    void SetEDDoBorderSprings7(bool b) { SetEDDoBorderSprings(7, b); }
    float GetEDBorderSprings7Power() const { return GetEDBorderSpringsPower(7); }
    void SetEDBorderSprings7Power(float v) { SetEDBorderSpringsPower(7, v); }
    bool GetEDDoBorderSprings8() const { return GetEDDoBorderSprings(8); }
    void SetEDDoBorderSprings8(bool b) { SetEDDoBorderSprings(8, b); }
    float GetEDBorderSprings8Power() const { return GetEDBorderSpringsPower(8); }
    void SetEDBorderSprings8Power(float v) { SetEDBorderSpringsPower(8, v); }
    bool GetEDDoSprings1() const { return GetEDDoSprings(1); }
    void SetEDDoSprings1(bool b) { SetEDDoSprings(1, b); }
    float GetEDSprings1Power() const { return GetEDSpringsPower(1); }
    void SetEDSprings1Power(float v) { SetEDSpringsPower(1, v); }
    bool GetEDDoSprings2() const { return GetEDDoSprings(2); }
    void SetEDDoSprings2(bool b) { SetEDDoSprings(2, b); }
    float GetEDSprings2Power() const { return GetEDSpringsPower(2); }
    void SetEDSprings2Power(float v) { SetEDSpringsPower(2, v); }
    bool GetEDDoSprings3() const { return GetEDDoSprings(3); }
    void SetEDDoSprings3(bool b) { SetEDDoSprings(3, b); }
    float GetEDSprings3Power() const { return GetEDSpringsPower(3); }
    void SetEDSprings3Power(float v) { SetEDSpringsPower(3, v); }
    bool GetEDDoSprings4() const { return GetEDDoSprings(4); }
    void SetEDDoSprings4(bool b) { SetEDDoSprings(4, b); }
    float GetEDSprings4Power() const { return GetEDSpringsPower(4); }
    void SetEDSprings4Power(float v) { SetEDSpringsPower(4, v); }
    bool GetEDDoSprings8() const { return GetEDDoSprings(8); }
    void SetEDDoSprings8(bool b) { SetEDDoSprings(8, b); }
    float GetEDSprings8Power() const { return GetEDSpringsPower(8); }
    void SetEDSprings8Power(float v) { SetEDSpringsPower(8, v); }
    bool GetEDDoSprings12() const { return GetEDDoSprings(12); }
    void SetEDDoSprings12(bool b) { SetEDDoSprings(12, b); }
    float GetEDSprings12Power() const { return GetEDSpringsPower(12); }
    void SetEDSprings12Power(float v) { SetEDSpringsPower(12, v); }
    float GetEDDeformImpulsePower() const;
    void SetEDDeformImpulsePower(float v);
    float GetEDDeformImpulseRange() const;
    void SetEDDeformImpulseRange(float range);
    float GetEDSpringsDumping() const;
    void SetEDSpringsDumping(float v);
    bool GetEDAreaPreservationDeform() const;
    void SetEDAreaPreservationDeform(bool b);
    int32_t GetEDDeformImpulseStyle() const;
    void SetEDDeformImpulseStyle(int32_t v);

    // ---- script methods ----
    void PullTest(const VectorF& target, bool strong);
    void PullTest2(const VectorF& p);
    void PullTest3(bool b);
    void PullTest4(const VectorF& force);

    // ---- operations used by the rest of the physics ----
    VectorF WorldToLocal(const VectorF& p) const;
    VectorF LocalToWorld(const VectorF& p) const;
    VectorF GetVelocityAt(const VectorF& worldPoint) const;
    // Velocity of outline point i; an index outside the outline gives the toy's velocity.
    VectorF GetPointVelocity(int32_t i) const;
    VectorF GetPointWorld(int32_t i) const { return mOutline[i]; }
    VectorF& GetOutlinePoint(int32_t i) { return mOutline[i]; }
    int32_t GetOutlinePointCount() const { return mOutline.Count(); }
    VectorF GetInnerPoint() const;
    VectorF RandomPointInside();
    bool IsJointedTo(const Toy* other) const;
    // Appends the toys at the other ends of the attached joints (growth step
    // 64); false when the toy has no joints.
    bool GetJointedToys(Array<Toy*>& toys) const;
    void AddJoint(Joint* joint) { mJoints.PushBack(joint); }
    bool RemoveLink(ParticleSystem* system) { return mParticleSystems.RemoveValue(system); }
    // Moves the toy and, when a grid is given, its grid entry.
    void MoveTo(const VectorF& point, float angle, SpatialGrid* grid);
    VectorF GetBoxCentre() const;
    // The toy's term of the world checksum.
    int32_t GetChecksumValue() const;
    // Before the first step: contact list 2 and 4 get their growth steps and
    // the pending-impulse extremes start at zero.
    void PrepareContactLists();
    // The toy wakes: every pull and every push resets the sleep counter.
    void Wake()
    {
        mSleeping = 0;
        mSleepCounter = 0;
    }

    // ---- building (ToyBuild.cpp) ----
    // Meshes a closed outline polygon (any winding) centred on its area
    // centroid and places the toy: the road of a picture without the
    // picture. false, with the toy left empty, for fewer than 3 points, a
    // degenerate polygon or a failed mesh.
    bool BuildFromPolygon(const VectorF* points, int32_t count, float density, const VectorF& position, float angle,
                          const VectorF& scale = VectorF(1.0f, 1.0f), float coreValue = 0.0f);
    // Traces, meshes and places the toy from a picture of the texture library
    // (ToyFromTexture.cpp); false, with the toy left without a mesh, when the
    // picture cannot be had or its outline encloses nothing.
    bool BuildFromTexture(const std::string& fileName, float density, bool circleShape, const VectorF& scale,
                          float coreValue, const VectorF& position, bool offsetByPicture, float angle);
    // Lets go of the toy's picture; the toy's own instance ("name|n") goes with it.
    void ReleaseTexture();
    void SetPlacement(const VectorF& position, float angle, bool resetFlag);
    // Weight, inverse mass, moment of inertia and inverse from area, density and volume Z.
    void ComputeMass();

    // ---- fields, in the record's order ----
    uint8_t mPairFlags[kMaxToys];  // 1: may collide with the toy in that scene slot
    uint8_t mDontBounceOffToys = 0;
    uint8_t mDontBounceOffRobotLinked = 1;
    int32_t mSlotIndex = -1;
    int32_t mStoredSlotIndex = -1;
    FastName mName;
    Random mRandom;
    uint8_t mAllowPlasticDeform = 1;
    uint8_t mAllowElasticDeform = 0;
    TracedGeometry mGeometry;
    uint8_t mUniqueTexture = 1;
    std::string mTextureName;
    Texture* mMainTexture = nullptr;
    uint8_t mCircleShape = 0;
    uint8_t mEditorFlag = 0;
    VectorF mScale{1.0f, 1.0f};
    float mDensity = 1.0f;
    float mArea = 0.0f;
    VectorF mPictureExtent;
    float mVolumeZ = 1.0f;
    float mWeight = 0.0f;
    float mInverseMass = 0.0f;
    float mMomentOfInertia = 0.0f;
    float mInverseMoment = 0.0f;
    float mRestitution = 0.13f;
    float mRestitutionWithTerrain = 0.13f;
    float mSlippery = 0.0f;
    float mDeformMotionFactor = 0.2f;
    float mDeformPower = 1.0f;
    float mMinimalImpulseToDeform = 100.0f;
    float mReferenceWeight = 0.0f;
    VectorF mPosition;
    float mOrientation = 0.0f;
    VectorF mVelocity;
    float mAngularVelocity = 0.0f;
    VectorF mAcceleration;
    float mAngularAcceleration = 0.0f;
    VectorF mStepDisplacement;
    float mStepAngle = 0.0f;
    VectorF mPredictedPosition;
    float mPredictedOrientation = 0.0f;
    VectorF mVelocityAfterImpulses;
    float mAngularVelocityAfterImpulses = 0.0f;
    VectorF mForce;
    float mTorque = 0.0f;
    VectorF mGravity;
    float mStepLength = 0.0f;
    float mInverseStepLength = 0.0f;
    float mHalfStepLengthSquared = 0.0f;
    float mAirFriction = 0.2f;
    float mAirAngularFriction = 0.2f;
    uint8_t mAllowSleep = 1;
    uint8_t mDenySleepIfJointed = 0;
    uint8_t mSleeping = 0;
    int32_t mSleepCounter = 0;
    int32_t mSleepDelay = 10;
    float mStoredValue1 = 2500.0f;  // carried by the state record only
    float mStoredValue2 = 300.0f;
    VectorF mVelocityAtLastHit;
    float mAngularVelocityAtLastHit = 0.0f;
    Array<VectorF> mOutline{1};  // world points; the element after the last repeats point 0
    Array<VectorF> mLocalOutline{1};
    Array<VectorF> mCarriedOutline{1};
    Array<VectorF> mPredictedOutline{1};
    Array<VectorF> mDeformationVectors{1};
    Array<float> mPenetrationValues{1};
    Array<PointInsideRecord> mPointRecords{1};
    Array<ContactRecord> mPointContacts{1};         // contact list 1
    Array<ContactRecord> mContactList2{32};         // contact list 2, emptied every step
    Array<ContactRecord> mLineContacts{1};          // contact list 3: the crossing events
    CrossingMemo mCrossingMemo;                      // the last crossing walk and what it read
    Array<PenetrationRecord> mPenetrationContacts{1};  // contact list 4
    Array<VelocityChangeRecord> mVelocityChanges{1};
    // Most negative x, y, largest positive x, y, most negative and largest
    // positive angular impulse gathered since last applied.
    float mPendingImpulse[6] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    Array<Joint*> mJoints{4};
    FastName mRobotObjectName;
    uint8_t mBalancer = 0;
    uint8_t mBalancerNeedsRobot = 1;
    uint8_t mUseDefaultMaterial = 1;
    FastName mDefaultMaterialName;
    Material* mOwnMaterial = nullptr;
    float mMaxSpeedSquared = 0.0f;
    float mMaxVelocityPlusX = 0.0f;
    float mMaxVelocityPlusY = 0.0f;
    float mMaxVelocityMinusX = 0.0f;
    float mMaxVelocityMinusY = 0.0f;
    float mMaxAngularVelocityPlus = 0.0f;
    float mMaxAngularVelocityMinus = 0.0f;
    float mMaxConstraint = 0.0f;
    float mMinimalImpulseToBreakHull = 1000.0f;
    float mMinimalImpulseToBreakCore = 10000.0f;
    ToyHitRecord mHit;
    uint8_t mBreakToyCoreToo = 0;
    float mBreakLineDirectionShifter = 0.1f;
    float mBreakLineRandomizer = 0.5f;
    int32_t mBreakToyToMoreParts = 5;
    ToyBoxOutline mBoxOutline;
    uint8_t mGeometryChanged = 0;
    float mMotionBlurIntensity = 1.0f;
    RectF mBounds;
    uint8_t mVisible = 0;
    uint8_t mShotFlag = 0;  // shot values, set and read by the shooting code
    float mShotValue1 = 1.0f;
    float mShotValue2 = 0.0f;
    float mShotValue3 = 0.0f;
    float mBulletDeformResistance = 1.0f;
    int32_t mDeformStreak = 0;
    Robot* mOwningRobot = nullptr;
    Array<ParticleSystem*> mParticleSystems{4};
    Shape mShapes[kShapeCount];  // display shapes of the render passes
    uint8_t mVisited = 0;        // contact islands
    int32_t mGridSlot = -1;       // the toy's object in the spatial grid
    int32_t mGridEntryCount = 0;  // outline entries the grid holds for it

    // The last step's point contacts with their targets and what they read,
    // given back while none of it changes; the toy's own inputs are noted at
    // the first predicted outline of each step (PointContactMemo.h).
    PointContactMemo mPointContactMemo;

    // State the step keeps between stages.
    uint8_t mContactListsPrepared = 0;
    uint8_t mSliverCheck = 0;  // look for a sliver triangle at the next game step
    VectorF mPreviousVelocity;
    float mPreviousAngularVelocity = 0.0f;
    int32_t mHistoryIndex = 0;
    VectorF mVelocityHistory[kHistoryLength];
    float mAngularVelocityHistory[kHistoryLength] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

    // ---- the scene step's per-toy stages (ToyStep.cpp) ----
    // Stage 1, first part: gravity, balancer, impacts, elastic step.
    void BeginStep(const VectorF& gravity);
    // Whether BeginStep touches data that other objects hold: a dent moves
    // the anchors of the toy's joints and re-measures them, and particle
    // systems link to toys. Without either, it reads and writes only this toy.
    bool SharesStepStart() const;
    // Stage 1, second part: integration and the line contacts. pass numbers
    // the scene's toy steps, for the kept crossing walk (CrossingMemo.h).
    void IntegrateAndCollectLineContacts(const SpatialGrid& grid, GridQueryContext& context, uint64_t pass);
    void ApplyBalancer();
    void ProcessImpacts();
    void StepElastic();
    // Stage 3: penetration contacts from the paired crossing events.
    void BuildPenetrationContacts(const SpatialGrid& grid);
    // Stage 4: adds the partners' depths of the same penetrations.
    void ShareDepths();
    // Stage 6: the paths of the outline points this step, tested against the grid.
    void CollectPointContacts(const SpatialGrid& grid, GridQueryContext& context);
    // Stage 7: wakes the toys of changed joints; true when any joint did.
    bool WakeByJoints();
    // Stage 7: a push on outline point i (a radial push's share).
    void ApplyPointForce(int32_t point, const VectorF& force);
    // Stage 8: pose after this step's move.
    void PredictPose();
    // Stages 6 and 9: the mesh's outline placed at the predicted pose. The
    // step's first, which the point contacts test, notes their inputs.
    void BuildPredictedOutline();
    // Stage 11: pending impulses, the sleep test, and the commit of an awake toy.
    void SleepAndCommit(bool sleepingEnabled, const SpatialGrid& grid, GridQueryContext& context);
    // Part of the commit: an outline whose every point would end across a
    // terrain edge is held in front of it.
    void HoldOutlineOutOfTerrain(const SpatialGrid& grid, GridQueryContext& context);
    void UpdateSleepState();
    void RefreshBounds();
    // Stage 12.
    void RecordVelocityHistory();
    void UpdateMeasuredMaxima();
    // A perfectly elastic particle hit; false for a particle of mass 0.
    bool ApplyParticleImpulse(float particleMass, const VectorF& particleVelocity, const VectorF& hitPoint,
                              const VectorF& normal);
    // ---- end of the scene step's block ----

    // ---- deformation, impacts, breaking and the state record ----
    // (ToyDeform.cpp, ToyBreak.cpp, ToyRecord.cpp)
    static constexpr uint8_t kStateRecordVersion = 2;
    static constexpr int32_t kStateRecordSize = 108;  // without the own material's record

    // Records where a later break starts: at an outline point (a position of
    // (0, 0) takes the outline point's own place instead), or at a triangle of
    // the mesh. A triangle outside the mesh is refused and leaves the hit as it was.
    void SetHitByPosition(int32_t outlineIndex, const VectorF& position, bool breakCoreToo);
    bool SetHitByTriangleIndex(int32_t triangle, bool breakCoreToo);
    // Splits the toy along a crack from its hit into two empty toys given by
    // the caller, which take over its settings, its joints and their share of
    // its motion; the caller removes the broken toy. The hit is used up either
    // way. false (toy unbroken) for a hit out of range or a refused split.
    // Each piece takes its shape, centre and mass from the outline it has in
    // the world, as a toy newly built from that outline. A piece that would
    // be a sliver (IsSliver) is not made: it keeps no joints and no effect,
    // and the caller drops it; a split into two slivers is refused.
    // With a scene, the material's break effect runs on the pieces made.
    bool Break(Toy& pieceA, Toy& pieceB, Scene* scene = nullptr);
    // Whether the toy's outline encloses next to nothing: thinner across its
    // longest edge than contacts hold points off a surface.
    bool IsSliver() const;
    // A particle's push on the mesh point nearest to a world point.
    void DentByParticle(const VectorF& worldPoint, const VectorF& push);
    // The toy's editable settings as a byte record (version 2, 108 bytes
    // without an own material). Reading refuses (false, nothing read) a record
    // of a later version; a density or volume that its setter would refuse
    // keeps the toy's value.
    bool WriteState(MemoryStream& stream) const;
    bool ReadState(MemoryStream& stream);

    // ---- damage decals (ToyDecals.cpp) ----
    // Whether the toy's own picture holds pixels that decals can go into.
    bool HasDecalPixels() const;
    // One of the four damage pictures at a world point, picture and opacity
    // from the toy's generator; a toy without pixels draws nothing from it.
    void AddDamageDecal(const VectorF& worldPoint);
    // A material decal: the named picture at a world point, with an opacity
    // in 0..1, a rotation, and the size and weight that scale it.
    void AddMaterialDecal(const VectorF& worldPoint, const std::string& picture, float opacity, float rotation,
                          float size, float weight);
    // The pixel of the toy's picture under a world point: the nearest point
    // of the textured mesh, in the picture's kept pixels.
    VectorF GetDecalPixel(const VectorF& worldPoint) const;
    // The texture coordinate of the mesh point nearest to a toy-frame point.
    VectorF GetNearestTexCoord(const VectorF& localPoint) const;

    // Mesh points held in place by contacts and joints during the elastic step.
    Array<uint8_t> mElasticHeld{1};
    // How scripts name the toy; everything they kept of it goes stale with it.
    ObjectHandle mScriptHandle;

private:
    // The mesh point a contact acts on: its outline point, the start of its
    // crossed edge for a crossing event, else the point nearest to it.
    int32_t GetContactMeshPoint(const ContactRecord& contact) const;
    int32_t GetNearestMeshPoint(const VectorF& worldPoint) const;
    // Dents the mesh with every contact's share of the impulses.
    void DentFromContacts();
    // Joint anchors follow the mesh through a dent.
    void MoveAnchorsWithDent();
    // Takes over the broken toy's settings and place as a piece of it; the
    // piece's geometry is already cut.
    void TakeOverAsPiece(const Toy& source, const Array<PiecePair>& pairs, bool sideA);
    // A piece's mesh outline, centre, area, mass and rest shape taken anew
    // from its world outline.
    void TakeShapeFromWorldOutline();
    // The piece moves as its part of the broken toy did.
    void TakeOverMotion(const Toy& source);
    void DeleteOwnMaterial();
    // ---- end of the deformation block ----

private:
    // Scales weight and moment by the ratio of a density or volume change.
    void ScaleMass(float ratio);
    // Joints re-measure their mass-dependent values after a mass change.
    void RemeasureJoints();
    // A spring-set setting changed: the elastic links are made anew.
    void RebuildElasticLinks();
    // The link family of a border set (1..8) or an inner set (1, 2, 3, 4, 8,
    // 12); null for any other number.
    LinkFamily* GetBorderFamily(int32_t set);
    LinkFamily* GetInnerFamily(int32_t set);
    const LinkFamily* GetBorderFamily(int32_t set) const { return const_cast<Toy*>(this)->GetBorderFamily(set); }
    const LinkFamily* GetInnerFamily(int32_t set) const { return const_cast<Toy*>(this)->GetInnerFamily(set); }
};

// ---- breaking in the scene (ToyBreak.cpp) ----
// Breaks a toy that carries a hit into two new toys placed after it in the
// scene's list and entered into its grid; the broken toy is removed. false,
// with the scene as it was, when the toy is not in the scene, no slots are
// free or the toy does not break.
bool BreakToyInScene(Scene& scene, Toy& toy);
// The material's effect on each piece of a broken toy: decals along the new
// crack edge, its last crackPointCount outline points (MaterialEffects.cpp).
void DoBreakEffect(Scene& scene, Toy& piece, int32_t crackPointCount);

} // namespace KIV
