#include "render/TextureLib.h"
#include "base/FileUtils.h"

namespace KIV {

TextureLib* gTextureLib = nullptr;

namespace {

void EmptyNameList(StringArray& list)
{
    list.SetCapacity(0, 0);
    list.SetCapacity(1024, 0);
    list.SetGrowBy(1024);
}

} // namespace

void FolderSnapshot::Assign(const FolderSnapshot& other)
{
    if (&other == this) return;
    mFolderNames.Assign(other.mFolderNames);
    mFileNames.Assign(other.mFileNames);
    mFileTimes.Assign(other.mFileTimes);
    mFolderRanges.Assign(other.mFolderRanges);
}

bool FolderSnapshot::GetRange(int32_t folder, FolderRange& range) const
{
    if (folder < 0 || folder >= mFolderRanges.Count()) return false;
    range = mFolderRanges[folder];
    return range.mFirst >= 0 && range.mFirst <= range.mEnd && range.mEnd <= mFileNames.Count() &&
           range.mEnd <= mFileTimes.Count();
}

void ScanFolderTree(const StringArray& masks, const std::string& folder, FolderSnapshot& snapshot, bool rootOnly)
{
    EmptyNameList(snapshot.mFolderNames);
    EmptyNameList(snapshot.mFileNames);
    snapshot.mFileTimes.SetCapacity(0, 0);
    snapshot.mFileTimes.SetCapacity(1024, 0);
    snapshot.mFileTimes.SetGrowBy(1024);

    StringArray& folders = snapshot.mFolderNames;
    if (rootOnly) {
        folders.PushBack(std::string());
    } else {
        ListSubfolders(-1, folder, "*.*", folders);
        // The list grows while it is walked: each folder's sub-folders go
        // directly after it, which makes the order depth-first.
        for (int32_t i = 0; i < folders.Count(); ++i) ListSubfolders(i + 1, folders[i], "*.*", folders);
        const std::string root = folder + "\\";
        for (int32_t i = 0; i < folders.Count(); ++i)
            if (folders[i].compare(0, root.size(), root) == 0) folders[i] = folders[i].substr(root.size());
    }

    snapshot.mFolderRanges.Resize(folders.Count());
    StringArray found;
    Array<uint64_t> times;
    for (int32_t f = 0; f < folders.Count(); ++f) {
        FolderRange& range = snapshot.mFolderRanges[f];
        range.mFirst = snapshot.mFileNames.Count();
        const std::string prefix = folders[f].empty() ? std::string() : folders[f] + "\\";
        for (int32_t m = 0; m < masks.Count(); ++m) {
            found.SetCapacity(0, 0);
            times.Clear();
            ListDirectoryFilesWithTimes(folder + "\\" + folders[f], masks[m], found, &times);
            for (int32_t i = 0; i < found.Count() && i < times.Count(); ++i) {
                snapshot.mFileNames.PushBack(prefix + GetPathFileName(found[i]));
                snapshot.mFileTimes.PushBack(times[i]);
            }
        }
        range.mEnd = snapshot.mFileNames.Count();
    }
}

TextureLib::TextureLib(const std::string& folder)
{
    // Code that runs during construction already finds the library.
    gTextureLib = this;
    mNamedTextures.SetGrowBy(256);
    mGeneratedTextures.SetGrowBy(32);
    mMasks.PushBack("*.png");
    mMasks.PushBack("*.jpg");
    mMasks.PushBack("*.jpeg");
    SetFolder(folder);
}

TextureLib::~TextureLib()
{
    if (gTextureLib == this) gTextureLib = nullptr;
}

// Pictures are read from the folder that is scanned, never from the current
// directory: the image registry is pointed at it too.
void TextureLib::SetFolder(const std::string& folder)
{
    mFolder = folder;
    SetTexturesDirectory(mFolder);
    ScanFolderTree(mMasks, mFolder, mCurrent, false);
    mNamedTextures.DeleteAll();
    mNamedTextures.SetCapacity(mCurrent.mFileNames.Count(), 0);
    for (int32_t i = 0; i < mCurrent.mFileNames.Count(); ++i) LoadTexture(mCurrent.mFileNames[i]);
}

Texture* TextureLib::LoadTexture(const std::string& name)
{
    Texture* texture = new Texture;
    texture->ParseName(name);
    // A per-toy instance shares the caches of its plain picture, so the
    // traced outline and mesh are made once per picture, not once per toy.
    if (texture->mKeepPixels) {
        Texture* base = FindTexture(texture->mPlainName);
        if (!base) base = LoadTexture(texture->mPlainName);
        texture->SetCacheOwner(base);
    }
    if (!mNamedTextures.Append(texture)) {
        delete texture;
        return nullptr;
    }
    return texture;
}

Texture* TextureLib::FindTexture(const std::string& name) const
{
    for (int32_t i = mNamedTextures.Count() - 1; i >= 0; --i)
        if (mNamedTextures[i]->mFullName == name) return mNamedTextures[i];
    return nullptr;
}

Texture* TextureLib::GetTexture(const std::string& name)
{
    if (name.empty()) return nullptr;
    Texture* texture = FindTexture(name);
    if (!texture) texture = LoadTexture(name);
    if (!texture) return nullptr;
    if (texture->mReady) return texture;
    texture->Prepare();
    return texture->mReady ? texture : nullptr;
}

Texture* TextureLib::CreateTexture(const VectorI& size)
{
    Texture* texture = new Texture;
    if (!texture->InitBlank(size) || !mGeneratedTextures.Append(texture)) {
        delete texture;
        return nullptr;
    }
    return texture;
}

void TextureLib::ReloadFile(PtrArray<Texture>& list, const std::string& fileName)
{
    ImageFile* image = FindImageFile(fileName);
    if (!image) return;
    const bool loaded = LoadImageFile(*image, fileName);
    if (!loaded) {
        // A file that no longer decodes keeps no stale pixels behind.
        UnloadImageFile(*image);
        image->mLoadFailed = true;
    }
    for (int32_t i = list.Count() - 1; i >= 0; --i) {
        Texture* texture = list[i];
        if (texture->mFileName != fileName) continue;
        texture->mRendererHandle = nullptr;
        texture->ClearCaches();
        if (!texture->Prepare()) texture->Reset();
    }
}

void TextureLib::RemoveFile(const std::string& fileName)
{
    ImageFile* image = FindImageFile(fileName);
    if (!image) return;
    UnloadImageFile(*image);
    for (int32_t i = mNamedTextures.Count() - 1; i >= 0; --i)
        if (mNamedTextures[i]->mFileName == fileName) mNamedTextures[i]->Reset();
}

namespace {

// Index of the file among the files of the named folder in the snapshot; -1
// when the folder is not there, its range is invalid or the file is absent.
int32_t FindFileInFolder(const FolderSnapshot& snapshot, const std::string& folder, const std::string& file)
{
    FolderRange range;
    if (!snapshot.GetRange(snapshot.mFolderNames.IndexOf(folder), range)) return -1;
    for (int32_t j = range.mFirst; j < range.mEnd; ++j)
        if (snapshot.mFileNames[j] == file) return j;
    return -1;
}

} // namespace

void TextureLib::Rescan()
{
    ScanFolderTree(mMasks, mFolder, mScratch, false);
    for (int32_t f = 0; f < mScratch.mFolderNames.Count(); ++f) {
        FolderRange range;
        if (!mScratch.GetRange(f, range)) continue;
        for (int32_t i = range.mFirst; i < range.mEnd; ++i) {
            const std::string& file = mScratch.mFileNames[i];
            const int32_t old = FindFileInFolder(mCurrent, mScratch.mFolderNames[f], file);
            if (old < 0) {
                ReloadFile(mNamedTextures, file);
                if (!FindTexture(file)) LoadTexture(file);
            } else if (mCurrent.mFileTimes[old] != mScratch.mFileTimes[i]) {
                ReloadFile(mNamedTextures, file);
            }
        }
    }
    for (int32_t f = 0; f < mCurrent.mFolderNames.Count(); ++f) {
        FolderRange range;
        if (!mCurrent.GetRange(f, range)) continue;
        for (int32_t i = range.mFirst; i < range.mEnd; ++i)
            if (FindFileInFolder(mScratch, mCurrent.mFolderNames[f], mCurrent.mFileNames[i]) < 0)
                RemoveFile(mCurrent.mFileNames[i]);
    }
    mCurrent.Assign(mScratch);
}

bool TextureLib::SelectTexture(const std::string& name)
{
    if (!FindTexture(name)) return false;
    mSelectedName = name;
    return true;
}

void TextureLib::ForgetGLTextures()
{
    for (int32_t i = 0; i < mNamedTextures.Count(); ++i) mNamedTextures[i]->mRendererHandle = nullptr;
    for (int32_t i = 0; i < mGeneratedTextures.Count(); ++i) mGeneratedTextures[i]->mRendererHandle = nullptr;
}

std::string TextureLib::MakeInstanceName(const std::string& fileName)
{
    if (fileName.find('|') != std::string::npos) return fileName;
    ++mInstanceCounter;
    return fileName + "|" + std::to_string(mInstanceCounter);
}

Texture* TextureLib::AcquireTexture(const std::string& name)
{
    Texture* texture = GetTexture(name);
    if (texture) {
        ++texture->mHolderCount;
        return texture;
    }
    Texture* dead = FindTexture(name);
    if (dead && dead->mHolderCount == 0) DestroyInstance(dead);
    return nullptr;
}

bool TextureLib::ReleaseTexture(Texture* texture)
{
    if (!texture || mNamedTextures.IndexOf(texture) < 0) return false;
    if (texture->mHolderCount > 0) --texture->mHolderCount;
    return texture->mHolderCount == 0 && DestroyInstance(texture);
}

bool TextureLib::DestroyInstance(Texture* texture)
{
    if (texture->mFullName.find('|') == std::string::npos) return false;
    const int32_t index = mNamedTextures.IndexOf(texture);
    if (index < 0) return false;
    if (mReleaseHandler) mReleaseHandler(*texture);
    if (mSelectedName == texture->mFullName) mSelectedName.clear();
    return mNamedTextures.DeleteAt(index);
}

} // namespace KIV
