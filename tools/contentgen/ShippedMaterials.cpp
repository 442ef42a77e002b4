#include "tools/contentgen/ShippedMaterials.h"
#include <cstdio>
#include "base/MemoryStream.h"
#include "base/Platform.h"
#include "physics/materials/DefaultMaterials.h"
#include "physics/particles/ParticleSystem.h"

namespace KIV {

namespace {

struct Burst {
    const char* name;
    const char* picture;
    IntervalI count;
    float speed;
    float scattering;
    IntervalF size;
    ColorRGBA color1, color2;
    float fadeOut;
    bool gravity;
};

// A template that bursts once per hit; the effect copies it into the scene.
void AddBurst(MaterialFamily& family, const Burst& b)
{
    family.AddTemplate();
    ParticleSystem* t = family.GetSelectedTemplate();
    if (!t) return;
    t->SetName(b.name);
    // The name only: the generator has no texture library to look it up in.
    t->mTextureFileName = b.picture;
    t->mEmitBoomCount = b.count;
    t->SetStartSpeed(b.speed);
    t->SetStartSpeedMul(IntervalF(0.3f, 1.0f));
    t->SetScattering(b.scattering);
    t->mSizeOnStart = b.size;
    t->SetColor1(b.color1);
    t->SetColor2(b.color2);
    t->SetParticleWeight(0.02f);
    t->SetBounceOffToys(false);
    t->SetDoFadeAlpha(true);
    t->SetFadeAlphaFadeOut(b.fadeOut);
    t->SetDoAirFriction(true);
    t->SetAirFrictionCoef(IntervalF(0.9f, 0.95f));
    if (b.gravity) {
        t->SetDoVectorGravity(true);
        t->SetUseSceneGravity(true);
    }
}

void AddDecal(MaterialDecalList& decals, const char* picture, const IntervalF& size, const IntervalF& opacity)
{
    decals.Add();
    decals.SetTexture(decals.GetSelectedIndex(), picture);
    decals.SetSize(decals.GetSelectedIndex(), size);
    decals.SetOpacity(decals.GetSelectedIndex(), opacity);
}

} // namespace

bool WriteShippedMaterials(const std::string& root)
{
    DefaultMaterials list;
    list.AddDefaultMaterial();
    Material& m = *list.mList[0];
    m.SetName("default");
    m.SetEntryHoleParticlePowerMin(0.5f);
    m.SetExitHoleParticlePowerMin(4.0f);

    AddDecal(m.mDent.mDecals, "Toys/decals/decal3.png", IntervalF(0.5f, 0.8f), IntervalF(0.5f, 0.8f));
    AddBurst(m.mDent, {"dust", "Particles\\dust.png", IntervalI(3, 6), 60.0f, 1.4f, IntervalF(6.0f, 12.0f),
                       ColorRGBA(200, 190, 170, 200), ColorRGBA(150, 140, 120, 160), 0.6f, false});
    AddDecal(m.mEntryHole.mDecals, "Toys/decals/decal4.png", IntervalF(0.45f, 0.6f), IntervalF(0.85f, 1.0f));
    AddBurst(m.mEntryHole, {"sparks", "Particles\\spark.png", IntervalI(6, 12), 220.0f, 0.9f, IntervalF(3.0f, 6.0f),
                            ColorRGBA(255, 230, 150, 255), ColorRGBA(255, 150, 60, 255), 0.35f, true});
    AddDecal(m.mExitHole.mDecals, "Toys/decals/decal4.png", IntervalF(0.6f, 0.8f), IntervalF(0.85f, 1.0f));
    AddBurst(m.mExitHole, {"splinters", "Particles\\rock.png", IntervalI(4, 8), 180.0f, 0.7f, IntervalF(3.0f, 6.0f),
                           ColorRGBA(180, 160, 130, 255), ColorRGBA(120, 100, 80, 255), 0.8f, true});
    AddDecal(m.mBreakDecals, "Toys/decals/decal2.png", IntervalF(0.4f, 0.6f), IntervalF(0.7f, 0.9f));
    m.SetBreakDecalsDistance(IntervalF(8.0f, 14.0f));
    for (MaterialEffect e : {MaterialEffect::kDent, MaterialEffect::kEntryHole, MaterialEffect::kExitHole}) {
        m.GetFamily(e).mDecals.Select(0);
        m.GetFamily(e).SelectTemplate(0);
    }
    list.SelectDefaultMaterial(0);

    MemoryStream stream;
    const std::string path = root + "/Scenes/kiv_default_materials.kim";
    if (!list.Write(stream) || !CreateFolders(root + "/Scenes") || !stream.SaveToFile(path)) {
        std::fprintf(stderr, "contentgen: could not write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace KIV
