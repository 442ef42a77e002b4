#include <luabind/luabind.hpp>
#include "base/Interval.h"
#include "script/api/ScriptApi.h"

namespace KIV {

luabind::scope ScriptScopeIntervalI()
{
    using namespace luabind;
    return class_<IntervalI>("IntervalI")
        .def(constructor<>())
        .def(constructor<int32_t>())
        .def(constructor<int32_t, int32_t>())
        .def_readwrite("mMinValue", &IntervalI::mMinValue)
        .def_readwrite("mMaxValue", &IntervalI::mMaxValue);
}

} // namespace KIV
