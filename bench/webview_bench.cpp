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

std::string PagePath()
{
    static const std::string path = [] {
        const auto folder = std::filesystem::temp_directory_path() / "kiv-webview-bench" / "Editor";
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "bench.html")
            << "<html><body style='margin:0;background:#204080'>"
               "<div style='position:absolute;left:100px;top:50px;width:200px;height:100px;background:red'>"
               "</div></body></html>";
        return (folder / "bench.html").string();
    }();
    return path;
}

WebCore* Core()
{
    static WebCore* core = WebCore::Initialize(WebConfig());
    return core;
}

// Makes a view, loads the page and runs frames until its first drawn frame.
WebView* LoadedView(ReadyFlag& ready)
{
    WebView* view = Core()->CreateWebView(kWidth, kHeight);
    view->SetLoadListener(&ready);
    const std::string path = PagePath();
    view->LoadURL(WebURL(WebString::CreateFromUTF8(path.c_str(), path.size())));
    std::vector<uint8_t> rows(kWidth * 4);
    for (;;) {
        Core()->Update();
        if (ready.mReady) {
            BitmapSurface* surface = view->GetSurface();
            if (surface != nullptr && surface->IsDirty()) {
                std::vector<uint8_t> all(static_cast<size_t>(kWidth) * kHeight * 4);
                surface->CopyTo(all.data(), kWidth * 4, 4, true, false);
                const uint8_t* p = all.data() + (80 * kWidth + 150) * 4;
                if (p[0] == 255 && p[1] == 0) {
                    return view;
                }
            }
        }
        g_usleep(200);
    }
}

bool HaveDisplay(benchmark::State& state)
{
    if (Core() == nullptr) {
        state.SkipWithError("no display");
        return false;
    }
    return true;
}

void BM_FirstFrame(benchmark::State& state)
{
    if (!HaveDisplay(state)) {
        return;
    }
    for (auto _ : state) {
        ReadyFlag ready;
        WebView* view = LoadedView(ready);
        state.PauseTiming();
        view->Destroy();
        Core()->Update();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

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
