#include "physics/particles/ParticleHitEffects.h"
#include "physics/materials/MaterialEffects.h"
#include "physics/materials/Material.h"
#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"

namespace KIV {

namespace {
// A system flown outside any scene still meets a toy's own material; only
// the default materials need the scene.
const Material* MaterialOf(const Scene* scene, const Toy& toy)
{
    if (scene) return GetToyMaterial(*scene, &toy);
    return toy.GetUseDefaultMaterial() ? nullptr : toy.mOwnMaterial;
}
} // namespace

bool MaterialAllowsPenetration(Scene* scene, const Toy& toy)
{
    const Material* material = MaterialOf(scene, toy);
    return material && material->mAllowPenetratingParticles != 0;
}

bool GetToySurfaceDeform(Scene* scene, const Toy& toy, float& resistance)
{
    resistance = 1.0f;
    const Material* material = MaterialOf(scene, toy);
    if (!material) return false;
    resistance = material->mSurfaceDeformResistance;
    return material->mAllowSurfaceDeform != 0;
}

ParticleHoles DecideParticleHoles(Scene* scene, const Toy& toy, float power)
{
    bool noHole = false, entryOnly = false, entryAndExit = false;
    DecideParticleHoles(MaterialOf(scene, toy), power, noHole, entryOnly, entryAndExit);
    return ParticleHoles{noHole, entryOnly, entryAndExit};
}

// The effects stamp and spawn into a scene: outside one they leave no trace.
void DoDentEffect(Scene* scene, Toy& toy, const VectorF& point, VectorF& direction, float factor)
{
    if (scene) DoDentEffect(*scene, &toy, factor, point.mX, point.mY, direction.mX, direction.mY);
}

void DoEntryHoleEffect(Scene* scene, Toy& toy, const VectorF& point, VectorF& direction, float factor)
{
    if (scene) DoEntryHoleEffect(*scene, &toy, direction, factor, point.mX, point.mY);
}

void DoExitHoleEffect(Scene* scene, Toy& toy, const VectorF& point, VectorF& direction, float factor)
{
    if (scene) DoExitHoleEffect(*scene, &toy, direction, factor, point.mX, point.mY);
}

} // namespace KIV
