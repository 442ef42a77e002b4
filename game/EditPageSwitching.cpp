#include "game/PageMethods.h"
#include "base/TextFormat.h"
#include "game/KIVGame.h"
#include "game/SceneSelection.h"
#include "script/ScriptHost.h"

namespace KIV {
namespace PageMethods {

void SwitchEditMode(KIVGame& game, int32_t mode)
{
    game.mEditMode = mode;
    game.mEditSubMode = 0;
    if (mode < game.mEdyBuilder.GetPageCount()) game.mEdyBuilder.SelectPage(mode);
    game.mEditWindows.FocusWindow(mode);
}

void EdyRequestEditWhat(KIVGame& game, int32_t mode)
{
    if (mode >= 0 && mode < EditWindowManager::kModePageCount) SwitchEditMode(game, mode);
}

void GoEditRobotToy(KIVGame& game)
{
    game.mRobotEditTarget = 0;
    game.SelectEditRobotToy();
    SwitchEditMode(game, 3);
}

void GoEditRobotJoint(KIVGame& game)
{
    game.mRobotEditTarget = 1;
    game.SelectEditRobotJoint();
    SwitchEditMode(game, 4);
}

void GoEditRobotParticles(KIVGame& game)
{
    game.mRobotEditTarget = 2;
    game.SelectEditRobotParticles();
    SwitchEditMode(game, 5);
}

// The number is also the family whose templates the particle-system page
// then shows (3 dent, 4 entry hole, 5 exit hole).
void GoEditMaterialParticles(KIVGame& game, int32_t number)
{
    game.mMaterialParticleEditNumber = number;
    game.mSceneEditor.mParticleMaterialMode = number;
    if (number <= 0) return;
    if (SelectedParticleSystem(game)) {
        SwitchEditMode(game, kEditModeParticles);
        return;
    }
    game.mMaterialParticleEditNumber = 0;
    game.mSceneEditor.mParticleMaterialMode = 0;
}

// The material pages live on the last mode page.
void GoEditDefaultMaterial(KIVGame& game)
{
    game.mDefaultMaterials.mInUse = game.mDefaultMaterials.GetSelectedDefaultMaterialIndex();
    SwitchEditMode(game, kEditModeTests);
}

void GoEditObjectMaterial(KIVGame& game)
{
    game.mDefaultMaterials.SelectObjectMaterial();
    SwitchEditMode(game, kEditModeTests);
}

namespace {
void ResetRobotEditorView(KIVGame& game)
{
    if (!game.mEditWindows.GetRobotEditorWindow()) return;
    ViewCamera& camera = game.mRobotPanel.mCamera;
    camera.mTargetPosition = VectorF(0.0f, 0.0f);
    camera.mZoom = 0.05f;
    camera.mTargetZoom = 0.25f;
}
} // namespace

// The Lua stack is not cleared here as the page call asks: this runs inside
// the script's own call, whose frame that would pull away. A refused load
// leaves the view where it is.
void EdyLoadRobotDef(KIVGame& game, const std::string& file, bool force)
{
    const std::string name = DecodePercentEscapes(file);
    if (!game.MayReplaceEditRobot(force, "kiv:EdyLoadRobotDef('" + PercentEncodeText(name) + "', true)")) return;
    game.LoadRobotForEditing(name, true);
    ResetRobotEditorView(game);
}

void EdyLoadRobotDefPrevVersionSelected(KIVGame& game, bool force)
{
    Robot* robot = game.GetEditRobot();
    if (!robot) return;
    // With no earlier version there is nothing to load, and nothing to ask.
    robot->RefreshPrevVersions();
    if (robot->GetSelectedPrevVersion().empty()) return;
    if (!game.MayReplaceEditRobot(force, "kiv:EdyLoadRobotDefPrevVersionSelected(true)")) return;
    game.LoadRobotDefPrevVersionSelected(true);
    ResetRobotEditorView(game);
}

void EdyLoadRobotDefCurrentVersion(KIVGame& game, bool force)
{
    if (!game.MayReplaceEditRobot(force, "kiv:EdyLoadRobotDefCurrentVersion(true)")) return;
    game.LoadRobotDefCurrentVersion(true);
    ResetRobotEditorView(game);
}

void ShowHideRobotEditor(KIVGame& game)
{
    game.mGameMode = false;
    game.mEditWindows.ShowHideRobotEditor(true);
    game.mEditMode = 2;
    game.mEditSubMode = 0;
}

void ShowHideRobotLibrary(KIVGame& game)
{
    game.mGameMode = false;
    game.mEditWindows.ShowHideRobotLibrary();
}

void ShowHideTextureLibrary(KIVGame& game)
{
    game.mGameMode = false;
    game.mEditWindows.ShowHideTextureLibrary();
}

void ShowLuaConsole(KIVGame& game) { game.mEditWindows.ShowHideLuaConsole(); }

void CleanUpLuaResults(KIVGame& game)
{
    if (!gScriptHost) return;
    gScriptHost->GetResults().Clear();
    game.mAcknowledgedResultsCounter = gScriptHost->GetResults().GetChangeCounter();
}

} // namespace PageMethods
} // namespace KIV
