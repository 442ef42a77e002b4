#pragma once
#include <cstdint>
#include <string>
#include "base/Color.h"

namespace KIV {

class MemoryStream;

// The colour picker's palette of 12 x 12 stored colours, kept in
// "Editor\ColorPickerTable.kiv": a version byte 0, then 144 entries of red,
// green, blue and alpha bytes, entry x + 12 y.
class ColorPickerTable {
public:
    static constexpr int32_t kSide = 12;
    static constexpr int32_t kEntries = kSide * kSide;
    static constexpr int32_t kFileSize = 1 + 4 * kEntries;
    static constexpr const char* kFileName = "Editor\\ColorPickerTable.kiv";

    // Every entry starts as transparent black, so a table that was never
    // loaded writes defined bytes.
    ColorPickerTable() = default;

    // Fills the leading entries the bytes hold; the rest keep their colours.
    void Read(MemoryStream& stream);
    bool Write(MemoryStream& stream) const;
    // False, leaving the table alone, when the file cannot be read.
    bool Load(const std::string& path);
    bool Save(const std::string& path) const;
    // Stores the colour when x and y are both 0..11 and saves the whole table,
    // reading the file first if that has not happened, so its other colours
    // are kept. False when out of range.
    bool StoreColor(const std::string& path, int32_t x, int32_t y, const ColorRGBA& colour);

    // The 576 channel values as a page array text, entry by entry.
    std::string GetArrayText() const;
    const ColorRGBA& GetEntry(int32_t index) const { return mEntries[index]; }
    bool IsLoaded() const { return mLoaded; }
    void MarkLoaded() { mLoaded = true; }

private:
    ColorRGBA mEntries[kEntries] = {};
    bool mLoaded = false;
};

// The blend modes the pages offer, index 0 first, as a page array text.
std::string GetBlendersList();

} // namespace KIV
