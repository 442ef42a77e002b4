#include "script/ScriptTemplates.h"
#include "script/ScriptHost.h"

namespace KIV {

int32_t gCurrentScriptObject = 0;
ScriptTemplates* gScriptTemplates = nullptr;

ScriptTemplates::ScriptTemplates(ScriptHost& host) : mHost(host)
{
    gScriptTemplates = this;
    struct Row {
        const char* kind;
        const char* build;
        const char* update;
    };
    const Row rows[] = {
        {"Robot", ".Build = function(robot,mobj)", ".Update = function(robot,mobj)"},
        {"Joint", ".Build = function(joint,mobj)", ".Update = function(joint,mobj)"},
    };
    for (const Row& row : rows) {
        ScriptTemplate* entry = mTemplates.AppendNew();
        if (!entry) {
            gScriptTemplates = nullptr;
            return;
        }
        *entry = {row.kind, row.build, row.update};
    }
}

ScriptTemplate* ScriptTemplates::FindScriptTemplate(const std::string& kind) const
{
    for (int32_t i = mTemplates.Count() - 1; i >= 0; --i)
        if (mTemplates[i]->mKind == kind) return mTemplates[i];
    return nullptr;
}

std::string ScriptTemplates::MakeAutoPresetName()
{
    return "AutoPreset " + std::to_string(mAutoPresetCounter++);
}

ScriptBinding* ScriptTemplates::FindOrCreateScriptBinding(const std::string& kind, const std::string& preset)
{
    for (int32_t i = mBindings.Count() - 1; i >= 0; --i)
        if (mBindings[i]->mKind == kind && mBindings[i]->mPreset == preset) return mBindings[i];
    ScriptBinding* binding = mBindings.AppendNew();
    if (!binding || kind.empty() || preset.empty()) return binding;
    binding->mTemplate = FindScriptTemplate(kind);
    if (!binding->mTemplate) return binding;
    binding->mKind = kind;
    binding->mPreset = preset;
    binding->mTableName = kind + "s." + mHost.MakePreScriptName();
    mHost.RunScriptText("if not " + kind + "s then " + kind + "s = {} end;" + binding->mTableName + " = {}", false);
    binding->mDeclared = true;
    return binding;
}

void ScriptTemplates::DeclareObject(ObjectScript& slot, int32_t handle, const std::string& kind,
                                    const std::string& preset)
{
    if (slot.mDeclared || handle == 0 || kind.empty()) return;
    slot.mTemplate = FindScriptTemplate(kind);
    if (!slot.mTemplate) return;
    slot.mKind = kind;
    slot.mHandle = handle;
    gCurrentScriptObject = handle;
    slot.mObjectName = kind + "s." + mHost.MakeObjScriptName();
    slot.mStateName = slot.mObjectName + "lua";
    mHost.RunScriptText("if not " + kind + "s then " + kind + "s = {} end;" + slot.mObjectName + " = To" + kind +
                            "(GetCurrentlyScriptedObject());" + slot.mStateName + " = {};",
                        false);
    slot.mPreset = preset.empty() ? MakeAutoPresetName() : preset;
    slot.mBinding = FindOrCreateScriptBinding(kind, slot.mPreset);
    slot.mDeclared = true;
}

void ScriptTemplates::Define(ScriptBinding& binding, const std::string& text, const std::string& header,
                             const char* function)
{
    if (!binding.mDeclared) return;
    if (text.empty())
        mHost.RunScriptText(binding.mTableName + "." + function + " = nil;", false);
    else
        mHost.RunScriptText(binding.mTableName + header + " " + text + " \n end;", false);
}

void ScriptTemplates::DefineBuild(ScriptBinding& binding)
{
    if (binding.mTemplate) Define(binding, binding.mBuildText, binding.mTemplate->mBuildHeader, "Build");
}

void ScriptTemplates::DefineUpdate(ScriptBinding& binding)
{
    if (binding.mTemplate) Define(binding, binding.mUpdateText, binding.mTemplate->mUpdateHeader, "Update");
}

void ScriptTemplates::Call(const ObjectScript& slot, const char* function)
{
    if (!slot.mDeclared || !slot.mBinding) return;
    const std::string& table = slot.mBinding->mTableName;
    // The same text every step: the host keeps it compiled.
    mHost.RunRepeatedScriptText("if " + table + "." + function + " then " + table + "." + function + "(" +
                                slot.mObjectName + "," + slot.mStateName + ") end;");
}

void ScriptTemplates::CallBuild(const ObjectScript& slot)
{
    Call(slot, "Build");
}

void ScriptTemplates::CallUpdate(const ObjectScript& slot)
{
    Call(slot, "Update");
}

std::string GetBuildScriptText(const ObjectScript& slot)
{
    return slot.mBinding ? slot.mBinding->mBuildText : std::string();
}

} // namespace KIV
