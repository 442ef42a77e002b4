#pragma once
#include <cstdint>

#include "editor/webview/pak/WebString.h"

namespace KIV {

// Packs every regular file under inputDir into the pack at packPath, except
// files and folders whose extension (from the last '.', compared without case)
// is in the comma-separated ignoreList. Names inside are relative to inputDir,
// joined with '/'. Symbolic links are not followed and the pack itself is never
// packed. fileCount gets the number of files written. On failure the reason
// goes to stderr, no pack is left behind, and false is returned.
bool WriteDataPak(const WebString& packPath, const WebString& inputDir, const WebString& ignoreList,
                  uint16_t& fileCount);

} // namespace KIV
