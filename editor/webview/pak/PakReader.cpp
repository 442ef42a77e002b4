#include "editor/webview/pak/PakReader.h"

#include "editor/webview/pak/Crc32.h"
#include "editor/webview/pak/FileBytes.h"
#include "editor/webview/pak/PakFormat.h"

#include <algorithm>
#include <cstring>

namespace KIV {

namespace {

uint32_t ReadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t ReadU16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

} // namespace

std::string PakReader::Open(std::span<const uint8_t> bytes)
{
    mBytes = {};
    mEntries.clear();
    if (bytes.size() < Pak::kHeaderSize) {
        return "the pack is shorter than its header (" + std::to_string(bytes.size()) + " bytes)";
    }
    const uint8_t* p = bytes.data();
    if (std::memcmp(p, Pak::kMagic, 4) != 0) {
        return "not a pack (wrong signature)";
    }
    const uint32_t version = ReadU32(p + 4);
    if (version != Pak::kVersion) {
        return "unknown pack version " + std::to_string(version);
    }
    const uint32_t count = ReadU32(p + 8);
    const uint32_t tableSize = ReadU32(p + 12);
    const uint32_t packSize = ReadU32(p + 16);
    const uint32_t tableCrc = ReadU32(p + 20);
    if (count > Pak::kMaxEntries) {
        return "the pack claims " + std::to_string(count) + " entries, more than a pack may hold";
    }
    if (packSize != bytes.size()) {
        return "the pack is cut or padded: it should be " + std::to_string(packSize) + " bytes and is " +
               std::to_string(bytes.size());
    }
    // 64-bit sums: no field, however large, can wrap a bound check.
    const uint64_t tableEnd = uint64_t{Pak::kHeaderSize} + tableSize;
    if (tableEnd > bytes.size()) {
        return "the entry table runs past the end of the pack";
    }
    if (Crc32(p + Pak::kHeaderSize, tableSize) != tableCrc) {
        return "the entry table is damaged (checksum mismatch)";
    }

    std::vector<Entry> entries;
    entries.reserve(count);
    uint64_t at = Pak::kHeaderSize;
    uint64_t dataAt = tableEnd;
    for (uint32_t i = 0; i < count; ++i) {
        const std::string where = "entry " + std::to_string(i) + ": ";
        if (at + Pak::kEntryFixedSize > tableEnd) {
            return where + "the entry table is too short for its entries";
        }
        const uint8_t* e = p + at;
        const uint16_t nameLength = ReadU16(e);
        const uint32_t offset = ReadU32(e + 4);
        const uint32_t size = ReadU32(e + 8);
        const uint32_t crc = ReadU32(e + 12);
        if (ReadU16(e + 2) != 0) {
            return where + "reserved field is not zero";
        }
        at += Pak::kEntryFixedSize;
        if (at + nameLength > tableEnd) {
            return where + "the name runs past the entry table";
        }
        Entry entry;
        entry.mName.assign(reinterpret_cast<const char*>(p + at), nameLength);
        at += nameLength;
        if (!Pak::IsSafeName(entry.mName)) {
            return where + "unsafe name \"" + entry.mName + "\" (empty, absolute, or holding \"..\")";
        }
        if (!entries.empty() && !(entries.back().mName < entry.mName)) {
            return where + "\"" + entry.mName + "\" is out of order or repeated";
        }
        if (offset != dataAt) {
            return where + "\"" + entry.mName + "\" does not start where the previous entry ends";
        }
        if (uint64_t{offset} + size > bytes.size()) {
            return where + "\"" + entry.mName + "\" runs past the end of the pack";
        }
        if (Crc32(p + offset, size) != crc) {
            return where + "\"" + entry.mName + "\" is damaged (checksum mismatch)";
        }
        dataAt = uint64_t{offset} + size;
        entry.mOffset = offset;
        entry.mSize = size;
        entries.push_back(std::move(entry));
    }
    if (at != tableEnd) {
        return "the entry table holds bytes after its last entry";
    }
    if (dataAt != bytes.size()) {
        return "the pack holds bytes after its last entry";
    }
    mBytes = bytes;
    mEntries = std::move(entries);
    return {};
}

bool PakReader::Find(const std::string& name, std::span<const uint8_t>& bytes) const
{
    const auto it = std::lower_bound(mEntries.begin(), mEntries.end(), name,
                                     [](const Entry& e, const std::string& n) { return e.mName < n; });
    if (it == mEntries.end() || it->mName != name) {
        return false;
    }
    bytes = mBytes.subspan(it->mOffset, it->mSize);
    return true;
}

std::string PakFile::Load(const std::string& path)
{
    mBytes.clear();
    if (!ReadFileBytes(path, mBytes)) {
        return path + ": cannot open or read the pack";
    }
    const std::string error = mReader.Open(mBytes);
    return error.empty() ? error : path + ": " + error;
}

} // namespace KIV
