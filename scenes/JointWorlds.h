#pragma once
#include <cstdint>
#include "base/Vector.h"

namespace KIV {

class Joint;
class Scene;
class Toy;

// The jointed worlds that the joint tests, the step benchmark and the
// determinism check share.
namespace Scenes {

inline constexpr int32_t kChainLinks = 8;
// Neighbouring links overlap at their pin, so they must not collide.
inline constexpr float kLinkPitch = 32.0f;

// Pins two toys together at a world point: a joint of the scene's joint
// list, listed in both toys' joint lists, and the two toys no longer
// collide. null when the joint cannot be made.
Joint* JoinToys(Scene& scene, Toy* a, Toy* b, const VectorF& worldPoint);
// Pins a toy at a world point to the world.
Joint* PinToWorld(Scene& scene, Toy* toy, const VectorF& worldPoint);

// A walled world with toyCount box links in chains of kChainLinks, laid out
// level: every other chain hangs from a world pin at its first link and
// swings down, the others fall free onto the ground and into each other.
// false when the world, a toy or a joint cannot be made.
bool MakeChains(Scene& scene, int32_t toyCount);
// One chain of box links laid out level to the right of start, joined at
// their overlaps; pinned hangs its first link from a world pin at start.
bool AddChain(Scene& scene, const VectorF& start, int32_t links, bool pinned);

} // namespace Scenes
} // namespace KIV
