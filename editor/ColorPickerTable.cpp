#include "editor/ColorPickerTable.h"
#include "base/FileUtils.h"
#include "base/MemoryStream.h"
#include "base/Notices.h"
#include "base/Platform.h"
#include "base/TextFormat.h"

namespace KIV {

void ColorPickerTable::Read(MemoryStream& s)
{
    uint8_t version = 0;
    s.ReadByte(version);
    for (ColorRGBA& c : mEntries) {
        if (s.GetSize() - s.GetPosition() < 4) break;
        s.ReadByte(c.mRed);
        s.ReadByte(c.mGreen);
        s.ReadByte(c.mBlue);
        s.ReadByte(c.mAlpha);
    }
}

bool ColorPickerTable::Write(MemoryStream& s) const
{
    bool ok = s.WriteByte(0);
    for (const ColorRGBA& c : mEntries)
        ok = ok && s.WriteByte(c.mRed) && s.WriteByte(c.mGreen) && s.WriteByte(c.mBlue) && s.WriteByte(c.mAlpha);
    return ok;
}

bool ColorPickerTable::Load(const std::string& path)
{
    MemoryStream s;
    if (!s.LoadFromFile(path)) return false;
    Read(s);
    mLoaded = true;
    return true;
}

bool ColorPickerTable::Save(const std::string& path) const
{
    MemoryStream s;
    CreateFolders(GetPathDirectory(path));
    if (Write(s) && s.SaveToFile(path)) return true;
    ReportNotice("the colour picker's table could not be saved to " + path + ": " + s.GetFailReason());
    return false;
}

bool ColorPickerTable::StoreColor(const std::string& path, int32_t x, int32_t y, const ColorRGBA& colour)
{
    if (x < 0 || x >= kSide || y < 0 || y >= kSide) return false;
    if (!mLoaded) Load(path);
    mEntries[x + kSide * y] = colour;
    Save(path);
    return true;
}

std::string ColorPickerTable::GetArrayText() const
{
    std::string text = "[";
    for (const ColorRGBA& c : mEntries)
        for (uint8_t channel : {c.mRed, c.mGreen, c.mBlue, c.mAlpha}) AppendJsArrayItem(text, IntToText(channel));
    CloseJsArrayText(text);
    return text;
}

std::string GetBlendersList()
{
    static const char* const kNames[] = {
        "normal",      "additive 1",  "additive 2",  "additive 3",  "additive 4",  "additive 5",  "additive 6",
        "additive 7",  "additive 8",  "additive 9",  "additive 10", "additive 11", "additive 12", "additive 13",
        "additive 14", "ghost 1",     "ghost 2",     "ghost 3",     "ghost 4"};
    std::string text = "[";
    for (const char* name : kNames) AppendJsArrayItem(text, name);
    CloseJsArrayText(text);
    return text;
}

} // namespace KIV
