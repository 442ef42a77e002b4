// fuzz-runs: 20000
// The memory stream's readers over any bytes, in any order: every read stays
// inside the data, a failed read leaves the position at the end, and a string
// never claims more than is there.
#include <cstdlib>
#include <string>
#include "base/MemoryStream.h"

using namespace KIV;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    // The first byte says how many of the following bytes are operations;
    // the rest is the stream's content.
    const size_t opCount = data[0] % 32 < size - 1 ? data[0] % 32 : size - 1;
    const uint8_t* ops = data + 1;
    const uint8_t* content = ops + opCount;
    const size_t contentSize = size - 1 - opCount;
    MemoryStream s;
    if (contentSize > 0 && !s.WriteBytes(content, int32_t(contentSize))) return 0;
    s.SetPosition(0);
    for (size_t i = 0; i < opCount; ++i) {
        const int32_t before = s.GetPosition();
        bool read = true;
        uint8_t b;
        int32_t n;
        float f;
        VectorF v, w;
        VectorI vi;
        RectI r;
        std::string text;
        uint8_t bytes[64];
        switch (ops[i] % 11) {
        case 0: read = s.ReadByte(b); break;
        case 1: read = s.ReadInt(n); break;
        case 2: read = s.ReadFloat(f); break;
        case 3: read = s.ReadVector(v); break;
        case 4: read = s.ReadVector(vi); break;
        case 5: read = s.ReadVectorPair(v, w); break;
        case 6: read = s.ReadRect(r); break;
        case 7:
            read = s.ReadString(text);
            if (read && int64_t(text.size()) > int64_t(contentSize)) std::abort();
            break;
        case 8: read = s.ReadBytes(bytes, ops[i] % 64); break;
        case 9: s.SetPosition(ops[i] / 11); break;
        case 10: s.SetPosition(s.GetSize() - ops[i] / 11); break;
        }
        if (s.GetPosition() < 0 || s.GetPosition() > s.GetSize()) std::abort();
        if (!read && s.GetPosition() != s.GetSize()) std::abort();
        if (read && ops[i] % 11 < 9 && s.GetPosition() < before) std::abort();
        if (!read && !s.HasReadPastEnd()) std::abort();
    }
    return 0;
}
