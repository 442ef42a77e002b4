#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include "base/Array.h"
#include "robots/ObjectScript.h"
#include "robots/RobotControls.h"
#include "robots/RobotDef.h"
#include "robots/RobotUndoHistory.h"

namespace KIV {

class Joint;
class MemoryStream;
class ParticleSystem;
class Toy;

// A live robot: the toys, joints and particle systems built from its own
// definition (the robot is its definition, extended), and for the robot being
// edited its undo history, file versions, notice and changed flag. The parts
// belong to the scene's lists; the robot only points at them.
class Robot final : public RobotDef, public RobotDefOwner {
public:
    static constexpr uint8_t kStreamVersion = 3;
    static constexpr uint8_t kStateVersion = 2;
    static constexpr int32_t kNoticeMilliseconds = 4000;

    Robot();
    ~Robot();

    // ---- parts ----
    bool AddToy(Toy* toy);
    bool AddJoint(Joint* joint);
    using RobotDef::AddJoint; // the definition's own, which adds a joint entry
    bool AddParticleSystem(ParticleSystem* system);
    bool RemoveToy(Toy* toy);
    bool RemoveJoint(Joint* joint);
    bool RemoveParticleSystem(ParticleSystem* system);
    ParticleSystem* GetParticlesByName(const std::string& name) const;
    ParticleSystem* GetParticleSystem(int32_t index) const;
    void ReleaseParts();
    void ClearPartLists();
    Toy* GetToy(const int& index) const;
    int GetToyCount() const { return mToys.Count(); }
    Toy* GetToyByName(const std::string& name) const;
    Toy* FindToyByName(const FastName& name) const;
    Toy* GetHeadToy() const { return GetToyByName("head"); }
    Joint* GetJoint(const int& index) const;
    int GetJointCount() const { return mJoints.Count(); }
    Joint* GetJointByName(const std::string& name) const;
    int32_t GetParticleSystemCount() const { return mParticleSystems.Count(); }

    // ---- controls (the current robot's, copied from every step's input) ----
    void ApplyControls(const uint8_t (&inputFrame)[RobotControls::kFrameBytes])
    {
        mControls.CopyFromInputFrame(inputFrame);
    }
    const RobotControls& GetControls() const { return mControls; }
    bool KeyUp_Downed() const { return mControls.mUp.mDowned; }
    bool KeyUp_Down() const { return mControls.mUp.mDown; }
    bool KeyUp_Upped() const { return mControls.mUp.mUpped; }
    bool KeyDown_Downed() const { return mControls.mDown.mDowned; }
    bool KeyDown_Down() const { return mControls.mDown.mDown; }
    bool KeyDown_Upped() const { return mControls.mDown.mUpped; }
    bool KeyLeft_Downed() const { return mControls.mLeft.mDowned; }
    bool KeyLeft_Down() const { return mControls.mLeft.mDown; }
    bool KeyLeft_Upped() const { return mControls.mLeft.mUpped; }
    bool KeyRight_Downed() const { return mControls.mRight.mDowned; }
    bool KeyRight_Down() const { return mControls.mRight.mDown; }
    bool KeyRight_Upped() const { return mControls.mRight.mUpped; }
    bool KeyBrake_Downed() const { return mControls.mBrake.mDowned; }
    bool KeyBrake_Down() const { return mControls.mBrake.mDown; }
    bool KeyBrake_Upped() const { return mControls.mBrake.mUpped; }
    bool KeyAimUp_Downed() const { return mControls.mAimUp.mDowned; }
    bool KeyAimUp_Down() const { return mControls.mAimUp.mDown; }
    bool KeyAimUp_Upped() const { return mControls.mAimUp.mUpped; }
    bool KeyAimDown_Downed() const { return mControls.mAimDown.mDowned; }
    bool KeyAimDown_Down() const { return mControls.mAimDown.mDown; }
    bool KeyAimDown_Upped() const { return mControls.mAimDown.mUpped; }
    bool KeyShoot_Downed() const { return mControls.mShoot.mDowned; }
    bool KeyShoot_Down() const { return mControls.mShoot.mDown; }
    bool KeyShoot_Upped() const { return mControls.mShoot.mUpped; }
    VectorF KeyMousePos_Aim() const { return mControls.mAim; }

    // ---- the Update script's hands on the joints, chosen by name prefix ----
    void SetAngularSpringAnglesByPose(const std::string& prefix, const std::string& pose);
    void FadeAngularSpringAnglesByPose(const std::string& prefix, const std::string& pose, float seconds);
    void SetAngularSpringPowers(const std::string& prefix, float power);
    void SetAngularFrictions(const std::string& prefix, float friction);
    void MirrorPose(const std::string& prefix, const std::string& pose);
    void SetGearCramp(const std::string& prefix, bool on);
    void SetGearCrampWhenSpringsAtTarget(const std::string& prefix, bool on, float tolerance);
    // Turns a gun toy hanging on a base toy through a joint towards the aim.
    void GunAim1(VectorF aim, const std::string& gunToy, const std::string& baseToy, const std::string& joint,
                 float power);

