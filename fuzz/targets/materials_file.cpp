// fuzz-runs: 1500
// The default materials file read into a scene's list, and the same bytes as
// one material record; the first material then governs a toy that a bullet
// goes through and that breaks. What was read writes back to bytes that read
// the same again.
#include <cstdlib>
#include <cstring>
#include "FuzzWorld.h"
#include "base/MemoryStream.h"
#include "physics/materials/MaterialEffects.h"
#include "physics/particles/ParticleSystem.h"

using namespace KIV;

namespace {

void CheckRoundTrip(const Material& material)
{
    MemoryStream out;
    if (!material.Write(out)) std::abort();
    out.SetPosition(0);
    Material copy;
    if (!copy.Read(out)) std::abort();
    MemoryStream again;
    copy.Write(again);
    if (again.GetSize() != out.GetSize() || std::memcmp(again.GetData(), out.GetData(), size_t(out.GetSize())) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    KIVGame& game = Fuzz::EmptySmallWorld();
    game.DeleteAllParticleSystems(game.mParticleSystems);
    MemoryStream in;
    if (!Fuzz::HoldBytes(in, data, size)) return 0;
    game.mDefaultMaterials.Read(in);
    for (const Material* m : game.mDefaultMaterials.mList) CheckRoundTrip(*m);

    in.SetPosition(0);
    Material record;
    record.Read(in);
    CheckRoundTrip(record);

    Toy* toy = Fuzz::AddRoundToy(game, 60.0f, VectorF(0, 0));
    if (!toy) std::abort();
    VectorF velocity(500.0f, 20.0f);
    DoDentEffect(game, toy, 0.5f, -30.0f, 0.0f, velocity.mX, velocity.mY);
    DoEntryHoleEffect(game, toy, velocity, 1.0f, -30.0f, 0.0f);
    DoExitHoleEffect(game, toy, velocity, 1.5f, 30.0f, 0.0f);
    toy->SetUseDefaultMaterial(false);
    Material::CopyThroughStream(record, *toy->mOwnMaterial);
    DoBreakEffect(game, *toy, 5);
    game.DeleteAllParticleSystems(game.mParticleSystems);
    return 0;
}
