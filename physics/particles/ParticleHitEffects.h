#pragma once
#include <cstdint>
#include "base/Vector.h"

namespace KIV {

class Scene;
class Toy;

// Which holes a particle makes in a toy, as the toy's material decides.
struct ParticleHoles {
    uint8_t mNoHole = 0;
    uint8_t mEntryOnly = 0;
    uint8_t mEntryAndExit = 1;
};

// What a particle's hit on a toy asks of the toy's material (its own, or
// the scene's default material it names). Every call of the flight into the
// material effects goes through here. A toy without material lets no
// particle through and takes no bullet dents; without a scene the effects
// leave no trace.

// Whether the toy's material lets penetrating particles through it.
bool MaterialAllowsPenetration(Scene* scene, const Toy& toy);
// Whether the toy's surface takes bullet dents, and how hard it resists them
// (resistance starts at the toy's own, 1.0 by default).
bool GetToySurfaceDeform(Scene* scene, const Toy& toy, float& resistance);
// The holes a particle of the given power (speed x weight x sharpness) makes.
ParticleHoles DecideParticleHoles(Scene* scene, const Toy& toy, float power);
// The material's dent, entry-hole and exit-hole effects at a world point, for
// a particle flying along direction (its velocity); they may slow it.
void DoDentEffect(Scene* scene, Toy& toy, const VectorF& point, VectorF& direction, float factor);
void DoEntryHoleEffect(Scene* scene, Toy& toy, const VectorF& point, VectorF& direction, float factor);
void DoExitHoleEffect(Scene* scene, Toy& toy, const VectorF& point, VectorF& direction, float factor);

} // namespace KIV
