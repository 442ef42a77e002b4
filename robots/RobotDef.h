#pragma once
#include <cstdint>
#include <string>
#include "base/Array.h"
#include "base/FastName.h"
#include "base/Vector.h"
#include "physics/joints/PoseAngle.h"

namespace KIV {

class MemoryStream;
class RobotDefOwner;

// How reading a stored definition went. Old and cut records still fill what
// they hold (missing values keep their defaults), so a reader of undo snapshots
// can take them as they are, while a file loader refuses anything short of Complete.
enum class RecordRead : uint8_t {
    Complete,
    EndedEarly, // the bytes ran out: the fields not reached keep their defaults
    Refused,    // a newer version or an impossible count: nothing was changed
};

// One part of a robot: a textured picture that becomes a toy.
struct ObjectDef {
    static constexpr uint8_t kVersion = 3;

    FastName mName;
    std::string mTexture;
    int32_t mCropX = 0;
    int32_t mCropY = 0;
    int32_t mCropWidth = 0; // below 1: the whole picture
    int32_t mCropHeight = 0;
    bool mMaster = false;
    VectorF mPosition;
    float mOrientation = 0.0f;
    VectorF mScale{1.0f, 1.0f};
    bool mCircleShape = false;
    int32_t mBuiltToyId = -1; // runtime link, never stored
};

struct JointDef {
    static constexpr uint8_t kVersion = 2;
    static constexpr uint8_t kPoseListVersion = 2;
    static constexpr uint8_t kPoseVersion = 1;

    JointDef() : mPoses(1) {}

    FastName mName;
    FastName mObjectA;
    VectorF mAnchorA;
    bool mAnchorAByPicture = true;
    FastName mObjectB;
    VectorF mAnchorB;
    bool mAnchorBByPicture = true;
    float mAngle = 0.0f; // the rest angle, always that of the pose "basic"
    bool mWorldJoint = false;
    bool mGearJoint = false;
    Array<PoseAngle> mPoses;
    int32_t mSelectedPose = -1;
    int32_t mBuiltJointId = -1; // runtime link, never stored

    // Keeps the first pose named "basic" and holding the rest angle, as every
    // reader of a joint expects.
    void EnsureBasicPose();
};

// A particle system riding on one object of the robot.
struct ParticlesDef {
    static constexpr uint8_t kVersion = 2;

    FastName mName;
    FastName mLinkObject;
    VectorF mLinkPosition;
    bool mLinkByPicture = false;
    float mLinkOrientation = 0.0f;
    int32_t mLayer = 0;
    int32_t mBuiltSystemId = -1; // runtime link, never stored
};

// Whoever keeps a definition's undo history and rebuilds the robot from it.
class RobotDefOwner {
public:
    virtual void SetRebuildNeeded() = 0;

protected:
    ~RobotDefOwner() = default;
};

// The editable definition of a robot: its parts, joints, particle-system
// links, poses, preview settings, scripts and notes.
class RobotDef {
public:
    static constexpr uint8_t kVersion = 5;
    static constexpr const char* kBasicPose = "basic";

    RobotDef();
    RobotDef(const RobotDef&) = delete;
    RobotDef& operator=(const RobotDef&) = delete;

    // Empties the parts and texts; start-dead and the animation settings stay.
    void Clear();
    bool Write(MemoryStream& stream) const;
    // Replaces the stored parts and texts with the record's; a refused record
    // changes nothing.
    RecordRead Read(MemoryStream& stream);

    ObjectDef* FindObjectByName(const FastName& name) const;
    JointDef* FindJointByName(const FastName& name) const;

    RobotDefOwner* GetUndoOwner() const { return mUndoOwner; }
    void SetUndoOwner(RobotDefOwner* owner) { mUndoOwner = owner; }

    const FastName& GetName() const { return mName; }
    void SetName(const FastName& name) { mName = name; }
    const std::string& GetNotes() const { return mNotes; }
    void SetNotes(const std::string& notes) { mNotes = notes; }
    bool GetStartDead() const { return mStartDead; }
    void SetStartDead(bool dead) { mStartDead = dead; }
    const std::string& GetScriptOnBuild() const { return mScriptOnBuild; }
    void SetScriptOnBuild(const std::string& text) { mScriptOnBuild = text; }
    const std::string& GetScriptOnUpdate() const { return mScriptOnUpdate; }
    void SetScriptOnUpdate(const std::string& text) { mScriptOnUpdate = text; }

    PtrArray<ObjectDef>& Objects() { return mObjects; }
    const PtrArray<ObjectDef>& Objects() const { return mObjects; }
    PtrArray<JointDef>& Joints() { return mJoints; }
    const PtrArray<JointDef>& Joints() const { return mJoints; }
    PtrArray<ParticlesDef>& ParticleLinks() { return mParticleLinks; }
    const PtrArray<ParticlesDef>& ParticleLinks() const { return mParticleLinks; }

    // Clipboards of the copy and paste operations.
    ObjectDef mObjectClipboard;
    JointDef mJointClipboard;
    ParticlesDef mParticleLinkClipboard;

    // Pose-animation preview; not part of the record.
    bool mPlayingAnimation = false;
    FastName mAnimationFromPose;
    FastName mAnimationToPose;
    float mAnimationFps = 4.0f;
    bool mAnimationSmooth = true;
    float mAnimationPosition = 0.0f;
    bool mTransitionActive = false;
    FastName mTransitionFromPose;
    FastName mTransitionToPose;
    float mTransitionDuration = 0.333f;
    float mTransitionTime = 0.0f;

private:
    void MarkRebuildNeeded()
    {
        if (mUndoOwner) mUndoOwner->SetRebuildNeeded();
    }

    RobotDefOwner* mUndoOwner = nullptr;
    FastName mName;
    std::string mNotes;
    bool mStartDead = true;
    PtrArray<ObjectDef> mObjects;
    PtrArray<JointDef> mJoints;
    PtrArray<ParticlesDef> mParticleLinks;
    std::string mScriptOnBuild;
    std::string mScriptOnUpdate;
};

} // namespace KIV
