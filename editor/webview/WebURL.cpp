#include "editor/webview/WebURL.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

namespace KIV {

namespace {

bool HasScheme(const std::string& text, std::string& scheme)
{
    const size_t colon = text.find(':');
    // One letter before the colon is a drive, not a scheme.
    if (colon == std::string::npos || colon < 2) {
        return false;
    }
    for (size_t i = 0; i < colon; ++i) {
        const char c = text[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok) {
            return false;
        }
    }
    scheme = text.substr(0, colon);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return true;
}

std::string PercentEncodePath(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
        if (keep) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

} // namespace

bool WebURL::NormalisePath(const std::string& path, std::string& normalised)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') {
            continue;
        }
        const std::string part = path.substr(start, i - start);
        start = i + 1;
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (parts.empty()) {
                return false;
            }
            parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    normalised.clear();
    for (const std::string& part : parts) {
        normalised += "/" + part;
    }
    if (normalised.empty()) {
        normalised = "/";
    }
    return true;
}

std::string WebURL::PercentDecode(const std::string& text)
{
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

WebURL::WebURL(const WebString& webText)
{
    mText = webText.Utf8();
    std::string text = mText;
    if (text.empty()) {
        return;
    }
    std::string scheme;
    if (HasScheme(text, scheme)) {
        if (scheme == "about" && text == "about:blank") {
            mSpec = text;
            return;
        }
        if (scheme != kScheme || text.compare(0, 6, "kiv://") != 0) {
            return;
        }
        // Host part must be empty: "kiv:///path".
        const size_t pathStart = text.find('/', 6);
        if (pathStart != 6) {
            return;
        }
        text = PercentDecode(text.substr(6));
    } else {
        std::replace(text.begin(), text.end(), '\\', '/');
        if (text.front() != '/') {
            char cwd[4096];
            if (getcwd(cwd, sizeof(cwd)) == nullptr) {
                return;
            }
            text = std::string(cwd) + "/" + text;
        }
    }
    // A query or fragment is not part of the file.
    const size_t cut = text.find_first_of("?#");
    const std::string rest = cut == std::string::npos ? "" : text.substr(cut);
    if (cut != std::string::npos) {
        text.resize(cut);
    }
    if (!NormalisePath(text, mPath)) {
        mPath.clear();
        return;
    }
    mSpec = std::string(kScheme) + "://" + PercentEncodePath(mPath) + rest;
}

} // namespace KIV
