#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "base/MemoryStream.h"
#include "base/Notices.h"
#include "physics/particles/ParticleSystem.h"

using namespace KIV;

namespace {

using Bytes = std::vector<uint8_t>;

// The version-5 record of a newly made system, field by field.
const Bytes kDefaultRecord = {
    0x05, 0x00, 0x00, 0x00, 0x00,                                                    // version, layer
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // name
    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,                                  // colours 1 and 2
    0x00, 0x00, 0x00, 0x00,                                                          // texture name ""
    0x00, 0x00, 0x20, 0x41, 0x00, 0x00, 0xa0, 0x41,                                  // size on start 10, 20
    0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,                                  // multi-texture 1 x 1
    0x00, 0x00, 0x00, 0x00,                                                          // recoil
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,          // link point, direction
    0x01, 0x01,                                                                      // follow switches
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                                  // position
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                                  // line
    0x00, 0x00, 0xc8, 0x42, 0x00, 0x00, 0x00, 0x00,                                  // speed 100, direction
    0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x80, 0x3f, 0x00,                            // multiplier 1, 1, unused
    0x00, 0x00, 0x00, 0x00, 0x00,                                                    // scattering, delete when empty
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                                  // rotation style, start kind
    0xcd, 0xcc, 0xcc, 0x3d,                                                          // weight 0.1
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff,    // draw state ...
    0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,                            // ... 22 bytes
    0x00, 0x02, 0x00, 0x00, 0x00,                                                    // penetrating, effects
    0x64, 0x00, 0x00, 0x00, 0xc8, 0x00, 0x00, 0x00, 0x01,                            // boom 100..200, emitting
    0xcd, 0xcc, 0xcc, 0x3d, 0xcd, 0xcc, 0xcc, 0x3d, 0x00, 0x00, 0x00, 0x00,          // interval, timer
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                                  // count 1, spare
    0x01, 0x01, 0x01, 0x00, 0x00,                                                    // bounce switches
    0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x80, 0x3f, 0x01,                            // deform 2, sharpness 1, sleep
    0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x40,                      // sizing (2, 2)
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                      // vector gravity
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                            // scene gravity
    0x00, 0x00, 0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // gravity to point
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                      // fade
    0x00, 0x00, 0x66, 0x66, 0x66, 0x3f, 0x66, 0x66, 0x86, 0x3f,                      // air friction 0.9, 1.05
    0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,  // tracker
    0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x00, 0x01,          // colour blink ...
    0x00, 0x00, 0x00, 0xff, 0xff, 0xff,                                              // ... colours
    0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0xff,  // alpha blink
};

Bytes RecordOf(const ParticleSystem& ps)
{
    MemoryStream s;
    EXPECT_TRUE(ps.WriteProps(s));
    return Bytes(s.GetData(), s.GetData() + s.GetSize());
}

void Load(MemoryStream& s, const Bytes& bytes)
{
    s.Clear();
    if (!bytes.empty()) s.WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
    s.SetPosition(0);
}

// Every recorded property set to a value unlike its default.
void ChangeEverything(ParticleSystem& ps)
{
    ps.mLayer = -2;
    ps.SetName("Exhaust left");
    ps.SetColor1(ColorRGBA(1, 2, 3, 4));
    ps.SetColor2(ColorRGBA(5, 6, 7, 8));
    ps.mTextureFileName = "Particles\\spark.png";
    ps.SetSizeOnStartMin(3.0f);
    ps.SetSizeOnStartMax(4.5f);
    ps.mMultiTexture = VectorI(4, 2);
    ps.SetParticleRecoil(0.25f);
    ps.SetToyLinkLocalPoint(VectorF(6.0f, -7.0f));
    ps.SetToyLinkDirection(0.75f);
    ps.SetDoMoveByLinkedToy(false);
    ps.SetDoRotateByLinkedToy(false);
    ps.SetPositionX(12.5f);
    ps.SetPositionY(-30.0f);
    ps.SetLineX(8.0f);
    ps.SetLineY(9.0f);
    ps.SetStartSpeed(321.0f);
    ps.SetStartDirection(1.25f);
    ps.SetStartSpeedMul(IntervalF(0.5f, 2.0f));
    ps.SetScattering(0.4f);
    ps.SetDeleteWhenEmpty(true);
    ps.mParticleRotationStyle = 1;
    ps.SetParticleStartPosition(5);
    ps.SetParticleWeight(2.5f);
    ps.SetBlender(3);
    ps.SetTexColorOp(1);
    ps.mPenetratingParticles = 1;
    ps.SetAllowEffectDent(true);
    ps.SetAllowEffectHoles(true);
    ps.SetEmitBoomCountMin(7);
    ps.SetEmitBoomCountMax(9);
    ps.SwitchOFFParticleEmitting();
    ps.SetEmittingInterval(IntervalF(0.02f, 0.05f));
    ps.mTimeToNextEmission = 0.125f;
    ps.SetEmittingCount(3);
    ps.mSpareValue = 77;
    ps.SetBounceOffTerrain(false);
    ps.SetBounceOffToys(false);
    ps.SetDontBounceOffRobotLinked(false);
    ps.SetDisappearAfterFirstBounce(true);
    ps.SetDoBulletDeform(true);
    ps.SetBulletDeformPower(3.5f);
    ps.SetSharpness(0.6f);
    ps.mAllowSleepingParticles = 0;
    ps.mDoSizing = 1;
    ps.mSizingBy = IntervalF(-1.0f, -3.0f);
    ps.mDoVectorGravity = 1;
    ps.mGravityVector = VectorF(0.0f, 800.0f);
    ps.mUseSceneGravity = 1;
    ps.mSceneGravity = VectorF(1.0f, 900.0f);
    ps.mDoGravityToPoint = 1;
    ps.mGravityToPointPower = 4.0f;
    ps.mGravityToPointPoint = VectorF(-1.0f, -2.0f);
    ps.mDoFadeAlpha = 1;
    ps.mFadeIn = 10.0f;
    ps.mFadeOut = 20.0f;
    ps.mDoAirFriction = 1;
    ps.mAirFrictionCoef = IntervalF(0.8f, 0.85f);
    ps.mDoAngleTracker = 1;
    ps.mAngleTrackerType = 2;
    ps.mAngleTrackerPower = 0.3f;
    ps.mAngleTrackerStartIndex = 11;
    ps.mAngleTrackerRandomStartIndex = 0;
    ps.mAngleTrackerExtra = 1;
    ps.mDoColorBlink = 1;
    ps.mColorBlinkInterval = IntervalI(2, 4);
    ps.mColorBlinkColor1Random = 1;
    ps.mColorBlinkColor2Random = 0;
    ps.mColorBlinkColor1 = ColorRGB{10, 20, 30};
    ps.mColorBlinkColor2 = ColorRGB{40, 50, 60};
    ps.mDoAlphaBlink = 1;
    ps.mAlphaBlinkInterval = IntervalI(3, 6);
    ps.mAlphaBlinkAlpha1Random = 0;
    ps.mAlphaBlinkAlpha2Random = 0;
    ps.mAlphaBlinkAlpha1 = 17;
    ps.mAlphaBlinkAlpha2 = 230;
}

using Switch = uint8_t ParticleSystem::*;
// The recorded switches.
const Switch kSwitches[] = {
    &ParticleSystem::mDoMoveByLinkedToy, &ParticleSystem::mDoRotateByLinkedToy,
    &ParticleSystem::mStartSpeedMulInUse, &ParticleSystem::mDeleteWhenEmpty,
    &ParticleSystem::mPenetratingParticles, &ParticleSystem::mAllowEffectDent,
    &ParticleSystem::mAllowEffectHoles, &ParticleSystem::mParticleEmitting,
    &ParticleSystem::mBounceOffTerrain, &ParticleSystem::mBounceOffToys,
    &ParticleSystem::mDontBounceOffRobotLinked, &ParticleSystem::mDisappearAfterFirstBounce,
    &ParticleSystem::mDoBulletDeform, &ParticleSystem::mAllowSleepingParticles,
    &ParticleSystem::mDoSizing, &ParticleSystem::mDoVectorGravity,
    &ParticleSystem::mUseSceneGravity, &ParticleSystem::mDoGravityToPoint,
    &ParticleSystem::mDoFadeAlpha, &ParticleSystem::mDoAirFriction,
    &ParticleSystem::mDoAngleTracker, &ParticleSystem::mAngleTrackerRandomStartIndex,
    &ParticleSystem::mAngleTrackerExtra, &ParticleSystem::mDoColorBlink,
    &ParticleSystem::mColorBlinkColor1Random, &ParticleSystem::mColorBlinkColor2Random,
    &ParticleSystem::mDoAlphaBlink, &ParticleSystem::mAlphaBlinkAlpha1Random,
    &ParticleSystem::mAlphaBlinkAlpha2Random};

// Reader failures are reported as notices; the tests keep stderr quiet.
class ParticleRecord : public ::testing::Test {
protected:
    void SetUp() override { Notices().SetEchoToStderr(false); }
    void TearDown() override { Notices().SetEchoToStderr(true); }
};

} // namespace

