#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>
#include "base/FileUtils.h"
#include "base/MemoryStream.h"
#include "base/Platform.h"
#include "support/TempFolder.h"

using namespace KIV;

namespace {

std::vector<std::string> ToVector(const StringArray& list)
{
    std::vector<std::string> v;
    for (int32_t i = 0; i < list.Count(); ++i) v.push_back(list[i]);
    return v;
}

} // namespace

TEST(FileUtilsPath, SplitsAtTheLastSeparatorAndTheFileNamesLastDot)
{
    struct Case {
        const char* path;
        const char* directory;
        const char* fileName;
        const char* extension;
        const char* withoutExtension;
    };
    const Case cases[] = {
        {"C:\\Game\\Bin\\prog.exe", "C:\\Game\\Bin\\", "prog.exe", "exe", "C:\\Game\\Bin\\prog"},
        {"Robots\\Walker.robot", "Robots\\", "Walker.robot", "robot", "Robots\\Walker"},
        {"file.tar.gz", "", "file.tar.gz", "gz", "file.tar"},
        {"noext", "", "noext", "", "noext"},
        // A dot in a folder's name is no extension of the file.
        {"a.b\\c", "a.b\\", "c", "", "a.b\\c"},
        {"Scenes.old\\Scene01.kis", "Scenes.old\\", "Scene01.kis", "kis", "Scenes.old\\Scene01"},
        {"dir\\", "dir\\", "", "", "dir\\"},
        {"", "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(GetPathDirectory(c.path), c.directory);
        EXPECT_EQ(GetPathFileName(c.path), c.fileName);
        EXPECT_EQ(GetPathExtension(c.path), c.extension);
        EXPECT_EQ(RemovePathExtension(c.path), c.withoutExtension);
    }
}

TEST(FileUtilsPath, DataRootIsTheParentOfTheProgramFolder)
{
    struct Case {
        const char* folder;
        const char* parent;
    };
    const Case cases[] = {
        {"C:\\Game\\Bin\\", "C:\\Game\\"},
        {"C:\\", ""},
        {"\\opt\\game\\Bin\\", "\\opt\\game\\"},
        {"\\", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(GetParentDirectory(c.folder), c.parent);
    }

    std::string programFolder = GetExecutableDirectory();
    ASSERT_FALSE(programFolder.empty());
    EXPECT_EQ(programFolder.back(), '\\');
    EXPECT_EQ(GetExecutablePath().rfind(programFolder, 0), 0u);
    EXPECT_EQ(GetDataRootDirectory(), GetParentDirectory(programFolder));
    EXPECT_TRUE(IsExistingFolder(GetDataRootDirectory()));
}

// Files and folders whose OS order is arbitrary; listings sort them by name
// without case, and a folder named like a picture is not a picture.
class FileUtilsListing : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"b.png", "A.PNG", "c.txt", "noext", "Zeta.Png"}) mFolder.WriteFile(name, "x");
        for (const char* name : {"sub2", "Sub1", "x.png"}) CreateFolders(mFolder.PathOf(name));
    }
    TempFolder mFolder;
};

TEST_F(FileUtilsListing, FilesMatchTheMaskInNameOrder)
{
    struct Case {
        const char* mask;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"*.png", {"A.PNG", "b.png", "Zeta.Png"}},
        {"*.*", {"A.PNG", "b.png", "c.txt", "noext", "Zeta.Png"}},
        {"*", {"A.PNG", "b.png", "c.txt", "noext", "Zeta.Png"}},
        {"*.jpg", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        StringArray names;
        Array<uint64_t> times;
        // The folder without its final separator gets one.
        std::string folder = mFolder.Path().substr(0, mFolder.Path().size() - 1);
        ListDirectoryFilesWithTimes(folder, c.mask, names, &times);
        std::vector<std::string> expected;
        for (const std::string& n : c.names) expected.push_back(mFolder.PathOf(n));
        EXPECT_EQ(ToVector(names), expected);
        EXPECT_EQ(times.Count(), names.Count());
    }
}

TEST_F(FileUtilsListing, WriteTimesAreFileTimesSince1601)
{
    // 1970-01-01 00:00:01.5 UTC on the 100-ns scale that starts in 1601.
    struct timespec stamp[2] = {{1, 500000000}, {1, 500000000}};
    ASSERT_EQ(utimensat(AT_FDCWD, ToOsPath(mFolder.PathOf("c.txt")).c_str(), stamp, 0), 0);
    StringArray names;
    Array<uint64_t> times;
    ListDirectoryFilesWithTimes(mFolder.Path(), "*.txt", names, &times);
    ASSERT_EQ(times.Count(), 1);
    EXPECT_EQ(times[0], 116444736000000000ull + 15000000ull);
}

TEST_F(FileUtilsListing, NothingListedForMissingOrEmptyFolder)
{
    StringArray names;
    names.PushBack("kept");
    Array<uint64_t> times;
    ListDirectoryFilesWithTimes(mFolder.PathOf("missing"), "*", names, &times);
    ListDirectoryFilesWithTimes("", "*", names, &times);
    ListSubfolders(-1, mFolder.PathOf("missing"), "*", names);
    EXPECT_EQ(ToVector(names), std::vector<std::string>{"kept"});
    EXPECT_EQ(times.Count(), 0);
}

