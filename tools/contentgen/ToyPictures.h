#pragma once
#include "tools/contentgen/Canvas.h"

namespace KIV {

// The soft toys of the starting set, numbered from 1; each a single region
// without holes, opaque inside and transparent outside.
constexpr int kToyPictureCount = 12;
Canvas MakeToyPicture(int number);
// The test gun's bullet: a short brass slug pointing left, the way the gun fires.
Canvas MakeBulletPicture(int number);

} // namespace KIV
