#pragma once
#include "base/Rect.h"

namespace KIV {

class Robot;

// The rectangle a robot's photo is framed by: its toys' outlines, each particle
// system's emitter line where its link puts it, and the live particles, with
// a margin of kRobotBoundsMargin on every side. A robot of nothing gives the
// margin round (0, 0).
inline constexpr float kRobotBoundsMargin = 15.0f;
RectF GetRobotBounds(const Robot& robot);

} // namespace KIV
