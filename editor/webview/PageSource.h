#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "editor/webview/pak/PakReader.h"

namespace KIV {

// Finds the bytes of a page file for the layer's URL scheme. A page may reach
// the files under the folders it was allowed (the editor's pages show the
// game's pictures beside them), nothing else. A file is read from its folder;
// when the folder does not hold it, from a pack named after an enclosing
// folder: "<root>/Editor/page.html" may come from "<root>/Editor.pak" entry
// "page.html". Packs are read once and kept until Clear.
class PageSource {
public:
    void AllowFolder(const std::string& absoluteFolder);
    bool IsAllowed(const std::string& absolutePath) const;

    // Empty on success, else why there is no page (refused, missing, damaged
    // pack). A damaged pack is reported as a notice the first time it is met.
    std::string Fetch(const std::string& absolutePath, std::vector<uint8_t>& bytes);
    // Forgets the packs read, so changed packs are read again.
    void Clear();

    static std::string GetMimeType(const std::string& path);

private:
    struct LoadedPack {
        std::unique_ptr<PakFile> mFile;
        std::string mError;
    };
    const LoadedPack& GetPack(const std::string& packPath);

    std::vector<std::string> mAllowed;
    std::map<std::string, LoadedPack> mPacks;
};

} // namespace KIV
