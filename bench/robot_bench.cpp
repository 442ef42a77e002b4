// The cost of live robots: one step of the default scene filled with the
// shipped walking robot, every one of them walking right, with their Update
// scripts and without them (the difference is the scripts' share of the
// step). Reads the runnable tree the build lays out; writes nothing.
#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include "base/Platform.h"
#include "game/KIVGame.h"
#include "game/ScriptAPI.h"
#include "physics/world/GameSettings.h"
#include "render/ImageFile.h"
#include "render/TextureLib.h"
#include "robots/RobotScripting.h"
#include "script/ScriptHost.h"
#include "script/ScriptTemplates.h"

using namespace KIV;

namespace {

struct RobotSceneGame {
    explicit RobotSceneGame(int32_t robots)
    {
        gImageFiles = &registry;
        SetTexturesDirectory(FromOsPath(std::string(KIV_RUNTREE_DIR) + "/Textures/"));
        textures = std::make_unique<TextureLib>(FromOsPath(std::string(KIV_RUNTREE_DIR) + "/Textures"));
        game = std::make_unique<KIVGame>();
        game->mTextureLib = textures.get();
        game->mDataRoot = FromOsPath(std::string(KIV_RUNTREE_DIR) + "/");
        host.InitScriptVM(&RegisterScriptAPI);
        game->StartRobotScripting();
        game->LoadStartUpContent();
        // Side by side along the ground, closer than their width: a crowd that jostles.
        for (int32_t i = 1; i < robots; ++i)
            if (!game->mRobots.AddRobot("spider1.robot", VectorF(-7000.0f + 70.0f * float(i), 1300.0f))) break;
        // Every robot hears Right held (each keeps the controls it was given last).
        InputFrame walking;
        walking.mD.mIsDown = 1;
        uint8_t bytes[sizeof(InputFrame)];
        std::memcpy(bytes, &walking, sizeof(bytes));
        for (Robot* robot : game->mRobots.GetRobots()) robot->ApplyControls(bytes);
        game->mInputFrame = walking;
    }
    ~RobotSceneGame()
    {
        game.reset();
        textures.reset();
        gImageFiles = saved;
    }
    ImageFileRegistry registry;
    ImageFileRegistry* saved = gImageFiles;
    ScriptHost host;
    ScriptTemplates templates{host};
    std::unique_ptr<TextureLib> textures;
    std::unique_ptr<KIVGame> game;
};

void BM_RobotSceneStep(benchmark::State& state)
{
    const bool scripts = state.range(1) != 0;
    gSettings->mParallelismEnabled = 1;
    RobotSceneGame g(int32_t(state.range(0)));
    KIVGame& game = *g.game;
    if (game.mRobots.GetCount() == 0 || game.mRobots.Get(0)->GetToyCount() == 0) {
        state.SkipWithError("no robot: build the content first");
        return;
    }
    if (!scripts) game.mRobots.SetScripting(nullptr);
    for (auto _ : state) game.SimulateStep();
    state.counters["robots"] = double(game.mRobots.GetCount());
    state.counters["toys"] = double(game.GetToyCount());
    game.mRobots.SetScripting(game.mRobotScripting.get());
}
// 202 robots of ten toys fill the toy table beside the default toys.
BENCHMARK(BM_RobotSceneStep)
    ->ArgsProduct({{1, 64, 202}, {0, 1}})
    ->ArgNames({"robots", "scripts"})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
