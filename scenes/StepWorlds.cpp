#include "scenes/StepWorlds.h"
#include <cmath>
#include <cstring>
#include "base/MathUtil.h"
#include "base/Random.h"
#include "physics/geometry/SegmentIntersection.h"
#include "physics/world/GameSettings.h"
#include "physics/world/PhysicsStep.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/Scenes.h"

namespace KIV {
namespace Scenes {

namespace {

constexpr int32_t kPileShapePoints = 100;
constexpr float kPileWall = 40.0f;

class StateHash {
public:
    void Add(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (int32_t i = 0; i < 4; ++i) {
            mHash ^= (bits >> (8 * i)) & 0xffu;
            mHash *= 1099511628211ull;
        }
    }
    void Add(const VectorF& v)
    {
        Add(v.mX);
        Add(v.mY);
    }
    uint64_t Get() const { return mHash; }

private:
    uint64_t mHash = 14695981039346656037ull;
};

} // namespace

void ApplyStepDefaults(Scene& scene)
{
    const float dt = 1.0f / kStepFrequency;
    scene.mStepLength = dt;
    scene.mGravity = VectorF(0.0f, kGravity);
    for (Toy* toy : scene.mToys) {
        toy->mStepLength = dt;
        toy->mInverseStepLength = 1.0f / dt;
        toy->mHalfStepLengthSquared = 0.5f * dt * dt;
    }
}

void MakeSoftShape(Array<VectorF>& points, int32_t kind, float radius, int32_t pointCount, float phase)
{
    points.Clear();
    for (int32_t i = 0; i < pointCount; ++i) {
        const float a = kTwoPi * static_cast<float>(i) / static_cast<float>(pointCount);
        const float c = std::cos(a), s = std::sin(a);
        switch (kind & 3) {
        case 0:
            points.PushBack({radius * c, radius * s});
            break;
        case 1:
            points.PushBack({1.3f * radius * c, 0.75f * radius * s});
            break;
        case 2: {
            // A superellipse |x|^4 + |y|^4 = 1: a box with round corners.
            const float x = std::copysign(std::sqrt(std::fabs(c)), c);
            const float y = std::copysign(std::sqrt(std::fabs(s)), s);
            points.PushBack({1.1f * radius * x, 0.8f * radius * y});
            break;
        }
        default: {
            const float r = radius * (1.0f + 0.18f * std::sin(3.0f * a + phase));
            points.PushBack({r * c, r * s});
            break;
        }
        }
    }
}

bool MakeSoftPile(Scene& scene, int32_t toyCount)
{
    if (toyCount < 1) return false;
    int32_t columns = 1;
    while (columns * columns < 2 * toyCount) ++columns;
    const int32_t rows = (toyCount + columns - 1) / columns;
    const float width = static_cast<float>(columns) * kPileCell + 2.0f * kPileWall + 40.0f;
    // Room above the rows as high as the rows themselves, and the ground below.
    const float height = 2.0f * static_cast<float>(rows) * kPileCell + kPileWall + 200.0f;
    if (!MakeWalledWorld(scene, RectF(0.0f, 0.0f, width, height), kPileWall)) return false;
    ApplyStepDefaults(scene);

    Random random;
    const float groundY = height - kPileWall;
    if (!AddSoftToyRows(scene, random, toyCount, columns, VectorF(kPileWall + 20.0f, groundY - 60.0f))) return false;
    ApplyStepDefaults(scene);
    return true;
}

bool AddSoftToyRows(Scene& scene, Random& random, int32_t toyCount, int32_t columns, const VectorF& bottomLeft)
{
    Array<VectorF> outline;
    for (int32_t i = 0; i < toyCount; ++i) {
        const int32_t row = i / columns, column = i % columns;
        const float radius = random.NextFloatInRange(30.0f, 46.0f);
        MakeSoftShape(outline, i, radius, kPileShapePoints, random.NextFloatInRange(0.0f, kTwoPi));
        const VectorF centre(bottomLeft.mX + (static_cast<float>(column) + 0.5f) * kPileCell +
                                 random.NextFloatInRange(-8.0f, 8.0f),
                             bottomLeft.mY - static_cast<float>(row) * kPileCell);
        if (!AddPolygonToy(scene, outline, centre, random.NextFloatInRange(0.0f, kTwoPi))) return false;
    }
    return true;
}

void StepWorld(Scene& scene, const GameSettings& settings, int32_t steps)
{
    for (int32_t i = 0; i < steps; ++i) PhysicsStep(scene, settings);
}

uint64_t HashToyState(const Scene& scene)
{
    StateHash h;
    for (const Toy* toy : scene.mToys) {
        for (const VectorF& p : toy->mOutline) h.Add(p);
        h.Add(toy->mPosition);
        h.Add(toy->mOrientation);
        h.Add(toy->mVelocity);
        h.Add(toy->mAngularVelocity);
        h.Add(toy->mVelocityAfterImpulses);
        h.Add(toy->mAngularVelocityAfterImpulses);
    }
    return h.Get();
}

namespace {

bool IsOnWorld(const RectF& world, const VectorF& p)
{
    return p.mX >= world.x1 && p.mX <= world.x2 && p.mY >= world.y1 && p.mY <= world.y2;
}

// A terrain edge straight above the point, or the point off the world.
bool IsUnderTerrain(SpatialGrid& grid, const RectF& world, const VectorF& p, Array<int32_t>& segments)
{
    if (!IsOnWorld(world, p)) return true;
    // The world's y axis grows downward: "above" is towards the grid's top.
    const VectorF up(p.mX, world.y1);
    segments.Clear();
    grid.QueryRect(RectF(p.mX, world.y1, p.mX, p.mY), grid.GetQueryContext(0), &segments, nullptr);
    for (int32_t node : segments) {
        const StaticSegment& s = grid.GetStaticSegment(node);
        if (SegmentsIntersect(p, up, s.mStart, s.mEnd)) return true;
    }
    return false;
}

} // namespace

int32_t CountToysThroughTerrain(Scene& scene)
{
    SpatialGrid& grid = scene.GetGrid();
    const RectI bounds = grid.GetBounds();
    const RectF world(static_cast<float>(bounds.mP1.mX), static_cast<float>(bounds.mP1.mY),
                      static_cast<float>(bounds.mP2.mX), static_cast<float>(bounds.mP2.mY));
    Array<int32_t> segments;
    int32_t count = 0;
    for (const Toy* toy : scene.mToys) {
        const int32_t n = toy->mOutline.Count();
        bool through = n > 0;
        for (int32_t i = 0; through && i < n; ++i) through = IsUnderTerrain(grid, world, toy->mOutline[i], segments);
        if (through || !IsOnWorld(world, toy->mPosition)) ++count;
    }
    return count;
}

} // namespace Scenes
} // namespace KIV
