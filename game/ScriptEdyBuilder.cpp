#include <luabind/luabind.hpp>
#include "editor/EdyBuilder.h"
#include "game/ScriptScopes.h"

namespace KIV {

luabind::scope ScriptScopeEdyBuilder()
{
    using namespace luabind;
    using B = EdyBuilder;
    return class_<EdyBuilder>("EdyBuilder")
        .def("GetSelectedPageName", &B::GetSelectedPageName)
        .def("GetControlsList", &B::GetControlsList)
        .def("AddNewControl", &B::AddNewControl)
        .def("DeleteSelectedControl", &B::DeleteSelectedControl)
        .def("CopySelectedControl", &B::CopySelectedControl)
        .def("PasteSelectedControl", &B::PasteSelectedControl)
        .def("MoveSelectedControlUp", &B::MoveSelectedControlUp)
        .def("MoveSelectedControlDown", &B::MoveSelectedControlDown)
        .def("GetMultiCopyFrom", &B::GetMultiCopyFrom)
        .def("SetMultiCopyFrom", &B::SetMultiCopyFrom)
        .def("GetMultiCopyTo", &B::GetMultiCopyTo)
        .def("SetMultiCopyTo", &B::SetMultiCopyTo)
        .def("MultiCopyNow", &B::MultiCopyNow)
        .def("MultiPasteNow", &B::MultiPasteNow)
        .def("GetSelectedControlIndex", &B::GetSelectedControlIndex)
        .def("SetSelectedControlIndex", &B::SetSelectedControlIndex)
        .def("SelectControlByID", &B::SelectControlByID)
        .def("GetControlType", &B::GetControlType)
        .def("GetControlName", &B::GetControlName)
        .def("GetControlParamName", &B::GetControlParamName)
        .def("GetControlParam", &B::GetControlParam)
        .def("SetControlParam", &B::SetControlParam)
        .def("GetControlEnabled", &B::GetControlEnabled)
        .def("SetControlEnabled", &B::SetControlEnabled)
        .def("MyConvert", &B::MyConvert)
        .def("SetMyFind", &B::SetMyFind)
        .def("GetMyFind", &B::GetMyFind)
        .def("SetMyReplace", &B::SetMyReplace)
        .def("GetMyReplace", &B::GetMyReplace)
        .def("MyReplaceNow", &B::MyReplaceNow)
        .def("GetChanged", &B::GetChanged);
}

} // namespace KIV
