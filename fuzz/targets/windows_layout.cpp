// fuzz-runs: 3000
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
    EditWindowManager windows;
    windows.CreateAllWindows({1280, 800}, "pages/");
    // Desktop windows are not made here: the manager has no factory.
    ApplyWindowsLayout(layout, windows);
    MemoryStream out;
    if (!WriteWindowsLayout(out, layout)) std::abort();
    out.SetPosition(0);
    WindowsLayout again;
    if (!ReadWindowsLayout(out, again) || again.mRecords.size() != layout.mRecords.size()) std::abort();
    return 0;
}
