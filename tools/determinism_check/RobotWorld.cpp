#include "tools/determinism_check/RobotWorld.h"
#include <memory>
#include <string>
#include <vector>
#include "base/Platform.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/world/PhysicsStep.h"
#include "physics/world/Scene.h"
#include "render/ImageFile.h"
#include "render/TextureLib.h"
#include "robots/Robot.h"
#include "robots/RobotBuild.h"
#include "robots/RobotFiles.h"
#include "scenes/Scenes.h"
#include "scenes/StepWorlds.h"

namespace KIV::RobotWorld {

namespace {

constexpr float kSpacing = 260.0f;
constexpr float kWall = 40.0f;
constexpr float kHeight = 600.0f;
constexpr int32_t kPhaseSteps = 40;
// Each robot fires once in this many steps, the robots one step apart, so
// shots are in flight among the walking legs all the time.
constexpr int32_t kFireSteps = 40;
const char* const kPhases[4] = {"walk", "walk2", "walk3", "walk4"};

std::string gRoot;
std::unique_ptr<ImageFileRegistry> gImages;
std::unique_ptr<TextureLib> gTextures;
// The robots of the world being stepped. Their parts belong to its scene, which
// goes before the next world is made: the lists are let go without touching them.
std::vector<std::unique_ptr<Robot>> gRobots;
int32_t gStep = 0;

} // namespace

void Drop()
{
    for (auto& robot : gRobots) robot->ClearPartLists();
    gRobots.clear();
}

void SetRunnableTree(const char* root)
{
    gRoot = FromOsPath(root);
    if (!gRoot.empty() && gRoot.back() != '\\') gRoot += '\\';
    SetTexturesDirectory(gRoot + "Textures\\");
    gImages = std::make_unique<ImageFileRegistry>();
    gImageFiles = gImages.get();
    gTextures = std::make_unique<TextureLib>(gRoot + "Textures");
}

bool Make(Scene& scene, int32_t toyCount)
{
    Drop();
    gStep = 0;
    const int32_t count = toyCount / 10 > 0 ? toyCount / 10 : 1;
    const float width = static_cast<float>(count + 2) * kSpacing + 2.0f * kWall;
    if (gRoot.empty() || !Scenes::MakeWalledWorld(scene, RectF(0.0f, 0.0f, width, kHeight), kWall)) return false;
    Scenes::ApplyStepDefaults(scene);
    for (int32_t i = 0; i < count; ++i) {
        auto robot = std::make_unique<Robot>();
        robot->SetDataRoot(gRoot);
        RobotBuildOptions at;
        at.mOffset = VectorF(kWall + kSpacing * (static_cast<float>(i) + 1.0f), kHeight - kWall - 150.0f);
        const bool loaded = LoadRobotFile(*robot, "spider1.robot", [&](Robot& r) { BuildRobot(scene, &r, at); });
        if (!loaded || robot->GetToyCount() == 0) return false;
        // What its Build script does.
        robot->SetAngularSpringPowers("", 3000.0f);
        robot->SetAngularFrictions("", 10.0f);
        robot->SetAngularSpringAnglesByPose("", "basic");
        if (ParticleSystem* gun = robot->GetParticlesByName("gunfire")) {
            gun->TestParticles_Bullets();
            gun->SwitchOFFParticleEmitting();
            gun->SetEmitBoomCountMin(1);
            gun->SetEmitBoomCountMax(2);
            gun->SetStartSpeed(1500.0f);
        }
        gRobots.push_back(std::move(robot));
    }
    Scenes::ApplyStepDefaults(scene);
    return true;
}

void Step(Scene& scene, const GameSettings& settings, int32_t steps)
{
    for (int32_t i = 0; i < steps; ++i, ++gStep) {
        if (gStep % kPhaseSteps == 0) {
            const int32_t phase = (gStep / kPhaseSteps + 1) % 4;
            for (auto& robot : gRobots) {
                robot->FadeAngularSpringAnglesByPose("legA", kPhases[phase], 0.16f);
                robot->FadeAngularSpringAnglesByPose("legB", kPhases[(phase + 2) % 4], 0.16f);
            }
        }
        for (size_t r = 0; r < gRobots.size(); ++r)
            if ((gStep + static_cast<int32_t>(r)) % kFireSteps == 0)
                if (ParticleSystem* gun = gRobots[r]->GetParticlesByName("gunfire")) gun->EmitBoom();
        PhysicsStep(scene, settings);
    }
}

} // namespace KIV::RobotWorld
