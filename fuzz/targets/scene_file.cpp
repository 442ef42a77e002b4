// fuzz-runs: 500
// The scene file as the game meets it: load, rebuild, a few steps with a toy
// falling on the terrain, save, and load again. A refused load must leave the
// scene as it was; a scene that loaded must save and read back.
#include <cstdio>
#include <cstdlib>
#include "FuzzWorld.h"
#include "base/MemoryStream.h"

using namespace KIV;

namespace {
std::string sRoot;
Fuzz::FuzzGame* sGame = nullptr;
Fuzz::FuzzGame* sReloaded = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::StartProcess();
    sRoot = Fuzz::MakeDataRoot("scene");
    sGame = new Fuzz::FuzzGame(sRoot);
    sReloaded = new Fuzz::FuzzGame(sRoot);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input = sRoot + "Scenes\\input.kis";
    const std::string output = sRoot + "Scenes\\output.kis";
    {
        MemoryStream s;
        if (size > 0) s.WriteBytes(data, int32_t(size));
        if (!s.SaveToFile(input)) std::abort();
    }
    KIVGame& game = *sGame->mGame;
    Fuzz::ClearWorld(game);
    // One object before the load, which a refused load must keep.
    BendObject* before = game.mTerrainObjects.AppendNew();
    before->SetTexture(*sGame->mTextures, Fuzz::kRockPicture);
    if (!game.LoadScene(input)) {
        if (game.mTerrainObjects.Count() != 1 || game.mTerrainObjects[0] != before) std::abort();
        return 0;
    }
    game.RebuildDerivedState();
    Fuzz::AddRoundToy(game, 40.0f, VectorF(0.0f, -100.0f));
    for (int i = 0; i < 3; ++i) game.SimulateStep();
    if (!game.SaveScene(output)) std::abort();
    KIVGame& again = *sReloaded->mGame;
    Fuzz::ClearWorld(again);
    if (!again.LoadScene(output)) std::abort();
    if (again.mTerrainObjects.Count() != game.mTerrainObjects.Count()) std::abort();
    again.RebuildDerivedState();
    return 0;
}
