// Frames per second of the real game at 1024 x 576 with no edit window, one
// (the help page), the nine the game shows at most (one mode page, as the
// mode pages share their place, and the eight others) and all nineteen forced
// on, over the running default scene: each
// iteration is one pass of the game's main loop, events to rendered frame,
// with the pages' HTML views running beside it. Needs an X display (run
// under xvfb-run); reads the runnable tree the build lays out.
#include <benchmark/benchmark.h>
#include <SDL/SDL.h>
#include <chrono>
#include <memory>
#include "base/Platform.h"
#include "base/Statistics.h"
#include "game/KIVGame.h"
#include "game/ScenePass.h"
#include "render/ImageFile.h"
#include "render/Renderer.h"
#include "render/TextureLib.h"
#include "script/ScriptHost.h"
#include "script/ScriptTemplates.h"

using namespace KIV;

namespace {

// The game as its program starts it, once per run: SDL, GL and GTK start
// once per process.
struct RunningGame {
    RunningGame()
    {
        gImageFiles = new ImageFileRegistry;
        const std::string root = FromOsPath(std::string(KIV_RUNTREE_DIR) + "/");
        SetTexturesDirectory(root + "Textures/");
        new Statistics;
        mGame = new KIVGame;
        new ScriptTemplates(*new ScriptHost);
        mGame->mTextureLib = new TextureLib(root + "Textures");
        new Renderer;
        mGame->mDataRoot = root;
        mOk = mGame->StartUp();
        if (!mOk) return;
        mScene = std::make_unique<ScenePass>(*mGame);
        // The first pass starts the pages; the figures start once all are in.
        RunFor(0.1);
        EditWindowManager& windows = mGame->mEditWindows;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        for (int32_t i = 0; i < windows.GetWindowCount() && std::chrono::steady_clock::now() < end; ++i)
            while (!windows.GetWindow(i)->IsNative() && windows.GetWindow(i)->GetView() &&
                   !windows.GetWindow(i)->IsPageLoaded() && std::chrono::steady_clock::now() < end)
                mGame->RunMainLoopPass(*mScene);
    }
    void RunFor(double seconds)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) mGame->RunMainLoopPass(*mScene);
    }
    KIVGame* mGame = nullptr;
    std::unique_ptr<ScenePass> mScene;
    bool mOk = false;
};

RunningGame& Game()
{
    static RunningGame* game = new RunningGame;
    return *game;
}

constexpr int32_t kAtMost = 1 + EditWindowManager::kWindowCount - EditWindowManager::kModePageCount;

void BM_GameFrameWithWindows(benchmark::State& state)
{
    RunningGame& g = Game();
    if (!g.mOk) {
        state.SkipWithError("no game window: run under xvfb-run");
        return;
    }
    EditWindowManager& windows = g.mGame->mEditWindows;
    const int32_t shown = static_cast<int32_t>(state.range(0));
    for (int32_t i = 0; i < windows.GetWindowCount(); ++i) {
        EditWindow& w = *windows.GetWindow(i);
        const bool modePage = i < EditWindowManager::kModePageCount;
        const bool wanted = shown >= windows.GetWindowCount() || (shown == 1 && i == EditWindowManager::kHelpIndex) ||
                            (shown == kAtMost && (!modePage || i == 0));
        if (wanted && !w.IsVisible()) w.Show();
        if (!wanted && w.IsVisible()) w.Hide(false);
    }
    // The shown pages draw into their textures before the figures start.
    g.RunFor(1.0);
    for (auto _ : state) g.mGame->RunMainLoopPass(*g.mScene);
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["pages_loaded"] = [&] {
        int32_t loaded = 0;
        for (int32_t i = 0; i < windows.GetWindowCount(); ++i) loaded += windows.GetWindow(i)->IsPageLoaded();
        return double(loaded);
    }();
}
BENCHMARK(BM_GameFrameWithWindows)
    ->ArgName("windows")
    ->Arg(0)
    ->Arg(1)
    ->Arg(kAtMost)
    ->Arg(EditWindowManager::kWindowCount)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
