#pragma once
#include <cstdint>
#include "base/Rect.h"
#include "base/Vector.h"

namespace KIV {

class Scene;
struct GameSettings;

// Worlds with particles in flight, shared by the determinism check and the
// particle benchmark.
namespace Scenes {

// The walled floor of the particle worlds and the box toys piled on it.
inline constexpr RectF kParticleFloorWorld(0.0f, 0.0f, 2400.0f, 1400.0f);
inline constexpr float kParticleFloorWall = 40.0f;
inline constexpr float kParticleFloorTop = 1400.0f - kParticleFloorWall;
inline constexpr VectorF kParticleBoxSize(40.0f, 40.0f);

// Toys on a walled floor, two guns firing heavy bullets at them from both
// sides and rock debris raining over them; toyCount box toys (at least 1),
// made of the bullet material, so that hits make holes, dents and bursts.
bool MakeGunWorld(Scene& scene, int32_t toyCount);

// 64 box toys on a walled floor with about `particles` live particles among
// them, which bounce off the terrain and the toys and never sleep or die.
bool MakeParticleWorld(Scene& scene, int32_t particles);
inline constexpr int32_t kParticleWorldToys = 64;

// The world's toys and then every particle system's particles (positions and
// velocities, lists in list order), bit for bit.
uint64_t HashWorldState(const Scene& scene);

} // namespace Scenes
} // namespace KIV
