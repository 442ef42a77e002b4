#include "physics/particles/ParticleHitEffects.h"
#include "physics/toys/Toy.h"

namespace KIV {

bool MaterialAllowsPenetration(Scene*, const Toy&) { return false; }

bool GetToySurfaceDeform(Scene*, const Toy& toy, float& resistance)
{
    resistance = toy.mBulletDeformResistance;
    return false;
}

ParticleHoles DecideParticleHoles(Scene*, const Toy&, float) { return ParticleHoles{}; }

void DoDentEffect(Scene*, Toy&, const VectorF&, VectorF&, float) {}
void DoEntryHoleEffect(Scene*, Toy&, const VectorF&, VectorF&, float) {}
void DoExitHoleEffect(Scene*, Toy&, const VectorF&, VectorF&, float) {}

} // namespace KIV