TEST_F(FileUtilsListing, SubfoldersAppendOrInsertInListingOrder)
{
    struct Case {
        int32_t insertIndex;
        const char* mask;
        std::vector<std::string> expected;  // "@" names a listed subfolder
    };
    const Case cases[] = {
        {-1, "*", {"a", "b", "c", "@Sub1", "@sub2", "@x.png"}},
        {2, "sub*", {"a", "b", "@Sub1", "@sub2", "c"}},
        {0, "*.png", {"@x.png", "a", "b", "c"}},
        {1, "*.txt", {"a", "b", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        StringArray list;
        for (const char* s : {"a", "b", "c"}) list.PushBack(s);
        ListSubfolders(c.insertIndex, mFolder.Path(), c.mask, list);
        std::vector<std::string> expected;
        for (const std::string& e : c.expected) expected.push_back(e[0] == '@' ? mFolder.PathOf(e.substr(1)) : e);
        EXPECT_EQ(ToVector(list), expected);
    }
}

namespace {

std::tm gFixedTime{};

void FixedClock(std::tm& out) { out = gFixedTime; }

std::tm MakeTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

} // namespace

TEST(FileUtilsBackup, NamesCarryTheDatedStamp)
{
    struct Case {
        const char* path;
        std::tm time;
        int32_t copy;
        const char* expected;
    };
    const Case cases[] = {
        {"Robots\\Walker.robot", MakeTime(2024, 3, 5, 14, 7, 9), 1, "Robots\\backups\\Walker.2024-03-05--14-07-09.robot"},
        {"Scenes\\Scene01.kis", MakeTime(2026, 12, 9, 6, 57, 53), 1, "Scenes\\backups\\Scene01.2026-12-09--06-57-53.kis"},
        {"Robots\\Walker.robot", MakeTime(2024, 3, 5, 14, 7, 9), 2,
         "Robots\\backups\\Walker.2024-03-05--14-07-09_02.robot"},
        {"Notes", MakeTime(2000, 1, 1, 0, 0, 0), 1, "backups\\Notes.2000-01-01--00-00-00"},
        {"a.b\\c", MakeTime(2000, 1, 1, 0, 0, 0), 1, "a.b\\backups\\c.2000-01-01--00-00-00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(GetBackupFilePath(c.path, c.time, c.copy), c.expected);
    }
}

class FileUtilsBackupFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        gFixedTime = MakeTime(2024, 3, 5, 14, 7, 9);
        SetLocalTimeSource(FixedClock);
    }
    void TearDown() override { SetLocalTimeSource(nullptr); }
    TempFolder mFolder;
};

TEST_F(FileUtilsBackupFiles, BackupFolderIsCreatedWhenMissing)
{
    mFolder.WriteFile("Walker.robot", "v1");
    EXPECT_TRUE(BackupFileBeforeSave(mFolder.PathOf("Walker.robot")));
    EXPECT_EQ(mFolder.ReadFile("backups\\Walker.2024-03-05--14-07-09.robot"), "v1");
}

TEST_F(FileUtilsBackupFiles, EverySaveWithinOneSecondKeepsItsBackupOldestListedFirst)
{
    for (const char* content : {"v1", "v2", "v3"}) {
        mFolder.WriteFile("Walker.robot", content);
        EXPECT_TRUE(BackupFileBeforeSave(mFolder.PathOf("Walker.robot")));
    }
    gFixedTime.tm_sec = 10;
    mFolder.WriteFile("Walker.robot", "v4");
    EXPECT_TRUE(BackupFileBeforeSave(mFolder.PathOf("Walker.robot")));

    StringArray names;
    ListDirectoryFilesWithTimes(mFolder.PathOf("backups"), "Walker.*.robot", names, nullptr);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Walker.2024-03-05--14-07-09.robot", "v1"},
        {"Walker.2024-03-05--14-07-09_02.robot", "v2"},
        {"Walker.2024-03-05--14-07-09_03.robot", "v3"},
        {"Walker.2024-03-05--14-07-10.robot", "v4"},
    };
    ASSERT_EQ(names.Count(), static_cast<int32_t>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(names[static_cast<int32_t>(i)], mFolder.PathOf("backups\\" + expected[i].first));
        EXPECT_EQ(mFolder.ReadFile("backups\\" + expected[i].first), expected[i].second);
    }
}

TEST_F(FileUtilsBackupFiles, MissingFileMakesNoBackupAndNoFolder)
{
    EXPECT_FALSE(BackupFileBeforeSave(mFolder.PathOf("Walker.robot")));
    EXPECT_FALSE(mFolder.Exists("backups"));
}

TEST_F(FileUtilsBackupFiles, SaveWithBackupKeepsOldContentAndWritesNew)
{
    mFolder.WriteFile("Scene01.kis", "old");
    MemoryStream s;
    s.WriteBytes("new", 3);
    EXPECT_TRUE(SaveStreamWithBackup(s, mFolder.PathOf("Scene01.kis")));
    EXPECT_EQ(mFolder.ReadFile("Scene01.kis"), "new");
    EXPECT_EQ(mFolder.ReadFile("backups\\Scene01.2024-03-05--14-07-09.kis"), "old");

    // A first save has nothing to back up and still writes.
    EXPECT_TRUE(SaveStreamWithBackup(s, mFolder.PathOf("Fresh.kis")));
    EXPECT_EQ(mFolder.ReadFile("Fresh.kis"), "new");

    EXPECT_FALSE(SaveStreamWithBackup(s, mFolder.PathOf("missing\\Scene02.kis")));
}
