#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Vector.h"

namespace KIV {

struct Random;
class Scene;
struct GameSettings;

// The stepping worlds that the step's tests, its benchmark and the
// determinism check share.
namespace Scenes {

inline constexpr float kStepFrequency = 210.0f;
inline constexpr float kGravity = 800.0f;

// The game's defaults: 210 steps a second (written into every toy) and gravity (0, 800).
void ApplyStepDefaults(Scene& scene);

// The outline of one soft toy: about pointCount points round the origin, a
// few units apart like a traced picture's. kind picks one of four shapes
// (circle, ellipse, rounded box, lobed blob); phase turns the blob's lobes.
void MakeSoftShape(Array<VectorF>& points, int32_t kind, float radius, int32_t pointCount, float phase);

// A walled world with toyCount soft toys of about 100 outline points each,
// mixed shapes and sizes, held in rows above the ground from where they fall
// into a pile. false when the world or a toy cannot be made.
bool MakeSoftPile(Scene& scene, int32_t toyCount);
// Room each toy of such a pile gets in the rows it falls from.
inline constexpr float kPileCell = 120.0f;
// toyCount soft toys of the pile's kinds in rows of `columns`, the first row's
// centres kPileCell apart from bottomLeft + half a cell rightwards, the next
// rows kPileCell higher each.
bool AddSoftToyRows(Scene& scene, Random& random, int32_t toyCount, int32_t columns, const VectorF& bottomLeft);

// Steps the world with the given settings.
void StepWorld(Scene& scene, const GameSettings& settings, int32_t steps);

// A hash of every toy's outline points, pose and velocities, bit for bit
// (FNV-1a over the raw float bits, toys in list order).
uint64_t HashToyState(const Scene& scene);

// Toys that have passed through terrain: every outline point inside or
// beneath it (a terrain edge straight above, as nothing hangs over the shared
// worlds' floors) or off the world, or the centre off the world. A toy
// resting on the ground never counts; nothing would bring a counted one back.
int32_t CountToysThroughTerrain(Scene& scene);

} // namespace Scenes
} // namespace KIV
