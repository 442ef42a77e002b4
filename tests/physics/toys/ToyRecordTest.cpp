#include <gtest/gtest.h>
#include <cstring>
#include <limits>
#include "base/MemoryStream.h"
#include "physics/geometry/SampleOutlines.h"
#include "physics/materials/Material.h"
#include "physics/toys/Toy.h"

using namespace KIV;

namespace {

// Every field of the record, set to a value unlike its default.
void SetEveryRecordField(Toy& toy)
{
    toy.mSlotIndex = 77;
    toy.mDontBounceOffToys = 1;
    toy.mDontBounceOffRobotLinked = 0;
    toy.mDensity = 2.5f;
    toy.mVolumeZ = 3.25f;
    toy.mSlippery = 0.4f;
    toy.mRestitution = 0.55f;
    toy.mRestitutionWithTerrain = 0.66f;
    toy.mDeformMotionFactor = 0.3f;
    toy.mAllowPlasticDeform = 0;
    toy.mMinimalImpulseToDeform = 150.0f;
    toy.mDeformPower = 1.5f;
    toy.mAllowElasticDeform = 1;
    toy.mMinimalImpulseToBreakHull = 1500.0f;
    toy.mMinimalImpulseToBreakCore = 15000.0f;
    toy.mAllowSleep = 0;
    toy.mDenySleepIfJointed = 1;
    toy.mStoredValue1 = 1234.0f;
    toy.mStoredValue2 = 567.0f;
    toy.mAirFriction = 0.05f;
    toy.mAirAngularFriction = 0.07f;
    toy.mBalancer = 1;
    toy.mBalancerNeedsRobot = 0;
    toy.mBreakToyCoreToo = 1;
    toy.mBreakToyToMoreParts = 9;
    toy.mBreakLineDirectionShifter = 0.25f;
    toy.mBreakLineRandomizer = 0.75f;
    toy.mBulletDeformResistance = 2.0f;
    toy.mMotionBlurIntensity = 0.5f;
    toy.mUseDefaultMaterial = 0;
    toy.mDefaultMaterialName.SetByString("glass");
}

// The record's fields of two toys, compared one by one.
void ExpectSameRecordFields(const Toy& a, const Toy& b, int32_t version = 2)
{
    EXPECT_EQ(a.mDontBounceOffToys, b.mDontBounceOffToys);
    EXPECT_EQ(a.mDontBounceOffRobotLinked, b.mDontBounceOffRobotLinked);
    EXPECT_EQ(a.mDensity, b.mDensity);
    EXPECT_EQ(a.mVolumeZ, b.mVolumeZ);
    EXPECT_EQ(a.mSlippery, b.mSlippery);
    EXPECT_EQ(a.mRestitution, b.mRestitution);
    EXPECT_EQ(a.mRestitutionWithTerrain, b.mRestitutionWithTerrain);
    EXPECT_EQ(a.mDeformMotionFactor, b.mDeformMotionFactor);
    EXPECT_EQ(a.mAllowPlasticDeform, b.mAllowPlasticDeform);
    EXPECT_EQ(a.mMinimalImpulseToDeform, b.mMinimalImpulseToDeform);
    EXPECT_EQ(a.mDeformPower, b.mDeformPower);
    EXPECT_EQ(a.mAllowElasticDeform, b.mAllowElasticDeform);
    EXPECT_EQ(a.mMinimalImpulseToBreakHull, b.mMinimalImpulseToBreakHull);
    EXPECT_EQ(a.mMinimalImpulseToBreakCore, b.mMinimalImpulseToBreakCore);
    EXPECT_EQ(a.mAllowSleep, b.mAllowSleep);
    EXPECT_EQ(a.mDenySleepIfJointed, b.mDenySleepIfJointed);
    EXPECT_EQ(a.mStoredValue1, b.mStoredValue1);
    EXPECT_EQ(a.mStoredValue2, b.mStoredValue2);
    EXPECT_EQ(a.mAirFriction, b.mAirFriction);
    EXPECT_EQ(a.mAirAngularFriction, b.mAirAngularFriction);
    EXPECT_EQ(a.mBalancer, b.mBalancer);
    EXPECT_EQ(a.mBalancerNeedsRobot, b.mBalancerNeedsRobot);
    EXPECT_EQ(a.mBreakToyCoreToo, b.mBreakToyCoreToo);
    EXPECT_EQ(a.mBreakToyToMoreParts, b.mBreakToyToMoreParts);
    EXPECT_EQ(a.mBreakLineDirectionShifter, b.mBreakLineDirectionShifter);
    EXPECT_EQ(a.mBreakLineRandomizer, b.mBreakLineRandomizer);
    EXPECT_EQ(a.mBulletDeformResistance, b.mBulletDeformResistance);
    EXPECT_EQ(a.mMotionBlurIntensity, b.mMotionBlurIntensity);
    if (version >= 2) {
        EXPECT_EQ(a.mUseDefaultMaterial, b.mUseDefaultMaterial);
        EXPECT_EQ(a.mDefaultMaterialName, b.mDefaultMaterialName);
    }
}

void BuildSquareToy(Toy& toy)
{
    Array<VectorF> outline;
    MakeEllipseOutline(outline, 24, 30.0f, 30.0f);
    ASSERT_TRUE(toy.BuildFromPolygon(outline.Data(), outline.Count(), 1.0f, {100, 100}, 0.0f));
}

void Record(const Toy& toy, MemoryStream& stream)
{
    ASSERT_TRUE(toy.WriteState(stream));
    stream.SetPosition(0);
}

// The first n bytes of a stream, as a stream of their own.
void Prefix(const MemoryStream& source, int32_t n, MemoryStream& out)
{
    out.WriteBytes(source.GetData(), n);
    out.SetPosition(0);
}

} // namespace

