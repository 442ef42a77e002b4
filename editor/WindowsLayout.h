#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace KIV {

class EditWindowManager;
class MemoryStream;

// Where one edit window was placed. A record read from a cut file holds only
// its leading fields: the others are left to the window's current place,
// never taken from the record before.
struct WindowLayoutRecord {
    enum Field : int32_t { kX, kY, kWidth, kHeight, kOwnX, kOwnY, kOwnWidth, kOwnHeight, kFieldCount };
    int32_t mFields[kFieldCount] = {};
    uint8_t mInOwnWindow = 0;
    int32_t mFieldsRead = kFieldCount;  // how many of mFields the file held
    bool mHasOwnRect = true;            // versions 2 on, and not cut inside it
    bool mHasInOwnWindow = true;        // version 5 on, and not cut before it
};

// "Editor\windows_layout_<n>.kiv": a version byte (5 written; 1 to 5 read),
// from version 4 the game window's x, y, width and height, then a count and
// one record per edit window: the page area's x, y, width, height, from
// version 2 its desktop window's rectangle, from version 5 whether it is in
// that window.
struct WindowsLayout {
    static constexpr uint8_t kVersion = 5;
    uint8_t mVersion = kVersion;
    int32_t mGameWindow[4] = {};  // x, y, width, height
    int32_t mGameFieldsRead = 0;  // 4 when the file held the whole game window
    std::vector<WindowLayoutRecord> mRecords;

    static std::string GetFileName(int32_t number);
    static int32_t GetRecordSize(uint8_t version);
};

bool WriteWindowsLayout(MemoryStream& stream, const WindowsLayout& layout);
// Reads what the bytes hold; a window count beyond what the remaining bytes
// could start is cut to the records that are there. False for an empty stream.
bool ReadWindowsLayout(MemoryStream& stream, WindowsLayout& layout);

// The windows as they stand now, with the game window's place.
WindowsLayout CaptureWindowsLayout(const EditWindowManager& windows, const int32_t gameWindow[4]);
// Moves and sizes the windows that have a record; the rest stay.
void ApplyWindowsLayout(const WindowsLayout& layout, EditWindowManager& windows);

} // namespace KIV
