#pragma once
#include <luabind/scope.hpp>

namespace KIV {

// The game's own classes in the script API; the other scopes come from the
// script library (script/api/ScriptApi.h).
luabind::scope ScriptScopeScene();
luabind::scope ScriptScopeKIVGame();
luabind::scope ScriptScopeEdyBuilder();

} // namespace KIV
