#include <luabind/luabind.hpp>
#include "base/Vector.h"
#include "script/api/ScriptApi.h"

namespace KIV {

namespace {
// The vector is always the left operand: 2 * v matches no overload and fails
// as a script error.
bool Equal(const VectorF& a, const VectorF& b) { return a.mX == b.mX && a.mY == b.mY; }
VectorF Add(const VectorF& a, const VectorF& b) { return a + b; }
VectorF Subtract(const VectorF& a, const VectorF& b) { return a - b; }
VectorF Multiply(const VectorF& a, const VectorF& b) { return a * b; }
VectorF Divide(const VectorF& a, const VectorF& b) { return a / b; }
VectorF AddNumber(const VectorF& a, float f) { return a.AddScalar(f); }
VectorF SubtractNumber(const VectorF& a, float f) { return a.SubtractScalar(f); }
VectorF MultiplyNumber(const VectorF& a, float f) { return a * f; }
VectorF DivideNumber(const VectorF& a, float f) { return a / f; }
} // namespace

luabind::scope ScriptScopeVectorF()
{
    using namespace luabind;
    return class_<VectorF>("VectorF")
        .def(constructor<>())
        .def(constructor<float, float>())
        .def("__eq", &Equal)
        .def("__add", &Add)
        .def("__sub", &Subtract)
        .def("__mul", &Multiply)
        .def("__div", &Divide)
        .def("__add", &AddNumber)
        .def("__sub", &SubtractNumber)
        .def("__mul", &MultiplyNumber)
        .def("__div", &DivideNumber)
        .def_readwrite("mX", &VectorF::mX)
        .def_readwrite("mY", &VectorF::mY)
        .def("GetLength", &VectorF::GetLength)
        .def("Normalize", &VectorF::Normalize)
        .def("Rotate", &VectorF::Rotate);
}

} // namespace KIV
