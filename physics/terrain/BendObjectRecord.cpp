#include <algorithm>
#include "base/MemoryStream.h"
#include "physics/terrain/BendObject.h"
#include "render/DrawStateRecord.h"

// The terrain-object record of the scene file and its bend-frame record. The
// version rules of both live here.

namespace KIV {

namespace {

constexpr uint8_t kRecordVersion = 3;
constexpr uint8_t kFrameVersion = 1;
constexpr uint8_t kSideVersion = 1;
constexpr int32_t kSideRecordSize = 33;
constexpr int32_t kFrameRecordSize = 141;
// Far beyond any world; frame evaluation sums and scales these, and values
// near the float limit would turn infinite there.
constexpr float kMaxRecordCoordinate = 1.0e6f;

bool IsPlausible(float value) { return value >= -kMaxRecordCoordinate && value <= kMaxRecordCoordinate; }
bool IsPlausible(const VectorF& v) { return IsPlausible(v.mX) && IsPlausible(v.mY); }

bool IsPlausible(const BendFrame& frame)
{
    for (const CubicBezier& side : frame.mSides)
        if (!IsPlausible(side.mStart) || !IsPlausible(side.mEnd) || !IsPlausible(side.mStartVector) ||
            !IsPlausible(side.mEndVector))
            return false;
    return true;
}

// An unknown version tells nothing of the layout inside, but the record's size
// is fixed: skipping it keeps every later field in line.
void SkipRest(MemoryStream& stream, int32_t recordStart, int32_t recordSize)
{
    stream.SetPosition(std::min(stream.GetSize(), recordStart + recordSize));
}

bool WriteSide(MemoryStream& stream, const CubicBezier& side)
{
    return stream.WriteByte(kSideVersion) && stream.WriteVector(side.mStart) && stream.WriteVector(side.mEnd) &&
           stream.WriteVector(side.mStartVector) && stream.WriteVector(side.mEndVector);
}

void ReadSide(MemoryStream& stream, CubicBezier& side)
{
    const int32_t start = stream.GetPosition();
    uint8_t version = 0;
    if (!stream.ReadByte(version)) return;
    if (version != kSideVersion) {
        SkipRest(stream, start, kSideRecordSize);
        return;
    }
    stream.ReadVector(side.mStart);
    stream.ReadVector(side.mEnd);
    stream.ReadVector(side.mStartVector);
    stream.ReadVector(side.mEndVector);
}

} // namespace

bool WriteFrameRecord(MemoryStream& stream, const BendFrame& frame)
{
    if (!stream.WriteByte(kFrameVersion)) return false;
    for (const CubicBezier& side : frame.mSides)
        if (!WriteSide(stream, side)) return false;
    return stream.WriteInt(frame.mColumns) && stream.WriteInt(frame.mRows);
}

bool ReadFrameRecord(MemoryStream& stream, BendFrame& frame)
{
    const int32_t start = stream.GetPosition();
    uint8_t version = 0;
    if (!stream.ReadByte(version)) return false;
    if (version != kFrameVersion) {
        SkipRest(stream, start, kFrameRecordSize);
        return false;
    }
    for (CubicBezier& side : frame.mSides) ReadSide(stream, side);
    stream.ReadInt(frame.mColumns);
    const bool complete = stream.ReadInt(frame.mRows);
    frame.MarkChanged();
    return complete;
}

bool BendObject::Write(MemoryStream& stream) const
{
    return stream.WriteByte(kRecordVersion) && stream.WriteString(mTextureFileName) && stream.WriteInt(mLayer) &&
           WriteFrameRecord(stream, mFrame) && stream.WriteByte(mCollisions) && stream.WriteByte(mPassDynamics) &&
           stream.WriteByte(mPassParticles) && stream.WriteFloat(mSlippery) &&
           WriteDrawStateRecord(stream, mTexturedShape.mDrawState);
}

bool BendObject::Read(MemoryStream& stream)
{
    uint8_t version = 0;
    if (!stream.ReadByte(version)) return false;
    if (version >= 1) {
        stream.ReadString(mTextureFileName);
        stream.ReadInt(mLayer);
        ReadFrameRecord(stream, mFrame);
    }
    if (version >= 2) stream.ReadByte(mCollisions);
    if (version >= 3) {
        stream.ReadByte(mPassDynamics);
        stream.ReadByte(mPassParticles);
        stream.ReadFloat(mSlippery);
        ReadDrawStateRecord(stream, mTexturedShape.mDrawState);
    }
    // NaN fails both comparisons, so non-finite values are refused with the absurd ones.
    return IsPlausible(mFrame) && IsPlausible(mSlippery);
}

} // namespace KIV