    bool IsDead() const { return mDead; }
    // The robot stops: its toys stop balancing and its particle systems stop emitting.
    void SetDead();
    void SetDeadFlag(bool dead) { mDead = dead; }
    // After a build: toy i belongs to object i, joint i to joint entry i,
    // particle system i to particle-system link i.
    void ReorderParts();
    const Array<Toy*>& GetToys() const { return mToys; }
    const Array<Joint*>& GetJoints() const { return mJoints; }
    const Array<ParticleSystem*>& GetParticleSystems() const { return mParticleSystems; }
    bool IsAlive() const { return !mDead; }
    // The name as its file is called: every byte but ASCII letters and digits percent-encoded.
    std::string GetFileName() const;

    // ---- the robot stream: one format for robot files and undo snapshots ----
    bool WriteToStream(MemoryStream& stream) const;
    // Clears the definition and reads it with the caption. A refused record
    // leaves the robot as it was (the definition is only cleared when the
    // record can be read).
    RecordRead ReadFromStream(MemoryStream& stream);
    // Restores the states of parts that already exist; stops at a count larger
    // than the robot's own.
    void ReadStateFromStream(MemoryStream& stream);

    // ---- editing state ----
    void SetRebuildNeeded() override { mRebuildNeeded = true; }
    bool GetRebuildNeeded() const { return mRebuildNeeded; }
    void ClearRebuildNeeded() { mRebuildNeeded = false; }
    void RecordChange(const std::string& caption) override;
    void RecordChangeNeedingRebuild(const std::string& caption);
    void StartUndoSerie(const std::string& caption) override;
    void EndUndoSerie() override { mSeriesActive = false; }
    bool CanUndo() const { return mUndo.CanUndo(); }
    bool CanRedo() const { return mUndo.CanRedo(); }
    bool GetChanged() const { return mChanged; }
    void SetChanged(bool changed) { mChanged = changed; }
    const std::string& GetUndoCaption() const { return mUndoCaption; }
    RobotUndoHistory& GetUndoHistory() { return mUndo; }

    // Puts a snapshot back: the definition and caption are read, `rebuild`
    // builds the parts from the definition, then their states are restored and
    // the notice says what was restored. False when there is no step.
    using Rebuild = std::function<void(Robot&)>;
    bool ApplyUndo(const Rebuild& rebuild);
    bool ApplyRedo(const Rebuild& rebuild);

    void SetNotice(const std::string& text);
    const std::string& GetNotice() const { return mNoticeText; }
    bool IsNoticeVisible() const { return mNoticeTimer < mNoticeDuration; }
    void AdvanceNotice(int32_t milliseconds);

    // The folder above "Robots\" where the robot's file lives; the program's data root unless set.
    const std::string& GetDataRoot() const { return mDataRoot; }
    void SetDataRoot(const std::string& root) { mDataRoot = root; }

    // ---- previous versions of the robot's file ----
    std::string GetPrevVersionsListArray();
    int GetPrevVersionSelectedIndex() const { return mPrevVersionSelected; }
    void SelectPrevVersion(int index);
    // The backup file name of the selected previous version, "" when none.
    std::string GetSelectedPrevVersion() const;
    void RefreshPrevVersions();

private:
    template <typename Action>
    void ForJointsWithPrefix(const std::string& prefix, Action action);
    bool Restore(MemoryStream* step, const char* noticePrefix, const Rebuild& rebuild);
    void ClampPrevVersionSelection();

    Array<Toy*> mToys;
    Array<Joint*> mJoints;
    Array<ParticleSystem*> mParticleSystems;
    bool mDead = false;
    RobotControls mControls;
    bool mChanged = false;
    bool mRebuildNeeded = true;
    bool mSeriesActive = false;
    int32_t mNoticeTimer = 0;
    int32_t mNoticeDuration = 0;
    std::string mNoticeText;
    std::string mUndoCaption;
    StringArray mPrevVersions;
    int32_t mPrevVersionSelected = 0;
    RobotUndoHistory mUndo;
    std::string mDataRoot;

public:
    // The robot's own name for scripts: a robot seen as a robot, apart from
    // the same object seen as its definition.
    ObjectHandle mScriptHandle;
    // The robot's place in the script templates: its object, its state
    // table, and the Build and Update functions of its kind.
    ObjectScript mScript;
};

} // namespace KIV
