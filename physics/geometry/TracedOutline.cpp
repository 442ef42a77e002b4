#include "physics/geometry/TracedOutline.h"
#include <cmath>
#include "base/MathUtil.h"
#include "physics/geometry/GeometryHelpers.h"
#include "physics/geometry/TracedGeometry.h"
#include "render/ImageFile.h"

namespace KIV {

OutlineRecord::OutlineRecord() { mPoints.SetGrowBy(1); }

OutlineRecord::~OutlineRecord() = default;

void OutlineRecord::SetToyPreset(const VectorF& scale, float maxDeviation, bool circle)
{
    mAlphaThreshold = 10;
    mScale = scale;
    mMaxDeviation = maxDeviation;
    mCentreOnCentroid = true;
    mCircle = circle;
    mSimplify = true;
    mMinSegmentLength = 3;
    mMaxSegmentLength = 6;
    mPoints.Free();
}

void OutlineRecord::CopySettings(OutlineRecord& d, const OutlineRecord& s)
{
    d.mCentroid = s.mCentroid;
    d.mAlphaThreshold = s.mAlphaThreshold;
    d.mCentreOnCentroid = s.mCentreOnCentroid;
    d.mScale = s.mScale;
    d.mCircle = s.mCircle;
    d.mSimplify = s.mSimplify;
    d.mMinSegmentLength = s.mMinSegmentLength;
    d.mMaxSegmentLength = s.mMaxSegmentLength;
    d.mMaxDeviation = s.mMaxDeviation;
}

bool OutlineRecord::SettingsEqual(const OutlineRecord& a, const OutlineRecord& b)
{
    if (a.mAlphaThreshold != b.mAlphaThreshold || a.mSimplify != b.mSimplify) return false;
    if (a.mSimplify && (a.mMinSegmentLength != b.mMinSegmentLength || a.mMaxSegmentLength != b.mMaxSegmentLength ||
                        a.mMaxDeviation != b.mMaxDeviation))
        return false;
    return a.mScale == b.mScale && a.mCentreOnCentroid == b.mCentreOnCentroid && a.mCircle == b.mCircle;
}

OutlineCache* GetOutlineCache(Texture* texture)
{
    return texture ? texture->GetOrMakeCache<OutlineCache>(kTextureOutlineCache) : nullptr;
}

bool OutlineCache::HasEntryFor(OutlineRecord*& record) const
{
    if (!record) return false;
    for (int32_t i = mItems.Count() - 1; i >= 0; --i) {
        if (OutlineRecord::SettingsEqual(*mItems[i], *record)) {
            record = mItems[i];
            return true;
        }
    }
    return false;
}

namespace {

// Replaces the points by a circle through their mean radius about their mean
// point, with as many points; returns the centre.
VectorF MakeCircle(Array<VectorF>& points)
{
    const int32_t n = points.Count();
    VectorF centre;
    for (const VectorF& p : points) centre += p;
    centre = centre / static_cast<float>(n);
    float radius = 0.0f;
    for (const VectorF& p : points) radius += VectorF::GetDistance(p, centre);
    radius /= static_cast<float>(n);
    for (int32_t i = 0; i < n; ++i) {
        const float a = (1.0f - static_cast<float>(i) / static_cast<float>(n)) * kTwoPi;
        points[i] = centre + VectorF(radius * std::sin(a), radius * std::cos(a));
    }
    return centre;
}

} // namespace

// A traced outline that is too small or flat to enclose anything fails here
// rather than reaching a toy as a NaN centroid.
bool OutlineCache::GetOrTrace(ImageFile* picture, OutlineRecord*& record, const RectI& rect)
{
    if (!record) return false;
    if (HasEntryFor(record)) return true;
    if (!picture) return false;
    OutlineRecord* r = AddNew();
    if (!r) return false;
    OutlineRecord::CopySettings(*r, *record);
    const int32_t index = mItems.Count() - 1;
    auto fail = [&] {
        EraseAt(index);
        return false;
    };
    if (!TraceOutline(picture, *r, r->mAlphaThreshold, rect)) return fail();
    for (VectorF& p : r->mPoints) p = p * r->mScale;
    if (r->mSimplify && !SimplifyOutline(*r)) return fail();
    const int32_t n = r->mPoints.Count();
    if (n < 3) return fail();
    const float area = PolygonArea(r->mPoints.Data(), n);
    if (!(area > 0.0f) || !std::isfinite(area)) return fail();
    const VectorF centre = r->mCircle ? MakeCircle(r->mPoints) : PolygonCentroid(r->mPoints.Data(), n, area);
    if (r->mCircle && !(PolygonArea(r->mPoints.Data(), n) > 0.0f)) return fail();
    r->mCentroid = centre / r->mScale;
    if (r->mCentreOnCentroid)
        for (VectorF& p : r->mPoints) p -= centre;
    if (!CloseOutline(r->mPoints)) return fail();
    record = r;
    return true;
}

bool TraceOutline(ImageFile* picture, OutlineRecord& record, uint8_t threshold, const RectI& rect)
{
    record.mPoints.Free();
    if (!picture || !EnsureImageLoaded(*picture)) return false;
    const int32_t width = picture->mStoredWidth, height = picture->mStoredHeight;
    if (picture->mBytesPerPixel != 4 || width <= 0 || height <= 0 ||
        picture->mPixels.Count() < width * height * 4)
        return false;

    RectI r = rect;
    r.Intersect(picture->mCropRect);
    const int32_t L = r.mP1.mX - picture->mCropRect.mP1.mX, T = r.mP1.mY - picture->mCropRect.mP1.mY;
    const int32_t R = r.mP2.mX - picture->mCropRect.mP1.mX, B = r.mP2.mY - picture->mCropRect.mP1.mY;
    if (L >= R || T >= B) return false;

    const uint8_t* alpha = picture->mPixels.Data() + 3;
    // Pixels outside the rectangle do not exist: the bounds test comes first,
    // so no read ever leaves the picture.
    auto opaque = [&](int32_t i, int32_t j) {
        return i >= L && i < R && j >= T && j < B && alpha[(static_cast<size_t>(j) * width + i) * 4] >= threshold;
    };

    int32_t sx = -1, sy = -1;
    for (int32_t j = T; j < B && sx < 0; ++j)
        for (int32_t i = L; i < R; ++i)
            if (opaque(i, j)) {
                sx = i;
                sy = j;
                break;
            }
    if (sx < 0) return false;

    Array<VectorF>& points = record.mPoints;
    points.SetCapacity(4096, 0);
    points.SetGrowBy(4096);
    int64_t budget = int64_t(4) * width * height;

    // Directions 0 right, 1 down, 2 left, 3 up. The opaque side is always on
    // the right of the move, so the outline runs clockwise on screen.
    auto allowed = [&](int32_t d, int32_t x, int32_t y) {
        switch (d) {
        case 0: return x < R && y < B && opaque(x, y) && (y == T || !opaque(x, y - 1));
        case 1: return y < B && x > L && opaque(x - 1, y) && (x == R || !opaque(x, y));
        case 2: return x > L && y > T && opaque(x - 1, y - 1) && (y == B || !opaque(x - 1, y));
        default: return y > T && x < R && opaque(x, y - 1) && (x == L || !opaque(x - 1, y - 1));
        }
    };
    static const int32_t kStepX[4] = {1, 0, -1, 0};
    static const int32_t kStepY[4] = {0, 1, 0, -1};

    int32_t x = sx, y = sy, preferred = 0;
    while (budget > 0) {
        int32_t move = -1;
        // Turn towards the opaque side first, then straight on, then away,
        // then back: the cycle right -> up -> left -> down.
        for (int32_t t = 0; t < 4 && move < 0; ++t) {
            const int32_t d = (preferred + 3 * t) & 3;
            if (allowed(d, x, y)) move = d;
        }
        if (move < 0) break;
        x += kStepX[move];
        y += kStepY[move];
        if (x == sx && y == sy) break;
        if (!points.PushBack(VectorF(static_cast<float>(x), static_cast<float>(y)))) return false;
        --budget;
        preferred = (move + 1) & 3;
    }
    points.SetCapacity(points.Count(), points.Count());
    points.SetGrowBy(1);
    return true;
}

bool SimplifyOutline(OutlineRecord& record)
{
    const Array<VectorF>& p = record.mPoints;
    const int32_t n = p.Count();
    const float minLength = static_cast<float>(record.mMinSegmentLength);
    const float maxLength = static_cast<float>(record.mMaxSegmentLength);
    const float maxDeviation = record.mMaxDeviation;
    if (n < 3 || !(minLength > 0.0f) || !(maxLength > 0.0f) || !(maxDeviation > 0.0f)) return false;

    Array<VectorF> kept;
    kept.SetGrowBy(32);
    kept.PushBack(p[0]);
    int32_t anchor = 0;
    for (int32_t k = 1; k <= n - 2; ++k) {
        const VectorF a = p[anchor];
        const float d = VectorF::GetDistance(a, p[k]);
        if (d < minLength) continue;
        bool emit = d > maxLength;
        const VectorF dir = p[k] - a;
        const VectorF normal(-dir.mY, dir.mX);
        for (int32_t j = anchor + 1; j < k && !emit; ++j) {
            VectorF foot;
            emit = !LineIntersection(a, p[k], p[j], p[j] + normal, foot) ||
                   VectorF::GetDistance(p[j], foot) > maxDeviation;
        }
        if (!emit) continue;
        anchor = k - 1 == anchor ? k : k - 1;
        if (!kept.PushBack(p[anchor])) return false;
    }
    if (!CloseOutline(kept)) return false;
    record.mPoints = std::move(kept);
    return true;
}

bool CloseOutline(Array<VectorF>& points)
{
    const int32_t n = points.Count();
    if (n < 1 || !points.Reserve(n + 1)) return false;
    points.Data()[n] = points[0];
    return true;
}

float PolygonArea(const VectorF* points, int32_t count)
{
    float sum = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        const VectorF& a = points[i];
        const VectorF& b = points[i + 1 < count ? i + 1 : 0];
        sum += (a.mX + b.mX) * (a.mY - b.mY);
    }
    return 0.5f * std::fabs(sum);
}

VectorF PolygonCentroid(const VectorF* points, int32_t count, float area)
{
    VectorF sum;
    float crossSum = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        const VectorF& a = points[i];
        const VectorF& b = points[i + 1 < count ? i + 1 : 0];
        const float cross = a.mX * b.mY - b.mX * a.mY;
        sum += (a + b) * cross;
        crossSum += cross;
    }
    // A mirrored (counter-clockwise) outline has a negative signed area.
    const float signedArea = crossSum < 0.0f ? -area : area;
    return sum / (6.0f * signedArea);
}

} // namespace KIV
