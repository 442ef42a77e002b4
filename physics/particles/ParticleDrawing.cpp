#include <cmath>
#include "physics/particles/ParticleSystem.h"
#include "render/Texture.h"

// What a system hands the renderer each frame: quads or shard fans written
// straight into the renderer's arrays, and the emitter marker of the editor.

namespace KIV {

namespace {

constexpr float kDegrees = 3.14159265358979f / 180.0f;

VectorF Turned(const VectorF& v, float sine, float cosine)
{
    return VectorF(v.mX * cosine - v.mY * sine, v.mX * sine + v.mY * cosine);
}

} // namespace

template <typename Visit>
static void WalkDrawable(const ParticleSystem& ps, Visit&& visit)
{
    for (int32_t slot = ps.mMoving.mHead; slot >= 0; slot = ps.mLinks[slot].mNext)
        if (!visit(slot)) return;
    if (!ps.mAllowSleepingParticles) return;
    for (int32_t slot = ps.mSleeping.mHead; slot >= 0; slot = ps.mLinks[slot].mNext)
        if (!visit(slot)) return;
}

bool ParticleSystem::BuildStretchedVertices(VectorF* positions, uint32_t* colours, VectorF* texCoords,
                                            int32_t capacity, int32_t& count) const
{
    count = 0;
    if (!mTexture || GetParticleCount() == 0) return false;
    const float sinA = mQuadTemplate[1], cosA = mQuadTemplate[2];
    const float sinHalf = mQuadTemplate[3], cosHalf = mQuadTemplate[4];
    const VectorF o = mTexture->mTexCoordOrigin;
    const VectorF e = mTexture->mTexCoordExtent;
    const VectorF wholeTexture[4] = {o, {o.mX + e.mX, o.mY}, o + e, {o.mX, o.mY + e.mY}};
    const bool cells = mTexRects.Count() > 0;
    WalkDrawable(*this, [&](int32_t slot) {
        if (count >= capacity) return false;
        if (mPenetratingParticles) {
            const ParticlePenetration& p = mPenetrations[slot];
            if (p.mInside && p.mEntryAndExit && p.mEntryDone) return true;  // hidden inside its toy
        }
        const float size = mSizes[slot];
        VectorF u;
        if (mParticleRotationStyle == 1) {
            u = VectorF(size, 0.0f);
            u.Rotate(mAngles[slot]);
        } else {
            // A particle at rest has no direction and shows nothing.
            const float length = mVelocities[slot].GetLength();
            if (length > 0.0f) u = mVelocities[slot] * (size / length);
        }
        const VectorF a(u.mX * cosHalf + u.mY * sinHalf, u.mY * cosHalf - u.mX * sinHalf);
        const VectorF b(a.mX * cosA + a.mY * sinA, a.mY * cosA - a.mX * sinA);
        VectorF p = mPositions[slot];
        if (mParticleRotationStyle == 2) p -= (a + b) * 0.5f;  // trails behind its particle
        VectorF* corner = positions + 4 * count;
        corner[0] = p + a;
        corner[1] = p + b;
        corner[2] = p - a;
        corner[3] = p - b;
        const uint32_t colour = mColors[slot].Pack();
        for (int32_t k = 0; k < 4; ++k) colours[4 * count + k] = colour;
        VectorF* tex = texCoords + 4 * count;
        if (cells) {
            const RectF& r = mTexRects[slot];
            tex[0] = VectorF(r.x1, r.y1);
            tex[1] = VectorF(r.x2, r.y1);
            tex[2] = VectorF(r.x2, r.y2);
            tex[3] = VectorF(r.x1, r.y2);
        } else {
            for (int32_t k = 0; k < 4; ++k) tex[k] = wholeTexture[k];
        }
        ++count;
        return true;
    });
    return count > 0;
}

bool ParticleSystem::BuildRotatedVertices(VectorF* positions, uint32_t* colours, VectorF* texCoords,
                                          int32_t capacity, int32_t& count) const
{
    count = 0;
    if (!mTexture || GetParticleCount() == 0 || mShards.Count() < 1) return false;
    WalkDrawable(*this, [&](int32_t slot) {
        if (count >= capacity) return false;
        const float angle = mParticleRotationStyle == 1 ? mAngles[slot]
                                                        : std::atan2(mVelocities[slot].mY, mVelocities[slot].mX);
        const float sine = std::sin(angle), cosine = std::cos(angle);
        const float size = mSizes[slot];
        const ShardRecord& shard = mShards[slot];
        const VectorF p = mPositions[slot];
        VectorF* fan = positions + 6 * count;
        fan[0] = p;
        for (int32_t k = 1; k < 6; ++k)
            fan[k] = p + Turned(shard.mCorners[ShardRecord::kCornerCount - k] * size, sine, cosine);
        // Opaque at the centre, fading to nothing at the shard's edges.
        ColorRGBA edge = mColors[slot];
        edge.mAlpha = 0;
        colours[6 * count] = mColors[slot].Pack();
        for (int32_t k = 1; k < 6; ++k) colours[6 * count + k] = edge.Pack();
        for (int32_t k = 0; k < 6; ++k) texCoords[6 * count + k] = shard.mTexCoords[k];
        ++count;
        return true;
    });
    return count > 0;
}

void ParticleSystem::Draw(bool selected)
{
    const ColorRGBA c1 = selected ? ColorRGBA(255, 255, 0, 255) : ColorRGBA(255, 255, 255, 255);
    const ColorRGBA c2 = selected ? ColorRGBA(255, 155, 55, 255) : ColorRGBA(255, 235, 215, 255);
    const ColorRGBA c3 = selected ? ColorRGBA(155, 255, 0, 255) : ColorRGBA(255, 255, 255, 255);
    mMarkerPoints.Clear();
    mMarkerColours.Clear();
    auto segment = [this](const VectorF& a, const ColorRGBA& ca, const VectorF& b, const ColorRGBA& cb) {
        mMarkerPoints.PushBack(a);
        mMarkerPoints.PushBack(b);
        mMarkerColours.PushBack(ca.Pack());
        mMarkerColours.PushBack(cb.Pack());
    };
    auto square = [&](const VectorF& centre, const ColorRGBA& c) {
        const VectorF corners[4] = {centre + VectorF(-1.0f, -1.0f), centre + VectorF(1.0f, -1.0f),
                                    centre + VectorF(1.0f, 1.0f), centre + VectorF(-1.0f, 1.0f)};
        for (int32_t k = 0; k < 4; ++k) segment(corners[k], c, corners[(k + 1) % 4], c);
    };
    const VectorF at = FollowLink();
    if (!mStartMoveVectorValid) RecomputeStartMoveVector();
    const VectorF v = UpdateLinkDirection();
    segment(at, c2, at + v, c2);
    VectorF head = v;
    head.Normalize(5.0f);
    head.Rotate(210.0f * kDegrees);
    segment(at + v, c2, at + v + head, c2);
    head.Rotate(-60.0f * kDegrees);
    segment(at + v, c2, at + v + head, c2);
    if (selected) {
        ColorRGBA faded = c2;
        faded.mAlpha = 0;
        VectorF limit = v;
        limit.Rotate(0.5f * mScattering);
        segment(at, c2, at + limit, faded);
        limit.Rotate(-mScattering);
        segment(at, c2, at + limit, faded);
        if (mDoGravityToPoint) {
            const ColorRGBA cyan(0, 255, 255, 255);
            const VectorF g = mGravityToPointPoint;
            segment(g - VectorF(5.0f, 5.0f), cyan, g + VectorF(5.0f, 5.0f), cyan);
            segment(g + VectorF(5.0f, -5.0f), cyan, g + VectorF(-5.0f, 5.0f), cyan);
        }
    }
    segment(at, c3, at + mLine, c3);
    square(at, c1);
    square(at + mLine, c3);
    mMarkerShape.InitColouredPoints(1, mMarkerPoints, mMarkerColours);
}

} // namespace KIV
