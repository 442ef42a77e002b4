#pragma once
#include <string>

namespace KIV {

// The default materials the game ships with, written below the data root as
// Scenes/kiv_default_materials.kim by the game's own material writer.
// Material 0, "default", which every toy names unless told otherwise, shows
// all four effects: dust and a scratch on a dent, sparks and a hole where a
// bullet goes in, splinters and a hole where it comes out, cracks along a break.
bool WriteShippedMaterials(const std::string& root);

} // namespace KIV
