// pakforge: packs one folder into a resource pack for the HTML-view layer.
// All the packing, and every check, is the layer's: this program only builds
// the pack path and reports the outcome.
#include "editor/webview/pak/DataPak.h"

#include <cstdint>
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fputs("Invalid arguments. Usage is: <pak_name> <input_dir> <output_dir> <ext_to_ignore (optional)>\n",
                   stderr);
        std::fputs("\tFor example: pakforge.exe mypakfile C:\\input_dir\\ C:\\output_dir\\ .svn,.suo\n", stderr);
        return -1;
    }
    const std::string packPath = std::string(argv[3]) + "\\" + argv[1] + ".pak";
    const std::string inputDir = argv[2];
    const std::string ignoreList = argc > 4 ? argv[4] : "";
    const KIV::WebString pack = KIV::WebString::CreateFromUTF8(packPath.c_str(), packPath.size());
    const KIV::WebString input = KIV::WebString::CreateFromUTF8(inputDir.c_str(), inputDir.size());
    const KIV::WebString ignore = KIV::WebString::CreateFromUTF8(ignoreList.c_str(), ignoreList.size());
    uint16_t count = 0;
    if (KIV::WriteDataPak(pack, input, ignore, count)) {
        std::printf("Successfully wrote %u files to PAK file.\n", static_cast<unsigned>(count));
        return 0;
    }
    std::fputs("Failed to write PAK file.\n", stderr);
    return -1;
}
