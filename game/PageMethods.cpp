#include "game/PageMethods.h"
#include "base/FileUtils.h"
#include "base/TextFormat.h"
#include "editor/PageChannel.h"
#include "editor/PageListings.h"
#include "render/TextureLib.h"
#include "script/ScriptHost.h"

namespace KIV {

std::string KIVGame::GetDataPath(const std::string& name) const
{
    return (mDataRoot.empty() ? GetDataRootDirectory() : mDataRoot) + name;
}

void KIVGame::RunPageScripts()
{
    if (!gScriptHost) return;
    static ViewPageChannel viewChannel;
    mPageBridge.RunPageScripts(mEditWindows, *gScriptHost, mPageChannel ? *mPageChannel : viewChannel);
}

namespace PageMethods {

namespace {
void QueueListing(KIVGame& game, int32_t kind, const std::string& prefix, const FolderSnapshot& snapshot)
{
    EditWindow* window = PageBridge::FirstOfKind(game.mEditWindows, kind);
    if (!window) return;
    for (const std::string& call : MakeLibraryListing(prefix, snapshot)) window->QueueJavascript(call);
}

std::string ColorPickerPath(const KIVGame& game) { return game.GetDataPath(ColorPickerTable::kFileName); }
} // namespace

void EdyUpdateTexture(KIVGame& game, const std::string& id, const std::string& file)
{
    game.mPageBridge.QueueForCurrent(PageCalls::UpdateTexture(id, file));
}

void EdyUpdateTextureSized(KIVGame& game, const std::string& id, const std::string& file, const VectorI& size)
{
    game.mPageBridge.QueueForCurrent(PageCalls::UpdateTexture(id, file, size));
}

void EdyUpdateColor(KIVGame& game, const std::string& id, const ColorRGBA& c)
{
    game.mPageBridge.QueueForCurrent(PageCalls::UpdateColor(id, ColorRGB(c.mRed, c.mGreen, c.mBlue)));
}

void EdyUpdateColorRGB(KIVGame& game, const std::string& id, const ColorRGB& c)
{
    game.mPageBridge.QueueForCurrent(PageCalls::UpdateColor(id, c));
}

void EdyRefreshColorPickerColor(KIVGame& game, const ColorRGBA& c)
{
    game.mPageBridge.QueueForCurrent(PageCalls::RefreshColor(c));
}

void EdyRefreshColorPickerColorRGB(KIVGame& game, const ColorRGB& c)
{
    game.mPageBridge.QueueForCurrent(PageCalls::RefreshColor(ColorRGBA(c.mRed, c.mGreen, c.mBlue, 255)));
}

namespace {
void OpenColourPicker(KIVGame& game, const std::string& call, const std::string& caption)
{
    EditWindow* picker = PageBridge::FirstOfKind(game.mEditWindows, EditWindow::kColourPicker);
    if (!picker) return;
    picker->QueueJavascript(call);
    picker->Show();
    const std::string decoded = DecodePercentEscapes(caption);
    picker->SetTitle(decoded.empty() ? "COLOR PICKER" : "COLOR PICKER - " + decoded);
    game.mEditWindows.FocusWindow(picker);
}
} // namespace

void ColorPickStart(KIVGame& game, const std::string& id, const ColorRGBA& colour, const std::string& a,
                    const std::string& b, const std::string& c,
                    const std::string& caption)
{
    OpenColourPicker(game, PageCalls::PickColorStart(id, colour, a, b, c), caption);
}

void ColorPickStartRGB(KIVGame& game, const std::string& id, const ColorRGB& colour, const std::string& a,
                       const std::string& b, const std::string& c, const std::string& caption)
{
    OpenColourPicker(game, PageCalls::PickColorStart(id, colour, a, b, c), caption);
}

void SaveColorPickerTableColor(KIVGame& game, int32_t x, int32_t y, int32_t red, int32_t green, int32_t blue,
                               int32_t alpha)
{
    game.mColorPickerTable.StoreColor(ColorPickerPath(game), x, y,
                                      ColorRGBA(uint8_t(red), uint8_t(green), uint8_t(blue), uint8_t(alpha)));
}

void GetColorPickerTableColors(KIVGame& game)
{
    EditWindow* picker = PageBridge::FirstOfKind(game.mEditWindows, EditWindow::kColourPicker);
    if (!picker) return;
    if (!game.mColorPickerTable.IsLoaded()) game.mColorPickerTable.Load(ColorPickerPath(game));
    picker->QueueJavascript("inject_color_table(" + game.mColorPickerTable.GetArrayText() + ");");
}

std::string GetBlendersList(KIVGame&) { return KIV::GetBlendersList(); }

void EdyUpdateLuaResWindow(KIVGame& game, int32_t revision)
{
    if (!gScriptHost) return;
    const LuaResults& results = gScriptHost->GetResults();
    if (revision == results.GetChangeCounter()) return;
    PageBridge::QueueForKind(game.mEditWindows, EditWindow::kLuaErrors, MakeLuaResultsPageText(results));
}

void EdyUpdateTextureLib(KIVGame& game)
{
    if (game.mTextureLib) QueueListing(game, EditWindow::kTextureLibrary, "texlib_", game.mTextureLib->mCurrent);
}

void EdyReloadTextureLib(KIVGame& game)
{
    if (game.mTextureLib) game.mTextureLib->Rescan();
    EdyUpdateTextureLib(game);
}

void EdySelectTexture(KIVGame& game, const std::string& name)
{
    const std::string decoded = DecodePercentEscapes(name);
    if (decoded.empty() || !game.mTextureLib || !game.mTextureLib->SelectTexture(decoded)) return;
    game.mPageBridge.QueueForCurrent(PageCalls::SelectInLibrary("texlib_", "texture", decoded));
}

void EdyUpdateRobotLib(KIVGame& game)
{
    QueueListing(game, EditWindow::kRobotLibrary, "robotlib_", game.mRobotLibrary.GetSnapshot());
}

void EdyReloadRobotLib(KIVGame& game)
{
    game.mRobotLibrary.SetFolder(game.GetDataPath("Robots"));
    game.mRobotLibrary.Reload();
    EdyUpdateRobotLib(game);
}

void EdySelectRobotInLib(KIVGame& game, const std::string& name)
{
    const std::string decoded = DecodePercentEscapes(name);
    if (!game.mRobotLibrary.SelectByName(decoded)) return;
    game.mPageBridge.QueueForCurrent(PageCalls::SelectInLibrary("robotlib_", "robot", decoded));
}

void EdyDeleteSelectedRobotDef(KIVGame& game)
{
    game.mRobotLibrary.SetFolder(game.GetDataPath("Robots"));
    game.mRobotLibrary.DeleteSelected();
}

std::string UnEscapeString(KIVGame&, const std::string& text) { return DecodePercentEscapes(text); }

} // namespace PageMethods
} // namespace KIV
