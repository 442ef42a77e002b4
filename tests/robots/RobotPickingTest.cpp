#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include "physics/particles/ParticleSystem.h"
#include "robots/Robot.h"
#include "robots/RobotPicking.h"

using namespace KIV;

TEST(RobotPicking, TheNearestEmitterWithinTheRadiusAndTheLaterOneOnATie)
{
    Robot robot;
    std::vector<std::unique_ptr<ParticleSystem>> systems;
    for (float x : {0.0f, 10.0f, 10.0f, 30.0f}) {
        systems.push_back(std::make_unique<ParticleSystem>());
        systems.back()->SetPositionX(x);
        robot.AddParticleSystem(systems.back().get());
        robot.RobotDef::AddParticles();
    }
    for (int32_t i = 0; i < robot.GetParticlesCount(); ++i) {
        robot.SelectParticles(i);
        robot.ParticlesSetName("jet" + std::to_string(i));
        systems[static_cast<size_t>(i)]->SetName("jet" + std::to_string(i));
    }
    const struct {
        float x;
        int32_t picked;
    } cases[] = {{1, 0}, {5, 2}, {9, 2}, {19, -1}, {22, 3}, {-9, -1}, {45, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(PickRobotParticles(robot, {c.x, 0}, 8.0f), c.picked) << c.x;
        EXPECT_EQ(LinkIndexOfParticles(robot, c.picked), c.picked) << "each system is found by its link's name";
    }
    robot.ReleaseParts();
}
