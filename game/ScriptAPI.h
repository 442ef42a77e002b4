#pragma once
#include <luabind/scope.hpp>

namespace KIV {

class ScriptHost;

// The game's own classes in the script API; the other scopes come from the
// script library.
luabind::scope ScriptScopeScene();
luabind::scope ScriptScopeKIVGame();

// Binds the whole API on the host's state as one chain of scopes, then sets
// the globals "kiv" and "scene" to the game object (gGame).
void RegisterScriptAPI(ScriptHost& host);

} // namespace KIV
