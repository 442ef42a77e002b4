// The editing operations of a robot definition: the robot as a whole, its
// objects, joints and particle-system links. Every setter records its undo
// step before it changes anything, and does nothing without a selection.
#include <cctype>
#include <utility>
#include "base/TextFormat.h"
#include "render/TextureLib.h"
#include "robots/RobotDef.h"

namespace KIV {

namespace {

constexpr int32_t kMaxNameTries = 999;

template <typename T>
std::string NamesJoined(const PtrArray<T>& list)
{
    std::string text;
    for (const T* item : list) {
        if (!text.empty()) text += ", ";
        text += item->mName.GetInString();
    }
    return text;
}

template <typename T>
std::string NamesArray(const PtrArray<T>& list)
{
    std::string js = "[";
    for (const T* item : list) AppendJsArrayItem(js, item->mName.GetInString());
    CloseJsArrayText(js);
    return js;
}

template <typename T>
int32_t IndexOfName(const PtrArray<T>& list, const FastName& name)
{
    for (int32_t i = 0; i < list.Count(); ++i)
        if (list[i]->mName == name) return i;
    return -1;
}

} // namespace

// ---- the robot as a whole ----

void RobotDef::RecordUndoStructure(const std::string& caption)
{
    if (!mUndoOwner) return;
    mUndoOwner->SetRebuildNeeded();
    mUndoOwner->RecordChange(caption);
}

void RobotDef::RecordUndo(const std::string& caption)
{
    if (mUndoOwner) mUndoOwner->RecordChange(caption);
}

void RobotDef::StartUndoSerie(const std::string& caption)
{
    if (mUndoOwner) mUndoOwner->StartUndoSerie(caption);
}

void RobotDef::EndUndoSerie()
{
    if (mUndoOwner) mUndoOwner->EndUndoSerie();
}

std::string RobotDef::MakeNextName(const std::string& name)
{
    if (name.empty()) return "1";
    size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
    if (digits == name.size()) return name + "1";
    // Long digit runs would overflow any integer: count up in the text itself.
    std::string number = name.substr(digits);
    int32_t i = static_cast<int32_t>(number.size()) - 1;
    while (i >= 0 && number[static_cast<size_t>(i)] == '9') number[static_cast<size_t>(i--)] = '0';
    if (i < 0) number.insert(number.begin(), '1');
    else ++number[static_cast<size_t>(i)];
    return name.substr(0, digits) + number;
}

void RobotDef::SetName(const std::string& name)
{
    RecordUndoStructure("robotdef: robot name <" + FastName(name).GetInString() + ">");
    mName.SetByString(name);
}

void RobotDef::SetNotes(const std::string& notes)
{
    RecordUndo("robotdef: robot notes");
    mNotes = notes;
}

void RobotDef::SetStartDead(bool dead)
{
    RecordUndoStructure("robotdef: start dead");
    mStartDead = dead;
}

void RobotDef::SetScriptOnBuild(const std::string& encoded)
{
    std::string text = DecodePercentEscapes(encoded);
    if (text == mScriptOnBuild) return;
    RecordUndoStructure("robotdef: lua script on build");
    mScriptOnBuild = std::move(text);
}

void RobotDef::SetScriptOnUpdate(const std::string& encoded)
{
    std::string text = DecodePercentEscapes(encoded);
    if (text == mScriptOnUpdate) return;
    RecordUndo("robotdef: lua script on update");
    mScriptOnUpdate = std::move(text);
}

void RobotDef::ScaleRobot(float f)
{
    if (!(f > 0.0f)) return;
    StartUndoSerie("scale robot");
    // Inside the series this records no second step, but the robot counts as changed.
    RecordUndoStructure("scale robot");
    for (ObjectDef* o : mObjects) {
        o->mScale = {o->mScale.mX * f, o->mScale.mY * f};
        o->mPosition = {o->mPosition.mX * f, o->mPosition.mY * f};
    }
    for (JointDef* j : mJoints) {
        if (!j->mAnchorAByPicture) j->mAnchorA = {j->mAnchorA.mX * f, j->mAnchorA.mY * f};
        if (!j->mAnchorBByPicture) j->mAnchorB = {j->mAnchorB.mX * f, j->mAnchorB.mY * f};
    }
    EndUndoSerie();
    MarkRebuildNeeded();
}

template <typename T>
T* RobotDef::InsertAfterSelection(PtrArray<T>& list)
{
    int32_t sel = list.GetSelectedIndex();
    int32_t at = sel < 0 || sel >= list.Count() ? list.Count() : sel + 1;
    T* item = list.InsertNew(at);
    if (item) list.SetSelectedIndex(at);
    return item;
}

template <typename T>
void RobotDef::ShiftSelected(PtrArray<T>& list, bool up)
{
    int32_t sel = list.GetSelectedIndex();
    int32_t target = up ? sel - 1 : sel + 1;
    if (target < 0 || target >= list.Count()) return;
    list.SwapAt(sel, target);
    list.SetSelectedIndex(target);
}

// ---- objects ----

void RobotDef::SelectObject(int index)
{
    MarkRebuildNeeded();
    mObjects.Select(index);
}

std::string RobotDef::GetObjectsList() const { return NamesJoined(mObjects); }
std::string RobotDef::GetObjectsListArray() const { return NamesArray(mObjects); }
int32_t RobotDef::FindObjectIndexByName(const FastName& name) const { return IndexOfName(mObjects, name); }

void RobotDef::AddObject()
{
    RecordUndoStructure("robotdef: add object");
    InsertAfterSelection(mObjects);
}

void RobotDef::DeleteSelectedObject()
{
    ObjectDef* o = SelectedObject();
    if (!o) return;
    RecordUndoStructure("robotdef: delete object <" + o->mName.GetInString() + ">");
    mObjects.DeleteAt(mObjects.GetSelectedIndex());
}

std::string RobotDef::GetTextureReference(const ObjectDef& o)
{
    if (o.mCropWidth > 0 && o.mCropHeight > 0)
        return o.mTexture + ":" + std::to_string(o.mCropX) + "," + std::to_string(o.mCropY) + "," +
               std::to_string(o.mCropWidth) + "," + std::to_string(o.mCropHeight);
    return o.mTexture;
}

// One undoable change of the selected object's field.
#define KIV_OBJECT_SETTER(Name, Type, Caption, Apply)                                                                \
    void RobotDef::Name(Type value)                                                                                  \
    {                                                                                                                \
        ObjectDef* o = SelectedObject();                                                                             \
        if (!o) return;                                                                                              \
        RecordUndoStructure(Caption);                                                                                \
        Apply;                                                                                                       \
    }

void RobotDef::ObjectSetName(const std::string& name)
{
    ObjectDef* o = SelectedObject();
    if (!o) return;
    RecordUndoStructure("robotdef: object name <" + o->mName.GetInString() + ">");
    o->mName.SetByString(name);
}

void RobotDef::ObjectSetTextureFromLib()
{
    ObjectDef* o = SelectedObject();
    if (!o || !gTextureLib || o->mTexture == gTextureLib->mSelectedName) return;
    RecordUndoStructure("robotdef: object texture");
    o->mTexture = gTextureLib->mSelectedName;
}

void RobotDef::ObjectSetTextureCrop(int x, int y, int width, int height)
{
    ObjectDef* o = SelectedObject();
    if (!o) return;
    RecordUndoStructure("robotdef: object texture crop rectangle");
    o->mCropX = x;
    o->mCropY = y;
    o->mCropWidth = width;
    o->mCropHeight = height;
}

KIV_OBJECT_SETTER(ObjectSetTextureCropX, int, "robotdef: object texture crop rectangle (x)", o->mCropX = value)
KIV_OBJECT_SETTER(ObjectSetTextureCropY, int, "robotdef: object texture crop rectangle (y)", o->mCropY = value)
KIV_OBJECT_SETTER(ObjectSetTextureCropXX, int, "robotdef: object texture crop rectangle (width)", o->mCropWidth = value)
KIV_OBJECT_SETTER(ObjectSetTextureCropYY, int, "robotdef: object texture crop rectangle (height)",
                  o->mCropHeight = value)
KIV_OBJECT_SETTER(ObjectSetCircleShape, bool, "robotdef: object circle shape", o->mCircleShape = value)
KIV_OBJECT_SETTER(ObjectSetMaster, bool, "robotdef: master object", o->mMaster = value)
KIV_OBJECT_SETTER(ObjectSetPosX, float, "robotdef: object positon (x)", o->mPosition.mX = value)
KIV_OBJECT_SETTER(ObjectSetPosY, float, "robotdef: object position (y)", o->mPosition.mY = value)
KIV_OBJECT_SETTER(ObjectSetOrientation, float, "robotdef: object orientation", o->mOrientation = value)
KIV_OBJECT_SETTER(ObjectSetScale, float, "robotdef: object scale", o->mScale = VectorF(value, value))
#undef KIV_OBJECT_SETTER

std::string RobotDef::ObjectGetName() const
{
    const ObjectDef* o = SelectedObject();
    return o ? o->mName.GetInString() : "";
}
std::string RobotDef::ObjectGetTexture() const
{
    const ObjectDef* o = SelectedObject();
    return o ? GetTextureReference(*o) : "";
}
RectI RobotDef::ObjectGetTextureCrop() const
{
    const ObjectDef* o = SelectedObject();
    return o ? RectI(o->mCropX, o->mCropY, o->mCropWidth, o->mCropHeight) : RectI();
}
bool RobotDef::ObjectGetCircleShape() const { return SelectedObject() && SelectedObject()->mCircleShape; }
bool RobotDef::ObjectGetMaster() const { return SelectedObject() && SelectedObject()->mMaster; }
float RobotDef::ObjectGetPosX() const { return SelectedObject() ? SelectedObject()->mPosition.mX : 0.0f; }
float RobotDef::ObjectGetPosY() const { return SelectedObject() ? SelectedObject()->mPosition.mY : 0.0f; }
float RobotDef::ObjectGetOrientation() const { return SelectedObject() ? SelectedObject()->mOrientation : 0.0f; }
VectorF RobotDef::ObjectGetScale() const { return SelectedObject() ? SelectedObject()->mScale : VectorF(); }

void RobotDef::ShiftSelectedObject(bool up)
{
    if (!SelectedObject()) return;
    RecordUndoStructure("robotdef: object order");
    ShiftSelected(mObjects, up);
}

void RobotDef::CopySelectedObject()
{
    const ObjectDef* o = SelectedObject();
    if (!o) return;
    mObjectClipboard = *o;
    // The copy becomes a toy of its own when built; sharing the original's toy would tie the two together.
    mObjectClipboard.mBuiltToyId = -1;
}

void RobotDef::PasteObject()
{
    AddObject();
    ObjectDef* o = SelectedObject();
    if (!o) return;
    *o = mObjectClipboard;
    // The copy is a part of its own: the next build makes it a toy instead of
    // taking over the original's (the clipboard is open to scripts, so its id is not trusted).
    o->mBuiltToyId = -1;
    // Pasting always renames: the copy must not take the original's toy.
    o->mName.SetNull();
    std::string name = mObjectClipboard.mName.GetInString();
    for (int32_t tries = 0; tries < kMaxNameTries; ++tries) {
        name = FastName(MakeNextName(name)).GetInString();
        if (FindObjectIndexByName(FastName(name)) < 0) break;
    }
    o->mName.SetByString(name);
}

// ---- joints ----

void RobotDef::SelectJoint(int index)
{
    MarkRebuildNeeded();
    mJoints.Select(index);
}

std::string RobotDef::GetJointsList() const { return NamesJoined(mJoints); }
std::string RobotDef::GetJointsListArray() const { return NamesArray(mJoints); }
int32_t RobotDef::FindJointIndexByName(const FastName& name) const { return IndexOfName(mJoints, name); }

void RobotDef::AddJoint()
{
    RecordUndoStructure("robotdef: add joint");
    JointDef* j = InsertAfterSelection(mJoints);
    if (!j) return;
    if (mJoints.Count() == 1) {
        j->EnsureBasicPose();
        return;
    }
    // A new joint holds every pose of the robot, with the angles of a joint already there.
    const JointDef* model = mJoints[0] != j ? mJoints[0] : mJoints[1];
    j->mPoses = model->mPoses;
    j->mSelectedPose = model->mSelectedPose;
    // The copied "basic" carries the model's rest angle; the rest angle must
    // follow, or reading the robot back (an undo, a load) puts 0 into "basic".
    j->mAngle = model->mAngle;
    j->EnsureBasicPose();
}

void RobotDef::DeleteSelectedJoint()
{
    JointDef* j = SelectedJoint();
    if (!j) return;
    RecordUndoStructure("robotdef: delete joint <" + j->mName.GetInString() + ">");
    mJoints.DeleteAt(mJoints.GetSelectedIndex());
}

void RobotDef::JointSetName(const std::string& name)
{
    JointDef* j = SelectedJoint();
    if (!j) return;
    RecordUndoStructure("robotdef: joint name +<" + j->mName.GetInString() + ">");
    j->mName.SetByString(name);
}

void RobotDef::JointSetNameUnique(const std::string& name)
{
    JointDef* j = SelectedJoint();
    if (!j) return;
    RecordUndoStructure("robotdef: joint name +<" + j->mName.GetInString() + ">");
    j->mName.SetNull();
    const int32_t self = mJoints.GetSelectedIndex();
    auto takenByAnother = [&](const std::string& candidate) {
        for (int32_t i = 0; i < mJoints.Count(); ++i)
            if (i != self && mJoints[i]->mName == FastName(candidate)) return true;
        return false;
    };
    std::string candidate = FastName(name).GetInString();
    for (int32_t tries = 0; tries < kMaxNameTries && takenByAnother(candidate); ++tries)
        candidate = FastName(MakeNextName(candidate)).GetInString();
    j->mName.SetByString(candidate);
}

#define KIV_JOINT_SETTER(Name, Type, Caption, Apply)                                                                 \
    void RobotDef::Name(Type value)                                                                                  \
    {                                                                                                                \
        JointDef* j = SelectedJoint();                                                                               \
        if (!j) return;                                                                                              \
        RecordUndoStructure(Caption);                                                                                \
        Apply;                                                                                                       \
    }

KIV_JOINT_SETTER(JointSetObjAName, const std::string&, "robotdef: joint object A name", j->mObjectA.SetByString(value))
KIV_JOINT_SETTER(JointSetObjBName, const std::string&, "robotdef: joint object B name", j->mObjectB.SetByString(value))
KIV_JOINT_SETTER(JointSetObjAPosX, float, "robotdef: joint object A position (x)", j->mAnchorA.mX = value)
KIV_JOINT_SETTER(JointSetObjAPosY, float, "robotdef: joint object A position (y)", j->mAnchorA.mY = value)
KIV_JOINT_SETTER(JointSetObjBPosX, float, "robotdef: joint object B position (x)", j->mAnchorB.mX = value)
KIV_JOINT_SETTER(JointSetObjBPosY, float, "robotdef: joint object B position (y)", j->mAnchorB.mY = value)
KIV_JOINT_SETTER(JointSetObjAByPic, bool, "robotdef: joint object A position relation", j->mAnchorAByPicture = value)
KIV_JOINT_SETTER(JointSetObjBByPic, bool, "robotdef: joint object B position relation", j->mAnchorBByPicture = value)
KIV_JOINT_SETTER(JointSetWorldJoint, bool, "robotdef: world joint", (j->mWorldJoint = value, j->mGearJoint = false))
KIV_JOINT_SETTER(JointSetGearJoint, bool, "robotdef: gear joint", (j->mGearJoint = value, j->mWorldJoint = false))
KIV_JOINT_SETTER(JointSetAngle, float, "robotdef: joint angle", (j->mAngle = value, j->EnsureBasicPose()))
#undef KIV_JOINT_SETTER

void RobotDef::JointSetObjANameBySel()
{
    JointDef* j = SelectedJoint();
    ObjectDef* o = SelectedObject();
    if (!j || !o) return;
    RecordUndoStructure("robotdef: joint object A name");
    j->mObjectA = o->mName;
}

void RobotDef::JointSetObjBNameBySel()
{
    JointDef* j = SelectedJoint();
    ObjectDef* o = SelectedObject();
    if (!j || !o) return;
    RecordUndoStructure("robotdef: joint object B name");
    j->mObjectB = o->mName;
}

std::string RobotDef::JointGetName() const { return SelectedJoint() ? SelectedJoint()->mName.GetInString() : ""; }
std::string RobotDef::JointGetObjAName() const
{
    return SelectedJoint() ? SelectedJoint()->mObjectA.GetInString() : "";
}
std::string RobotDef::JointGetObjBName() const
{
    return SelectedJoint() ? SelectedJoint()->mObjectB.GetInString() : "";
}
float RobotDef::JointGetObjAPosX() const { return SelectedJoint() ? SelectedJoint()->mAnchorA.mX : 0.0f; }
float RobotDef::JointGetObjAPosY() const { return SelectedJoint() ? SelectedJoint()->mAnchorA.mY : 0.0f; }
float RobotDef::JointGetObjBPosX() const { return SelectedJoint() ? SelectedJoint()->mAnchorB.mX : 0.0f; }
float RobotDef::JointGetObjBPosY() const { return SelectedJoint() ? SelectedJoint()->mAnchorB.mY : 0.0f; }
bool RobotDef::JointGetObjAByPic() const { return SelectedJoint() && SelectedJoint()->mAnchorAByPicture; }
bool RobotDef::JointGetObjBByPic() const { return SelectedJoint() && SelectedJoint()->mAnchorBByPicture; }
float RobotDef::JointGetAngle() const { return SelectedJoint() ? SelectedJoint()->mAngle : 0.0f; }
bool RobotDef::JointGetWorldJoint() const { return SelectedJoint() && SelectedJoint()->mWorldJoint; }
bool RobotDef::JointGetGearJoint() const { return SelectedJoint() && SelectedJoint()->mGearJoint; }

void RobotDef::ShiftSelectedJoint(bool up)
{
    if (!SelectedJoint()) return;
    RecordUndoStructure("robotdef: joints order");
    ShiftSelected(mJoints, up);
}

void RobotDef::CopySelectedJoint()
{
    const JointDef* j = SelectedJoint();
    if (!j) return;
    mJointClipboard = *j;
    mJointClipboard.mBuiltJointId = -1;
}

void RobotDef::PasteJoint()
{
    AddJoint();
    JointDef* j = SelectedJoint();
    if (!j) return;
    *j = mJointClipboard;
    j->mBuiltJointId = -1;
    // Every joint keeps "basic" first, even when pasted from a clipboard that was never filled.
    j->EnsureBasicPose();
    JointSetNameUnique(mJointClipboard.mName.GetInString());
}

bool RobotDef::IsObjectConnected(int32_t objectIndex) const
{
    if (objectIndex < 0 || objectIndex >= mObjects.Count()) return false;
    const FastName& name = mObjects[objectIndex]->mName;
    for (const JointDef* j : mJoints)
        if (!j->mWorldJoint && !j->mGearJoint && (j->mObjectA == name || j->mObjectB == name)) return true;
    return false;
}

// ---- particle-system links ----

void RobotDef::SelectParticles(int index) { mParticleLinks.Select(index); }
std::string RobotDef::GetParticlesList() const { return NamesJoined(mParticleLinks); }
std::string RobotDef::GetParticlesListArray() const { return NamesArray(mParticleLinks); }

void RobotDef::AddParticles()
{
    RecordUndoStructure("robotdef: add particle system");
    InsertAfterSelection(mParticleLinks);
}

void RobotDef::DeleteSelectedParticles()
{
    RecordUndoStructure("robotdef: delete particle system");
    mParticleLinks.DeleteAt(mParticleLinks.GetSelectedIndex());
}

#define KIV_LINK_SETTER(Name, Type, Caption, Apply)                                                                  \
    void RobotDef::Name(Type value)                                                                                  \
    {                                                                                                                \
        ParticlesDef* l = SelectedLink();                                                                            \
        if (!l) return;                                                                                              \
        RecordUndoStructure(Caption);                                                                                \
        Apply;                                                                                                       \
    }

KIV_LINK_SETTER(ParticlesSetName, const std::string&, "robotdef: particle system name", l->mName.SetByString(value))
KIV_LINK_SETTER(ParticlesSetLinkObjName, const std::string&, "robotdef: particle system link object name",
                l->mLinkObject.SetByString(value))
KIV_LINK_SETTER(ParticlesSetLinkObjPosX, float, "robotdef: particle system link position (x)",
                l->mLinkPosition.mX = value)
KIV_LINK_SETTER(ParticlesSetLinkObjPosY, float, "robotdef: particle system link position (y)",
                l->mLinkPosition.mY = value)
KIV_LINK_SETTER(ParticlesSetLinkObjByPic, bool, "robotdef: particle system link position relation",
                l->mLinkByPicture = value)
KIV_LINK_SETTER(ParticlesSetLinkObjOrientation, float, "robotdef: particle system link orientation",
                l->mLinkOrientation = value)
KIV_LINK_SETTER(ParticlesSetLayer, int, "robotdef: particle system layer", l->mLayer = value)
#undef KIV_LINK_SETTER

std::string RobotDef::ParticlesGetName() const { return SelectedLink() ? SelectedLink()->mName.GetInString() : ""; }
std::string RobotDef::ParticlesGetLinkObjName() const
{
    return SelectedLink() ? SelectedLink()->mLinkObject.GetInString() : "";
}
float RobotDef::ParticlesGetLinkObjPosX() const { return SelectedLink() ? SelectedLink()->mLinkPosition.mX : 0.0f; }
float RobotDef::ParticlesGetLinkObjPosY() const { return SelectedLink() ? SelectedLink()->mLinkPosition.mY : 0.0f; }
bool RobotDef::ParticlesGetLinkObjByPic() const { return SelectedLink() && SelectedLink()->mLinkByPicture; }
float RobotDef::ParticlesGetLinkObjOrientation() const
{
    return SelectedLink() ? SelectedLink()->mLinkOrientation : 0.0f;
}
int RobotDef::ParticlesGetLayer() const { return SelectedLink() ? SelectedLink()->mLayer : 0; }

} // namespace KIV
