#include "render/Texture.h"
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include "base/MathUtil.h"
#include "render/ImageFile.h"

namespace KIV {

namespace {

constexpr int32_t kMaxTextureSide = 4096;

// Decimal conversion as the C library reads it (leading blanks, sign, digits;
// no digits gives 0), but saturating instead of overflowing.
int32_t ParseDecimal(const std::string& text)
{
    errno = 0;
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

// Float to int for pixel positions that a wild transform may push far away.
int32_t TruncToIntClamped(float v)
{
    if (std::isnan(v)) return 0;
    return static_cast<int32_t>(std::clamp(v, -1.0e9f, 1.0e9f));
}

int32_t RoundToIntClamped(float v)
{
    if (std::isnan(v)) return 0;
    return RoundToInt(std::clamp(v, -1.0e9f, 1.0e9f));
}

int32_t RoundUpSide(int32_t v)
{
    for (int32_t p = 1; p <= kMaxTextureSide; p *= 2)
        if (p >= v) return p;
    return 0;
}

} // namespace

VectorI RoundUpToPowerOfTwo(const VectorI& size) { return {RoundUpSide(size.mX), RoundUpSide(size.mY)}; }

Texture::Texture()
{
    mOwnPixels.SetGrowBy(1);
    mKeptPixels.SetGrowBy(1);
}

Texture::~Texture() { ClearCaches(); }

void Texture::ClearCaches()
{
    for (auto& cache : mCaches) cache.reset();
}

void Texture::ParseName(const std::string& fullName)
{
    mFullName = fullName;
    const size_t bar = fullName.find('|');
    mKeepPixels = bar != std::string::npos;
    mPlainName = fullName.substr(0, bar);
    const size_t colon = mPlainName.find(':');
    mNameCropX = mNameCropY = mNameCropWidth = mNameCropHeight = 0;
    mFileName = mPlainName.substr(0, colon);
    if (colon == std::string::npos) return;
    int32_t* fields[4] = {&mNameCropX, &mNameCropY, &mNameCropWidth, &mNameCropHeight};
    std::string rest = mPlainName.substr(colon + 1);
    for (int i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? rest.find(',') : std::string::npos;
        *fields[i] = ParseDecimal(rest.substr(0, comma));
        rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
    }
}

bool Texture::Prepare()
{
    if (mFullName.empty()) return false;
    if (!mImage || !mImage->mLoaded) {
        mImage = GetImageFile(mFileName);
        if (!mImage || !mImage->mLoaded) return false;
    }
    mMapping = 0;
    mGenerated = false;
    mOwnPixelsChanged = false;
    mOwnPixels.Free();
    if (!SetUpFromImage()) return false;
    if (mKeepPixels) {
        Array<uint8_t> bytes;
        if (mImage->mBytesPerPixel == 3 ||
            !CopyImageRect(*mImage, bytes, false, mSourceRect, mTextureSize.mX, mTextureSize.mY) ||
            !mKeptPixels.Resize(mTextureSize.mX * mTextureSize.mY)) {
            mKeepPixels = false;
        } else {
            std::memcpy(mKeptPixels.Data(), bytes.Data(), static_cast<size_t>(bytes.Count()));
        }
    }
    if (!mKeepPixels) mKeptPixels.Free();
    mReady = true;
    return true;
}

// A texture of no pixels, or one too large to store, is refused rather than
// handed to the renderer with a storage size of 0.
bool Texture::SetUpFromImage()
{
    if (!mImage) return false;
    mFullPictureSize = VectorI(mImage->mFullWidth, mImage->mFullHeight);
    mImageCropRect = mImage->mCropRect;
    if (mNameCropWidth > 0 && mNameCropHeight > 0) {
        const int64_t right = int64_t(mNameCropX) + mNameCropWidth;
        const int64_t bottom = int64_t(mNameCropY) + mNameCropHeight;
        mSourceRect = RectI(std::max(mNameCropX, 0), std::max(mNameCropY, 0),
                            static_cast<int32_t>(std::min<int64_t>(right, mFullPictureSize.mX)),
                            static_cast<int32_t>(std::min<int64_t>(bottom, mFullPictureSize.mY)));
        mTextureSize = mSourceRect.GetSize();
    } else {
        mSourceRect = mImageCropRect;
        mTextureSize = VectorI(mImage->mStoredWidth, mImage->mStoredHeight);
    }
    mStorageSize = RoundUpToPowerOfTwo(mTextureSize);
    if (mTextureSize.mX <= 0 || mTextureSize.mY <= 0 || mStorageSize.mX == 0 || mStorageSize.mY == 0) {
        ClearGeometry();
        return false;
    }
    SetCoordinates({static_cast<float>(mTextureSize.mX) / static_cast<float>(mStorageSize.mX),
                    static_cast<float>(mTextureSize.mY) / static_cast<float>(mStorageSize.mY)});
    return true;
}

void Texture::SetCoordinates(const VectorF& extent)
{
    mTexCoordOrigin = VectorF(0.0f, 0.0f);
    mTexCoordExtent = extent;
    mCentre = (mTexCoordOrigin + mTexCoordExtent) * 0.5f;
    mSpan = mTexCoordExtent - mTexCoordOrigin;
    mInverseSpan = VectorF(mSpan.mX != 0.0f ? 1.0f / mSpan.mX : 0.0f, mSpan.mY != 0.0f ? 1.0f / mSpan.mY : 0.0f);
    if (mSpan.mX == 0.0f && mSpan.mY == 0.0f) mInverseSpan = VectorF(0.0f, 0.0f);
    mCorners[0] = VectorF(mTexCoordOrigin.mX, mTexCoordOrigin.mY);
    mCorners[1] = VectorF(mTexCoordExtent.mX, mTexCoordOrigin.mY);
    mCorners[2] = VectorF(mTexCoordExtent.mX, mTexCoordExtent.mY);
    mCorners[3] = VectorF(mTexCoordOrigin.mX, mTexCoordExtent.mY);
    mDiagonalAngle = 2.0f * std::atan2(static_cast<float>(mTextureSize.mX), static_cast<float>(mTextureSize.mY));
    mDiagonalSin = std::sin(mDiagonalAngle);
    mDiagonalCos = std::cos(mDiagonalAngle);
    mHalfDiagonalSin = std::sin(-0.5f * mDiagonalAngle);
    mHalfDiagonalCos = std::cos(-0.5f * mDiagonalAngle);
}

void Texture::ClearGeometry()
{
    mImageCropRect = RectI();
    mFullPictureSize = VectorI();
    mSourceRect = RectI();
    mTextureSize = VectorI();
    mStorageSize = VectorI();
    mTexCoordOrigin = mTexCoordExtent = mSpan = mInverseSpan = mCentre = VectorF();
    for (VectorF& c : mCorners) c = VectorF();
    mDiagonalAngle = mDiagonalSin = mDiagonalCos = mHalfDiagonalSin = mHalfDiagonalCos = 0.0f;
}

bool Texture::InitBlank(const VectorI& size)
{
    if (RoundUpToPowerOfTwo(size) != size) return false;
    if (!mOwnPixels.Resize(size.mX * size.mY)) return false;
    std::memset(mOwnPixels.Data(), 100, static_cast<size_t>(mOwnPixels.Count()) * 4);
    mGenerated = true;
    mOwnPixelsChanged = false;
    mStorageSize = mFullPictureSize = mTextureSize = size;
    mImageCropRect = mSourceRect = RectI(0, 0, size.mX, size.mY);
    mFullName.clear();
    mImage = nullptr;
    SetCoordinates({1.0f, 1.0f});
    mMapping = 1;
    mReady = true;
    return true;
}

bool Texture::GetUploadPixels(Array<uint8_t>& destination, VectorI& size, int32_t& bytesPerPixel)
{
    if (mGenerated) {
        const int32_t n = mStorageSize.mX * mStorageSize.mY;
        if (!mOwnPixelsChanged || mOwnPixels.Count() < n || n <= 0) return false;
        if (!destination.Resize(n * 4)) return false;
        mOwnPixelsChanged = false;
        std::memcpy(destination.Data(), mOwnPixels.Data(), static_cast<size_t>(n) * 4);
        size = mStorageSize;
        bytesPerPixel = 4;
        return true;
    }
    if (!mImage || !EnsureImageLoaded(*mImage)) return false;
    if (mStorageSize.mX <= 0 || mStorageSize.mY <= 0) return false;
    if (mKeepPixels) {
        const int32_t w = mTextureSize.mX, h = mTextureSize.mY;
        if (w > mStorageSize.mX || h > mStorageSize.mY || mKeptPixels.Count() < w * h) return false;
        if (!destination.Resize(mStorageSize.mX * mStorageSize.mY * 4)) return false;
        destination.FillZero();
        for (int32_t y = 0; y < h; ++y)
            std::memcpy(destination.Data() + static_cast<size_t>(y) * mStorageSize.mX * 4,
                        mKeptPixels.Data() + static_cast<size_t>(y) * w, static_cast<size_t>(w) * 4);
        size = mStorageSize;
        bytesPerPixel = 4;
        return true;
    }
    if (!CopyImageRect(*mImage, destination, false, mSourceRect, mStorageSize.mX, mStorageSize.mY)) return false;
    size = mStorageSize;
    bytesPerPixel = mImage->mBytesPerPixel;
    return true;
}

void Texture::Reset()
{
    mRendererHandle = nullptr;
    ClearCaches();
    mShardSystems.Clear();
    mReady = false;
    mGenerated = false;
    mOwnPixelsChanged = false;
    mImage = nullptr;
    ClearGeometry();
}

VectorF Texture::PixelToTexCoord(float x, float y) const
{
    const float w = static_cast<float>(mSourceRect.mP2.mX - mSourceRect.mP1.mX + 1);
    const float h = static_cast<float>(mSourceRect.mP2.mY - mSourceRect.mP1.mY + 1);
    return {(x - static_cast<float>(mSourceRect.mP1.mX)) / w * mSpan.mX + mTexCoordOrigin.mX,
            (y - static_cast<float>(mSourceRect.mP1.mY)) / h * mSpan.mY + mTexCoordOrigin.mY};
}

bool Texture::NeedsUpload() const
{
    if (mGenerated) return mOwnPixelsChanged;
    return mRendererHandle == nullptr || mStamped;
}

bool Texture::TakeStamped()
{
    const bool stamped = mStamped;
    mStamped = false;
    return stamped;
}

VectorF MapPointToTexture(const Texture& t, float u, float v)
{
    return {(u - t.mTexCoordOrigin.mX) * t.mInverseSpan.mX * static_cast<float>(t.mTextureSize.mX) +
                static_cast<float>(t.mSourceRect.mP1.mX),
            (v - t.mTexCoordOrigin.mY) * t.mInverseSpan.mY * static_cast<float>(t.mTextureSize.mY) +
                static_cast<float>(t.mSourceRect.mP1.mY)};
}

RectF GetAtlasCellTexRect(const Texture& t, int32_t column, int32_t row, int32_t columns, int32_t rows)
{
    if (columns < 1 || rows < 1)
        return {t.mTexCoordOrigin.mX, t.mTexCoordOrigin.mY, t.mTexCoordExtent.mX, t.mTexCoordExtent.mY};
    VectorF cell = t.PixelToTexCoord(static_cast<float>(t.mFullPictureSize.mX), static_cast<float>(t.mFullPictureSize.mY));
    cell = VectorF(cell.mX / static_cast<float>(columns), cell.mY / static_cast<float>(rows));
    const float x = static_cast<float>(column) * cell.mX, y = static_cast<float>(row) * cell.mY;
    return {x, y, x + cell.mX, y + cell.mY};
}

namespace {

// The decal's frame to texture pixels and back. The rotation is the engine's
// clockwise form with the direction (sin a, cos a).
struct DecalTransform {
    VectorF pivot, position, scaleA, scaleB;
    float s, c;

