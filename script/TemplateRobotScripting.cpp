#include "script/TemplateRobotScripting.h"
#include "robots/Robot.h"
#include "script/ScriptHost.h"
#include "script/ScriptTemplates.h"

namespace KIV {

TemplateRobotScripting::TemplateRobotScripting(ScriptHost& host, ScriptTemplates& templates,
                                               const int32_t& frameIndex)
    : mHost(host), mTemplates(templates), mFrameIndex(frameIndex)
{
}

void TemplateRobotScripting::Declare(Robot& robot)
{
    // Scripts run only once the state exists (the game's first frame).
    if (!mHost.GetState()) return;
    mTemplates.DeclareObject(robot.mScript, robot.mScriptHandle.Get(&robot), "Robot", robot.GetName());
    ScriptBinding* binding = robot.mScript.mBinding;
    if (!binding) return;
    binding->mBuildText = robot.GetScriptOnBuild();
    binding->mUpdateText = robot.GetScriptOnUpdate();
    mTemplates.DefineBuild(*binding);
    mHost.CollectLuaResults(binding->mBuildText, "script on build of robot; robot's name: " + robot.GetName());
    mTemplates.DefineUpdate(*binding);
    mHost.CollectLuaResults(binding->mUpdateText, "script on update of robot; robot's name: " + robot.GetName());
}

void TemplateRobotScripting::RunBuild(Robot& robot)
{
    if (!robot.mScript.mDeclared) return;
    mTemplates.CallBuild(robot.mScript);
    mHost.CollectLuaResults(GetBuildScriptText(robot.mScript), "script on build of robot; robot's name: " +
                                                                   robot.GetName() + "; scene frame index: " +
                                                                   std::to_string(mFrameIndex));
}

void TemplateRobotScripting::RunUpdate(Robot& robot)
{
    if (!robot.mScript.mDeclared) return;
    mTemplates.CallUpdate(robot.mScript);
    // Collected at once, every step: the ring keeps the newest, where the
    // stack would grow for as long as a broken script runs.
    if (mHost.GetStackSize() > 0)
        mHost.CollectLuaResults(robot.mScript.mBinding ? robot.mScript.mBinding->mUpdateText : std::string(),
                                "script on update of robot; robot's name: " + robot.GetName());
}

void TemplateRobotScripting::Forget(Robot& robot)
{
    if (!robot.mScript.mDeclared || !mHost.GetState()) return;
    mHost.RunScriptText(robot.mScript.mObjectName + " = nil; " + robot.mScript.mStateName + " = nil;", false);
    mHost.ClearScriptStack();
    robot.mScript = ObjectScript();
}

} // namespace KIV
