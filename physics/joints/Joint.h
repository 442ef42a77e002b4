#pragma once
#include <cstdint>
#include <string>
#include "base/Array.h"
#include "base/FastName.h"
#include "base/HandleTable.h"
#include "base/IndexPool.h"
#include "base/Vector.h"
#include "physics/joints/PoseAngle.h"
#include "render/Shape.h"

namespace KIV {

class MemoryStream;
class Robot;
class Toy;

// A pin between a point of toy A and a point of toy B, or between a point of
// toy A and a fixed point of the world. Besides the pin it carries an angular
// motor, a one-step brake, an angular spring whose target angle can be set,
// shifted or faded over time, an angular friction, a gear coupling and a
// break threshold. The scene's joint list owns the joint; the toys and the
// robot it points to are not its own.
class Joint {
public:
    static constexpr int32_t kRecordVersion = 1;
    static constexpr int32_t kRecordSize = 58;
    static constexpr float kDefaultBreakForce = 10000000.0f;

    Joint();
    ~Joint();
    Joint(const Joint&) = delete;
    Joint& operator=(const Joint&) = delete;

    // ---- connection (Joint.cpp) ----
    // Anchors are in the toys' own frames. A missing toy leaves the joint dead.
    // Listing the joint in its toys' joint lists is the caller's.
    void ConnectToys(Toy* toyA, const VectorF& anchorA, Toy* toyB, const VectorF& anchorB);
    void ConnectToWorld(Toy* toyA, const VectorF& anchorA, const VectorF& worldPoint);
    // A toy broken down to a triangle, a gear that lost both toys, or a pin
    // pulled harder than the threshold.
    bool ShouldBreak() const;
    // Anchor A in world coordinates; (0, 0) without toy A.
    VectorF GetWorldPointA() const;
    VectorF GetReferencePosition() const { return mReferencePosition; }
    // The angle of pose i; 0 for an index outside the list.
    float GetPoseAngle(int32_t index) const;
    // Negates the angle of the named pose; nothing when the joint lacks it.
    void MirrorPoseAngle(const FastName& pose);
    // Display shapes: toy positions to the anchors with an anchor marker, and
    // the line between the two anchors.
    void BuildShapes();
    void BuildLinkShape();

    // ---- script methods (Joint.cpp) ----
    FastName GetName() const { return mName; }
    void SetName(const std::string& name) { mName.SetByString(name); }
    std::string GetNameA() const;
    std::string GetNameB() const;
    bool IsToyA(Toy* toy) const { return toy == mToyA; }
    bool IsToyB(Toy* toy) const { return toy == mToyB; }
    const bool& IsDead() const { return mDead; }
    bool IsLinkedToRobot() const { return mRobot != nullptr; }
    VectorF GetConstraint() const { return mConstraint; }
    float GetConstraintSqrL() const { return mConstraintSquared; }
    float GetMaxConstraintReachedSqrL() const { return mMaxConstraintSquared; }
    void NullMeasuredStuff() { mMaxConstraintSquared = 0.0f; }
    const float& GetBreakJointMinForce() const { return mBreakJointMinForce; }
    void SetBreakJointMinForce(const float& force) { mBreakJointMinForce = force; }
    bool GetMotorEnabled() const { return mMotorEnabled != 0; }
    void SetMotorEnabled(bool enabled);
    float GetMotorPower() const { return mMotorPower; }
    void SetMotorPower(float power);
    float GetMotorMaxSpeed() const { return mMotorMaxSpeed; }
    void SetMotorMaxSpeed(float speed);
    void SetMotor(bool enabled, float power, float maxSpeed);
    // Without hold the force acts for one step.
    void DoMotorForce(const float& force, const bool& hold);
    float GetBrakePower() const { return mBrakePower; }
    void SetBrakePower(float power);
    // The brake acts for one step. Two toys turning almost alike are locked
    // together at once: A takes B's angular velocity.
    void DoBrakeMotor(const float& value);
    float GetAngularFriction() const { return mAngularFriction; }
    void SetAngularFriction(const float& friction);
    const float& GetAngularSpringPower() const { return mSpringPower; }
    void SetAngularSpringPower(const float& power);
    const float& GetAngularSpringAngle() const { return mSpringAngle; }
    void SetAngularSpringAngle(const float& angle);
    void SetAngularSpring(const float& power, const float& angle);
    void ShiftAngularSpring(const float& shift) { mSpringShift = shift; }
    // Moves the spring angle to the target the short way round over the
    // given seconds (at least one step); the joint's steps carry it out.
    void FadeAngularSpring(const float& angle, const float& seconds);
    void FadeAngularSpringByPose(const FastName& pose, const float& seconds);
    bool GetAngularSpringAngleFadeFinishedNow() const { return mFadeFinishedNow != 0; }
    float GetGearRatio() const { return mGearRatio; }
    void SetGearRatio(float ratio) { mGearRatio = ratio; }
    Toy* GetToyA() const { return mToyA; }
    Toy* GetToyB() const { return mToyB; }
    Toy* GetOtherToy(Toy* toy) const;
    const VectorF& GetPointA() const { return mAnchorA; }
    const VectorF& GetPointB() const { return mAnchorB; }
    const VectorF& GetWorldPoint() const { return mWorldPoint; }
    const bool& IsGearJoint() const { return mGearJoint; }
    const bool& IsWorldJoint() const { return mWorldJoint; }

