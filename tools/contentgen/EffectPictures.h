#pragma once
#include "tools/contentgen/Canvas.h"

namespace KIV {

// The particles of the default materials' effects: a bright spark with a
// soft glow for bullet holes, and a soft grey puff of dust for dents. Both
// light, so the particle colour tints them.
constexpr int32_t kEffectPictureSize = 32;
Canvas MakeSparkPicture(int number);
Canvas MakeDustPicture(int number);

} // namespace KIV
