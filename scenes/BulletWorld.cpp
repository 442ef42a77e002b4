#include "scenes/BulletWorld.h"
#include "physics/materials/Material.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/world/Scene.h"
#include "scenes/ParticleWorlds.h"
#include "scenes/Scenes.h"
#include "scenes/StepWorlds.h"

namespace KIV {
namespace Scenes {

namespace {

constexpr int32_t kPileColumns = 16;
constexpr float kBulletSpeed = 1400.0f;
constexpr int32_t kGuns = 2;

// A burst of count sparks that fly through everything and fade out within
// about a second.
void MakeBurst(ParticleSystem& burst, int32_t count)
{
    burst.SetBounceOffTerrain(false);
    burst.SetBounceOffToys(false);
    burst.SetEmitBoomCountMin(count);
    burst.SetEmitBoomCountMax(count);
    burst.SetStartSpeed(150.0f);
    burst.SetScattering(1.2f);
    burst.SetDoVectorGravity(true);
    burst.SetUseSceneGravity(true);
    burst.SetDoFadeAlpha(true);
    burst.SetFadeAlphaFadeOut(300.0f);
}

ParticleSystem* Gun(const Scene& scene, int32_t i)
{
    return i < scene.mParticleSystems.Count() ? scene.mParticleSystems[i] : nullptr;
}

} // namespace

bool AddBulletMaterial(Scene& scene)
{
    DefaultMaterials& materials = scene.mDefaultMaterials;
    materials.AddDefaultMaterial();
    Material* m = materials.mList.GetSelected();
    if (!m) return false;
    m->SetName("default");
    // A bullet of weight 15 at the guns' speed has power 21000; slowed or
    // glancing ones stop inside or dent.
    m->SetEntryHoleParticlePowerMin(4000.0f);
    m->SetExitHoleParticlePowerMin(12000.0f);
    m->AddDentParticles();
    m->AddEntryHoleParticles();
    m->AddExitHoleParticles();
    ParticleSystem* bursts[] = {m->GetDentParticlesSelected(), m->GetEntryHoleParticlesSelected(),
                                m->GetExitHoleParticlesSelected()};
    const int32_t counts[] = {3, 5, 8};
    for (int32_t i = 0; i < 3; ++i) {
        if (!bursts[i]) return false;
        MakeBurst(*bursts[i], counts[i]);
    }
    return true;
}

bool MakeBulletWorld(Scene& scene, bool withMaterials)
{
    if (!MakeWalledWorld(scene, kParticleFloorWorld, kParticleFloorWall)) return false;
    ApplyStepDefaults(scene);
    const float width = kPileColumns * (kParticleBoxSize.mX + 2.0f);
    const VectorF bottomLeft(0.5f * (kParticleFloorWorld.x2 - width), kParticleFloorTop - 1.0f);
    const int32_t rows = kBulletWorldToys / kPileColumns;
    if (AddBoxPile(scene, kPileColumns, rows, kParticleBoxSize, bottomLeft) != kBulletWorldToys) return false;
    if (withMaterials && !AddBulletMaterial(scene)) return false;
    for (int32_t i = 0; i < kGuns; ++i) {
        ParticleSystem* gun = scene.NewParticleSystem(scene.mParticleSystems);
        if (!gun) return false;
        gun->SwitchOFFParticleEmitting();
        gun->SetDoVectorGravity(true);
        gun->SetUseSceneGravity(true);
        gun->SetParticleWeight(15.0f);
        gun->SetDoBulletDeform(true);
        gun->SetDoFadeAlpha(true);
        gun->SetFadeAlphaFadeOut(120.0f);
        gun->SetPenetratingParticles(withMaterials);
        gun->SetAllowEffectDent(withMaterials);
        gun->SetAllowEffectHoles(withMaterials);
    }
    return true;
}

void FireBullets(Scene& scene, int32_t step, int32_t bullets)
{
    if (step % 2 != 0 || step / 2 >= bullets) return;
    const int32_t shot = step / 2;
    ParticleSystem* gun = Gun(scene, shot % kGuns);
    if (!gun) return;
    const int32_t slot = gun->EmitOne();
    if (slot < 0) return;
    // Aimed across the pile's rows, each shot a little higher than the last.
    const float height = kParticleFloorTop - 10.0f - static_cast<float>((shot * 7) % 150);
    const bool fromLeft = shot % kGuns == 0;
    gun->mPositions[slot] = VectorF(fromLeft ? 100.0f : kParticleFloorWorld.x2 - 100.0f, height);
    gun->mVelocities[slot] = VectorF(fromLeft ? kBulletSpeed : -kBulletSpeed, -60.0f);
}

int32_t CountEffectSystems(const Scene& scene)
{
    const int32_t n = scene.mParticleSystems.Count();
    return n > kGuns ? n - kGuns : 0;
}

} // namespace Scenes
} // namespace KIV
