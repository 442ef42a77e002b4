#pragma once
#include "tools/contentgen/Canvas.h"

namespace KIV {

// The robot editor's mode buttons: numbers 1 to 8 are the four modes (parts,
// joints, particle systems, poses), each first as it rests, then as it shows
// when chosen.
constexpr int32_t kRobotEditorButtonSize = 40;
Canvas MakeRobotEditorButtonPicture(int number);

// The panel's plain background, tinted by whoever draws it.
Canvas MakeWhitePicture(int number);

// The pose time line: 1 the bar, 2 the marker of one pose.
Canvas MakeTimelinePicture(int number);

} // namespace KIV
