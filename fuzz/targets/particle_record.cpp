// fuzz-runs: 3000
// A particle system's record read into a system, which then emits; a record
// it takes writes back to bytes that read the same again.
#include <cstdlib>
#include <cstring>
#include "FuzzWorld.h"
#include "base/MemoryStream.h"
#include "physics/particles/ParticleSystem.h"

using namespace KIV;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryStream in;
    if (!Fuzz::HoldBytes(in, data, size)) return 0;
    ParticleSystem system;
    if (!system.ReadProps(in, false)) return 0;
    system.EmitBoom();
    MemoryStream out;
    if (!system.WriteProps(out)) std::abort();
    out.SetPosition(0);
    ParticleSystem copy;
    if (!copy.ReadProps(out, false)) std::abort();
    MemoryStream again;
    copy.WriteProps(again);
    if (again.GetSize() != out.GetSize() || std::memcmp(again.GetData(), out.GetData(), size_t(out.GetSize())) != 0)
        std::abort();
    return 0;
}
