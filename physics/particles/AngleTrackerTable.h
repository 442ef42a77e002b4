#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/MathUtil.h"
#include "base/Random.h"

namespace KIV {

// The small turns a particle's velocity takes step after step while the angle
// tracker is on: one (sine, cosine) pair per entry, walked round and round.
// Kinds 0 to 6; the runs of kinds 1, 2, 4 and 6 are drawn from the owner's
// generator. A kind outside 0..6 builds kind 0. False, with the table empty,
// when its storage cannot be had.
inline constexpr int32_t kAngleTrackerKindCount = 7;

bool BuildAngleTrackerTable(Array<SinCos>& table, int32_t kind, float power, Random& random);

// 0 at 0, 0.5 at 0.5, 1 at 1: a cosine ease into a sine ease.
float EaseInOut(float t);

} // namespace KIV
