#include <gtest/gtest.h>
#include <memory>
#include "physics/joints/Joint.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"
#include "render/TextureLib.h"
#include "robots/Robot.h"
#include "robots/RobotBuild.h"
#include "robots/RobotFiles.h"
#include "robots/RobotList.h"
#include "support/PictureFolder.h"

using namespace KIV;

namespace {

// A leg: a master body, a thigh on the hip and a shin on the knee.
class RobotBuildTest : public PictureFolderTest {
protected:
    void SetUp() override
    {
        PictureFolderTest::SetUp();
        TestPicture block(40, 20);
        block.FillRect(2, 2, 38, 18, 200, 120, 40);
        Write("Robots\\block.png", block);
        mLib = std::make_unique<TextureLib>(Root());
        scene.mStepLength = 1.0f / 210.0f;

        for (const char* name : {"body", "thigh", "shin"}) {
            robot.AddObject();
            robot.ObjectSetName(name);
            robot.Objects().GetSelected()->mTexture = "Robots\\block.png";
        }
        robot.SelectObject(0);
        robot.ObjectSetMaster(true);
        AddJoint("hip", "body", {15, 0}, "thigh", {-15, 0}, 0.5f);
        AddJoint("knee", "thigh", {15, 0}, "shin", {-15, 0}, -0.25f);
    }
    void TearDown() override
    {
        robot.ReleaseParts();
        scene.DeleteAllToys();
        mLib.reset();
        PictureFolderTest::TearDown();
    }
    void AddJoint(const char* name, const char* a, VectorF anchorA, const char* b, VectorF anchorB, float angle)
    {
        robot.AddJoint();
        robot.JointSetName(name);
        robot.JointSetObjAName(a);
        robot.JointSetObjBName(b);
        robot.JointSetObjAByPic(false);
        robot.JointSetObjBByPic(false);
        robot.JointSetObjAPosX(anchorA.mX);
        robot.JointSetObjAPosY(anchorA.mY);
        robot.JointSetObjBPosX(anchorB.mX);
        robot.JointSetObjBPosY(anchorB.mY);
        robot.JointSetAngle(angle);
    }
    void AddLink(const char* name, const char* toy, VectorF at, float direction)
    {
        robot.AddParticles();
        robot.ParticlesSetName(name);
        robot.ParticlesSetLinkObjName(toy);
        robot.ParticlesSetLinkObjPosX(at.mX);
        robot.ParticlesSetLinkObjPosY(at.mY);
        robot.ParticlesSetLinkObjOrientation(direction);
    }
    static VectorF WorldB(const Joint& j) { return j.GetToyB()->LocalToWorld(j.GetPointB()); }

    std::unique_ptr<TextureLib> mLib;
    Scene scene;
    Robot robot;
};

} // namespace

TEST_F(RobotBuildTest, PartsAreBuiltInOrderAndPlacedAlongTheJointsAtTheirAngles)
{
    robot.SetStartDead(false);
    RobotBuildOptions at;
    at.mOffset = {100, 50};
    ASSERT_TRUE(BuildRobot(scene, &robot, at));
    ASSERT_EQ(robot.GetToyCount(), 3);
    ASSERT_EQ(robot.GetJointCount(), 2);
    EXPECT_EQ(robot.GetToy(0)->GetName(), FastName("body"));
    EXPECT_EQ(robot.GetToy(2)->GetName(), FastName("shin"));
    EXPECT_EQ(robot.GetToy(0)->GetPosition(), VectorF(100, 50));
    EXPECT_FALSE(robot.IsDead());
    for (int i = 0; i < 2; ++i) {
        const Joint& j = *robot.GetJoint(i);
        const VectorF a = j.GetWorldPointA(), b = WorldB(j);
        EXPECT_NEAR(a.mX, b.mX, 1e-3) << i;
        EXPECT_NEAR(a.mY, b.mY, 1e-3) << i;
        EXPECT_EQ(j.mRobot, &robot);
    }
    EXPECT_NEAR(robot.GetToy(1)->GetOrientation(), 0.5f, 1e-6);
    EXPECT_NEAR(robot.GetToy(2)->GetOrientation(), 0.25f, 1e-6);
    // The jointed objects took their placement back into the definition.
    EXPECT_NEAR(robot.Objects()[2]->mOrientation, 0.25f, 1e-6);
}

