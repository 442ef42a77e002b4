#include "base/MemoryStream.h"
#include "physics/joints/Joint.h"

namespace KIV {

// The joint's settings as 58 little-endian bytes: version, slot index, motor,
// brake, friction, spring and shift, the six robot settings, gear ratio and
// break threshold. Toys, anchors, name and poses are rebuilt by their owner.
bool Joint::WriteState(MemoryStream& stream) const
{
    bool ok = stream.WriteByte(static_cast<uint8_t>(kRecordVersion));
    ok = ok && stream.WriteInt(mFirstIndex);
    ok = ok && stream.WriteByte(mMotorEnabled);
    ok = ok && stream.WriteFloat(mMotorPower);
    ok = ok && stream.WriteFloat(mMotorMaxSpeed);
    ok = ok && stream.WriteFloat(mBrakePower);
    ok = ok && stream.WriteFloat(mAngularFriction);
    ok = ok && stream.WriteFloat(mSpringPower);
    ok = ok && stream.WriteFloat(mSpringAngle);
    ok = ok && stream.WriteFloat(mSpringShift);
    ok = ok && stream.WriteFloat(mSpringShiftSpeed);
    ok = ok && stream.WriteByte(mRobotFlag1);
    ok = ok && stream.WriteFloat(mRobotValue2);
    ok = ok && stream.WriteByte(mRobotFlag3);
    ok = ok && stream.WriteByte(mRobotFlag4);
    ok = ok && stream.WriteFloat(mRobotValue5);
    ok = ok && stream.WriteByte(mRobotFlag6);
    ok = ok && stream.WriteFloat(mGearRatio);
    ok = ok && stream.WriteFloat(mBreakJointMinForce);
    return ok;
}

bool Joint::ReadState(MemoryStream& stream)
{
    const int32_t start = stream.GetPosition();
    uint8_t version = 0;
    if (stream.ReadByte(version) && version > kRecordVersion) {
        // A later program's record may mean other things by these bytes:
        // reading it as ours would fill the joint with wrong settings.
        stream.SetPosition(start);
        return false;
    }
    // The slot index goes to the second index: the first is the slot this
    // joint was given when it was made, and the robot editor finds its live
    // joints by it. A cut record leaves the fields it lacks as they are.
    stream.ReadInt(mSecondIndex);
    stream.ReadByte(mMotorEnabled);
    stream.ReadFloat(mMotorPower);
    stream.ReadFloat(mMotorMaxSpeed);
    stream.ReadFloat(mBrakePower);
    stream.ReadFloat(mAngularFriction);
    stream.ReadFloat(mSpringPower);
    stream.ReadFloat(mSpringAngle);
    stream.ReadFloat(mSpringShift);
    stream.ReadFloat(mSpringShiftSpeed);
    stream.ReadByte(mRobotFlag1);
    stream.ReadFloat(mRobotValue2);
    stream.ReadByte(mRobotFlag3);
    stream.ReadByte(mRobotFlag4);
    stream.ReadFloat(mRobotValue5);
    stream.ReadByte(mRobotFlag6);
    stream.ReadFloat(mGearRatio);
    stream.ReadFloat(mBreakJointMinForce);
    return true;
}

} // namespace KIV
