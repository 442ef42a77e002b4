#pragma once
#include <cstdint>
#include <string>
#include "base/Array.h"
#include "robots/ObjectScript.h"

namespace KIV {

class ScriptHost;

// One kind of scripted object: the text that opens its Build and Update
// functions after a binding's table name.
struct ScriptTemplate {
    std::string mKind;
    std::string mBuildHeader;
    std::string mUpdateHeader;
};

// The Build and Update functions shared by every object of one kind and
// preset (for robots: one definition name), kept as a table in Lua.
struct ScriptBinding {
    bool mDeclared = false;
    std::string mKind;
    std::string mPreset;
    std::string mTableName;
    ScriptTemplate* mTemplate = nullptr;
    std::string mBuildText;
    std::string mUpdateText;
};

// Turns the Build and Update texts users write into Lua functions and calls
// them for each object, through small chunks of glue run by the script host.
// In Lua a kind K keeps the global table "Ks": one entry per binding with its
// functions, one per object holding the object, and one with its state table.
class ScriptTemplates {
public:
    // The template table: "Robot", then "Joint" (declared, never used).
    explicit ScriptTemplates(ScriptHost& host);

    // Declares the object once: its Lua entry (the object, by its handle), its
    // state table and its binding. Nothing for a declared slot, handle 0 or an
    // empty kind.
    void DeclareObject(ObjectScript& slot, int32_t handle, const std::string& kind, const std::string& preset);
    // (Re)defines the binding's function from its current text; an empty text
    // defines it as nil. Every object of the binding sees the new function.
    void DefineBuild(ScriptBinding& binding);
    void DefineUpdate(ScriptBinding& binding);
    // Calls the function with the object and its state table; nothing when
    // the slot is undeclared or the function is nil.
    void CallBuild(const ObjectScript& slot);
    void CallUpdate(const ObjectScript& slot);

    ScriptTemplate* FindScriptTemplate(const std::string& kind) const;
    // The newest binding of that kind and preset, else a new one (declared in
    // Lua when the kind is known); null only when the list cannot grow.
    ScriptBinding* FindOrCreateScriptBinding(const std::string& kind, const std::string& preset);
    // "AutoPreset 0", "AutoPreset 1", ...: presets for objects without a name.
    std::string MakeAutoPresetName();

    PtrArray<ScriptTemplate>& GetTemplates() { return mTemplates; }
    PtrArray<ScriptBinding>& GetBindings() { return mBindings; }

private:
    void Define(ScriptBinding& binding, const std::string& text, const std::string& header, const char* function);
    void Call(const ObjectScript& slot, const char* function);

    ScriptHost& mHost;
    PtrArray<ScriptTemplate> mTemplates{32};
    PtrArray<ScriptBinding> mBindings{32};
    int32_t mAutoPresetCounter = 0;
};

// The Build text of the slot's binding; "" without one. Build results are
// collected with it as their script text.
std::string GetBuildScriptText(const ObjectScript& slot);

// The handle of the object declared last; scripts read it through
// GetCurrentlyScriptedObject.
extern int32_t gCurrentScriptObject;
extern ScriptTemplates* gScriptTemplates;

} // namespace KIV
