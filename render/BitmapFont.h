#pragma once
#include <array>
#include <cstdint>
#include <string>
#include "base/Color.h"
#include "base/Vector.h"

namespace KIV {

class Shape;

// The picture every game text is cut from: glyph cells 16 to a row, each row 1/5.95 of the
// picture's height span.
inline constexpr const char* kFontPictureName = "Fonts\\FontWhite.png";
inline constexpr int32_t kFontGlyphColumns = 16;
inline constexpr float kFontGlyphRows = 5.95f;

// Glyph cell per character byte: c - 32 for 33 .. 128, 0 (not drawn) for everything else.
extern const std::array<int32_t, 256> gGlyphIndex;

// Empties the shape into a textured shape of the font picture and lays the text into it; false
// when the font picture cannot be had.
bool DrawTextWhite(Shape& shape, const std::string& text, float size, const ColorRGBA& colour, const VectorF& position);

namespace BitmapFont {

// Appends the glyph quads of a text: squares of the given size, the pen advancing by the size.
// Glyphs that would lie beyond 16-bit point indices are left out.
void DrawString(Shape& shape, const std::string& text, float size, const ColorRGBA& colour, VectorF position);
// As DrawString after moving the start left by half the text's width (every character counts)
// and up by half the size.
void DrawTextAligned(Shape& shape, const std::string& text, float size, const ColorRGBA& colour, bool centreX,
                     bool centreY, VectorF position);

} // namespace BitmapFont

} // namespace KIV
