#include "editor/webview/JavascriptString.h"

#include <cstdio>

namespace KIV {

std::string JavascriptStringLiteral(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        switch (c) {
        case '"': out += "\\\""; continue;
        case '\'': out += "\\'"; continue;
        case '\\': out += "\\\\"; continue;
        case '\n': out += "\\n"; continue;
        case '\r': out += "\\r"; continue;
        case '\t': out += "\\t"; continue;
        case '/':
            out += (i > 0 && utf8[i - 1] == '<') ? "\\/" : "/";
            continue;
        default: break;
        }
        // U+2028 and U+2029 are E2 80 A8 / E2 80 A9 in UTF-8.
        if (c == 0xE2 && i + 2 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0x80 &&
            (static_cast<unsigned char>(utf8[i + 2]) == 0xA8 || static_cast<unsigned char>(utf8[i + 2]) == 0xA9)) {
            out += static_cast<unsigned char>(utf8[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
            i += 2;
            continue;
        }
        if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof(buf), "\\x%02X", c);
            out += buf;
            continue;
        }
        out += static_cast<char>(c);
    }
    out += '"';
    return out;
}

} // namespace KIV