    // ---- per-step work (JointSolve.cpp) ----
    // Before the radial pushes: clears the measured constraint, smooths the
    // motor force and advances the spring fade.
    void Step();
    // Stage 7: the anchors turned into world orientation.
    void UpdateAnchors();
    // Before the scene step, serially: motor, spring, friction and brake as
    // angular accelerations in the toys' torque accumulators.
    void SolveAngular(float stepLength);
    // After the scene step: the squared constraint and its running maximum.
    void Measure();
    // The stored inertias from the toys (after a toy was built or changed).
    void UpdateInertia();
    void UpdateInertia(const Toy* toy);
    // The pin at velocity level, run by the toy-pair solve: the new form
    // applies its impulse at once, the old form gathers it in the toys'
    // pending impulses. true when anything was solved.
    bool SolveVelocity();
    bool SolveVelocityOld();
    // Stage 8: drift of the anchors fed back into the velocities.
    void CorrectPosition();

    // ---- state record (JointRecord.cpp) ----
    bool WriteState(MemoryStream& stream) const;
    // false, with the joint and the stream position unchanged, for a record
    // of a later version than this program writes.
    bool ReadState(MemoryStream& stream);

    // ---- fields, in the record's order ----
    Toy* mToyA = nullptr;
    Toy* mToyB = nullptr;
    FastName mName;
    int32_t mFirstIndex = -1;   // the slot its joint list gave it
    int32_t mSecondIndex = -1;  // the slot a read record carried
    Array<PoseAngle> mPoseAngles{1};
    int32_t mThirdIndex = -1;
    bool mDead = false;
    float mStepLength = 1.0f;
    float mInverseStepLength = 1000.0f;
    Robot* mRobot = nullptr;
    bool mWorldJoint = false;
    VectorF mWorldPoint;
    VectorF mAnchorA;
    VectorF mAnchorB;
    float mInertiaA = 0.0f;
    float mInverseInertiaA = 0.0f;
    float mInertiaB = 0.0f;
    float mInverseInertiaB = 0.0f;
    VectorF mConstraint;
    float mConstraintSquared = 0.0f;
    float mMaxConstraintSquared = 0.0f;
    VectorF mWorldAnchorA;
    VectorF mWorldAnchorB;
    float mInverseMassSum = 0.0f;
    uint8_t mMotorEnabled = 0;
    float mMotorPower = 0.4f;
    float mMotorMaxSpeed = 5.0f;
    float mMotorForce = 0.0f;
    float mMotorForceTarget = 0.0f;
    uint8_t mHoldMotorForce = 0;
    float mMotorForceSmoothing = 1.0f;
    float mBrakePower = 1.0f;
    float mBrakeMotor = 0.0f;
    float mAngularFriction = 0.0f;
    float mSpringPower = 0.0f;
    float mSpringAngle = 0.0f;
    float mSpringShift = 0.0f;
    float mSpringShiftSpeed = 0.0f;
    // Six settings of the robot code's gear operations; they travel in the record.
    uint8_t mRobotFlag1 = 0;
    float mRobotValue2 = 0.0f;
    uint8_t mRobotFlag3 = 0;
    uint8_t mRobotFlag4 = 0;
    float mRobotValue5 = 0.0f;
    uint8_t mRobotFlag6 = 0;
    bool mGearJoint = false;
    float mGearRatio = 1.0f;
    uint8_t mPoseReached = 0;
    uint8_t mPoseCheckArmed = 0;
    float mPoseTolerance = 0.0f;
    Shape mShapes[2];
    uint32_t mFadeFramesDone = 0;
    uint32_t mFadeFramesTotal = 0;
    float mFadeStartAngle = 0.0f;
    float mFadeAngleChange = 0.0f;
    uint8_t mFadeFinishedNow = 0;
    float mBreakJointMinForce = kDefaultBreakForce;
    uint8_t mChanged = 0;
    VectorF mReferencePosition;
    // How scripts name the joint; everything they kept of it goes stale with it.
    ObjectHandle mScriptHandle;
};

// One of the scene's joint lists with the pool of slot indices its joints take.
struct JointList {
    static constexpr int32_t kMaxJoints = 8192;

    JointList();

    PtrArray<Joint> mJoints;
    IndexPool mSlots;
};

// The joint passes of the fixed step, one body per joint in list order. The
// parallel ones fork only when asked (the settings' parallelism switch).
void StepJointsParallel(PtrArray<Joint>& joints, bool parallel);
void UpdateJointAnchorsParallel(PtrArray<Joint>& joints, bool parallel);
void MeasureJointConstraintsParallel(PtrArray<Joint>& joints, bool parallel);
void BuildJointShapesParallel(PtrArray<Joint>& joints, bool parallel);
// Serial: each joint writes both of its toys.
void SolveJoints(PtrArray<Joint>& joints, const float* stepLength);
void CorrectJointPositions(PtrArray<Joint>& joints);

} // namespace KIV
