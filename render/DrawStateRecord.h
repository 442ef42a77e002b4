#pragma once
#include <cstdint>
#include "render/DrawState.h"

namespace KIV {

class MemoryStream;

// The 22-byte stream record of a shape's draw settings, embedded in the
// particle-system and terrain-object records: version 1, blender, texture
// colour operation, fill colour, fog colour, alpha extrude, lighted.
inline constexpr int32_t kDrawStateRecordSize = 22;

// The settings a record describes when it was initialised white: blender and
// colour operation 0, opaque white fill, white fog with alpha 0, value 0, lit.
bool InitWhiteRecord(DrawState& state);
bool WriteDrawStateRecord(MemoryStream& stream, const DrawState& state);
// A record of version 0 is skipped whole (the settings keep their
// values), so the fields after it still line up.
bool ReadDrawStateRecord(MemoryStream& stream, DrawState& state);

} // namespace KIV
