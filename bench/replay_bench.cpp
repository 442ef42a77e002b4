// The cost of recording a run: one step of the default scene (the shipped
// scene file and the twelve default toys) with the input recorded and without,
// and the check sample taken every 100 steps. Reads the runnable tree the
// build lays out; writes nothing.
#include <benchmark/benchmark.h>
#include <memory>
#include "base/Platform.h"
#include "game/KIVGame.h"
#include "physics/world/GameSettings.h"
#include "render/ImageFile.h"
#include "render/TextureLib.h"

using namespace KIV;

namespace {

struct DefaultSceneGame {
    DefaultSceneGame()
    {
        // A registry of its own, as the game's start-up makes one.
        gImageFiles = &registry;
        SetTexturesDirectory(FromOsPath(std::string(KIV_RUNTREE_DIR) + "/Textures/"));
        textures = std::make_unique<TextureLib>(FromOsPath(std::string(KIV_RUNTREE_DIR) + "/Textures"));
        game = std::make_unique<KIVGame>();
        game->mTextureLib = textures.get();
        game->mDataRoot = FromOsPath(std::string(KIV_RUNTREE_DIR) + "/");
        game->LoadStartUpContent();
    }
    ImageFileRegistry registry;
    ImageFileRegistry* saved = gImageFiles;
    std::unique_ptr<TextureLib> textures;
    std::unique_ptr<KIVGame> game;
    ~DefaultSceneGame()
    {
        game.reset();
        textures.reset();
        gImageFiles = saved;
    }
};

// Steps of one long run, the player's mouse moving so each frame differs.
void BM_DefaultSceneStep(benchmark::State& state)
{
    const bool recording = state.range(0) != 0;
    gSettings->mParallelismEnabled = state.range(1) != 0;
    DefaultSceneGame g;
    KIVGame& game = *g.game;
    if (game.GetToyCount() == 0) {
        state.SkipWithError("no default toys: build the content first");
        return;
    }
    int32_t i = 0;
    for (auto _ : state) {
        game.mRecording = recording;
        game.mInputFrame.mMouseWorldX = float(i++ % 1000);
        game.SimulateStep();
    }
    state.counters["recorded_MB"] = double(game.mRecordedFrames.GetReservedBytes()) / 1e6;
    state.counters["bytes_per_step"] =
        recording ? double(game.mRecordedFrames.Count() * int64_t(sizeof(InputFrame))) / double(i) : 0.0;
}
BENCHMARK(BM_DefaultSceneStep)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"recording", "parallel"})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
