#include <algorithm>
#include <cstring>
#include "base/MemoryStream.h"
#include "base/Notices.h"
#include "physics/particles/ParticleSystem.h"
#include "render/DrawStateRecord.h"

// The particle-system record: every property, no particle. Robot files, undo
// snapshots, materials and the property clipboard all carry it. The version
// rules live here, in the length table and in the reader's version tests.

namespace KIV {

namespace {

// Bytes each version's record takes besides its texture name.
int32_t FixedRecordLength(uint8_t version)
{
    int32_t length = 1 + 4 + 16;                // version, layer, name
    if (version >= 2) length += 4 + 4 + 4 + 8; // colours, name length, size on start
    length += version >= 3 ? 8 : 4;            // multi-texture, or the 4 bytes in its place
    length += 4 + 22 + 8 + 4 + 4 + 8 + 1 + 4 + 1 + 4 + 4 + 4 + kDrawStateRecordSize + 1;
    if (version >= 4) length += 4;             // marker, two effect switches, marker
    length += 8 + 1 + 8 + 4 + 4 + 4 + 5 + 4;
    if (version >= 5) length += 4;             // sharpness
    length += 1 + 10 + 19 + 14 + 10 + 10 + 16 + 18 + 14;
    return length;
}

// Offset of the texture name's length, for versions that carry one.
constexpr int32_t kTextureNameOffset = 1 + 4 + 16 + 4 + 4;

// The length of the record that starts at data, or a reason it cannot be read.
int32_t MeasureRecord(const uint8_t* data, int32_t available, const char*& reason)
{
    if (available < 1) {
        reason = "no record";
        return -1;
    }
    const uint8_t version = data[0];
    if (version == 0) return 1;
    if (version > ParticleSystem::kRecordVersion) {
        reason = "written by a later version";
        return -1;
    }
    int64_t length = FixedRecordLength(version);
    if (version >= 2) {
        if (available < kTextureNameOffset + 4) {
            reason = "cut short";
            return -1;
        }
        int32_t nameLength;
        std::memcpy(&nameLength, data + kTextureNameOffset, 4);
        if (nameLength < 0 || nameLength > available - (kTextureNameOffset + 4)) {
            reason = "texture name longer than the record";
            return -1;
        }
        length += nameLength;
    }
    if (length > available) {
        reason = "cut short";
        return -1;
    }
    return static_cast<int32_t>(length);
}

bool WriteColor(MemoryStream& s, const ColorRGBA& c)
{
    const uint8_t bytes[4] = {c.mRed, c.mGreen, c.mBlue, c.mAlpha};
    return s.WriteBytes(bytes, 4);
}

bool WriteColor(MemoryStream& s, const ColorRGB& c)
{
    const uint8_t bytes[3] = {c.mRed, c.mGreen, c.mBlue};
    return s.WriteBytes(bytes, 3);
}

bool WriteInterval(MemoryStream& s, const IntervalF& i) { return s.WriteFloat(i.mMinValue) && s.WriteFloat(i.mMaxValue); }
bool WriteInterval(MemoryStream& s, const IntervalI& i) { return s.WriteInt(i.mMinValue) && s.WriteInt(i.mMaxValue); }

// The reader below runs only over a record measured whole, so no value is short.
struct RecordReader {
    MemoryStream& s;

