// fuzz-runs: 2000
// A windows-layout file's bytes: read as far as they go, applied to the
// nineteen windows without harm, and a written layout reads back the same.
#include <cstdlib>
#include <cstring>
#include "base/MemoryStream.h"
#include "editor/EditWindowManager.h"
#include "editor/WindowsLayout.h"

using namespace KIV;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryStream in;
    in.WriteBytes(data, static_cast<int32_t>(size));
    in.SetPosition(0);
    WindowsLayout layout;
    if (!ReadWindowsLayout(in, layout)) {
        if (size != 0) std::abort();
        return 0;
    }
    if (static_cast<int64_t>(layout.mRecords.size()) > static_cast<int64_t>(size)) std::abort();
    // Nineteen windows without pages (no page textures to make in every run);
    // desktop windows are not made here: the manager has no factory.
    EditWindowManager windows;
    for (int32_t k = 0; k < EditWindowManager::kWindowCount; ++k)
        windows.AddWindow(k % 2 == 0, k < 11 ? 0 : k - 10, "w", "", {400 + k, 300}, {float(k), 0.0f});
    ApplyWindowsLayout(layout, windows);
    MemoryStream out;
    if (!WriteWindowsLayout(out, layout)) std::abort();
    out.SetPosition(0);
    WindowsLayout again;
    if (!ReadWindowsLayout(out, again) || again.mRecords.size() != layout.mRecords.size()) std::abort();
    return 0;
}
