#include "editor/webview/pak/WebString.h"

#include <algorithm>
#include <cstring>

namespace KIV {

WebString WebString::CreateFromUTF8(const char* data, size_t length)
{
    WebString s;
    if (data != nullptr && length > 0) {
        s.mText.assign(data, length);
    }
    return s;
}

size_t WebString::ToUTF8(char* dest, size_t destLength) const
{
    if (dest != nullptr) {
        std::memcpy(dest, mText.data(), std::min(destLength, mText.size()));
    }
    return mText.size();
}

} // namespace KIV
