#pragma once

namespace KIV {

class Robot;
class RobotDef;

// The shipped walking robot: a body on four legs of two pieces each, in two
// groups that step in turn, and a gun on its back. Poses "basic" (standing)
// and "walk" to "walk4" (the four phases of a step); its Update script walks
// it with the Left and Right controls, aims the gun where the player aims and
// fires on Shoot.
void FillSpider1(RobotDef& def);

// What the robot's file keeps of its built parts: a machine, not a toy, its
// parts neither dent nor break under the strain of their own joints, never
// collide with each other (the legs overlap the body at the hips), and its
// body keeps itself upright while the robot lives.
void PrepareSpider1Parts(Robot& robot);

} // namespace KIV
