// Frames per second of the real game at 1024 x 576 with no edit window, one
// (the help page), the nine the game shows at most (one mode page, as the
// mode pages share their place, and the eight others) and all nineteen forced
// on, over the running default scene: each
// iteration is one pass of the game's main loop, events to rendered frame,
// with the pages' HTML views running beside it. Also the time from opening a
// page afresh, and the scene's page as soon as the game is up, to its first
// frame in the game window, and the frame rate while
// a key a frame is typed into the Lua console. Each figure comes with the
// machine's load average (load1), which the wall times depend on. Needs an X
// display (run under xvfb-run); reads the runnable tree the build lays out.
#include <benchmark/benchmark.h>
#include <SDL/SDL.h>
#include <chrono>
#include <ctime>
#include <cstdlib>
#include <fstream>
#include <string>
#include <memory>
#include "base/Platform.h"
#include "base/Statistics.h"
#include "editor/PageBridge.h"
#include "game/KIVGame.h"
#include "game/PageMethods.h"
#include "game/ScenePass.h"
#include "render/ImageFile.h"
#include "render/Renderer.h"
#include "render/TextureLib.h"
#include "script/ScriptHost.h"
#include "script/ScriptTemplates.h"

using namespace KIV;

namespace {

// Whether the page's pixels have reached the window's texture: the texture is
// emptied before the page opens, and any pixel of a page is opaque.
bool TextureHoldsPage(EditWindow& w)
{
    const Array<uint32_t>& pixels = w.GetContentTexture().mOwnPixels;
    for (int32_t i = 0; i < pixels.Count(); i += 97)
        if (pixels[i] != 0) return true;
    return false;
}

void EmptyTexture(EditWindow& w)
{
    Array<uint32_t>& pixels = w.GetContentTexture().mOwnPixels;
    for (int32_t i = 0; i < pixels.Count(); ++i) pixels[i] = 0;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The main thread's processor time: the game's own start is measured by what
// it costs the thread that draws the frames, which a loaded machine disturbs
// far less than the wall clock.
double ThreadMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

// The game as its program starts it, once per run: SDL, GL and GTK start
// once per process. The player opens the scene's page (F2) as soon as the
// first frame is up: the time to its first frame is the first opening of
// all, taken here since it happens once per process.
struct RunningGame {
    RunningGame()
    {
        const auto started = std::chrono::steady_clock::now();
        const double cpuStarted = ThreadMilliseconds();
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
        mGame->RunMainLoopPass(*mScene);
        mStartCpuMs = ThreadMilliseconds() - cpuStarted;
        const auto opened = std::chrono::steady_clock::now();
        if (EditWindow* scenePage = mGame->mEditWindows.GetWindow(0); scenePage && scenePage->GetView()) {
            EmptyTexture(*scenePage);
            scenePage->Show();
            while (!TextureHoldsPage(*scenePage) && Seconds(opened) < 60.0) mGame->RunMainLoopPass(*mScene);
            mOpenAtStartS = Seconds(opened);
            mStartToPageS = Seconds(started);
            scenePage->Hide(false);
        }
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
    double mStartCpuMs = 0.0;   // the program's start and first frame, on the main thread
    double mOpenAtStartS = 0.0; // the scene's page opened at the first frame, to its first frame
    double mStartToPageS = 0.0; // the program's start to that page's first frame
};

RunningGame& Game()
{
    static RunningGame* game = new RunningGame;
    return *game;
}

double LoadAverage()
{
    double load = -1.0;
    std::ifstream("/proc/loadavg") >> load;
    return load;
}

// The running game, or none (the benchmark skipped) without a display.
RunningGame* GameOrSkip(benchmark::State& state)
{
    RunningGame& g = Game();
    if (g.mOk) return &g;
    state.SkipWithError("no game window: run under xvfb-run");
    return nullptr;
}

void HideAll(EditWindowManager& windows)
{
    for (int32_t i = 0; i < windows.GetWindowCount(); ++i)
        if (windows.GetWindow(i)->IsVisible()) windows.GetWindow(i)->Hide(false);
}

constexpr int32_t kAtMost = 1 + EditWindowManager::kWindowCount - EditWindowManager::kModePageCount;

void BM_GameFrameWithWindows(benchmark::State& state)
{
    RunningGame* game = GameOrSkip(state);
    if (!game) return;
    RunningGame& g = *game;
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
    state.counters["load1"] = LoadAverage();
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

// The scene's page opened as soon as the game is up (see RunningGame). Goal:
// its first frame within 0.5 s; the game's start costs its main thread the
// same as before the pages' process was started with the window.
void BM_PageOpenedAtStart(benchmark::State& state)
{
    RunningGame* game = GameOrSkip(state);
    if (!game) return;
    for (auto _ : state) state.SetIterationTime(game->mOpenAtStartS);
    state.counters["start_to_page_s"] = game->mStartToPageS;
    state.counters["start_cpu_ms"] = game->mStartCpuMs;
    state.counters["load1"] = LoadAverage();
}
BENCHMARK(BM_PageOpenedAtStart)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// A page opened afresh (its page loaded again, as Ctrl+F3 does, and shown):
// the time until its first frame is in the texture the game draws. Goal: 0.5 s.
void BM_PageFirstFrame(benchmark::State& state)
{
    RunningGame* game = GameOrSkip(state);
    if (!game) return;
    RunningGame& g = *game;
    EditWindowManager& windows = g.mGame->mEditWindows;
    EditWindow& w = *windows.GetWindow(static_cast<int32_t>(state.range(0)));
    HideAll(windows);
    double worst = 0.0;
    double first = -1.0;
    for (auto _ : state) {
        w.Hide(false);
        g.RunFor(0.2);
        EmptyTexture(w);
        const auto start = std::chrono::steady_clock::now();
        w.Reload();
        // A mode page gets its controls from the editor builder once loaded.
        if (state.range(0) < EditWindowManager::kModePageCount) PageMethods::ReloadEdyPages(*g.mGame);
        w.Show();
        const auto end = start + std::chrono::seconds(20);
        while (!TextureHoldsPage(w) && std::chrono::steady_clock::now() < end) g.mGame->RunMainLoopPass(*g.mScene);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        worst = std::max(worst, seconds);
        if (first < 0.0) first = seconds;
        state.SetIterationTime(seconds);
    }
    w.Hide(false);
    state.counters["worst_s"] = worst;
    state.counters["first_s"] = first;
    state.counters["load1"] = LoadAverage();
}
BENCHMARK(BM_PageFirstFrame)
    ->ArgName("window")
    ->Arg(0)                              // the scene's mode page, built from the editor builder
    ->Arg(EditWindowManager::kHelpIndex)  // the help
    ->Arg(13)                             // the Lua console
    ->Arg(17)                             // the robot library
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Typing into the Lua console: one key goes down and up in every pass of the
// main loop, through SDL's queue as the window system hands keys to the game,
// to the console's text box under the mouse. Goal: above 60 frames/s.
void BM_TypingIntoTheLuaConsole(benchmark::State& state)
{
    RunningGame* game = GameOrSkip(state);
    if (!game) return;
    RunningGame& g = *game;
    EditWindowManager& windows = g.mGame->mEditWindows;
    HideAll(windows);
    EditWindow& console = *PageBridge::FirstOfKind(windows, EditWindow::kLuaConsole);
    console.Show();
    windows.FocusWindow(&console);
    g.RunFor(1.0);
    // The mouse over the text box, and a click in it gives it the keys.
    const VectorI box = console.GetPosition() + VectorI(200, 400);
    SDL_WarpMouse(static_cast<Uint16>(box.mX), static_cast<Uint16>(box.mY));
    for (Uint8 type : {Uint8(SDL_MOUSEBUTTONDOWN), Uint8(SDL_MOUSEBUTTONUP)}) {
        SDL_Event e{};
        e.type = type;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.x = static_cast<Uint16>(box.mX);
        e.button.y = static_cast<Uint16>(box.mY);
        SDL_PushEvent(&e);
        g.RunFor(0.1);
    }
    int32_t typed = 0;
    for (auto _ : state) {
        const SDLKey key = static_cast<SDLKey>(SDLK_a + typed++ % 26);
        for (Uint8 type : {Uint8(SDL_KEYDOWN), Uint8(SDL_KEYUP)}) {
            SDL_Event e{};
            e.type = type;
            e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.key.keysym.sym = key;
            e.key.keysym.unicode = type == SDL_KEYDOWN ? static_cast<Uint16>('a' + (key - SDLK_a)) : 0;
            SDL_PushEvent(&e);
        }
        g.mGame->RunMainLoopPass(*g.mScene);
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["load1"] = LoadAverage();
    // What reached the page: the text box's length, to see that the keys were typed.
    std::string length;
    console.EvaluateJavascript("document.getElementById('console_in').value.length", length);
    state.counters["typed_chars"] = std::atof(length.c_str());
    console.Hide(false);
}
BENCHMARK(BM_TypingIntoTheLuaConsole)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
