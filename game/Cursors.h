#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace KIV {

// Mouse cursors are drawn as 32 × 32 text pictures: "X" black, "." white,
// "O" inverted, blank transparent.
struct CursorPicture {
    std::array<std::string, 32> mRows;
    int32_t mHotX = 0;
    int32_t mHotY = 0;
};

// Kinds 1 to 9: arrow, crosshair, four-way move, pointing hand, horizontal,
// vertical and the two diagonal double arrows, and the close-button arrow.
inline constexpr int32_t kCursorKindCount = 9;
CursorPicture MakeCursorPicture(int32_t kind);

// Packs a picture into the window system's data and mask planes, eight pixels
// to a byte, most significant bit first ("X": data and mask; ".": mask only;
// "O": data only).
void PackCursorPlanes(const CursorPicture& picture, std::vector<uint8_t>& data, std::vector<uint8_t>& mask);

// The nine cursors of the window; built again after every video-mode change.
class CursorSet {
public:
    ~CursorSet() { Release(); }
    bool Build();
    void Release();
    // Shows the cursor of a kind (1..9) when it is not the one shown already.
    void SetKind(int32_t kind);
    int32_t GetKind() const { return mShown; }

private:
    void* mCursors[kCursorKindCount] = {};
    int32_t mShown = 0;
};

} // namespace KIV
