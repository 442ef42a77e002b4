#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include "base/Array.h"

namespace KIV {

// Reading picture files from outside bytes. PNG goes through libpng and JPEG
// through libjpeg-turbo, both kept up and fuzzed upstream. DevIL reads
// nothing: its PNG and JPEG readers hang on damaged files, and its other
// readers take whatever memory a damaged header claims; it only writes.
// Every reader fails in bounded time, frees all it took, and says why.

// What a reader delivers: 8-bit RGB or RGBA, rows first row first, in the
// order the format stores them.
struct DecodedPicture {
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    int32_t mBytesPerPixel = 0;  // 3 or 4
    Array<uint8_t> mPixels;
};

enum class PictureFormat { Png, Jpeg, Other };

// Chosen by the name's extension, case-insensitively, so that a file's content
// never sends it to a reader it was not named for.
PictureFormat GetPictureFormat(const std::string& name);

// Pictures above these sizes are refused before any pixel memory is taken: a
// damaged header must not ask for gigabytes.
constexpr int32_t kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = int64_t(8192) * 8192;
// Files above this size are not read at all.
constexpr int64_t kMaxPictureFileBytes = int64_t(256) << 20;

// Each decoder reads a whole file held in memory; on failure the output is
// empty and reason says what was wrong, with the byte where it was found
// when the format lets one tell ("damaged at byte 57: ...").
bool DecodePng(const uint8_t* data, size_t size, DecodedPicture& out, std::string& reason);
bool DecodeJpeg(const uint8_t* data, size_t size, DecodedPicture& out, std::string& reason);
// By the format of name.
bool DecodePicture(const uint8_t* data, size_t size, const std::string& name, DecodedPicture& out,
                   std::string& reason);

// Reads a file (path in the program's spelling) and decodes it by its name.
// Reasons for a file that cannot be read: "not found", "permission denied",
// "empty", "too large", or the OS's own words.
bool ReadPictureFile(const std::string& path, DecodedPicture& out, std::string& reason);

// Whether a size from a picture header is one the readers accept.
bool IsPictureSizeAccepted(int64_t width, int64_t height);

} // namespace KIV
