#include "robots/Robot.h"
#include "base/FileUtils.h"
#include "base/MemoryStream.h"
#include "base/TextFormat.h"
#include "physics/joints/Joint.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "robots/RobotFiles.h"

namespace KIV {

namespace {

template <typename T>
T* FindLastByName(const Array<T*>& list, const FastName& name)
{
    for (int32_t i = list.Count() - 1; i >= 0; --i)
        if (list[i]->GetName() == name) return list[i];
    return nullptr;
}

template <typename T>
T* AtIndex(const Array<T*>& list, int index)
{
    return index >= 0 && index < list.Count() ? list[index] : nullptr;
}

} // namespace

Robot::Robot() : mToys(1), mJoints(1), mParticleSystems(1), mDataRoot(GetDataRootDirectory())
{
    SetUndoOwner(this);
}

// Parts outlive their robot in the scene's lists; they must not point at it afterwards.
Robot::~Robot() { ReleaseParts(); }

bool Robot::AddToy(Toy* toy)
{
    if (!toy) return false;
    if (mToys.Contains(toy)) return true;
    if (!mToys.PushBack(toy)) return false;
    toy->mOwningRobot = this;
    return true;
}

bool Robot::AddJoint(Joint* joint)
{
    if (!joint) return false;
    if (mJoints.Contains(joint)) return true;
    if (!mJoints.PushBack(joint)) return false;
    joint->mRobot = this;
    return true;
}

bool Robot::AddParticleSystem(ParticleSystem* system)
{
    if (!system) return false;
    if (mParticleSystems.Contains(system)) return true;
    if (!mParticleSystems.PushBack(system)) return false;
    system->mLinkedRobot = this;
    return true;
}

bool Robot::RemoveParticleSystem(ParticleSystem* system)
{
    if (!mParticleSystems.RemoveValue(system)) return false;
    system->mLinkedRobot = nullptr;
    return true;
}

ParticleSystem* Robot::GetParticlesByName(const std::string& name) const
{
    const std::string wanted = FastName(name).GetInString();
    for (int32_t i = mParticleSystems.Count() - 1; i >= 0; --i)
        if (mParticleSystems[i]->GetName() == wanted) return mParticleSystems[i];
    return nullptr;
}

ParticleSystem* Robot::GetParticleSystem(int32_t index) const { return AtIndex(mParticleSystems, index); }

bool Robot::RemoveToy(Toy* toy)
{
    if (!mToys.RemoveValue(toy)) return false;
    toy->mOwningRobot = nullptr;
    return true;
}

bool Robot::RemoveJoint(Joint* joint)
{
    if (!mJoints.RemoveValue(joint)) return false;
    joint->mRobot = nullptr;
    return true;
}

void Robot::ReleaseParts()
{
    for (ParticleSystem* p : mParticleSystems) p->mLinkedRobot = nullptr;
    for (Joint* j : mJoints) j->mRobot = nullptr;
    for (Toy* t : mToys) t->mOwningRobot = nullptr;
    ClearPartLists();
}

void Robot::ClearPartLists()
{
    mToys.Free();
    mJoints.Free();
    mParticleSystems.Free();
}

Toy* Robot::GetToy(const int& index) const { return AtIndex(mToys, index); }
Toy* Robot::FindToyByName(const FastName& name) const { return FindLastByName(mToys, name); }
Toy* Robot::GetToyByName(const std::string& name) const { return FindLastByName(mToys, FastName(name)); }
Joint* Robot::GetJoint(const int& index) const { return AtIndex(mJoints, index); }
Joint* Robot::GetJointByName(const std::string& name) const { return FindLastByName(mJoints, FastName(name)); }

void Robot::SetDead()
{
    mDead = true;
    for (Toy* t : mToys) t->SetBalancer(false);
    for (ParticleSystem* p : mParticleSystems) p->SwitchOFFParticleEmitting();
}

namespace {

// Part i goes where definition entry i says it belongs: the part whose id
// is the entry's built id.
template <typename Part, typename Entry, typename PartId, typename BuiltId>
void PutInEntryOrder(Array<Part*>& parts, const PtrArray<Entry>& entries, PartId partId, BuiltId builtId)
{
    for (int32_t i = 0; i < entries.Count() && i < parts.Count(); ++i)
        for (int32_t j = 0; j < parts.Count(); ++j)
            if (j != i && partId(*parts[j]) == builtId(*entries[i])) {
                std::swap(parts[i], parts[j]);
                break;
            }
}

} // namespace

void Robot::ReorderParts()
{
    PutInEntryOrder(mToys, Objects(), [](const Toy& t) { return t.mSlotIndex; },
                    [](const ObjectDef& o) { return o.mBuiltToyId; });
    PutInEntryOrder(mJoints, Joints(), [](const Joint& j) { return j.mFirstIndex; },
                    [](const JointDef& d) { return d.mBuiltJointId; });
    PutInEntryOrder(mParticleSystems, ParticleLinks(), [](const ParticleSystem& p) { return p.mPoolIndex; },
                    [](const ParticlesDef& l) { return l.mBuiltSystemId; });
}

std::string Robot::GetFileName() const { return PercentEncodeText(GetName()); }

bool Robot::WriteToStream(MemoryStream& s) const
{
    bool ok = s.WriteByte(kStreamVersion) && Write(s) && s.WriteString(mUndoCaption) && s.WriteByte(kStateVersion);
    ok = ok && s.WriteInt(mToys.Count());
    for (const Toy* t : mToys) ok = ok && t->WriteState(s);
    ok = ok && s.WriteInt(mJoints.Count());
    for (const Joint* j : mJoints) ok = ok && j->WriteState(s);
    ok = ok && s.WriteInt(mParticleSystems.Count());
    for (const ParticleSystem* p : mParticleSystems) ok = ok && p->WriteProps(s);
    return ok;
}

RecordRead Robot::ReadFromStream(MemoryStream& s)
{
    const int32_t start = s.GetPosition();
    uint8_t version = 0;
    if (!s.ReadByte(version)) return RecordRead::EndedEarly;
    if (version > kStreamVersion) {
        s.SetPosition(start);
        return RecordRead::Refused;
    }
    // The definition's reader changes nothing when it refuses, so a damaged
    // file never costs the robot its definition.
    RecordRead result = Read(s);
    if (result == RecordRead::Refused) {
        s.SetPosition(start);
        return result;
    }
    if (version >= 3) {
        std::string caption;
        if (s.ReadString(caption)) mUndoCaption = caption;
        else result = RecordRead::EndedEarly;
    }
    return result;
}

void Robot::ReadStateFromStream(MemoryStream& s)
{
    uint8_t stateVersion = 0;
    if (!s.ReadByte(stateVersion)) return;
    int32_t count = 0;
    if (!s.ReadInt(count) || count < 0 || count > mToys.Count()) return;
    for (int32_t i = 0; i < count; ++i) mToys[i]->ReadState(s);
    if (!s.ReadInt(count) || count < 0 || count > mJoints.Count()) return;
    for (int32_t i = 0; i < count; ++i) mJoints[i]->ReadState(s);
    if (!s.ReadInt(count) || count < 1 || count > mParticleSystems.Count()) return;
    for (int32_t i = 0; i < count; ++i) mParticleSystems[i]->ReadProps(s, false);
}

void Robot::RecordChange(const std::string& caption)
{
    if (!mSeriesActive) {
        mUndoCaption = caption;
        mUndo.Push(*this);
    }
    mChanged = true;
}

void Robot::RecordChangeNeedingRebuild(const std::string& caption)
{
    SetRebuildNeeded();
    RecordChange(caption);
}

void Robot::StartUndoSerie(const std::string& caption)
{
    if (mSeriesActive) return;
    mUndoCaption = caption;
    mUndo.Push(*this);
    mSeriesActive = true;
}

bool Robot::Restore(MemoryStream* step, const char* noticePrefix, const Rebuild& rebuild)
{
    if (!step) return false;
    step->SetPosition(0);
    ReleaseParts();
    ReadFromStream(*step);
    if (rebuild) rebuild(*this);
    ReadStateFromStream(*step);
    SetNotice(noticePrefix + mUndoCaption);
    mChanged = true;
    return true;
}

bool Robot::ApplyUndo(const Rebuild& rebuild) { return Restore(mUndo.TakeUndoStep(*this), "UNDO APPLIED > ", rebuild); }
bool Robot::ApplyRedo(const Rebuild& rebuild) { return Restore(mUndo.TakeRedoStep(), "REDO APPLIED > ", rebuild); }

void Robot::SetNotice(const std::string& text)
{
    if (text.empty()) return;
    mNoticeText = text;
    mNoticeTimer = 0;
    mNoticeDuration = kNoticeMilliseconds;
}

void Robot::AdvanceNotice(int32_t milliseconds)
{
    if (mNoticeTimer < mNoticeDuration) mNoticeTimer += milliseconds;
}

void Robot::RefreshPrevVersions()
{
    mPrevVersions.SetCapacity(0, 0);
    Array<uint64_t> times;
    ListDirectoryFilesWithTimes(GetRobotBackupsFolder(mDataRoot), GetFileName() + ".*.robot", mPrevVersions, &times);
    if (mPrevVersionSelected == -1) mPrevVersionSelected = mPrevVersions.Count() - 1;
    ClampPrevVersionSelection();
}

void Robot::ClampPrevVersionSelection()
{
    if (mPrevVersionSelected >= mPrevVersions.Count()) mPrevVersionSelected = mPrevVersions.Count() - 1;
    if (mPrevVersionSelected < 0) mPrevVersionSelected = 0;
}

void Robot::SelectPrevVersion(int index)
{
    mPrevVersionSelected = index;
    ClampPrevVersionSelection();
}

std::string Robot::GetSelectedPrevVersion() const
{
    if (mPrevVersionSelected < 0 || mPrevVersionSelected >= mPrevVersions.Count()) return "";
    return mPrevVersions[mPrevVersionSelected];
}

std::string Robot::GetPrevVersionsListArray()
{
    RefreshPrevVersions();
    const std::string prefix = GetFileName() + ".";
    const std::string suffix = ".robot";
    std::string js = "[";
    for (int32_t i = 0; i < mPrevVersions.Count(); ++i) {
        std::string name = mPrevVersions[i];
        size_t slash = name.find_last_of("\\/");
        if (slash != std::string::npos) name = name.substr(slash + 1);
        // Only the date stamp between the robot's name and the extension is shown.
        if (name.size() >= prefix.size() + suffix.size())
            name = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        AppendJsArrayItem(js, name);
    }
    CloseJsArrayText(js);
    return js;
}

} // namespace KIV
