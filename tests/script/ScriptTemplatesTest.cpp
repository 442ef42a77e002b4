#include <gtest/gtest.h>
#include <luabind/luabind.hpp>
#include <string>
#include <vector>
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"
#include "physics/world/GameSettings.h"
#include "physics/world/PhysicsStep.h"
#include "physics/world/Scene.h"
#include "scenes/JointWorlds.h"
#include "scenes/Scenes.h"
#include "script/ScriptHandles.h"
#include "script/ScriptHost.h"
#include "script/ScriptTemplates.h"
#include "script/api/ScriptApi.h"

using namespace KIV;

namespace {
// Joints are the one other kind the templates know; no conversion function is
// bound for them in the game, so the tests bind one of their own.
luabind::object ToJoint(lua_State* state, int32_t handle)
{
    return ObjectFromHandle(state, handle, HandleKindOf<Joint>());
}

// The glue the templates run, as the host sees it: every chunk is recorded.
void RegisterForTemplates(ScriptHost& host)
{
    luabind::scope chain = ScriptScopeFreeFunctions();
    chain, ScriptScopeVectorF(), ScriptScopeToy(), ScriptScopeJoint(), luabind::def("ToJoint", &ToJoint);
    luabind::module(host.GetState())[chain];
}

class TemplatesTest : public ::testing::Test {
protected:
    void SetUp() override { mHost.InitScriptVM(&RegisterForTemplates); }
    // Everything a chunk left: results and errors, bottom first.
    std::vector<std::string> Drain()
    {
        std::vector<std::string> values;
        std::string value;
        while (mHost.PopScriptString(value)) values.insert(values.begin(), value);
        return values;
    }
    std::string Eval(const std::string& expression)
    {
        mHost.RunScriptText("return " + expression, true);
        std::string value;
        mHost.PopScriptString(value);
        return value;
    }
    ScriptHost mHost;
    ScriptTemplates mTemplates{mHost};
};
} // namespace

TEST_F(TemplatesTest, TheTableHoldsRobotThenJoint)
{
    ASSERT_EQ(mTemplates.GetTemplates().Count(), 2);
    EXPECT_EQ(mTemplates.GetTemplates()[0]->mKind, "Robot");
    EXPECT_EQ(mTemplates.GetTemplates()[0]->mUpdateHeader, ".Update = function(robot,mobj)");
    EXPECT_EQ(mTemplates.GetTemplates()[1]->mBuildHeader, ".Build = function(joint,mobj)");
    EXPECT_EQ(mTemplates.FindScriptTemplate("robot"), nullptr);  // exact, case-sensitive
}

TEST_F(TemplatesTest, ObjectsOfOnePresetShareABindingAndKeepTheirOwnState)
{
    ObjectScript first, second, unnamedA, unnamedB;
    mTemplates.DeclareObject(first, 11, "Robot", "spider");
    EXPECT_EQ(gCurrentScriptObject, 11);
    mTemplates.DeclareObject(second, 12, "Robot", "spider");
    EXPECT_EQ(first.mObjectName, "Robots.Obj1");
    EXPECT_EQ(first.mStateName, "Robots.Obj1lua");
    EXPECT_EQ(second.mObjectName, "Robots.Obj2");
    ASSERT_NE(first.mBinding, nullptr);
    EXPECT_EQ(first.mBinding, second.mBinding);
    EXPECT_EQ(first.mBinding->mTableName, "Robots.Pre1");

    mTemplates.DeclareObject(unnamedA, 13, "Robot", "");
    mTemplates.DeclareObject(unnamedB, 14, "Robot", "");
    EXPECT_EQ(unnamedA.mPreset, "AutoPreset 0");
    EXPECT_EQ(unnamedB.mPreset, "AutoPreset 1");
    EXPECT_NE(unnamedA.mBinding, unnamedB.mBinding);

    // A second declaration changes nothing, not even the current object.
    mTemplates.DeclareObject(first, 99, "Robot", "other");
    EXPECT_EQ(first.mHandle, 11);
    EXPECT_EQ(gCurrentScriptObject, 14);

    ScriptBinding& shared = *first.mBinding;
    shared.mUpdateText = "mobj.n = (mobj.n or 0) + 1; return mobj.n";
    mTemplates.DefineUpdate(shared);
    EXPECT_TRUE(Drain().empty());
    mTemplates.CallUpdate(first);
    mTemplates.CallUpdate(first);
    mTemplates.CallUpdate(second);
    // A call leaves nothing behind but errors; what a function returns is dropped.
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(Eval("Robots.Obj1lua.n"), "2");
    EXPECT_EQ(Eval("Robots.Obj2lua.n"), "1");
    // Objects whose handles name nothing are nil in Lua, not made-up objects.
    EXPECT_EQ(Eval("Robots.Obj1 == nil and 'nil' or 'object'"), "nil");

    shared.mUpdateText.clear();
    mTemplates.DefineUpdate(shared);
    mTemplates.CallUpdate(first);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(Eval("Robots.Pre1.Update == nil and 'nil' or 'function'"), "nil");
    EXPECT_EQ(Eval("Robots.Obj1lua.n"), "2");

    mTemplates.DeclareObject(unnamedA, 0, "Robot", "x");  // declared already
    ObjectScript noHandle, unknownKind;
    mTemplates.DeclareObject(noHandle, 0, "Robot", "x");
    mTemplates.DeclareObject(unknownKind, 5, "Lamp", "x");
    EXPECT_FALSE(noHandle.mDeclared);
    EXPECT_FALSE(unknownKind.mDeclared);
    EXPECT_EQ(GetBuildScriptText(unknownKind), "");
}

