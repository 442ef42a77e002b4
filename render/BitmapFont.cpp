#include "render/BitmapFont.h"
#include "render/DrawGroup.h"
#include "render/Shape.h"
#include "render/Texture.h"
#include "render/TextureLib.h"

namespace KIV {

namespace {

constexpr int32_t kSpace = 32;
constexpr int32_t kTextGrowBy = 1024;

constexpr std::array<int32_t, 256> MakeGlyphIndex()
{
    std::array<int32_t, 256> index{};
    for (int32_t c = 33; c <= 128; ++c) index[size_t(c)] = c - 32;
    return index;
}

} // namespace

const std::array<int32_t, 256> gGlyphIndex = MakeGlyphIndex();

bool DrawTextWhite(Shape& shape, const std::string& text, float size, const ColorRGBA& colour, const VectorF& position)
{
    Texture* font = gTextureLib ? gTextureLib->GetTexture(kFontPictureName) : nullptr;
    if (!font) return false;
    shape.ResetToTexture(font);
    shape.mDrawGroups.Free();
    shape.mPoints.SetGrowBy(kTextGrowBy);
    shape.mColors.SetGrowBy(kTextGrowBy);
    shape.mTexCoords.SetGrowBy(kTextGrowBy);
    shape.mTriangles.SetGrowBy(kTextGrowBy);
    BitmapFont::DrawString(shape, text, size, colour, position);
    return true;
}

namespace BitmapFont {

void DrawString(Shape& shape, const std::string& text, float size, const ColorRGBA& colour, VectorF position)
{
    const Texture* font = shape.mTexture;
    const VectorF span = font ? font->mSpan : VectorF{1.0f, 1.0f};
    const float cellU = span.mX / float(kFontGlyphColumns);
    const float cellV = span.mY / kFontGlyphRows;
    const uint32_t packed = colour.Pack();
    for (unsigned char c : text) {
        if (c == kSpace) {
            position.mX += size;
            continue;
        }
        const int32_t g = gGlyphIndex[c];
        if (g == 0) continue;
        const float u0 = float(g % kFontGlyphColumns) * cellU;
        const float v0 = float(g / kFontGlyphColumns) * cellV;
        const VectorF uv[4] = {{u0, v0}, {u0 + cellU, v0}, {u0 + cellU, v0 + cellV}, {u0, v0 + cellV}};
        shape.AppendQuad(RectF(position.mX, position.mY, position.mX + size, position.mY + size), packed, uv);
        position.mX += size;
    }
    shape.MarkChanged();
    shape.RecomputeBounds();
    SetSingleDrawGroup(shape.mDrawGroups, shape.mBounds, shape.mTriangles.Count());
}

void DrawTextAligned(Shape& shape, const std::string& text, float size, const ColorRGBA& colour, bool centreX,
                     bool centreY, VectorF position)
{
    if (centreX) position.mX -= float(text.size()) * size / 2.0f;
    if (centreY) position.mY -= size / 2.0f;
    DrawString(shape, text, size, colour, position);
}

} // namespace BitmapFont

} // namespace KIV
