#include "base/FileUtils.h"
#include "base/MemoryStream.h"
#include "base/Notices.h"
#include "base/Platform.h"
#include "editor/PageCalls.h"
#include "editor/WindowsLayout.h"
#include "game/PageMethods.h"

namespace KIV {
namespace PageMethods {

namespace {
const char kBuilderFile[] = "Editor\\kiv_editor_builder.kiv";
} // namespace

EdyBuilder& GetEdyBuilder(KIVGame& game) { return game.mEdyBuilder; }

void LoadEdyBuilder(KIVGame& game)
{
    const std::string path = game.GetDataPath(kBuilderFile);
    MemoryStream stream;
    if (!stream.LoadFromFile(path)) return;
    game.mEdyBuilder.Read(stream);
    if (stream.HasReadPastEnd())
        ReportNotice("the editor builder file " + game.GetShownPath(path) + " is cut short; its pages are read as far as they go");
}

void SaveEdyBuilder(KIVGame& game)
{
    const std::string path = game.GetDataPath(kBuilderFile);
    MemoryStream stream;
    stream.SetGrowStep(1024);
    game.mEdyBuilder.Write(stream);
    CreateFolders(GetPathDirectory(path));
    if (!SaveStreamWithBackup(stream, path))
        ReportNotice("the editor builder could not be saved to " + game.GetShownPath(path) + ": " +
                     stream.GetFailReason());
}

void ReloadEdyPages(KIVGame& game)
{
    for (int32_t mode = 0; mode < EditWindowManager::kModePageCount; ++mode)
        if (EditWindow* w = game.mEditWindows.GetWindow(mode))
            w->QueueJavascript(PageCalls::ReloadEdyPage(game.mEdyBuilder.GetPageScript(mode)));
}

void RequireEdyWindowRefresh(KIVGame& game)
{
    const int32_t index = game.mPageBridge.GetCurrentIndex();
    if (index < 0) return;
    game.mPageBridge.QueueForCurrent(PageCalls::ReloadEdyPage(game.mEdyBuilder.GetPageScript(index)));
}

void EdyBuilderRefresh(KIVGame& game)
{
    if (EditWindow* w = game.mEditWindows.GetWindow(game.mEdyBuilder.GetSelectedPageIndex())) w->Reload();
}

bool SaveWindowsLayout(KIVGame& game, int32_t number)
{
    // The game window's place on the desktop is the window system's; only its size is ours.
    const int32_t gameWindow[4] = {0, 0, game.mWindowWidth, game.mWindowHeight};
    MemoryStream stream;
    const std::string path = game.GetDataPath(WindowsLayout::GetFileName(number));
    CreateFolders(GetPathDirectory(path));
    if (WriteWindowsLayout(stream, CaptureWindowsLayout(game.mEditWindows, gameWindow)) && stream.SaveToFile(path))
        return true;
    ReportNotice("the windows layout could not be saved to " + game.GetShownPath(path) + ": " + stream.GetFailReason());
    return false;
}

bool LoadWindowsLayout(KIVGame& game, int32_t number)
{
    const std::string path = game.GetDataPath(WindowsLayout::GetFileName(number));
    MemoryStream stream;
    if (!stream.LoadFromFile(path)) return false;
    WindowsLayout layout;
    if (!ReadWindowsLayout(stream, layout)) return false;
    if (layout.mGameFieldsRead == 4 &&
        (layout.mGameWindow[2] != game.mWindowWidth || layout.mGameWindow[3] != game.mWindowHeight))
        game.RequestWindowResize(layout.mGameWindow[2], layout.mGameWindow[3]);
    ApplyWindowsLayout(layout, game.mEditWindows);
    if (stream.HasReadPastEnd())
        ReportNotice("the windows layout " + game.GetShownPath(path) + " is cut short; the windows it holds are placed");
    return true;
}

} // namespace PageMethods
} // namespace KIV
