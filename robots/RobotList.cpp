#include "robots/RobotList.h"
#include "base/FileUtils.h"
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"
#include "robots/RobotBuild.h"
#include "robots/RobotFiles.h"
#include "robots/RobotScripting.h"

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

RobotList::RobotList(Scene& scene, bool editor)
    : mScene(scene), mEditor(editor), mRobots(8), mDataRoot(GetDataRootDirectory())
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
    // The builder's new robot is the one edited, whether or not its file loads.
    if (mEditor) mRobots.Select(mRobots.Count() - 1);
    if (!fileName.empty() && LoadRobotFile(*robot, fileName, [&](Robot& r) { BuildParts(r, offset); }) &&
        !mEditor && mScripting)
        mScripting->RunBuild(*robot);
    return robot;
}

void RobotList::BuildParts(Robot& robot, const VectorF& offset)
{
    RobotBuildOptions at;
    at.mOffset = offset;
    at.mEditor = mEditor;
    BuildRobot(mScene, &robot, at);
    if (mScripting) mScripting->Declare(robot);
    mRobots.Select(mRobots.IndexOf(&robot));
}

void RobotList::RunUpdateScripts()
{
    if (!mScripting) return;
    // By index: a script may add or remove robots.
    for (int32_t i = 0; i < mRobots.Count(); ++i) mScripting->RunUpdate(*mRobots[i]);
}

bool RobotList::RemoveRobot(Robot* robot)
{
    const int32_t index = mRobots.IndexOf(robot);
    if (!robot || index < 0) return false;
    const Array<Toy*> toys = robot->GetToys();
    const Array<Joint*> joints = robot->GetJoints();
    const Array<ParticleSystem*> systems = robot->GetParticleSystems();
    robot->ReleaseParts();
    DeleteParts(toys, joints, systems);
    if (mScripting) mScripting->Forget(*robot);
    return mRobots.DeleteAt(index);
}

void RobotList::DeleteParts(const Array<Toy*>& toys, const Array<Joint*>& joints,
                            const Array<ParticleSystem*>& systems)
{
    // The emitters first: their toys still stand, so each lets go of its own.
    for (int32_t i = systems.Count() - 1; i >= 0; --i)
        mScene.DeleteParticleSystem(mEditor ? mScene.mEditParticleSystems : mScene.mParticleSystems, systems[i]);
    for (int32_t i = toys.Count() - 1; i >= 0; --i) {
        if (mEditor) mScene.RemoveEditToy(toys[i]);
        else mScene.RemoveToy(toys[i]);
    }
    for (int32_t i = joints.Count() - 1; i >= 0; --i)
        mScene.DeleteJoint(mEditor ? mScene.mEditJoints : mScene.mJoints, joints[i]);
}

bool RobotList::RestoreStep(Robot& robot, bool redo)
{
    // The step lets go of the parts before it rebuilds; they leave the scene then.
    const Array<Toy*> toys = robot.GetToys();
    const Array<Joint*> joints = robot.GetJoints();
    const Array<ParticleSystem*> systems = robot.GetParticleSystems();
    const Robot::Rebuild rebuild = [&](Robot& r) {
        DeleteParts(toys, joints, systems);
        BuildParts(r, VectorF());
    };
    return redo ? robot.ApplyRedo(rebuild) : robot.ApplyUndo(rebuild);
}

void RobotList::RemoveAll()
{
    while (mRobots.Count() > 0) RemoveRobot(mRobots[mRobots.Count() - 1]);
}

} // namespace KIV
