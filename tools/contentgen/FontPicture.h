#pragma once
#include "tools/contentgen/Canvas.h"

namespace KIV {

// The game's white bitmap font: 16 glyph cells per row, character code c in
// cell c − 32 (row (c − 32) / 16, column (c − 32) % 16). The text drawer cuts
// cells of 1/16 of the picture's width and 1/5.95 of its height, so the glyphs
// sit on that grid, and the picture must keep its full size after the loader
// crops it to its non-transparent area.
constexpr int32_t kFontPictureWidth = 512;
constexpr int32_t kFontPictureHeight = 190;
constexpr float kFontCellWidth = kFontPictureWidth / 16.0f;
constexpr float kFontCellHeight = kFontPictureHeight / 5.95f;

Canvas MakeFontPicture(int number);

} // namespace KIV
