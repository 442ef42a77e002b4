#pragma once
#include <luabind/class.hpp>
#include "game/KIVGame.h"

namespace KIV {

// The game object's page, editor-file and window methods, added to its class
// in a file of their own: luabind's templates are heavy.
void DefineKIVGamePageMethods(luabind::class_<KIVGame>& game);

} // namespace KIV
