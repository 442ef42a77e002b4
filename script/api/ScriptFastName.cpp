#include <luabind/luabind.hpp>
#include "base/FastName.h"
#include "script/api/ScriptApi.h"

namespace KIV {

luabind::scope ScriptScopeFastName()
{
    using namespace luabind;
    return class_<FastName>("FastName")
        .def(constructor<>())
        .def(constructor<const std::string&>())
        .def("SetByString", &FastName::SetByString)
        .def("GetInString", &FastName::GetInString)
        .def("FirstCharactersEqual", &FastName::FirstCharactersEqual)
        .def("SetNull", &FastName::SetNull);
}

} // namespace KIV
