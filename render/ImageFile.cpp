#include "render/ImageFile.h"
#include <IL/il.h>
#include <IL/ilu.h>
#include <algorithm>
#include <cstring>
#include <set>
#include "base/FileUtils.h"
#include "base/Notices.h"
#include "base/Platform.h"
#include "render/PictureFile.h"

namespace KIV {

namespace {

ImageFileRegistry sImageFiles;

std::string& TexturesDirectory()
{
    static std::string dir = GetDefaultTexturesFolder() + "\\";
    return dir;
}

// A picture that will not load is asked for again and again (every texture
// request retries): the player hears of it once until it loads.
std::set<std::string> sReportedFailures;

void ReportPictureFailure(const std::string& name, const std::string& reason)
{
    if (!sReportedFailures.insert(name).second) return;
    ReportNotice("Picture Textures\\" + name + " could not be loaded: " + reason);
}

void InitDevIL()
{
    static bool done = false;
    if (!done) {
        ilInit();
        iluInit();
        done = true;
    }
}

// DevIL keeps a stack of errors; stale ones from an earlier call must not
// decide the result of this one.
void DrainDevILErrors()
{
    for (int i = 0; i < 64 && ilGetError() != IL_NO_ERROR; ++i) {
    }
}

void ReleaseDevILImage(ImageFile& record)
{
    if (record.mDevILImage != 0) {
        ILuint name = record.mDevILImage;
        ilDeleteImages(1, &name);
        record.mDevILImage = 0;
    }
}

// Keeps one transparent column and row on the left and top of the opaque
// area, none on the right and bottom.
void CropToOpaqueArea(ImageFile& img)
{
    const int32_t w = img.mStoredWidth, h = img.mStoredHeight;
    int32_t firstRow = -1, lastRow = -1;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            if (img.GetAlpha(x, y) > 0) {
                if (firstRow < 0) firstRow = y;
                lastRow = y;
                break;
            }
        }
    }
    if (firstRow < 0) return;  // fully transparent: kept whole
    int32_t firstCol = w, lastCol = -1;
    for (int32_t y = firstRow; y <= lastRow; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            if (img.GetAlpha(x, y) > 0) {
                firstCol = std::min(firstCol, x);
                lastCol = std::max(lastCol, x);
            }
        }
    }
    RectI crop(std::max(firstCol - 1, 0), std::max(firstRow - 1, 0), std::min(lastCol + 1, w),
               std::min(lastRow + 1, h));
    img.mCropRect = crop;
    const VectorI size = crop.GetSize();
    if (size.mX == w && size.mY == h) return;
    uint8_t* p = img.mPixels.Data();
    const size_t rowBytes = static_cast<size_t>(size.mX) * 4;
    for (int32_t y = 0; y < size.mY; ++y)
        std::memmove(p + rowBytes * y, p + (static_cast<size_t>(crop.mP1.mY + y) * w + crop.mP1.mX) * 4, rowBytes);
    img.mPixels.SetCapacity(size.mX * size.mY * 4, size.mX * size.mY * 4);
    img.mStoredWidth = size.mX;
    img.mStoredHeight = size.mY;
}

void ClearTransparentColours(ImageFile& img)
{
    uint8_t* p = img.mPixels.Data();
    for (int32_t i = 0; i < img.mStoredWidth * img.mStoredHeight; ++i, p += 4)
        if (p[3] == 0) p[0] = p[1] = p[2] = 0;
}

// Transparent pixels take the colour of their opaque neighbours, so linear
// filtering at the outline does not pull in black. Only opaque pixels are
// read, so the result does not depend on the scan order.
void BleedIntoTransparent(ImageFile& img)
{
    const int32_t w = img.mStoredWidth, h = img.mStoredHeight;
    uint8_t* p = img.mPixels.Data();
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* px = p + (static_cast<size_t>(y) * w + x) * 4;
            if (px[3] != 0) continue;
            int32_t sum[3] = {0, 0, 0}, n = 0;
            for (int32_t dy = -1; dy <= 1; ++dy) {
                for (int32_t dx = -1; dx <= 1; ++dx) {
                    const int32_t nx = x + dx, ny = y + dy;
                    if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                    const uint8_t* q = p + (static_cast<size_t>(ny) * w + nx) * 4;
                    if (q[3] == 0) continue;
                    sum[0] += q[0];
                    sum[1] += q[1];
                    sum[2] += q[2];
                    ++n;
                }
            }
            if (n > 0)
                for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>(sum[c] / n);
        }
    }
}