TEST_F(RobotBuildTest, AnUpdateRemovesOnlyWhatTheDefinitionLost)
{
    ASSERT_TRUE(BuildRobot(scene, &robot, {}));
    Toy* body = robot.GetToy(0);
    Toy* thigh = robot.GetToy(1);
    robot.SelectObject(2);
    robot.DeleteSelectedObject();
    robot.SelectJoint(1);
    robot.DeleteSelectedJoint();
    RobotBuildOptions update;
    update.mUpdate = true;
    ASSERT_TRUE(BuildRobot(scene, &robot, update));
    ASSERT_EQ(robot.GetToyCount(), 2);
    EXPECT_EQ(robot.GetToy(0), body);
    EXPECT_EQ(robot.GetToy(1), thigh);
    EXPECT_EQ(robot.GetJointCount(), 1);
    EXPECT_EQ(scene.GetToys().Count(), 2);
}

TEST_F(RobotBuildTest, JointsNamingNoToyAreSkippedAndGearsMoveNothing)
{
    robot.SelectJoint(0);
    robot.JointSetObjAName("nobody");
    robot.SelectJoint(1);
    robot.JointSetGearJoint(true);
    ASSERT_TRUE(BuildRobot(scene, &robot, {}));
    EXPECT_EQ(robot.GetJointCount(), 1) << "the hip names no toy";
    EXPECT_EQ(robot.GetToy(2)->GetOrientation(), 0.0f) << "a gear does not place the toy at its other end";

    Robot empty;
    EXPECT_TRUE(BuildRobot(scene, &empty, {}));
    EXPECT_EQ(empty.GetToyCount(), 0);
    EXPECT_FALSE(BuildRobot(scene, nullptr, {}));
}

TEST_F(RobotBuildTest, RobotsComeFromTheirFilesAndLeaveWithTheirParts)
{
    TempFolder data;
    robot.SetDataRoot(data.Path());
    robot.SetName("leg");
    AddLink("exhaust", "body", {-15, 0}, 0.0f);
    ASSERT_TRUE(SaveRobotFile(robot));

    RobotList robots(scene);
    robots.SetDataRoot(data.Path());
    Robot* leg = robots.AddRobot("leg.robot", {300, 40});
    ASSERT_NE(leg, nullptr);
    ASSERT_EQ(leg->GetToyCount(), 3);
    EXPECT_EQ(leg->GetToy(0)->GetPosition(), VectorF(300, 40)) << "built at its start position";
    EXPECT_EQ(leg->GetJointCount(), 2);
    EXPECT_EQ(robots.GetCurrentRobot(), leg);

    // A toy the physics takes away (broken, or removed as debris) leaves its robot too.
    Toy* shin = leg->GetToy(2);
    scene.RemoveToy(shin);
    EXPECT_EQ(leg->GetToyCount(), 2);

    const int32_t before = scene.GetToys().Count();
    ASSERT_EQ(leg->GetParticleSystemCount(), 1);
    Toy* body = leg->GetToy(0);
    EXPECT_TRUE(body->mParticleSystems.Contains(leg->GetParticleSystem(0)));
    EXPECT_TRUE(robots.RemoveRobot(leg));
    EXPECT_EQ(scene.GetToys().Count(), before - 2);
    EXPECT_EQ(scene.mParticleSystems.Count(), 0) << "its emitters left with it";
    EXPECT_EQ(scene.mParticleSystems.GetUsedCount(), 0);
    EXPECT_EQ(scene.mJoints.mJoints.Count(), 0);
    EXPECT_EQ(robots.GetCount(), 0);

    Robot* missing = robots.AddRobot("nowhere.robot", {});
    ASSERT_NE(missing, nullptr) << "a missing file leaves an empty robot";
    EXPECT_EQ(missing->GetToyCount(), 0);
}

