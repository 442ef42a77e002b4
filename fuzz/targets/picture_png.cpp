// fuzz-runs: 1500
// A Png picture file as the texture library would read it: it decodes in
// bounded time or fails with a reason, and a decoded picture is whole.
#include <cstdlib>
#include "render/PictureFile.h"

using namespace KIV;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DecodedPicture picture;
    std::string reason;
    if (!DecodePng(data, size, picture, reason)) {
        if (reason.empty() || picture.mPixels.Count() != 0) std::abort();
        return 0;
    }
    if (!IsPictureSizeAccepted(picture.mWidth, picture.mHeight) ||
        (picture.mBytesPerPixel != 3 && picture.mBytesPerPixel != 4) ||
        picture.mPixels.Count() != picture.mWidth * picture.mHeight * picture.mBytesPerPixel)
        std::abort();
    return 0;
}
