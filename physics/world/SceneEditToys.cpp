#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"

namespace KIV {

Toy* Scene::NewEditToySlot()
{
    if (mEditToySlots.GetCapacity() == 0) mEditToySlots.Init(kMaxToys);
    if (mEditToySlots.GetUsedCount() >= kMaxToys) return nullptr;
    const int32_t slot = mEditToySlots.Allocate();
    if (slot < 0) return nullptr;
    Toy* toy = mEditToys.AppendNew();
    if (!toy) {
        mEditToySlots.Release(slot);
        return nullptr;
    }
    toy->mSlotIndex = slot;
    GiveStepLength(*toy);
    return toy;
}

bool Scene::RemoveEditToy(Toy* toy)
{
    const int32_t index = mEditToys.IndexOf(toy);
    if (!toy || index < 0) return false;
    DetachJointsFromToy(toy);
    if (toy->mOwningRobot && mToyLeavingHook) mToyLeavingHook(*toy);
    mEditToySlots.Release(toy->mSlotIndex);
    return mEditToys.DeleteAt(index);
}

} // namespace KIV
