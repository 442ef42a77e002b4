#include "render/RenderMesh.h"
#include "render/Shape.h"

namespace KIV {

namespace {

// An empty list means "none" (untextured, or drawn in the fill colour); any other length must match.
bool MatchesPoints(int32_t listCount, int32_t pointCount)
{
    return listCount == 0 || listCount == pointCount;
}

} // namespace

bool RenderMesh::UpdateFromShape(Shape& shape)
{
    if (shape.mPointsChanged) {
        const int32_t n = shape.mPoints.Count();
        if (!MatchesPoints(shape.mColors.Count(), n) || !MatchesPoints(shape.mTexCoords.Count(), n)) return false;
        mVertices.Assign(shape.mPoints);
        mColors.Assign(shape.mColors);
        mTexCoords.Assign(shape.mTexCoords);
        if (mVertices.Count() != n || mColors.Count() != shape.mColors.Count() ||
            mTexCoords.Count() != shape.mTexCoords.Count())
            return false;
        shape.mPointsChanged = false;
    }
    if (shape.mTrianglesChanged) {
        mIndices.Assign(shape.mTriangles);
        if (mIndices.Count() != shape.mTriangles.Count()) return false;
        mParticleCapacity = -1;
        shape.mTrianglesChanged = false;
    }
    mDrawState = shape.mDrawState;
    mKind = shape.mKind;
    return true;
}

bool RenderMesh::UpdateFromPoints(const Shape& shape)
{
    const int32_t n = shape.mPoints.Count();
    mVertices.Assign(shape.mPoints);
    if (shape.mColors.Count() == n) mColors.Assign(shape.mColors);
    else mColors.Clear();
    mTexCoords.Clear();
    mDrawState = shape.mDrawState;
    mKind = shape.mKind;
    return mVertices.Count() == n;
}

namespace {

template <int32_t kTriangles, typename Emit>
bool BuildParticleIndices(RenderMesh& mesh, int32_t particles, int32_t verticesPerParticle, Emit emit)
{
    if (particles < 0) return false;
    const int32_t batch = particles < ParticlesPerBatch(verticesPerParticle) ? particles
                                                                              : ParticlesPerBatch(verticesPerParticle);
    if (!mesh.mIndices.Resize(batch * kTriangles)) return false;
    IndexTriangle* out = mesh.mIndices.Data();
    for (int32_t p = 0; p < batch; ++p) {
        emit(out, uint16_t(p * verticesPerParticle));
        out += kTriangles;
    }
    mesh.mParticleCapacity = particles;
    return true;
}

} // namespace

bool RenderMesh::BuildQuadIndices(int32_t particles)
{
    return BuildParticleIndices<kQuadParticleTriangles>(*this, particles, kQuadParticleVertices,
                                                        [](IndexTriangle* t, uint16_t v) {
                                                            t[0] = {v, uint16_t(v + 2), uint16_t(v + 3)};
                                                            t[1] = {v, uint16_t(v + 1), uint16_t(v + 2)};
                                                        });
}

bool RenderMesh::BuildFanIndices(int32_t particles)
{
    return BuildParticleIndices<kFanParticleTriangles>(*this, particles, kFanParticleVertices,
                                                       [](IndexTriangle* t, uint16_t v) {
                                                           for (uint16_t i = 1; i <= 4; ++i)
                                                               t[i - 1] = {v, uint16_t(v + i), uint16_t(v + i + 1)};
                                                           t[4] = {v, uint16_t(v + 5), uint16_t(v + 1)};
                                                       });
}

} // namespace KIV
