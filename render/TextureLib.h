#pragma once
#include <cstdint>
#include <string>
#include "base/Array.h"
#include "render/ImageFile.h"
#include "render/Texture.h"

namespace KIV {

struct FolderRange {
    int32_t mFirst = 0;  // first file of the folder
    int32_t mEnd = 0;    // one past its last file
};

// A folder tree as last scanned: every sub-folder (relative, depth-first, each
// followed directly by its own sub-folders), the matching files per folder and
// their last-write times.
struct FolderSnapshot {
    StringArray mFolderNames;
    StringArray mFileNames;        // folder name + "\" + file name
    Array<uint64_t> mFileTimes;    // one per file name
    Array<FolderRange> mFolderRanges;

    void Assign(const FolderSnapshot& other);
    // Files of folder i, or false when its range does not fit the file list.
    bool GetRange(int32_t folder, FolderRange& range) const;
};

// Fills a snapshot of folder. With rootOnly the folder itself is the only
// folder; otherwise only its sub-folders (at any depth) are listed.
void ScanFolderTree(const StringArray& masks, const std::string& folder, FolderSnapshot& snapshot, bool rootOnly);

// Called before a texture is destroyed, so the renderer can free its upload record.
using TextureReleaseHandler = void (*)(Texture& texture);

// The single owner of all textures: knows the picture files under the
// textures folder, hands out textures by name (preparing them on first use),
// makes blank textures, and picks up changed, new and vanished files on Rescan.
class TextureLib {
public:
    // The folder defaults to the program folder's "..\Textures"; tests give their own.
    explicit TextureLib(const std::string& folder = GetDefaultTexturesFolder());
    TextureLib(const TextureLib&) = delete;
    TextureLib& operator=(const TextureLib&) = delete;
    ~TextureLib();

    void SetFolder(const std::string& folder);
    Texture* LoadTexture(const std::string& name);
    Texture* FindTexture(const std::string& name) const;
    Texture* GetTexture(const std::string& name);
    Texture* CreateTexture(const VectorI& size);
    void ReloadFile(PtrArray<Texture>& list, const std::string& fileName);
    void RemoveFile(const std::string& fileName);
    void Rescan();
    bool SelectTexture(const std::string& name);
    void ForgetGLTextures();

    // A toy's own picture instance: file name + "|" + the next counter value.
    // A name that already has a "|" part is returned unchanged.
    std::string MakeInstanceName(const std::string& fileName);
    // GetTexture for a holder that lets go again with ReleaseTexture (a toy).
    // A per-toy instance ("name|n") is destroyed when its last holder lets go,
    // so creating and destroying toys does not grow the library; textures of
    // plain names are shared and stay. A failed request leaves no instance behind.
    Texture* AcquireTexture(const std::string& name);
    // True when the texture was destroyed.
    bool ReleaseTexture(Texture* texture);
    void SetReleaseHandler(TextureReleaseHandler handler) { mReleaseHandler = handler; }

    const std::string& GetFolder() const { return mFolder; }
    int32_t GetNamedTextureCount() const { return mNamedTextures.Count(); }
    int32_t GetGeneratedTextureCount() const { return mGeneratedTextures.Count(); }
    int32_t GetInstanceCounter() const { return mInstanceCounter; }

    PtrArray<Texture> mNamedTextures;
    PtrArray<Texture> mGeneratedTextures;
    std::string mFolder;
    FolderSnapshot mCurrent;
    FolderSnapshot mScratch;
    StringArray mMasks;
    std::string mSelectedName;

private:
    bool DestroyInstance(Texture* texture);

    int32_t mInstanceCounter = 0;
    TextureReleaseHandler mReleaseHandler = nullptr;
};

extern TextureLib* gTextureLib;

} // namespace KIV
