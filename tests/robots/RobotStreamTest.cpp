#include <gtest/gtest.h>
#include "base/MemoryStream.h"
#include "physics/joints/Joint.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "robots/Robot.h"
#include "robots/RobotSamples.h"

using namespace KIV;
using namespace KIV::samples;

namespace {

std::vector<uint8_t> Stream(const Robot& robot)
{
    MemoryStream s;
    EXPECT_TRUE(robot.WriteToStream(s));
    return {s.GetData(), s.GetData() + s.GetSize()};
}

template <typename T>
std::vector<uint8_t> StateOf(const T& part)
{
    MemoryStream s;
    part.WriteState(s);
    return {s.GetData(), s.GetData() + s.GetSize()};
}

std::vector<uint8_t> PropsOf(const ParticleSystem& system)
{
    MemoryStream s;
    system.WriteProps(s);
    return {s.GetData(), s.GetData() + s.GetSize()};
}

// A small robot with live parts: one toy and one joint, as a build would give.
struct SmallRobot {
    Toy toy;
    Joint joint;
    ParticleSystem jet;
    Robot robot;
    SmallRobot()
    {
        MakeSmallRobot(robot);
        toy.SetName("body");
        jet.SetName("jet");
        robot.AddToy(&toy);
        robot.AddJoint(&joint);
        robot.AddParticleSystem(&jet);
    }
    ~SmallRobot() { robot.ReleaseParts(); }
};

} // namespace

TEST(RobotStream, SmallRobotMatchesItsGoldenBytes)
{
    SmallRobot s;
    s.robot.RecordChange("robotdef: set notes");
    const std::vector<uint8_t> toyState = StateOf(s.toy);
    const std::vector<uint8_t> jointState = StateOf(s.joint);
    EXPECT_EQ(toyState.size(), 108u);
    EXPECT_EQ(jointState.size(), 58u);

    Bytes x;
    x.U8(3);
    const Bytes def = SmallRobotBytes();
    x.b.insert(x.b.end(), def.b.begin(), def.b.end());
    x.Str("robotdef: set notes").U8(2).I32(1);
    x.b.insert(x.b.end(), toyState.begin(), toyState.end());
    x.I32(1);
    x.b.insert(x.b.end(), jointState.begin(), jointState.end());
    x.I32(1);
    const std::vector<uint8_t> jetProps = PropsOf(s.jet);
    EXPECT_EQ(jetProps.size(), 298u) << "a default system with no texture";
    x.b.insert(x.b.end(), jetProps.begin(), jetProps.end());
    EXPECT_EQ(Stream(s.robot), x.b);
}

TEST(RobotStream, ReadingRestoresDefinitionCaptionAndPartStates)
{
    SmallRobot a;
    a.robot.RecordChange("move");
    a.toy.SetDensity(3.5f);
    a.jet.SetParticleWeight(2.5f);
    MemoryStream stream;
    a.robot.WriteToStream(stream);

    SmallRobot b;
    b.robot.Clear();
    stream.SetPosition(0);
    EXPECT_EQ(b.robot.ReadFromStream(stream), RecordRead::Complete);
    b.robot.ReadStateFromStream(stream);
    EXPECT_EQ(b.toy.GetDensity(), 3.5f);
    EXPECT_EQ(b.jet.GetParticleWeight(), 2.5f);
    EXPECT_EQ(b.robot.GetUndoCaption(), "move");
    EXPECT_EQ(Written(b.robot), Written(a.robot));

    // A stream of version 2 has no caption: the robot keeps its own.
    std::vector<uint8_t> v2 = Stream(a.robot);
    v2[0] = 2;
    const std::vector<uint8_t> def = Written(a.robot);
    v2.erase(v2.begin() + 1 + static_cast<long>(def.size()), v2.begin() + 1 + static_cast<long>(def.size()) + 4 + 4);
    Robot c;
    c.RecordChange("mine");
    MemoryStream s2;
    s2.WriteBytes(v2.data(), static_cast<int32_t>(v2.size()));
    s2.SetPosition(0);
    EXPECT_EQ(c.ReadFromStream(s2), RecordRead::Complete);
    EXPECT_EQ(c.GetUndoCaption(), "mine");
}

TEST(RobotStream, MoreStoredToysThanBuiltStopsBeforeTheStates)
{
    SmallRobot a;
    Toy second;
    a.robot.AddToy(&second);
    second.SetDensity(9.0f);
    MemoryStream stream;
    a.robot.WriteToStream(stream);
    a.robot.RemoveToy(&second);

    SmallRobot b;
    const float density = b.toy.GetDensity();
    stream.SetPosition(0);
    b.robot.ReadFromStream(stream);
    b.robot.ReadStateFromStream(stream);
    EXPECT_EQ(b.toy.GetDensity(), density);
    EXPECT_EQ(b.robot.GetToyCount(), 1);
}

TEST(RobotStream, NewerStreamVersionsAreRefusedAndKeepTheRobot)
{
    SmallRobot a;
    std::vector<uint8_t> bytes = Stream(a.robot);
    for (uint8_t version : {uint8_t(4), uint8_t(200)}) {
        bytes[0] = version;
        MemoryStream s;
        s.WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
        s.SetPosition(0);
        SmallRobot b;
        b.robot.SetNotes("keep me");
        EXPECT_EQ(b.robot.ReadFromStream(s), RecordRead::Refused);
        EXPECT_EQ(b.robot.GetNotes(), "keep me");
    }
}

TEST(RobotParts, LookupsSearchFromTheLastAndCutNamesTo16)
{
    Robot r;
    Toy a, b, c;
    a.SetName("0123456789abcdefXYZ");
    b.SetName("twin");
    c.SetName("twin");
    for (Toy* t : {&a, &b, &c}) EXPECT_TRUE(r.AddToy(t));
    EXPECT_TRUE(r.AddToy(&a)) << "adding a listed toy is accepted without change";
    EXPECT_EQ(r.GetToyCount(), 3);
    EXPECT_EQ(r.GetToyByName("0123456789abcdefQQ"), &a);
    EXPECT_EQ(r.GetToyByName("twin"), &c);
    EXPECT_EQ(r.GetHeadToy(), nullptr);
    EXPECT_EQ(r.GetToy(3), nullptr);
    EXPECT_EQ(r.GetToy(-1), nullptr);
    EXPECT_EQ(a.mOwningRobot, &r);
    EXPECT_TRUE(r.RemoveToy(&a));
    EXPECT_EQ(a.mOwningRobot, nullptr);
    EXPECT_FALSE(r.RemoveToy(&a));
    r.ReleaseParts();
    EXPECT_EQ(c.mOwningRobot, nullptr);
    EXPECT_EQ(r.GetToyCount(), 0);
}
