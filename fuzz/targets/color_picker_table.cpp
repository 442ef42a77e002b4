// fuzz-runs: 2000
// A colour picker table's bytes: read as far as they go, and the table
// written back is always the 577 bytes of the format.
#include <cstdlib>
#include "base/MemoryStream.h"
#include "editor/ColorPickerTable.h"

using namespace KIV;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryStream in;
    in.WriteBytes(data, static_cast<int32_t>(size));
    in.SetPosition(0);
    ColorPickerTable table;
    table.Read(in);
    MemoryStream out;
    if (!table.Write(out) || out.GetSize() != ColorPickerTable::kFileSize) std::abort();
    if (table.GetArrayText().empty()) std::abort();
    return 0;
}