    VectorF ToTexture(VectorF p) const
    {
        p = (p - pivot) * scaleA;
        p = VectorF(p.mX * c + p.mY * s, p.mY * c - p.mX * s);
        return p * scaleB + position;
    }
    VectorF ToDecal(VectorF p) const
    {
        p = (p - position) / scaleB;
        p = VectorF(p.mX * c - p.mY * s, p.mY * c + p.mX * s);
        return p / scaleA + pivot;
    }
};

} // namespace

void StampDecal(const ImageFile* decal, Texture* texture, float angle, int32_t opacity, const VectorF& pivot,
                const VectorF& position, const VectorF& scaleA, const VectorF& scaleB)
{
    if (!decal || !decal->HasPixels() || decal->mBytesPerPixel != 4 || !texture) return;
    const int32_t texW = texture->mTextureSize.mX, texH = texture->mTextureSize.mY;
    // Only a texture with its own copy of the pixels can take a decal.
    if (!texture->mKeepPixels || texW <= 0 || texH <= 0 || texture->mKeptPixels.Count() < texW * texH) return;
    const int32_t dw = decal->mStoredWidth, dh = decal->mStoredHeight;
    const DecalTransform xf{pivot, position, scaleA, scaleB, std::sin(angle), std::cos(angle)};
    const VectorF quad[4] = {xf.ToTexture({0.0f, 0.0f}), xf.ToTexture({static_cast<float>(dw), 0.0f}),
                             xf.ToTexture({static_cast<float>(dw), static_cast<float>(dh)}),
                             xf.ToTexture({0.0f, static_cast<float>(dh)})};
    float top = quad[0].mY, bottom = quad[0].mY;
    for (const VectorF& q : quad) {
        top = std::min(top, q.mY);
        bottom = std::max(bottom, q.mY);
    }
    if (!std::isfinite(top) || !std::isfinite(bottom)) return;
    const int32_t y0 = std::max(RoundToIntClamped(top), 0);
    const int32_t y1 = std::min(RoundToIntClamped(bottom), texH - 1);
    if (y0 > y1) return;
    const int32_t w = std::clamp(opacity, 0, 255);
    for (int32_t y = y0; y <= y1; ++y) {
        const float yc = static_cast<float>(y) + 0.5f;
        float lo = 0.0f, hi = 0.0f;
        int32_t crossings = 0;
        for (int i = 0; i < 4; ++i) {
            const VectorF& a = quad[i];
            const VectorF& b = quad[(i + 1) & 3];
            if ((a.mY <= yc && yc < b.mY) || (b.mY <= yc && yc < a.mY)) {
                const float x = a.mX + (yc - a.mY) / (b.mY - a.mY) * (b.mX - a.mX);
                lo = crossings == 0 ? x : std::min(lo, x);
                hi = crossings == 0 ? x : std::max(hi, x);
                ++crossings;
            }
        }
        if (crossings == 0) continue;
        const int32_t x0 = std::max(RoundToIntClamped(lo), 0);
        const int32_t x1 = std::min(crossings == 1 ? RoundToIntClamped(lo) + 1 : RoundToIntClamped(hi), texW);
        for (int32_t x = x0; x < x1; ++x) {
            const VectorF d = xf.ToDecal({static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f});
            const int32_t dx = std::clamp(TruncToIntClamped(d.mX), 0, dw - 1);
            const int32_t dy = std::clamp(TruncToIntClamped(d.mY), 0, dh - 1);
            const uint8_t* src = decal->mPixels.Data() + (static_cast<size_t>(dy) * dw + dx) * 4;
            uint8_t* dst = reinterpret_cast<uint8_t*>(texture->mKeptPixels.At(y * texW + x));
            const int32_t weight = src[3] * w / 255;
            for (int ch = 0; ch < 3; ++ch) dst[ch] = static_cast<uint8_t>((src[ch] * weight + dst[ch] * (255 - weight)) / 255);
        }
    }
    texture->mStamped = true;
}

} // namespace KIV
