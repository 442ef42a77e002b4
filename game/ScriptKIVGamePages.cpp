#include <luabind/luabind.hpp>
#include "game/PageMethods.h"
#include "game/ScriptKIVGamePages.h"

namespace KIV {

void DefineKIVGamePageMethods(luabind::class_<KIVGame>& c)
{
    using namespace PageMethods;
    using Id = const std::string&;
    namespace P = PageCalls;
    c.def("UnEscapeString", &UnEscapeString)
        .def("ShowHideRobotEditor", &ShowHideRobotEditor)
        .def("ShowHideRobotLibrary", &ShowHideRobotLibrary)
        .def("ShowHideTextureLibrary", &ShowHideTextureLibrary)
        .def("GetEdyBuilder", &GetEdyBuilder)
        .def("EdyUpdateCheckbox", &QueueCall<&P::UpdateCheckbox>::Run)
        .def("EdyUpdateRadio", &QueueCall<&P::UpdateRadio>::Run)
        .def("EdyUpdateSlider", &QueueCall<&P::UpdateSlider>::Run)
        .def("EdyUpdateNumber", &QueueCall<&P::UpdateNumber>::Run)
        .def("EdyUpdateTextbox", &QueueCall<&P::UpdateTextbox>::Run)
        .def("EdyUpdateStringBox", &QueueCall<&P::UpdateTextbox>::Run)
        .def("EdyUpdateButton", &QueueCall<&P::UpdateButton>::Run)
        .def("EdyUpdateButtonVisibility", &QueueCall<&P::UpdateButtonVisibility>::Run)
        .def("EdyUpdateTexture", &EdyUpdateTexture)
        .def("EdyUpdateTexture", &EdyUpdateTextureSized)
        .def("EdyUpdateLuaBox", &QueueCall<&P::UpdateLuaBox>::Run)
        .def("EdyUpdateListBox", &QueueCall<&P::UpdateListBox>::Run)
        .def("EdyUpdateColor", &EdyUpdateColor)
        .def("EdyUpdateColor", &EdyUpdateColorRGB)
        .def("SaveColorPickerTableColor", &SaveColorPickerTableColor)
        .def("GetColorPickerTableColors", &GetColorPickerTableColors)
        .def("ColorPickStart", &ColorPickStart)
        .def("ColorPickStart", &ColorPickStartRGB)
        .def("EdyRefreshColorPickerColor", &EdyRefreshColorPickerColor)
        .def("EdyRefreshColorPickerColor", &EdyRefreshColorPickerColorRGB)
        .def("EdyUpdateLuaResWindow", &EdyUpdateLuaResWindow)
        .def("ShowLuaConsole", &ShowLuaConsole)
        // The label overloads of the value types scripts can make; a boolean
        // and a number reach different ones.
        .def("EdyUpdateLabel", &QueueCall<static_cast<std::string (*)(Id, bool)>(&P::UpdateLabel)>::Run)
        .def("EdyUpdateLabel", &QueueCall<static_cast<std::string (*)(Id, Id)>(&P::UpdateLabel)>::Run)
        .def("EdyUpdateLabel", &QueueCall<static_cast<std::string (*)(Id, float)>(&P::UpdateLabel)>::Run)
        .def("EdyUpdateLabel", &QueueCall<static_cast<std::string (*)(Id, const VectorF&)>(&P::UpdateLabel)>::Run)
        .def("EdyUpdateLabel", &QueueCall<static_cast<std::string (*)(Id, const VectorI&)>(&P::UpdateLabel)>::Run)
        .def("EdyUpdateLabel", &QueueCall<static_cast<std::string (*)(Id, const ColorRGB&)>(&P::UpdateLabel)>::Run)
        .def("EdyUpdateLabel", &QueueCall<static_cast<std::string (*)(Id, const ColorRGBA&)>(&P::UpdateLabel)>::Run)
        .def("EdyUpdateLabel", &QueueCall<static_cast<std::string (*)(Id, const IntervalI&)>(&P::UpdateLabel)>::Run)
        .def("EdyUpdateLabel", &QueueCall<static_cast<std::string (*)(Id, const IntervalF&)>(&P::UpdateLabel)>::Run)
        .def("EdyUpdateLabel", &QueueCall<static_cast<std::string (*)(Id, const RectI&)>(&P::UpdateLabel)>::Run)
        .def("EdyUpdateTextureLib", &EdyUpdateTextureLib)
        .def("EdyReloadTextureLib", &EdyReloadTextureLib)
        .def("EdySelectTexture", &EdySelectTexture)
        .def("EdyUpdateRobotLib", &EdyUpdateRobotLib)
        .def("EdyReloadRobotLib", &EdyReloadRobotLib)
        .def("EdyDeleteSelectedRobotDef", &EdyDeleteSelectedRobotDef)
        .def("EdySelectRobotInLib", &EdySelectRobotInLib)
        .def("EdyLoadRobotDef", +[](KIVGame& g, Id file) { EdyLoadRobotDef(g, file); })
        .def("EdyLoadRobotDef", &EdyLoadRobotDef)
        .def("EdyLoadRobotDefPrevVersionSelected", +[](KIVGame& g) { EdyLoadRobotDefPrevVersionSelected(g); })
        .def("EdyLoadRobotDefPrevVersionSelected", &EdyLoadRobotDefPrevVersionSelected)
        .def("EdyLoadRobotDefCurrentVersion", +[](KIVGame& g) { EdyLoadRobotDefCurrentVersion(g); })
        .def("EdyLoadRobotDefCurrentVersion", &EdyLoadRobotDefCurrentVersion)
        .def("EdyRequestEditWhat", &EdyRequestEditWhat)
        .def("EdyBuilderRefresh", &EdyBuilderRefresh)
        .def("RequireEdyWindowRefresh", &RequireEdyWindowRefresh)
        .def("SaveEdyBuilder", &SaveEdyBuilder)
        .def("LoadEdyBuilder", &LoadEdyBuilder)
        .def("LoadWindowsLayout", &LoadWindowsLayout)
        .def("SaveWindowsLayout", &SaveWindowsLayout)
        .def("GoEditRobotToy", &GoEditRobotToy)
        .def("GoEditRobotJoint", &GoEditRobotJoint)
        .def("GoEditRobotParticles", &GoEditRobotParticles)
        .def("GoEditMaterialParticles", &GoEditMaterialParticles)
        .def("GoEditDefaultMaterial", &GoEditDefaultMaterial)
        .def("GoEditObjectMaterial", &GoEditObjectMaterial)
        .def("GetBlendersList", &PageMethods::GetBlendersList);
}

} // namespace KIV
