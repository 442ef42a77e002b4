#pragma once
#include "tools/contentgen/Canvas.h"

namespace KIV {

// Water seen from the side: blue depths with a net of light ripples, partly
// transparent, repeating seamlessly in both directions.
constexpr int32_t kWaterPictureSize = 512;

Canvas MakeWaterPicture(int number);

} // namespace KIV
