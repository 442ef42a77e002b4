#pragma once
#include "tools/contentgen/Canvas.h"

namespace KIV {

// A strip of ground: grass on a gently rolling top edge over layered soil with
// pebbles; opaque below the edge and transparent above it. The left and right
// edges match, so strips can be laid side by side.
constexpr int32_t kGroundPictureWidth = 512;
constexpr int32_t kGroundPictureHeight = 128;

Canvas MakeGroundPicture(int number);

} // namespace KIV
