#include "render/WindowFrame.h"
#include "render/Shape.h"
#include "render/Texture.h"

namespace KIV {

namespace {

constexpr float kFrameGroupCellSize = 128.0f;

struct FramePiece {
    RectF mPoints;
    RectF mPicture;  // pixels of the frame picture
};

void AppendPiece(Shape& shape, const Texture& texture, const FramePiece& piece)
{
    const RectF& p = piece.mPicture;
    const VectorF uv[4] = {texture.PixelToTexCoord(p.x1, p.y1), texture.PixelToTexCoord(p.x2, p.y1),
                           texture.PixelToTexCoord(p.x2, p.y2), texture.PixelToTexCoord(p.x1, p.y2)};
    shape.AppendQuad(piece.mPoints, 0xFFFFFFFFu, uv);
}

// One allocation per list, or none when it already has exactly that room.
bool PrepareList(auto& list, int32_t capacity)
{
    list.Clear();
    return list.Capacity() == capacity || list.SetCapacity(capacity, 0);
}

} // namespace

bool BuildWindowFrameShapes(Shape& shape, Texture* frameTexture, float b, float t, bool firstSwitch,
                            bool secondSwitch, bool thirdSwitch, int32_t width, int32_t height)
{
    if (!frameTexture) return false;
    // Room for all eleven pieces: with every button shown the frame has 44 points and 22 triangles.
    if (!PrepareList(shape.mPoints, kWindowFrameMaxPoints) || !PrepareList(shape.mTexCoords, kWindowFrameMaxPoints) ||
        !PrepareList(shape.mColors, kWindowFrameMaxPoints) || !PrepareList(shape.mTriangles, kWindowFrameMaxTriangles))
        return false;
    const float w = float(width);
    const float h = float(height);
    const FramePiece frame[] = {
        {{-b, -t, 0, 0}, {1, 1, 4, 17}},          // title bar, left cap
        {{0, -t, w, 0}, {6, 1, 14, 17}},          // title bar, stretched over the width
        {{w, -t, w + b, 0}, {15, 1, 18, 17}},     // title bar, right cap
        {{-b, 0, 0, h}, {21, 1, 24, 17}},         // left edge
        {{w, 0, w + b, h}, {25, 1, 28, 17}},      // right edge
        {{-b, h, 0, h + b}, {31, 1, 34, 4}},      // bottom-left corner
        {{0, h, w, h + b}, {41, 1, 49, 4}},       // bottom edge
        {{w, h, w + b, h + b}, {35, 1, 39, 4}},   // bottom-right corner
    };
    for (const FramePiece& piece : frame) AppendPiece(shape, *frameTexture, piece);
    const FramePiece buttons[] = {
        {{w - 43, 2 - t, w - 30, 15 - t}, {86, 2, 100, 16}},
        {{w - 27, 2 - t, w - 14, 15 - t}, {70, 2, 84, 16}},
        {{w - 11, 2 - t, w + 2, 15 - t}, {54, 2, 68, 16}},
    };
    const bool shown[] = {secondSwitch, firstSwitch, thirdSwitch};
    for (int32_t i = 0; i < 3; ++i)
        if (shown[i]) AppendPiece(shape, *frameTexture, buttons[i]);

    shape.RecomputeBounds();
    shape.BuildDrawGroups(shape.mTriangles, kFrameGroupCellSize);
    shape.MarkChanged();
    shape.mTexture = frameTexture;
    shape.mDrawState.Reset();
    return true;
}

} // namespace KIV
