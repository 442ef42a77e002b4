#pragma once
#include "base/Vector.h"

namespace KIV {

class Robot;
class Scene;

struct RobotBuildOptions {
    // Rebuild a robot that has parts, keeping the identity of every part whose
    // definition entry is still there.
    bool mUpdate = false;
    // With mUpdate: existing toys are only moved, not rebuilt from their pictures.
    bool mKeepPlacement = false;
    // Added to every object's position.
    VectorF mOffset;
    // The robot builder's lists: toys that are shown, not stepped.
    bool mEditor = false;
};

// Builds the robot's toys, joints and particle systems in the scene from its
// own definition: toys from the objects' pictures in definition order, joints
// between them, then every toy placed along the joints from the master
// objects outwards at the definition's current pose angles, and last an
// emitter for every particle-system link, fixed to its toy. Parts that cannot be made (a full
// list, a missing picture, a joint naming no toy) are skipped. False only for
// a null robot.
bool BuildRobot(Scene& scene, Robot* robot, const RobotBuildOptions& options);

} // namespace KIV
