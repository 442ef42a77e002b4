#pragma once
#include <cstdint>
#include "base/Array.h"

namespace KIV {

// Checked handles: a positive 32-bit number that names one object while it
// lives. Scripts keep numbers and objects beyond the life of what they name;
// a number that was never handed out, or whose object has gone, resolves to
// nothing instead of to whatever now lives at the old address. A handle packs
// a slot index with the slot's generation, which grows each time the slot is
// given back.
class HandleTable {
public:
    static constexpr int32_t kIndexBits = 20;
    static constexpr int32_t kMaxSlots = 1 << kIndexBits;

    // A new handle for the object, tagged with its kind; 0 when the table is
    // full or the object is null.
    int32_t Acquire(void* object, const void* kind);
    // The object the handle names when it is live and of that kind, else null.
    void* Resolve(int32_t handle, const void* kind) const;
    // The handle and every copy of it name nothing from now on.
    void Release(int32_t handle);
    int32_t GetLiveCount() const { return mLiveCount; }

private:
    struct Slot {
        void* mObject;
        const void* mKind;
        uint32_t mGeneration;
        int32_t mNextFree;
    };
    static constexpr uint32_t kGenerationLimit = 1u << (31 - kIndexBits);
    const Slot* Find(int32_t handle) const;

    Array<Slot> mSlots{256};
    int32_t mFreeHead = -1;
    int32_t mLiveCount = 0;
};

// The program's one table. Never destroyed, so objects that outlive static
// destruction can still give their handles back.
HandleTable& ObjectHandles();

// The kind tag of a class: one address per type, the same in every file.
template <class T>
const void* HandleKindOf()
{
    static const char tag = 0;
    return &tag;
}

// The handle an object carries for scripts. It is taken the first time a
// script needs it and given back when the object goes, so everything a script
// kept of the object turns stale with it. Not copied with its object: a copy
// is another object.
class ObjectHandle {
public:
    ObjectHandle() = default;
    ~ObjectHandle() { Drop(); }
    ObjectHandle(const ObjectHandle&) {}
    ObjectHandle& operator=(const ObjectHandle&) { return *this; }

    template <class T>
    int32_t Get(T* owner)
    {
        if (mHandle == 0) mHandle = ObjectHandles().Acquire(owner, HandleKindOf<T>());
        return mHandle;
    }
    // The object leaves the world while its memory stays: scripts lose it now.
    void Drop();
    bool IsTaken() const { return mHandle != 0; }

private:
    int32_t mHandle = 0;
};

} // namespace KIV
