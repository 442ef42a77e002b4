#include "editor/webview/BitmapSurface.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

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
    // memory on this little-endian machine. Opaque pixels (nearly all of a
    // page) only swap red and blue, a loop the compiler vectorises; the few
    // translucent ones are then divided by their alpha.
    for (int32_t y = 0; y < mHeight; ++y) {
        const uint8_t* in = src + static_cast<size_t>(y) * stride;
        uint8_t* out = dest + static_cast<size_t>(flipY ? mHeight - 1 - y : y) * rowSpan;
        uint32_t alphaAnd = 0xFF000000u;
        if (bytesPerPixel == 4) {
            const uint32_t* words = reinterpret_cast<const uint32_t*>(in);
            uint32_t row[256];
            for (int32_t x0 = 0; x0 < mWidth; x0 += 256) {
                const int32_t n = std::min(256, mWidth - x0);
                for (int32_t i = 0; i < n; ++i) {
                    const uint32_t w = words[x0 + i];
                    alphaAnd &= w;
                    row[i] = convertToRGBA ? (w & 0xFF00FF00u) | ((w & 0xFFu) << 16) | ((w >> 16) & 0xFFu) : w;
                }
                std::memcpy(out + static_cast<size_t>(x0) * 4, row, static_cast<size_t>(n) * 4);
            }
        }
        if (bytesPerPixel == 4 && alphaAnd == 0xFF000000u) {
            continue; // the whole row is opaque
        }
        const int r = convertToRGBA ? 0 : 2;
        const int b = convertToRGBA ? 2 : 0;
        for (int32_t x = 0; x < mWidth; ++x) {
            const uint8_t* p = in + x * 4;
            const uint8_t a = p[3];
            if (a == 255 && bytesPerPixel == 4) {
                continue;
            }
            uint8_t cb = p[0], cg = p[1], cr = p[2];
            if (a != 255 && a != 0) {
                cb = static_cast<uint8_t>(std::min(255, (cb * 255 + a / 2) / a));
                cg = static_cast<uint8_t>(std::min(255, (cg * 255 + a / 2) / a));
                cr = static_cast<uint8_t>(std::min(255, (cr * 255 + a / 2) / a));
            }
            uint8_t* o = out + x * bytesPerPixel;
            o[r] = cr;
            o[1] = cg;
            o[b] = cb;
            if (bytesPerPixel == 4) {
                o[3] = a;
            }
        }
    }
    mDirty = false;
    return true;
}

} // namespace KIV