bool ExpandToRGBA(ImageFile& img)
{
    const int32_t n = img.mStoredWidth * img.mStoredHeight;
    Array<uint8_t> rgba;
    if (!rgba.Resize(n * 4)) return false;
    const uint8_t* s = img.mPixels.Data();
    uint8_t* d = rgba.Data();
    for (int32_t i = 0; i < n; ++i, s += 3, d += 4) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
        d[3] = 255;
    }
    img.mPixels = std::move(rgba);
    img.mPixels.SetGrowBy(1);
    img.mBytesPerPixel = 4;
    return true;
}

} // namespace

ImageFileRegistry* gImageFiles = &sImageFiles;

ImageFile::~ImageFile() { ReleaseDevILImage(*this); }

std::string GetDefaultTexturesFolder() { return GetExecutableDirectory() + "..\\Textures"; }

const std::string& GetTexturesDirectory() { return TexturesDirectory(); }

void SetTexturesDirectory(const std::string& folder)
{
    std::string dir = folder;
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
    if (dir == TexturesDirectory()) return;
    TexturesDirectory() = dir;
    // Other files: the player hears of their failures anew.
    sReportedFailures.clear();
    // Names are relative to the folder: pictures read from another folder are
    // stale. Their records stay (textures point at them) and load again on use.
    if (gImageFiles)
        for (int32_t i = 0; i < gImageFiles->Count(); ++i) UnloadImageFile(*(*gImageFiles)[i]);
}

ImageFileRegistry::~ImageFileRegistry()
{
    for (int32_t i = mFiles.Count() - 1; i >= 0; --i) delete mFiles[i];
    mFiles.Free();
}

ImageFile* ImageFileRegistry::Find(const std::string& name) const
{
    if (name.empty()) return nullptr;
    for (int32_t i = mFiles.Count() - 1; i >= 0; --i)
        if (mFiles[i]->mName == name) return mFiles[i];
    return nullptr;
}

ImageFile* ImageFileRegistry::Get(const std::string& name)
{
    if (name.empty()) return nullptr;
    if (ImageFile* found = Find(name)) return EnsureImageLoaded(*found) ? found : nullptr;
    ImageFile* record = new ImageFile;
    if (!LoadImageFile(*record, name) || !mFiles.PushBack(record)) {
        DeleteImageFile(record);
        return nullptr;
    }
    return record;
}

ImageFile* GetImageFile(const std::string& name) { return gImageFiles ? gImageFiles->Get(name) : nullptr; }

ImageFile* FindImageFile(const std::string& name) { return gImageFiles ? gImageFiles->Find(name) : nullptr; }

// The record changes only when the whole load succeeded.
bool LoadImageFile(ImageFile& record, const std::string& name)
{
    ReleaseDevILImage(record);
    DecodedPicture picture;
    std::string reason;
    // Names come from scene files and other outside bytes: none may reach
    // beyond the data root above the textures folder.
    bool ok = false;
    if (!IsRelativePathContained(name, 1))
        reason = "the name leaves the data folder";
    else
        ok = ReadPictureFile(GetTexturesDirectory() + name, picture, reason);
    if (!ok) {
        ReportPictureFailure(name, reason);
        return false;
    }
    sReportedFailures.erase(name);
    const int32_t width = picture.mWidth, height = picture.mHeight, bpp = picture.mBytesPerPixel;

    record.mName = name;
    record.mLoaded = true;
    record.mLoadFailed = false;
    record.mPixels = std::move(picture.mPixels);
    record.mPixels.SetGrowBy(1);
    record.mFullWidth = record.mStoredWidth = width;
    record.mFullHeight = record.mStoredHeight = height;
    record.mCropRect = RectI(0, 0, width, height);
    record.mBytesPerPixel = bpp;
    if (bpp == 4) {
        CropToOpaqueArea(record);
        ClearTransparentColours(record);
        BleedIntoTransparent(record);
    } else if (!ExpandToRGBA(record)) {
        UnloadImageFile(record);
        return false;
    }
    return true;
}

