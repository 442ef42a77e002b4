// fuzz-runs: 4000
// A JPEG picture file as the texture library would read it: it decodes in
// bounded time or fails with a reason, and a decoded picture is whole.
#include "FuzzWorld.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    KIV::Fuzz::CheckDecoder(KIV::DecodeJpeg, data, size);
    return 0;
}
