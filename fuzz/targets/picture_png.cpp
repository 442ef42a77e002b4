// fuzz-runs: 1500
// A PNG picture file as the texture library would read it: it decodes in
// bounded time or fails with a reason, and a decoded picture is whole.
#include "FuzzWorld.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    KIV::Fuzz::CheckDecoder(KIV::DecodePng, data, size);
    return 0;
}