TEST(ToyRecord, IsOneHundredAndEightBytesInItsFixedLayout)
{
    Toy toy;
    SetEveryRecordField(toy);
    MemoryStream stream;
    Record(toy, stream);
    ASSERT_EQ(stream.GetSize(), Toy::kStateRecordSize);
    const uint8_t* d = stream.GetData();
    const auto f32 = [d](int32_t offset) {
        float v;
        std::memcpy(&v, d + offset, 4);
        return v;
    };
    const auto i32 = [d](int32_t offset) {
        int32_t v;
        std::memcpy(&v, d + offset, 4);
        return v;
    };
    EXPECT_EQ(d[0], 2);
    EXPECT_EQ(i32(1), 77);
    EXPECT_EQ(d[5], 1);
    EXPECT_EQ(d[6], 0);
    EXPECT_EQ(f32(7), 2.5f);
    EXPECT_EQ(f32(11), 3.25f);
    EXPECT_EQ(f32(27), 0.3f);
    EXPECT_EQ(d[31], 0);
    EXPECT_EQ(f32(32), 150.0f);
    EXPECT_EQ(d[40], 1);
    EXPECT_EQ(f32(45), 15000.0f);
    EXPECT_EQ(d[50], 1);
    EXPECT_EQ(f32(51), 1234.0f);
    EXPECT_EQ(f32(63), 0.07f);
    EXPECT_EQ(d[67], 1);
    EXPECT_EQ(d[69], 1);
    EXPECT_EQ(i32(70), 9);
    EXPECT_EQ(f32(86), 0.5f);
    EXPECT_EQ(d[90], 0);
    EXPECT_EQ(std::memcmp(d + 91, "glass\0\0\0\0\0\0\0\0\0\0\0", 16), 0);
    EXPECT_EQ(d[107], 0);
}

