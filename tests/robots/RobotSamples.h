#pragma once
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "base/MemoryStream.h"
#include "robots/Robot.h"
#include "robots/RobotDef.h"

// Robot samples shared by the definition, stream and file tests.
namespace KIV::samples {

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

inline std::vector<uint8_t> Written(const RobotDef& def)
{
    MemoryStream s;
    EXPECT_TRUE(def.Write(s));
    return {s.GetData(), s.GetData() + s.GetSize()};
}

// The robot stream: the definition, the undo caption and the parts' states.
inline std::vector<uint8_t> Streamed(const Robot& robot)
{
    MemoryStream s;
    robot.WriteToStream(s);
    return {s.GetData(), s.GetData() + s.GetSize()};
}

inline RecordRead ReadBytes(RobotDef& def, const std::vector<uint8_t>& bytes)
{
    MemoryStream s;
    if (!bytes.empty()) s.WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
    s.SetPosition(0);
    return def.Read(s);
}

// A small robot: two parts, a joint with two poses, one particle system.
inline void FillSmallRobot(RobotDef& def)
{
    def.SetName("walker");
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
    def.SetScriptOnBuild("b%28%29");
    def.SetScriptOnUpdate("u%28%29");
    def.SetNotes("hi");
}

// Gives any definition (a robot's too) the small robot, recording no undo step.
inline void MakeSmallRobot(RobotDef& def)
{
    RobotDef plain;
    FillSmallRobot(plain);
    MemoryStream s;
    plain.Write(s);
    s.SetPosition(0);
    def.Read(s);
}

inline Bytes SmallRobotBytes()
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


} // namespace KIV::samples
