#include <memory>
#include "physics/toys/Toy.h"
#include "physics/geometry/TracedOutline.h"
#include "render/ImageFile.h"
#include "render/Texture.h"
#include "render/TextureLib.h"

// Giving a toy its body from a picture: trace, mesh (once per picture and
// settings), outline, mass and placement.

namespace KIV {

namespace {

constexpr float kMeshSpacing = 10.0f;
constexpr float kOutlineDeviation = 1.0f;
constexpr float kInitialPenetration = 0.25f;

// Where the outline's origin (its centroid, or the circle's centre) lies in
// the texture's own pixels: stored-picture pixels start at the crop
// rectangle, the texture at its source rectangle.
VectorF OutlineOffset(const Texture& texture, const OutlineRecord& outline)
{
    const VectorI shift = texture.mImageCropRect.mP1 - texture.mSourceRect.mP1;
    return outline.mCentroid + VectorF(static_cast<float>(shift.mX), static_cast<float>(shift.mY));
}

} // namespace

bool Toy::BuildFromTexture(const std::string& fileName, float density, bool circleShape, const VectorF& scale,
                           float coreValue, const VectorF& position, bool offsetByPicture, float angle)
{
    mCircleShape = circleShape ? 1 : 0;
    mScale = scale;
    mDensity = density;
    TextureLib* library = gTextureLib;
    if (!library) return false;

    // Each toy gets a picture of its own, which its damage decals are
    // stamped into; its traced outline and mesh are still shared with every
    // toy of the same picture (the instance uses the plain name's caches).
    const std::string name = mUniqueTexture ? library->MakeInstanceName(fileName) : fileName;
    Texture* texture = library->AcquireTexture(name);
    if (!texture) return false;
    auto fail = [&] {
        library->ReleaseTexture(texture);
        mGeometry.Free();
        return false;
    };

    OutlineRecord wanted;
    wanted.SetToyPreset(scale, kOutlineDeviation, circleShape);
    OutlineRecord* outline = &wanted;
    OutlineCache* cache = GetOutlineCache(texture);
    if (!cache || !cache->GetOrTrace(texture->mImage, outline, texture->mSourceRect) || outline == &wanted ||
        outline->mPoints.Count() < 3)
        return fail();

    const VectorF offset = OutlineOffset(*texture, *outline);
    if (outline->mCachedMesh) {
        mGeometry.CopyFrom(*outline->mCachedMesh);
    } else {
        if (!mGeometry.BuildMesh(outline->mPoints, kMeshSpacing)) return fail();
        // Texture coordinates of the (scaled, centred) mesh points.
        const VectorF texScale(texture->mSpan.mX / (static_cast<float>(texture->mTextureSize.mX) * scale.mX),
                               texture->mSpan.mY / (static_cast<float>(texture->mTextureSize.mY) * scale.mY));
        mGeometry.BuildScaledPoints(offset * scale, texScale);
        // Cached before the core classification, so that a later toy of the
        // picture with another core value classifies its own copy.
        outline->mCachedMesh = std::make_unique<TracedGeometry>(mGeometry);
    }
    if (coreValue > 0.0f) {
        mGeometry.mHullDistance = 0.0f;
        mGeometry.mCoreRadius = coreValue;
    }
    mGeometry.ClassifyCoreEdges();
    mGeometry.MarkCorePoints();

    // The toy holds the new picture only now; a rebuild lets go of the old one.
    if (mMainTexture) library->ReleaseTexture(mMainTexture);
    mMainTexture = texture;
    mTextureName = name;

    const int32_t n = mGeometry.mOutlineCount;
    mLocalOutline.Clear();
    for (int32_t i = 0; i < n; ++i) mLocalOutline.PushBack(mGeometry.mPoints[i]);
    mArea = mGeometry.ComputeOutlineArea();
    mPictureExtent = VectorF(static_cast<float>(texture->mTextureSize.mX) + offset.mX,
                             static_cast<float>(texture->mTextureSize.mY) + offset.mY);
    mPenetrationValues.Resize(n);
    mPenetrationValues.Fill(kInitialPenetration);
    ComputeMass();
    mReferenceWeight = mWeight;
    SetPlacement(offsetByPicture ? position + mPictureExtent : position, angle, true);
    return true;
}

void Toy::ReleaseTexture()
{
    if (mMainTexture && gTextureLib) gTextureLib->ReleaseTexture(mMainTexture);
    mMainTexture = nullptr;
}

} // namespace KIV
