#include <cstdio>
#include <csetjmp>
#include <cstring>
#include <jpeglib.h>
#include "base/TextFormat.h"
#include "render/PictureFile.h"

namespace KIV {

namespace {

// A progressive file may hold any number of scans, each a pass over the whole
// picture; real files have a few dozen. Beyond this a file only costs time.
constexpr int kMaxScans = 500;

// libjpeg reports errors by longjmp; nothing with a destructor may live in the
// frames it jumps over, so the reader's state is plain data.
struct JpegErrors {
    jpeg_error_mgr mManager;
    jpeg_progress_mgr mProgress;
    std::jmp_buf mJump;
    char mMessage[JMSG_LENGTH_MAX] = {};
    bool mDamaged = true;  // false when the file is sound but not one we take
};

void OnError(j_common_ptr cinfo)
{
    JpegErrors& errors = *reinterpret_cast<JpegErrors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors.mMessage);
    std::longjmp(errors.mJump, 1);
}

// A warning means damaged data that libjpeg would paint over in grey (a file
// cut short, a broken entropy segment): the picture is refused instead.
void OnMessage(j_common_ptr cinfo, int level)
{
    if (level < 0) OnError(cinfo);
}

void OnProgress(j_common_ptr cinfo)
{
    j_decompress_ptr d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
        JpegErrors& errors = *reinterpret_cast<JpegErrors*>(cinfo->err);
        std::snprintf(errors.mMessage, sizeof errors.mMessage, "more than %d scans", kMaxScans);
        std::longjmp(errors.mJump, 1);
    }
}

void SetReason(JpegErrors& errors, const char* text)
{
    std::snprintf(errors.mMessage, sizeof errors.mMessage, "%s", text);
    errors.mDamaged = false;
}

// The part of the decode that libjpeg may jump out of; true when the picture was read.
bool ReadScanlines(jpeg_decompress_struct& cinfo, JpegErrors& errors, const uint8_t* data, size_t size,
                   DecodedPicture& out)
{
    if (setjmp(errors.mJump)) return false;
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &errors.mProgress;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (!IsPictureSizeAccepted(cinfo.image_width, cinfo.image_height)) {
        SetReason(errors, "the picture is too large");
        return false;
    }
    // CMYK and YCCK have no conversion to RGB in libjpeg.
    if (cinfo.jpeg_color_space != JCS_GRAYSCALE && cinfo.jpeg_color_space != JCS_YCbCr &&
        cinfo.jpeg_color_space != JCS_RGB) {
        SetReason(errors, "colour space not supported");
        return false;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const int32_t width = static_cast<int32_t>(cinfo.output_width);
    const int32_t height = static_cast<int32_t>(cinfo.output_height);
    if (cinfo.output_components != 3 || !IsPictureSizeAccepted(width, height)) {
        SetReason(errors, "unsupported pixel layout");
        return false;
    }
    if (!out.mPixels.Resize(width * height * 3)) {
        SetReason(errors, "out of memory");
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.mPixels.Data() + size_t(cinfo.output_scanline) * width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    out.mWidth = width;
    out.mHeight = height;
    out.mBytesPerPixel = 3;
    return true;
}

} // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, DecodedPicture& out, std::string& reason)
{
    out = DecodedPicture{};
    if (!data || size < 3 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) {
        reason = "not a JPEG file";
        return false;
    }
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.mManager);
    errors.mManager.error_exit = OnError;
    errors.mManager.emit_message = OnMessage;
    errors.mProgress.progress_monitor = OnProgress;
    const bool ok = ReadScanlines(cinfo, errors, data, size, out);
    // Where reading stopped. At the end of the data libjpeg reads from a
    // buffer of its own that holds a made-up end marker.
    int32_t at = static_cast<int32_t>(size);
    if (cinfo.src && cinfo.src->next_input_byte >= data && cinfo.src->next_input_byte <= data + size)
        at = static_cast<int32_t>(cinfo.src->next_input_byte - data);
    jpeg_destroy_decompress(&cinfo);
    if (ok) return true;
    out = DecodedPicture{};
    reason = errors.mDamaged ? "damaged at byte " + IntToText(at) + ": " + errors.mMessage
                             : std::string(errors.mMessage);
    return false;
}

} // namespace KIV
