// fuzz-runs: 3000
// An editor-builder file's bytes: read as far as they go, every page's
// statements made, and what is written reads back to the same bytes.
#include <cstdlib>
#include <cstring>
#include "base/MemoryStream.h"
#include "editor/EdyBuilder.h"

using namespace KIV;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryStream in;
    in.WriteBytes(data, static_cast<int32_t>(size));
    in.SetPosition(0);
    EdyBuilder builder;
    builder.Read(in);
    for (int32_t p = 0; p < builder.GetPageCount(); ++p) builder.GetPageScript(p);
    MemoryStream out;
    if (!builder.Write(out)) std::abort();
    out.SetPosition(0);
    EdyBuilder again;
    again.Read(out);
    MemoryStream out2;
    again.Write(out2);
    if (out2.GetSize() != out.GetSize() || std::memcmp(out2.GetData(), out.GetData(), size_t(out.GetSize())) != 0)
        std::abort();
    // The statements of what was read parse without harm.
    builder.SelectPage(0);
    if (EdyPage* page = builder.GetPage(0))
        for (size_t k = 0; k < page->mControls.size() && k < 8; ++k) builder.MyConvert(page->mControls[k]->GetStatement());
    return 0;
}
