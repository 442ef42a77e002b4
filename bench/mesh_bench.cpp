// Meshing outlines into soft bodies: the cost of the first toy of a picture
// (later toys copy the cached mesh) and of every water rebuild.
#include <benchmark/benchmark.h>
#include "physics/geometry/SampleOutlines.h"
#include "physics/geometry/TracedGeometry.h"
#include "physics/geometry/TracedOutline.h"
#include "render/ImageFile.h"

using namespace KIV;

namespace {

constexpr float kToySpacing = 10.0f;

// Meshes the outline once per iteration and reports the mesh's size.
void MeshRepeatedly(benchmark::State& state, const Array<VectorF>& outline)
{
    int32_t points = 0, triangles = 0;
    for (auto _ : state) {
        TracedGeometry built;
        if (!built.BuildMesh(outline, kToySpacing)) {
            state.SkipWithError("mesh failed");
            return;
        }
        benchmark::DoNotOptimize(built.mPoints.Data());
        points = built.GetPointCount();
        triangles = built.GetTriangleCount();
    }
    state.counters["outline points"] = outline.Count();
    state.counters["mesh points"] = points;
    state.counters["triangles"] = triangles;
}

// A band along a sine wave with this many outline points, 4 to 5 units apart:
// the mesh grows in proportion to the outline.
void BM_MeshOutline(benchmark::State& state)
{
    Array<VectorF> outline;
    MakeWavyBandOutline(outline, int32_t(state.range(0)));
    MeshRepeatedly(state, outline);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_MeshOutline)->RangeMultiplier(2)->Range(64, 4096)->Unit(benchmark::kMillisecond)->Complexity();

// The toy outline of a picture filled by a disc 1024 pixels wide: traced and
// simplified as a toy's (anchors 3 to 6 pixels apart), then meshed.
bool TraceDiscOutline(Array<VectorF>& out)
{
    constexpr int32_t kSide = 1024;
    ImageFile img;
    img.mName = "disc";
    img.mFullWidth = img.mFullHeight = img.mStoredWidth = img.mStoredHeight = kSide;
    img.mCropRect = RectI(0, 0, kSide, kSide);
    img.mBytesPerPixel = 4;
    img.mPixels.Resize(kSide * kSide * 4);
    img.mPixels.FillZero();
    const float r = kSide * 0.5f;
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x) {
            const float dx = float(x) + 0.5f - r, dy = float(y) + 0.5f - r;
            if (dx * dx + dy * dy <= r * r) img.mPixels[(y * kSide + x) * 4 + 3] = 255;
        }
    img.mLoaded = true;
    OutlineCache cache;
    OutlineRecord wanted;
    wanted.SetToyPreset(VectorF(1.0f, 1.0f), 1.0f, false);
    OutlineRecord* record = &wanted;
    if (!cache.GetOrTrace(&img, record, img.mCropRect)) return false;
    out.Assign(record->mPoints);
    return true;
}

void BM_MeshDisc1024(benchmark::State& state)
{
    Array<VectorF> outline;
    if (!TraceDiscOutline(outline)) {
        state.SkipWithError("trace failed");
        return;
    }
    MeshRepeatedly(state, outline);
}
BENCHMARK(BM_MeshDisc1024)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
