#include "tools/contentgen/PngWriter.h"
#include <IL/il.h>
#include <filesystem>
#include <system_error>

namespace KIV {

namespace {

void InitDevIL()
{
    static bool done = false;
    if (!done) {
        ilInit();
        // Without this DevIL keeps the old file and still reports nothing
        // useful, so a re-run would leave stale pictures behind.
        ilEnable(IL_FILE_OVERWRITE);
        done = true;
    }
}

} // namespace

bool SavePng(const Canvas& canvas, const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path target(path);
    if (target.has_parent_path()) {
        std::filesystem::create_directories(target.parent_path(), ec);
        if (ec) return false;
    }
    InitDevIL();

    // ilTexImage takes the first row as the bottom one; hand the rows over
    // bottom first so the file's first row is the picture's top.
    const std::vector<uint8_t> topDown = canvas.ToBytes();
    const size_t rowBytes = static_cast<size_t>(canvas.Width()) * 4;
    std::vector<uint8_t> bottomUp(topDown.size());
    for (int32_t y = 0; y < canvas.Height(); ++y) {
        const size_t from = static_cast<size_t>(canvas.Height() - 1 - y) * rowBytes;
        std::copy(topDown.begin() + from, topDown.begin() + from + rowBytes, bottomUp.begin() + y * rowBytes);
    }

    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool ok = ilTexImage(canvas.Width(), canvas.Height(), 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, bottomUp.data()) == IL_TRUE;
    if (ok) ok = ilSaveImage(path.c_str()) == IL_TRUE;
    for (int i = 0; i < 64 && ilGetError() != IL_NO_ERROR; ++i) {
        // DevIL stacks its errors; leave none behind for the next picture.
    }
    ilDeleteImages(1, &image);
    return ok;
}

} // namespace KIV
