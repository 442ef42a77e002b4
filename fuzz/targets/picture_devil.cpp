// fuzz-runs: 1500
// The picture formats DevIL still reads (all but PNG and JPEG), as a terrain
// record may name them: the first byte chooses the file type, the rest is the file.
#include "FuzzWorld.h"

namespace {
const char* const kNames[] = {"x.tga", "x.bmp"};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const std::string name = kNames[data[0] % (sizeof kNames / sizeof kNames[0])];
    KIV::Fuzz::CheckDecoder(
        [&](const uint8_t* d, size_t n, KIV::DecodedPicture& out, std::string& reason) {
            return KIV::DecodeWithDevIL(d, n, name, out, reason);
        },
        data + 1, size - 1);
    return 0;
}
