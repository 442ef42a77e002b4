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
    const int32_t n = mToys.Count();
    if (mJointGroupIndexOfSlot.Count() < kMaxToys) {
        mJointGroupIndexOfSlot.Resize(kMaxToys);
        mJointGroupIndexOfSlot.FillMinusOne();
    }
    Array<int32_t>& parent = mJointGroupParent;
    parent.Resize(n);
    auto find = [&parent](int32_t i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    };
    // Toys of particle systems all go into one group until the systems say which toys they link.
    int32_t firstWithParticles = -1;
    for (int32_t i = 0; i < n; ++i) {
        const Toy* toy = mToys[i];
        parent[i] = toy->SharesStepStart() ? i : -1;
        if (parent[i] >= 0 && toy->mSlotIndex >= 0 && toy->mSlotIndex < kMaxToys)
            mJointGroupIndexOfSlot[toy->mSlotIndex] = i;
    }
    auto indexOf = [&](const Toy* toy) {
        if (!toy || toy->mSlotIndex < 0 || toy->mSlotIndex >= kMaxToys) return -1;
        const int32_t i = mJointGroupIndexOfSlot[toy->mSlotIndex];
        return i >= 0 && i < n && mToys[i] == toy ? i : -1;
    };
    // Each group's root is its first toy in the list.
    auto join = [&](int32_t a, int32_t b) {
        a = find(a);
        b = find(b);
        if (a < b) parent[b] = a;
        else if (b < a) parent[a] = b;
    };
    for (int32_t i = 0; i < n; ++i) {
        if (parent[i] < 0) continue;
        const Toy* toy = mToys[i];
        for (const Joint* joint : toy->mJoints) {
            if (!joint) continue;
            const int32_t j = indexOf(joint->mToyA == toy ? joint->mToyB : joint->mToyA);
            if (j >= 0) join(i, j);
        }
        if (!toy->mParticleSystems.IsEmpty()) {
            if (firstWithParticles < 0) firstWithParticles = i;
            join(i, firstWithParticles);
        }
    }
    // Groups in the order of their first toys, members in list order.
    for (int32_t i = 0; i < n; ++i)
        if (parent[i] >= 0 && mToys[i]->mSlotIndex >= 0 && mToys[i]->mSlotIndex < kMaxToys)
            mJointGroupIndexOfSlot[mToys[i]->mSlotIndex] = -1;
    Array<int32_t>& group = mJointGroupOf;  // per toy of the list, its group's index
    group.Resize(n);
    Array<int32_t>& start = mJointGroupStart;
    start.Clear();
    start.PushBack(0);
    for (int32_t i = 0; i < n; ++i) {
        if (parent[i] < 0) continue;
        const int32_t root = find(i);
        if (root == i) start.PushBack(0);
        group[i] = root == i ? start.Count() - 2 : group[root];
        ++start[group[i] + 1];
    }
    const int32_t groups = start.Count() - 1;
    for (int32_t g = 0; g < groups; ++g) start[g + 1] += start[g];
    mJointGroupMembers.Resize(start[groups]);
    Array<int32_t>& fill = mJointGroupFill;
    fill.Resize(groups);
    for (int32_t g = 0; g < groups; ++g) fill[g] = start[g];
    for (int32_t i = 0; i < n; ++i)
        if (parent[i] >= 0) mJointGroupMembers[fill[group[i]]++] = mToys[i];
}

void Scene::AddRadialPush(const VectorF& centre, float radius, float strength, float time)
{
    if (RadialPush* push = mRadialPushes.AppendNew()) push->Set(centre, radius, strength, time);
}

} // namespace KIV
