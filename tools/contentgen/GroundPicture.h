#pragma once
#include "tools/contentgen/Canvas.h"

namespace KIV {

// A strip of ground: grass on a gently rolling top edge over layered soil with
// pebbles; opaque below the edge and transparent above it. The left and right
// edges match, so strips can be laid side by side.
constexpr int32_t kGroundPictureWidth = 512;
constexpr int32_t kGroundPictureHeight = 128;

Canvas MakeGroundPicture(int number);

// A grassy mound with a bowl between its two tops, for a pool; its feet
// meet the ground strip's edge, so it sits on the strip without a step.
constexpr int32_t kPondPictureWidth = 512;
constexpr int32_t kPondPictureHeight = 256;
Canvas MakePondPicture(int number);

// Deep soil without a top edge, tiling both ways: what lies under the ground
// strip down to the bottom of the world.
constexpr int32_t kSoilPictureSize = 256;
Canvas MakeSoilPicture(int number);

} // namespace KIV
