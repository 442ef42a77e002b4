// fuzz-runs: 3000
// A pack's bytes: refused with a reason, or every entry it lists lies inside
// the bytes and is found again by its name.
#include <cstdlib>
#include <span>
#include "editor/webview/pak/PakReader.h"

using namespace KIV;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    PakReader reader;
    if (!reader.Open(bytes).empty()) return 0;
    for (const PakReader::Entry& entry : reader.GetEntries()) {
        if (uint64_t(entry.mOffset) + entry.mSize > size) std::abort();
        std::span<const uint8_t> found;
        if (!reader.Find(entry.mName, found) || found.size() != entry.mSize) std::abort();
    }
    return 0;
}
