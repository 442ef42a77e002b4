#include "physics/world/Scene.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"

namespace KIV {

namespace {

// Drops, in order, every element the predicate names; true when any went.
template <typename T, typename Pred>
bool EraseIf(Array<T>& array, Pred pred)
{
    int32_t kept = 0;
    for (int32_t i = 0; i < array.Count(); ++i)
        if (!pred(array[i])) array[kept++] = array[i];
    const bool erased = kept != array.Count();
    array.SetCount(kept);
    return erased;
}

bool IsTableSlot(int32_t slot) { return slot >= 0 && slot < Scene::kMaxToys; }

} // namespace

Scene::Scene()
{
    mToys.SetGrowBy(32);
    ResetToyIndex();
}

Scene::~Scene() { DeleteAllToys(); }

bool Scene::SetupGrid(const RectF& world) { return mGrid.SetupCells(world); }

void Scene::ResetToyIndex()
{
    mToySlots.Init(kMaxToys);
    mIslandPool.Init(kMaxToys, kMaxToys);
    mIslandOwners.Resize(kMaxToys);
    mIslandOwners.FillZero();
    mIslandCount = 0;
    mToyTable1.Resize(kMaxToys);
    mToyTable1.FillZero();
    mToyTable2.Resize(kMaxToys);
    mToyTable2.FillZero();
    mToyCounter = 0;
}

Toy* Scene::TakeToySlot(int32_t listIndex)
{
    if (mToySlots.GetUsedCount() >= kMaxToys) return nullptr;
    const int32_t slot = mToySlots.Allocate();
    if (slot < 0) return nullptr;
    Toy* toy = listIndex >= 0 ? mToys.InsertNew(listIndex) : nullptr;
    if (!toy) toy = mToys.AppendNew();
    if (!toy) {
        mToySlots.Release(slot);
        return nullptr;
    }
    if (mToys.GetSelectedIndex() < 0) mToys.Select(0);
    toy->mSlotIndex = slot;
    // A toy made after the physics frequency was set steps with it at once.
    if (mStepLength > 0.0f) {
        toy->mStepLength = mStepLength;
        toy->mInverseStepLength = 1.0f / mStepLength;
        toy->mHalfStepLengthSquared = 0.5f * mStepLength * mStepLength;
    }
    return toy;
}

Toy* Scene::NewToySlot() { return TakeToySlot(-1); }

Toy* Scene::NewShotToySlot(const Toy* shooter) { return TakeToySlot(mToys.IndexOf(shooter) + 1); }

bool Scene::ReleaseToySlot(Toy* toy) { return toy && mGrid.ReleaseToy(*toy); }

void Scene::ForgetToy(Toy* toy)
{
    auto namesToy = [toy](const ContactRecord& c) { return c.mPartnerToy == toy; };
    for (Toy* other : mToys) {
        if (!other || other == toy) continue;
        EraseIf(other->mPointContacts, namesToy);
        EraseIf(other->mContactList2, namesToy);
        // Crossing-event links are positions in the list: after an erase
        // they are paired afresh.
        if (EraseIf(other->mLineContacts, namesToy))
            for (ContactRecord& c : other->mLineContacts) c.mLink = -1;
        EraseIf(other->mPenetrationContacts, [toy](const PenetrationRecord& p) { return p.mPartner == toy; });
        for (PointInsideRecord& r : other->mPointRecords)
            if (r.mPartner == toy) r.mPartner = nullptr;
        // The slot goes to the next new toy, which starts colliding with everyone.
        if (IsTableSlot(toy->mSlotIndex)) other->mPairFlags[toy->mSlotIndex] = 1;
    }
    for (Toy*& owner : mIslandOwners)
        if (owner == toy) owner = nullptr;
    DetachJointsFromToy(toy);
    if (toy->mOwningRobot && mToyLeavingHook) mToyLeavingHook(*toy);
}

bool Scene::RemoveToy(Toy* toy)
{
    if (!toy) return false;
    const int32_t index = mToys.IndexOf(toy);
    if (index < 0) return false;
    ReleaseToySlot(toy);
    ForgetToy(toy);
    mToySlots.Release(toy->mSlotIndex);
    return mToys.DeleteAt(index);
}

void Scene::DeleteAllToys()
{
    while (mToys.Count() > 0) {
        Toy* toy = mToys[0];
        ReleaseToySlot(toy);
        ForgetToy(toy);
        mToySlots.Release(toy->mSlotIndex);
        mToys.DeleteAt(0);
    }
    mIslandCount = 0;
}

void Scene::MarkToyPairs(Toy* const* list, int32_t count, Toy* toy)
{
    if (!toy) return;
    for (int32_t i = 0; i < count; ++i) {
        Toy* t = list[i];
        if (!t) continue;
        if (IsTableSlot(t->mSlotIndex)) toy->mPairFlags[t->mSlotIndex] = 1;
        if (IsTableSlot(toy->mSlotIndex)) t->mPairFlags[toy->mSlotIndex] = 1;
    }
}

int32_t Scene::SumToyPointCounts(Toy* const* list, int32_t count)
{
    int32_t sum = 0;
    for (int32_t i = 0; i < count; ++i)
        if (list[i]) sum += list[i]->mOutline.Count();
    return sum;
}

int32_t Scene::SumToyContactCounts(Toy* const* list, int32_t count)
{
    int32_t sum = 0;
    for (int32_t i = 0; i < count; ++i)
        if (list[i]) sum += list[i]->mPenetrationContacts.Count();
    return sum;
}

} // namespace KIV
