#include "physics/world/Scene.h"

namespace KIV {

Water* Scene::AddWater(const VectorF& seed)
{
    Water* water = mWaters.AppendNew();
    if (water) water->Rebuild(this, seed);
    return water;
}

void Scene::RetraceWaters()
{
    for (int32_t i = 0; i < mWaters.Count(); ++i) mWaters[i]->Retrace();
}

} // namespace KIV
