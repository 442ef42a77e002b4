#pragma once
#include <IL/il.h>
#include <cstdint>
#include <string>
#include <vector>
#include "base/Platform.h"

// Pictures made at test time: an RGBA (or RGB) raster, first row at the top,
// written as a real picture file through DevIL.
struct TestPicture {
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    int32_t mBytesPerPixel = 4;
    std::vector<uint8_t> mPixels;

    TestPicture(int32_t w, int32_t h, int32_t bpp = 4)
        : mWidth(w), mHeight(h), mBytesPerPixel(bpp), mPixels(size_t(w) * h * bpp, 0)
    {
    }

    static TestPicture Filled(int32_t w, int32_t h, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
    {
        TestPicture p(w, h);
        p.FillRect(0, 0, w, h, r, g, b, a);
        return p;
    }

    // Rows of text: '#' opaque white, '.' fully transparent.
    static TestPicture FromArt(const std::vector<std::string>& rows)
    {
        TestPicture p(int32_t(rows[0].size()), int32_t(rows.size()));
        for (int32_t y = 0; y < p.mHeight; ++y)
            for (int32_t x = 0; x < p.mWidth; ++x)
                if (rows[y][x] == '#') p.Set(x, y, 255, 255, 255, 255);
        return p;
    }

    void Set(int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
    {
        uint8_t* px = &mPixels[(size_t(y) * mWidth + x) * mBytesPerPixel];
        px[0] = r;
        px[1] = g;
        px[2] = b;
        if (mBytesPerPixel == 4) px[3] = a;
    }
    void FillRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
    {
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = x0; x < x1; ++x) Set(x, y, r, g, b, a);
    }

    // path in the program's spelling. DevIL takes a raster made with
    // ilTexImage as bottom row first, so the rows are handed over reversed.
    bool Save(const std::string& path) const
    {
        static bool init = (ilInit(), true);
        (void)init;
        std::vector<uint8_t> flipped(mPixels.size());
        const size_t row = size_t(mWidth) * mBytesPerPixel;
        for (int32_t y = 0; y < mHeight; ++y)
            std::copy_n(&mPixels[row * y], row, &flipped[row * (mHeight - 1 - y)]);
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        bool ok = ilTexImage(mWidth, mHeight, 1, ILubyte(mBytesPerPixel), mBytesPerPixel == 4 ? IL_RGBA : IL_RGB,
                             IL_UNSIGNED_BYTE, flipped.data());
        ilEnable(IL_FILE_OVERWRITE);
        ok = ok && ilSaveImage(KIV::ToOsPath(path).c_str());
        ilDeleteImages(1, &image);
        return ok;
    }
};
