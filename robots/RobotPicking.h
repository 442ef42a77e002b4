#pragma once
#include <cstdint>
#include "base/Vector.h"

namespace KIV {

class Robot;
class Toy;

// What the robot editor's mouse points at on the built robot. Each pick that
// takes a start index walks backwards from it with wrap-around, so clicking
// the same spot again steps through parts that lie on top of each other.

// Whether the point lies inside the toy's outline (as the toy stands now).
bool RobotToyContains(const Toy& toy, const VectorF& point);
// From toy `start` (when that one holds the point) the next earlier toy that
// holds it, else toy `start`; without a valid start the last toy that holds
// it. Null when none does.
Toy* PickRobotToy(const Robot& robot, int32_t start, const VectorF& point);
// The same over the joints, by their world anchor A within the radius; with a
// valid start that index is the answer when no other joint is near. -1 when
// none is near and the start is not valid.
int32_t PickRobotJoint(const Robot& robot, int32_t start, const VectorF& point, float radius);
// The particle system whose emitter point is nearest within the radius (the
// later one on a tie), -1 when none is.
int32_t PickRobotParticles(const Robot& robot, const VectorF& point, float radius);

// The definition entries behind built parts: -1 when the part belongs to none.
int32_t ObjectIndexOfToy(const Robot& robot, const Toy* toy);
int32_t JointEntryIndexOfJoint(const Robot& robot, int32_t builtJointIndex);
int32_t LinkIndexOfParticles(const Robot& robot, int32_t builtSystemIndex);
// The built toy of object i, null when it has none.
Toy* ToyOfObject(const Robot& robot, int32_t objectIndex);

} // namespace KIV
