#include "game/ScriptAPI.h"
#include <luabind/luabind.hpp>
#include "game/KIVGame.h"
#include "game/ScriptScopes.h"
#include "script/ScriptHost.h"
#include "script/api/ScriptApi.h"

namespace KIV {

void RegisterScriptAPI(ScriptHost& host)
{
    lua_State* state = host.GetState();
    if (!state) return;
    // The chain in its fixed order. The classes that have not come yet take
    // their places when they do: EdyBuilder after Scene.
    luabind::scope chain = ScriptScopeFreeFunctions();
    chain, ScriptScopeFastName(), ScriptScopeVectorF(), ScriptScopeVectorI(), ScriptScopeIntervalF(),
        ScriptScopeIntervalI(), ScriptScopeRectI(), ScriptScopeColorRGB(), ScriptScopeColorRGBA(),
        ScriptScopeBendObject(), ScriptScopeToy(), ScriptScopeJoint(), ScriptScopeParticleSystem(), ScriptScopeRobotDef(), ScriptScopeRobot(),
        ScriptScopeDrawOptions(), ScriptScopeScenario(), ScriptScopeMaterial(), ScriptScopeScene(), ScriptScopeEdyBuilder(),
        ScriptScopeKIVGame();
    luabind::module(state)[chain];

    // The game object outlives the state, so scripts may hold it directly.
    luabind::globals(state)["kiv"] = gGame;
    luabind::globals(state)["scene"] = static_cast<Scene*>(gGame);
}

} // namespace KIV
