#include "scenes/ImpactWorlds.h"
#include "base/Array.h"
#include "base/Rect.h"
#include "physics/world/PhysicsStep.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/Scenes.h"
#include "scenes/StepWorlds.h"

namespace KIV {
namespace Scenes {

namespace {

constexpr float kDropWorldWidth = 800.0f;
constexpr float kDropWorldHeight = 600.0f;
constexpr float kDropWall = 40.0f;
constexpr float kDropRadius = 40.0f;
constexpr int32_t kDropShapePoints = 100;
// Thrown down this fast, the pile's toys dent, and some break, as they land.
constexpr float kPileThrowSpeed = 900.0f;

} // namespace

Toy* MakeDropWorld(Scene& scene, float speed, float deformPower)
{
    if (!MakeWalledWorld(scene, RectF(0.0f, 0.0f, kDropWorldWidth, kDropWorldHeight), kDropWall)) return nullptr;
    Array<VectorF> outline;
    MakeSoftShape(outline, 0, kDropRadius, kDropShapePoints, 0.0f);
    const float groundY = kDropWorldHeight - kDropWall;
    Toy* toy = AddPolygonToy(scene, outline, VectorF(0.5f * kDropWorldWidth, groundY - kDropRadius - 20.0f));
    if (!toy) return nullptr;
    ApplyStepDefaults(scene);
    toy->SetVelocity(VectorF(0.0f, speed));
    toy->SetDeformPower(deformPower);
    return toy;
}

int32_t BreakHitToys(Scene& scene)
{
    int32_t broken = 0;
    // Last to first: the pieces go in after their toy and are not visited again.
    for (int32_t i = scene.GetToyCount() - 1; i >= 0; --i) {
        Toy* toy = scene.GetToy(i);
        if (toy->mHit.IsPending() && BreakToyInScene(scene, *toy)) ++broken;
    }
    return broken;
}

void StepImpactWorld(Scene& scene, const GameSettings& settings, int32_t steps)
{
    for (int32_t i = 0; i < steps; ++i) {
        PhysicsStep(scene, settings);
        BreakHitToys(scene);
    }
}

bool MakeImpactPile(Scene& scene, int32_t toyCount)
{
    if (!MakeSoftPile(scene, toyCount)) return false;
    for (Toy* toy : scene.mToys) toy->SetVelocity(VectorF(0.0f, kPileThrowSpeed));
    return true;
}

} // namespace Scenes
} // namespace KIV
