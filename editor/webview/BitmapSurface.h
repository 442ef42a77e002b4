#pragma once
#include <cstdint>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

namespace KIV {

// The pixels of an off-screen view, as the page last drew them. The changed
// flag is set whenever the page draws and cleared by CopyTo, so a caller
// copies only frames that differ.
class BitmapSurface {
public:
    BitmapSurface(int32_t width, int32_t height);
    ~BitmapSurface();
    BitmapSurface(const BitmapSurface&) = delete;
    BitmapSurface& operator=(const BitmapSurface&) = delete;

    int32_t GetWidth() const { return mWidth; }
    int32_t GetHeight() const { return mHeight; }
    bool IsDirty() const { return mDirty; }
    void SetIsDirty(bool dirty) { mDirty = dirty; }

    // Writes width x height pixels into dest, rowSpan bytes apart, with
    // bytesPerPixel 4 (RGBA or BGRA) or 3 (RGB or BGR, alpha dropped), rows
    // bottom-up when flip. Pixels are straight (not premultiplied) alpha.
    // Returns false, writing nothing, for other pixel sizes or a row span too
    // small for a row.
    bool CopyTo(uint8_t* dest, int32_t rowSpan, int32_t bytesPerPixel, bool convertToRGBA, bool flipY);

    // For the view: the cairo surface its page is drawn into.
    cairo_surface_t* GetCairoSurface() const { return mSurface; }

private:
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    bool mDirty = false;
    cairo_surface_t* mSurface = nullptr;
};

} // namespace KIV
