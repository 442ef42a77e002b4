#include "robots/RobotDef.h"
#include <utility>
#include "base/MemoryStream.h"

namespace KIV {

namespace {

// Reads values while the bytes last and remembers whether any ran out: the
// record's own rule is that a missing value keeps its default.
class FieldReader {
public:
    explicit FieldReader(MemoryStream& s) : mStream(s) {}

    void Byte(uint8_t& v) { Note(mStream.ReadByte(v)); }
    void Bool(bool& v)
    {
        uint8_t b = v ? 1 : 0;
        Byte(b);
        v = b != 0;
    }
    void Int(int32_t& v) { Note(mStream.ReadInt(v)); }
    void Float(float& v) { Note(mStream.ReadFloat(v)); }
    void Vector(VectorF& v)
    {
        Float(v.mX);
        Float(v.mY);
    }
    void Name(FastName& v) { Note(mStream.ReadBytes(v.mChars, FastName::kLength)); }
    void String(std::string& v) { Note(mStream.ReadString(v)); }

    // A stored count is believed only when every element it announces could at
    // least begin in the bytes that remain, so damage cannot make us allocate
    // millions of elements.
    bool Count(int32_t& n)
    {
        n = 0;
        Int(n);
        return n >= 0 && n <= Remaining();
    }
    int32_t Remaining() const { return mStream.GetSize() - mStream.GetPosition(); }
    bool Cut() const { return mCut; }

private:
    void Note(bool ok) { mCut = mCut || !ok; }

