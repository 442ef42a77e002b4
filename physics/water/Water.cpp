#include "physics/water/Water.h"
#include <algorithm>
#include <cmath>
#include "base/Notices.h"
#include "physics/world/Scene.h"
#include "render/Texture.h"
#include "render/TextureLib.h"

namespace KIV {

namespace {
const ColorRGBA kOutlineColour(255, 255, 0, 255);
const ColorRGBA kMarkerColour(255, 0, 0, 255);
constexpr float kMarkerSize = 2.0f;
} // namespace

Water::Water()
    : mOwner(nullptr), mFirstPoint(0.0f, 0.0f), mOutline(1), mSpans(32), mTexture(nullptr), mSeed(0.0f, 0.0f)
{
    mGeometry.Init();
}

bool Water::Rebuild(Scene* owner, const VectorF& seed)
{
    mOwner = owner;
    if (!owner) return false;
    mSeed = seed;
    mOutline.SetGrowBy(1024);
    mOutline.Reserve(1024);
    mOutline.Clear();
    mSpans.DeleteAll();

    const bool traced = Trace(owner->GetGrid(), seed);
    // The ends of a closed trace overlap: the last point takes the first's
    // place, and the first is kept as the level's witness.
    if (traced && mOutline.Count() > 4) {
        mFirstPoint = mOutline[0];
        mOutline[0] = mOutline[mOutline.Count() - 1];
        mOutline.RemoveAt(mOutline.Count() - 1);
    } else {
        mOutline.Clear();
    }
    ClearPointSet();

    if (mOutline.Count() > 0) {
        SubdivideSurface(mFirstPoint.mY);
        if (mGeometry.BuildMesh(mOutline, kMeshSpacing)) {
            BuildSurfaceMesh();
        } else {
            mGeometry.Free();
            mSurfaceShape.FreeArrays();
        }
    } else {
        mGeometry.Free();
        mSurfaceShape.FreeArrays();
    }
    BuildOutlineShape();
    return mOutline.Count() > 0;
}

void Water::SubdivideSurface(float level)
{
    // Built into a second list in one pass: inserting the spans' points in
    // place would move the rest of the outline once per point.
    // Out of memory, the outline stays as traced and has no spans.
    Array<VectorF> subdivided;
    subdivided.SetGrowBy(1024);
    const auto fail = [this] { mSpans.DeleteAll(); };
    if (!subdivided.Reserve(mOutline.Count() + 64)) return fail();
    const int32_t n = mOutline.Count();
    for (int32_t i = 0; i < n; ++i) {
        const VectorF a = mOutline[i];
        if (!subdivided.PushBack(a)) return fail();
        if (i + 1 >= n) break;
        const VectorF b = mOutline[i + 1];
        if (a.mY != level || b.mY != level) continue;
        const int32_t m = std::abs(int32_t(std::trunc((b.mX - a.mX) / kSurfaceStep))) + 2;
        WaterSpan* span = mSpans.AppendNew();
        if (span) {
            span->mPointCount = m;
            span->mFirstPoint = subdivided.Count() - 1;
        }
        for (int32_t k = 1; k <= m - 2; ++k) {
            const float f = float(k) / float(m - 1);
            if (!subdivided.PushBack(VectorF(a.mX + f * (b.mX - a.mX), a.mY + f * (b.mY - a.mY)))) return fail();
        }
    }
    mOutline = std::move(subdivided);
}

void Water::BuildSurfaceMesh()
{
    if (!mTexture && gTextureLib) {
        mTexture = gTextureLib->GetTexture(kPictureName);
        if (mTexture) mTexture->mRepeat = true;
    }
    if (!mTexture) {
        // Said once per pool: the editor rebuilds a pool every frame while it is placed.
        if (!mPictureReported && gTextureLib) ReportNotice(std::string(kPictureName) + ": picture not found, water is not drawn");
        mPictureReported = true;
        mSurfaceShape.FreeArrays();
        return;
    }
    // The picture tiles: coordinates run on past 1 across a wide pool.
    const VectorF scale(mTexture->mSpan.mX / kTextureScale, mTexture->mSpan.mY / kTextureScale);
    mGeometry.BuildScaledPoints(VectorF(0.0f, 0.0f), scale);
    if (!mSurfaceShape.InitMesh(mGeometry.mPoints, mGeometry.mTriangles, mGeometry.mScaledPoints, mTexture)) {
        mSurfaceShape.FreeArrays();
        return;
    }
    mSurfaceShape.BuildDrawGroups(mSurfaceShape.mTriangles, kDrawGroupCell);
}

void Water::BuildOutlineShape()
{
    const int32_t n = mOutline.Count();
    if (n == 0) {
        mOutlineShape.FreeArrays();
        return;
    }
    // Written in place: the lines of the outline, then a cross on every point.
    Array<VectorF> points;
    Array<uint32_t> colours;
    if (!points.SetCount(n * 6) || !colours.SetCount(n * 6)) {
        mOutlineShape.FreeArrays();
        return;
    }
    VectorF* p = points.Data();
    for (int32_t i = 0; i < n; ++i) {
        *p++ = mOutline[i];
        *p++ = mOutline[i + 1 < n ? i + 1 : 0];
    }
    const VectorF down(kMarkerSize, kMarkerSize), up(kMarkerSize, -kMarkerSize);
    for (int32_t i = 0; i < n; ++i) {
        const VectorF& q = mOutline[i];
        *p++ = q - down;
        *p++ = q + down;
        *p++ = q - up;
        *p++ = q + up;
    }
    uint32_t* c = colours.Data();
    std::fill(c, c + 2 * n, kOutlineColour.Pack());
    std::fill(c + 2 * n, c + 6 * n, kMarkerColour.Pack());
    mOutlineShape.InitColouredPoints(1, points, colours);
}

} // namespace KIV
