#pragma once
#include <cstdint>

namespace KIV {

// A link between two mesh points, shared by the springs of the mesh and the
// elastic links: the rest length and its inverse, and for elastic links the
// rest offset (rest B - rest A) and the link's factor. 28 bytes.
struct ToyLink {
    int32_t mA = 0;
    int32_t mB = 0;
    float mInvRestLength = 1.0f;
    float mRestLength = 1.0f;
    float mRestOffsetX = 0.0f;
    float mRestOffsetY = 0.0f;
    float mFactor = 0.0f;
};
static_assert(sizeof(ToyLink) == 28);

} // namespace KIV
