#include "physics/materials/MaterialEffects.h"
#include <algorithm>
#include <cmath>
#include "base/MathUtil.h"
#include "physics/materials/Material.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"
#include "render/Texture.h"

namespace KIV {

namespace {

// Share of the hitting particle's velocity that the shards take along.
constexpr float kShardVelocityShare = 0.7f;
// A crack along a huge or damaged outline would otherwise stamp without end.
constexpr int32_t kMaxBreakDecals = 1024;

// One decal of a list at a world point: its index, size and opacity drawn in
// that order from the scene's generator.
void StampListDecal(Scene& scene, Toy& toy, const MaterialDecalList& decals, const VectorF& at, float weight,
                    float rotation)
{
    const int32_t i = scene.mRandom.NextInt(decals.Count());
    const IntervalF size = decals.GetSize(i);
    const float s = size.mMinValue + (size.mMaxValue - size.mMinValue) * scene.mRandom.NextFloat();
    const IntervalF opacity = decals.GetOpacity(i);
    const float o = opacity.mMinValue + (opacity.mMaxValue - opacity.mMinValue) * scene.mRandom.NextFloat();
    toy.AddMaterialDecal(at, decals.GetTexture(i), o, rotation, s, weight);
}

// In [0, 1): the shard count's draw never reaches the interval's maximum.
float NextUnitBelowOne(Random& random)
{
    random.Step();
    return static_cast<float>(static_cast<double>(random.mSeed - 1) / static_cast<double>(random.mM));
}

void DoHitEffect(Scene& scene, Toy* toy, MaterialEffect effect, float weight, float x, float y, float vx, float vy)
{
    const Material* material = GetToyMaterial(scene, toy);
    if (!material) return;
    const MaterialFamily& family = material->GetFamily(effect);
    const VectorF at(x, y);
    const float travel = std::atan2(vy, vx);
    StampListDecal(scene, *toy, family.mDecals, at, weight, -travel - toy->GetOrientation());

    const float direction = effect == MaterialEffect::kExitHole ? travel : -travel;
    for (const ParticleSystem* t : family.mTemplates) {
        ParticleSystem* copy = t ? SpawnEffectSystem(scene, *t) : nullptr;
        if (!copy) continue;
        copy->mPosition = at;
        copy->SetStartDirection(direction);
        // One burst: a template's own emission would go on for ever.
        copy->SwitchOFFParticleEmitting();
        copy->EmitBoom();
        copy->UpdateEmission();
        copy->SetDeleteWhenEmpty(true);
    }

    const IntervalI count = family.mShardsCount;
    const float r = NextUnitBelowOne(scene.mRandom);
    const double span = static_cast<double>(count.mMaxValue) - static_cast<double>(count.mMinValue);
    // A system holds no more particles than this, whatever a file asks.
    const int64_t n = std::min<int64_t>(count.mMinValue + static_cast<int64_t>(span * r), ParticleSystem::kMaxParticles);
    Texture* texture = toy->mMainTexture;
    if (n <= 0 || !texture) return;
    auto* shards = static_cast<ParticleSystem*>(texture->mShardSystems.Get(&scene));
    if (!shards) return;
    const VectorF local = toy->WorldToLocal(at);
    shards->SetStartMoveVector(toy->GetVelocityAt(at) + VectorF(vx, vy) * kShardVelocityShare);
    shards->mPosition = at;
    const IntervalF savedSize = shards->mSizeOnStart;
    shards->mSizeOnStart = family.mShardsSize;
    const VectorF texCoord = toy->GetNearestTexCoord(local);
    for (int64_t i = 0; i < n; ++i) shards->EmitShardPaticle(texCoord);
    shards->mSizeOnStart = savedSize;
}

} // namespace

Material* GetToyMaterial(const Scene& scene, const Toy* toy)
{
    if (!toy) return nullptr;
    if (!toy->GetUseDefaultMaterial()) return toy->mOwnMaterial;
    return scene.mDefaultMaterials.FindForName(toy->mDefaultMaterialName);
}

bool GetToySurfaceDeform(const Scene& scene, const Toy* toy, float& resistance)
{
    resistance = 1.0f;
    const Material* material = GetToyMaterial(scene, toy);
    if (!material) return false;
    resistance = material->mSurfaceDeformResistance;
    return material->mAllowSurfaceDeform != 0;
}

void DecideParticleHoles(const Scene& scene, const Toy* toy, float power, bool& noHole, bool& entryOnly,
                         bool& entryAndExit)
{
    noHole = entryOnly = entryAndExit = false;
    if (!toy) {
        noHole = true;
        return;
    }
    DecideParticleHoles(GetToyMaterial(scene, toy), power, noHole, entryOnly, entryAndExit);
}

void DecideParticleHoles(const Material* material, float power, bool& noHole, bool& entryOnly, bool& entryAndExit)
{
    noHole = entryOnly = entryAndExit = false;
    if (!material) return;
    if (!material->mAllowMakingHoles || power < material->mEntryHole.mParticlePowerMin) noHole = true;
    else if (power > material->mExitHole.mParticlePowerMin) entryAndExit = true;
    else entryOnly = true;
}

void DoDentEffect(Scene& scene, Toy* toy, float weight, float x, float y, float vx, float vy)
{
    DoHitEffect(scene, toy, MaterialEffect::kDent, weight, x, y, vx, vy);
}

void DoEntryHoleEffect(Scene& scene, Toy* toy, VectorF& velocity, float weight, float x, float y)
{
    DoHitEffect(scene, toy, MaterialEffect::kEntryHole, weight, x, y, velocity.mX, velocity.mY);
    if (const Material* material = GetToyMaterial(scene, toy)) velocity = velocity * material->mEntryHole.mParticleSlowDown;
}

void DoExitHoleEffect(Scene& scene, Toy* toy, VectorF& velocity, float weight, float x, float y)
{
    DoHitEffect(scene, toy, MaterialEffect::kExitHole, weight, x, y, velocity.mX, velocity.mY);
    if (const Material* material = GetToyMaterial(scene, toy)) velocity = velocity * material->mExitHole.mParticleSlowDown;
}

void DoBreakEffect(Scene& scene, Toy& piece, int32_t crackPointCount)
{
    const Material* material = GetToyMaterial(scene, &piece);
    const int32_t n = piece.mOutline.Count();
    if (!material || material->mBreakDecals.Count() == 0 || n == 0) return;
    const MaterialDecalList& decals = material->mBreakDecals;
    // A crack longer than the outline starts at its first point; an empty
    // crack leaves only the decal at the closing point.
    const int32_t start = n - std::clamp(crackPointCount, 0, n);
    VectorF p = piece.mOutline[start < n ? start : 0];
    const float lo = std::max(material->mBreakDecalsDistance.mMinValue, 1.0f);
    const float hi = std::max(material->mBreakDecalsDistance.mMaxValue, 1.0f);
    float remaining = lo + (hi - lo) * scene.mRandom.NextFloat();
    StampListDecal(scene, piece, decals, p, 1.0f, 0.0f);
    if (start >= n) return;
    int32_t stamped = 1;
    for (int32_t i = start; stamped < kMaxBreakDecals;) {
        const int32_t j = i + 1 == n ? 0 : i + 1;
        const VectorF q = piece.mOutline[j];
        const float d = (q - p).GetLength();
        if (!std::isfinite(d) || !std::isfinite(remaining)) return;
        if (remaining >= d) {
            remaining -= d;
            p = q;
            if (++i == n) {
                StampListDecal(scene, piece, decals, p, 1.0f, 0.0f);
                return;
            }
            continue;
        }
        p += (q - p) * (remaining / d);
        remaining = lo + (hi - lo) * scene.mRandom.NextFloat();
        StampListDecal(scene, piece, decals, p, 1.0f, 0.0f);
        ++stamped;
    }
}

ParticleSystem* SpawnEffectSystem(Scene& scene, const ParticleSystem& particleTemplate)
{
    // A burst emits its boom and nothing more: its pool need hold no more
    // (it grows, should the count be drawn higher).
    const IntervalI boom = particleTemplate.GetEmitBoomCount();
    const int32_t burst = std::clamp(std::max(boom.mMinValue, boom.mMaxValue), 1, ParticleSystem::kMaxParticles);
    ParticleSystem* copy = scene.SpawnParticleSystemCopy(&particleTemplate, burst);
    if (!copy) return nullptr;
    // The template's record carries the gravity of the scene it was made in.
    copy->mSceneGravity = scene.mGravity;
    // Effect particles cause no further effects.
    copy->SetAllowEffectDent(false);
    copy->SetAllowEffectHoles(false);
    return copy;
}

} // namespace KIV
