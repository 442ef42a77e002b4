#include <luabind/luabind.hpp>
#include "robots/Scenario.h"
#include "script/ScriptHandles.h"
#include "script/api/ScriptApi.h"

namespace KIV {

luabind::scope ScriptScopeScenario()
{
    using namespace luabind;
    EnableHandlesOf<Scenario>();
    return class_<Scenario>("Scenario")
        .def("Clear", &Scenario::Clear)
        .def("GetChanged", &Scenario::GetChanged)
        .def("SetSavedOK", &Scenario::SetSavedOK)
        .def("AddRobot", &Scenario::AddRobot)
        .def("SelectRobot", &Scenario::SelectRobot)
        .def("GetRobotSelectedIndex", &Scenario::GetRobotSelectedIndex)
        .def("GetRobotsCount", &Scenario::GetRobotsCount)
        .def("GetRobotsListArray", &Scenario::GetRobotsListArray)
        .def("SetSelectedRobotPosition", &Scenario::SetSelectedRobotPosition)
        .def("GetSelectedRobotPosX", &Scenario::GetSelectedRobotPosX)
        .def("SetSelectedRobotPosX", &Scenario::SetSelectedRobotPosX)
        .def("GetSelectedRobotPosY", &Scenario::GetSelectedRobotPosY)
        .def("SetSelectedRobotPosY", &Scenario::SetSelectedRobotPosY)
        .def("DeleteSelectedRobot", &Scenario::DeleteSelectedRobot);
}

} // namespace KIV
