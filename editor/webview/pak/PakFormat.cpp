#include "editor/webview/pak/PakFormat.h"

namespace KIV::Pak {

bool IsSafeName(const std::string& name)
{
    if (name.empty() || name.size() > kMaxNameLength || name.front() == '/') {
        return false;
    }
    size_t partStart = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '/') {
            const std::string part = name.substr(partStart, i - partStart);
            if (part.empty() || part == "." || part == "..") {
                return false;
            }
            // "C:" as a first part is a drive on the systems that have them.
            if (partStart == 0 && part.size() >= 2 && part[1] == ':') {
                return false;
            }
            partStart = i + 1;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F || c == '\\') {
            return false;
        }
    }
    return true;
}

} // namespace KIV::Pak
