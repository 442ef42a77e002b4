#include <luabind/luabind.hpp>
#include "game/KIVGame.h"
#include "game/SceneSelection.h"
#include "game/ScriptScopes.h"
#include "game/SelectionCommands.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "script/ScriptRef.h"

namespace KIV {

namespace {
// Scripts see the scene only as the leading part of the game object.
DrawOptions& GetDrawOptions(Scene& scene)
{
    return static_cast<KIVGame&>(scene).mDrawOptions;
}

ScriptRef<Toy> ST(Scene& scene) { return ScriptRef<Toy>(SelectedToy(static_cast<KIVGame&>(scene))); }
ScriptRef<Joint> SJ(Scene& scene) { return ScriptRef<Joint>(SelectedJoint(static_cast<KIVGame&>(scene))); }
ScriptRef<ParticleSystem> SPS(Scene& scene)
{
    return ScriptRef<ParticleSystem>(SelectedParticleSystem(static_cast<KIVGame&>(scene)));
}

ScriptRef<BendObject> SelectedTerrainObject(Scene& scene)
{
    return ScriptRef<BendObject>(scene.mTerrainObjects.GetSelected());
}

// The material the editor's material pages work on.
ScriptRef<Material> SM(Scene& scene) { return ScriptRef<Material>(EditedMaterial(static_cast<KIVGame&>(scene))); }
std::string EditedMaterialWhere(Scene& scene)
{
    Toy* toy = SelectedToy(static_cast<KIVGame&>(scene));
    return scene.mDefaultMaterials.GetEditedWhere(toy, scene.mToyClickPick != 0);
}
void CopySelectedMaterial(Scene& scene)
{
    scene.mDefaultMaterials.CopyMaterial(EditedMaterial(static_cast<KIVGame&>(scene)));
}
void PasteMaterialToSelected(Scene& scene)
{
    scene.mDefaultMaterials.PasteMaterial(EditedMaterial(static_cast<KIVGame&>(scene)));
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
// The robot editor's commands: the scene is the leading part of the game, which keeps the edit robot.
KIVGame& Game(Scene& scene) { return static_cast<KIVGame&>(scene); }
// Each replacing command also takes a force flag: the form a page's confirmation sends.
void ClearRobotForEditing(Scene& s) { Game(s).ClearRobotForEditing(); }
void ClearRobotForEditingForced(Scene& s, bool force) { Game(s).ClearRobotForEditing(force); }
void LoadRobotForEditing(Scene& s, std::string file) { Game(s).LoadRobotForEditing(file); }
void LoadRobotForEditingForced(Scene& s, std::string file, bool force) { Game(s).LoadRobotForEditing(file, force); }
void LoadRobotDefCurrentVersion(Scene& s) { Game(s).LoadRobotDefCurrentVersion(); }
void LoadRobotDefCurrentVersionForced(Scene& s, bool force) { Game(s).LoadRobotDefCurrentVersion(force); }
void LoadRobotDefPrevVersionSelected(Scene& s) { Game(s).LoadRobotDefPrevVersionSelected(); }
void LoadRobotDefPrevVersionSelectedForced(Scene& s, bool force) { Game(s).LoadRobotDefPrevVersionSelected(force); }
void SaveRobot(Scene& s) { Game(s).SaveRobot(); }
void RobotUndoNow(Scene& s) { Game(s).RobotUndoNow(); }
void RobotRedoNow(Scene& s) { Game(s).RobotRedoNow(); }
void RobotUndoAutoSave(Scene& s, std::string caption) { Game(s).RobotUndoAutoSave(caption); }
void RobotUndoAutoSaveStartSerie(Scene& s, std::string caption) { Game(s).RobotUndoAutoSaveStartSerie(caption); }
void RobotUndoAutoSaveEndSerie(Scene& s) { Game(s).RobotUndoAutoSaveEndSerie(); }
void EditRobotSetObjectPosByTexture(Scene& s) { Game(s).EditRobotSetObjectPosByTexture(); }
bool SelectEditRobotToy(Scene& s) { return Game(s).SelectEditRobotToy(); }
bool SelectEditRobotParticles(Scene& s) { return Game(s).SelectEditRobotParticles(); }
void GunShot_Test2(Scene& s, Toy* gun, Robot* robot) { Game(s).GunShot_Test2(gun, robot); }
} // namespace

luabind::scope ScriptScopeScene()
{
    using namespace luabind;
    return class_<Scene>("Scene")
        .def("GetDrawOptions", &GetDrawOptions)
        .def("ST", &ST)
        .def("SJ", &SJ)
        .def("SPS", &SPS)
        .def("STO", &SelectedTerrainObject)
        .def("SCN", &TheScenario)
        .def("SM", &SM)
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
        .def("GetEditRobotDef", &EditRobotDef)
        .def("STO_GetLayer", &STO_GetLayer)
        .def("STO_SetCollisions", &STO_SetCollisions)
        .def("STO_GetCollisions", &STO_GetCollisions)
        .def("STO_SetPassDynamics", &STO_SetPassDynamics)
        .def("STO_GetPassDynamics", &STO_GetPassDynamics)
        .def("STO_SetPassParticles", &STO_SetPassParticles)
        .def("STO_GetPassParticles", &STO_GetPassParticles)
        .def("STO_SetSlippery", &STO_SetSlippery)
        .def("STO_GetSlippery", &STO_GetSlippery)
        .def("STO_SetFillColor", &STO_SetFillColor)
        .def("STO_GetFillColor", &STO_GetFillColor)
        .def("STO_SetFogColor", &STO_SetFogColor)
        .def("STO_GetFogColor", &STO_GetFogColor)
        .def("STO_SetBlender", &STO_SetBlender)
        .def("STO_GetBlender", &STO_GetBlender)
        .def("STO_SetTexColorOp", &STO_SetTexColorOp)
        .def("STO_GetTexColorOp", &STO_GetTexColorOp)
        .def("STO_SetAlphaExtrude", &STO_SetAlphaExtrude)
        .def("STO_GetAlphaExtrude", &STO_GetAlphaExtrude)
        .def("STO_SetLighted", &STO_SetLighted)
        .def("STO_GetLighted", &STO_GetLighted)
        .def("STO_SetDefaultMaterial", &STO_SetDefaultMaterial)
        .def("STO_Rotate", &STO_Rotate)
        .def("STO_Scale", &STO_Scale)
        .def("STO_ScaleXY", &STO_ScaleXY)
        .def("STO_MoveXY", &STO_MoveXY)
        .def("STO_SetFragments", &STO_SetFragments)
        .def("STO_SetDefaultFragments", &STO_SetDefaultFragments)
        .def("SPS_GetWhere", &SPS_GetWhere)
        .def("SPS_GetLinkedToyName", &SPS_GetLinkedToyName)
        .def("SPS_GetLinkedRobotName", &SPS_GetLinkedRobotName)
        .def("MakeNewPhotoForRobot", &MakeNewPhotoForRobot)
        .def("ClearRobotForEditing", &ClearRobotForEditing)
        .def("ClearRobotForEditing", &ClearRobotForEditingForced)
        .def("LoadRobotForEditing", &LoadRobotForEditing)
        .def("LoadRobotForEditing", &LoadRobotForEditingForced)
        .def("LoadRobotDefCurrentVersion", &LoadRobotDefCurrentVersion)
        .def("LoadRobotDefCurrentVersion", &LoadRobotDefCurrentVersionForced)
        .def("LoadRobotDefPrevVersionSelected", &LoadRobotDefPrevVersionSelected)
        .def("LoadRobotDefPrevVersionSelected", &LoadRobotDefPrevVersionSelectedForced)
        .def("SaveRobot", &SaveRobot)
        .def("RobotUndoNow", &RobotUndoNow)
        .def("RobotRedoNow", &RobotRedoNow)
        .def("RobotUndoAutoSave", &RobotUndoAutoSave)
        .def("RobotUndoAutoSaveStartSerie", &RobotUndoAutoSaveStartSerie)
        .def("RobotUndoAutoSaveEndSerie", &RobotUndoAutoSaveEndSerie)
        .def("EditRobotSetObjectPosByTexture", &EditRobotSetObjectPosByTexture)
        .def("SelectEditRobotToy", &SelectEditRobotToy)
        .def("SelectEditRobotParticles", &SelectEditRobotParticles)
        .def("GunShot_Test2", &GunShot_Test2);
}

} // namespace KIV
