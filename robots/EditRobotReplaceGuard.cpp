#include "robots/EditRobotReplaceGuard.h"
#include "base/Notices.h"
#include "robots/Robot.h"

namespace KIV {

bool MayReplaceEditRobot(const Robot* editRobot, bool force)
{
    if (!editRobot || force || !editRobot->GetChanged()) return true;
    const std::string name = editRobot->GetName().empty() ? std::string("the edited robot") : "robot " + editRobot->GetName();
    ReportNotice("Robots: " + name + " has unsaved changes; save it first, or choose to discard them");
    return false;
}

} // namespace KIV