TEST_F(RobotBuildTest, ParticleLinksBecomeEmittersThatFollowTheirToys)
{
    AddLink("jet", "shin", {10, 0}, 0.5f);
    AddLink("loose", "nobody", {5, 5}, 0.0f);
    struct Case {
        const char* what;
        bool editor;
    };
    for (const Case c : {Case{"scene", false}, Case{"robot builder", true}}) {
        SCOPED_TRACE(c.what);
        Scene world;
        world.mStepLength = scene.mStepLength;
        RobotBuildOptions at;
        at.mOffset = {100, 50};
        at.mEditor = c.editor;
        ASSERT_TRUE(BuildRobot(world, &robot, at));
        const ParticleSystemList& list = c.editor ? world.mEditParticleSystems : world.mParticleSystems;
        const ParticleSystemList& other = c.editor ? world.mParticleSystems : world.mEditParticleSystems;
        ASSERT_EQ(robot.GetParticleSystemCount(), 2);
        EXPECT_EQ(list.Count(), 2);
        EXPECT_EQ(other.Count(), 0);

        ParticleSystem* jet = robot.GetParticlesByName("jet");
        ASSERT_EQ(jet, robot.GetParticleSystem(0)) << "system i belongs to link i";
        EXPECT_EQ(jet->GetRobotLinked(), &robot);
        EXPECT_EQ(robot.ParticleLinks()[0]->mBuiltSystemId, jet->mPoolIndex);
        Toy* shin = robot.GetToyByName("shin");
        ASSERT_TRUE(jet->IsLinkedToToy());
        EXPECT_TRUE(shin->mParticleSystems.Contains(jet));
        EXPECT_EQ(jet->GetPosition(), shin->LocalToWorld({10, 0}));

        // The emitter rides on its toy: a particle starts at the toy's point
        // wherever the toy has gone, and leaves along the link's direction.
        shin->SetPlacement({400, 300}, 1.0f, false);
        jet->SetStartSpeed(100.0f);
        jet->SetScattering(0.0f);
        const int32_t slot = jet->EmitOne();
        ASSERT_GE(slot, 0);
        const VectorF start = shin->LocalToWorld({10, 0});
        EXPECT_NEAR(jet->mPositions[slot].mX, start.mX, 1e-3f);
        EXPECT_NEAR(jet->mPositions[slot].mY, start.mY, 1e-3f);
        const VectorF along = VectorF(100.0f, 0.0f).GetRotatedClockwise(1.5f);
        EXPECT_NEAR(jet->mVelocities[slot].mX, along.mX, 1e-2f);
        EXPECT_NEAR(jet->mVelocities[slot].mY, along.mY, 1e-2f);

        ParticleSystem* loose = robot.GetParticleSystem(1);
        EXPECT_FALSE(loose->IsLinkedToToy()) << "a link naming no toy stays where it is put";
        EXPECT_EQ(loose->GetPosition(), VectorF(105, 55));

        // The next case builds afresh in a world of its own.
        robot.ReleaseParts();
        for (ParticlesDef* l : robot.ParticleLinks()) l->mBuiltSystemId = -1;
        for (ObjectDef* o : robot.Objects()) o->mBuiltToyId = -1;
        for (JointDef* j : robot.Joints()) j->mBuiltJointId = -1;
    }
}

TEST_F(RobotBuildTest, AnUpdateKeepsTheEmittersOfLinksStillThere)
{
    AddLink("left", "body", {-10, 0}, 0.0f);
    AddLink("right", "body", {10, 0}, 0.0f);
    ASSERT_TRUE(BuildRobot(scene, &robot, {}));
    ParticleSystem* right = robot.GetParticleSystem(1);
    robot.SelectParticles(0);
    robot.DeleteSelectedParticles();
    RobotBuildOptions update;
    update.mUpdate = true;
    ASSERT_TRUE(BuildRobot(scene, &robot, update));
    ASSERT_EQ(robot.GetParticleSystemCount(), 1);
    EXPECT_EQ(robot.GetParticleSystem(0), right);
    EXPECT_EQ(scene.mParticleSystems.Count(), 1);
    EXPECT_EQ(robot.GetToyByName("body")->mParticleSystems.Count(), 1) << "the stale emitter left its toy";
    // Moving the link takes the same emitter along.
    robot.ParticlesSetLinkObjName("shin");
    ASSERT_TRUE(BuildRobot(scene, &robot, update));
    EXPECT_EQ(robot.GetParticleSystem(0), right);
    EXPECT_EQ(robot.GetToyByName("body")->mParticleSystems.Count(), 0);
    EXPECT_TRUE(robot.GetToyByName("shin")->mParticleSystems.Contains(right));
}

TEST_F(RobotBuildTest, AGunFiresFromItsToy)
{
    AddLink("gun", "shin", {20, 0}, 0.0f);
    ASSERT_TRUE(BuildRobot(scene, &robot, {}));
    ParticleSystem* gun = robot.GetParticlesByName("gun");
    ASSERT_NE(gun, nullptr);
    gun->SwitchOFFParticleEmitting();
    gun->SetEmitBoomCountMin(3);
    gun->SetEmitBoomCountMax(3);
    scene.UpdateParticleSystems(false);
    EXPECT_EQ(gun->GetParticleCount(), 0) << "a gun that is not fired stays quiet";
    gun->EmitBoom();
    scene.UpdateParticleSystems(false);
    ASSERT_EQ(gun->GetParticleCount(), 3);
    const VectorF muzzle = robot.GetToyByName("shin")->LocalToWorld({20, 0});
    for (int32_t slot = gun->GetMovingHead(); slot >= 0; slot = gun->GetLink(slot).mNext)
        EXPECT_LT(VectorF::GetDistance(gun->mPositions[slot], muzzle), 60.0f) << slot;
    // SetDead stops the robot's emitters.
    gun->SwitchONParticleEmitting();
    robot.SetDead();
    EXPECT_FALSE(gun->GetParticleEmitting());
}
