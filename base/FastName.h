#pragma once
#include <cstring>
#include <string>

namespace KIV {

// A 16-byte name: zero-filled, no terminator when all 16 bytes are used.
// Files store the raw bytes, so the layout is fixed.
struct FastName {
    static constexpr int kLength = 16;
    char mChars[kLength] = {};

    FastName() = default;
    explicit FastName(const std::string& text) { SetByString(text); }

    void SetByString(const std::string& text);
    std::string GetInString() const;
    bool FirstCharactersEqual(const std::string& text) const;
    void SetNull() { std::memset(mChars, 0, kLength); }
    bool IsNull() const { return mChars[0] == 0; }

    bool operator==(const FastName& o) const { return std::memcmp(mChars, o.mChars, kLength) == 0; }
    bool operator!=(const FastName& o) const { return !(*this == o); }
};

static_assert(sizeof(FastName) == 16);

} // namespace KIV
