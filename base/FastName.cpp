#include "base/FastName.h"
#include <algorithm>

namespace KIV {

void FastName::SetByString(const std::string& text)
{
    SetNull();
    std::memcpy(mChars, text.data(), std::min<size_t>(text.size(), kLength));
}

std::string FastName::GetInString() const
{
    const void* zero = std::memchr(mChars, 0, kLength);
    size_t n = zero ? static_cast<const char*>(zero) - mChars : kLength;
    return std::string(mChars, n);
}

bool FastName::FirstCharactersEqual(const std::string& text) const
{
    // A shorter name compares its zero fill against the text, and so differs.
    size_t n = std::min<size_t>(text.size(), kLength);
    return std::memcmp(mChars, text.data(), n) == 0;
}

} // namespace KIV
