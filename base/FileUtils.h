#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include "base/Array.h"

namespace KIV {

class MemoryStream;

// Paths are narrow strings with "\" separators; nothing here changes case or
// resolves "." and "..". The platform layer converts at the OS.

// Up to and including the last "\"; empty when there is none.
std::string GetPathDirectory(const std::string& path);
// After the last "\"; the whole path when there is none.
std::string GetPathFileName(const std::string& path);
// After the last "." of the file name; empty when the file name has no dot.
// A dot in a folder name is not an extension.
std::string GetPathExtension(const std::string& path);
// The path without the file name's last "." and what follows it.
std::string RemovePathExtension(const std::string& path);

// Whether a relative name, read from outside bytes, stays inside its base
// folder or at most levelsUp folders above it. Both separators count, as the
// OS will see them; absolute names and drive names never stay inside.
bool IsRelativePathContained(const std::string& name, int32_t levelsUp);

std::string GetExecutablePath();
// Ends with "\".
std::string GetExecutableDirectory();
// The parent of a folder path ending in "\" (C:\Game\Bin\ gives C:\Game\);
// empty for a folder at the root.
std::string GetParentDirectory(const std::string& folder);
// The data folders lie beside the program's folder, in its parent.
std::string GetDataRootDirectory();

// Appends (insertIndex -1) or inserts, in listing order, the full paths of
// the subfolders of folder whose names match mask. "." and ".." are skipped.
void ListSubfolders(int32_t insertIndex, const std::string& folder, const std::string& mask, StringArray& list);
// Appends the full paths of the matching files and, when times is given,
// their last-write times as 64-bit file times.
void ListDirectoryFilesWithTimes(const std::string& folder, const std::string& mask, StringArray& names,
                                 Array<uint64_t>* times);

// The backup name of path for a local time: "backups\" in the file's folder,
// name + "." + YYYY-MM-DD--hh-mm-ss + "." + extension. copyNumber 1 is the
// plain form; a later copy within the same second adds "_02", "_03"... to the
// stamp, which sorts after the plain form so backups list oldest first.
std::string GetBackupFilePath(const std::string& path, const std::tm& time, int32_t copyNumber);
// Copies an existing file to its dated backup name before it is overwritten,
// creating the backups folder when missing; never overwrites an earlier
// backup. False when no backup was written (no file, or the copy failed);
// callers save in any case.
bool BackupFileBeforeSave(const std::string& path);
// What every saver does: keeps a dated backup of the old file, then replaces
// it atomically with the stream. True when the new file was written.
bool SaveStreamWithBackup(MemoryStream& stream, const std::string& path);

} // namespace KIV
