#include <gtest/gtest.h>

#include "editor/webview/BitmapSurface.h"

#include <cairo.h>

#include <cstring>
#include <vector>

using namespace KIV;

// Pixels the page drew translucent come out with straight alpha, in the
// order asked for, opaque rows as they are.
TEST(BitmapSurface, CopiesStraightAlphaInTheAskedOrder)
{
    BitmapSurface surface(3, 2);
    uint8_t* data = cairo_image_surface_get_data(surface.GetCairoSurface());
    const int stride = cairo_image_surface_get_stride(surface.GetCairoSurface());
    // Row 0 opaque: (B, G, R, A) in memory. Row 1: half-transparent red, clear, white.
    const uint8_t row0[12] = {30, 20, 10, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    const uint8_t row1[12] = {0, 0, 128, 128, 0, 0, 0, 0, 255, 255, 255, 255};
    cairo_surface_flush(surface.GetCairoSurface());
    std::memcpy(data, row0, 12);
    std::memcpy(data + stride, row1, 12);
    cairo_surface_mark_dirty(surface.GetCairoSurface());
    surface.SetIsDirty(true);

    struct Case {
        int32_t mBytesPerPixel;
        bool mRgba;
        bool mFlip;
        std::vector<uint8_t> mExpected;
    };
    const Case cases[] = {
        {4, true, false, {10, 20, 30, 255, 255, 0, 0, 255, 255, 255, 255, 255, //
                          255, 0, 0, 128, 0, 0, 0, 0, 255, 255, 255, 255}},
        {4, false, false, {30, 20, 10, 255, 0, 0, 255, 255, 255, 255, 255, 255, //
                           0, 0, 255, 128, 0, 0, 0, 0, 255, 255, 255, 255}},
        {3, true, true, {255, 0, 0, 0, 0, 0, 255, 255, 255, //
                         10, 20, 30, 255, 0, 0, 255, 255, 255}},
    };
    for (const Case& c : cases) {
        const int32_t span = 3 * c.mBytesPerPixel;
        std::vector<uint8_t> out(static_cast<size_t>(span) * 2, 99);
        ASSERT_TRUE(surface.CopyTo(out.data(), span, c.mBytesPerPixel, c.mRgba, c.mFlip));
        EXPECT_EQ(out, c.mExpected) << c.mBytesPerPixel << c.mRgba << c.mFlip;
        EXPECT_FALSE(surface.IsDirty());
    }
}