TEST(ToyRecord, RoundTripsEveryFieldButTheSlot)
{
    Toy written;
    SetEveryRecordField(written);
    MemoryStream stream;
    Record(written, stream);
    Toy read;
    read.mSlotIndex = 5;
    ASSERT_TRUE(read.ReadState(stream));
    EXPECT_EQ(stream.GetPosition(), Toy::kStateRecordSize);
    ExpectSameRecordFields(read, written);
    EXPECT_EQ(read.mStoredSlotIndex, 77);
    EXPECT_EQ(read.mSlotIndex, 5);  // the scene's slot stays
    EXPECT_EQ(read.mOwnMaterial, nullptr);
}

TEST(ToyRecord, DensityRecomputesTheMassButNotTheReferenceWeight)
{
    Toy toy;
    BuildSquareToy(toy);
    const float area = toy.GetArea();
    const float reference = toy.GetOrigWeight();
    Toy source;
    source.mDensity = 2.0f;
    MemoryStream stream;
    Record(source, stream);
    ASSERT_TRUE(toy.ReadState(stream));
    EXPECT_FLOAT_EQ(toy.GetWeight(), 2.0f * area);
    EXPECT_FLOAT_EQ(toy.mInverseMass, 1.0f / (2.0f * area));
    EXPECT_FLOAT_EQ(toy.GetOrigWeight(), reference);
    EXPECT_FLOAT_EQ(toy.GetMomentOfInertia(), toy.mGeometry.ComputeMomentOfInertia(area, 2.0f * area));
}

TEST(ToyRecord, ADensityOrVolumeItsSetterWouldRefuseKeepsTheToysValue)
{
    const float bad[] = {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()};
    for (const float value : bad) {
        Toy toy;
        BuildSquareToy(toy);
        toy.SetDensity(3.0f);
        toy.SetVolumeZ(2.0f);
        Toy source;
        source.mDensity = value;
        source.mVolumeZ = value;
        MemoryStream stream;
        Record(source, stream);
        ASSERT_TRUE(toy.ReadState(stream));
        EXPECT_EQ(toy.GetDensity(), 3.0f) << value;
        EXPECT_EQ(toy.GetVolumeZ(), 2.0f) << value;
        EXPECT_FLOAT_EQ(toy.GetWeight(), 6.0f * toy.GetArea()) << value;
        EXPECT_EQ(stream.GetPosition(), Toy::kStateRecordSize);
    }
}

TEST(ToyRecord, ALaterVersionIsRefusedAndNothingIsRead)
{
    Toy written;
    SetEveryRecordField(written);
    MemoryStream stream;
    Record(written, stream);
    const_cast<uint8_t*>(stream.GetData())[0] = 3;
    Toy read, untouched;
    EXPECT_FALSE(read.ReadState(stream));
    EXPECT_EQ(stream.GetPosition(), 0);
    ExpectSameRecordFields(read, untouched);
    EXPECT_EQ(read.mStoredSlotIndex, -1);
}

TEST(ToyRecord, VersionOneStopsAfterTheMotionBlur)
{
    Toy written;
    SetEveryRecordField(written);
    MemoryStream full;
    Record(written, full);
    MemoryStream stream;
    Prefix(full, 90, stream);
    const_cast<uint8_t*>(stream.GetData())[0] = 1;
    Toy read;
    Material* own = new Material();
    read.mOwnMaterial = own;
    ASSERT_TRUE(read.ReadState(stream));
    ExpectSameRecordFields(read, written, 1);
    EXPECT_EQ(read.mUseDefaultMaterial, 1);
    EXPECT_TRUE(read.mDefaultMaterialName.IsNull());
    EXPECT_EQ(read.mOwnMaterial, own);
}

TEST(ToyRecord, ARecordWithoutOwnMaterialDropsTheReadersOne)
{
    Toy written;
    MemoryStream stream;
    Record(written, stream);
    Toy read;
    read.mOwnMaterial = new Material();
    ASSERT_TRUE(read.ReadState(stream));
    EXPECT_EQ(read.mOwnMaterial, nullptr);
}

