// fuzz-runs: 600
// The toy state record read into a toy of a small world, which then steps:
// a value the reader lets through must not break the simulation's arithmetic.
#include <cstdlib>
#include "FuzzWorld.h"
#include "base/MemoryStream.h"

using namespace KIV;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    KIVGame& game = Fuzz::EmptySmallWorld();
    Toy* toy = Fuzz::AddRoundToy(game, 60.0f, VectorF(0, 0));
    Toy* other = Fuzz::AddRoundToy(game, 60.0f, VectorF(0, 58));
    if (!toy || !other) std::abort();
    MemoryStream in;
    if (!Fuzz::HoldBytes(in, data, size)) return 0;
    if (!toy->ReadState(in)) return 0;
    for (int i = 0; i < 3; ++i) game.SimulateStep();
    // The step may have broken the toy into new ones or dropped it as debris.
    if (game.mToys.Count() == 0) return 0;
    MemoryStream out;
    if (!game.mToys[0]->WriteState(out)) std::abort();
    out.SetPosition(0);
    if (!game.mToys[game.mToys.Count() - 1]->ReadState(out)) std::abort();
    return 0;
}
