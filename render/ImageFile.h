#pragma once
#include <cstdint>
#include <string>
#include "base/Array.h"
#include "base/Rect.h"

namespace KIV {

// A picture file decoded to 8-bit RGBA and cropped to its area that is not
// fully transparent. Textures, outline tracing, fragment grids and decals all
// read their pixels from here, so each file is decoded once.
struct ImageFile {
    std::string mName;           // relative to the textures folder, as the caller gave it
    int32_t mFullWidth = 0;      // size of the picture in the file
    int32_t mFullHeight = 0;
    RectI mCropRect;             // kept part, in full-picture pixels; right and bottom exclusive
    int32_t mStoredWidth = 0;    // size of the kept pixels (the crop rectangle's size)
    int32_t mStoredHeight = 0;
    int32_t mBytesPerPixel = 0;  // 4 after every successful load
    Array<uint8_t> mPixels;      // rows of stored width × bytes per pixel, first row first
    bool mLoaded = false;
    bool mLoadFailed = false;    // a load was tried and failed: not tried again by GetImageFile
    uint32_t mDevILImage = 0;    // only a save keeps a DevIL image between calls

    ImageFile() = default;
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;
    ~ImageFile();

    bool HasPixels() const { return mPixels.Count() > 0; }
    // Alpha of a stored pixel; the caller keeps (x, y) inside the stored size.
    uint8_t GetAlpha(int32_t x, int32_t y) const
    {
        return mPixels[(y * mStoredWidth + x) * mBytesPerPixel + 3];
    }
};

// The folder that picture names are relative to, ending with "\". It starts as
// the program folder's "..\Textures\" (never the current directory); the
// texture library points it at the folder it scans.
const std::string& GetTexturesDirectory();
void SetTexturesDirectory(const std::string& folder);
std::string GetDefaultTexturesFolder();  // program folder + "..\Textures", no trailing "\"

// The program-wide registry of decoded pictures. Records stay for the
// registry's life; unloading one keeps its place so it can be loaded again.
class ImageFileRegistry {
public:
    ImageFileRegistry() { mFiles.SetGrowBy(1); }
    ImageFileRegistry(const ImageFileRegistry&) = delete;
    ImageFileRegistry& operator=(const ImageFileRegistry&) = delete;
    ~ImageFileRegistry();

    ImageFile* Get(const std::string& name);
    ImageFile* Find(const std::string& name) const;
    int32_t Count() const { return mFiles.Count(); }
    ImageFile* operator[](int32_t i) const { return mFiles[i]; }

private:
    Array<ImageFile*> mFiles;
};

extern ImageFileRegistry* gImageFiles;

ImageFile* GetImageFile(const std::string& name);
ImageFile* FindImageFile(const std::string& name);
bool LoadImageFile(ImageFile& record, const std::string& name);
void UnloadImageFile(ImageFile& record);
// Loads a record that is not loaded, unless a load failed before; a failing
// load marks it failed. True when the record is loaded afterwards.
bool EnsureImageLoaded(ImageFile& record);
void DeleteImageFile(ImageFile* record);
// Copies a rectangle given in full-picture pixels into a zeroed destination of
// destWidth × destHeight pixels; swap turns RGBA into BGRA.
bool CopyImageRect(const ImageFile& record, Array<uint8_t>& destination, bool swapRedBlue, const RectI& rect,
                   int32_t destWidth, int32_t destHeight);
// Writes a picture; the file type follows the name's extension. The record only
// holds the DevIL image between saves. The path is the program's spelling.
bool SaveImageFile(ImageFile& record, const uint8_t* pixels, int32_t width, int32_t height, bool hasAlpha,
                   const std::string& fileName, int32_t targetWidth, int32_t targetHeight);

} // namespace KIV
