// What the robot editor's pages ask of the scene: the edit robot loaded,
// emptied, saved, taken back and forth through its undo history and its
// previous versions, and the general part pages kept on its parts.
#include "base/TextFormat.h"
#include "editor/PageCalls.h"
#include "game/KIVGame.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "robots/EditRobotReplaceGuard.h"
#include "robots/RobotFiles.h"

namespace KIV {

namespace {
// The game's edit modes whose general pages can work on the edit robot's parts.
constexpr int32_t kEditModeToys = 3;
constexpr int32_t kEditModeJoints = 4;

template <typename T, typename Id>
int32_t FindLastWithId(const PtrArray<T>& list, int32_t id, Id idOf)
{
    for (int32_t i = list.Count() - 1; i >= 0; --i)
        if (idOf(*list[i]) == id) return i;
    return -1;
}
} // namespace

bool KIVGame::MayReplaceEditRobot(bool force, const std::string& forcedSnippet)
{
    if (KIV::MayReplaceEditRobot(GetEditRobot(), force)) return true;
    // Outside a page's snippet there is no page to ask, and nothing is queued.
    mPageBridge.QueueForCurrent(
        PageCalls::ConfirmForced("The robot being edited has unsaved changes. Discard them?", forcedSnippet));
    return false;
}

bool KIVGame::ClearRobotForEditing(bool force)
{
    if (!MayReplaceEditRobot(force, "scene:ClearRobotForEditing(true)")) return false;
    mEditRobots.RemoveRobot(GetEditRobot());
    mEditRobots.AddRobot("", VectorF());
    return true;
}

bool KIVGame::LoadRobotForEditing(const std::string& file, bool force)
{
    // Percent-encoded, the name is a safe Lua literal whatever it holds.
    const std::string forced = "scene:LoadRobotForEditing(kiv:UnEscapeString('" + PercentEncodeText(file) + "'), true)";
    if (!MayReplaceEditRobot(force, forced)) return false;
    mEditRobots.RemoveRobot(GetEditRobot());
    mEditRobots.AddRobot(file, VectorF());
    return true;
}

void KIVGame::LoadRobotDefCurrentVersion(bool force)
{
    Robot* robot = GetEditRobot();
    if (!robot || !MayReplaceEditRobot(force, "scene:LoadRobotDefCurrentVersion(true)")) return;
    LoadRobotForEditing(robot->GetFileName() + ".robot", true);
}

void KIVGame::LoadRobotDefPrevVersionSelected(bool force)
{
    Robot* robot = GetEditRobot();
    if (!robot) return;
    robot->RefreshPrevVersions();
    const std::string version = robot->GetSelectedPrevVersion();
    if (version.empty() || !MayReplaceEditRobot(force, "scene:LoadRobotDefPrevVersionSelected(true)")) return;
    LoadRobotForEditing("backups\\" + version, true);
    robot = GetEditRobot();
    // Saving now makes the previous version the current file again.
    robot->RecordChange("previous version load");
    robot->GetUndoHistory().Clear();
}

void KIVGame::SaveRobot()
{
    Robot* robot = GetEditRobot();
    if (robot && !robot->GetName().empty()) SaveRobotFile(*robot);
}

void KIVGame::RobotUndoNow()
{
    Robot* robot = GetEditRobot();
    if (!robot || !mEditRobots.RestoreStep(*robot, false)) return;
    SelectEditRobotParts();
}

void KIVGame::RobotRedoNow()
{
    Robot* robot = GetEditRobot();
    if (!robot || !mEditRobots.RestoreStep(*robot, true)) return;
    SelectEditRobotParts();
}

bool KIVGame::IsEditingEditRobotPart() const
{
    const Robot* robot = GetEditRobot();
    if (!robot) return false;
    if (mEditMode == kEditModeToys) {
        const Toy* toy = mEditToys.GetSelected();
        return toy && toy->mOwningRobot == robot;
    }
    if (mEditMode == kEditModeJoints) {
        const Joint* joint = mEditJoints.mJoints.GetSelected();
        return joint && joint->mRobot == robot;
    }
    if (mEditMode == kEditModeParticles) {
        // Only the builder's own pick: a material's templates are no part of the robot.
        if (!mSceneEditor.mParticlesInRobotBuilder || mSceneEditor.mParticleMaterialMode > 0) return false;
        const ParticleSystem* system = mEditParticleSystems.mSystems.GetSelected();
        return system && system->mLinkedRobot == robot;
    }
    return false;
}

void KIVGame::RobotUndoAutoSave(const std::string& caption)
{
    if (IsEditingEditRobotPart()) GetEditRobot()->RecordChange(caption);
}

void KIVGame::RobotUndoAutoSaveStartSerie(const std::string& caption)
{
    if (IsEditingEditRobotPart()) GetEditRobot()->StartUndoSerie(caption);
}

void KIVGame::RobotUndoAutoSaveEndSerie()
{
    if (Robot* robot = GetEditRobot()) robot->EndUndoSerie();
}

void KIVGame::EditRobotSetObjectPosByTexture()
{
    Robot* robot = GetEditRobot();
    if (!robot) return;
    const int32_t index = robot->GetObjectSelectedIndex();
    Toy* toy = index >= 0 ? robot->GetToy(index) : nullptr;
    if (!toy) return;
    robot->StartUndoSerie("object position by texture");
    robot->ObjectSetPosX(toy->mPictureExtent.mX);
    robot->ObjectSetPosY(toy->mPictureExtent.mY);
    robot->EndUndoSerie();
}

bool KIVGame::SelectEditRobotToy()
{
    const Robot* robot = GetEditRobot();
    const ObjectDef* object = robot ? robot->Objects().GetSelected() : nullptr;
    if (!object) return false;
    const int32_t i = FindLastWithId(mEditToys, object->mBuiltToyId, [](const Toy& t) { return t.mSlotIndex; });
    if (i < 0) return false;
    mEditToys.Select(i);
    mToyClickPick = 1;
    return true;
}

bool KIVGame::SelectEditRobotJoint()
{
    const Robot* robot = GetEditRobot();
    const JointDef* entry = robot ? robot->Joints().GetSelected() : nullptr;
    if (!entry) return false;
    const int32_t i =
        FindLastWithId(mEditJoints.mJoints, entry->mBuiltJointId, [](const Joint& j) { return j.mFirstIndex; });
    if (i < 0) return false;
    mEditJoints.mJoints.Select(i);
    mJointClickPick = 1;
    return true;
}

bool KIVGame::SelectEditRobotParticles()
{
    const Robot* robot = GetEditRobot();
    const ParticlesDef* link = robot ? robot->ParticleLinks().GetSelected() : nullptr;
    if (!link) return false;
    const int32_t i = FindLastWithId(mEditParticleSystems.mSystems, link->mBuiltSystemId,
                                     [](const ParticleSystem& s) { return s.mPoolIndex; });
    if (i < 0) return false;
    mEditParticleSystems.mSystems.Select(i);
    // The particle page shows the robot builder's system, not a material's template.
    mSceneEditor.mParticlesInRobotBuilder = true;
    mSceneEditor.mParticleMaterialMode = 0;
    mMaterialParticleEditNumber = 0;
    return true;
}

void KIVGame::SelectEditRobotParts()
{
    SelectEditRobotToy();
    SelectEditRobotJoint();
    SelectEditRobotParticles();
}

} // namespace KIV
