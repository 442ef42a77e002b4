#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include "base/Array.h"
#include "base/FastName.h"
#include "base/HandleTable.h"
#include "base/Rect.h"
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

// Whoever keeps a definition's undo history and rebuilds the robot from it:
// every edit of the definition records through it before the value changes.
class RobotDefOwner {
public:
    virtual void SetRebuildNeeded() = 0;
    // Records one undo step with the caption unless a series is open, and marks the robot changed.
    virtual void RecordChange(const std::string& caption) = 0;
    virtual void StartUndoSerie(const std::string& caption) = 0;
    virtual void EndUndoSerie() = 0;

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

    // ---- the robot as a whole ----
    const FastName& GetFastName() const { return mName; }
    std::string GetName() const { return mName.GetInString(); }
    void SetName(const std::string& name);
    const std::string& GetNotes() const { return mNotes; }
    void SetNotes(const std::string& notes);
    bool GetStartDead() const { return mStartDead; }
    void SetStartDead(bool dead);
    const std::string& GetScriptOnBuild() const { return mScriptOnBuild; }
    // Pages send scripts percent-encoded; an unchanged script records nothing.
    void SetScriptOnBuild(const std::string& encoded);
    const std::string& GetScriptOnUpdate() const { return mScriptOnUpdate; }
    void SetScriptOnUpdate(const std::string& encoded);
    void StartUndoSerie(const std::string& caption);
    void EndUndoSerie();
    void ScaleRobot(float factor);
    // The forwarding through which every edit reaches the owner's history.
    void RecordUndoStructure(const std::string& caption);
    void RecordUndo(const std::string& caption);

    // The name rule shared by objects, joints and poses: arm gives arm1, leg09 gives leg10.
    static std::string MakeNextName(const std::string& name);

    // ---- objects ----
    void SelectObject(int index);
    int GetObjectSelectedIndex() const { return mObjects.GetSelectedIndex(); }
    int GetObjectsCount() const { return mObjects.Count(); }
    std::string GetObjectsList() const;
    std::string GetObjectsListArray() const;
    void AddObject();
    void DeleteSelectedObject();
    void ObjectSetName(const std::string& name);
    std::string ObjectGetName() const;
    void ObjectSetTextureFromLib();
    // The texture name, with ":x,y,width,height" when a crop is set.
    std::string ObjectGetTexture() const;
    RectI ObjectGetTextureCrop() const;
    void ObjectSetTextureCrop(int x, int y, int width, int height);
    void ObjectSetTextureCropX(int x);
    void ObjectSetTextureCropY(int y);
    void ObjectSetTextureCropXX(int width);
    void ObjectSetTextureCropYY(int height);
    void ObjectSetCircleShape(bool circle);
    bool ObjectGetCircleShape() const;
    void ObjectSetMaster(bool master);
    bool ObjectGetMaster() const;
    void ObjectSetPosX(float x);
    float ObjectGetPosX() const;
    void ObjectSetPosY(float y);
    float ObjectGetPosY() const;
    void ObjectSetOrientation(float angle);
    float ObjectGetOrientation() const;
    void ObjectSetScale(float scale);
    VectorF ObjectGetScale() const;
    void ShiftSelectedObject(bool up);
    void CopySelectedObject();
    void PasteObject();
    int32_t FindObjectIndexByName(const FastName& name) const;
    static std::string GetTextureReference(const ObjectDef& object);

    // ---- joints ----
    void SelectJoint(int index);
    int GetJointSelectedIndex() const { return mJoints.GetSelectedIndex(); }
    int GetJointsCount() const { return mJoints.Count(); }
    std::string GetJointsList() const;
    std::string GetJointsListArray() const;
    void AddJoint();
    void DeleteSelectedJoint();
    void JointSetName(const std::string& name);
    void JointSetNameUnique(const std::string& name);
    std::string JointGetName() const;
    void JointSetObjAName(const std::string& name);
    std::string JointGetObjAName() const;
    void JointSetObjANameBySel();
    void JointSetObjAPosX(float x);
    float JointGetObjAPosX() const;
    void JointSetObjAPosY(float y);
    float JointGetObjAPosY() const;
    void JointSetObjAByPic(bool byPicture);
    bool JointGetObjAByPic() const;
    void JointSetObjBName(const std::string& name);
    std::string JointGetObjBName() const;
    void JointSetObjBNameBySel();
    void JointSetObjBPosX(float x);
    float JointGetObjBPosX() const;
    void JointSetObjBPosY(float y);
    float JointGetObjBPosY() const;
    void JointSetObjBByPic(bool byPicture);
    bool JointGetObjBByPic() const;
    void JointSetAngle(float angle);
    float JointGetAngle() const;
    void JointSetWorldJoint(bool world);
    bool JointGetWorldJoint() const;
    void JointSetGearJoint(bool gear);
    bool JointGetGearJoint() const;
    void ShiftSelectedJoint(bool up);
    void CopySelectedJoint();
    void PasteJoint();
    int32_t FindJointIndexByName(const FastName& name) const;
    bool IsObjectConnected(int32_t objectIndex) const;

