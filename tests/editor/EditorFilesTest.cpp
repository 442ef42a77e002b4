#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include "base/MemoryStream.h"
#include "editor/ColorPickerTable.h"
#include "editor/EditWindowManager.h"
#include "editor/WindowsLayout.h"
#include "support/TempFolder.h"

using namespace KIV;

namespace {
std::string Bytes(const MemoryStream& s) { return std::string(reinterpret_cast<const char*>(s.GetData()), s.GetSize()); }
std::string Le(int32_t v)
{
    std::string b(4, '\0');
    for (int i = 0; i < 4; ++i) b[i] = char((uint32_t(v) >> (8 * i)) & 0xFF);
    return b;
}
MemoryStream& Load(MemoryStream& s, const std::string& bytes)
{
    s.WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
    s.SetPosition(0);
    return s;
}
} // namespace

TEST(WindowsLayoutFile, WritesVersionFiveAndReadsItBack)
{
    WindowsLayout layout;
    const int32_t game[4] = {10, 20, 1024, 576};
    std::copy(game, game + 4, layout.mGameWindow);
    WindowLayoutRecord r;
    for (int32_t f = 0; f < WindowLayoutRecord::kFieldCount; ++f) r.mFields[f] = f + 1;
    r.mInOwnWindow = 1;
    layout.mRecords.push_back(r);
    MemoryStream s;
    ASSERT_TRUE(WriteWindowsLayout(s, layout));
    std::string expected = "\x05" + Le(10) + Le(20) + Le(1024) + Le(576) + Le(1);
    for (int32_t f = 1; f <= 8; ++f) expected += Le(f);
    expected += '\x01';
    EXPECT_EQ(Bytes(s), expected);
    EXPECT_EQ(s.GetSize(), 21 + 33);
    EXPECT_EQ(WindowsLayout::GetFileName(-3), "Editor\\windows_layout_-3.kiv");

    WindowsLayout read;
    s.SetPosition(0);
    ASSERT_TRUE(ReadWindowsLayout(s, read));
    EXPECT_EQ(read.mGameFieldsRead, 4);
    ASSERT_EQ(read.mRecords.size(), 1u);
    EXPECT_TRUE(read.mRecords[0].mHasInOwnWindow);
    EXPECT_EQ(read.mRecords[0].mFields[7], 8);
}

TEST(WindowsLayoutFile, OlderVersionsReadOnlyTheFieldsTheyHave)
{
    struct Case {
        uint8_t version;
        int32_t recordBytes;
        bool game, ownRect, inOwn;
    };
    for (const Case& c : {Case{1, 16, false, false, false}, Case{2, 32, false, true, false},
                          Case{3, 32, false, true, false}, Case{4, 32, true, true, false},
                          Case{5, 33, true, true, true}}) {
        SCOPED_TRACE(int(c.version));
        std::string bytes(1, char(c.version));
        if (c.game) bytes += Le(1) + Le(2) + Le(3) + Le(4);
        bytes += Le(2);
        for (int32_t k = 0; k < 2; ++k) {
            std::string record;
            for (int32_t f = 0; f < 8; ++f) record += Le(100 * k + f + 1);
            record += '\x01';
            bytes += record.substr(0, c.recordBytes);
        }
        MemoryStream s;
        WindowsLayout read;
        ASSERT_TRUE(ReadWindowsLayout(Load(s, bytes), read));
        EXPECT_FALSE(s.HasReadPastEnd());
        EXPECT_EQ(read.mGameFieldsRead, c.game ? 4 : 0);
        ASSERT_EQ(read.mRecords.size(), 2u);
        EXPECT_EQ(read.mRecords[1].mFields[0], 101);
        EXPECT_EQ(read.mRecords[1].mHasOwnRect, c.ownRect);
        EXPECT_EQ(read.mRecords[1].mHasInOwnWindow, c.inOwn);
        EXPECT_EQ(read.mRecords[1].mInOwnWindow, c.inOwn ? 1 : 0);
    }
}

// Every prefix reads without harm; a cut record holds only what it has, and
// a count beyond the bytes is not believed.
TEST(WindowsLayoutFile, CutFilesAndHugeCountsReadSafely)
{
    WindowsLayout layout;
    layout.mRecords.resize(3);
    for (int32_t k = 0; k < 3; ++k)
        for (int32_t f = 0; f < 8; ++f) layout.mRecords[k].mFields[f] = 10 * k + f + 1;
    MemoryStream full;
    WriteWindowsLayout(full, layout);
    for (int32_t n = 0; n <= full.GetSize(); ++n) {
        MemoryStream s;
        WindowsLayout read;
        const bool ok = ReadWindowsLayout(Load(s, Bytes(full).substr(0, n)), read);
        EXPECT_EQ(ok, n > 0);
        EXPECT_LE(read.mRecords.size(), 3u);
        for (const WindowLayoutRecord& r : read.mRecords) EXPECT_LE(r.mFieldsRead, 8);
    }
    // The third record is cut after its x: its other fields are not the second record's.
    MemoryStream s;
    WindowsLayout read;
    ReadWindowsLayout(Load(s, Bytes(full).substr(0, 21 + 2 * 33 + 4)), read);
    ASSERT_EQ(read.mRecords.size(), 3u);
    EXPECT_EQ(read.mRecords[2].mFieldsRead, 1);
    EXPECT_EQ(read.mRecords[2].mFields[0], 21);
    EXPECT_EQ(read.mRecords[2].mFields[1], 0);
    EXPECT_FALSE(read.mRecords[2].mHasOwnRect);

    MemoryStream huge;
    ReadWindowsLayout(Load(huge, std::string("\x01", 1) + Le(0x7FFFFFFF) + Le(5)), read);
    EXPECT_EQ(read.mRecords.size(), 1u);
}

