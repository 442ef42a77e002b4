#pragma once
#include "tools/contentgen/Canvas.h"

namespace KIV {

// The in-game window frame pieces, each at the fixed pixel rectangle the frame
// builder cuts it from: title bar caps and middle, side and bottom edges, the
// bottom corners, and the close, maximise and own-window buttons.
constexpr int32_t kFramePictureWidth = 256;
constexpr int32_t kFramePictureHeight = 64;

Canvas MakeWindowFramePicture(int number);

} // namespace KIV
