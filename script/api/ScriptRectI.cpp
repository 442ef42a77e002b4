#include <luabind/luabind.hpp>
#include "base/Rect.h"
#include "script/api/ScriptApi.h"

namespace KIV {

luabind::scope ScriptScopeRectI()
{
    using namespace luabind;
    return class_<RectI>("RectI")
        .def(constructor<>())
        .def(constructor<const VectorI&, const VectorI&>())
        .def(constructor<int32_t, int32_t, int32_t, int32_t>())
        .def_readwrite("mP1", &RectI::mP1)
        .def_readwrite("mP2", &RectI::mP2);
}

} // namespace KIV
