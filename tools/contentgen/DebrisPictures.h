#pragma once
#include "tools/contentgen/Canvas.h"

namespace KIV {

// A small light-grey rock for debris particles; the particle colour tints it.
constexpr int32_t kRockPictureSize = 32;
Canvas MakeRockPicture(int number);

// Damage marks stamped into toy pictures, numbered from 1: a scorch mark, a
// crack, scratches and a hole. Dark colours whose alpha says how strongly
// they cover the toy.
constexpr int kDecalPictureCount = 4;
Canvas MakeDecalPicture(int number);

} // namespace KIV
