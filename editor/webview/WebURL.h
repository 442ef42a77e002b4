#pragma once
#include <string>

#include "editor/webview/pak/WebString.h"

namespace KIV {

// Where a view goes. A plain file path (with '/' or '\' separators, possibly
// relative or holding "..") becomes a page URL of the layer's own scheme,
// "kiv:///absolute/path", served from folders and packs; "about:blank" and
// URLs already of that scheme are kept. Anything else (http, file, ...) is not
// a page of the game: the URL is invalid and loading it fails.
class WebURL {
public:
    static constexpr const char* kScheme = "kiv";

    WebURL() = default;
    explicit WebURL(const WebString& text);

    bool IsValid() const { return !mSpec.empty(); }
    // The full URL text; empty when invalid.
    const std::string& GetSpec() const { return mSpec; }
    // The absolute, normalised file path of a page URL; empty for others.
    const std::string& GetPath() const { return mPath; }
    // The text the URL was made from, for messages.
    const std::string& GetText() const { return mText; }

    // Resolves "." and ".." and doubled separators; false when ".." climbs
    // above the root.
    static bool NormalisePath(const std::string& path, std::string& normalised);
    static std::string PercentDecode(const std::string& text);

private:
    std::string mText;
    std::string mSpec;
    std::string mPath;
};

} // namespace KIV
