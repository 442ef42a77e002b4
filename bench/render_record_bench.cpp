// Recording a frame of many textured shapes, without a GL context: the per-frame work of the
// drawing operations (culling, runs of groups, state caches, upload lookups).
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>
#include "render/Renderer.h"
#include "render/Shape.h"
#include "render/Texture.h"

using namespace KIV;

static void BM_RecordTexturedShapes(benchmark::State& state)
{
    const int32_t count = int32_t(state.range(0));
    Renderer renderer;
    renderer.SetWindowSize(1024, 768);
    std::vector<std::unique_ptr<Texture>> textures;
    std::vector<Shape> shapes(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        textures.push_back(std::make_unique<Texture>());
        textures.back()->InitBlank(VectorI(16, 16));
        textures.back()->mOwnPixelsChanged = true;
        const float x = float((i * 37) % 2000), y = float((i * 53) % 1500);
        shapes[size_t(i)].InitTexturedQuad(textures.back().get(), ColorRGBA(255, 255, 255, 255), RectF(x, y, x + 40, y + 40));
    }
    for (auto _ : state) {
        RenderCommandBuffer& b = renderer.GetDrawBuffer();
        b.Clear();
        renderer.ResetDrawBuffer();
        renderer.SetView(RectF(0, 0, 1024, 768), 0.0f);
        for (int32_t i = 0; i < count; ++i) {
            renderer.UploadTextureIfPending(textures[size_t(i)].get());
            renderer.DrawShape(shapes[size_t(i)], false, 255, true);
        }
        benchmark::DoNotOptimize(b.GetBytes().Data());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_RecordTexturedShapes)->Arg(64)->Arg(2048);

BENCHMARK_MAIN();
