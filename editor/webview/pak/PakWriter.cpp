#include "editor/webview/pak/PakWriter.h"

#include "editor/webview/pak/Crc32.h"
#include "editor/webview/pak/PakFormat.h"

#include <cstdio>
#include <cstring>

namespace KIV {

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

void PutU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

} // namespace

std::string PakWriter::Add(const std::string& name, std::vector<uint8_t> bytes)
{
    if (!Pak::IsSafeName(name)) {
        return "unsafe name \"" + name + "\" (empty, absolute, or holding \"..\")";
    }
    if (mEntries.count(name) != 0) {
        return "\"" + name + "\" is added twice";
    }
    if (mEntries.size() >= Pak::kMaxEntries) {
        return "more than " + std::to_string(Pak::kMaxEntries) + " files";
    }
    const uint64_t grown = mTotalSize + Pak::kEntryFixedSize + name.size() + bytes.size();
    if (Pak::kHeaderSize + grown > UINT32_MAX) {
        return "the pack would pass 4 GiB with \"" + name + "\"";
    }
    mTotalSize = grown;
    mEntries.emplace(name, std::move(bytes));
    return {};
}

std::vector<uint8_t> PakWriter::Build() const
{
    std::vector<uint8_t> table;
    uint32_t tableSize = 0;
    for (const auto& [name, bytes] : mEntries) {
        tableSize += Pak::kEntryFixedSize + static_cast<uint32_t>(name.size());
    }
    uint32_t offset = Pak::kHeaderSize + tableSize;
    for (const auto& [name, bytes] : mEntries) {
        PutU16(table, static_cast<uint16_t>(name.size()));
        PutU16(table, 0);
        PutU32(table, offset);
        PutU32(table, static_cast<uint32_t>(bytes.size()));
        PutU32(table, Crc32(bytes.data(), bytes.size()));
        table.insert(table.end(), name.begin(), name.end());
        offset += static_cast<uint32_t>(bytes.size());
    }
    std::vector<uint8_t> out(Pak::kMagic, Pak::kMagic + 4);
    PutU32(out, Pak::kVersion);
    PutU32(out, static_cast<uint32_t>(mEntries.size()));
    PutU32(out, tableSize);
    PutU32(out, offset);
    PutU32(out, Crc32(table.data(), table.size()));
    out.insert(out.end(), table.begin(), table.end());
    for (const auto& [name, bytes] : mEntries) {
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

std::string PakWriter::WriteTo(const std::string& path) const
{
    const std::vector<uint8_t> bytes = Build();
    // Written beside the target and renamed over it, so a failed write never
    // leaves a cut pack under the real name.
    const std::string temp = path + ".part";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (f == nullptr) {
        return path + ": cannot create the pack";
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        std::remove(temp.c_str());
        return path + ": the pack could not be written";
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return path + ": the pack could not be put in place";
    }
    return {};
}

} // namespace KIV
