// fuzz-runs: 600
// The joint state record read into a joint between two toys, which then
// steps with the motor, spring, brake and gear settings it carried.
#include <cstdlib>
#include "FuzzWorld.h"
#include "base/MemoryStream.h"

using namespace KIV;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    KIVGame& game = Fuzz::EmptySmallWorld();
    Toy* a = Fuzz::AddRoundToy(game, 60.0f, VectorF(0, 0));
    Toy* b = Fuzz::AddRoundToy(game, 60.0f, VectorF(80, 0));
    if (!a || !b) std::abort();
    Joint* joint = game.CreateJoint(game.mJoints, "fuzz", a, VectorF(30, 0), b, VectorF(-30, 0), nullptr);
    if (!joint) std::abort();
    MemoryStream in;
    if (!Fuzz::HoldBytes(in, data, size)) return 0;
    if (!joint->ReadState(in)) return 0;
    for (int i = 0; i < 3; ++i) game.SimulateStep();
    // An overloaded joint breaks in the step and is gone.
    if (game.mJoints.mJoints.Count() == 0) return 0;
    MemoryStream out;
    if (!game.mJoints.mJoints[0]->WriteState(out)) std::abort();
    out.SetPosition(0);
    Joint copy;
    if (!copy.ReadState(out)) std::abort();
    return 0;
}
