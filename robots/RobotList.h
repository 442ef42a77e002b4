#pragma once
#include <string>
#include "base/Array.h"
#include "base/Vector.h"
#include "robots/Robot.h"

namespace KIV {

class RobotScripting;
class Scene;

// The robots of a scene: each owns its definition and points at its parts in
// the scene's lists. The selected robot is the one the player steers.
class RobotList {
public:
    static constexpr int32_t kMaxRobots = 512;

    // The robot builder's list keeps its robots' parts in the builder's
    // scene lists and runs no Build scripts.
    explicit RobotList(Scene& scene, bool editor = false);
    ~RobotList();
    RobotList(const RobotList&) = delete;
    RobotList& operator=(const RobotList&) = delete;

    // A new robot, loaded from "Robots\" + fileName and built at the offset
    // when a name is given; outside the builder its Build script runs once it
    // stands. A file that cannot be had leaves an empty robot (the player is
    // told). null when the list is full.
    Robot* AddRobot(const std::string& fileName, const VectorF& offset);
    // Builds the robot's parts in this list's scene lists from its definition.
    void BuildParts(Robot& robot, const VectorF& offset);
    // Every robot's Update script, in list order.
    void RunUpdateScripts();
    // Puts the robot's next undo (or redo) step back: its parts are built
    // anew from the step. False when there is no step.
    bool RestoreStep(Robot& robot, bool redo);
    // Removes the robot's toys, joints and particle systems from the scene and deletes it.
    // Scripts that still hold it find nothing from now on.
    bool RemoveRobot(Robot* robot);
    void RemoveAll();

    Robot* GetCurrentRobot() const { return mRobots.GetSelected(); }
    void SelectRobot(const Robot* robot) { mRobots.Select(mRobots.IndexOf(robot)); }
    int32_t GetCount() const { return mRobots.Count(); }
    Robot* Get(int32_t index) const { return index >= 0 && index < mRobots.Count() ? mRobots[index] : nullptr; }
    const PtrArray<Robot>& GetRobots() const { return mRobots; }
    // Where robot files are looked for: the folder above "Robots\".
    void SetDataRoot(const std::string& root) { mDataRoot = root; }
    void SetScripting(RobotScripting* scripting) { mScripting = scripting; }
    bool IsEditor() const { return mEditor; }

private:
    // Takes parts out of this list's scene lists and destroys them.
    void DeleteParts(const Array<Toy*>& toys, const Array<Joint*>& joints, const Array<ParticleSystem*>& systems);

    Scene& mScene;
    bool mEditor;
    RobotScripting* mScripting = nullptr;
    PtrArray<Robot> mRobots;
    std::string mDataRoot;
};

} // namespace KIV
