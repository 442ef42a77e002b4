#pragma once
#include <string>
#include "base/Array.h"
#include "base/Vector.h"
#include "robots/Robot.h"

namespace KIV {

class Scene;

// The robots of a scene: each owns its definition and points at its parts in
// the scene's lists. The selected robot is the one the player steers.
class RobotList {
public:
    static constexpr int32_t kMaxRobots = 512;

    explicit RobotList(Scene& scene);
    ~RobotList();
    RobotList(const RobotList&) = delete;
    RobotList& operator=(const RobotList&) = delete;

    // A new robot, loaded from "Robots\" + fileName and built at the offset
    // when a name is given. A file that cannot be had leaves an empty robot
    // (the player is told). null when the list is full.
    Robot* AddRobot(const std::string& fileName, const VectorF& offset);
    // Removes the robot's toys and joints from the scene and deletes it.
    bool RemoveRobot(Robot* robot);
    void RemoveAll();

    Robot* GetCurrentRobot() const { return mRobots.GetSelected(); }
    void SelectRobot(const Robot* robot) { mRobots.Select(mRobots.IndexOf(robot)); }
    int32_t GetCount() const { return mRobots.Count(); }
    Robot* Get(int32_t index) const { return index >= 0 && index < mRobots.Count() ? mRobots[index] : nullptr; }
    const PtrArray<Robot>& GetRobots() const { return mRobots; }
    // Where robot files are looked for: the folder above "Robots\".
    void SetDataRoot(const std::string& root) { mDataRoot = root; }

private:
    Scene& mScene;
    PtrArray<Robot> mRobots;
    std::string mDataRoot;
};

} // namespace KIV
