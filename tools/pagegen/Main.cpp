// Builds the editor-builder file the game ships with from the page
// descriptions in editor/builder: common.js (what every mode page starts
// with) and one file per edit mode, each a list of page statements, one per
// line, "//" lines being comments. The statements go through the builder's
// own page-code reader, so the file holds exactly what a designer pasting
// the same code into the builder page would get.
//
// usage: pagegen <description folder> <output file>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>
#include "base/MemoryStream.h"
#include "editor/EdyBuilder.h"

using namespace KIV;

namespace {

struct Statement {
    std::string mText;
    int mLine;
};

bool ReadStatements(const std::string& path, std::vector<Statement>& statements)
{
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "pagegen: %s: cannot be read\n", path.c_str());
        return false;
    }
    int line = 0;
    for (std::string text; std::getline(in, text);) {
        ++line;
        const size_t first = text.find_first_not_of(" \t\r");
        if (first == std::string::npos || text.compare(first, 2, "//") == 0) continue;
        statements.push_back({text.substr(first), line});
    }
    return true;
}

// A statement the reader drops (an unknown call, an identifier used twice)
// would leave a hole in the page nobody notices: it stops the build instead.
bool AddStatements(EdyBuilder& builder, int32_t page, const std::string& path)
{
    std::vector<Statement> statements;
    if (!ReadStatements(path, statements)) return false;
    for (const Statement& s : statements) {
        const size_t before = builder.GetPage(page)->mControls.size();
        builder.MyConvert(s.mText);
        if (builder.GetPage(page)->mControls.size() != before + 1) {
            std::fprintf(stderr, "pagegen: %s:%d: not a page statement, or its identifier is taken\n", path.c_str(),
                         s.mLine);
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: pagegen <description folder> <output file>\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    EdyBuilder builder;
    for (int32_t page = 0; page < EdyBuilder::kPageCount; ++page) {
        builder.SelectPage(page);
        if (!AddStatements(builder, page, folder + "common.js") ||
            !AddStatements(builder, page, folder + EdyBuilder::kPageNames[page] + ".js")) {
            return 1;
        }
    }
    MemoryStream stream;
    if (!builder.Write(stream) || !stream.SaveToFile(argv[2])) {
        std::fprintf(stderr, "pagegen: %s: cannot be written\n", argv[2]);
        return 1;
    }
    return 0;
}
