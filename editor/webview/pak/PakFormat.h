#pragma once
#include <cstdint>
#include <string>

namespace KIV {

// The layer's resource pack, little-endian throughout:
//   header (24 bytes): "KPAK", version, entry count, table size, pack size,
//                      CRC-32 of the entry table
//   entry table: per entry 16 bytes (name length u16, zero u16, data offset,
//                data size, CRC-32 of the data) followed by the name bytes
//   data: every entry's bytes in table order, right after the table, no gaps
// Entries are sorted by name (bytes compared unsigned) and names are unique,
// so one folder always packs to the same bytes. Every size and sum is checked
// before any entry is handed out: a cut or damaged pack is refused whole.
namespace Pak {

inline constexpr char kMagic[4] = {'K', 'P', 'A', 'K'};
inline constexpr uint32_t kVersion = 1;
inline constexpr uint32_t kHeaderSize = 24;
inline constexpr uint32_t kEntryFixedSize = 16;
// The pack tool counts its files in 16 bits.
inline constexpr uint32_t kMaxEntries = 65535;
inline constexpr uint32_t kMaxNameLength = 1024;

// A name inside a pack: relative, '/'-joined, no empty, "." or ".." part, no
// backslash, drive letter or control byte. Anything else could reach outside
// the pack's folder when the name is joined to a path.
bool IsSafeName(const std::string& name);

} // namespace Pak

} // namespace KIV
