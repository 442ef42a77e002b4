#include "editor/webview/pak/DataPak.h"

#include "editor/webview/pak/FileBytes.h"
#include "editor/webview/pak/PakWriter.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace KIV {

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return s;
}

// Paths may come written with '\' as the separator; the OS wants '/'.
std::string ToOsPath(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::vector<std::string> ParseIgnoreList(const std::string& list)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        std::string item = list.substr(start, end - start);
        const size_t first = item.find_first_not_of(" \t");
        const size_t last = item.find_last_not_of(" \t");
        item = first == std::string::npos ? std::string() : item.substr(first, last - first + 1);
        if (!item.empty()) {
            out.push_back(Lower(item.front() == '.' ? item : "." + item));
        }
        start = end + 1;
    }
    return out;
}

bool IsIgnored(const std::string& name, const std::vector<std::string>& ignored)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        return false;
    }
    const std::string ext = Lower(name.substr(dot));
    return std::find(ignored.begin(), ignored.end(), ext) != ignored.end();
}

struct Walk {
    explicit Walk(const std::vector<std::string>& ignored) : mIgnored(ignored) {}

    const std::vector<std::string>& mIgnored;
    struct stat mPack {};
    bool mPackExists = false;
    PakWriter mWriter;
    std::string mError;

    bool Folder(const std::string& osFolder, const std::string& prefix)
    {
        DIR* dir = opendir(osFolder.c_str());
        if (dir == nullptr) {
            mError = osFolder + ": cannot list the folder";
            return false;
        }
        std::vector<std::string> names;
        while (dirent* d = readdir(dir)) {
            const std::string name = d->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        closedir(dir);
        // Sorted so that a failure is always met at the same file.
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            if (IsIgnored(name, mIgnored)) {
                continue;
            }
            const std::string osPath = osFolder + "/" + name;
            struct stat st {};
            if (lstat(osPath.c_str(), &st) != 0) {
                mError = osPath + ": cannot be read";
                return false;
            }
            if (S_ISDIR(st.st_mode)) {
                if (!Folder(osPath, prefix + name + "/")) {
                    return false;
                }
                continue;
            }
            if (!S_ISREG(st.st_mode)) {
                continue; // links, devices and pipes are not pages
            }
            if (mPackExists && st.st_dev == mPack.st_dev && st.st_ino == mPack.st_ino) {
                continue;
            }
            std::vector<uint8_t> bytes;
            if (!ReadFileBytes(osPath, bytes)) {
                mError = osPath + ": cannot be read";
                return false;
            }
            const std::string error = mWriter.Add(prefix + name, std::move(bytes));
            if (!error.empty()) {
                mError = osPath + ": " + error;
                return false;
            }
        }
        return true;
    }
};

} // namespace

bool WriteDataPak(const WebString& packPath, const WebString& inputDir, const WebString& ignoreList,
                  uint16_t& fileCount)
{
    const std::string osPack = ToOsPath(packPath.Utf8());
    std::string osInput = ToOsPath(inputDir.Utf8());
    while (osInput.size() > 1 && osInput.back() == '/') {
        osInput.pop_back();
    }
    const std::vector<std::string> ignored = ParseIgnoreList(ignoreList.Utf8());
    Walk walk(ignored);
    walk.mPackExists = stat(osPack.c_str(), &walk.mPack) == 0;
    struct stat st {};
    std::string error;
    if (osInput.empty() || stat(osInput.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = (osInput.empty() ? std::string("(empty)") : osInput) + ": no such folder";
    } else if (!walk.Folder(osInput, "")) {
        error = walk.mError;
    } else {
        error = walk.mWriter.WriteTo(osPack);
    }
    if (!error.empty()) {
        std::fprintf(stderr, "WriteDataPak: %s\n", error.c_str());
        return false;
    }
    fileCount = static_cast<uint16_t>(walk.mWriter.GetCount());
    return true;
}

} // namespace KIV
