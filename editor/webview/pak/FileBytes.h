#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace KIV {

// Appends the whole file to bytes; false when it cannot be opened or read.
bool ReadFileBytes(const std::string& osPath, std::vector<uint8_t>& bytes);

} // namespace KIV
