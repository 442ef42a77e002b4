#pragma once
#include <cstdint>
#include "base/Vector.h"

namespace KIV {

class Toy;

// One particle's passage through a toy: where it went in and will come out
// (in the toy's frame), how deep its entry and exit holes sit along the way
// (0 to 2 over the passage), and which holes the material lets it make.
struct ParticlePenetration {
    uint8_t mInside = 0;  // first byte: switching penetration clears it on every record
    uint8_t mNoHole = 0;
    uint8_t mEntryOnly = 0;
    uint8_t mEntryAndExit = 0;
    uint8_t mEntryDone = 0;
    Toy* mToy = nullptr;
    VectorF mEntryPoint;
    VectorF mExitPoint;
    float mEntryDepth = 0.0f;
    float mExitDepth = 0.0f;
};

} // namespace KIV
