#include <luabind/luabind.hpp>
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"
#include "script/ScriptHandles.h"
#include "script/api/ScriptAdapters.h"
#include "script/api/ScriptApi.h"

namespace KIV {

luabind::scope ScriptScopeJoint()
{
    using namespace luabind;
    EnableHandlesOf<Joint>();
    return class_<Joint>("Joint")
        .def("GetName", &Joint::GetName)
        .def("SetName", &Joint::SetName)
        .def("IsDead", &Joint::IsDead)
        .def("IsWorldJoint", &Joint::IsWorldJoint)
        .def("IsGearJoint", &Joint::IsGearJoint)
        .def("GetGearRatio", &Joint::GetGearRatio)
        .def("SetGearRatio", &Joint::SetGearRatio)
        .def("GetAngularSpringAngle", &Joint::GetAngularSpringAngle)
        .def("SetAngularSpringAngle", &Joint::SetAngularSpringAngle)
        .def("GetAngularSpringPower", &Joint::GetAngularSpringPower)
        .def("SetAngularSpringPower", &Joint::SetAngularSpringPower)
        .def("SetAngularSpring", &Joint::SetAngularSpring)
        .def("ShiftAngularSpring", &Joint::ShiftAngularSpring)
        .def("FadeAngularSpring", &Joint::FadeAngularSpring)
        .def("FadeAngularSpringByPose", &Joint::FadeAngularSpringByPose)
        .def("GetAngularSpringAngleFadeFinishedNow", &Joint::GetAngularSpringAngleFadeFinishedNow)
        .def("GetAngularFriction", &Joint::GetAngularFriction)
        .def("SetAngularFriction", &Joint::SetAngularFriction)
        .def("SetMotor", &Joint::SetMotor)
        .def("SetMotorEnabled", &Joint::SetMotorEnabled)
        .def("GetMotorEnabled", &Joint::GetMotorEnabled)
        .def("SetMotorPower", &Joint::SetMotorPower)
        .def("GetMotorPower", &Joint::GetMotorPower)
        .def("SetMotorMaxSpeed", &Joint::SetMotorMaxSpeed)
        .def("GetMotorMaxSpeed", &Joint::GetMotorMaxSpeed)
        .def("DoMotorForce", &Joint::DoMotorForce)
        .def("DoBrakeMotor", &Joint::DoBrakeMotor)
        .def("GetBrakePower", &Joint::GetBrakePower)
        .def("SetBrakePower", &Joint::SetBrakePower)
        .def("IsToyA", &Joint::IsToyA)
        .def("IsToyB", &Joint::IsToyB)
        .def("GetToyA", &Referenced<&Joint::GetToyA>::Call)
        .def("GetToyB", &Referenced<&Joint::GetToyB>::Call)
        .def("GetNameA", &Joint::GetNameA)
        .def("GetNameB", &Joint::GetNameB)
        .def("GetOtherToy", &Referenced<&Joint::GetOtherToy>::Call)
        .def("GetPointA", &Copied<&Joint::GetPointA>::Call)
        .def("GetPointB", &Copied<&Joint::GetPointB>::Call)
        .def("GetWorldPoint", &Copied<&Joint::GetWorldPoint>::Call)
        .def("GetConstraint", &Joint::GetConstraint)
        .def("GetConstraintSqrL", &Joint::GetConstraintSqrL)
        .def("GetMaxConstraintReachedSqrL", &Joint::GetMaxConstraintReachedSqrL)
        .def("NullMeasuredStuff", &Joint::NullMeasuredStuff)
        .def("GetBreakJointMinForce", &Joint::GetBreakJointMinForce)
        .def("SetBreakJointMinForce", &Joint::SetBreakJointMinForce)
        .def("IsLinkedToRobot", &Joint::IsLinkedToRobot);
}

} // namespace KIV
