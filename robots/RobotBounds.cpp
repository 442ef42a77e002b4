#include "robots/RobotBounds.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "robots/Robot.h"

namespace KIV {

RectF GetRobotBounds(const Robot& robot)
{
    RectF bounds;
    bool started = false;
    auto include = [&](const RectF& r) {
        if (started) bounds.Include(r);
        else bounds = r;
        started = true;
    };
    // From the outlines themselves: a toy's own box is refreshed only where it is stepped or drawn.
    for (const Toy* toy : robot.GetToys())
        for (const VectorF& p : toy->mOutline) include(RectF(p.mX, p.mY, p.mX, p.mY));
    for (int32_t i = 0; i < robot.GetParticleSystemCount(); ++i) {
        const ParticleSystem& system = *robot.GetParticleSystem(i);
        // Measured where the link puts the emitter, without moving it: a photo changes nothing.
        const VectorF at = system.GetLinkedPosition();
        include(RectF(at.mX, at.mY, at.mX, at.mY));
        bounds.IncludePoint(at + system.GetLine());
        if (system.GetParticleCount() > 0) bounds.Include(system.mBounds);
    }
    return RectF(bounds.x1 - kRobotBoundsMargin, bounds.y1 - kRobotBoundsMargin, bounds.x2 + kRobotBoundsMargin,
                 bounds.y2 + kRobotBoundsMargin);
}

} // namespace KIV
