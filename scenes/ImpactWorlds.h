#pragma once
#include <cstdint>
#include "base/Vector.h"

namespace KIV {

class Scene;
class Toy;
struct GameSettings;

// Worlds in which toys dent and break, shared by the impact tests and the
// determinism check.
namespace Scenes {

// A walled world with one soft toy of about 100 outline points held just
// above the ground and thrown down at the given speed. A deform power above
// 1 makes a toy that dents more deeply than the default.
Toy* MakeDropWorld(Scene& scene, float speed, float deformPower = 1.0f);

// Breaks every toy that carries a hit, from the last toy to the first, as a
// weapon would: the pieces take the toy's place. The number of toys broken.
int32_t BreakHitToys(Scene& scene);

// Steps the world and breaks the toys that were hit, once per step.
void StepImpactWorld(Scene& scene, const GameSettings& settings, int32_t steps);

// The soft pile of MakeSoftPile, thrown down hard enough that its toys dent
// and some of them break as they land.
bool MakeImpactPile(Scene& scene, int32_t toyCount);

} // namespace Scenes
} // namespace KIV
