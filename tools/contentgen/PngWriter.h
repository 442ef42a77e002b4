#pragma once
#include <string>
#include "tools/contentgen/Canvas.h"

namespace KIV {

// Writes the canvas as a PNG file, creating missing folders and replacing an
// older file of that name. False when the file could not be written.
bool SavePng(const Canvas& canvas, const std::string& path);

} // namespace KIV
