#pragma once
#include <cstdint>
#include <string>

namespace KIV {

struct ScriptTemplate;
struct ScriptBinding;

// The script slot a scripted object carries (the live robot). The script
// templates fill it the first time the object is built; afterwards it names
// the Lua paths that hold the object and its own state table, and the binding
// whose Build and Update functions it shares with its kind and preset.
struct ObjectScript {
    bool mDeclared = false;
    int32_t mHandle = 0;  // the object's checked handle, never its address
    std::string mKind;
    std::string mPreset;
    ScriptTemplate* mTemplate = nullptr;
    ScriptBinding* mBinding = nullptr;  // not owned
    std::string mObjectName;
    std::string mStateName;
};

} // namespace KIV
