// The drawing operations: visibility, pooled meshes and upload records, lights and scissor, all
// recorded into the drawing buffer without touching the GL.
#include "render/Renderer.h"
#include <algorithm>
#include <cmath>
#include "render/ImageFile.h"
#include "render/Shape.h"
#include "render/Texture.h"

namespace KIV {

Renderer* gRenderer = nullptr;

int32_t ComputeGhostCopyCount(float turnPerStep, float motionPerStepLength)
{
    // Beyond any int range a NaN or a wild velocity would turn into garbage before the cap.
    const float turn = std::min(std::fabs(std::round(turnPerStep)), 1.0e6f);
    const float move = std::min(std::round(std::fabs(motionPerStepLength) * 0.01f), 1.0e6f);
    if (!(turn >= 0.0f) || !(move >= 0.0f)) return 0;
    const int32_t count = int32_t(std::max(turn, move)) - 10;
    return std::clamp(count, 0, kMaxGhostCopies);
}

Renderer::Renderer()
{
    gRenderer = this;
    mReadBackPixels.SetGrowBy(1);
    ClearLightSlots();
}

Renderer::~Renderer()
{
    if (mPicture) DeleteImageFile(mPicture);
    if (gRenderer == this) gRenderer = nullptr;
}

void Renderer::SetWindowSize(int32_t width, int32_t height)
{
    mWidth = width;
    mHeight = height;
    mWidthF = float(width);
    mHeightF = float(height);
}

void Renderer::ClearLightSlots()
{
    for (LightSlot& slot : mLightSlots) slot = LightSlot{};
}

void Renderer::SetView(const RectF& rect, float angle)
{
    mViewRect = rect;
    mViewAngle = angle;
    mDrawBuffer.SetCamera(rect, angle);
}

void Renderer::SetScreenView()
{
    SetView(RectF(0.0f, 0.0f, mWidthF, mHeightF), 0.0f);
}

bool Renderer::IsInView(const RectF& rect) const
{
    // Touching edges count: a shape lying exactly along the view's border is still drawn.
    return rect.x1 <= mViewRect.x2 && mViewRect.x1 <= rect.x2 && rect.y1 <= mViewRect.y2 && mViewRect.y1 <= rect.y2;
}

void Renderer::ResetDrawBuffer()
{
    ClearLightSlots();
    mDrawBuffer.ResetState();
}

// ---------------------------------------------------------------------------------------------
// Pools

RenderMesh* Renderer::GetPooledMesh(int32_t& meshIndex)
{
    if (meshIndex >= 0 && meshIndex < mPools.mMeshes.Count()) return mPools.mMeshes[meshIndex];
    if (mFreeMeshes.Count() > 0) {
        meshIndex = mFreeMeshes.Last();
        mFreeMeshes.RemoveAt(mFreeMeshes.Count() - 1);
        RenderMesh* mesh = mPools.mMeshes[meshIndex];
        *mesh = RenderMesh{};
        return mesh;
    }
    RenderMesh* mesh = mPools.mMeshes.AppendNew();
    meshIndex = mesh ? mPools.mMeshes.Count() - 1 : -1;
    return mesh;
}

void Renderer::ReleaseMesh(int32_t meshIndex)
{
    if (meshIndex < 0 || meshIndex >= mPools.mMeshes.Count() || mFreeMeshes.Contains(meshIndex)) return;
    mFreeMeshes.PushBack(meshIndex);
}

TextureUpload* Renderer::FindUpload(const Texture* texture) const
{
    if (!texture || !texture->mRendererHandle) return nullptr;
    // The handle is only trusted when this renderer's pool holds it for this very texture; a handle
    // that survived a context re-creation names a record that was emptied and may serve another.
    // Records live as long as the renderer, so one found in the set can be read.
    TextureUpload* record = texture->mRendererHandle;
    if (mUploadRecords.find(record) == mUploadRecords.end()) return nullptr;
    return record->mOwner == texture ? record : nullptr;
}

TextureUpload* Renderer::NewTextureUpload(const Texture* texture)
{
    TextureUpload* record = nullptr;
    if (mFreeUploads.Count() > 0) {
        record = mPools.mTextures[mFreeUploads.Last()];
        mFreeUploads.RemoveAt(mFreeUploads.Count() - 1);
    }
    if (!record) {
        record = mPools.mTextures.AppendNew();
        if (!record) return nullptr;
        record->mPoolIndex = mPools.mTextures.Count() - 1;
        mUploadRecords.insert(record);
    }
    record->mOwner = texture;
    return record;
}

void Renderer::ReleaseTexture(const Texture& texture)
{
    TextureUpload* record = FindUpload(&texture);
    if (!record) return;
    // The record keeps its GL name for the next texture it serves; only the pixels go.
    record->mPixels.Free();
    record->mUploadPending = 0;
    record->mOwner = nullptr;
    mFreeUploads.PushBack(record->mPoolIndex);
}

bool Renderer::PrepareTextureUpload(Texture* texture)
{
    TextureUpload* record = FindUpload(texture);
    if (!record) {
        record = NewTextureUpload(texture);
        if (!record) return false;
        texture->SetRendererHandle(record);
    }
    VectorI size;
    int32_t bpp = 0;
    const bool ok = texture->GetUploadPixels(record->mPixels, size, bpp);
    if (ok) {
        record->mWidth = size.mX;
        record->mHeight = size.mY;
        record->mBytesPerPixel = bpp;
        record->mRepeat = texture->mRepeat ? 1 : 0;
    }
    record->mUploadPending = ok ? 1 : 0;
    return ok;
}

void Renderer::RecordUpload(const TextureUpload& record)
{
    mDrawBuffer.RecordU32(kOpUploadTexture, uint32_t(record.mPoolIndex));
}

bool Renderer::UploadTextureIfPending(Texture* texture)
{
    if (!texture) return false;
    if (texture->mGenerated) {
        if (!PrepareTextureUpload(texture)) return false;
        RecordUpload(*FindUpload(texture));
        return true;
    }
    const bool stamped = texture->TakeStamped();
    if (FindUpload(texture) && !stamped) return true;
    if (!PrepareTextureUpload(texture)) return false;
    RecordUpload(*FindUpload(texture));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Shapes

bool Renderer::DrawShape(Shape& shape, bool wireframe, uint8_t alpha, bool lightingOff)
{
    if (!IsInView(shape.mBounds)) return false;

    // A shape without groups is drawn as one section over all its triangles.
    DrawGroup whole;
    const DrawGroup* groups = shape.mDrawGroups.Data();
    int32_t groupCount = shape.mDrawGroups.Count();
    if (groupCount == 0) {
        whole.mRect = shape.mBounds;
        whole.mTriangleCount = shape.mTriangles.Count();
        groups = &whole;
        groupCount = 1;
    }

    RenderMesh* mesh = nullptr;
    bool drew = false;
    int32_t runStart = -1;  // first group of the open run
    int32_t runEnd = 0;     // one past the run's last triangle
    auto closeRun = [&](int32_t end) -> bool {
        if (runStart < 0) return true;
        const DrawGroup& first = groups[runStart];
        const int32_t triangles = end - first.mFirstTriangle;
        runStart = -1;
        if (triangles <= 0) return true;
        if (!mesh) {
            // A shape new to this pool must hand over everything, whatever its flags say.
            const bool fresh = shape.mMeshIndex < 0 || shape.mMeshIndex >= mPools.mMeshes.Count();
            mesh = GetPooledMesh(shape.mMeshIndex);
            if (fresh) shape.MarkChanged();
            if (!mesh || !mesh->UpdateFromShape(shape)) return false;
            mDrawBuffer.SetMesh(uint32_t(shape.mMeshIndex), mesh->mDrawState);
            if (lightingOff) mDrawBuffer.SetLighting(false);
            if (!wireframe && shape.mTexture) {
                const TextureUpload* record = FindUpload(shape.mTexture);
                if (record) mDrawBuffer.BindTexture(uint32_t(record->mPoolIndex), shape.mTexture->mMapping);
            }
            if (alpha != 255) mDrawBuffer.RecordColor(kOpColorWash, ColorRGBA(255, 255, 255, alpha));
        }
        if (shape.mDrawState.mLighted) SetLights(first.mLights, first.mLightCount);
        mDrawBuffer.DrawIndexed(mesh->mKind, 0, 3 * first.mFirstTriangle, triangles, wireframe,
                                uint32_t(shape.mMeshIndex));
        drew = true;
        return true;
    };

    for (int32_t i = 0; i < groupCount; ++i) {
        const DrawGroup& g = groups[i];
        if (!IsInView(g.mRect)) {
            if (!closeRun(runEnd)) return false;
            continue;
        }
        // A run goes on only through neighbouring triangles lit alike.
        const bool continues = runStart >= 0 && g.mSameLights && g.mFirstTriangle == runEnd;
        if (!continues) {
            if (!closeRun(runEnd)) return false;
            runStart = i;
        }
        runEnd = g.mFirstTriangle + g.mTriangleCount;
    }
    if (!closeRun(runEnd)) return false;
    return drew;
}

bool Renderer::DrawShapeWireframe(Shape& shape)
{
    if (!IsInView(shape.mBounds) || shape.mPoints.Count() == 0) return false;
    RenderMesh* mesh = GetPooledMesh(shape.mMeshIndex);
    if (!mesh || !mesh->UpdateFromPoints(shape)) return false;
    mDrawBuffer.SetMesh(uint32_t(shape.mMeshIndex), mesh->mDrawState);
    DrawWireframePayload p{};
    p.mKind = mesh->mKind;
    p.mCount = shape.mPoints.Count();
    p.mOne = 1;
    mDrawBuffer.Record(kOpDrawWireframe, p);
    return true;
}

void Renderer::DrawGhostCopies(Shape& shape, const VectorF& pivot, float turnPerStep, const VectorF& motionPerStep,
                               int32_t count)
{
    count = std::min(count, kMaxGhostCopies);
    for (int32_t k = 1; k <= count; ++k) {
        const float f = float(k) / float(count + 1);
        // The eye moves forward by the part of the step, so the copy shows where the toy was.
        mDrawBuffer.Record(kOpRotatedDraw,
                           RotatedDrawPayload{pivot.mX, pivot.mY, turnPerStep * f, motionPerStep.mX * f,
                                              motionPerStep.mY * f});
        DrawShape(shape, false, uint8_t(100 - 100 * (k - 1) / count), false);
        mDrawBuffer.Record(kOpRotatedDraw, RotatedDrawPayload{});
    }
}

bool Renderer::DrawParticleMesh(int32_t& meshIndex, int32_t verticesPerParticle, int32_t particles, Texture* texture)
{
    if (particles <= 0 || (verticesPerParticle != kQuadParticleVertices && verticesPerParticle != kFanParticleVertices))
        return false;
    RenderMesh* mesh = GetPooledMesh(meshIndex);
    if (!mesh || mesh->mVertices.Count() < particles * verticesPerParticle) return false;
    const bool quads = verticesPerParticle == kQuadParticleVertices;
    if (mesh->mParticleCapacity != particles) {
        const bool built = quads ? mesh->BuildQuadIndices(particles) : mesh->BuildFanIndices(particles);
        if (!built) return false;
    }
    const int32_t trianglesPer = quads ? kQuadParticleTriangles : kFanParticleTriangles;
    const int32_t perBatch = ParticlesPerBatch(verticesPerParticle);
    mDrawBuffer.SetMesh(uint32_t(meshIndex), mesh->mDrawState);
    const TextureUpload* record = FindUpload(texture);
    if (record) mDrawBuffer.BindTexture(uint32_t(record->mPoolIndex), texture->mMapping);
    for (int32_t first = 0; first < particles; first += perBatch) {
        const int32_t n = std::min(perBatch, particles - first);
        mDrawBuffer.DrawIndexed(mesh->mKind, first * verticesPerParticle, 0, n * trianglesPer, false,
                                uint32_t(meshIndex));
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Lights and scissor

int32_t Renderer::FindFreeLightSlot() const
{
    for (int32_t i = 0; i < kLightSlotCount; ++i)
        if (!mLightSlots[i].mUsed) return i;
    return -1;
}

bool Renderer::SetLights(const LightSource* const* lights, int32_t count)
{
    if (count < 0) return false;
    auto enable = [this](int32_t slot, bool on) {
        mDrawBuffer.Record(kOpLightEnable, LightEnablePayload{slot, uint8_t(on ? 1 : 0), {0, 0, 0}});
        mLightSlots[slot].mEnabled = on ? 1 : 0;
    };
    if (count == 0) {
        for (int32_t i = 0; i < kLightSlotCount; ++i)
            if (mLightSlots[i].mEnabled) enable(i, false);
        return true;
    }
    count = std::min(count, kMaxLightsPerGroup);
    for (LightSlot& slot : mLightSlots) slot.mUsed = 0;
    const LightSource* pending[kMaxLightsPerGroup];
    int32_t pendingCount = 0;
    for (int32_t i = 0; i < count; ++i) {
        const LightSource* light = lights[i];
        if (!light) continue;
        int32_t bound = -1;
        for (int32_t s = 0; s < kLightSlotCount && bound < 0; ++s)
            if (mLightSlots[s].mLight == light) bound = s;
        if (bound < 0) {
            pending[pendingCount++] = light;
            continue;
        }
        mLightSlots[bound].mUsed = 1;
        if (!mLightSlots[bound].mEnabled) enable(bound, true);
    }
    for (int32_t i = 0; i < pendingCount; ++i) {
        const int32_t slot = FindFreeLightSlot();
        if (slot < 0) break;
        const LightSource* light = pending[i];
        mLightSlots[slot].mLight = light;
        mLightSlots[slot].mUsed = 1;
        if (!mLightSlots[slot].mEnabled) enable(slot, true);
        LightSetupPayload p{};
        p.mSlot = slot;
        p.mPosition[0] = light->mPosition.mX;
        p.mPosition[1] = light->mPosition.mY;
        p.mPosition[2] = -std::fabs(light->mHeight) * 4.4f;
        p.mPosition[3] = 1.0f;
        p.mDiffuse[0] = light->mDiffuse.mRed;
        p.mDiffuse[1] = light->mDiffuse.mGreen;
        p.mDiffuse[2] = light->mDiffuse.mBlue;
        p.mDiffuse[3] = light->mDiffuse.mAlpha;
        mDrawBuffer.Record(kOpLightSetup, p);
    }
    for (int32_t i = 0; i < kLightSlotCount; ++i)
        if (mLightSlots[i].mEnabled && !mLightSlots[i].mUsed) enable(i, false);
    return true;
}

void Renderer::SetScissor(const RectI& r)
{
    const int32_t width = r.mP2.mX - r.mP1.mX;
    const int32_t height = r.mP2.mY - r.mP1.mY;
    // GL counts scissor rows from the bottom of the window.
    mDrawBuffer.SetScissor(r.mP1.mX, mHeight - height - r.mP1.mY, width, height);
}

void Renderer::ClearScissor()
{
    mDrawBuffer.SetScissor(0, 0, 0, 0);
}

} // namespace KIV
