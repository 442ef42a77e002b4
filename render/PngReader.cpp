#include <png.h>
#include <csetjmp>
#include <cstring>
#include "base/TextFormat.h"
#include "render/PictureFile.h"

namespace KIV {

namespace {

// libpng reports errors by longjmp; nothing with a destructor may live in the
// frames it jumps over, so the reader's state is plain data owned by the caller.
struct PngSource {
    const uint8_t* mData = nullptr;
    size_t mSize = 0;
    size_t mPosition = 0;
    char mMessage[160] = {};
    bool mDamaged = true;  // false when the file is sound but not one we take
};

void ReadFromMemory(png_structp png, png_bytep to, png_size_t length)
{
    PngSource& source = *static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source.mSize - source.mPosition) {
        // The position moves to the end, so the reason names where the file ended.
        source.mPosition = source.mSize;
        png_error(png, "the file ends early");
    }
    std::memcpy(to, source.mData + source.mPosition, length);
    source.mPosition += length;
}

void OnError(png_structp png, png_const_charp message)
{
    PngSource& source = *static_cast<PngSource*>(png_get_error_ptr(png));
    std::snprintf(source.mMessage, sizeof source.mMessage, "%s", message ? message : "error");
    png_longjmp(png, 1);
}

// Warnings are about ancillary data that libpng already skipped.
void OnWarning(png_structp, png_const_charp) {}

// The part of the decode that libpng may jump out of; true when the picture was read.
bool ReadRows(png_structp png, png_infop info, PngSource& source, DecodedPicture& out, Array<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, &source, ReadFromMemory);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (!IsPictureSizeAccepted(width, height)) {
        std::snprintf(source.mMessage, sizeof source.mMessage, "a picture of %u x %u pixels is too large", width,
                      height);
        source.mDamaged = false;
        return false;
    }
    // Every colour type becomes 8-bit RGB, with alpha when the file has any.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info);
    if ((channels != 3 && channels != 4) || png_get_rowbytes(png, info) != size_t(width) * channels) {
        std::snprintf(source.mMessage, sizeof source.mMessage, "unsupported pixel layout");
        return false;
    }
    const int64_t bytes = int64_t(width) * height * channels;
    if (!out.mPixels.Resize(static_cast<int32_t>(bytes)) || !rows.Resize(static_cast<int32_t>(height))) {
        std::snprintf(source.mMessage, sizeof source.mMessage, "out of memory");
        source.mDamaged = false;
        return false;
    }
    for (png_uint_32 y = 0; y < height; ++y) rows[int32_t(y)] = out.mPixels.Data() + size_t(y) * width * channels;
    png_read_image(png, rows.Data());
    out.mWidth = static_cast<int32_t>(width);
    out.mHeight = static_cast<int32_t>(height);
    out.mBytesPerPixel = channels;
    return true;
}

uint32_t BigEndian32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Walks the chunk list before libpng does: a chunk that claims more bytes
// than the file holds is refused here, since libpng would first try to take
// memory for it and skip through it. The position of the first such chunk,
// or 0 when every chunk fits.
size_t FirstOverlongChunk(const uint8_t* data, size_t size)
{
    size_t at = 8;
    while (at + 8 <= size) {
        const uint64_t length = BigEndian32(data + at);
        if (at + 12 + length > size) return at;
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) return 0;
        at += 12 + size_t(length);
    }
    return 0;
}

} // namespace

bool DecodePng(const uint8_t* data, size_t size, DecodedPicture& out, std::string& reason)
{
    out = DecodedPicture{};
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        reason = "not a PNG file";
        return false;
    }
    if (const size_t at = FirstOverlongChunk(data, size)) {
        reason = "damaged at byte " + IntToText(static_cast<int32_t>(at)) + ": a chunk runs past the end of the file";
        return false;
    }
    PngSource source;
    source.mData = data;
    source.mSize = size;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        reason = "out of memory";
        return false;
    }
    // Bounds against damaged or hostile files: sizes, and the memory one
    // ancillary chunk or the count of them may claim.
    png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
    png_set_chunk_cache_max(png, 1000);
    png_set_chunk_malloc_max(png, 8u << 20);
    Array<png_bytep> rows;
    const bool ok = ReadRows(png, info, source, out, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    if (ok) return true;
    out = DecodedPicture{};
    reason = source.mDamaged
                 ? "damaged at byte " + IntToText(static_cast<int32_t>(source.mPosition)) + ": " + source.mMessage
                 : std::string(source.mMessage);
    return false;
}

} // namespace KIV
