#include "scenes/Scenes.h"
#include <cmath>
#include "base/MathUtil.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"

namespace KIV {
namespace Scenes {

void MakeBox(Array<VectorF>& points, const RectF& box)
{
    points.Clear();
    points.PushBack({box.x1, box.y1});
    points.PushBack({box.x2, box.y1});
    points.PushBack({box.x2, box.y2});
    points.PushBack({box.x1, box.y2});
}

void MakeRegularPolygon(Array<VectorF>& points, int32_t n, float radius)
{
    points.Clear();
    for (int32_t i = 0; i < n; ++i) {
        const float a = kTwoPi * static_cast<float>(i) / static_cast<float>(n);
        points.PushBack({radius * std::cos(a), radius * std::sin(a)});
    }
}

int32_t AddStaticPolygon(Scene& scene, const Array<VectorF>& points)
{
    // The grid hits an edge from the side of its normal (d.y, -d.x), where
    // Cross(edge, p - start) < 0: the outside of a clockwise outline on screen
    // (positive shoelace sum), the winding of toy outlines too. An
    // anticlockwise outline is walked backwards.
    float doubleArea = 0.0f;
    const int32_t n = points.Count();
    for (int32_t i = 0; i < n; ++i) doubleArea += Cross(points[i], points[i + 1 == n ? 0 : i + 1]);
    StaticOutline outline;
    outline.mPoints = points.Data();
    outline.mCount = n;
    outline.mReversed = doubleArea < 0.0f;
    return scene.GetGrid().InsertStaticEntry(outline);
}

int32_t AddStaticBox(Scene& scene, const RectF& box)
{
    Array<VectorF> points;
    MakeBox(points, box);
    return AddStaticPolygon(scene, points);
}

Toy* AddPolygonToy(Scene& scene, const Array<VectorF>& points, const VectorF& position, float angle, float density)
{
    Toy* toy = scene.NewToySlot();
    if (!toy) return nullptr;
    if (!toy->BuildFromPolygon(points.Data(), points.Count(), density, position, angle) ||
        !scene.GetGrid().InsertToy(*toy)) {
        scene.RemoveToy(toy);
        return nullptr;
    }
    return toy;
}

Toy* AddBoxToy(Scene& scene, const VectorF& size, const VectorF& position, float angle, float density)
{
    Array<VectorF> points;
    MakeBox(points, RectF(-0.5f * size.mX, -0.5f * size.mY, 0.5f * size.mX, 0.5f * size.mY));
    return AddPolygonToy(scene, points, position, angle, density);
}

bool MakeWalledWorld(Scene& scene, const RectF& world, float wallThickness)
{
    if (!scene.SetupGrid(world)) return false;
    const float t = wallThickness;
    return AddStaticBox(scene, {world.x1, world.y2 - t, world.x2, world.y2}) >= 0 &&
           AddStaticBox(scene, {world.x1, world.y1, world.x1 + t, world.y2 - t}) >= 0 &&
           AddStaticBox(scene, {world.x2 - t, world.y1, world.x2, world.y2 - t}) >= 0;
}

int32_t AddBoxPile(Scene& scene, int32_t columns, int32_t rows, const VectorF& size, const VectorF& bottomLeft,
                   float gap)
{
    int32_t added = 0;
    for (int32_t row = 0; row < rows; ++row)
        for (int32_t column = 0; column < columns; ++column) {
            const VectorF centre(bottomLeft.mX + (static_cast<float>(column) + 0.5f) * (size.mX + gap),
                                 bottomLeft.mY - (static_cast<float>(row) + 0.5f) * (size.mY + gap));
            if (AddBoxToy(scene, size, centre)) ++added;
        }
    return added;
}

} // namespace Scenes
} // namespace KIV
