#include "scenes/ParticleWorlds.h"
#include <cstring>
#include "base/Random.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/world/Scene.h"
#include "scenes/BulletWorld.h"
#include "scenes/Scenes.h"
#include "scenes/StepWorlds.h"

namespace KIV {
namespace Scenes {

namespace {

const RectF& kFloorWorld = kParticleFloorWorld;
constexpr float kWall = kParticleFloorWall;
constexpr float kFloorTop = kParticleFloorTop;
const VectorF& kBoxSize = kParticleBoxSize;

// Square-ish pile of box toys standing on the middle of the floor.
bool AddToyPile(Scene& scene, int32_t toyCount)
{
    int32_t columns = 1;
    while (columns * columns < toyCount) ++columns;
    const float width = static_cast<float>(columns) * (kBoxSize.mX + 2.0f);
    const VectorF bottomLeft(0.5f * (kFloorWorld.x2 - width), kFloorTop - 1.0f);
    int32_t added = 0;
    for (int32_t row = 0; added < toyCount; ++row) {
        const int32_t n = toyCount - added < columns ? toyCount - added : columns;
        if (AddBoxPile(scene, n, 1, kBoxSize, bottomLeft - VectorF(0.0f, row * (kBoxSize.mY + 2.0f))) != n)
            return false;
        added += n;
    }
    return true;
}

ParticleSystem* NewSystem(Scene& scene)
{
    ParticleSystem* ps = scene.NewParticleSystem(scene.mParticleSystems);
    if (!ps) return nullptr;
    ps->SetDoVectorGravity(true);
    ps->SetUseSceneGravity(true);
    return ps;
}

// A gun at the given height firing along direction (radians) with a little scatter.
bool AddGun(Scene& scene, const VectorF& at, float direction)
{
    ParticleSystem* gun = NewSystem(scene);
    if (!gun) return false;
    gun->mPosition = at;
    gun->SetStartDirection(direction);
    gun->SetStartSpeed(1400.0f);
    gun->SetScattering(0.2f);
    gun->SetParticleWeight(15.0f);
    gun->SetEmittingInterval(IntervalF(0.02f, 0.05f));
    gun->SetDoBulletDeform(true);
    gun->SetDoFadeAlpha(true);
    gun->SetFadeAlphaFadeOut(120.0f);
    // The toys' material decides what the bullets leave: holes, dents, bursts.
    gun->SetPenetratingParticles(true);
    gun->SetAllowEffectDent(true);
    gun->SetAllowEffectHoles(true);
    return true;
}

} // namespace

bool MakeGunWorld(Scene& scene, int32_t toyCount)
{
    if (!MakeWalledWorld(scene, kFloorWorld, kWall)) return false;
    ApplyStepDefaults(scene);
    if (!AddToyPile(scene, toyCount < 1 ? 1 : toyCount)) return false;
    if (!AddBulletMaterial(scene)) return false;
    if (!AddGun(scene, VectorF(100.0f, kFloorTop - 60.0f), -0.1f) ||
        !AddGun(scene, VectorF(kFloorWorld.x2 - 100.0f, kFloorTop - 80.0f), 3.14159265f + 0.1f))
        return false;
    ParticleSystem* debris = NewSystem(scene);
    if (!debris) return false;
    // Falling stones along a line over the pile, which settle and sleep.
    debris->mPosition = VectorF(600.0f, 200.0f);
    debris->SetLineX(1200.0f);
    debris->SetParticleStartPosition(1);
    debris->SetStartDirection(1.5707963f);
    debris->SetStartSpeed(50.0f);
    debris->SetScattering(0.6f);
    debris->SetEmittingInterval(IntervalF(0.006f, 0.015f));
    debris->SetParticleWeight(0.5f);
    debris->SetDoAirFriction(true);
    debris->SetAirFrictionCoef(IntervalF(0.1f, 0.3f));
    debris->SetDoFadeAlpha(true);
    debris->SetFadeAlphaFadeOut(40.0f);
    debris->SetParticleRotationStyle(1);
    return true;
}

bool MakeParticleWorld(Scene& scene, int32_t particles)
{
    if (!MakeWalledWorld(scene, kFloorWorld, kWall)) return false;
    ApplyStepDefaults(scene);
    if (!AddToyPile(scene, kParticleWorldToys)) return false;
    Random random;
    for (int32_t left = particles; left > 0;) {
        ParticleSystem* ps = NewSystem(scene);
        if (!ps) return false;
        ps->SwitchOFFParticleEmitting();
        ps->SetAllowSleepingParticles(false);
        const int32_t n = left < ParticleSystem::kMaxParticles ? left : ParticleSystem::kMaxParticles;
        for (int32_t i = 0; i < n; ++i) {
            const int32_t slot = ps->EmitOne();
            if (slot < 0) return false;
            ps->mPositions[slot] = VectorF(200.0f + 2000.0f * random.NextFloat(), 300.0f + 1000.0f * random.NextFloat());
            ps->mVelocities[slot] = VectorF(random.NextFloatInRange(-600.0f, 600.0f),
                                            random.NextFloatInRange(-600.0f, 600.0f));
        }
        left -= n;
    }
    return true;
}

uint64_t HashWorldState(const Scene& scene)
{
    uint64_t h = HashToyState(scene);
    auto add = [&h](const void* data, size_t size) {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < size; ++i) {
            h ^= bytes[i];
            h *= 1099511628211ull;
        }
    };
    for (const ParticleSystem* ps : scene.mParticleSystems) {
        for (int32_t head : {ps->GetMovingHead(), ps->GetSleepingHead()}) {
            for (int32_t slot = head; slot >= 0; slot = ps->GetLink(slot).mNext) {
                add(&ps->mPositions[slot], sizeof(VectorF));
                add(&ps->mVelocities[slot], sizeof(VectorF));
            }
        }
        const int32_t counts[2] = {ps->GetMovingCount(), ps->GetSleepingCount()};
        add(counts, sizeof(counts));
    }
    return h;
}

} // namespace Scenes
} // namespace KIV
