#pragma once
#include <cstdint>
#include "base/Vector.h"

namespace KIV {

class Scene;

namespace Scenes {

// A U-shaped basin of one terrain outline with the given number of vertices
// (at least 8): straight walls and a floor that rolls in small waves, 2000
// units wide. Sets up the scene's grid; seed receives a point inside the basin
// below the top of its walls. False when the grid cannot be set up.
bool MakeBasinWorld(Scene& scene, int32_t vertexCount, VectorF& seed);

} // namespace Scenes
} // namespace KIV
