// fuzz-runs: 2000
// One terrain-object record: read, placed on its picture and rebuilt, then
// written; what it writes reads back and writes the same bytes again.
#include <cstdlib>
#include <cstring>
#include "FuzzWorld.h"
#include "base/MemoryStream.h"

using namespace KIV;

namespace {
std::string sRoot;
std::unique_ptr<TextureLib> sTextures;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::StartProcess();
    sRoot = Fuzz::MakeDataRoot("terrain");
    sTextures = std::make_unique<TextureLib>(sRoot + "Textures");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryStream in;
    if (!Fuzz::HoldBytes(in, data, size)) return 0;
    BendObject object;
    if (!object.Read(in)) return 0;
    if (object.ReloadTexture(*sTextures)) object.Rebuild();
    MemoryStream first;
    if (!object.Write(first)) std::abort();
    first.SetPosition(0);
    BendObject copy;
    if (!copy.Read(first)) std::abort();
    MemoryStream second;
    if (!copy.Write(second)) std::abort();
    if (first.GetSize() != second.GetSize() ||
        std::memcmp(first.GetData(), second.GetData(), size_t(first.GetSize())) != 0)
        std::abort();
    return 0;
}
