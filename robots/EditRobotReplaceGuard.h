#pragma once

namespace KIV {

class Robot;

// Whether the robot editor may drop the edit robot (to empty the editor or to
// load another robot). Unsaved changes are never thrown away silently: without
// `force` a changed robot is kept and the player is told how to go on.
bool MayReplaceEditRobot(const Robot* editRobot, bool force);

} // namespace KIV
