#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "base/Array.h"
#include "base/FastName.h"
#include "base/HandleTable.h"
#include "base/Interval.h"

namespace KIV {

class MemoryStream;
class ParticleSystem;

// One decal of an effect family: a picture stamped into the hit toy, with its
// size and opacity drawn from the intervals.
struct MaterialDecal {
    std::string mTexture;
    IntervalF mSize{1.0f, 1.0f};
    IntervalF mOpacity{1.0f, 1.0f};
};

// The decals of a family with the editor's selection. Accessors answer the
// defaults of a fresh decal for an index outside the list, because a stored
// selection is kept as the file gave it.
class MaterialDecalList {
public:
    void Add();
    void Delete(int32_t i);
    int32_t Count() const { return static_cast<int32_t>(mItems.size()); }
    int32_t GetSelectedIndex() const { return mSelected; }
    void Select(int32_t i)
    {
        if (Has(i)) mSelected = i;
    }
    bool Has(int32_t i) const { return i >= 0 && i < Count(); }
    std::string GetTexture(int32_t i) const { return Has(i) ? mItems[i].mTexture : std::string(); }
    void SetTexture(int32_t i, const std::string& texture);
    // The texture library's current picture onto the selected decal.
    void SetSelectedTextureFromLib();
    IntervalF GetSize(int32_t i) const { return Has(i) ? mItems[i].mSize : IntervalF(1.0f, 1.0f); }
    void SetSize(int32_t i, const IntervalF& v);
    IntervalF GetOpacity(int32_t i) const { return Has(i) ? mItems[i].mOpacity : IntervalF(1.0f, 1.0f); }
    void SetOpacity(int32_t i, const IntervalF& v);

    std::vector<MaterialDecal> mItems;
    int32_t mSelected = -1;
};

// An effect family (dent, entry hole, exit hole): its decals, the
// particle-system templates each hit copies into the scene, and the shards.
// The hole families also use the power threshold and the slow-down.
struct MaterialFamily {
    MaterialFamily();
    ~MaterialFamily();
    MaterialFamily(const MaterialFamily&) = delete;
    MaterialFamily& operator=(const MaterialFamily&) = delete;
    MaterialDecalList mDecals;
    PtrArray<ParticleSystem> mTemplates{32};
    IntervalI mShardsCount{1, 3};
    IntervalF mShardsSize{2.0f, 4.0f};
    float mParticlePowerMin = 0.0f;
    float mParticleSlowDown = 0.9f;

    void AddTemplate();
    void DeleteTemplate(int32_t i);
    ParticleSystem* GetSelectedTemplate() const { return mTemplates.GetSelected(); }
    void SelectTemplate(int32_t i) { mTemplates.Select(i); }
    std::string GetTemplatesListArray() const;
    std::string GetSelectedTemplateName() const;
    void SetSelectedTemplateName(const std::string& name);
};

enum class MaterialEffect : int32_t { kDent = 0, kEntryHole = 1, kExitHole = 2 };

// What a toy is made of: density and friction, which damage it may take, and
// what a hit or a break shows. Owns its decal lists and its templates; the
// templates are never simulated, each effect copies them into the scene.
class Material {
public:
    static constexpr uint8_t kRecordVersion = 1;
    static constexpr int32_t kFreshRecordSize = 171;

    Material() = default;
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;

