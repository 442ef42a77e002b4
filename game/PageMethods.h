#pragma once
#include <cstdint>
#include <string>
#include "base/Color.h"
#include "base/Interval.h"
#include "base/Rect.h"
#include "base/Vector.h"
#include "editor/PageCalls.h"
#include "game/KIVGame.h"

namespace KIV {

// The game object's methods that pages call from their snippets. They live
// beside the game object rather than in it: scripts reach them as methods of
// "kiv"; the game itself calls only the mode switch and the robot library's
// refresh, where its own keys and its robot photo do what a page would.
namespace PageMethods {

// Queues a page call's text in the window whose snippet is running.
template <auto Make>
struct QueueCall;
template <class... A, std::string (*Make)(A...)>
struct QueueCall<Make> {
    static void Run(KIVGame& game, A... a) { game.mPageBridge.QueueForCurrent(Make(a...)); }
};

void EdyUpdateTexture(KIVGame& game, const std::string& id, const std::string& file);
void EdyUpdateTextureSized(KIVGame& game, const std::string& id, const std::string& file, const VectorI& size);
void EdyUpdateColor(KIVGame& game, const std::string& id, const ColorRGBA& colour);
void EdyUpdateColorRGB(KIVGame& game, const std::string& id, const ColorRGB& colour);
void EdyRefreshColorPickerColor(KIVGame& game, const ColorRGBA& colour);
void EdyRefreshColorPickerColorRGB(KIVGame& game, const ColorRGB& colour);
void ColorPickStart(KIVGame& game, const std::string& id, const ColorRGBA& colour, const std::string& a,
                    const std::string& b, const std::string& c,
                    const std::string& caption);
void ColorPickStartRGB(KIVGame& game, const std::string& id, const ColorRGB& colour, const std::string& a,
                       const std::string& b, const std::string& c, const std::string& caption);
void SaveColorPickerTableColor(KIVGame& game, int32_t x, int32_t y, int32_t red, int32_t green, int32_t blue,
                               int32_t alpha);
void GetColorPickerTableColors(KIVGame& game);
std::string GetBlendersList(KIVGame& game);
void EdyUpdateLuaResWindow(KIVGame& game, int32_t revision);
void EdyUpdateTextureLib(KIVGame& game);
void EdyReloadTextureLib(KIVGame& game);
void EdySelectTexture(KIVGame& game, const std::string& name);
void EdyUpdateRobotLib(KIVGame& game);
void EdyReloadRobotLib(KIVGame& game);
void EdySelectRobotInLib(KIVGame& game, const std::string& name);
void EdyDeleteSelectedRobotDef(KIVGame& game);
// Load a robot for editing (the file percent-encoded as pages send it), its
// selected earlier version or its current file; the robot editor's view then
// eases from far out onto it. Unsaved changes of the edit robot are kept
// unless `force`: the page is asked whether to discard them.
void EdyLoadRobotDef(KIVGame& game, const std::string& file, bool force = false);
void EdyLoadRobotDefPrevVersionSelected(KIVGame& game, bool force = false);
void EdyLoadRobotDefCurrentVersion(KIVGame& game, bool force = false);
std::string UnEscapeString(KIVGame& game, const std::string& text);

// The editor's files.
void LoadEdyBuilder(KIVGame& game);
void SaveEdyBuilder(KIVGame& game);
void ReloadEdyPages(KIVGame& game);
void RequireEdyWindowRefresh(KIVGame& game);
void EdyBuilderRefresh(KIVGame& game);
bool SaveWindowsLayout(KIVGame& game, int32_t number);
bool LoadWindowsLayout(KIVGame& game, int32_t number);
EdyBuilder& GetEdyBuilder(KIVGame& game);

// Edit-page switching and window toggles.
void SwitchEditMode(KIVGame& game, int32_t mode);
void EdyRequestEditWhat(KIVGame& game, int32_t mode);
void GoEditRobotToy(KIVGame& game);
void GoEditRobotJoint(KIVGame& game);
void GoEditRobotParticles(KIVGame& game);
void GoEditMaterialParticles(KIVGame& game, int32_t number);
void GoEditDefaultMaterial(KIVGame& game);
void GoEditObjectMaterial(KIVGame& game);
void ShowHideRobotEditor(KIVGame& game);
void ShowHideRobotLibrary(KIVGame& game);
void ShowHideTextureLibrary(KIVGame& game);
void ShowLuaConsole(KIVGame& game);
void CleanUpLuaResults(KIVGame& game);

} // namespace PageMethods
} // namespace KIV