TEST(WindowsLayoutFile, ApplyingMovesSizesAndLeavesTheRestInPlace)
{
    EditWindowManager windows;
    windows.CreateAllWindows({1280, 800}, "pages/");
    EditWindow* mode = windows.GetWindow(0);
    EditWindow* console = windows.GetWindow(12);
    const int32_t game[4] = {0, 0, 1280, 800};
    WindowsLayout layout = CaptureWindowsLayout(windows, game);
    ASSERT_EQ(layout.mRecords.size(), 19u);
    const VectorI consoleAt = console->GetPosition();
    // Saved and read back with nothing moved changes nothing.
    MemoryStream s;
    WriteWindowsLayout(s, layout);
    s.SetPosition(0);
    WindowsLayout read;
    ReadWindowsLayout(s, read);
    ApplyWindowsLayout(read, windows);
    EXPECT_EQ(console->GetPosition(), consoleAt);

    read.mRecords.resize(1);
    read.mRecords[0].mFields[0] = 40;
    read.mRecords[0].mFields[1] = 50;
    read.mRecords[0].mFields[2] = 300;
    read.mRecords[0].mFields[3] = 200;
    ApplyWindowsLayout(read, windows);
    EXPECT_EQ(mode->GetPosition(), VectorI(40, 50));
    if (mode->HasButtons()) EXPECT_EQ(mode->GetSize(), VectorI(300, 200));
    EXPECT_EQ(console->GetPosition(), consoleAt);

    // A record cut after its x moves only x.
    read.mRecords[0].mFields[0] = 60;
    read.mRecords[0].mFieldsRead = 1;
    read.mRecords[0].mHasOwnRect = read.mRecords[0].mHasInOwnWindow = false;
    ApplyWindowsLayout(read, windows);
    EXPECT_EQ(mode->GetPosition(), VectorI(60, 50));

    // Values no screen has are kept to one that could.
    read.mRecords[0].mFieldsRead = 4;
    read.mRecords[0].mFields[0] = -2147483398;
    read.mRecords[0].mFields[1] = 2147483647;
    read.mRecords[0].mFields[2] = -5;
    read.mRecords[0].mFields[3] = 2147483647;
    ApplyWindowsLayout(read, windows);
    EXPECT_EQ(mode->GetPosition(), VectorI(-(1 << 20), 1 << 20));
}

TEST(ColorPickerTableFile, GoldenBytesAndStoringOneColour)
{
    TempFolder folder;
    const std::string path = folder.PathOf("table.kiv");
    ColorPickerTable table;
    // Never loaded, never set: defined bytes all the same.
    ASSERT_TRUE(table.Save(path));
    EXPECT_EQ(folder.ReadFile("table.kiv"), std::string(577, '\0'));

    EXPECT_FALSE(table.StoreColor(path, 12, 0, ColorRGBA(1, 1, 1, 1)));
    EXPECT_FALSE(table.StoreColor(path, 0, -1, ColorRGBA(1, 1, 1, 1)));
    EXPECT_TRUE(table.StoreColor(path, 3, 2, ColorRGBA(10, 20, 30, 40)));
    std::string bytes = folder.ReadFile("table.kiv");
    ASSERT_EQ(bytes.size(), 577u);
    EXPECT_EQ(bytes.substr(109, 4), "\x0A\x14\x1E\x28");
    EXPECT_EQ(bytes.substr(0, 109), std::string(109, '\0'));
}

// The first store reads the file before writing it, so colours saved in an
// earlier run survive; a short file fills only the entries it holds.
TEST(ColorPickerTableFile, StoringBeforeLoadingKeepsTheFilesColours)
{
    TempFolder folder;
    const std::string path = folder.PathOf("table.kiv");
    std::string file(577, '\0');
    file[1] = char(255);
    file[4] = char(255);
    folder.WriteFile("table.kiv", file);
    ColorPickerTable table;
    table.StoreColor(path, 1, 0, ColorRGBA(0, 255, 0, 255));
    EXPECT_EQ(folder.ReadFile("table.kiv").substr(0, 9), std::string("\0\xFF\0\0\xFF\0\xFF\0\xFF", 9));
    EXPECT_EQ(table.GetArrayText().substr(0, 34), "['255','0','0','255','0','255','0'");

    for (int32_t n = 0; n <= 577; ++n) {
        ColorPickerTable shortTable;
        MemoryStream s;
        shortTable.Read(Load(s, file.substr(0, n)));
        EXPECT_EQ(shortTable.GetEntry(0).mRed, n >= 5 ? 255 : 0);
    }
}

TEST(ColorPickerTableFile, TheBlendListIsTheNineteenNames)
{
    const std::string list = GetBlendersList();
    EXPECT_EQ(list.rfind("['normal','additive%201',", 0), 0u);
    EXPECT_EQ(list.substr(list.size() - 12), "'ghost%204']");
    EXPECT_EQ(std::count(list.begin(), list.end(), ','), 18);
}
