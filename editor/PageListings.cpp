#include "editor/PageListings.h"
#include "base/TextFormat.h"
#include "editor/PageCalls.h"
#include "render/TextureLib.h"
#include "script/LuaResults.h"

namespace KIV {

std::vector<std::string> MakeLibraryListing(const std::string& prefix, const FolderSnapshot& snapshot)
{
    std::vector<std::string> calls;
    calls.push_back(prefix + "cleanup();");
    const int32_t folders = snapshot.mFolderNames.Count();
    for (int32_t d = 0; d < folders; ++d) {
        FolderRange range;
        if (!snapshot.GetRange(d, range)) continue;
        const std::string e = EscapeJsString(snapshot.mFolderNames[d]);
        calls.push_back(prefix + "add_dir('" + e + "','" + e + "'," + IntToText(range.mFirst) + "," +
                        IntToText(range.mEnd - range.mFirst) + ");");
    }
    for (int32_t d = 0; d < folders; ++d) {
        FolderRange range;
        if (!snapshot.GetRange(d, range)) continue;
        for (int32_t j = range.mFirst; j < range.mEnd; ++j) {
            const std::string& name = snapshot.mFileNames[j];
            calls.push_back(prefix + "add_file('" + EscapeJsString(name) + "','" + PercentEncodeText(name) + "','" +
                            IntToText(j) + "');");
        }
    }
    calls.push_back(prefix + "update_finish();");
    return calls;
}

std::string MakeLuaResultsPageText(const LuaResults& results)
{
    std::string text = "lua_res_window_revision = " + IntToText(results.GetChangeCounter()) + ";";
    for (int32_t k = 0; k < LuaResults::kCapacity; ++k) {
        const std::string box = "update_textbox('lres_box" + IntToText(k);
        if (k < results.GetCount()) {
            const LuaResult* r = results.GetNewest(k);
            text += box + "_1','" + PercentEncodeText("ERROR: " + r->mResult + " \nINFO: " + r->mSource) + "');";
            text += box + "_2','" + PercentEncodeText(r->mScript) + "');";
        } else {
            text += box + "_1','');" + box + "_2','');";
        }
    }
    return text;
}

} // namespace KIV
