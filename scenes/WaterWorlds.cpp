#include "scenes/WaterWorlds.h"
#include <cmath>
#include "base/Array.h"
#include "physics/world/Scene.h"

namespace KIV {
namespace Scenes {

bool MakeBasinWorld(Scene& scene, int32_t vertexCount, VectorF& seed)
{
    constexpr float kLeft = 0.0f, kRight = 2000.0f, kFloor = 400.0f, kWall = 50.0f;
    if (vertexCount < 8 || !scene.SetupGrid(RectF(-500.0f, -500.0f, 2500.0f, 1000.0f))) return false;
    // Clockwise on screen (y grows downward): along the top of the left wall,
    // down its inner face, along the floor to the right, up the right wall.
    Array<VectorF> points;
    points.PushBack({kLeft - kWall, 0.0f});
    points.PushBack({kLeft, 0.0f});
    const int32_t floorPoints = vertexCount - 6;
    for (int32_t i = 0; i < floorPoints; ++i) {
        const float x = kLeft + (kRight - kLeft) * float(i) / float(floorPoints - 1);
        const float wave = i == 0 || i == floorPoints - 1 ? 0.0f : 12.0f * std::sin(float(i) * 0.7f);
        points.PushBack({x, kFloor + wave});
    }
    points.PushBack({kRight, 0.0f});
    points.PushBack({kRight + kWall, 0.0f});
    points.PushBack({kRight + kWall, kFloor + kWall});
    points.PushBack({kLeft - kWall, kFloor + kWall});
    seed = VectorF(0.5f * (kLeft + kRight), 0.25f * kFloor);
    return scene.GetGrid().InsertStaticPolygon(points.Data(), points.Count()) >= 0;
}

} // namespace Scenes
} // namespace KIV
