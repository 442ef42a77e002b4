#include <gtest/gtest.h>
#include <memory>
#include "physics/joints/Joint.h"
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
    EXPECT_TRUE(robots.RemoveRobot(leg));
    EXPECT_EQ(scene.GetToys().Count(), before - 2);
    EXPECT_EQ(scene.mJoints.mJoints.Count(), 0);
    EXPECT_EQ(robots.GetCount(), 0);

    Robot* missing = robots.AddRobot("nowhere.robot", {});
    ASSERT_NE(missing, nullptr) << "a missing file leaves an empty robot";
    EXPECT_EQ(missing->GetToyCount(), 0);
}
