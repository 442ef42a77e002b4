#include "base/FileUtils.h"
#include <ctime>
#include "base/MemoryStream.h"
#include "base/Platform.h"
#include "base/TextFormat.h"

namespace KIV {

namespace {

// Copies within one second beyond this many are not kept; two digits keep the
// numbered names in time order when listed.
constexpr int32_t kMaxCopiesPerSecond = 99;

std::string WithSeparator(const std::string& folder)
{
    return (folder.empty() || folder.back() == '\\') ? folder : folder + "\\";
}

// Index of the file name's last ".", or npos.
size_t ExtensionDot(const std::string& path)
{
    size_t dot = path.find_last_of('.');
    size_t slash = path.find_last_of('\\');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
    return dot;
}

} // namespace

std::string GetPathDirectory(const std::string& path)
{
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string GetPathFileName(const std::string& path)
{
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string GetPathExtension(const std::string& path)
{
    size_t dot = ExtensionDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

std::string RemovePathExtension(const std::string& path)
{
    size_t dot = ExtensionDot(path);
    return dot == std::string::npos ? path : path.substr(0, dot);
}

bool IsRelativePathContained(const std::string& name, int32_t levelsUp)
{
    if (name.empty() || name[0] == '\\' || name[0] == '/' || name.find(':') != std::string::npos) return false;
    int32_t depth = 0;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(start, end - start);
        if (part == "..") {
            if (--depth < -levelsUp) return false;
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
        start = end + 1;
    }
    return true;
}

std::string GetExecutablePath() { return GetProgramFilePath(); }

std::string GetExecutableDirectory() { return GetPathDirectory(GetExecutablePath()); }

std::string GetParentDirectory(const std::string& folder)
{
    size_t last = folder.find_last_of('\\');
    if (last == std::string::npos) return std::string();
    return GetPathDirectory(folder.substr(0, last));
}

std::string GetDataRootDirectory() { return GetParentDirectory(GetExecutableDirectory()); }

void ListSubfolders(int32_t insertIndex, const std::string& folder, const std::string& mask, StringArray& list)
{
    if (folder.empty()) return;
    std::string base = WithSeparator(folder);
    for (const FolderEntry& e : ListFolder(base, mask)) {
        if (!e.mIsFolder || e.mName == "." || e.mName == "..") continue;
        if (insertIndex == -1) {
            list.PushBack(base + e.mName);
        } else if (list.InsertAt(insertIndex, base + e.mName)) {
            ++insertIndex;
        }
    }
}

void ListDirectoryFilesWithTimes(const std::string& folder, const std::string& mask, StringArray& names,
                                 Array<uint64_t>* times)
{
    if (folder.empty()) return;
    std::string base = WithSeparator(folder);
    for (const FolderEntry& e : ListFolder(base, mask)) {
        if (e.mIsFolder) continue;
        names.PushBack(base + e.mName);
        if (times) times->PushBack(e.mWriteTime);
    }
}

std::string GetBackupFilePath(const std::string& path, const std::tm& time, int32_t copyNumber)
{
    std::string fileName = GetPathFileName(path);
    std::string extension = GetPathExtension(fileName);
    std::string stamp = IntToPaddedText(time.tm_year + 1900, 4) + "-" + IntToPaddedText(time.tm_mon + 1, 2) + "-"
                        + IntToPaddedText(time.tm_mday, 2) + "--" + IntToPaddedText(time.tm_hour, 2) + "-"
                        + IntToPaddedText(time.tm_min, 2) + "-" + IntToPaddedText(time.tm_sec, 2);
    if (copyNumber > 1) stamp += "_" + IntToPaddedText(copyNumber, 2);
    std::string backup = GetPathDirectory(path) + "backups\\" + RemovePathExtension(fileName) + "." + stamp;
    return extension.empty() ? backup : backup + "." + extension;
}

bool BackupFileBeforeSave(const std::string& path)
{
    if (!IsExistingFile(path)) return false;
    if (!CreateFolders(GetPathDirectory(path) + "backups")) return false;
    std::tm now = GetLocalTime();
    for (int32_t copy = 1; copy <= kMaxCopiesPerSecond; ++copy) {
        CopyResult result = CopyFileNoOverwrite(path, GetBackupFilePath(path, now, copy));
        if (result != CopyResult::kTargetExists) return result == CopyResult::kCopied;
    }
    return false;
}

bool SaveStreamWithBackup(MemoryStream& stream, const std::string& path)
{
    BackupFileBeforeSave(path);
    return stream.SaveToFile(path);
}

} // namespace KIV
