#include <luabind/luabind.hpp>
#include "base/Color.h"
#include "script/api/ScriptApi.h"

namespace KIV {

luabind::scope ScriptScopeColorRGBA()
{
    using namespace luabind;
    return class_<ColorRGBA>("ColorRGBA")
        .def(constructor<>())
        .def(constructor<uint8_t, uint8_t, uint8_t, uint8_t>())
        .def_readwrite("mRed", &ColorRGBA::mRed)
        .def_readwrite("mGreen", &ColorRGBA::mGreen)
        .def_readwrite("mBlue", &ColorRGBA::mBlue)
        .def_readwrite("mAlpha", &ColorRGBA::mAlpha);
}

} // namespace KIV
