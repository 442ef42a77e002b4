#pragma once
#include <cstddef>
#include <string>

namespace KIV {

// Text crossing into the HTML-view layer. Held as UTF-8: the pages, the packs
// and WebKit all speak it, so nothing is converted on the way through.
class WebString {
public:
    WebString() = default;
    static WebString CreateFromUTF8(const char* data, size_t length);

    // Copies at most destLength bytes into dest and returns the full length;
    // with a null dest it only returns the length, so callers can size a buffer.
    size_t ToUTF8(char* dest, size_t destLength) const;
    bool IsEmpty() const { return mText.empty(); }
    const std::string& Utf8() const { return mText; }

private:
    std::string mText;
};

} // namespace KIV