// Every cut of a record reads without harm: the fields it holds whole are
// taken, the rest keep their values, and a record cut before the
// has-own-material byte says nothing about the material.
TEST(ToyRecord, EveryPrefixReadsTheWholeFieldsItHolds)
{
    Toy written;
    SetEveryRecordField(written);
    written.mStoredSlotIndex = written.mSlotIndex;  // where a reader keeps the slot
    MemoryStream full;
    Record(written, full);
    // Each field with the offset at which it ends.
    struct Field {
        int32_t end;
        double (*get)(const Toy&);
    };
    const Field fields[] = {
        {5, [](const Toy& t) { return double(t.mStoredSlotIndex); }},
        {6, [](const Toy& t) { return double(t.mDontBounceOffToys); }},
        {7, [](const Toy& t) { return double(t.mDontBounceOffRobotLinked); }},
        {11, [](const Toy& t) { return double(t.mDensity); }},
        {15, [](const Toy& t) { return double(t.mVolumeZ); }},
        {19, [](const Toy& t) { return double(t.mSlippery); }},
        {23, [](const Toy& t) { return double(t.mRestitution); }},
        {27, [](const Toy& t) { return double(t.mRestitutionWithTerrain); }},
        {31, [](const Toy& t) { return double(t.mDeformMotionFactor); }},
        {32, [](const Toy& t) { return double(t.mAllowPlasticDeform); }},
        {36, [](const Toy& t) { return double(t.mMinimalImpulseToDeform); }},
        {40, [](const Toy& t) { return double(t.mDeformPower); }},
        {41, [](const Toy& t) { return double(t.mAllowElasticDeform); }},
        {45, [](const Toy& t) { return double(t.mMinimalImpulseToBreakHull); }},
        {49, [](const Toy& t) { return double(t.mMinimalImpulseToBreakCore); }},
        {50, [](const Toy& t) { return double(t.mAllowSleep); }},
        {51, [](const Toy& t) { return double(t.mDenySleepIfJointed); }},
        {55, [](const Toy& t) { return double(t.mStoredValue1); }},
        {59, [](const Toy& t) { return double(t.mStoredValue2); }},
        {63, [](const Toy& t) { return double(t.mAirFriction); }},
        {67, [](const Toy& t) { return double(t.mAirAngularFriction); }},
        {68, [](const Toy& t) { return double(t.mBalancer); }},
        {69, [](const Toy& t) { return double(t.mBalancerNeedsRobot); }},
        {70, [](const Toy& t) { return double(t.mBreakToyCoreToo); }},
        {74, [](const Toy& t) { return double(t.mBreakToyToMoreParts); }},
        {78, [](const Toy& t) { return double(t.mBreakLineDirectionShifter); }},
        {82, [](const Toy& t) { return double(t.mBreakLineRandomizer); }},
        {86, [](const Toy& t) { return double(t.mBulletDeformResistance); }},
        {90, [](const Toy& t) { return double(t.mMotionBlurIntensity); }},
        {91, [](const Toy& t) { return double(t.mUseDefaultMaterial); }},
        {107, [](const Toy& t) { return double(t.mDefaultMaterialName.mChars[0]); }},
    };
    const Toy fresh;
    for (int32_t n = 0; n <= Toy::kStateRecordSize; ++n) {
        MemoryStream stream;
        Prefix(full, n, stream);
        Toy read;
        Material* own = new Material();
        read.mOwnMaterial = own;
        EXPECT_EQ(read.ReadState(stream), n >= 1) << n;
        for (const Field& f : fields)
            EXPECT_EQ(f.get(read), f.get(f.end <= n ? written : fresh)) << "cut at " << n << ", field ending at " << f.end;
        EXPECT_EQ(read.mOwnMaterial, n >= 108 ? nullptr : own) << n;
        EXPECT_LE(stream.GetPosition(), n);
    }
}