TEST_F(ParticleRecord, ADefaultSystemWritesTheGoldenBytes)
{
    ParticleSystem ps;
    ASSERT_EQ(kDefaultRecord.size(), size_t(ParticleSystem::kRecordSizeWithoutTextureName));
    EXPECT_EQ(RecordOf(ps), kDefaultRecord);
    ps.mTextureFileName = "Particles\\rock.png";
    EXPECT_EQ(RecordOf(ps).size(), kDefaultRecord.size() + ps.mTextureFileName.size());
}

TEST_F(ParticleRecord, RoundTripsEveryPropertyIntoAnotherSystem)
{
    ParticleSystem source;
    ChangeEverything(source);
    const Bytes written = RecordOf(source);
    MemoryStream s;
    Load(s, written);
    ParticleSystem copy;
    ASSERT_TRUE(copy.ReadProps(s, false));
    EXPECT_EQ(s.GetPosition(), s.GetSize());
    EXPECT_EQ(RecordOf(copy), written);
    EXPECT_EQ(copy.GetName(), "Exhaust left");
    EXPECT_EQ(copy.GetMultiTexture(), VectorI(4, 2));
    // Reading applies the properties: the features' arrays and program follow.
    EXPECT_EQ(copy.mTexRects.Capacity(), copy.GetPoolCapacity());
    EXPECT_EQ(copy.mStepProgram.Count(), 13);
}

