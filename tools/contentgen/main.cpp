#include <cstdio>
#include "tools/contentgen/ContentList.h"

// Draws the game's own pictures and writes them below the data root given as
// the only argument (the folder that holds Textures/).
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: contentgen <data root folder>\n");
        return 2;
    }
    return KIV::WriteAllContent(argv[1]) == 0 ? 0 : 1;
}
