// The HTML-view layer's costs per game frame: how long an off-screen page takes
// to its first drawn frame, a script round trip, and copying a 1024 x 576
// surface into texture rows. Needs an X display (run under xvfb-run).
#include <benchmark/benchmark.h>

#include "editor/webview/WebCore.h"

#include <glib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace KIV;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 576;

struct ReadyFlag : WebViewListener::Load {
    bool mReady = false;
    void OnBeginLoadingFrame(WebView*, const WebURL&) override {}
    void OnFailLoadingFrame(WebView*, const WebURL&, const WebString&) override {}
    void OnFinishLoadingFrame(WebView*, const WebURL&) override {}
    void OnDocumentReady(WebView*, const WebURL&) override { mReady = true; }
};

WebCore* Core()
{
    static WebCore* core = WebCore::Initialize(WebConfig());
    return core;
}

// A page with a box of the given colour at (100, 50).
std::string PagePath(const std::string& colour = "red")
{
    const auto folder = std::filesystem::temp_directory_path() / "kiv-webview-bench" / "Editor";
    std::filesystem::create_directories(folder);
    const auto path = folder / (colour + ".html");
    std::ofstream(path) << "<html><body style='margin:0;background:#204080'>"
                           "<div style='position:absolute;left:100px;top:50px;width:200px;height:100px;"
                           "background:"
                        << colour << "'></div></body></html>";
    return path.string();
}

// Runs frames until the view shows the box with that red and green.
void RunUntilBoxDrawn(WebView* view, ReadyFlag& ready, uint8_t red, uint8_t green)
{
    std::vector<uint8_t> all(static_cast<size_t>(kWidth) * kHeight * 4);
    for (;;) {
        Core()->Update();
        if (ready.mReady) {
            BitmapSurface* surface = view->GetSurface();
            if (surface != nullptr && surface->IsDirty()) {
                surface->CopyTo(all.data(), kWidth * 4, 4, true, false);
                const uint8_t* p = all.data() + (80 * kWidth + 150) * 4;
                if (p[0] == red && p[1] == green) {
                    return;
                }
            }
        }
        g_usleep(200);
    }
}

void Load(WebView* view, const std::string& path)
{
    view->LoadURL(WebURL(WebString::CreateFromUTF8(path.c_str(), path.size())));
}

// Makes a view, loads the page and runs frames until its first drawn frame.
WebView* LoadedView(ReadyFlag& ready)
{
    WebView* view = Core()->CreateWebView(kWidth, kHeight);
    view->SetLoadListener(&ready);
    Load(view, PagePath());
    RunUntilBoxDrawn(view, ready, 255, 0);
    return view;
}

bool HaveDisplay(benchmark::State& state)
{
    if (Core() == nullptr) {
        state.SkipWithError("no display");
        return false;
    }
    return true;
}

// A new view beside one that lives, as each edit window's view is made: it
// shares the running web process. The very first view, which starts that
// process, is reported as the counter first_view_ms.
void BM_FirstFrame(benchmark::State& state)
{
    if (!HaveDisplay(state)) {
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    ReadyFlag anchorReady;
    WebView* anchor = LoadedView(anchorReady);
    state.counters["first_view_ms"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    for (auto _ : state) {
        ReadyFlag ready;
        WebView* view = LoadedView(ready);
        state.PauseTiming();
        view->Destroy();
        Core()->Update();
        state.ResumeTiming();
    }
    anchor->Destroy();
}
BENCHMARK(BM_FirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// Another page in a view that has shown one: its web process is running.
void BM_FirstFrameWarm(benchmark::State& state)
{
    if (!HaveDisplay(state)) {
        return;
    }
    ReadyFlag ready;
    WebView* view = LoadedView(ready);
    const std::string pages[2] = {PagePath("lime"), PagePath("red")};
    int next = 0;
    for (auto _ : state) {
        ready.mReady = false;
        Load(view, pages[next]);
        RunUntilBoxDrawn(view, ready, next == 0 ? 0 : 255, next == 0 ? 255 : 0);
        next ^= 1;
    }
    view->Destroy();
}
BENCHMARK(BM_FirstFrameWarm)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ScriptRoundTrip(benchmark::State& state)
{
    if (!HaveDisplay(state)) {
        return;
    }
    ReadyFlag ready;
    WebView* view = LoadedView(ready);
    const std::string script = "document.body.childElementCount + 1";
    const WebString text = WebString::CreateFromUTF8(script.c_str(), script.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(view->ExecuteJavascriptWithResult(text, WebString()));
    }
    view->Destroy();
}
BENCHMARK(BM_ScriptRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Into rows of a 1024 x 1024 texture, as an edit window copies its page.
void BM_CopySurface1024x576(benchmark::State& state)
{
    if (!HaveDisplay(state)) {
        return;
    }
    ReadyFlag ready;
    WebView* view = LoadedView(ready);
    BitmapSurface* surface = view->GetSurface();
    std::vector<uint8_t> texture(1024 * 1024 * 4);
    for (auto _ : state) {
        surface->CopyTo(texture.data(), 1024 * 4, 4, true, false);
        benchmark::DoNotOptimize(texture.data());
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
    view->Destroy();
}
BENCHMARK(BM_CopySurface1024x576)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A page that changed: drawn again from the engine's backing store, then copied.
void BM_RedrawAndCopy1024x576(benchmark::State& state)
{
    if (!HaveDisplay(state)) {
        return;
    }
    ReadyFlag ready;
    WebView* view = LoadedView(ready);
    std::vector<uint8_t> texture(1024 * 1024 * 4);
    for (auto _ : state) {
        view->MarkDamaged();
        view->GetSurface()->CopyTo(texture.data(), 1024 * 4, 4, true, false);
        benchmark::DoNotOptimize(texture.data());
    }
    view->Destroy();
}
BENCHMARK(BM_RedrawAndCopy1024x576)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
