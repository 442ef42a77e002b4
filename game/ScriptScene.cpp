#include <luabind/luabind.hpp>
#include "game/KIVGame.h"
#include "game/ScriptScopes.h"
#include "physics/toys/Toy.h"
#include "script/ScriptRef.h"

namespace KIV {

namespace {
// Scripts see the scene only as the leading part of the game object.
DrawOptions& GetDrawOptions(Scene& scene)
{
    return static_cast<KIVGame&>(scene).mDrawOptions;
}

ScriptRef<Toy> SelectedToy(Scene& scene)
{
    return ScriptRef<Toy>(scene.mToys.GetSelected());
}

ScriptRef<Joint> SelectedJoint(Scene& scene)
{
    return ScriptRef<Joint>(scene.mJoints.mJoints.GetSelected());
}

ScriptRef<BendObject> SelectedTerrainObject(Scene& scene)
{
    return ScriptRef<BendObject>(scene.mTerrainObjects.GetSelected());
}

// The material the editor's material pages work on.
ScriptRef<Material> EditedMaterial(Scene& scene)
{
    return ScriptRef<Material>(scene.mDefaultMaterials.GetEdited(scene.mToys.GetSelected()));
}
std::string EditedMaterialWhere(Scene& scene)
{
    return scene.mDefaultMaterials.GetEditedWhere(scene.mToys.GetSelected(), false);
}
void CopySelectedMaterial(Scene& scene)
{
    scene.mDefaultMaterials.CopyMaterial(scene.mDefaultMaterials.GetEdited(scene.mToys.GetSelected()));
}
void PasteMaterialToSelected(Scene& scene)
{
    scene.mDefaultMaterials.PasteMaterial(scene.mDefaultMaterials.GetEdited(scene.mToys.GetSelected()));
}
void SaveMaterials(Scene& scene) { static_cast<KIVGame&>(scene).SaveMaterials(); }

int32_t GetDefaultMaterialsCount(Scene& s) { return s.mDefaultMaterials.GetDefaultMaterialsCount(); }
std::string GetDefaultMaterialsListArray(Scene& s) { return s.mDefaultMaterials.GetDefaultMaterialsListArray(); }
int32_t GetSelectedDefaultMaterialIndex(Scene& s) { return s.mDefaultMaterials.GetSelectedDefaultMaterialIndex(); }
int32_t GetDefaultMaterialIndexByName(Scene& s, const FastName& name)
{
    return s.mDefaultMaterials.GetDefaultMaterialIndexByName(name);
}
FastName GetDefaultMaterialNameByIndex(Scene& s, int32_t i) { return s.mDefaultMaterials.GetDefaultMaterialNameByIndex(i); }
void SelectDefaultMaterial(Scene& s, int32_t i) { s.mDefaultMaterials.SelectDefaultMaterial(i); }
void SelectObjectMaterial(Scene& s) { s.mDefaultMaterials.SelectObjectMaterial(); }
void AddDefaultMaterial(Scene& s) { s.mDefaultMaterials.AddDefaultMaterial(); }
void DelDefaultMaterial(Scene& s) { s.mDefaultMaterials.DelDefaultMaterial(); }

ScriptRef<Scenario> TheScenario(Scene& scene) { return ScriptRef<Scenario>(&static_cast<KIVGame&>(scene).mScenario); }

// The robot being edited, seen as a robot and as its definition: one object, two classes to scripts.
ScriptRef<Robot> EditRobot(Scene& scene) { return ScriptRef<Robot>(static_cast<KIVGame&>(scene).GetEditRobot()); }
ScriptRef<RobotDef> EditRobotDef(Scene& scene)
{
    return ScriptRef<RobotDef>(static_cast<KIVGame&>(scene).GetEditRobot());
}
} // namespace

luabind::scope ScriptScopeScene()
{
    using namespace luabind;
    return class_<Scene>("Scene")
        .def("GetDrawOptions", &GetDrawOptions)
        .def("ST", &SelectedToy)
        .def("SJ", &SelectedJoint)
        .def("STO", &SelectedTerrainObject)
        .def("SCN", &TheScenario)
        .def("SM", &EditedMaterial)
        .def("SM_GetWhere", &EditedMaterialWhere)
        .def("GetDefaultMaterialsCount", &GetDefaultMaterialsCount)
        .def("GetDefaultMaterialsListArray", &GetDefaultMaterialsListArray)
        .def("GetSelectedDefaultMaterialIndex", &GetSelectedDefaultMaterialIndex)
        .def("GetDefaultMaterialIndexByName", &GetDefaultMaterialIndexByName)
        .def("GetDefaultMaterialNameByIndex", &GetDefaultMaterialNameByIndex)
        .def("SelectDefaultMaterial", &SelectDefaultMaterial)
        .def("SelectObjectMaterial", &SelectObjectMaterial)
        .def("AddDefaultMaterial", &AddDefaultMaterial)
        .def("DelDefaultMaterial", &DelDefaultMaterial)
        .def("CopySelectedMaterial", &CopySelectedMaterial)
        .def("PasteMaterialToSelected", &PasteMaterialToSelected)
        .def("SaveMaterials", &SaveMaterials)
        .def("GetEditRobot", &EditRobot)
        .def("GetEditRobotDef", &EditRobotDef);
}

} // namespace KIV
