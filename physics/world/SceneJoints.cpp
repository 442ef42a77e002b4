#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"

// The scene's joint lists and radial pushes.

namespace KIV {

Joint* Scene::CreateJoint(JointList& list, const std::string& name, Toy* toyA, const VectorF& anchorA, Toy* toyB,
                          const VectorF& pointB, Robot* robot)
{
    if (list.mJoints.Count() >= JointList::kMaxJoints) return nullptr;
    const int32_t slot = list.mSlots.Allocate();
    if (slot < 0) return nullptr;
    Joint* joint = list.mJoints.AppendNew();
    if (!joint) {
        list.mSlots.Release(slot);
        return nullptr;
    }
    joint->mFirstIndex = slot;
    joint->SetName(name);
    // A joint made after the physics frequency was set fades by it at once.
    if (mStepLength > 0.0f) {
        joint->mStepLength = mStepLength;
        joint->mInverseStepLength = 1.0f / mStepLength;
    }
    if (toyB)
        joint->ConnectToys(toyA, anchorA, toyB, pointB);
    else
        joint->ConnectToWorld(toyA, anchorA, pointB);
    joint->mRobot = robot;
    return joint;
}

bool Scene::DeleteJoint(JointList& list, Joint* joint)
{
    const int32_t index = list.mJoints.IndexOf(joint);
    if (index < 0) return false;
    if (joint->mToyA) joint->mToyA->mJoints.RemoveValue(joint);
    if (joint->mToyB) joint->mToyB->mJoints.RemoveValue(joint);
    list.mSlots.Release(joint->mFirstIndex);
    return list.mJoints.DeleteAt(index);
}

void Scene::DetachJointsFromToy(const Toy* toy)
{
    if (!toy) return;
    for (JointList* list : {&mJoints, &mEditJoints}) {
        for (Joint* joint : list->mJoints) {
            if (!joint) continue;
            if (joint->mToyA == toy) {
                joint->mToyA = nullptr;
                joint->mDead = true;
            }
            if (joint->mToyB == toy) {
                joint->mToyB = nullptr;
                joint->mDead = true;
            }
        }
    }
}

void Scene::BuildJointGroups()
{
    ToyGroups& groups = mJointGroups;
    groups.Begin(mToys, [](const Toy& toy) { return toy.SharesStepStart(); });
    // Toys of particle systems all go into one group until the systems say which toys they link.
    int32_t firstWithParticles = -1;
    const int32_t n = mToys.Count();
    for (int32_t i = 0; i < n; ++i) {
        const Toy* toy = mToys[i];
        if (!groups.TakesPart(i)) continue;
        for (const Joint* joint : toy->mJoints) {
            if (!joint) continue;
            const int32_t j = groups.IndexOf(joint->mToyA == toy ? joint->mToyB : joint->mToyA);
            if (j >= 0) groups.Join(i, j);
        }
        if (!toy->mParticleSystems.IsEmpty()) {
            if (firstWithParticles < 0) firstWithParticles = i;
            groups.Join(i, firstWithParticles);
        }
    }
    groups.Finish(mToys);
}

void Scene::BuildPenetrationGroups()
{
    ToyGroups& groups = mPenetrationGroups;
    groups.Begin(mToys, [](const Toy& toy) { return !toy.mPenetrationContacts.IsEmpty(); });
    // A partner without penetrations of its own keeps its outline: reading
    // it binds nobody. Of two partners, the later in the list pushes from
    // where the earlier one's pushes left its outline.
    const int32_t n = mToys.Count();
    for (int32_t i = 0; i < n; ++i) {
        if (!groups.TakesPart(i)) continue;
        int32_t last = -1;  // a run of records with one partner links once
        for (const PenetrationRecord& r : mToys[i]->mPenetrationContacts) {
            const int32_t j = groups.IndexOf(r.mPartner);
            if (j >= 0 && j != last) groups.Link(i, j);
            last = j;
        }
    }
    groups.Finish(mToys);
}

void Scene::AddRadialPush(const VectorF& centre, float radius, float strength, float time)
{
    if (RadialPush* push = mRadialPushes.AppendNew()) push->Set(centre, radius, strength, time);
}

} // namespace KIV
