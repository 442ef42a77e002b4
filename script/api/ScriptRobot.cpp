#include <luabind/luabind.hpp>
#include "physics/joints/Joint.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "robots/Robot.h"
#include "script/ScriptHandles.h"
#include "script/api/ScriptAdapters.h"
#include "script/api/ScriptApi.h"

namespace KIV {

luabind::scope ScriptScopeRobot()
{
    using namespace luabind;
    EnableHandlesOf<Robot>();
    return class_<Robot>("Robot")
        .def("IsDead", &Robot::IsDead)
        .def("IsAlive", &Robot::IsAlive)
        .def("SetDead", &Robot::SetDead)
        .def("GetToyByName", &Referenced<&Robot::GetToyByName>::Call)
        .def("GetToy", &Referenced<&Robot::GetToy>::Call)
        .def("GetToyCount", &Robot::GetToyCount)
        .def("GetHeadToy", &Referenced<&Robot::GetHeadToy>::Call)
        .def("GetJointByName", &Referenced<&Robot::GetJointByName>::Call)
        .def("GetJoint", &Referenced<&Robot::GetJoint>::Call)
        .def("GetJointCount", &Robot::GetJointCount)
        .def("GetParticlesByName", &Referenced<&Robot::GetParticlesByName>::Call)
        .def("GunAim1", &Robot::GunAim1)
        .def("SetAngularSpringAnglesByPose", &Robot::SetAngularSpringAnglesByPose)
        .def("SetAngularSpringPowers", &Robot::SetAngularSpringPowers)
        .def("SetAngularFrictions", &Robot::SetAngularFrictions)
        .def("FadeAngularSpringAnglesByPose", &Robot::FadeAngularSpringAnglesByPose)
        .def("MirrorPose", &Robot::MirrorPose)
        .def("SetGearCramp", &Robot::SetGearCramp)
        .def("SetGearCrampWhenSpringsAtTarget", &Robot::SetGearCrampWhenSpringsAtTarget)
        .def("KeyUp_Downed", &Robot::KeyUp_Downed)
        .def("KeyUp_Down", &Robot::KeyUp_Down)
        .def("KeyUp_Upped", &Robot::KeyUp_Upped)
        .def("KeyDown_Downed", &Robot::KeyDown_Downed)
        .def("KeyDown_Down", &Robot::KeyDown_Down)
        .def("KeyDown_Upped", &Robot::KeyDown_Upped)
        .def("KeyLeft_Downed", &Robot::KeyLeft_Downed)
        .def("KeyLeft_Down", &Robot::KeyLeft_Down)
        .def("KeyLeft_Upped", &Robot::KeyLeft_Upped)
        .def("KeyRight_Downed", &Robot::KeyRight_Downed)
        .def("KeyRight_Down", &Robot::KeyRight_Down)
        .def("KeyRight_Upped", &Robot::KeyRight_Upped)
        .def("KeyBrake_Downed", &Robot::KeyBrake_Downed)
        .def("KeyBrake_Down", &Robot::KeyBrake_Down)
        .def("KeyBrake_Upped", &Robot::KeyBrake_Upped)
        .def("KeyAimUp_Downed", &Robot::KeyAimUp_Downed)
        .def("KeyAimUp_Down", &Robot::KeyAimUp_Down)
        .def("KeyAimUp_Upped", &Robot::KeyAimUp_Upped)
        .def("KeyAimDown_Downed", &Robot::KeyAimDown_Downed)
        .def("KeyAimDown_Down", &Robot::KeyAimDown_Down)
        .def("KeyAimDown_Upped", &Robot::KeyAimDown_Upped)
        .def("KeyShoot_Downed", &Robot::KeyShoot_Downed)
        .def("KeyShoot_Down", &Robot::KeyShoot_Down)
        .def("KeyShoot_Upped", &Robot::KeyShoot_Upped)
        .def("KeyMousePos_Aim", &Robot::KeyMousePos_Aim)
        .def("GetFileName", &Robot::GetFileName)
        .def("GetChanged", &Robot::GetChanged)
        .def("CanUndo", &Robot::CanUndo)
        .def("CanRedo", &Robot::CanRedo)
        .def("StartUndoSerie", &Robot::StartUndoSerie)
        .def("EndUndoSerie", &Robot::EndUndoSerie)
        .def("GetPrevVersionsListArray", &Robot::GetPrevVersionsListArray)
        .def("SelectPrevVersion", &Robot::SelectPrevVersion)
        .def("GetPrevVersionSelectedIndex", &Robot::GetPrevVersionSelectedIndex);
}

} // namespace KIV
