#include "scenes/TerrainWorlds.h"
#include "physics/terrain/BendObject.h"
#include "physics/world/Scene.h"

namespace KIV {
namespace Scenes {

BendObject* AddTerrainObject(Scene& scene, TextureLib& library, const std::string& picture, const VectorF& topLeft)
{
    BendObject* object = scene.mTerrainObjects.AppendNew();
    if (!object) return nullptr;
    if (!object->SetTexture(library, picture)) {
        scene.mTerrainObjects.DeleteAt(scene.mTerrainObjects.Count() - 1);
        return nullptr;
    }
    object->Move(topLeft);
    object->mSavedFrame.Assign(object->mFrame);
    scene.RebuildStaticGrid();
    return object;
}

} // namespace Scenes
} // namespace KIV
