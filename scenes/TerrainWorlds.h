#pragma once
#include <string>
#include "base/Vector.h"

namespace KIV {

class BendObject;
class Scene;
class TextureLib;

namespace Scenes {

// A terrain object of the picture with its top-left corner at the point, the
// level starting from there, and the scene's grid rebuilt so toys collide
// with it; null (nothing left behind) when the picture cannot be had.
BendObject* AddTerrainObject(Scene& scene, TextureLib& library, const std::string& picture, const VectorF& topLeft);

} // namespace Scenes
} // namespace KIV
