#pragma once
#include "tools/contentgen/Canvas.h"

namespace KIV {

// Soft lights for particles: drawn additively or over the scene, tinted by
// the particle colour, so they are pale and fade to nothing at their edges.

// A bullet's streak: a white-hot core in a warm glow, longer than wide.
Canvas MakeShotPicture(int number);
// A puff of hot air: a ragged orange glow that thins towards its rim.
Canvas MakeHeatPicture(int number);

} // namespace KIV
