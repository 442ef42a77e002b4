#include "game/Cursors.h"
#include <SDL/SDL.h>
#include <algorithm>
#include <cstdlib>

namespace KIV {

namespace {
const char* const kArrow[] = {
    "X",            "XX",            "X.X",           "X..X",           "X...X",          "X....X",
    "X.....X",      "X......X",      "X.......X",     "X........X",     "X.........X",    "X..........X",
    "X...........X", "X............X", "X.......XXXXXXX", "X....X..X",    "X...X X..X",     "X..X  X..X",
    "X.X    X..X",  "XX     X..X",   "X       X..X",  "        X..X",   "         XX",
};

void Put(CursorPicture& p, int x, int y, char c)
{
    if (x < 0 || y < 0 || x >= 32 || y >= 32) return;
    p.mRows[y][x] = c;
}

// A white bar with a black border from (x0, y0) to (x1, y1). The border never
// paints over white already drawn, so crossing bars stay joined.
void Bar(CursorPicture& p, int x0, int y0, int x1, int y1)
{
    int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    auto at = [&](int i, int& x, int& y) {
        x = x0 + (steps ? (x1 - x0) * i / steps : 0);
        y = y0 + (steps ? (y1 - y0) * i / steps : 0);
    };
    for (int i = 0, x, y; i <= steps; ++i) {
        at(i, x, y);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                int bx = x + dx, by = y + dy;
                if (bx >= 0 && by >= 0 && bx < 32 && by < 32 && p.mRows[by][bx] == ' ') p.mRows[by][bx] = 'X';
            }
    }
    for (int i = 0, x, y; i <= steps; ++i) {
        at(i, x, y);
        Put(p, x, y, '.');
    }
}

// A double arrow through the centre along (dx, dy), with heads at both ends.
void DoubleArrow(CursorPicture& p, int dx, int dy)
{
    Bar(p, 15 - 10 * dx, 15 - 10 * dy, 15 + 10 * dx, 15 + 10 * dy);
    for (int end : {-1, 1}) {
        int tx = 15 + end * 10 * dx, ty = 15 + end * 10 * dy;
        // The head's two barbs turn back from the tip at right angles to each other.
        int bx1 = -end * (dx - dy), by1 = -end * (dy + dx);
        int bx2 = -end * (dx + dy), by2 = -end * (dy - dx);
        auto norm = [](int v) { return v > 0 ? 1 : v < 0 ? -1 : 0; };
        Bar(p, tx, ty, tx + 4 * norm(bx1), ty + 4 * norm(by1));
        Bar(p, tx, ty, tx + 4 * norm(bx2), ty + 4 * norm(by2));
    }
}
} // namespace

CursorPicture MakeCursorPicture(int32_t kind)
{
    CursorPicture p;
    for (auto& row : p.mRows) row.assign(32, ' ');
    switch (kind) {
    case 2: // crosshair
        Bar(p, 15, 5, 15, 12);
        Bar(p, 15, 18, 15, 25);
        Bar(p, 5, 15, 12, 15);
        Bar(p, 18, 15, 25, 15);
        p.mHotX = p.mHotY = 15;
        break;
    case 3: // four-way move
        DoubleArrow(p, 1, 0);
        DoubleArrow(p, 0, 1);
        p.mHotX = p.mHotY = 15;
        break;
    case 4: // pointing hand: a finger up from a palm
        Bar(p, 5, 1, 5, 14);
        for (int x = 8; x <= 14; x += 3) Bar(p, x, 9, x, 14);
        for (int y = 14; y <= 22; ++y) Bar(p, 3, y, 15, y);
        Bar(p, 2, 12, 3, 16);
        p.mHotX = 5;
        p.mHotY = 0;
        break;
    case 5: DoubleArrow(p, 1, 0); p.mHotX = p.mHotY = 15; break;
    case 6: DoubleArrow(p, 0, 1); p.mHotX = p.mHotY = 15; break;
    case 7: DoubleArrow(p, 1, 1); p.mHotX = p.mHotY = 15; break;
    case 8: DoubleArrow(p, 1, -1); p.mHotX = p.mHotY = 15; break;
    default: // 1 and 9: the arrow, hot spot at its tip
        for (size_t y = 0; y < sizeof kArrow / sizeof kArrow[0]; ++y)
            for (size_t x = 0; kArrow[y][x]; ++x) p.mRows[y][x] = kArrow[y][x];
        break;
    }
    return p;
}

void PackCursorPlanes(const CursorPicture& picture, std::vector<uint8_t>& data, std::vector<uint8_t>& mask)
{
    data.assign(32 * 4, 0);
    mask.assign(32 * 4, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            char c = picture.mRows[y][x];
            uint8_t bit = uint8_t(0x80 >> (x & 7));
            int i = y * 4 + x / 8;
            if (c == 'X' || c == 'O') data[i] |= bit;
            if (c == 'X' || c == '.') mask[i] |= bit;
        }
}

bool CursorSet::Build()
{
    Release();
    bool ok = true;
    for (int32_t k = 0; k < kCursorKindCount; ++k) {
        CursorPicture p = MakeCursorPicture(k + 1);
        std::vector<uint8_t> data, mask;
        PackCursorPlanes(p, data, mask);
        mCursors[k] = SDL_CreateCursor(data.data(), mask.data(), 32, 32, p.mHotX, p.mHotY);
        ok = ok && mCursors[k];
    }
    SetKind(2);
    return ok;
}

void CursorSet::Release()
{
    for (void*& c : mCursors) {
        if (c) SDL_FreeCursor(static_cast<SDL_Cursor*>(c));
        c = nullptr;
    }
    mShown = 0;
}

void CursorSet::SetKind(int32_t kind)
{
    if (kind < 1 || kind > kCursorKindCount || kind == mShown || !mCursors[kind - 1]) return;
    SDL_SetCursor(static_cast<SDL_Cursor*>(mCursors[kind - 1]));
    mShown = kind;
}

} // namespace KIV
