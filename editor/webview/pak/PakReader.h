#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace KIV {

// Reads a pack held in memory. Open checks the whole pack (header, table,
// names, order, sizes and sums) and refuses it with a reason on the first
// fault; after a successful Open every entry lies inside the bytes given.
// The reader keeps a view of the bytes: they must outlive it.
class PakReader {
public:
    struct Entry {
        std::string mName;
        uint32_t mOffset = 0;
        uint32_t mSize = 0;
    };

    // Empty on success, else why the pack was refused.
    std::string Open(std::span<const uint8_t> bytes);

    const std::vector<Entry>& GetEntries() const { return mEntries; }
    // The entry's bytes; false when the pack holds no such name.
    bool Find(const std::string& name, std::span<const uint8_t>& bytes) const;

private:
    std::span<const uint8_t> mBytes;
    std::vector<Entry> mEntries;
};

// A pack read from a file, with the bytes it owns.
class PakFile {
public:
    // Empty on success, else the reason, naming the file.
    std::string Load(const std::string& path);
    const PakReader& GetReader() const { return mReader; }

private:
    std::vector<uint8_t> mBytes;
    PakReader mReader;
};

} // namespace KIV