TEST_F(TemplatesTest, BrokenScriptsReportAndKeepThePreviousFunction)
{
    ObjectScript slot;
    mTemplates.DeclareObject(slot, 21, "Robot", "walker");
    ScriptBinding& binding = *slot.mBinding;
    binding.mBuildText = "mobj.built = 'yes'";
    mTemplates.DefineBuild(binding);
    binding.mBuildText = "return (";
    mTemplates.DefineBuild(binding);
    std::vector<std::string> left = Drain();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_NE(left[0].find("Robots.Pre1.Build = function(robot,mobj)"), std::string::npos) << left[0];

    mTemplates.CallBuild(slot);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(Eval("Robots.Obj1lua.built"), "yes");
    EXPECT_EQ(GetBuildScriptText(slot), "return (");

    // An error inside the function aborts that call only.
    binding.mUpdateText = "mobj.calls = (mobj.calls or 0) + 1; if mobj.calls == 1 then error_here() end";
    mTemplates.DefineUpdate(binding);
    mTemplates.CallUpdate(slot);
    left = Drain();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_NE(left[0].find("attempt to call"), std::string::npos);
    mTemplates.CallUpdate(slot);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(Eval("Robots.Obj1lua.calls"), "2");
}

// A Build and Update pair through the templates drives a toy of a stepped
// world: Build pushes the joint's first toy sideways once, Update keeps its
// motor running and counts steps in the object's own state.
TEST_F(TemplatesTest, BuildAndUpdateDriveAToyInASteppedWorld)
{
    Scene scene;
    ASSERT_TRUE(Scenes::MakeWalledWorld(scene, RectF(-1000, -1000, 1000, 200)));
    Toy* a = Scenes::AddBoxToy(scene, VectorF(60, 60), VectorF(0, 100));
    Toy* b = Scenes::AddBoxToy(scene, VectorF(60, 60), VectorF(70, 100));
    ASSERT_TRUE(a && b);
    Joint* joint = Scenes::JoinToys(scene, a, b, VectorF(35, 100));
    ASSERT_NE(joint, nullptr);
    scene.mStepLength = 1.0f / 210.0f;
    for (Toy* toy : scene.mToys) {
        toy->mStepLength = scene.mStepLength;
        toy->mInverseStepLength = 210.0f;
        toy->mHalfStepLengthSquared = 0.5f * scene.mStepLength * scene.mStepLength;
    }
    joint->mStepLength = scene.mStepLength;

    ObjectScript slot;
    mTemplates.DeclareObject(slot, joint->mScriptHandle.Get(joint), "Joint", "pusher");
    ASSERT_TRUE(slot.mDeclared);
    EXPECT_TRUE(Drain().empty());
    slot.mBinding->mBuildText = "joint:GetToyA():SetVelocity(VectorF(-300, 0)); mobj.steps = 0";
    slot.mBinding->mUpdateText =
        "mobj.steps = mobj.steps + 1; joint:SetMotor(true, 5000, 4); "
        "mobj.x = joint:GetToyA():GetPosition().mX";
    mTemplates.DefineBuild(*slot.mBinding);
    mTemplates.DefineUpdate(*slot.mBinding);
    mTemplates.CallBuild(slot);
    EXPECT_TRUE(Drain().empty());
    EXPECT_FLOAT_EQ(a->GetVelocity().mX, -300.0f);

    GameSettings settings;
    for (int32_t step = 0; step < 100; ++step) {
        PhysicsStep(scene, settings);
        mTemplates.CallUpdate(slot);
    }
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(Eval("Joints.Obj1lua.steps"), "100");
    EXPECT_LT(std::stof(Eval("Joints.Obj1lua.x")), -20.0f);  // pushed left, and the script saw where it went
    EXPECT_FLOAT_EQ(std::stof(Eval("Joints.Obj1lua.x")), a->GetPosition().mX);
    EXPECT_TRUE(joint->GetMotorEnabled());
    EXPECT_EQ(mTemplates.FindOrCreateScriptBinding("Joint", "pusher"), slot.mBinding);
}
