#include "editor/webview/pak/FileBytes.h"

#include <cstdio>

namespace KIV {

bool ReadFileBytes(const std::string& osPath, std::vector<uint8_t>& bytes)
{
    std::FILE* f = std::fopen(osPath.c_str(), "rb");
    if (f == nullptr) {
        return false;
    }
    uint8_t buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof(buffer), f)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    const bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok;
}

} // namespace KIV
