#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "base/MemoryStream.h"
#include "physics/joints/Joint.h"

using namespace KIV;

namespace {

// Every recorded field set to a value unlike its default.
void FillSettings(Joint& j)
{
    j.mFirstIndex = 12;
    j.mMotorEnabled = 1;
    j.mMotorPower = 1.5f;
    j.mMotorMaxSpeed = 7.25f;
    j.mBrakePower = 3.0f;
    j.mAngularFriction = 0.125f;
    j.mSpringPower = 40.0f;
    j.mSpringAngle = -1.25f;
    j.mSpringShift = 0.5f;
    j.mSpringShiftSpeed = -2.0f;
    j.mRobotFlag1 = 1;
    j.mRobotValue2 = 9.5f;
    j.mRobotFlag3 = 2;
    j.mRobotFlag4 = 3;
    j.mRobotValue5 = 0.01f;
    j.mRobotFlag6 = 4;
    j.mGearRatio = -3.0f;
    j.mBreakJointMinForce = 500.0f;
}

// The recorded fields in record order, as (offset, bytes of the field).
struct Field {
    int32_t offset;
    int32_t size;
};
const Field kFields[] = {{1, 4},  {5, 1},  {6, 4},  {10, 4}, {14, 4}, {18, 4}, {22, 4}, {26, 4}, {30, 4},
                         {34, 4}, {38, 1}, {39, 4}, {43, 1}, {44, 1}, {45, 4}, {49, 1}, {50, 4}, {54, 4}};

// The value of recorded field i of a joint, as the record stores it.
std::string FieldBytes(const Joint& j, int32_t i)
{
    MemoryStream s;
    EXPECT_TRUE(j.WriteState(s));
    return std::string(reinterpret_cast<const char*>(s.GetData()) + kFields[i].offset, kFields[i].size);
}

TEST(JointRecord, IsFiftyEightLittleEndianBytes)
{
    Joint j;
    FillSettings(j);
    MemoryStream s;
    ASSERT_TRUE(j.WriteState(s));
    ASSERT_EQ(s.GetSize(), Joint::kRecordSize);
    ASSERT_EQ(Joint::kRecordSize, 58);
    const uint8_t* d = s.GetData();
    EXPECT_EQ(d[0], 1);
    EXPECT_EQ(d[1], 12);
    EXPECT_EQ(d[2] | d[3] | d[4], 0);
    EXPECT_EQ(d[5], 1);
    float power;
    std::memcpy(&power, d + 6, 4);
    EXPECT_EQ(power, 1.5f);
    float breakForce;
    std::memcpy(&breakForce, d + 54, 4);
    EXPECT_EQ(breakForce, 500.0f);
}

// The record of FillSettings written by hand, field by field in the record's order, so that
// neither side's code supplies the expected bytes.
struct GoldenField {
    int32_t offset;
    uint8_t Joint::*byte;  // null for a 4-byte value
    float Joint::*value;
    float expected;
};
const GoldenField kGolden[] = {
    {5, &Joint::mMotorEnabled, nullptr, 1},         {6, nullptr, &Joint::mMotorPower, 1.5f},
    {10, nullptr, &Joint::mMotorMaxSpeed, 7.25f},   {14, nullptr, &Joint::mBrakePower, 3.0f},
    {18, nullptr, &Joint::mAngularFriction, 0.125f}, {22, nullptr, &Joint::mSpringPower, 40.0f},
    {26, nullptr, &Joint::mSpringAngle, -1.25f},    {30, nullptr, &Joint::mSpringShift, 0.5f},
    {34, nullptr, &Joint::mSpringShiftSpeed, -2.0f}, {38, &Joint::mRobotFlag1, nullptr, 1},
    {39, nullptr, &Joint::mRobotValue2, 9.5f},      {43, &Joint::mRobotFlag3, nullptr, 2},
    {44, &Joint::mRobotFlag4, nullptr, 3},          {45, nullptr, &Joint::mRobotValue5, 0.01f},
    {49, &Joint::mRobotFlag6, nullptr, 4},          {50, nullptr, &Joint::mGearRatio, -3.0f},
    {54, nullptr, &Joint::mBreakJointMinForce, 500.0f},
};

std::vector<uint8_t> GoldenRecord()
{
    std::vector<uint8_t> b = {1, 12, 0, 0, 0};  // version, slot index 12
    for (const GoldenField& f : kGolden) {
        EXPECT_EQ(static_cast<int32_t>(b.size()), f.offset) << "the table lists the fields in record order";
        if (f.byte) {
            b.push_back(static_cast<uint8_t>(f.expected));
            continue;
        }
        uint32_t bits;
        std::memcpy(&bits, &f.expected, 4);
        for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(bits >> (8 * k)));  // low byte first
    }
    return b;
}