    uint8_t Byte()
    {
        uint8_t v = 0;
        s.ReadByte(v);
        return v;
    }
    uint8_t Flag() { return Byte() != 0 ? 1 : 0; }
    int32_t Int()
    {
        int32_t v = 0;
        s.ReadInt(v);
        return v;
    }
    float Float()
    {
        float v = 0.0f;
        s.ReadFloat(v);
        return v;
    }
    VectorF Vector()
    {
        const float x = Float();
        return VectorF(x, Float());
    }
    IntervalF IntervalFloat()
    {
        const float lo = Float();
        return IntervalF(lo, Float());
    }
    IntervalI IntervalInt()
    {
        const int32_t lo = Int();
        return IntervalI(lo, Int());
    }
    ColorRGBA Rgba()
    {
        uint8_t b[4] = {};
        s.ReadBytes(b, 4);
        return ColorRGBA(b[0], b[1], b[2], b[3]);
    }
    ColorRGB Rgb()
    {
        uint8_t b[3] = {};
        s.ReadBytes(b, 3);
        return ColorRGB{b[0], b[1], b[2]};
    }
    void Skip(int32_t n) { s.SetPosition(s.GetPosition() + n); }
};

} // namespace

bool ParticleSystem::WriteProps(MemoryStream& s) const
{
    bool ok = s.WriteByte(kRecordVersion) && s.WriteInt(mLayer) && s.WriteBytes(mName.mChars, FastName::kLength) &&
              WriteColor(s, mColor1) && WriteColor(s, mColor2) && s.WriteString(mTextureFileName) &&
              WriteInterval(s, mSizeOnStart) && s.WriteVector(mMultiTexture) && s.WriteFloat(mParticleRecoil) &&
              s.WriteVector(mToyLinkLocalPoint) && s.WriteFloat(mToyLinkDirection) &&
              s.WriteByte(mDoMoveByLinkedToy) && s.WriteByte(mDoRotateByLinkedToy) && s.WriteVector(mPosition) &&
              s.WriteVector(mLine) && s.WriteFloat(mStartSpeed) && s.WriteFloat(mStartDirection) &&
              WriteInterval(s, mStartSpeedMul) && s.WriteByte(mStartSpeedMulInUse) && s.WriteFloat(mScattering) &&
              s.WriteByte(mDeleteWhenEmpty) && s.WriteInt(mParticleRotationStyle) &&
              s.WriteInt(mParticleStartPosition) && s.WriteFloat(mParticleWeight) &&
              WriteDrawStateRecord(s, mParticleShape.mDrawState) && s.WriteByte(mPenetratingParticles);
    ok = ok && s.WriteByte(2) && s.WriteByte(mAllowEffectDent) && s.WriteByte(mAllowEffectHoles) && s.WriteByte(0);
    ok = ok && WriteInterval(s, mEmitBoomCount) && s.WriteByte(mParticleEmitting) &&
         WriteInterval(s, mEmittingInterval) && s.WriteFloat(mTimeToNextEmission) && s.WriteInt(mEmittingCount) &&
         s.WriteInt(mSpareValue) && s.WriteByte(mBounceOffTerrain) && s.WriteByte(mBounceOffToys) &&
         s.WriteByte(mDontBounceOffRobotLinked) && s.WriteByte(mDisappearAfterFirstBounce) &&
         s.WriteByte(mDoBulletDeform) && s.WriteFloat(mBulletDeformPower) && s.WriteFloat(mSharpness) &&
         s.WriteByte(mAllowSleepingParticles);
    ok = ok && s.WriteByte(0) && s.WriteByte(mDoSizing) && WriteInterval(s, mSizingBy);
    ok = ok && s.WriteByte(0) && s.WriteByte(mDoVectorGravity) && s.WriteVector(mGravityVector) &&
         s.WriteByte(mUseSceneGravity) && s.WriteVector(mSceneGravity);
    ok = ok && s.WriteByte(0) && s.WriteByte(mDoGravityToPoint) && s.WriteFloat(mGravityToPointPower) &&
         s.WriteVector(mGravityToPointPoint);
    ok = ok && s.WriteByte(0) && s.WriteByte(mDoFadeAlpha) && s.WriteFloat(mFadeIn) && s.WriteFloat(mFadeOut);
    ok = ok && s.WriteByte(0) && s.WriteByte(mDoAirFriction) && WriteInterval(s, mAirFrictionCoef);
    ok = ok && s.WriteByte(0) && s.WriteByte(mDoAngleTracker) && s.WriteInt(mAngleTrackerType) &&
         s.WriteFloat(mAngleTrackerPower) && s.WriteInt(mAngleTrackerStartIndex) &&
         s.WriteByte(mAngleTrackerRandomStartIndex) && s.WriteByte(mAngleTrackerExtra);
    ok = ok && s.WriteByte(0) && s.WriteByte(mDoColorBlink) && WriteInterval(s, mColorBlinkInterval) &&
         s.WriteByte(mColorBlinkColor1Random) && s.WriteByte(mColorBlinkColor2Random) &&
         WriteColor(s, mColorBlinkColor1) && WriteColor(s, mColorBlinkColor2);
    ok = ok && s.WriteByte(0) && s.WriteByte(mDoAlphaBlink) && WriteInterval(s, mAlphaBlinkInterval) &&
         s.WriteByte(mAlphaBlinkAlpha1Random) && s.WriteByte(mAlphaBlinkAlpha2Random) &&
         s.WriteByte(mAlphaBlinkAlpha1) && s.WriteByte(mAlphaBlinkAlpha2);
    return ok;
}

bool ParticleSystem::ReadProps(MemoryStream& stream, bool keepPlacement)
{
    const int32_t start = stream.GetPosition();
    const char* reason = "";
    if (MeasureRecord(stream.GetData() + start, stream.GetSize() - start, reason) < 0) {
        const std::string& file = stream.GetFileName();
        ReportNotice((file.empty() ? std::string("a particle-system record") : file + ": particle system") +
                     " not read (" + reason + "); the system keeps its settings");
        return false;
    }
    RecordReader r{stream};
    const uint8_t version = r.Byte();
    if (version == 0) return true;

    const int32_t layer = r.Int();
    if (!keepPlacement) mLayer = layer;
    stream.ReadBytes(mName.mChars, FastName::kLength);
    if (version >= 2) {
        mColor1 = r.Rgba();
        mColor2 = r.Rgba();
        stream.ReadString(mTextureFileName);
        FetchTexture();
        mSizeOnStart = r.IntervalFloat();
    }
    if (version >= 3) {
        // An atlas of fewer than one cell would divide by zero when a cell is picked.
        const int32_t columns = r.Int();
        const int32_t rows = r.Int();
        mMultiTexture = VectorI(columns < 1 ? 1 : columns, rows < 1 ? 1 : rows);
    } else {
        r.Skip(4);
    }
    mParticleRecoil = r.Float();
    const VectorF linkPoint = r.Vector();
    const float linkDirection = r.Float();
    const uint8_t moveByToy = r.Flag();
    const uint8_t rotateByToy = r.Flag();
    const VectorF position = r.Vector();
    if (!keepPlacement) {
        mToyLinkLocalPoint = linkPoint;
        mToyLinkDirection = linkDirection;
        mDoMoveByLinkedToy = moveByToy;
        mDoRotateByLinkedToy = rotateByToy;
        mPosition = position;
    }
    mLine = r.Vector();
    mStartSpeed = r.Float();
    mStartDirection = r.Float();
    mStartMoveVectorValid = 0;
    mStartSpeedMul = r.IntervalFloat();
    mStartSpeedMulInUse = r.Flag();
    mScattering = r.Float();
    mDeleteWhenEmpty = r.Flag();
    mParticleRotationStyle = r.Int();
    mParticleStartPosition = r.Int();
    mParticleWeight = r.Float();
    ReadDrawStateRecord(stream, mParticleShape.mDrawState);
    mPenetratingParticles = r.Flag();
    if (version >= 4) {
        r.Skip(1);
        mAllowEffectDent = r.Flag();
        mAllowEffectHoles = r.Flag();
        r.Skip(1);
    }
    mEmitBoomCount = r.IntervalInt();
    mParticleEmitting = r.Flag();
    mEmittingInterval = r.IntervalFloat();
    mTimeToNextEmission = r.Float();
    mEmittingCount = r.Int();
    mSpareValue = r.Int();
    mBounceOffTerrain = r.Flag();
    mBounceOffToys = r.Flag();
    mDontBounceOffRobotLinked = r.Flag();
    mDisappearAfterFirstBounce = r.Flag();
    mDoBulletDeform = r.Flag();
    mBulletDeformPower = r.Float();
    if (version >= 5) mSharpness = r.Float();
    mAllowSleepingParticles = r.Flag();

    // Each group after this point follows a marker byte, whatever its value.
    r.Skip(1);
    mDoSizing = r.Flag();
    mSizingBy = r.IntervalFloat();
    r.Skip(1);
    mDoVectorGravity = r.Flag();
    mGravityVector = r.Vector();
    mUseSceneGravity = r.Flag();
    mSceneGravity = r.Vector();
    r.Skip(1);
    mDoGravityToPoint = r.Flag();
    mGravityToPointPower = r.Float();
    mGravityToPointPoint = r.Vector();
    r.Skip(1);
    mDoFadeAlpha = r.Flag();
    mFadeIn = r.Float();
    mFadeOut = r.Float();
    r.Skip(1);
    mDoAirFriction = r.Flag();
    mAirFrictionCoef = r.IntervalFloat();
    r.Skip(1);
    mDoAngleTracker = r.Flag();
    mAngleTrackerType = r.Int();
    mAngleTrackerPower = r.Float();
    mAngleTrackerStartIndex = r.Int();
    mAngleTrackerRandomStartIndex = r.Flag();
    mAngleTrackerExtra = r.Flag();
    r.Skip(1);
    mDoColorBlink = r.Flag();
    mColorBlinkInterval = r.IntervalInt();
    mColorBlinkColor1Random = r.Flag();
    mColorBlinkColor2Random = r.Flag();
    mColorBlinkColor1 = r.Rgb();
    mColorBlinkColor2 = r.Rgb();
    r.Skip(1);
    mDoAlphaBlink = r.Flag();
    mAlphaBlinkInterval = r.IntervalInt();
    mAlphaBlinkAlpha1Random = r.Flag();
    mAlphaBlinkAlpha2Random = r.Flag();
    mAlphaBlinkAlpha1 = r.Byte();
    mAlphaBlinkAlpha2 = r.Byte();

    ApplyAllProperties();
    return true;
}

bool ParticleSystem::CopyFrom(const ParticleSystem& source)
{
    if (&source == this) return true;
    // Field by field what writing the record and reading it back would give,
    // in the reader's order: every hit of a bullet copies a template or two,
    // and the stream's round trip cost more than the rest of the copy.
    const ParticleSystem& s = source;
    auto flag = [](uint8_t b) -> uint8_t { return b != 0 ? 1 : 0; };
    mLayer = s.mLayer;
    mName = s.mName;
    mColor1 = s.mColor1;
    mColor2 = s.mColor2;
    mTextureFileName = s.mTextureFileName;
    FetchTexture();
    mSizeOnStart = s.mSizeOnStart;
    mMultiTexture = VectorI(std::max(s.mMultiTexture.mX, 1), std::max(s.mMultiTexture.mY, 1));
    mParticleRecoil = s.mParticleRecoil;
    mToyLinkLocalPoint = s.mToyLinkLocalPoint;
    mToyLinkDirection = s.mToyLinkDirection;
    mDoMoveByLinkedToy = flag(s.mDoMoveByLinkedToy);
    mDoRotateByLinkedToy = flag(s.mDoRotateByLinkedToy);
    mPosition = s.mPosition;
    mLine = s.mLine;
    mStartSpeed = s.mStartSpeed;
    mStartDirection = s.mStartDirection;
    mStartMoveVectorValid = 0;
    mStartSpeedMul = s.mStartSpeedMul;
    mStartSpeedMulInUse = flag(s.mStartSpeedMulInUse);
    mScattering = s.mScattering;
    mDeleteWhenEmpty = flag(s.mDeleteWhenEmpty);
    mParticleRotationStyle = s.mParticleRotationStyle;
    mParticleStartPosition = s.mParticleStartPosition;
    mParticleWeight = s.mParticleWeight;
    mParticleShape.mDrawState = s.mParticleShape.mDrawState;
    mPenetratingParticles = flag(s.mPenetratingParticles);
    mAllowEffectDent = flag(s.mAllowEffectDent);
    mAllowEffectHoles = flag(s.mAllowEffectHoles);
    mEmitBoomCount = s.mEmitBoomCount;
    mParticleEmitting = flag(s.mParticleEmitting);
    mEmittingInterval = s.mEmittingInterval;
    mTimeToNextEmission = s.mTimeToNextEmission;
    mEmittingCount = s.mEmittingCount;
    mSpareValue = s.mSpareValue;
    mBounceOffTerrain = flag(s.mBounceOffTerrain);
    mBounceOffToys = flag(s.mBounceOffToys);
    mDontBounceOffRobotLinked = flag(s.mDontBounceOffRobotLinked);
    mDisappearAfterFirstBounce = flag(s.mDisappearAfterFirstBounce);
    mDoBulletDeform = flag(s.mDoBulletDeform);
    mBulletDeformPower = s.mBulletDeformPower;
    mSharpness = s.mSharpness;
    mAllowSleepingParticles = flag(s.mAllowSleepingParticles);
    mDoSizing = flag(s.mDoSizing);
    mSizingBy = s.mSizingBy;
    mDoVectorGravity = flag(s.mDoVectorGravity);
    mGravityVector = s.mGravityVector;
    mUseSceneGravity = flag(s.mUseSceneGravity);
    mSceneGravity = s.mSceneGravity;
    mDoGravityToPoint = flag(s.mDoGravityToPoint);
    mGravityToPointPower = s.mGravityToPointPower;
    mGravityToPointPoint = s.mGravityToPointPoint;
    mDoFadeAlpha = flag(s.mDoFadeAlpha);
    mFadeIn = s.mFadeIn;
    mFadeOut = s.mFadeOut;
    mDoAirFriction = flag(s.mDoAirFriction);
    mAirFrictionCoef = s.mAirFrictionCoef;
    mDoAngleTracker = flag(s.mDoAngleTracker);
    mAngleTrackerType = s.mAngleTrackerType;
    mAngleTrackerPower = s.mAngleTrackerPower;
    mAngleTrackerStartIndex = s.mAngleTrackerStartIndex;
    mAngleTrackerRandomStartIndex = flag(s.mAngleTrackerRandomStartIndex);
    mAngleTrackerExtra = flag(s.mAngleTrackerExtra);
    mDoColorBlink = flag(s.mDoColorBlink);
    mColorBlinkInterval = s.mColorBlinkInterval;
    mColorBlinkColor1Random = flag(s.mColorBlinkColor1Random);
    mColorBlinkColor2Random = flag(s.mColorBlinkColor2Random);
    mColorBlinkColor1 = s.mColorBlinkColor1;
    mColorBlinkColor2 = s.mColorBlinkColor2;
    mDoAlphaBlink = flag(s.mDoAlphaBlink);
    mAlphaBlinkInterval = s.mAlphaBlinkInterval;
    mAlphaBlinkAlpha1Random = flag(s.mAlphaBlinkAlpha1Random);
    mAlphaBlinkAlpha2Random = flag(s.mAlphaBlinkAlpha2Random);
    mAlphaBlinkAlpha1 = s.mAlphaBlinkAlpha1;
    mAlphaBlinkAlpha2 = s.mAlphaBlinkAlpha2;
    ApplyAllProperties();
    return true;
}

} // namespace KIV
