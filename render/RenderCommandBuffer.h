#pragma once
#include <cstdint>
#include <cstring>
#include "base/Array.h"
#include "base/Color.h"
#include "base/Rect.h"
#include "render/DrawState.h"
#include "render/RenderMesh.h"

namespace KIV {

enum RenderOpcode : uint8_t {
    kOpResetState = 0,
    kOpCamera = 1,
    kOpRotatedDraw = 2,
    kOpBindTextureName = 3,
    kOpBindTexture = 4,
    kOpAlphaTest = 5,
    kOpColor = 6,
    kOpColorWash = 7,
    kOpFog = 8,
    kOpBlend = 9,
    kOpScissor = 10,
    kOpTexEnv = 11,
    kOpLighting = 12,
    kOpLightEnable = 13,
    kOpLightSetup = 14,
    kOpUploadTexture = 15,
    kOpVertexArrays = 16,
    kOpDrawIndexed = 17,
    kOpDrawArrays = 18,
    kOpDrawWireframe = 19,
    kOpCount = 20,
};

inline constexpr int32_t kBlendModeCount = 19;
inline constexpr int32_t kPrimitiveKindCount = 6;

// Command payloads, byte for byte as they sit in the stream (little-endian, no padding between
// commands). Records that once held process addresses carry 32-bit pool indices instead, so every
// command keeps its size on a 64-bit build.
#pragma pack(push, 1)
struct CameraPayload {
    float mLeft, mTop, mRight, mBottom, mAngle;
};
struct RotatedDrawPayload {
    float mPivotX, mPivotY, mAngle, mOffsetX, mOffsetY;
};
struct BindTexturePayload {
    uint32_t mUpload;
    int32_t mMapping;
};
struct ScissorPayload {
    int32_t mX, mY, mWidth, mHeight;
};
struct BlendPayload {
    uint32_t mSource, mDestination;
};
struct LightEnablePayload {
    int32_t mSlot;
    uint8_t mOn;
    uint8_t mPad[3];
};
struct LightSetupPayload {
    int32_t mSlot;
    float mPosition[4];
    float mDiffuse[4];
};
struct DrawIndexedPayload {
    int32_t mKind;
    // Where indices count from in the mesh's vertices: 0 for shapes; particle batches beyond
    // 16-bit indices move it along. Reserved and unread in the original layout, so sizes hold.
    int32_t mBaseVertex;
    int32_t mFirstIndex;
    int32_t mIndexCount;
    uint8_t mWireframe;
    uint8_t mPad[3];
    uint32_t mMesh;
};
struct DrawArraysPayload {
    int32_t mKind, mFirst, mCount;
};
struct DrawWireframePayload {
    int32_t mKind, mFirst, mCount, mSpare;
    uint8_t mOne;
    uint8_t mPad[3];
};
#pragma pack(pop)
static_assert(sizeof(CameraPayload) == 20 && sizeof(RotatedDrawPayload) == 20);
static_assert(sizeof(BindTexturePayload) == 8 && sizeof(ScissorPayload) == 16 && sizeof(BlendPayload) == 8);
static_assert(sizeof(LightEnablePayload) == 8 && sizeof(LightSetupPayload) == 36);
static_assert(sizeof(DrawIndexedPayload) == 24 && sizeof(DrawArraysPayload) == 12);
static_assert(sizeof(DrawWireframePayload) == 20);

// Payload bytes of each opcode.
extern const int32_t kOpPayloadSize[kOpCount];

// A frame's GL work as a flat byte stream, recorded without touching the GL and executed in one
// pass on the thread that owns the context. The caches keep commands that would not change the
// GL state out of the stream.
class RenderCommandBuffer {
public:
    RenderCommandBuffer();

    // Room for one command; null, with nothing recorded, when the stream cannot grow. The caller
    // fills the payload at once (a later append may move the storage).
    uint8_t* Append(uint8_t opcode, int32_t payloadSize);
    template <typename Payload>
    bool Record(uint8_t opcode, const Payload& payload)
    {
        uint8_t* p = Append(opcode, int32_t(sizeof(Payload)));
        if (!p) return false;
        std::memcpy(p, &payload, sizeof(Payload));
        return true;
    }
    bool RecordU8(uint8_t opcode, uint8_t value) { return Record(opcode, value); }
    bool RecordU32(uint8_t opcode, uint32_t value) { return Record(opcode, value); }
    bool RecordI32(uint8_t opcode, int32_t value) { return Record(opcode, value); }
    bool RecordColor(uint8_t opcode, const ColorRGBA& c) { return Record(opcode, c); }

    void Clear();
    void ResetState();
    void SetCamera(const RectF& rect, float angle);
    void BindTexture(uint32_t upload, int32_t mapping);
    void ApplyDrawState(const DrawState& state);
    void SetLighting(bool on);
    void SetMesh(uint32_t mesh, const DrawState& state);
    void DrawIndexed(int32_t kind, int32_t baseVertex, int32_t firstIndex, int32_t triangleCount, bool wireframe,
                     uint32_t mesh);
    void SetScissor(int32_t x, int32_t y, int32_t width, int32_t height);

    // Runs every command against the current GL context. False when an unknown opcode (or a stream
    // that ends inside a payload) stops it; the commands before it stay executed.
    bool Execute(const RenderPools& pools);

    const Array<uint8_t>& GetBytes() const { return mBytes; }
    int32_t GetCommandCount() const { return mCommandCount; }
    int32_t GetTextureMapping() const { return mTextureMapping; }
    void SetTextureMapping(int32_t mapping) { mTextureMapping = mapping; }
    static BlendPayload GetBlendFactors(int32_t mode);
    static uint32_t GetTexEnvMode(int32_t op);
    static uint32_t GetPrimitive(int32_t kind);

    // The execution camera, written by opcode 1 and read by opcodes 2 and 8.
    float GetExecCenterX() const { return mExecCenterX; }
    float GetExecCenterY() const { return mExecCenterY; }
    float GetExecHalfHeight() const { return mExecHalfHeight; }

private:
    void ResetCaches();
    int32_t ExecuteCommand(uint8_t opcode, const uint8_t* payload, const RenderPools& pools);
    void LoadCameraMatrix(float centerX, float centerY, float angle, float halfHeight);

    CameraPayload mCameraCache{};
    BlendPayload mBlendCache{};
    uint32_t mTexEnvCache = 0;
    uint32_t mFogCache = 0;
    uint8_t mLightingCache = 0;
    int32_t mTextureMapping = 1;
    Array<uint8_t> mBytes;
    int32_t mCommandCount = 0;
    float mExecCenterX = 0.0f;
    float mExecCenterY = 0.0f;
    float mExecHalfHeight = 0.0f;
    // The mesh whose arrays opcode 16 set, so array draws can be checked against its size.
    const RenderMesh* mExecMesh = nullptr;
};

} // namespace KIV
