#include "render/DrawStateRecord.h"
#include <algorithm>
#include "base/MemoryStream.h"

namespace KIV {

namespace {

constexpr uint8_t kDrawStateVersion = 1;

bool WriteColor(MemoryStream& stream, const ColorRGBA& c)
{
    const uint8_t bytes[4] = {c.mRed, c.mGreen, c.mBlue, c.mAlpha};
    return stream.WriteBytes(bytes, 4);
}

void ReadColor(MemoryStream& stream, ColorRGBA& c)
{
    uint8_t bytes[4];
    if (stream.ReadBytes(bytes, 4)) c = ColorRGBA(bytes[0], bytes[1], bytes[2], bytes[3]);
}

} // namespace

bool InitWhiteRecord(DrawState& state)
{
    state = DrawState{};
    return true;
}

bool WriteDrawStateRecord(MemoryStream& stream, const DrawState& state)
{
    return stream.WriteByte(kDrawStateVersion) && stream.WriteInt(state.mBlender) &&
           stream.WriteInt(state.mTexColorOp) && WriteColor(stream, state.mFillColor) &&
           WriteColor(stream, state.mFogColor) && stream.WriteInt(state.mAlphaExtrude) &&
           stream.WriteByte(state.mLighted);
}

bool ReadDrawStateRecord(MemoryStream& stream, DrawState& state)
{
    const int32_t start = stream.GetPosition();
    uint8_t version = 0;
    if (!stream.ReadByte(version)) return false;
    if (version < kDrawStateVersion) {
        stream.SetPosition(std::min(stream.GetSize(), start + kDrawStateRecordSize));
        return false;
    }
    stream.ReadInt(state.mBlender);
    stream.ReadInt(state.mTexColorOp);
    ReadColor(stream, state.mFillColor);
    ReadColor(stream, state.mFogColor);
    stream.ReadInt(state.mAlphaExtrude);
    return stream.ReadByte(state.mLighted);
}

} // namespace KIV
