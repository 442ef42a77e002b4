#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <vector>
#include "base/MemoryStream.h"
#include "robots/RobotDef.h"

using namespace KIV;

namespace {

// Builds expected bytes by hand, independent of the writer under test.
struct Bytes {
    std::vector<uint8_t> b;
    Bytes& U8(uint8_t v)
    {
        b.push_back(v);
        return *this;
    }
    Bytes& I32(int32_t v)
    {
        uint32_t u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(u >> (8 * i)));
        return *this;
    }
    Bytes& F32(float f)
    {
        int32_t i;
        std::memcpy(&i, &f, 4);
        return I32(i);
    }
    Bytes& Name(const char* text)
    {
        char n[16] = {};
        std::memcpy(n, text, std::min<size_t>(std::strlen(text), 16));
        b.insert(b.end(), n, n + 16);
        return *this;
    }
    Bytes& Str(const std::string& s)
    {
        I32(static_cast<int32_t>(s.size()));
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
};

std::vector<uint8_t> Written(const RobotDef& def)
{
    MemoryStream s;
    EXPECT_TRUE(def.Write(s));
    return {s.GetData(), s.GetData() + s.GetSize()};
}

RecordRead ReadBytes(RobotDef& def, const std::vector<uint8_t>& bytes)
{
    MemoryStream s;
    if (!bytes.empty()) s.WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
    s.SetPosition(0);
    return def.Read(s);
}

// A small robot: two parts, a joint with two poses, one particle system.
void MakeSmallRobot(RobotDef& def)
{
    def.SetName(FastName("walker"));
    def.SetStartDead(false);
    ObjectDef* body = def.Objects().AppendNew();
    body->mName = FastName("body");
    body->mTexture = "Robots\\body.png";
    body->mCropX = 1;
    body->mCropY = 2;
    body->mCropWidth = 30;
    body->mCropHeight = 40;
    body->mMaster = true;
    body->mPosition = {1.5f, -2.0f};
    body->mOrientation = 0.25f;
    body->mScale = {2.0f, 0.5f};
    ObjectDef* wheel = def.Objects().AppendNew();
    wheel->mName = FastName("wheel");
    wheel->mCircleShape = true;
    def.Objects().SetSelectedIndex(1);
    JointDef* axle = def.Joints().AppendNew();
    axle->mName = FastName("axle");
    axle->mObjectA = FastName("body");
    axle->mAnchorA = {3, 4};
    axle->mObjectB = FastName("wheel");
    axle->mAnchorB = {5, 6};
    axle->mAnchorBByPicture = false;
    axle->mAngle = 0.5f;
    axle->mGearJoint = true;
    axle->EnsureBasicPose();
    PoseAngle crouch;
    crouch.mName = FastName("crouch");
    crouch.mAngle = -1.0f;
    axle->mPoses.PushBack(crouch);
    axle->mSelectedPose = 1;
    ParticlesDef* jet = def.ParticleLinks().AppendNew();
    jet->mName = FastName("jet");
    jet->mLinkObject = FastName("body");
    jet->mLinkPosition = {7, 8};
    jet->mLinkByPicture = true;
    jet->mLinkOrientation = 3.0f;
    jet->mLayer = -2;
    def.SetScriptOnBuild("b()");
    def.SetScriptOnUpdate("u()");
    def.SetNotes("hi");
}

Bytes SmallRobotBytes()
{
    Bytes x;
    x.U8(5).Name("walker").U8(0);
    x.I32(2);
    x.U8(3).Name("body").Str("Robots\\body.png").I32(1).I32(2).I32(30).I32(40).U8(1).F32(1.5f).F32(-2.0f);
    x.F32(0.25f).U8(0).F32(2.0f).F32(0.5f);
    x.U8(3).Name("wheel").Str("").I32(0).I32(0).I32(0).I32(0).U8(0).F32(0).F32(0).F32(0).U8(1).F32(1).F32(1);
    x.I32(1);
    x.I32(1).U8(2).Name("axle").Name("body").F32(3).F32(4).U8(1).Name("wheel").F32(5).F32(6).U8(0);
    x.F32(0.5f).U8(0).U8(1);
    x.U8(2).I32(2).U8(1).Name("basic").F32(0.5f).U8(1).Name("crouch").F32(-1.0f).I32(1);
    x.I32(0);
    x.I32(1).U8(2).Name("jet").Name("body").F32(7).F32(8).U8(1).F32(3.0f).I32(-2);
    x.I32(0);
    x.Str("b()").Str("u()").Str("hi");
    return x;
}

} // namespace

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
