#include <gtest/gtest.h>
#include <vector>
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "robots/Robot.h"
#include "robots/RobotBounds.h"

using namespace KIV;

// A robot's frame holds its toys' outlines and each particle system's emitter line,
// with the margin round them; a robot of nothing frames the margin round (0, 0).
TEST(RobotBounds, TheFrameHoldsEveryToyAndEmitterLineWithTheMargin)
{
    struct Emitter {
        VectorF at, line;
    };
    struct Case {
        const char* name;
        std::vector<RectF> toys;
        std::vector<Emitter> emitters;
        RectF expected;
    };
    const Case cases[] = {
        {"nothing", {}, {}, RectF(-15, -15, 15, 15)},
        {"one toy", {RectF(10, 20, 50, 40)}, {}, RectF(-5, 5, 65, 55)},
        {"two toys apart", {RectF(10, 20, 50, 40), RectF(-100, 30, -90, 200)}, {}, RectF(-115, 5, 65, 215)},
        {"an emitter's line beyond the toy", {RectF(0, 0, 10, 10)}, {{{5, 5}, {0, -50}}}, RectF(-15, -60, 25, 25)},
        {"emitters alone", {}, {{{100, 100}, {20, 0}}, {{90, 130}, {0, 0}}}, RectF(75, 85, 135, 145)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Toy> toys(c.toys.size());
        std::vector<ParticleSystem> systems(c.emitters.size());
        Robot robot;
        for (size_t i = 0; i < toys.size(); ++i) {
            const RectF& r = c.toys[i];
            for (VectorF corner : {VectorF(r.x1, r.y1), VectorF(r.x2, r.y1), VectorF(r.x2, r.y2), VectorF(r.x1, r.y2)})
                toys[i].mOutline.PushBack(corner);
            robot.AddToy(&toys[i]);
        }
        for (size_t i = 0; i < systems.size(); ++i) {
            systems[i].SetPositionX(c.emitters[i].at.mX);
            systems[i].SetPositionY(c.emitters[i].at.mY);
            systems[i].SetLineX(c.emitters[i].line.mX);
            systems[i].SetLineY(c.emitters[i].line.mY);
            robot.AddParticleSystem(&systems[i]);
        }
        EXPECT_EQ(GetRobotBounds(robot), c.expected);
        robot.ReleaseParts();
    }
}
