#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include "base/MemoryStream.h"
#include "robots/RobotDef.h"
#include "robots/RobotSamples.h"

using namespace KIV;
using namespace KIV::samples;


TEST(RobotDefRecord, DefaultAndSmallRobotMatchTheirGoldenBytes)
{
    RobotDef empty;
    Bytes def;
    def.U8(5).Name("").U8(1).I32(0).I32(-1).I32(0).I32(-1).I32(0).I32(-1).Str("").Str("").Str("");
    EXPECT_EQ(Written(empty), def.b);
    EXPECT_EQ(def.b.size(), 54u);

    RobotDef small;
    MakeSmallRobot(small);
    EXPECT_EQ(Written(small), SmallRobotBytes().b);
}

TEST(RobotDefRecord, ReadBackGivesTheSameRecordAndSelections)
{
    RobotDef a;
    MakeSmallRobot(a);
    RobotDef b;
    EXPECT_EQ(ReadBytes(b, Written(a)), RecordRead::Complete);
    EXPECT_EQ(Written(b), Written(a));
    EXPECT_EQ(b.Objects().GetSelectedIndex(), 1);
    EXPECT_EQ(b.Joints()[0]->mSelectedPose, 1);
    EXPECT_FALSE(b.GetStartDead());
    EXPECT_EQ(b.FindObjectByName(FastName("wheel")), b.Objects()[1]);
    EXPECT_EQ(b.FindJointByName(FastName("nope")), nullptr);
}

TEST(RobotDefRecord, OlderVersionsFillWhatTheyHold)
{
    // Version 3: no start-dead flag, no selections; a version-2 joint without poses.
    Bytes v3;
    v3.U8(3).Name("old");
    v3.I32(2);
    for (const char* n : {"a", "b"}) v3.U8(1).Name(n).Str("t.png").I32(0).I32(0).I32(0).I32(0).U8(0).F32(1).F32(2).F32(0);
    v3.I32(1).U8(2).Name("j").Name("a").F32(0).F32(0).U8(1).Name("b").F32(0).F32(0).U8(1).F32(0.75f).U8(0).U8(0);
    v3.U8(2).I32(0).I32(-1);
    v3.I32(1).U8(1).Name("p").Name("a").F32(0).F32(0).U8(0).F32(0); // link v1: no layer
    v3.Str("build").Str("update").Str("notes");

    RobotDef def;
    def.SetStartDead(false);
    ASSERT_EQ(ReadBytes(def, v3.b), RecordRead::Complete);
    EXPECT_FALSE(def.GetStartDead()) << "a record without the flag keeps the definition's own";
    EXPECT_EQ(def.Objects().GetSelectedIndex(), 0);
    EXPECT_EQ(def.Joints().GetSelectedIndex(), 0);
    EXPECT_EQ(def.Objects()[1]->mScale, VectorF(1.0f, 1.0f)) << "object v1 has no scale";
    const JointDef& j = *def.Joints()[0];
    ASSERT_EQ(j.mPoses.Count(), 1);
    EXPECT_EQ(j.mPoses[0].mName, FastName("basic"));
    EXPECT_EQ(j.mPoses[0].mAngle, 0.75f);
    EXPECT_EQ(j.mSelectedPose, 0);
    EXPECT_EQ(def.ParticleLinks()[0]->mLayer, 0);
    EXPECT_EQ(def.GetNotes(), "notes");

    // Version 1: no scripts or notes; a version-1 joint has no poses at all.
    Bytes v1;
    v1.U8(1).Name("older").I32(0).I32(1);
    v1.U8(1).Name("j").Name("a").F32(0).F32(0).U8(1).Name("b").F32(0).F32(0).U8(1).F32(0.5f).U8(0).U8(0);
    v1.I32(0).Str("ignored");
    RobotDef old;
    ASSERT_EQ(ReadBytes(old, v1.b), RecordRead::Complete);
    EXPECT_EQ(old.Joints()[0]->mPoses.Count(), 0);
    EXPECT_EQ(old.GetScriptOnBuild(), "");

    RobotDef fromEmpty;
    EXPECT_EQ(ReadBytes(fromEmpty, {}), RecordRead::EndedEarly);
    EXPECT_EQ(Written(fromEmpty), Written(RobotDef()));
}

TEST(RobotDefRecord, DamagedRecordsAreRefusedAndChangeNothing)
{
    RobotDef source;
    MakeSmallRobot(source);
    const std::vector<uint8_t> good = Written(source);

    struct Case {
        const char* what;
        size_t offset;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"version 6", 0, {6}},
        {"version 128 (negative as a signed byte)", 0, {0x80}},
        {"object count beyond the bytes", 18, {0xFF, 0xFF, 0xFF, 0x0F}},
        {"negative object count", 18, {0xFE, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = good;
        std::copy(c.bytes.begin(), c.bytes.end(), bad.begin() + static_cast<long>(c.offset));
        RobotDef def;
        MakeSmallRobot(def);
        EXPECT_EQ(ReadBytes(def, bad), RecordRead::Refused) << c.what;
        EXPECT_EQ(Written(def), good) << c.what;
    }
}

TEST(RobotDefRecord, StoredPoseSelectionOutsideTheListIsNotTaken)
{
    RobotDef a;
    MakeSmallRobot(a);
    std::vector<uint8_t> bytes = Written(a);
    Bytes tail;
    tail.I32(1).I32(0).I32(1).U8(2).Name("jet"); // selected pose, joint selection, link count, link head
    // Find the joint's stored pose selection (the value 1 right before the joint list's selection 0).
    auto pos = std::search(bytes.begin(), bytes.end(), tail.b.begin(), tail.b.end());
    ASSERT_NE(pos, bytes.end());
    pos[0] = 0x40; // pose 64 of 2
    RobotDef b;
    EXPECT_EQ(ReadBytes(b, bytes), RecordRead::Complete);
    EXPECT_EQ(b.Joints()[0]->mSelectedPose, 0);
}

TEST(RobotDefRecord, EveryPrefixReadsSafely)
{
    RobotDef a;
    MakeSmallRobot(a);
    const std::vector<uint8_t> full = Written(a);
    for (size_t n = 0; n < full.size(); ++n) {
        RobotDef def;
        RecordRead r = ReadBytes(def, {full.begin(), full.begin() + static_cast<long>(n)});
        EXPECT_NE(r, RecordRead::Complete) << "prefix " << n;
    }
}
