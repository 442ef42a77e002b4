#include "base/HandleTable.h"

namespace KIV {

int32_t HandleTable::Acquire(void* object, const void* kind)
{
    if (!object) return 0;
    int32_t index = mFreeHead;
    if (index >= 0) {
        mFreeHead = mSlots[index].mNextFree;
    } else {
        if (mSlots.Count() >= kMaxSlots) return 0;
        Slot fresh{nullptr, nullptr, 1, -1};
        if (!mSlots.PushBack(fresh)) return 0;
        index = mSlots.Count() - 1;
    }
    Slot& slot = mSlots[index];
    slot.mObject = object;
    slot.mKind = kind;
    slot.mNextFree = -1;
    ++mLiveCount;
    return static_cast<int32_t>((slot.mGeneration << kIndexBits) | static_cast<uint32_t>(index));
}

const HandleTable::Slot* HandleTable::Find(int32_t handle) const
{
    if (handle <= 0) return nullptr;
    uint32_t bits = static_cast<uint32_t>(handle);
    int32_t index = static_cast<int32_t>(bits & (kMaxSlots - 1));
    uint32_t generation = bits >> kIndexBits;
    if (index >= mSlots.Count()) return nullptr;
    const Slot& slot = mSlots[index];
    if (!slot.mObject || slot.mGeneration != generation) return nullptr;
    return &slot;
}

void* HandleTable::Resolve(int32_t handle, const void* kind) const
{
    const Slot* slot = Find(handle);
    return slot && slot->mKind == kind ? slot->mObject : nullptr;
}

void HandleTable::Release(int32_t handle)
{
    const Slot* found = Find(handle);
    if (!found) return;
    int32_t index = static_cast<int32_t>(found - mSlots.begin());
    Slot& slot = mSlots[index];
    slot.mObject = nullptr;
    slot.mKind = nullptr;
    --mLiveCount;
    // A slot whose generation would wrap is retired: an old handle must never
    // name a new object.
    if (++slot.mGeneration >= kGenerationLimit) return;
    slot.mNextFree = mFreeHead;
    mFreeHead = index;
}

HandleTable& ObjectHandles()
{
    static HandleTable* table = new HandleTable;
    return *table;
}

void ObjectHandle::Drop()
{
    if (mHandle == 0) return;
    ObjectHandles().Release(mHandle);
    mHandle = 0;
}

} // namespace KIV
