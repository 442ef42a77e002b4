#include "render/RenderCommandBuffer.h"

namespace KIV {

const int32_t kOpPayloadSize[kOpCount] = {1, 20, 20, 4, 8, 4, 4, 4, 4, 8, 16, 4, 1, 8, 36, 4, 4, 24, 12, 20};

namespace {

constexpr int32_t kInitialStreamBytes = 512;

// Source and destination factors, as GL enum values, per blend mode.
constexpr BlendPayload kBlendModes[kBlendModeCount] = {
    {770, 771}, {770, 1},   {1, 1},     {770, 769}, {770, 770}, {1, 769},   {1, 771},
    {775, 1},   {1, 1},     {774, 1},   {771, 769}, {775, 769}, {775, 770}, {775, 771},
    {775, 0},   {771, 768}, {771, 771}, {771, 1},   {770, 0},
};
constexpr uint32_t kTexEnvModes[2] = {0x2100 /* GL_MODULATE */, 0x0104 /* GL_ADD */};
// GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN.
constexpr uint32_t kPrimitives[kPrimitiveKindCount] = {0x0000, 0x0001, 0x0003, 0x0004, 0x0005, 0x0006};

// A pair no blend mode uses, and an environment no mode has, so the first state after a reset
// always records its blend and environment.
constexpr BlendPayload kNoBlend = {771, 770};
constexpr uint32_t kNoTexEnv = 1;

} // namespace

RenderCommandBuffer::RenderCommandBuffer()
{
    mBytes.SetCapacity(kInitialStreamBytes, 0);
}

BlendPayload RenderCommandBuffer::GetBlendFactors(int32_t mode)
{
    return kBlendModes[(mode >= 0 && mode < kBlendModeCount) ? mode : 0];
}

uint32_t RenderCommandBuffer::GetTexEnvMode(int32_t op)
{
    return kTexEnvModes[op == 1 ? 1 : 0];
}

uint32_t RenderCommandBuffer::GetPrimitive(int32_t kind)
{
    return kPrimitives[(kind >= 0 && kind < kPrimitiveKindCount) ? kind : 3];
}

uint8_t* RenderCommandBuffer::Append(uint8_t opcode, int32_t payloadSize)
{
    const int32_t start = mBytes.Count();
    const int32_t size = start + 1 + payloadSize;
    if (size > mBytes.Capacity()) {
        if (!mBytes.SetCapacity(size, start)) return nullptr;
    }
    mBytes.SetCount(size);
    mBytes[start] = opcode;
    mCommandCount += 1;
    return mBytes.At(start + 1);
}

void RenderCommandBuffer::Clear()
{
    mCommandCount = 0;
    mBytes.Clear();
}

void RenderCommandBuffer::ResetCaches()
{
    mCameraCache = {};
    mBlendCache = kNoBlend;
    mTexEnvCache = kNoTexEnv;
    mFogCache = 0;
    mLightingCache = 0;
}

void RenderCommandBuffer::ResetState()
{
    ResetCaches();
    RecordU8(kOpResetState, 1);
}

void RenderCommandBuffer::SetCamera(const RectF& rect, float angle)
{
    const CameraPayload camera{rect.x1, rect.y1, rect.x2, rect.y2, angle};
    const CameraPayload none{};
    if (std::memcmp(&mCameraCache, &none, sizeof none) == 0 || std::memcmp(&mCameraCache, &camera, sizeof camera) != 0)
        Record(kOpCamera, camera);
    mCameraCache = camera;
}

void RenderCommandBuffer::BindTexture(uint32_t upload, int32_t mapping)
{
    if (upload == kNoPoolIndex) return;
    Record(kOpBindTexture, BindTexturePayload{upload, mapping});
}

void RenderCommandBuffer::ApplyDrawState(const DrawState& state)
{
    const BlendPayload blend = GetBlendFactors(state.mBlender);
    if (blend.mSource != mBlendCache.mSource || blend.mDestination != mBlendCache.mDestination) {
        Record(kOpBlend, blend);
        mBlendCache = blend;
    }
    RecordI32(kOpAlphaTest, state.mAlphaExtrude);
    const uint32_t fog = state.mFogColor.Pack();
    // Fog with distance 0 is off whatever its colour, so only a change involving real fog counts.
    if (fog != mFogCache && ((fog >> 24) != 0 || (mFogCache >> 24) != 0)) {
        RecordColor(kOpFog, state.mFogColor);
        mFogCache = fog;
    }
    const uint32_t env = GetTexEnvMode(state.mTexColorOp);
    if (env != mTexEnvCache) {
        RecordU32(kOpTexEnv, env);
        mTexEnvCache = env;
    }
    SetLighting(state.mLighted != 0);
}

void RenderCommandBuffer::SetLighting(bool on)
{
    const uint8_t value = on ? 1 : 0;
    if (value == mLightingCache) return;
    RecordU8(kOpLighting, value);
    mLightingCache = value;
}

void RenderCommandBuffer::SetMesh(uint32_t mesh, const DrawState& state)
{
    if (mesh == kNoPoolIndex) return;
    RecordU32(kOpVertexArrays, mesh);
    ApplyDrawState(state);
}

void RenderCommandBuffer::DrawIndexed(int32_t kind, int32_t baseVertex, int32_t firstIndex, int32_t triangleCount,
                                      bool wireframe, uint32_t mesh)
{
    DrawIndexedPayload p{};
    p.mKind = kind;
    p.mBaseVertex = baseVertex;
    p.mFirstIndex = firstIndex;
    p.mIndexCount = 3 * triangleCount;
    p.mWireframe = wireframe ? 1 : 0;
    p.mMesh = mesh;
    Record(kOpDrawIndexed, p);
}

void RenderCommandBuffer::SetScissor(int32_t x, int32_t y, int32_t width, int32_t height)
{
    Record(kOpScissor, ScissorPayload{x, y, width, height});
}

bool RenderCommandBuffer::Execute(const RenderPools& pools)
{
    const uint8_t* bytes = mBytes.Data();
    const int32_t size = mBytes.Count();
    int32_t position = 0;
    mExecMesh = nullptr;
    for (int32_t i = 0; i < mCommandCount; ++i) {
        if (position >= size) return false;
        const uint8_t opcode = bytes[position++];
        if (opcode >= kOpCount || position + kOpPayloadSize[opcode] > size) return false;
        position += ExecuteCommand(opcode, bytes + position, pools);
    }
    return true;
}

} // namespace KIV
