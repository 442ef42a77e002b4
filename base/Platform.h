#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace KIV {

// The program spells paths with "\"; only this layer speaks to the OS, which
// wants "/". Every function here takes and returns the program's spelling.
std::string ToOsPath(const std::string& path);
std::string FromOsPath(const std::string& osPath);

// Full path of the running program file; empty when the OS does not tell.
std::string GetProgramFilePath();

struct FolderEntry {
    std::string mName;        // name inside the folder, without the folder
    bool mIsFolder = false;
    uint64_t mWriteTime = 0;  // last write, in 100-ns ticks since 1601-01-01 UTC
};

// "*" matches any run of characters, "?" one character; letters compare
// without case. "*.*" matches every name, dotted or not.
bool MatchesFileMask(const std::string& name, const std::string& mask);

// The entries of a folder whose names match the mask ("." and ".." included
// when they match), sorted by name without case, then byte by byte: the OS
// hands them out in no fixed order, and listings must repeat. Empty when the
// folder cannot be read.
std::vector<FolderEntry> ListFolder(const std::string& folder, const std::string& mask);

// The player's words for an OS error number: "not found", "permission
// denied", "disk full", otherwise the OS's own text.
std::string DescribeOsError(int errorNumber);

bool IsExistingFile(const std::string& path);
bool IsExistingFolder(const std::string& path);

enum class CopyResult { kCopied, kTargetExists, kFailed };
// Never overwrites: an existing target is left alone. A copy that fails
// half-way is removed, so no torn file is left under the target's name.
CopyResult CopyFileNoOverwrite(const std::string& source, const std::string& target);
bool DeleteFile(const std::string& path);
// Creates the folder and any missing parents; true when it exists afterwards.
bool CreateFolders(const std::string& path);

// High-resolution monotonic timer.
int64_t GetTimerTicks();
int64_t GetTimerFrequency();  // ticks per second: 1,000,000

// Local wall-clock time, as localtime_r breaks it down. Tests replace the
// clock so dated names can be checked; nullptr restores the system clock.
using LocalTimeSource = void (*)(std::tm& out);
void SetLocalTimeSource(LocalTimeSource source);
std::tm GetLocalTime();

// Prints "Assertion Failure!" and the message to stderr, then stops the program.
[[noreturn]] void ReportAssertionFailure(const std::string& message);

} // namespace KIV
