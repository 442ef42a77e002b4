#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace KIV {

// Gathers named files and lays them out as a pack. The entries are kept in
// name order whatever order they were added in, so the bytes depend only on
// the names and contents.
class PakWriter {
public:
    // Empty on success, else why the entry was refused (unsafe or repeated
    // name, too many entries, pack too large).
    std::string Add(const std::string& name, std::vector<uint8_t> bytes);
    size_t GetCount() const { return mEntries.size(); }
    std::vector<uint8_t> Build() const;
    // Empty on success, else the reason, naming the file.
    std::string WriteTo(const std::string& path) const;

private:
    std::map<std::string, std::vector<uint8_t>> mEntries;
    uint64_t mTotalSize = 0;
};

} // namespace KIV
