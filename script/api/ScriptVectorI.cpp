#include <luabind/luabind.hpp>
#include "base/Vector.h"
#include "script/api/ScriptApi.h"

namespace KIV {

luabind::scope ScriptScopeVectorI()
{
    using namespace luabind;
    return class_<VectorI>("VectorI")
        .def(constructor<>())
        .def(constructor<int32_t, int32_t>())
        .def_readwrite("mX", &VectorI::mX)
        .def_readwrite("mY", &VectorI::mY);
}

} // namespace KIV
