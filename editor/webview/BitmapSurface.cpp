#include "editor/webview/BitmapSurface.h"

#include <cairo.h>

#include <algorithm>

namespace KIV {

BitmapSurface::BitmapSurface(int32_t width, int32_t height)
    : mWidth(width), mHeight(height), mSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height))
{
}

BitmapSurface::~BitmapSurface()
{
    cairo_surface_destroy(mSurface);
}

bool BitmapSurface::CopyTo(uint8_t* dest, int32_t rowSpan, int32_t bytesPerPixel, bool convertToRGBA, bool flipY)
{
    if (dest == nullptr || (bytesPerPixel != 3 && bytesPerPixel != 4) || rowSpan < mWidth * bytesPerPixel) {
        return false;
    }
    cairo_surface_flush(mSurface);
    const uint8_t* src = cairo_image_surface_get_data(mSurface);
    const int32_t stride = cairo_image_surface_get_stride(mSurface);
    if (src == nullptr) {
        return false;
    }
    // Cairo keeps premultiplied ARGB in native 32-bit words: B, G, R, A in
    // memory on this little-endian machine.
    const int r = convertToRGBA ? 0 : 2;
    const int b = convertToRGBA ? 2 : 0;
    for (int32_t y = 0; y < mHeight; ++y) {
        const uint8_t* in = src + static_cast<size_t>(y) * stride;
        uint8_t* out = dest + static_cast<size_t>(flipY ? mHeight - 1 - y : y) * rowSpan;
        for (int32_t x = 0; x < mWidth; ++x, in += 4, out += bytesPerPixel) {
            const uint8_t a = in[3];
            uint8_t cb = in[0], cg = in[1], cr = in[2];
            if (a != 255 && a != 0) {
                cb = static_cast<uint8_t>(std::min(255, (cb * 255 + a / 2) / a));
                cg = static_cast<uint8_t>(std::min(255, (cg * 255 + a / 2) / a));
                cr = static_cast<uint8_t>(std::min(255, (cr * 255 + a / 2) / a));
            }
            out[r] = cr;
            out[1] = cg;
            out[b] = cb;
            if (bytesPerPixel == 4) {
                out[3] = a;
            }
        }
    }
    mDirty = false;
    return true;
}

} // namespace KIV
