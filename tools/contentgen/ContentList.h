#pragma once
#include <string>
#include <vector>
#include "tools/contentgen/Canvas.h"

namespace KIV {

// One picture the game reads: its path below the data root ("/" separated, in
// the exact case the game asks for) and how to draw it.
struct ContentItem {
    std::string mPath;
    Canvas (*mMake)(int number);
    int mNumber;
};

std::vector<ContentItem> GetContentList();

// Draws and writes every picture below the root; prints one line per failure.
// Returns the number of pictures that could not be written.
int WriteAllContent(const std::string& root);

} // namespace KIV