TEST(JointRecord, WritesAndReadsTheHandWrittenGoldenRecord)
{
    const std::vector<uint8_t> golden = GoldenRecord();
    ASSERT_EQ(golden.size(), 58u);
    // The float bytes of two fields, spelled out, pin the byte order itself.
    EXPECT_EQ(std::vector<uint8_t>(golden.begin() + 6, golden.begin() + 10), (std::vector<uint8_t>{0, 0, 0xC0, 0x3F}));
    EXPECT_EQ(std::vector<uint8_t>(golden.begin() + 50, golden.begin() + 54),
              (std::vector<uint8_t>{0, 0, 0x40, 0xC0}));

    Joint source;
    FillSettings(source);
    MemoryStream written;
    ASSERT_TRUE(source.WriteState(written));
    ASSERT_EQ(written.GetSize(), 58);
    for (int32_t i = 0; i < 58; ++i) EXPECT_EQ(written.GetData()[i], golden[i]) << "byte " << i;

    MemoryStream s;
    ASSERT_TRUE(s.WriteBytes(golden.data(), 58));
    s.SetPosition(0);
    Joint target;
    target.mFirstIndex = 3;
    ASSERT_TRUE(target.ReadState(s));
    EXPECT_EQ(target.mFirstIndex, 3);
    EXPECT_EQ(target.mSecondIndex, 12);
    for (const GoldenField& f : kGolden) {
        if (f.byte)
            EXPECT_EQ(target.*f.byte, static_cast<uint8_t>(f.expected)) << "field at offset " << f.offset;
        else
            EXPECT_EQ(target.*f.value, f.expected) << "field at offset " << f.offset;
    }
}

TEST(JointRecord, RoundTripsIntoAFreshJointKeepingItsOwnSlot)
{
    Joint source;
    FillSettings(source);
    MemoryStream s;
    ASSERT_TRUE(source.WriteState(s));
    s.SetPosition(0);
    Joint target;
    target.mFirstIndex = 3;
    ASSERT_TRUE(target.ReadState(s));
    EXPECT_EQ(s.GetPosition(), 58);
    EXPECT_EQ(target.mFirstIndex, 3);
    EXPECT_EQ(target.mSecondIndex, 12);
    for (int32_t i = 1; i < static_cast<int32_t>(std::size(kFields)); ++i)
        EXPECT_EQ(FieldBytes(target, i), FieldBytes(source, i)) << "field at offset " << kFields[i].offset;
}

TEST(JointRecord, EveryPrefixReadsTheFieldsItHoldsAndKeepsTheRest)
{
    Joint source;
    FillSettings(source);
    MemoryStream full;
    ASSERT_TRUE(source.WriteState(full));
    const Joint defaults;
    for (int32_t length = 0; length <= Joint::kRecordSize; ++length) {
        SCOPED_TRACE(length);
        MemoryStream cut;
        ASSERT_TRUE(cut.WriteBytes(full.GetData(), length) || length == 0);
        cut.SetPosition(0);
        Joint target;
        target.mFirstIndex = 3;
        EXPECT_TRUE(target.ReadState(cut));
        EXPECT_EQ(target.mFirstIndex, 3);
        for (int32_t i = 1; i < static_cast<int32_t>(std::size(kFields)); ++i) {
            const bool whole = kFields[i].offset + kFields[i].size <= length;
            EXPECT_EQ(FieldBytes(target, i), FieldBytes(whole ? source : defaults, i))
                << "field at offset " << kFields[i].offset;
        }
    }
}

TEST(JointRecord, ALaterVersionIsRefusedAndLeavesEverythingAsItWas)
{
    Joint source;
    FillSettings(source);
    MemoryStream s;
    ASSERT_TRUE(s.WriteInt(77));  // a record that sits after other data
    const int32_t start = s.GetPosition();
    ASSERT_TRUE(source.WriteState(s));
    const uint8_t versions[] = {2, 7, 255};
    for (uint8_t version : versions) {
        SCOPED_TRACE(static_cast<int>(version));
        std::vector<uint8_t> bytes(s.GetData(), s.GetData() + s.GetSize());
        bytes[start] = version;
        MemoryStream copy;
        ASSERT_TRUE(copy.WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size())));
        copy.SetPosition(start);
        Joint target;
        EXPECT_FALSE(target.ReadState(copy));
        EXPECT_EQ(copy.GetPosition(), start);
        EXPECT_EQ(target.mSecondIndex, -1);
        EXPECT_EQ(target.mMotorPower, 0.4f);
        EXPECT_EQ(target.mBreakJointMinForce, Joint::kDefaultBreakForce);
    }
}

} // namespace