    MemoryStream& mStream;
    bool mCut = false;
};

bool WriteName(MemoryStream& s, const FastName& n) { return s.WriteBytes(n.mChars, FastName::kLength); }

bool WriteObject(MemoryStream& s, const ObjectDef& o)
{
    return s.WriteByte(ObjectDef::kVersion) && WriteName(s, o.mName) && s.WriteString(o.mTexture) &&
           s.WriteInt(o.mCropX) && s.WriteInt(o.mCropY) && s.WriteInt(o.mCropWidth) && s.WriteInt(o.mCropHeight) &&
           s.WriteByte(o.mMaster) && s.WriteVector(o.mPosition) && s.WriteFloat(o.mOrientation) &&
           s.WriteByte(o.mCircleShape) && s.WriteVector(o.mScale);
}

void ReadObject(FieldReader& r, ObjectDef& o)
{
    uint8_t version = 0;
    r.Byte(version);
    r.Name(o.mName);
    r.String(o.mTexture);
    r.Int(o.mCropX);
    r.Int(o.mCropY);
    r.Int(o.mCropWidth);
    r.Int(o.mCropHeight);
    r.Bool(o.mMaster);
    r.Vector(o.mPosition);
    r.Float(o.mOrientation);
    if (version >= 2) r.Bool(o.mCircleShape);
    if (version >= 3) r.Vector(o.mScale);
}

bool WriteJoint(MemoryStream& s, const JointDef& j)
{
    bool ok = s.WriteByte(JointDef::kVersion) && WriteName(s, j.mName) && WriteName(s, j.mObjectA) &&
              s.WriteVector(j.mAnchorA) && s.WriteByte(j.mAnchorAByPicture) && WriteName(s, j.mObjectB) &&
              s.WriteVector(j.mAnchorB) && s.WriteByte(j.mAnchorBByPicture) && s.WriteFloat(j.mAngle) &&
              s.WriteByte(j.mWorldJoint) && s.WriteByte(j.mGearJoint) && s.WriteByte(JointDef::kPoseListVersion) &&
              s.WriteInt(j.mPoses.Count());
    for (const PoseAngle& p : j.mPoses)
        ok = ok && s.WriteByte(JointDef::kPoseVersion) && WriteName(s, p.mName) && s.WriteFloat(p.mAngle);
    return ok && s.WriteInt(j.mSelectedPose);
}

// False when the pose count is impossible for the bytes that remain.
bool ReadJoint(FieldReader& r, JointDef& j)
{
    uint8_t version = 0;
    r.Byte(version);
    r.Name(j.mName);
    r.Name(j.mObjectA);
    r.Vector(j.mAnchorA);
    r.Bool(j.mAnchorAByPicture);
    r.Name(j.mObjectB);
    r.Vector(j.mAnchorB);
    r.Bool(j.mAnchorBByPicture);
    r.Float(j.mAngle);
    r.Bool(j.mWorldJoint);
    r.Bool(j.mGearJoint);
    if (version < 2) return true; // such joints have no poses
    uint8_t listVersion = 0;
    r.Byte(listVersion);
    int32_t count = 0;
    if (!r.Count(count)) return false;
    if (!j.mPoses.SetCount(count)) return false;
    j.mPoses.FillZero();
    if (count > 0) j.mSelectedPose = 0;
    for (PoseAngle& p : j.mPoses) {
        uint8_t entryVersion = 0;
        r.Byte(entryVersion);
        r.Name(p.mName);
        r.Float(p.mAngle);
    }
    if (listVersion >= 2) {
        int32_t selected = j.mSelectedPose;
        r.Int(selected);
        // A stored index outside the list would point every pose edit past its end.
        if (selected >= 0 && selected < count) j.mSelectedPose = selected;
    }
    j.EnsureBasicPose();
    return true;
}

bool WriteLink(MemoryStream& s, const ParticlesDef& l)
{
    return s.WriteByte(ParticlesDef::kVersion) && WriteName(s, l.mName) && WriteName(s, l.mLinkObject) &&
           s.WriteVector(l.mLinkPosition) && s.WriteByte(l.mLinkByPicture) && s.WriteFloat(l.mLinkOrientation) &&
           s.WriteInt(l.mLayer);
}

void ReadLink(FieldReader& r, ParticlesDef& l)
{
    uint8_t version = 0;
    r.Byte(version);
    r.Name(l.mName);
    r.Name(l.mLinkObject);
    r.Vector(l.mLinkPosition);
    r.Bool(l.mLinkByPicture);
    r.Float(l.mLinkOrientation);
    if (version >= 2) r.Int(l.mLayer);
}

template <typename T>
bool WriteList(MemoryStream& s, const PtrArray<T>& list, bool (*writeOne)(MemoryStream&, const T&))
{
    bool ok = s.WriteInt(list.Count());
    for (const T* item : list) ok = ok && writeOne(s, *item);
    return ok && s.WriteInt(list.GetSelectedIndex());
}

// Appends the stored elements (the first appended is selected) and takes the
// stored selection when it names one of them.
template <typename T, typename ReadOne>
bool ReadList(FieldReader& r, PtrArray<T>& list, uint8_t version, ReadOne readOne)
{
    int32_t count = 0;
    if (!r.Count(count)) return false;
    for (int32_t i = 0; i < count; ++i) {
        T* item = list.AppendNew();
        if (!item || !readOne(r, *item)) return false;
    }
    if (version >= 4) {
        int32_t selected = -1;
        r.Int(selected);
        if (selected >= 0 && selected < list.Count()) list.SetSelectedIndex(selected);
    }
    return true;
}

} // namespace

void JointDef::EnsureBasicPose()
{
    const FastName basic(RobotDef::kBasicPose);
    if (mPoses.IsEmpty() || mPoses[0].mName != basic) {
        PoseAngle pose;
        pose.mName = basic;
        if (!mPoses.InsertAt(0, pose)) return;
        mSelectedPose = 0;
    }
    mPoses[0].mAngle = mAngle;
}

RobotDef::RobotDef() : mObjects(32), mJoints(32), mParticleLinks(32) {}

void RobotDef::Clear()
{
    mName.SetNull();
    mObjects.DeleteAll();
    mJoints.DeleteAll();
    mParticleLinks.DeleteAll();
    mScriptOnBuild.clear();
    mScriptOnUpdate.clear();
    mNotes.clear();
    MarkRebuildNeeded();
}

bool RobotDef::Write(MemoryStream& s) const
{
    return s.WriteByte(kVersion) && WriteName(s, mName) && s.WriteByte(mStartDead) &&
           WriteList(s, mObjects, &WriteObject) && WriteList(s, mJoints, &WriteJoint) &&
           WriteList(s, mParticleLinks, &WriteLink) && s.WriteString(mScriptOnBuild) &&
           s.WriteString(mScriptOnUpdate) && s.WriteString(mNotes);
}

RecordRead RobotDef::Read(MemoryStream& s)
{
    const int32_t start = s.GetPosition();
    // Read into scratch lists first, so a refused record leaves this one whole.
    RobotDef scratch;
    scratch.mStartDead = mStartDead;
    FieldReader r(s);
    uint8_t version = 0;
    r.Byte(version);
    // A newer writer may have moved fields; reading it as ours would scramble them.
    bool sound = version <= kVersion;
    if (sound) {
        r.Name(scratch.mName);
        if (version >= 5) r.Bool(scratch.mStartDead);
        sound = ReadList(r, scratch.mObjects, version, [](FieldReader& fr, ObjectDef& o) {
                    ReadObject(fr, o);
                    return true;
                }) &&
                ReadList(r, scratch.mJoints, version, &ReadJoint) &&
                ReadList(r, scratch.mParticleLinks, version, [](FieldReader& fr, ParticlesDef& l) {
                    ReadLink(fr, l);
                    return true;
                });
    }
    if (!sound) {
        s.SetPosition(start);
        return RecordRead::Refused;
    }
    if (version >= 2) {
        r.String(scratch.mScriptOnBuild);
        r.String(scratch.mScriptOnUpdate);
    }
    if (version >= 3) r.String(scratch.mNotes);

    mName = scratch.mName;
    mStartDead = scratch.mStartDead;
    mObjects.Swap(scratch.mObjects);
    mJoints.Swap(scratch.mJoints);
    mParticleLinks.Swap(scratch.mParticleLinks);
    mScriptOnBuild.swap(scratch.mScriptOnBuild);
    mScriptOnUpdate.swap(scratch.mScriptOnUpdate);
    mNotes.swap(scratch.mNotes);
    MarkRebuildNeeded();
    return r.Cut() ? RecordRead::EndedEarly : RecordRead::Complete;
}

ObjectDef* RobotDef::FindObjectByName(const FastName& name) const
{
    for (ObjectDef* o : mObjects)
        if (o->mName == name) return o;
    return nullptr;
}

JointDef* RobotDef::FindJointByName(const FastName& name) const
{
    for (JointDef* j : mJoints)
        if (j->mName == name) return j;
    return nullptr;
}

} // namespace KIV
