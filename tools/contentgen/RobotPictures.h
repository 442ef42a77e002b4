#pragma once
#include "tools/contentgen/Canvas.h"

namespace KIV {

// The parts of the shipped walking robot: its body, the two pieces of each
// leg and its gun barrel.
enum class RobotPart { kBody = 1, kThigh, kShin, kGun };
Canvas MakeRobotPartPicture(int part);

} // namespace KIV
