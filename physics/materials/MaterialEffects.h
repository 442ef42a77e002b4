#pragma once
#include <cstdint>
#include "base/Vector.h"

namespace KIV {

class Material;
class ParticleSystem;
class Scene;
class Toy;

// What a particle hit or a break shows on a toy, as its material says:
// decals stamped into the toy's own picture, bursts copied from the
// material's particle-system templates, and shards of the toy's picture.
// Every chance comes from the scene's generator, so a replay repeats them.
// They append to the scene's lists: never call them from a parallel region.

// The material that governs a toy: its own, or the default material it
// names (the first one for a name no default material has).
Material* GetToyMaterial(const Scene& scene, const Toy* toy);
// false for a toy without material; resistance is 1.0 unless the material says.
bool GetToySurfaceDeform(const Scene& scene, const Toy* toy, float& resistance);
// A particle of this power makes no hole, an entry hole only, or an entry
// and an exit hole. A toy without material answers all three false.
void DecideParticleHoles(const Scene& scene, const Toy* toy, float power, bool& noHole, bool& entryOnly,
                         bool& entryAndExit);
// The same decision by a material itself (all three false without one).
void DecideParticleHoles(const Material* material, float power, bool& noHole, bool& entryOnly, bool& entryAndExit);

// The hit effects at world point (x, y); weight scales the decal. The hole
// effects slow the particle's velocity by their family's factor.
void DoDentEffect(Scene& scene, Toy* toy, float weight, float x, float y, float vx, float vy);
void DoEntryHoleEffect(Scene& scene, Toy* toy, VectorF& velocity, float weight, float x, float y);
void DoExitHoleEffect(Scene& scene, Toy* toy, VectorF& velocity, float weight, float x, float y);

// An effect system: a copy of the template in the scene's simulated
// particle-system list, which updates, draws and removes it like any other,
// with the scene's gravity and no effects of its own. null when the list is
// full.
ParticleSystem* SpawnEffectSystem(Scene& scene, const ParticleSystem& particleTemplate);

} // namespace KIV
