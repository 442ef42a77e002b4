#pragma once

namespace KIV {

class ScriptHost;

// Binds the whole API on the host's state as one chain of scopes, then sets
// the globals "kiv" and "scene" to the game object (gGame).
void RegisterScriptAPI(ScriptHost& host);

} // namespace KIV
