#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include "base/Array.h"
#include "base/Rect.h"
#include "base/Vector.h"
#include "render/PointerMap.h"

namespace KIV {

struct ImageFile;
struct TextureUpload;  // the renderer's upload record; this layer only holds the pointer

// A per-picture cache that the physics keeps on a texture (traced outlines,
// fragment grids). The render layer cannot know those types; it only owns the
// cache and drops it when the picture changes or the texture goes away.
class TextureCache {
public:
    virtual ~TextureCache() = default;
};

enum TextureCacheSlot : int32_t { kTextureOutlineCache = 0, kTextureFragmentCache = 1, kTextureCacheSlotCount = 2 };

// An owned list of per-picture records with a selection, as the caches keep them.
template <typename T>
class TextureCacheList : public TextureCache {
public:
    TextureCacheList() { mItems.SetGrowBy(32); }

    T* AddNew() { return mItems.AppendNew(); }
    bool EraseAt(int32_t index) { return mItems.DeleteAt(index); }
    int32_t Count() const { return mItems.Count(); }
    T* operator[](int32_t i) const { return mItems[i]; }
    int32_t GetSelectedIndex() const { return mItems.GetSelectedIndex(); }

protected:
    PtrArray<T> mItems;
};

// Power-of-two storage per side, at most 4096; a larger side gives 0.
VectorI RoundUpToPowerOfTwo(const VectorI& size);

// What the rest of the system draws with: a picture (or a rectangle of one)
// prepared for power-of-two storage, with the texture coordinates of its
// corners. Works without a graphics context: the renderer asks for the bytes
// when it uploads (see NeedsUpload / GetUploadPixels).
class Texture {
public:
    Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;
    ~Texture();

    // Name grammar: file[:x,y,width,height][|anything]. The part after "|"
    // only makes the name distinct: that texture keeps its own pixels.
    void ParseName(const std::string& fullName);
    bool Prepare();
    bool SetUpFromImage();
    bool InitBlank(const VectorI& size);
    // The picture in the top-left corner of a zeroed power-of-two buffer.
    bool GetUploadPixels(Array<uint8_t>& destination, VectorI& size, int32_t& bytesPerPixel);
    void Reset();
    VectorF PixelToTexCoord(float x, float y) const;

    // True when the next draw must hand pixels to the renderer: no upload
    // record yet, a decal was stamped, or a generated texture got new pixels.
    bool NeedsUpload() const;
    TextureUpload* GetRendererHandle() const { return mRendererHandle; }
    // Null makes the next draw upload again.
    void SetRendererHandle(TextureUpload* handle) { mRendererHandle = handle; }
    // Takes and clears the stamped flag (the renderer then uploads again).
    bool TakeStamped();

    // The caches live on the texture of the plain picture name, so per-toy
    // instances ("name|n") share the traced outlines and meshes of their picture.
    Texture* GetCacheOwner() { return mCacheOwner ? mCacheOwner : this; }
    void SetCacheOwner(Texture* owner) { mCacheOwner = owner == this ? nullptr : owner; }
    TextureCache* GetCache(TextureCacheSlot slot) const { return mCaches[slot].get(); }
    void SetCache(TextureCacheSlot slot, std::unique_ptr<TextureCache> cache) { mCaches[slot] = std::move(cache); }
    void ClearCaches();
    // The cache of the given kind on the cache owner, made on first use. Only
    // one type is ever stored in a slot.
    template <typename Cache>
    Cache* GetOrMakeCache(TextureCacheSlot slot)
    {
        Texture* owner = GetCacheOwner();
        if (!owner->mCaches[slot]) owner->mCaches[slot] = std::make_unique<Cache>();
        return static_cast<Cache*>(owner->mCaches[slot].get());
    }

    TextureUpload* mRendererHandle = nullptr;
    int32_t mMapping = 0;          // 0 follows the game setting, 1 nearest, 2 or 3 linear
    bool mGenerated = false;       // owns its pixels (blank textures)
    // Tiled across a surface (water): coordinates beyond 0..1 wrap. Pictures
    // otherwise stop at their edge, so filtering never bleeds the far side in.
    bool mRepeat = false;
    Array<uint32_t> mOwnPixels;    // storage size, RGBA with red in the low byte
    bool mOwnPixelsChanged = false;
    std::string mFullName;         // the library's lookup key
    std::string mPlainName;        // without the "|" part
    std::string mFileName;         // up to ":", relative to the textures folder
    int32_t mNameCropX = 0, mNameCropY = 0, mNameCropWidth = 0, mNameCropHeight = 0;
    bool mReady = false;
    ImageFile* mImage = nullptr;   // not owned: lives in the image registry
    bool mKeepPixels = false;      // a "|" name: decals are stamped into a private copy
    Array<uint32_t> mKeptPixels;   // texture size
    bool mStamped = false;
    RectI mImageCropRect;
    VectorI mFullPictureSize;
    RectI mSourceRect;             // in full-picture pixels
    VectorI mTextureSize;
    VectorI mStorageSize;
    VectorF mTexCoordOrigin;
    VectorF mTexCoordExtent;
    VectorF mSpan;
    VectorF mInverseSpan;
    VectorF mCorners[4];
    VectorF mCentre;
    float mDiagonalAngle = 0.0f;
    float mDiagonalSin = 0.0f;
    float mDiagonalCos = 0.0f;
    float mHalfDiagonalSin = 0.0f;  // of minus half the diagonal angle
    float mHalfDiagonalCos = 0.0f;
    PointerMap mShardSystems;       // scene -> shard particle system (neither owned)
    int32_t mHolderCount = 0;       // holders that acquired it from the library (toys)

private:
    void SetCoordinates(const VectorF& extent);
    void ClearGeometry();

    std::unique_ptr<TextureCache> mCaches[kTextureCacheSlotCount];
    Texture* mCacheOwner = nullptr;
};

// Full-picture pixels of a texture coordinate.
VectorF MapPointToTexture(const Texture& texture, float u, float v);
// (u0, v0, u1, v1) of one cell of a picture divided into columns × rows.
RectF GetAtlasCellTexRect(const Texture& texture, int32_t column, int32_t row, int32_t columns, int32_t rows);
// Paints a decal into a texture's kept pixels; nothing for a texture without them.
void StampDecal(const ImageFile* decal, Texture* texture, float angle, int32_t opacity, const VectorF& pivot,
                const VectorF& position, const VectorF& scaleA, const VectorF& scaleB);

} // namespace KIV
