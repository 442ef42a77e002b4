#pragma once
#include <cstddef>
#include <cstdint>

namespace KIV {

// The common CRC-32 (reflected polynomial 0xEDB88320), as zip and PNG use it,
// so a pack's sums can be checked with any outside tool.
uint32_t Crc32(const uint8_t* data, size_t size);

} // namespace KIV
