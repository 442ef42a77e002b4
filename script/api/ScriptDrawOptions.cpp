#include <luabind/luabind.hpp>
#include "physics/world/DrawOptions.h"
#include "script/api/ScriptApi.h"

namespace KIV {

namespace {
// The switches are bytes in the record and booleans to scripts.
template <uint8_t DrawOptions::*Switch>
bool GetSwitch(const DrawOptions& options)
{
    return options.*Switch != 0;
}

template <uint8_t DrawOptions::*Switch>
void SetSwitch(DrawOptions& options, bool on)
{
    options.*Switch = on ? 1 : 0;
}
} // namespace

luabind::scope ScriptScopeDrawOptions()
{
    using namespace luabind;
    return class_<DrawOptions>("DrawOptions")
        .property("mGrid", &GetSwitch<&DrawOptions::mGrid>, &SetSwitch<&DrawOptions::mGrid>)
        .property("mTerrain", &GetSwitch<&DrawOptions::mTerrain>, &SetSwitch<&DrawOptions::mTerrain>)
        .property("mAllTerrainObjsVectorBorder", &GetSwitch<&DrawOptions::mAllTerrainObjsVectorBorder>, &SetSwitch<&DrawOptions::mAllTerrainObjsVectorBorder>)
        .property("mAllTerrainObjsBoundBox", &GetSwitch<&DrawOptions::mAllTerrainObjsBoundBox>, &SetSwitch<&DrawOptions::mAllTerrainObjsBoundBox>)
        .property("mAllTerrainObjsTriangles", &GetSwitch<&DrawOptions::mAllTerrainObjsTriangles>, &SetSwitch<&DrawOptions::mAllTerrainObjsTriangles>)
        .property("mAllTerrainObjsBeziers", &GetSwitch<&DrawOptions::mAllTerrainObjsBeziers>, &SetSwitch<&DrawOptions::mAllTerrainObjsBeziers>)
        .property("mAllTerrainObjsBezierVectors", &GetSwitch<&DrawOptions::mAllTerrainObjsBezierVectors>, &SetSwitch<&DrawOptions::mAllTerrainObjsBezierVectors>)
        .property("mSelTerrainObjsVectorBorder", &GetSwitch<&DrawOptions::mSelTerrainObjsVectorBorder>, &SetSwitch<&DrawOptions::mSelTerrainObjsVectorBorder>)
        .property("mSelTerrainObjsBoundBox", &GetSwitch<&DrawOptions::mSelTerrainObjsBoundBox>, &SetSwitch<&DrawOptions::mSelTerrainObjsBoundBox>)
        .property("mSelTerrainObjsTriangles", &GetSwitch<&DrawOptions::mSelTerrainObjsTriangles>, &SetSwitch<&DrawOptions::mSelTerrainObjsTriangles>)
        .property("mSelTerrainObjsBeziers", &GetSwitch<&DrawOptions::mSelTerrainObjsBeziers>, &SetSwitch<&DrawOptions::mSelTerrainObjsBeziers>)
        .property("mSelTerrainObjsBezierVectors", &GetSwitch<&DrawOptions::mSelTerrainObjsBezierVectors>, &SetSwitch<&DrawOptions::mSelTerrainObjsBezierVectors>)
        .property("mToyPoints", &GetSwitch<&DrawOptions::mToyPoints>, &SetSwitch<&DrawOptions::mToyPoints>)
        .property("mToyContacts", &GetSwitch<&DrawOptions::mToyContacts>, &SetSwitch<&DrawOptions::mToyContacts>)
        .property("mToyDiagonals", &GetSwitch<&DrawOptions::mToyDiagonals>, &SetSwitch<&DrawOptions::mToyDiagonals>)
        .property("mToyImpulses", &GetSwitch<&DrawOptions::mToyImpulses>, &SetSwitch<&DrawOptions::mToyImpulses>)
        .property("mToySprings", &GetSwitch<&DrawOptions::mToySprings>, &SetSwitch<&DrawOptions::mToySprings>)
        .property("mToyMoveVectors", &GetSwitch<&DrawOptions::mToyMoveVectors>, &SetSwitch<&DrawOptions::mToyMoveVectors>)
        .property("mToyPiles", &GetSwitch<&DrawOptions::mToyPiles>, &SetSwitch<&DrawOptions::mToyPiles>)
        .property("mJoints", &GetSwitch<&DrawOptions::mJoints>, &SetSwitch<&DrawOptions::mJoints>)
        .property("mJointConstraints", &GetSwitch<&DrawOptions::mJointConstraints>, &SetSwitch<&DrawOptions::mJointConstraints>)
        .property("mRobotBuilderJoints", &GetSwitch<&DrawOptions::mRobotBuilderJoints>, &SetSwitch<&DrawOptions::mRobotBuilderJoints>)
        .property("mRobotBuilderObjects", &GetSwitch<&DrawOptions::mRobotBuilderObjects>, &SetSwitch<&DrawOptions::mRobotBuilderObjects>)
        .property("mRobotBuilderTriangles", &GetSwitch<&DrawOptions::mRobotBuilderTriangles>, &SetSwitch<&DrawOptions::mRobotBuilderTriangles>)
        .property("mRobotBuilderGrid", &GetSwitch<&DrawOptions::mRobotBuilderGrid>, &SetSwitch<&DrawOptions::mRobotBuilderGrid>)
        .property("mDoRenderScene", &GetSwitch<&DrawOptions::mDoRenderScene>, &SetSwitch<&DrawOptions::mDoRenderScene>)
        .property("mTestVisible", &GetSwitch<&DrawOptions::mTestVisible>, &SetSwitch<&DrawOptions::mTestVisible>);
}

} // namespace KIV
