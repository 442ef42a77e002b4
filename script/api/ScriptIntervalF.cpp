#include <luabind/luabind.hpp>
#include "base/Interval.h"
#include "script/api/ScriptApi.h"

namespace KIV {

luabind::scope ScriptScopeIntervalF()
{
    using namespace luabind;
    return class_<IntervalF>("IntervalF")
        .def(constructor<>())
        .def(constructor<float>())
        .def(constructor<float, float>())
        .def_readwrite("mMinValue", &IntervalF::mMinValue)
        .def_readwrite("mMaxValue", &IntervalF::mMaxValue);
}

} // namespace KIV