    // ---- script methods, in the order the script API lists them ----
    std::string GetName() const { return mName.GetInString(); }
    void SetName(const std::string& name) { mName.SetByString(name); }
    FastName GetFastName() const { return mName; }
    float GetDensity() const { return mDensity; }
    void SetDensity(float v) { mDensity = v; }
    float GetFriction() const { return mFriction; }
    void SetFriction(float v) { mFriction = v; }
    bool GetAllowSurfaceDeform() const { return mAllowSurfaceDeform != 0; }
    void SetAllowSurfaceDeform(bool b) { mAllowSurfaceDeform = b ? 1 : 0; }
    float GetSurfaceDeformResistance() const { return mSurfaceDeformResistance; }
    void SetSurfaceDeformResistance(float v) { mSurfaceDeformResistance = v; }
    bool GetAllowPenetratingParticles() const { return mAllowPenetratingParticles != 0; }
    void SetAllowPenetratingParticles(bool b) { mAllowPenetratingParticles = b ? 1 : 0; }
    bool GetAllowMakingHoles() const { return mAllowMakingHoles != 0; }
    void SetAllowMakingHoles(bool b) { mAllowMakingHoles = b ? 1 : 0; }
    bool GetAllowGrind() const { return mAllowGrind != 0; }
    void SetAllowGrind(bool b) { mAllowGrind = b ? 1 : 0; }
    bool GetAllowBurning() const { return mAllowBurning != 0; }
    void SetAllowBurning(bool b) { mAllowBurning = b ? 1 : 0; }
    bool GetAllowFreeze() const { return mAllowFreeze != 0; }
    void SetAllowFreeze(bool b) { mAllowFreeze = b ? 1 : 0; }

#define KIV_MATERIAL_DECAL_METHODS(Family, list)                                                                  \
    void Add##Family##Decal() { list.Add(); }                                                                     \
    void Del##Family##Decal(int32_t i) { list.Delete(i); }                                                        \
    int32_t Gel##Family##DecalCount() const { return list.Count(); }                                              \
    int32_t Gel##Family##DecalSelectedIndex() const { return list.GetSelectedIndex(); }                           \
    void Select##Family##Decal(int32_t i) { list.Select(i); }                                                     \
    std::string Get##Family##DecalTexture(int32_t i) const { return list.GetTexture(i); }                         \
    void Set##Family##DecalTexture(int32_t i, const std::string& t) { list.SetTexture(i, t); }                    \
    void Set##Family##DecalTextureFromLib() { list.SetSelectedTextureFromLib(); }                                 \
    IntervalF Get##Family##DecalSize(int32_t i) const { return list.GetSize(i); }                                 \
    void Set##Family##DecalSize(int32_t i, const IntervalF& v) { list.SetSize(i, v); }                            \
    IntervalF Get##Family##DecalOpacity(int32_t i) const { return list.GetOpacity(i); }                           \
    void Set##Family##DecalOpacity(int32_t i, const IntervalF& v) { list.SetOpacity(i, v); }

#define KIV_MATERIAL_FAMILY_METHODS(Family, family)                                                               \
    KIV_MATERIAL_DECAL_METHODS(Family, family.mDecals)                                                            \
    void Add##Family##Particles() { family.AddTemplate(); }                                                       \
    void Del##Family##Particles(int32_t i) { family.DeleteTemplate(i); }                                          \
    ParticleSystem* Get##Family##ParticlesSelected() const { return family.GetSelectedTemplate(); }               \
    int32_t Get##Family##ParticlesSelectedIndex() const { return family.mTemplates.GetSelectedIndex(); }          \
    void Select##Family##Particles(int32_t i) { family.SelectTemplate(i); }                                       \
    std::string Get##Family##ParticlesListArray() const { return family.GetTemplatesListArray(); }                \
    std::string Get##Family##ParticlesName() const { return family.GetSelectedTemplateName(); }                   \
    void Set##Family##ParticlesName(const std::string& name) { family.SetSelectedTemplateName(name); }            \
    IntervalI Get##Family##ShardsCount() const { return family.mShardsCount; }                                    \
    void Set##Family##ShardsCount(const IntervalI& v) { family.mShardsCount = v; }                                \
    IntervalF Get##Family##ShardsSize() const { return family.mShardsSize; }                                      \
    void Set##Family##ShardsSize(const IntervalF& v) { family.mShardsSize = v; }                                  \
    void Set##Family##ShardsSizeDefault() { family.mShardsSize = IntervalF(2.0f, 4.0f); }

#define KIV_MATERIAL_HOLE_METHODS(Family, family)                                                                 \
    float Get##Family##ParticlePowerMin() const { return family.mParticlePowerMin; }                              \
    void Set##Family##ParticlePowerMin(float v) { family.mParticlePowerMin = v; }                                 \
    float Get##Family##ParticleSlowDown() const { return family.mParticleSlowDown; }                              \
    void Set##Family##ParticleSlowDown(float v) { family.mParticleSlowDown = v; }

    KIV_MATERIAL_FAMILY_METHODS(Dent, mDent)
    KIV_MATERIAL_HOLE_METHODS(EntryHole, mEntryHole)
    KIV_MATERIAL_FAMILY_METHODS(EntryHole, mEntryHole)
    KIV_MATERIAL_HOLE_METHODS(ExitHole, mExitHole)
    KIV_MATERIAL_FAMILY_METHODS(ExitHole, mExitHole)
    KIV_MATERIAL_DECAL_METHODS(Break, mBreakDecals)
    IntervalF GetBreakDecalsDistance() const { return mBreakDecalsDistance; }
    void SetBreakDecalsDistance(const IntervalF& v) { mBreakDecalsDistance = v; }

#undef KIV_MATERIAL_DECAL_METHODS
#undef KIV_MATERIAL_FAMILY_METHODS
#undef KIV_MATERIAL_HOLE_METHODS

    MaterialFamily& GetFamily(MaterialEffect effect)
    {
        return effect == MaterialEffect::kDent ? mDent : (effect == MaterialEffect::kEntryHole ? mEntryHole : mExitHole);
    }
    const MaterialFamily& GetFamily(MaterialEffect effect) const { return const_cast<Material*>(this)->GetFamily(effect); }

    // ---- the material record (MaterialRecord.cpp) ----
    bool Write(MemoryStream& stream) const;
    // Replaces this material's contents with a record's. A field the data
    // does not hold keeps its value. False when the record was cut or damaged.
    bool Read(MemoryStream& stream);
    // Every field and template of the source, through the record.
    static bool CopyThroughStream(const Material& source, Material& target);

    // How scripts name the material; what they kept of it goes stale with it.
    ObjectHandle mScriptHandle;

    // ---- fields ----
    FastName mName;
    float mDensity = 1.0f;
    float mFriction = 0.0f;
    uint8_t mAllowSurfaceDeform = 1;
    float mSurfaceDeformResistance = 1.0f;
    uint8_t mAllowPenetratingParticles = 1;
    uint8_t mAllowMakingHoles = 1;
    uint8_t mAllowGrind = 0;
    uint8_t mAllowBurning = 0;
    uint8_t mAllowFreeze = 0;
    MaterialFamily mDent;
    MaterialFamily mEntryHole;
    MaterialFamily mExitHole;
    MaterialDecalList mBreakDecals;
    IntervalF mBreakDecalsDistance{2.0f, 3.0f};
};

// A count of entries of at least minBytes each. A count the remaining bytes
// cannot hold is damage, not data: nothing is allocated for it, and only as
// many entries as could be there are to be read, so cut data gives back all
// it holds. A count that cannot be read is 0.
int32_t ReadCheckedCount(MemoryStream& stream, int32_t minBytes, bool& damaged);

} // namespace KIV
