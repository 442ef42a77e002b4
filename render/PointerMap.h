#pragma once
#include "base/Array.h"

namespace KIV {

// A small map from one pointer to another, held as two parallel arrays in
// insertion order; lookups are linear because the maps stay tiny (one entry
// per scene). Neither side is owned.
class PointerMap {
public:
    PointerMap()
    {
        mKeys.SetGrowBy(4);
        mValues.SetGrowBy(1);
    }

    // Ignored when either pointer is null; an existing key gets the new value.
    void Set(void* key, void* value)
    {
        if (!key || !value) return;
        const int32_t i = mKeys.IndexOf(key);
        if (i >= 0) {
            mValues[i] = value;
            return;
        }
        if (!mKeys.PushBack(key)) return;
        if (!mValues.PushBack(value)) mKeys.RemoveAt(mKeys.Count() - 1);
    }

    void* Get(void* key) const
    {
        if (!key) return nullptr;
        const int32_t i = mKeys.IndexOf(key);
        return i >= 0 ? mValues[i] : nullptr;
    }

    // Removes the first entry holding this value (used when its system goes away).
    void Remove(void* value)
    {
        if (!value) return;
        const int32_t i = mValues.IndexOf(value);
        if (i < 0) return;
        mKeys.RemoveAt(i);
        mValues.RemoveAt(i);
    }

    void Clear()
    {
        mKeys.Free();
        mValues.Free();
    }

    int32_t Count() const { return mKeys.Count(); }

private:
    Array<void*> mKeys;
    Array<void*> mValues;
};

} // namespace KIV