TEST_F(ParticleRecord, CopyingATemplateTakesItsPropertiesButNotItsParticles)
{
    ParticleSystem source;
    ChangeEverything(source);
    source.ApplyAllProperties();
    source.EmitOne();
    ParticleSystem copy;
    copy.EmitOne();
    ASSERT_TRUE(copy.CopyFrom(source));
    EXPECT_EQ(RecordOf(copy), RecordOf(source));
    EXPECT_EQ(copy.GetParticleCount(), 0);
    EXPECT_EQ(copy.GetPosition(), VectorF(12.5f, -30.0f));
}

// A copy is made field by field, not through the record: it must still be
// the system that reading the template's record gives, down to what the
// properties derive (arrays, program, tracker table, generator) and the
// switches a record stores as 0 or 1 whatever byte the template held.
TEST_F(ParticleRecord, ACopyIsTheSystemThatReadingTheTemplatesRecordGives)
{
    struct Case {
        const char* name;
        void (*make)(ParticleSystem&);
    };
    const Case cases[] = {
        {"a new system", [](ParticleSystem&) {}},
        {"every property changed", [](ParticleSystem& ps) { ChangeEverything(ps); }},
        {"switches held as 2 and an atlas of no cells",
         [](ParticleSystem& ps) {
             ChangeEverything(ps);
             for (Switch sw : kSwitches)
                 if (ps.*sw) ps.*sw = 2;
             ps.mMultiTexture = VectorI(0, -3);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParticleSystem source;
        c.make(source);
        MemoryStream s;
        ASSERT_TRUE(source.WriteProps(s));
        s.SetPosition(0);
        ParticleSystem read;
        ASSERT_TRUE(read.ReadProps(s, false));
        ParticleSystem copy;
        ASSERT_TRUE(copy.CopyFrom(source));

        EXPECT_EQ(RecordOf(copy), RecordOf(read));
        for (Switch sw : kSwitches) EXPECT_EQ(copy.*sw, read.*sw);
        EXPECT_EQ(copy.mStartMoveVectorValid, read.mStartMoveVectorValid);
        EXPECT_EQ(copy.GetMultiTexture(), read.GetMultiTexture());
        EXPECT_EQ(copy.mStepProgram.Count(), read.mStepProgram.Count());
        for (int32_t i = 0; i < copy.mStepProgram.Count() && i < read.mStepProgram.Count(); ++i)
            EXPECT_EQ(copy.mStepProgram[i], read.mStepProgram[i]) << i;
        EXPECT_EQ(copy.mActingCodeCount, read.mActingCodeCount);
        EXPECT_EQ(std::memcmp(copy.mActingCodes, read.mActingCodes, sizeof(copy.mActingCodes)), 0);
        EXPECT_EQ(copy.GetPoolCapacity(), read.GetPoolCapacity());
        EXPECT_EQ(copy.mTexRects.Capacity(), read.mTexRects.Capacity());
        EXPECT_EQ(copy.mSizingFactors.Capacity(), read.mSizingFactors.Capacity());
        EXPECT_EQ(copy.mFadePhases.Capacity(), read.mFadePhases.Capacity());
        EXPECT_EQ(copy.mAirFrictionCoefs.Capacity(), read.mAirFrictionCoefs.Capacity());
        EXPECT_EQ(copy.mColorBlinkTimers.Capacity(), read.mColorBlinkTimers.Capacity());
        EXPECT_EQ(copy.mAlphaBlinkTimers.Capacity(), read.mAlphaBlinkTimers.Capacity());
        EXPECT_EQ(copy.mPenetrations.Capacity(), read.mPenetrations.Capacity());
        EXPECT_EQ(copy.mSleepCountdowns.Capacity(), read.mSleepCountdowns.Capacity());
        ASSERT_EQ(copy.mAngleTrackerTable.Count(), read.mAngleTrackerTable.Count());
        for (int32_t i = 0; i < copy.mAngleTrackerTable.Count(); ++i) {
            EXPECT_EQ(copy.mAngleTrackerTable[i].mSin, read.mAngleTrackerTable[i].mSin) << i;
            EXPECT_EQ(copy.mAngleTrackerTable[i].mCos, read.mAngleTrackerTable[i].mCos) << i;
        }
        // And they go on alike: the same particles, drawn from the same generator.
        for (int32_t n = 0; n < 5; ++n) {
            const int32_t a = copy.EmitOne();
            ASSERT_EQ(a, read.EmitOne());
            ASSERT_GE(a, 0);
            EXPECT_EQ(copy.mPositions[a], read.mPositions[a]);
            EXPECT_EQ(copy.mVelocities[a], read.mVelocities[a]);
            EXPECT_EQ(copy.mColors[a], read.mColors[a]);
            EXPECT_EQ(copy.mSizes[a], read.mSizes[a]);
        }
        EXPECT_EQ(copy.GetChecksumValue(), read.GetChecksumValue());
    }
}

// Every cut of a record is refused and leaves the system and the stream as
// they were, and so does any stray byte in the name-length field.
TEST_F(ParticleRecord, EveryPrefixIsRefusedWithoutTouchingTheSystem)
{
    ParticleSystem source;
    ChangeEverything(source);
    const Bytes written = RecordOf(source);
    ParticleSystem target;
    target.ApplyAllProperties();
    target.EmitOne();
    const Bytes before = RecordOf(target);
    MemoryStream s;
    for (size_t n = 0; n < written.size(); ++n) {
        Load(s, Bytes(written.begin(), written.begin() + n));
        ASSERT_FALSE(target.ReadProps(s, false)) << n;
        ASSERT_EQ(s.GetPosition(), 0) << n;
        ASSERT_EQ(RecordOf(target), before) << n;
        ASSERT_EQ(target.GetParticleCount(), 1) << n;
    }
}

TEST_F(ParticleRecord, RefusesLaterVersionsAndNameLengthsBeyondTheRecord)
{
    const std::vector<std::pair<const char*, void (*)(Bytes&)>> damages = {
        {"version 6", [](Bytes& b) { b[0] = 6; }},
        {"version 255", [](Bytes& b) { b[0] = 255; }},
        {"negative name length", [](Bytes& b) { std::memset(&b[29], 0xff, 4); }},
        {"name length past the end", [](Bytes& b) { b[29] = 0x40; b[30] = 0x01; }},
        {"name taking every remaining byte", [](Bytes& b) {
             const int32_t n = static_cast<int32_t>(b.size()) - 33;
             std::memcpy(&b[29], &n, 4);
         }},
    };
    for (const auto& [what, damage] : damages) {
        Bytes bytes = kDefaultRecord;
        damage(bytes);
        MemoryStream s;
        Load(s, bytes);
        ParticleSystem ps;
        ps.SetName("unchanged");
        EXPECT_FALSE(ps.ReadProps(s, false)) << what;
        EXPECT_EQ(ps.GetName(), "unchanged") << what;
        EXPECT_EQ(s.GetPosition(), 0) << what;
    }
}

TEST_F(ParticleRecord, ARefusalIsAnnouncedWithItsReason)
{
    Bytes bytes = kDefaultRecord;
    bytes[0] = 9;
    MemoryStream s;
    Load(s, bytes);
    ParticleSystem ps;
    const int32_t before = Notices().GetReportedCount();
    EXPECT_FALSE(ps.ReadProps(s, false));
    EXPECT_EQ(Notices().GetReportedCount(), before + 1);
    EXPECT_NE(Notices().GetLast().find("later version"), std::string::npos);
}

TEST_F(ParticleRecord, AnAtlasOfFewerThanOneCellReadsAsOne)
{
    Bytes bytes = kDefaultRecord;
    std::memset(&bytes[41], 0, 4);     // columns 0
    std::memset(&bytes[45], 0xff, 4);  // rows -1
    MemoryStream s;
    Load(s, bytes);
    ParticleSystem ps;
    ASSERT_TRUE(ps.ReadProps(s, false));
    EXPECT_EQ(ps.GetMultiTexture(), VectorI(1, 1));
}

TEST_F(ParticleRecord, VersionZeroChangesNothingAndKeepsTheParticles)
{
    MemoryStream s;
    Load(s, Bytes{0});
    ParticleSystem ps;
    ps.EmitOne();
    ps.SetName("kept");
    EXPECT_TRUE(ps.ReadProps(s, false));
    EXPECT_EQ(ps.GetParticleCount(), 1);
    EXPECT_EQ(ps.GetName(), "kept");
}

TEST_F(ParticleRecord, KeepingPlacementKeepsLayerPositionAndLinkButTakesTheLine)
{
    ParticleSystem source;
    ChangeEverything(source);
    MemoryStream s;
    Load(s, RecordOf(source));
    ParticleSystem ps;
    ps.mLayer = 3;
    ps.SetPositionX(1.0f);
    ps.SetToyLinkLocalPoint(VectorF(2.0f, 2.0f));
    ASSERT_TRUE(ps.ReadProps(s, true));
    EXPECT_EQ(ps.mLayer, 3);
    EXPECT_EQ(ps.GetPosition(), VectorF(1.0f, 0.0f));
    EXPECT_EQ(ps.GetToyLinkLocalPoint(), VectorF(2.0f, 2.0f));
    EXPECT_EQ(ps.GetToyLinkDirection(), 0.0f);
    EXPECT_TRUE(ps.GetDoMoveByLinkedToy());
    EXPECT_EQ(ps.GetLine(), VectorF(8.0f, 9.0f));
    EXPECT_EQ(ps.GetName(), "Exhaust left");
}

TEST_F(ParticleRecord, AReadStartMoveVectorIsRecomputedFromSpeedAndDirection)
{
    ParticleSystem source;
    source.SetStartMoveVector(VectorF(0.0f, -10.0f));
    MemoryStream s;
    Load(s, RecordOf(source));
    ParticleSystem ps;
    ASSERT_TRUE(ps.ReadProps(s, false));
    const VectorF v = ps.mVelocities[ps.EmitOne()];
    EXPECT_NEAR(v.mX, 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(v.mY, 10.0f);
}

// An older record is the version-5 record without the fields its version did
// not know yet; what it lacks keeps the reader's values.
TEST_F(ParticleRecord, OlderVersionsReadTheFieldsTheyCarry)
{
    ParticleSystem source;
    ChangeEverything(source);
    const Bytes v5 = RecordOf(source);
    const size_t nameEnd = 33 + source.mTextureFileName.size();
    const size_t effects = 139 + source.mTextureFileName.size() + 1;  // after the penetrating flag
    const size_t sharpness = 182 + source.mTextureFileName.size();
    for (uint8_t version = 1; version <= 5; ++version) {
        Bytes b;
        b.push_back(version);
        b.insert(b.end(), v5.begin() + 1, v5.begin() + 21);
        if (version >= 2) b.insert(b.end(), v5.begin() + 21, v5.begin() + nameEnd + 8);
        if (version >= 3) b.insert(b.end(), v5.begin() + nameEnd + 8, v5.begin() + nameEnd + 16);
        else b.insert(b.end(), {9, 9, 9, 9});
        b.insert(b.end(), v5.begin() + nameEnd + 16, v5.begin() + effects);
        if (version >= 4) b.insert(b.end(), v5.begin() + effects, v5.begin() + effects + 4);
        b.insert(b.end(), v5.begin() + effects + 4, v5.begin() + sharpness);
        if (version >= 5) b.insert(b.end(), v5.begin() + sharpness, v5.begin() + sharpness + 4);
        b.insert(b.end(), v5.begin() + sharpness + 4, v5.end());

        MemoryStream s;
        Load(s, b);
        ParticleSystem ps;
        ASSERT_TRUE(ps.ReadProps(s, false)) << int(version);
        EXPECT_EQ(s.GetPosition(), s.GetSize()) << int(version);
        EXPECT_EQ(ps.GetName(), "Exhaust left");
        EXPECT_EQ(ps.GetColor1() == source.GetColor1(), version >= 2) << int(version);
        EXPECT_EQ(ps.GetTexture() == source.GetTexture(), version >= 2) << int(version);
        EXPECT_EQ(ps.GetMultiTexture() == source.GetMultiTexture(), version >= 3) << int(version);
        EXPECT_EQ(ps.GetAllowEffectHoles(), version >= 4) << int(version);
        EXPECT_EQ(ps.GetSharpness() == source.GetSharpness(), version >= 5) << int(version);
        EXPECT_EQ(ps.GetStartSpeed(), 321.0f);
        EXPECT_EQ(ps.GetAlphaBlinkAlpha2(), 230);
    }
}

// Records with stray bytes anywhere: whatever is read must emit without harm
// and must write a record that reads back to itself.
TEST_F(ParticleRecord, DamagedRecordsGiveSystemsThatEmitAndRecordThemselves)
{
    ParticleSystem source;
    ChangeEverything(source);
    const Bytes written = RecordOf(source);
    uint32_t state = 2024;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    int32_t read = 0;
    for (int round = 0; round < 400; ++round) {
        Bytes bytes = written;
        for (uint32_t k = 1 + next() % 8; k > 0; --k) bytes[next() % bytes.size()] = static_cast<uint8_t>(next());
        MemoryStream s;
        Load(s, bytes);
        ParticleSystem ps;
        if (!ps.ReadProps(s, false)) continue;
        ++read;
        ps.SetTimeStep(1.0f / 210.0f);
        ps.EmitBoom();
        for (int step = 0; step < 3; ++step) ps.UpdateEmission();
        ps.UpdateBounds();
        ASSERT_LE(ps.GetParticleCount(), ParticleSystem::kMaxParticles);
        const Bytes again = RecordOf(ps);
        Load(s, again);
        ParticleSystem copy;
        ASSERT_TRUE(copy.ReadProps(s, false)) << round;
        ASSERT_EQ(RecordOf(copy), again) << round;
    }
    EXPECT_GT(read, 100);
}
