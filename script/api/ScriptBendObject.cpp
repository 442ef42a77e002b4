#include <luabind/luabind.hpp>
#include "physics/terrain/BendObject.h"
#include "script/ScriptHandles.h"
#include "script/api/ScriptApi.h"

namespace KIV {

luabind::scope ScriptScopeBendObject()
{
    using namespace luabind;
    EnableHandlesOf<BendObject>();
    return class_<BendObject>("BendObject")
        .def("GetLayer", &BendObject::GetLayer)
        .def("GetOrigTextureFn", &BendObject::GetOrigTextureFn);
}

} // namespace KIV
