#include <luabind/luabind.hpp>
#include "base/Color.h"
#include "script/api/ScriptApi.h"

namespace KIV {

luabind::scope ScriptScopeColorRGB()
{
    using namespace luabind;
    return class_<ColorRGB>("ColorRGB")
        .def(constructor<>())
        .def(constructor<uint8_t, uint8_t, uint8_t>())
        .def_readwrite("mRed", &ColorRGB::mRed)
        .def_readwrite("mGreen", &ColorRGB::mGreen)
        .def_readwrite("mBlue", &ColorRGB::mBlue);
}

} // namespace KIV
