#include <IL/il.h>
#include <cstring>
#include "render/PictureFile.h"

namespace KIV {

namespace {

// DevIL keeps a stack of errors; stale ones from an earlier call must not
// decide the result of this one.
void DrainErrors()
{
    for (int i = 0; i < 64 && ilGetError() != IL_NO_ERROR; ++i) {
    }
}

} // namespace

bool DecodeWithDevIL(const uint8_t* data, size_t size, const std::string& name, DecodedPicture& out,
                     std::string& reason)
{
    out = DecodedPicture{};
    static const bool initialised = (ilInit(), true);
    (void)initialised;
    // The type comes from the name alone: left to guess from the content,
    // DevIL would hand a PNG or JPEG to its own readers of them.
    const ILenum type = ilTypeFromExt(name.c_str());
    if (type == IL_TYPE_UNKNOWN || type == IL_PNG || type == IL_JPG || type == IL_JNG || type == IL_MNG) {
        reason = "file type not supported";
        return false;
    }
    if (size > 0xFFFFFFFFu) {
        reason = "too large";
        return false;
    }
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    DrainErrors();
    bool ok = false;
    reason = "damaged or not a picture of its type";
    if (ilLoadL(type, data, static_cast<ILuint>(size))) {
        const ILint width = ilGetInteger(IL_IMAGE_WIDTH);
        const ILint height = ilGetInteger(IL_IMAGE_HEIGHT);
        const ILint readBpp = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
        if (!IsPictureSizeAccepted(width, height)) {
            reason = "the picture is too large";
        } else if (ilConvertImage(readBpp == 4 ? IL_RGBA : IL_RGB, IL_UNSIGNED_BYTE)) {
            const ILint bpp = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
            const ILubyte* pixels = ilGetData();
            const int64_t bytes = int64_t(width) * height * bpp;
            if ((bpp == 3 || bpp == 4) && pixels && ilGetError() == IL_NO_ERROR &&
                out.mPixels.Resize(static_cast<int32_t>(bytes))) {
                std::memcpy(out.mPixels.Data(), pixels, static_cast<size_t>(bytes));
                out.mWidth = width;
                out.mHeight = height;
                out.mBytesPerPixel = bpp;
                reason.clear();
                ok = true;
            }
        }
    }
    ilBindImage(0);
    ilDeleteImages(1, &image);
    DrainErrors();
    if (!ok) out = DecodedPicture{};
    return ok;
}

} // namespace KIV
