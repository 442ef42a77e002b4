#include "render/PictureFile.h"
#include "base/FileUtils.h"
#include "base/MemoryStream.h"

namespace KIV {

namespace {

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

} // namespace

PictureFormat GetPictureFormat(const std::string& name)
{
    const std::string ext = LowerAscii(GetPathExtension(name));
    if (ext == "png") return PictureFormat::Png;
    if (ext == "jpg" || ext == "jpeg" || ext == "jpe" || ext == "jfif") return PictureFormat::Jpeg;
    return PictureFormat::Other;
}

bool IsPictureSizeAccepted(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

bool DecodePicture(const uint8_t* data, size_t size, const std::string& name, DecodedPicture& out,
                   std::string& reason)
{
    out = DecodedPicture{};
    if (size == 0) {
        reason = "empty";
        return false;
    }
    switch (GetPictureFormat(name)) {
    case PictureFormat::Png:
        return DecodePng(data, size, out, reason);
    case PictureFormat::Jpeg:
        return DecodeJpeg(data, size, out, reason);
    case PictureFormat::Other:
        break;
    }
    reason = "file type not supported (pictures are PNG or JPEG files)";
    return false;
}

bool ReadPictureFile(const std::string& path, DecodedPicture& out, std::string& reason)
{
    out = DecodedPicture{};
    MemoryStream file;
    if (!file.LoadFromFile(path)) {
        reason = file.GetFailReason();
        return false;
    }
    if (file.GetSize() > kMaxPictureFileBytes) {
        reason = "too large";
        return false;
    }
    return DecodePicture(file.GetData(), static_cast<size_t>(file.GetSize()), path, out, reason);
}

} // namespace KIV
