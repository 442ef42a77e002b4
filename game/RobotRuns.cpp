// The live robots in the game's step: the current robot takes each step's
// input, and every robot's Update script runs after the physics.
#include <cstring>
#include "base/Statistics.h"
#include "game/KIVGame.h"
#include "script/ScriptHost.h"
#include "script/ScriptTemplates.h"
#include "script/TemplateRobotScripting.h"

namespace KIV {

void KIVGame::StartRobotScripting()
{
    if (mRobotScripting || !gScriptHost || !gScriptTemplates || !gScriptHost->GetState()) return;
    mRobotScripting = std::make_unique<TemplateRobotScripting>(*gScriptHost, *gScriptTemplates, mFrameIndex);
    mRobots.SetScripting(mRobotScripting.get());
    mEditRobots.SetScripting(mRobotScripting.get());
}

void KIVGame::ApplyRobotControls()
{
    // Only the robot the player steers hears the keys; a dead one hears
    // nothing, and the others keep their last controls.
    Robot* robot = mRobots.GetCurrentRobot();
    if (!robot || robot->IsDead()) return;
    uint8_t bytes[RobotControls::kFrameBytes];
    static_assert(sizeof(bytes) == sizeof(InputFrame));
    std::memcpy(bytes, &mInputFrame, sizeof(bytes));
    robot->ApplyControls(bytes);
}

void KIVGame::RunRobotUpdateScripts()
{
    StatTimerStart(kStatLuaUpdateScripts);
    mRobots.RunUpdateScripts();
    StatTimerStop(kStatLuaUpdateScripts);
}

} // namespace KIV