    // ---- particle-system links ----
    void SelectParticles(int index);
    int GetParticlesSelectedIndex() const { return mParticleLinks.GetSelectedIndex(); }
    int GetParticlesCount() const { return mParticleLinks.Count(); }
    std::string GetParticlesList() const;
    std::string GetParticlesListArray() const;
    void AddParticles();
    void DeleteSelectedParticles();
    void ParticlesSetName(const std::string& name);
    std::string ParticlesGetName() const;
    void ParticlesSetLinkObjName(const std::string& name);
    std::string ParticlesGetLinkObjName() const;
    void ParticlesSetLinkObjPosX(float x);
    float ParticlesGetLinkObjPosX() const;
    void ParticlesSetLinkObjPosY(float y);
    float ParticlesGetLinkObjPosY() const;
    void ParticlesSetLinkObjByPic(bool byPicture);
    bool ParticlesGetLinkObjByPic() const;
    void ParticlesSetLinkObjOrientation(float angle);
    float ParticlesGetLinkObjOrientation() const;
    void ParticlesSetLayer(int layer);
    int ParticlesGetLayer() const;

    // ---- poses and their preview ----
    void AddPose();
    void DelSelectedPose();
    void MoveUpSelectedPose();
    void MoveDownSelectedPose();
    void SelectPose(int index);
    int GetSelectedPoseIndex() const;
    std::string GetPosesListArray() const;
    std::string GetSelectedPoseName() const;
    void SetSelectedPoseName(const std::string& name);
    float GetSelectedPoseAngle() const;
    void SetSelectedPoseAngle(float angle);
    void MirrorPose(float mirror);
    void SetPlayingAnim(bool playing);
    bool GetPlayingAnim() const { return mPlayingAnimation; }
    void SetAnimFromPose(const std::string& name) { mAnimationFromPose.SetByString(name); }
    std::string GetAnimFromPose() const { return mAnimationFromPose.GetInString(); }
    void SetAnimToPose(const std::string& name) { mAnimationToPose.SetByString(name); }
    std::string GetAnimToPose() const { return mAnimationToPose.GetInString(); }
    void SetAnimFromPoseSelected() { SetAnimFromPose(GetSelectedPoseName()); }
    void SetAnimToPoseSelected() { SetAnimToPose(GetSelectedPoseName()); }
    void SetAnimFPS(float fps) { mAnimationFps = fps; }
    float GetAnimFPS() const { return mAnimationFps; }
    void SetAnimSmooth(bool smooth) { mAnimationSmooth = smooth; }
    bool GetAnimSmooth() const { return mAnimationSmooth; }
    void CopySelectedPose() {}
    void PastePose() {}
    void AdvancePreview(int32_t milliseconds);
    void StepPoseForward();
    void StepPoseBackward();
    void StartPoseTransition(const std::string& from, const std::string& to);
    void StartPoseTransitionByIndex(int32_t from, int32_t to);
    float GetJointPreviewAngle(const FastName& jointName) const;
    float GetTimelinePosition() const;
    std::string GetPoseName(int32_t index) const;
    int32_t GetAnimFirstPoseIndex() const;
    int32_t GetAnimLastPoseIndex() const;
    std::pair<int32_t, int32_t> GetAnimRange() const;
    static RectF GetPoseTimelineRect(float width, float height);
    static const PoseAngle* FindPoseEntry(const JointDef& joint, const FastName& pose);

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

    // How scripts name the definition; what they kept of it goes stale with it.
    ObjectHandle mScriptHandle;

private:
    void MarkRebuildNeeded()
    {
        if (mUndoOwner) mUndoOwner->SetRebuildNeeded();
    }
    ObjectDef* SelectedObject() const { return mObjects.GetSelected(); }
    JointDef* SelectedJoint() const { return mJoints.GetSelected(); }
    ParticlesDef* SelectedLink() const { return mParticleLinks.GetSelected(); }
    // The insertion rule of every list: after the selection, else at the end; the new element is selected.
    template <typename T>
    T* InsertAfterSelection(PtrArray<T>& list);
    template <typename T>
    static void ShiftSelected(PtrArray<T>& list, bool up);
    void SelectPoseEverywhere(int32_t index);
    float PoseAngleOf(const JointDef& joint, const FastName& pose, int32_t fallbackIndex) const;

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
