#include <gtest/gtest.h>
#include <cmath>
#include <cstdint>
#include <cstring>
#include "base/Random.h"
#include "physics/geometry/TracedGeometry.h"
#include "physics/water/Water.h"
#include "physics/world/Scene.h"
#include "scenes/WaterWorlds.h"

using namespace KIV;

namespace {

// FNV-1a over the bytes of the records a rebuild makes: any change to the
// mesher's choices (a flip taken or left, an edge or triangle in another
// slot) changes it.
class ByteHash {
public:
    template <typename T>
    void Add(const T* items, int32_t count)
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(items);
        for (size_t i = 0; i < sizeof(T) * size_t(count); ++i) {
            mHash ^= bytes[i];
            mHash *= 1099511628211ull;
        }
    }
    template <typename T>
    void Add(const Array<T>& items)
    {
        const int32_t count = items.Count();
        Add(&count, 1);
        Add(items.Data(), items.Count());
    }
    uint64_t Get() const { return mHash; }

private:
    uint64_t mHash = 14695981039346656037ull;
};

void AddMesh(ByteHash& h, const TracedGeometry& g)
{
    h.Add(g.mPoints);
    h.Add(g.mTriangles);
    h.Add(g.mInnerEdges);
    h.Add(g.mSprings);
}

} // namespace

// The pool's outline, surface spans, mesh, springs and debug outline in basins of several
// sizes are those the mesher has always made, bit for bit: speed work on the
// rebuild must leave them as they are.
TEST(WaterBasinMesh, RebuildsKeepTheirOutlineSpansMeshAndSprings)
{
    struct Case {
        int32_t vertices;
        uint64_t hash;
    };
    const Case cases[] = {
        {100, 0x68e1ac09fc2376a1ull},
        {1000, 0x1e3aa5d566cdf84aull},
        {3000, 0x50f82514a1341d62ull},
    };
    for (const Case& c : cases) {
        Scene scene;
        VectorF seed;
        ASSERT_TRUE(Scenes::MakeBasinWorld(scene, c.vertices, seed));
        Water water;
        ASSERT_TRUE(water.Rebuild(&scene, seed)) << c.vertices;
        ByteHash h;
        h.Add(water.mOutline);
        for (const WaterSpan* span : water.mSpans) {
            h.Add(&span->mFirstPoint, 1);
            h.Add(&span->mPointCount, 1);
        }
        AddMesh(h, water.mGeometry);
        h.Add(water.mOutlineShape.mPoints);
        h.Add(water.mOutlineShape.mColors);
        EXPECT_EQ(h.Get(), c.hash) << c.vertices << " basin vertices: 0x" << std::hex << h.Get();
    }
}

// The toys' meshes come from the same mesher: random outlines of every size,
// either direction, at spacings from fine to coarse, mesh as they always have.
TEST(WaterBasinMesh, ToyMeshesOfRandomOutlinesStayTheSame)
{
    Random random;
    ByteHash h;
    int32_t meshed = 0;
    for (int32_t round = 0; round < 300; ++round) {
        const int32_t n = 8 + random.NextInt(400);
        const float radius = random.NextFloatInRange(20.0f, 300.0f);
        const float wobble = random.NextFloatInRange(0.0f, 0.4f);
        Array<VectorF> outline;
        for (int32_t i = 0; i < n; ++i) {
            const float a = 6.2831853f * float(i) / float(n);
            const float r = radius * (1.0f + wobble * (random.NextFloat() - 0.5f));
            outline.PushBack(VectorF(std::round(r * std::cos(a) * 4.0f) / 4.0f, std::round(r * std::sin(a) * 4.0f) / 4.0f));
        }
        if (round % 2) {
            for (int32_t i = 0, j = n - 1; i < j; ++i, --j) std::swap(outline[i], outline[j]);
        }
        TracedGeometry g;
        if (!g.BuildMesh(outline, random.NextFloatInRange(5.0f, 40.0f))) continue;
        g.BuildSprings();
        AddMesh(h, g);
        ++meshed;
    }
    EXPECT_GT(meshed, 250);
    EXPECT_EQ(h.Get(), 0x1a79b41fe70acad6ull) << "0x" << std::hex << h.Get();
}