void UnloadImageFile(ImageFile& record)
{
    record.mPixels.Free();
    ReleaseDevILImage(record);
    record.mLoaded = false;
    record.mLoadFailed = false;
    record.mFullWidth = record.mFullHeight = 0;
    record.mStoredWidth = record.mStoredHeight = 0;
    record.mCropRect = RectI();
    record.mBytesPerPixel = 0;
}

bool EnsureImageLoaded(ImageFile& record)
{
    if (record.mLoaded) return true;
    if (record.mLoadFailed) return false;
    if (LoadImageFile(record, record.mName)) return true;
    record.mLoadFailed = true;
    return false;
}

void DeleteImageFile(ImageFile* record) { delete record; }

bool CopyImageRect(const ImageFile& record, Array<uint8_t>& destination, bool swapRedBlue, const RectI& rect,
                   int32_t destWidth, int32_t destHeight)
{
    if (!record.HasPixels()) return false;
    const int32_t bpp = record.mBytesPerPixel;
    if (destWidth < 0 || destHeight < 0 || int64_t(destWidth) * destHeight * bpp > INT32_MAX) return false;
    if (!destination.Resize(destWidth * destHeight * bpp)) return false;
    destination.FillZero();
    const VectorI size = rect.GetSize();
    if (size.mX <= 0 || size.mY <= 0) return true;
    RectI part = rect;
    part.Intersect(record.mCropRect);
    const int32_t dx = std::max(0, record.mCropRect.mP1.mX - rect.mP1.mX);
    const int32_t dy = std::max(0, record.mCropRect.mP1.mY - rect.mP1.mY);
    // The copy never runs past the destination, whatever size the caller gave.
    const int32_t w = std::min(part.mP2.mX - part.mP1.mX, destWidth - dx);
    const int32_t h = std::min(part.mP2.mY - part.mP1.mY, destHeight - dy);
    if (w <= 0 || h <= 0) return true;
    const int32_t sx = part.mP1.mX - record.mCropRect.mP1.mX;
    const int32_t sy = part.mP1.mY - record.mCropRect.mP1.mY;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* s = record.mPixels.Data() + (static_cast<size_t>(sy + y) * record.mStoredWidth + sx) * bpp;
        uint8_t* d = destination.Data() + (static_cast<size_t>(dy + y) * destWidth + dx) * bpp;
        if (bpp == 4 && swapRedBlue) {
            for (int32_t x = 0; x < w; ++x, s += 4, d += 4) {
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
                d[3] = s[3];
            }
        } else {
            std::memcpy(d, s, static_cast<size_t>(w) * bpp);
        }
    }
    return true;
}

bool SaveImageFile(ImageFile& record, const uint8_t* pixels, int32_t width, int32_t height, bool hasAlpha,
                   const std::string& fileName, int32_t targetWidth, int32_t targetHeight)
{
    if (!pixels || width <= 0 || height <= 0) return false;
    InitDevIL();
    if (record.mDevILImage == 0) {
        ILuint image = 0;
        ilGenImages(1, &image);
        record.mDevILImage = image;
    }
    ilBindImage(record.mDevILImage);
    DrainDevILErrors();
    bool ok = ilTexImage(width, height, 1, hasAlpha ? 4 : 3, hasAlpha ? IL_RGBA : IL_RGB, IL_BYTE,
                         const_cast<uint8_t*>(pixels));
    if (ok && (targetWidth != 0 || targetHeight != 0) && (targetWidth != width || targetHeight != height)) {
        iluImageParameter(ILU_FILTER, ILU_BILINEAR);
        ok = iluScale(targetWidth, targetHeight, 1);
    }
    // Without this DevIL refuses to replace an existing file and says nothing.
    ilEnable(IL_FILE_OVERWRITE);
    if (ok) ok = ilSaveImage(ToOsPath(fileName).c_str());
    ilBindImage(0);
    DrainDevILErrors();
    return ok;
}

} // namespace KIV
