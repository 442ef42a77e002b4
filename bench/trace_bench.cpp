// Tracing a large picture's outline and meshing it: the cost of the first toy
// made from a new picture (later toys copy the cached mesh).
#include <benchmark/benchmark.h>
#include <cmath>
#include "base/MathUtil.h"
#include "base/Random.h"
#include "physics/geometry/TracedGeometry.h"
#include "physics/geometry/TracedOutline.h"
#include "render/ImageFile.h"

using namespace KIV;

namespace {

constexpr int32_t kSide = 1024;

// A blob whose edge wobbles at several frequencies plus per-degree jitter, so
// the trace meets many turns and the simplification much to cut.
void MakeRaggedPicture(ImageFile& img)
{
    Random random;
    float jitter[360];
    for (float& j : jitter) j = random.NextFloatInRange(-8.0f, 8.0f);
    img.mName = "ragged";
    img.mFullWidth = img.mFullHeight = img.mStoredWidth = img.mStoredHeight = kSide;
    img.mCropRect = RectI(0, 0, kSide, kSide);
    img.mBytesPerPixel = 4;
    img.mPixels.Resize(kSide * kSide * 4);
    img.mPixels.FillZero();
    const float c = kSide * 0.5f;
    for (int32_t y = 0; y < kSide; ++y) {
        for (int32_t x = 0; x < kSide; ++x) {
            const float dx = static_cast<float>(x) - c, dy = static_cast<float>(y) - c;
            const float a = std::atan2(dy, dx);
            const int32_t degree = static_cast<int32_t>((a + kPi) / kTwoPi * 360.0f) % 360;
            const float r = 400.0f + 40.0f * std::sin(7.0f * a) + 20.0f * std::sin(23.0f * a) + jitter[degree];
            if (dx * dx + dy * dy < r * r) img.mPixels[(y * kSide + x) * 4 + 3] = 255;
        }
    }
    img.mLoaded = true;
}

const ImageFile& RaggedPicture()
{
    static ImageFile img;
    if (!img.mLoaded) MakeRaggedPicture(img);
    return img;
}

// The outline a toy of this picture gets (the toy preset).
OutlineRecord* TraceToyOutline(OutlineCache& cache)
{
    OutlineRecord wanted;
    wanted.SetToyPreset(VectorF(1.0f, 1.0f), 1.0f, false);
    OutlineRecord* record = &wanted;
    ImageFile& img = const_cast<ImageFile&>(RaggedPicture());
    return cache.GetOrTrace(&img, record, img.mCropRect) ? record : nullptr;
}

void BM_Trace1024(benchmark::State& state)
{
    RaggedPicture();
    int32_t points = 0;
    for (auto _ : state) {
        OutlineCache cache;
        OutlineRecord* r = TraceToyOutline(cache);
        if (!r) {
            state.SkipWithError("trace failed");
            break;
        }
        points = r->mPoints.Count();
    }
    state.counters["outline points"] = points;
}
BENCHMARK(BM_Trace1024)->Unit(benchmark::kMillisecond);

void BM_TraceAndMesh1024(benchmark::State& state)
{
    RaggedPicture();
    int32_t meshPoints = 0;
    for (auto _ : state) {
        OutlineCache cache;
        OutlineRecord* r = TraceToyOutline(cache);
        TracedGeometry mesh;
        if (!r || !mesh.BuildMesh(r->mPoints, 10.0f)) {
            state.SkipWithError("trace or mesh failed");
            break;
        }
        meshPoints = mesh.mPoints.Count();
    }
    state.counters["mesh points"] = meshPoints;
}
BENCHMARK(BM_TraceAndMesh1024)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
