#pragma once
#include <cstdint>

namespace KIV {

class Scene;

// The large mixed world that the step benchmark and the determinism check
// share: many separate piles and jointed chains side by side.
namespace Scenes {

inline constexpr int32_t kPlaygroundPileToys = 32;

// A long walled world of toyCount toys: an eighth of them as chains of
// kChainLinks box links hanging from world pins at the right end, the rest
// as piles of kPlaygroundPileToys soft toys, each falling into a bin of its
// own so that the piles stay separate islands. At 2048 toys (the most a
// scene holds) that is 56 piles and 32 chains. false when the world, a toy
// or a joint cannot be made.
bool MakePlayground(Scene& scene, int32_t toyCount);

} // namespace Scenes
} // namespace KIV
