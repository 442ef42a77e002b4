#include <luabind/luabind.hpp>
#include "script/ScriptHandles.h"
#include "script/ScriptTemplates.h"
#include "script/api/ScriptApi.h"

namespace KIV {

class Robot;

namespace {
int32_t GetCurrentlyScriptedObject()
{
    return gCurrentScriptObject;
}

// Any number a script makes up is checked against the handle table: only a
// live robot's handle gives the robot.
luabind::object ToRobot(lua_State* state, int32_t handle)
{
    return ObjectFromHandle(state, handle, HandleKindOf<Robot>());
}
} // namespace

luabind::scope ScriptScopeFreeFunctions()
{
    luabind::scope functions = luabind::def("GetCurrentlyScriptedObject", &GetCurrentlyScriptedObject);
    functions, luabind::def("ToRobot", &ToRobot);
    return functions;
}

} // namespace KIV
