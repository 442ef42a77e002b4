#include <cmath>
#include "base/MathUtil.h"
#include "base/PointList.h"
#include "physics/toys/Toy.h"
#include "render/ImageFile.h"
#include "render/Texture.h"

// Damage painted into a toy's own picture instance: the scene editor's
// random damage and the decals of the material effects.

namespace KIV {

namespace {

const char* const kDamageDecals[4] = {"Toys/decals/decal1.png", "Toys/decals/decal2.png", "Toys/decals/decal3.png",
                                      "Toys/decals/decal4.png"};
constexpr float kDamageDecalAngle = 0.8f;

} // namespace

bool Toy::HasDecalPixels() const
{
    return mMainTexture && mMainTexture->mKeepPixels && mMainTexture->mKeptPixels.Count() > 0;
}

VectorF Toy::GetDecalPixel(const VectorF& worldPoint) const
{
    const VectorF uv = mGeometry.ClosestInsideTexturePoint(WorldToLocal(worldPoint));
    const VectorF pixel = MapPointToTexture(*mMainTexture, uv.mX, uv.mY);
    return {pixel.mX - static_cast<float>(mMainTexture->mSourceRect.mP1.mX),
            pixel.mY - static_cast<float>(mMainTexture->mSourceRect.mP1.mY)};
}

VectorF Toy::GetNearestTexCoord(const VectorF& localPoint) const
{
    const int32_t k = FindNearestPointIndex(mGeometry.mPoints.Data(), mGeometry.mPoints.Count(), localPoint);
    if (k < 0 || k >= mGeometry.mScaledPoints.Count()) return {0.5f, 0.5f};
    return mGeometry.mScaledPoints[k];
}

void Toy::AddDamageDecal(const VectorF& worldPoint)
{
    if (!HasDecalPixels()) return;
    const ImageFile* decal = GetImageFile(kDamageDecals[mRandom.NextInt(4)]);
    if (!decal) return;
    const int32_t opacity = 156 + mRandom.NextInt(100);
    const VectorF half(static_cast<float>(decal->mStoredWidth) * 0.5f, static_cast<float>(decal->mStoredHeight) * 0.5f);
    StampDecal(decal, mMainTexture, kDamageDecalAngle, opacity, half, GetDecalPixel(worldPoint), {1.0f, 1.0f},
               {1.0f, 1.0f});
}

void Toy::AddMaterialDecal(const VectorF& worldPoint, const std::string& picture, float opacity, float rotation,
                           float size, float weight)
{
    if (!HasDecalPixels() || picture.empty()) return;
    const ImageFile* decal = GetImageFile(picture);
    if (!decal) return;
    const float byte = std::round(opacity * 255.0f);
    const int32_t alpha = std::isfinite(byte) ? static_cast<int32_t>(std::fmin(std::fmax(byte, 0.0f), 255.0f)) : 0;
    const VectorF half(static_cast<float>(decal->mStoredWidth) * 0.5f, static_cast<float>(decal->mStoredHeight) * 0.5f);
    StampDecal(decal, mMainTexture, rotation, alpha, half, GetDecalPixel(worldPoint), {size, size}, {weight, weight});
}

} // namespace KIV
