#include "editor/webview/PageSource.h"

#include "base/Notices.h"
#include "editor/webview/WebURL.h"
#include "editor/webview/pak/FileBytes.h"
#include "editor/webview/pak/PakFormat.h"

#include <sys/stat.h>

#include <algorithm>

namespace KIV {

namespace {

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

void PageSource::AllowFolder(const std::string& absoluteFolder)
{
    std::string folder;
    if (!WebURL::NormalisePath(absoluteFolder, folder)) {
        return;
    }
    if (std::find(mAllowed.begin(), mAllowed.end(), folder) == mAllowed.end()) {
        mAllowed.push_back(folder);
    }
}

bool PageSource::IsAllowed(const std::string& path) const
{
    for (const std::string& folder : mAllowed) {
        if (folder == "/" || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              path[folder.size()] == '/')) {
            return true;
        }
    }
    return false;
}

const PageSource::LoadedPack& PageSource::GetPack(const std::string& packPath)
{
    auto it = mPacks.find(packPath);
    if (it == mPacks.end()) {
        LoadedPack pack;
        pack.mFile = std::make_unique<PakFile>();
        pack.mError = pack.mFile->Load(packPath);
        if (!pack.mError.empty()) {
            ReportNotice("editor pages: " + pack.mError);
        }
        it = mPacks.emplace(packPath, std::move(pack)).first;
    }
    return it->second;
}

std::string PageSource::Fetch(const std::string& requested, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    std::string path;
    // A path is compared to the allowed folders only in its normalised form,
    // and a ".." that survives normalisation climbs above the root.
    if (requested.empty() || requested.front() != '/' || !WebURL::NormalisePath(requested, path) ||
        path != requested) {
        return requested + ": refused (not a plain absolute path)";
    }
    if (!IsAllowed(path)) {
        return path + ": refused (outside the page folders)";
    }
    if (IsRegularFile(path)) {
        return ReadFileBytes(path, bytes) ? std::string() : path + ": cannot be read";
    }
    // Enclosing folders from the nearest up, while still inside an allowed one.
    for (size_t slash = path.rfind('/'); slash != std::string::npos && slash > 0;
         slash = path.rfind('/', slash - 1)) {
        const std::string folder = path.substr(0, slash);
        if (!IsAllowed(folder + "/x") || !IsRegularFile(folder + ".pak")) {
            continue;
        }
        const LoadedPack& pack = GetPack(folder + ".pak");
        if (!pack.mError.empty()) {
            return pack.mError;
        }
        const std::string name = path.substr(slash + 1);
        std::span<const uint8_t> found;
        if (Pak::IsSafeName(name) && pack.mFile->GetReader().Find(name, found)) {
            bytes.assign(found.begin(), found.end());
            return {};
        }
    }
    return path + ": no such page file";
}

void PageSource::Clear()
{
    mPacks.clear();
}

std::string PageSource::GetMimeType(const std::string& path)
{
    static const std::pair<const char*, const char*> kTypes[] = {
        {".html", "text/html"}, {".htm", "text/html"},   {".css", "text/css"},
        {".js", "text/javascript"}, {".json", "application/json"}, {".png", "image/png"},
        {".jpg", "image/jpeg"}, {".jpeg", "image/jpeg"}, {".gif", "image/gif"},
        {".svg", "image/svg+xml"}, {".txt", "text/plain"},
    };
    const size_t dot = path.rfind('.');
    if (dot != std::string::npos && path.find('/', dot) == std::string::npos) {
        std::string ext = path.substr(dot);
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
        for (const auto& [e, type] : kTypes) {
            if (ext == e) {
                return type;
            }
        }
    }
    return "application/octet-stream";
}

} // namespace KIV
