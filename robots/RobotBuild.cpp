#include "robots/RobotBuild.h"
#include "base/Array.h"
#include "physics/joints/Joint.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"
#include "robots/Robot.h"

namespace KIV {

namespace {

constexpr float kRobotToyDensity = 1.0f;

// The scene lists a robot's parts live in: the simulated ones, or the robot builder's.
struct PartLists {
    Scene& scene;
    bool editor;

    PtrArray<Toy>& Toys() const { return editor ? scene.mEditToys : scene.mToys; }
    JointList& Joints() const { return editor ? scene.mEditJoints : scene.mJoints; }
    ParticleSystemList& Systems() const { return editor ? scene.mEditParticleSystems : scene.mParticleSystems; }
    Toy* NewToy() const { return editor ? scene.NewEditToySlot() : scene.NewToySlot(); }
    void RemoveToy(Toy* toy) const
    {
        if (editor) scene.RemoveEditToy(toy);
        else scene.RemoveToy(toy);
    }
    // Only simulated toys collide, so only they are in the grid.
    void Enter(Toy& toy) const
    {
        if (!editor) scene.mGrid.InsertToy(toy);
    }
};

// Lets go of the parts, from the last to the first, whose id no definition entry built.
template <typename Part, typename Entry, typename PartId, typename BuiltId, typename Drop>
void DropUnbuilt(const Array<Part*>& parts, const PtrArray<Entry>& entries, PartId partId, BuiltId builtId, Drop drop)
{
    const Array<Part*> before = parts; // dropping takes the part out of the robot's list
    for (int32_t i = before.Count() - 1; i >= 0; --i) {
        bool wanted = false;
        for (const Entry* e : entries) wanted = wanted || builtId(*e) == partId(*before[i]);
        if (!wanted) drop(before[i]);
    }
}

// Removes the robot's toys, joints and particle systems whose definition entries are gone.
void RemoveStaleParts(const PartLists& lists, Robot& robot)
{
    DropUnbuilt(robot.GetToys(), robot.Objects(), [](const Toy& t) { return t.mSlotIndex; },
                [](const ObjectDef& o) { return o.mBuiltToyId; },
                [&](Toy* toy) {
                    robot.RemoveToy(toy);
                    lists.RemoveToy(toy);
                });
    DropUnbuilt(robot.GetJoints(), robot.Joints(), [](const Joint& j) { return j.mFirstIndex; },
                [](const JointDef& d) { return d.mBuiltJointId; },
                [&](Joint* joint) {
                    robot.RemoveJoint(joint);
                    lists.scene.DeleteJoint(lists.Joints(), joint);
                });
    DropUnbuilt(robot.GetParticleSystems(), robot.ParticleLinks(), [](const ParticleSystem& p) { return p.mPoolIndex; },
                [](const ParticlesDef& l) { return l.mBuiltSystemId; },
                [&](ParticleSystem* system) {
                    robot.RemoveParticleSystem(system);
                    lists.scene.DeleteParticleSystem(lists.Systems(), system);
                });
}

template <typename T>
T* FindLast(const PtrArray<T>& list, bool (*match)(const T&, int32_t), int32_t id)
{
    for (int32_t i = list.Count() - 1; i >= 0; --i)
        if (match(*list[i], id)) return list[i];
    return nullptr;
}

bool ToyHasId(const Toy& t, int32_t id) { return t.mSlotIndex == id; }
bool JointHasId(const Joint& j, int32_t id) { return j.mFirstIndex == id; }
bool SystemHasId(const ParticleSystem& p, int32_t id) { return p.mPoolIndex == id; }

void BuildToys(const PartLists& lists, Robot& robot, const RobotBuildOptions& options)
{
    for (ObjectDef* o : robot.Objects()) {
        const VectorF at = o->mPosition + options.mOffset;
        const std::string picture = RobotDef::GetTextureReference(*o);
        Toy* toy = options.mUpdate && o->mBuiltToyId >= 0 ? FindLast(lists.Toys(), &ToyHasId, o->mBuiltToyId)
                                                          : nullptr;
        if (toy) {
            toy->mName = o->mName;
            if (options.mKeepPlacement) {
                toy->SetPlacement(at, o->mOrientation, false);
            } else {
                // The toy keeps its own picture instance when the object still names the same picture.
                const std::string source = toy->GetMainTextureName() == picture ? toy->GetMainTextureFn() : picture;
                toy->BuildFromTexture(source, kRobotToyDensity, o->mCircleShape, o->mScale, 0.0f, at, false,
                                      o->mOrientation);
            }
        } else {
            toy = lists.NewToy();
            if (!toy) continue;
            if (!toy->BuildFromTexture(picture, kRobotToyDensity, o->mCircleShape, o->mScale, 0.0f, at, false,
                                       o->mOrientation)) {
                lists.RemoveToy(toy);
                o->mBuiltToyId = -1;
                continue;
            }
            toy->mName = o->mName;
            lists.Enter(*toy);
            robot.AddToy(toy);
            o->mBuiltToyId = toy->mSlotIndex;
        }
    }
}

void BuildJoints(const PartLists& lists, Robot& robot, const RobotBuildOptions& options)
{
    for (JointDef* d : robot.Joints()) {
        Toy* a = robot.FindToyByName(d->mObjectA);
        Toy* b = robot.FindToyByName(d->mObjectB);
        // A joint needs its first toy; without it there is nothing to hold.
        if (!a) continue;
        const VectorF anchorA = d->mAnchorAByPicture ? d->mAnchorA - a->mPictureExtent : d->mAnchorA;
        const VectorF anchorB = b && d->mAnchorBByPicture ? d->mAnchorB - b->mPictureExtent : d->mAnchorB;
        Joint* joint = options.mUpdate && d->mBuiltJointId >= 0
                           ? FindLast(lists.Joints().mJoints, &JointHasId, d->mBuiltJointId)
                           : nullptr;
        if (joint) {
            if (joint->mToyA) joint->mToyA->mJoints.RemoveValue(joint);
            if (joint->mToyB) joint->mToyB->mJoints.RemoveValue(joint);
            joint->mName = d->mName;
        } else {
            joint = lists.scene.CreateJoint(lists.Joints(), d->mName.GetInString(), a, anchorA, nullptr, VectorF(), &robot);
            if (!joint) continue;
            robot.AddJoint(joint);
            d->mBuiltJointId = joint->mFirstIndex;
            joint->mGearJoint = d->mGearJoint;
            joint->mGearRatio = 1.0f;
        }
        if (b) joint->ConnectToys(a, anchorA, b, anchorB);
        else joint->ConnectToWorld(a, anchorA, VectorF()); // its world point is set once the toys are placed
        joint->mWorldJoint = d->mWorldJoint || !b;
        a->AddJoint(joint);
        if (b) b->AddJoint(joint);
        joint->mPoseAngles = d->mPoses;
        joint->UpdateInertia();
    }
}

void PlaceAlongJoints(Robot& robot, const RobotBuildOptions& options)
{
    Array<const ObjectDef*> work(8);
    for (const ObjectDef* o : robot.Objects())
        if (o->mMaster) work.PushBack(o);
    for (int32_t w = 0; w < work.Count(); ++w) {
        Toy* t = robot.FindToyByName(work[w]->mName);
        if (!t) continue;
        for (Joint* joint : t->mJoints) {
            if (joint->mGearJoint || (joint->mToyA != t && joint->mToyB != t)) continue;
            Toy* u = joint->GetOtherToy(t);
            if (!u) continue;
            const ObjectDef* uo = robot.FindObjectByName(u->mName);
            if (!uo || work.Contains(uo)) continue;
            work.PushBack(uo);
            const bool uIsA = joint->mToyA == u;
            const VectorF a = uIsA ? joint->mAnchorB : joint->mAnchorA;
            const VectorF b = uIsA ? joint->mAnchorA : joint->mAnchorB;
            float alpha = robot.GetJointPreviewAngle(joint->mName);
            if (uIsA) alpha = -alpha;
            const float theta = t->GetOrientation();
            const VectorF p = t->GetPosition() + a.GetRotatedClockwise(theta) - b.GetRotatedClockwise(theta + alpha);
            u->SetPlacement(p, theta + alpha, false);
        }
    }
    // Objects held by joints take the placement back, so the definition shows the robot as built.
    for (ObjectDef* o : robot.Objects()) {
        if (o->mMaster) continue;
        bool jointed = false;
        for (const JointDef* j : robot.Joints())
            jointed = jointed || (!j->mWorldJoint && !j->mGearJoint && (j->mObjectA == o->mName || j->mObjectB == o->mName));
        Toy* toy = jointed ? robot.FindToyByName(o->mName) : nullptr;
        if (!toy) continue;
        o->mPosition = toy->GetPosition() - options.mOffset;
        o->mOrientation = toy->GetOrientation();
    }
}

// Each link becomes an emitter fixed to its toy: it follows the toy's point
// and turns with it. A link naming no toy leaves its system where the link
// puts it.
void BuildParticleSystems(const PartLists& lists, Robot& robot, const RobotBuildOptions& options)
{
    for (ParticlesDef* l : robot.ParticleLinks()) {
        ParticleSystem* system =
            options.mUpdate && l->mBuiltSystemId >= 0 ? FindLast(lists.Systems().mSystems, &SystemHasId, l->mBuiltSystemId)
                                                      : nullptr;
        if (!system) {
            system = lists.scene.CreateParticleSystem(l->mName.GetInString(), &robot, "", l->mLayer, lists.editor);
            if (!system) {
                l->mBuiltSystemId = -1;
                continue;
            }
        }
        robot.AddParticleSystem(system);
        l->mBuiltSystemId = system->mPoolIndex;
        system->SetName(l->mName.GetInString());
        Toy* toy = robot.FindToyByName(l->mLinkObject);
        const VectorF point = toy && l->mLinkByPicture ? l->mLinkPosition - toy->mPictureExtent : l->mLinkPosition;
        if (system->mLinkedToy && system->mLinkedToy != toy) system->mLinkedToy->RemoveLink(system);
        system->SetRobotLink(&robot, toy, point, l->mLinkOrientation, true, true);
        if (toy) {
            toy->mParticleSystems.AddUnique(system);
            system->FollowLink();
        } else {
            system->mPosition = l->mLinkPosition + options.mOffset;
        }
        system->UpdateLinkDirection();
    }
}

} // namespace

bool BuildRobot(Scene& scene, Robot* robot, const RobotBuildOptions& options)
{
    if (!robot) return false;
    robot->SetDeadFlag(robot->GetStartDead());
    const PartLists lists{scene, options.mEditor};
    if (options.mUpdate) RemoveStaleParts(lists, *robot);
    BuildToys(lists, *robot, options);
    robot->ReorderParts();
    BuildJoints(lists, *robot, options);
    robot->ReorderParts();
    PlaceAlongJoints(*robot, options);
    for (Joint* joint : robot->GetJoints()) {
        if (!joint->mToyA) continue;
        if (joint->mWorldJoint) joint->mWorldPoint = joint->GetWorldPointA();
        joint->mReferencePosition = joint->GetWorldPointA();
    }
    BuildParticleSystems(lists, *robot, options);
    robot->ReorderParts();
    return true;
}

} // namespace KIV
