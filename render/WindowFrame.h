#pragma once
#include <cstdint>

namespace KIV {

class Shape;
class Texture;

// The frame picture of the in-game windows.
inline constexpr const char* kWindowFramePictureName = "Editor\\EditWindowFrameStuff.png";
// Eight frame pieces and up to three title-bar buttons, four points and two triangles each.
inline constexpr int32_t kWindowFrameMaxPoints = 44;
inline constexpr int32_t kWindowFrameMaxTriangles = 22;

// Builds a window's frame in window coordinates (origin at the content's top-left corner, y down):
// title bar with end caps above, thin edges, bottom corners, and the title-bar buttons whose switches
// are set. False, with the shape untouched, without a frame texture.
bool BuildWindowFrameShapes(Shape& shape, Texture* frameTexture, float border, float titleHeight, bool firstSwitch,
                            bool secondSwitch, bool thirdSwitch, int32_t width, int32_t height);

} // namespace KIV
