#pragma once
#include <string>
#include <vector>

namespace KIV {

struct FolderSnapshot;
class LuaResults;

// The calls that fill a library page ("texlib_" or "robotlib_") with a
// scanned folder tree: clean up, the folders with their file ranges, the
// files, finish. Each call is its own text.
std::vector<std::string> MakeLibraryListing(const std::string& prefix, const FolderSnapshot& snapshot);

// The Lua errors page's text for the ring as it stands: the revision, then
// every one of its 100 box pairs, filled from the newest entry or emptied.
std::string MakeLuaResultsPageText(const LuaResults& results);

} // namespace KIV
