#pragma once
#include <cstdint>

namespace KIV {

class Scene;

// A pile of toys that a thousand bullets are fired through, with or without
// a material on the toys; shared by the bullet benchmark and the test that
// the effect systems stay bounded.
namespace Scenes {

// The scene's first default material, which every toy of these worlds names:
// bullets go through (entry and exit holes above a modest power), and dents
// and holes each burst a few fading particles.
bool AddBulletMaterial(Scene& scene);

inline constexpr int32_t kBulletWorldToys = 64;
inline constexpr int32_t kBulletWorldBullets = 1000;
// Ten seconds of steps at the game's rate.
inline constexpr int32_t kBulletWorldSteps = 2100;

// The pile of kBulletWorldToys box toys on a walled floor and two guns that
// emit nothing of their own; with materials the toys are made of the bullet
// material and the guns' bullets pierce them and make effects.
bool MakeBulletWorld(Scene& scene, bool withMaterials);
// Before step `step` of the run: one of the bullets, from alternating sides,
// every other step until `bullets` have been fired.
void FireBullets(Scene& scene, int32_t step, int32_t bullets = kBulletWorldBullets);
// The world's particle systems that are effect bursts (all but the guns).
int32_t CountEffectSystems(const Scene& scene);

} // namespace Scenes
} // namespace KIV
