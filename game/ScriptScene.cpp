#include <luabind/luabind.hpp>
#include "game/KIVGame.h"
#include "game/ScriptScopes.h"
#include "physics/toys/Toy.h"
#include "script/ScriptRef.h"

namespace KIV {

namespace {
// Scripts see the scene only as the leading part of the game object.
DrawOptions& GetDrawOptions(Scene& scene)
{
    return static_cast<KIVGame&>(scene).mDrawOptions;
}

ScriptRef<Toy> SelectedToy(Scene& scene)
{
    return ScriptRef<Toy>(scene.mToys.GetSelected());
}

ScriptRef<Joint> SelectedJoint(Scene& scene)
{
    return ScriptRef<Joint>(scene.mJoints.mJoints.GetSelected());
}

ScriptRef<BendObject> SelectedTerrainObject(Scene& scene)
{
    return ScriptRef<BendObject>(scene.mTerrainObjects.GetSelected());
}

ScriptRef<Scenario> TheScenario(Scene& scene) { return ScriptRef<Scenario>(&static_cast<KIVGame&>(scene).mScenario); }

// The robot being edited, seen as a robot and as its definition: one object, two classes to scripts.
ScriptRef<Robot> EditRobot(Scene& scene) { return ScriptRef<Robot>(static_cast<KIVGame&>(scene).GetEditRobot()); }
ScriptRef<RobotDef> EditRobotDef(Scene& scene)
{
    return ScriptRef<RobotDef>(static_cast<KIVGame&>(scene).GetEditRobot());
}
} // namespace

luabind::scope ScriptScopeScene()
{
    using namespace luabind;
    return class_<Scene>("Scene")
        .def("GetDrawOptions", &GetDrawOptions)
        .def("ST", &SelectedToy)
        .def("SJ", &SelectedJoint)
        .def("STO", &SelectedTerrainObject)
        .def("SCN", &TheScenario)
        .def("GetEditRobot", &EditRobot)
        .def("GetEditRobotDef", &EditRobotDef);
}

} // namespace KIV
