#pragma once
#include <cstdint>

namespace KIV {

class Robot;

// How robots reach their Build and Update scripts. The script host lives
// above the robots, so the game hands one of these to its robot lists.
class RobotScripting {
public:
    virtual ~RobotScripting() = default;
    // A robot built afresh: declared to the scripts once, with its
    // definition's Build and Update texts as the functions of its kind.
    virtual void Declare(Robot& robot) = 0;
    // Runs the robot's Build function; what it leaves goes to the results.
    virtual void RunBuild(Robot& robot) = 0;
    // Runs the robot's Update function, after the physics of a step.
    virtual void RunUpdate(Robot& robot) = 0;
    // The robot goes: its script entries go with it.
    virtual void Forget(Robot& robot) = 0;
};

} // namespace KIV
