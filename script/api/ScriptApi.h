#pragma once
#include <luabind/scope.hpp>

// The script API, one scope per bound class (each in its own file: the
// binding templates are heavy, and one file of them all takes minutes and
// most of a gigabyte to compile). The game joins them into one chain.
namespace KIV {

luabind::scope ScriptScopeFreeFunctions();  // GetCurrentlyScriptedObject, ToRobot
luabind::scope ScriptScopeFastName();
luabind::scope ScriptScopeVectorF();
luabind::scope ScriptScopeVectorI();
luabind::scope ScriptScopeIntervalF();
luabind::scope ScriptScopeIntervalI();
luabind::scope ScriptScopeRectI();
luabind::scope ScriptScopeColorRGB();
luabind::scope ScriptScopeColorRGBA();
luabind::scope ScriptScopeBendObject();
luabind::scope ScriptScopeToy();
luabind::scope ScriptScopeJoint();
luabind::scope ScriptScopeParticleSystem();
luabind::scope ScriptScopeRobotDef();
luabind::scope ScriptScopeRobot();
luabind::scope ScriptScopeDrawOptions();
luabind::scope ScriptScopeScenario();
luabind::scope ScriptScopeMaterial();

} // namespace KIV
