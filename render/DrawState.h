#pragma once
#include <cstdint>
#include "base/Color.h"

namespace KIV {

// How a mesh is blended, coloured, fogged and lit. Shapes carry one and copy it into their mesh on
// every draw; the command buffer records only the parts that change the GL state.
struct DrawState {
    int32_t mBlender = 0;     // index into the blend-mode table, 0 .. kBlendModeCount - 1
    int32_t mTexColorOp = 0;  // 0 modulates texture and colour, 1 adds them
    ColorRGBA mFillColor{255, 255, 255, 255};
    // An alpha of 0 means no fog; otherwise the alpha is the fog distance.
    ColorRGBA mFogColor{255, 255, 255, 0};
    int32_t mAlphaExtrude = 0;  // alpha-test reference; negative switches alpha testing off
    uint8_t mLighted = 1;

    // The builders' reset: the defaults with lighting off.
    void Reset()
    {
        *this = DrawState{};
        mLighted = 0;
    }
    bool operator==(const DrawState& o) const
    {
        return mBlender == o.mBlender && mTexColorOp == o.mTexColorOp && mFillColor == o.mFillColor &&
               mFogColor == o.mFogColor && mAlphaExtrude == o.mAlphaExtrude && mLighted == o.mLighted;
    }
};

// Three 16-bit point indices. Read as unsigned everywhere, so a shape may use all 65536 points.
struct IndexTriangle {
    uint16_t mA = 0;
    uint16_t mB = 0;
    uint16_t mC = 0;
};
static_assert(sizeof(IndexTriangle) == 6);

// The highest point count 16-bit indices can address.
inline constexpr int32_t kMaxIndexedPoints = 65536;

} // namespace KIV
