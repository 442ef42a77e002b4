#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include "base/HandleTable.h"

namespace KIV {

// Raised by a bound call that cannot go on. The binding layer catches it
// before Lua sees anything, so the call's C++ frames unwind with their
// destructors; only then does Lua raise the message as a script error.
class ScriptError : public std::runtime_error {
public:
    explicit ScriptError(const std::string& message) : std::runtime_error(message) {}
};

// How scripts hold an engine object: by its checked handle, never by its
// address. Every use resolves the handle again, so an object that went (a
// removed toy, a level reset) is never reached through a value a script kept.
template <class T>
class ScriptRef {
public:
    ScriptRef() = default;
    explicit ScriptRef(T* object) : mHandle(object ? object->mScriptHandle.Get(object) : 0) {}
    static ScriptRef FromHandle(int32_t handle)
    {
        ScriptRef ref;
        ref.mHandle = handle;
        return ref;
    }

    int32_t GetHandle() const { return mHandle; }
    // The live object; null for a reference to nothing.
    T* Get() const
    {
        if (mHandle == 0) return nullptr;
        T* object = static_cast<T*>(ObjectHandles().Resolve(mHandle, HandleKindOf<T>()));
        if (!object) throw ScriptError("the object this script holds no longer exists");
        return object;
    }

private:
    int32_t mHandle = 0;
};

// The binding layer reaches the object through this.
template <class T>
T* get_pointer(const ScriptRef<T>& ref)
{
    return ref.Get();
}

} // namespace KIV
