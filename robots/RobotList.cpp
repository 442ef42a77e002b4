#include "robots/RobotList.h"
#include "base/FileUtils.h"
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"
#include "robots/RobotBuild.h"
#include "robots/RobotFiles.h"

namespace KIV {

namespace {

// A robot's toy broken or removed by the physics leaves the robot too.
void ForgetRobotToy(Toy& toy)
{
    if (toy.mOwningRobot) toy.mOwningRobot->RemoveToy(&toy);
}

// A robot's particle system joins its list as the scene creates it, and
// leaves it when the scene removes it.
void LinkRobotParticles(Robot& robot, ParticleSystem& system, bool join)
{
    if (join) robot.AddParticleSystem(&system);
    else robot.RemoveParticleSystem(&system);
}

} // namespace

RobotList::RobotList(Scene& scene) : mScene(scene), mRobots(8), mDataRoot(GetDataRootDirectory())
{
    mScene.mToyLeavingHook = &ForgetRobotToy;
    mScene.mParticleRobotHook = &LinkRobotParticles;
}

RobotList::~RobotList() { RemoveAll(); }

Robot* RobotList::AddRobot(const std::string& fileName, const VectorF& offset)
{
    if (mRobots.Count() >= kMaxRobots) return nullptr;
    Robot* robot = mRobots.AppendNew();
    if (!robot) return nullptr;
    robot->SetDataRoot(mDataRoot);
    if (!fileName.empty()) {
        RobotBuildOptions at;
        at.mOffset = offset;
        LoadRobotFile(*robot, fileName, [&](Robot& r) { BuildRobot(mScene, &r, at); });
    }
    return robot;
}

bool RobotList::RemoveRobot(Robot* robot)
{
    const int32_t index = mRobots.IndexOf(robot);
    if (!robot || index < 0) return false;
    for (int32_t i = robot->GetToyCount() - 1; i >= 0; --i) {
        Toy* toy = robot->GetToy(i);
        robot->RemoveToy(toy);
        mScene.RemoveToy(toy);
    }
    for (int32_t i = robot->GetJointCount() - 1; i >= 0; --i) {
        Joint* joint = robot->GetJoint(i);
        robot->RemoveJoint(joint);
        mScene.DeleteJoint(mScene.mJoints, joint);
    }
    return mRobots.DeleteAt(index);
}

void RobotList::RemoveAll()
{
    while (mRobots.Count() > 0) RemoveRobot(mRobots[mRobots.Count() - 1]);
}

} // namespace KIV
