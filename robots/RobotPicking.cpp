#include "robots/RobotPicking.h"
#include "physics/geometry/TracedGeometry.h"
#include "physics/joints/Joint.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "robots/Robot.h"

namespace KIV {

namespace {

// Walks from start - 1 backwards with wrap-around, then start itself; `hit` decides.
template <typename Hit>
int32_t PickFrom(int32_t count, int32_t start, Hit hit)
{
    if (start >= 0 && start < count) {
        for (int32_t step = 1; step < count; ++step) {
            const int32_t i = (start - step + count) % count;
            if (hit(i)) return i;
        }
        return start;
    }
    for (int32_t i = count - 1; i >= 0; --i)
        if (hit(i)) return i;
    return -1;
}

} // namespace

bool RobotToyContains(const Toy& toy, const VectorF& point)
{
    return IsPointInPolygon(toy.mOutline.Data(), toy.mOutline.Count(), point);
}

Toy* PickRobotToy(const Robot& robot, int32_t start, const VectorF& point)
{
    const int32_t count = robot.GetToyCount();
    auto hit = [&](int32_t i) { return RobotToyContains(*robot.GetToy(i), point); };
    // A start the point is not on counts as none: the click went elsewhere.
    if (start >= 0 && start < count && !hit(start)) start = -1;
    const int32_t i = PickFrom(count, start, hit);
    return i >= 0 ? robot.GetToy(i) : nullptr;
}

int32_t PickRobotJoint(const Robot& robot, int32_t start, const VectorF& point, float radius)
{
    const float r2 = radius * radius;
    return PickFrom(robot.GetJointCount(), start, [&](int32_t i) {
        return (robot.GetJoint(i)->GetWorldPointA() - point).GetLengthSquared() <= r2;
    });
}

int32_t PickRobotParticles(const Robot& robot, const VectorF& point, float radius)
{
    int32_t best = -1;
    float bestDistance = radius * radius;
    for (int32_t i = 0; i < robot.GetParticleSystemCount(); ++i) {
        const float d = (robot.GetParticleSystem(i)->FollowLink() - point).GetLengthSquared();
        if (d <= bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

int32_t ObjectIndexOfToy(const Robot& robot, const Toy* toy)
{
    if (!toy) return -1;
    for (int32_t i = 0; i < robot.GetObjectsCount(); ++i)
        if (robot.Objects()[i]->mBuiltToyId == toy->mSlotIndex) return i;
    return robot.FindObjectIndexByName(toy->mName);
}

int32_t JointEntryIndexOfJoint(const Robot& robot, int32_t builtJointIndex)
{
    const Joint* joint = robot.GetJoint(builtJointIndex);
    if (!joint) return -1;
    for (int32_t i = 0; i < robot.GetJointsCount(); ++i)
        if (robot.Joints()[i]->mBuiltJointId == joint->mFirstIndex) return i;
    return robot.FindJointIndexByName(joint->mName);
}

int32_t LinkIndexOfParticles(const Robot& robot, int32_t builtSystemIndex)
{
    const ParticleSystem* system = robot.GetParticleSystem(builtSystemIndex);
    if (!system) return -1;
    for (int32_t i = 0; i < robot.GetParticlesCount(); ++i)
        if (robot.ParticleLinks()[i]->mName == system->mName) return i;
    return -1;
}

Toy* ToyOfObject(const Robot& robot, int32_t objectIndex)
{
    if (objectIndex < 0 || objectIndex >= robot.GetObjectsCount()) return nullptr;
    const ObjectDef& o = *robot.Objects()[objectIndex];
    for (int32_t i = robot.GetToyCount() - 1; i >= 0; --i)
        if (robot.GetToy(i)->mSlotIndex == o.mBuiltToyId) return robot.GetToy(i);
    return robot.FindToyByName(o.mName);
}

} // namespace KIV
