#include <gtest/gtest.h>
#include "base/Platform.h"
#include "support/TempFolder.h"

using namespace KIV;

TEST(Platform, PathSeparatorsTurnAtTheOsBoundary)
{
    EXPECT_EQ(ToOsPath("Robots\\backups\\Walker.robot"), "Robots/backups/Walker.robot");
    EXPECT_EQ(FromOsPath("/opt/game/Bin/"), "\\opt\\game\\Bin\\");
    EXPECT_EQ(ToOsPath(FromOsPath("/a/b.c")), "/a/b.c");
}

TEST(Platform, FileMasksMatchWithoutCase)
{
    struct Case {
        const char* name;
        const char* mask;
        bool matches;
    };
    const Case cases[] = {
        {"a.png", "*.png", true},
        {"A.PNG", "*.png", true},
        {"a.png.bak", "*.png", false},
        {"png", "*.png", false},
        {"noext", "*.*", true},
        {"noext", "*", true},
        {".", "*", true},
        {"Walker.2024-03-05--14-07-09.robot", "Walker.*.robot", true},
        {"walker.2024-03-05--14-07-09_02.ROBOT", "Walker.*.robot", true},
        {"Walker.robot", "Walker.*.robot", false},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"aXbXc", "a*b*c", true},
        {"x", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " ~ " + c.mask);
        EXPECT_EQ(MatchesFileMask(c.name, c.mask), c.matches);
    }
}

TEST(Platform, ProgramPathNamesTheRunningFile)
{
    std::string path = GetProgramFilePath();
    EXPECT_EQ(path.find('/'), std::string::npos);
    EXPECT_TRUE(IsExistingFile(path));
}

TEST(Platform, TimerIsMonotonicAtOneMillionTicksPerSecond)
{
    EXPECT_EQ(GetTimerFrequency(), 1000000);
    int64_t a = GetTimerTicks();
    int64_t b = GetTimerTicks();
    EXPECT_GT(a, 0);
    EXPECT_LE(a, b);
}

TEST(Platform, LocalTimeComesFromTheInjectedClock)
{
    SetLocalTimeSource([](std::tm& out) {
        out = std::tm{};
        out.tm_year = 99;
        out.tm_hour = 23;
    });
    std::tm t = GetLocalTime();
    EXPECT_EQ(t.tm_year, 99);
    EXPECT_EQ(t.tm_hour, 23);
    SetLocalTimeSource(nullptr);
    EXPECT_GE(GetLocalTime().tm_year, 120);  // the system clock again, not 1999
}

TEST(PlatformDeathTest, AssertionReportPrintsAndStops)
{
    EXPECT_DEATH(ReportAssertionFailure("texture index out of range"),
                 "Assertion Failure!\ntexture index out of range");
}

class PlatformFiles : public ::testing::Test {
protected:
    TempFolder mFolder;
};

TEST_F(PlatformFiles, CopyNeverOverwrites)
{
    mFolder.WriteFile("src", "new");
    mFolder.WriteFile("dst", "old");
    EXPECT_EQ(CopyFileNoOverwrite(mFolder.PathOf("src"), mFolder.PathOf("dst")), CopyResult::kTargetExists);
    EXPECT_EQ(mFolder.ReadFile("dst"), "old");

    EXPECT_EQ(CopyFileNoOverwrite(mFolder.PathOf("src"), mFolder.PathOf("copy")), CopyResult::kCopied);
    EXPECT_EQ(mFolder.ReadFile("copy"), "new");

    EXPECT_EQ(CopyFileNoOverwrite(mFolder.PathOf("missing"), mFolder.PathOf("other")), CopyResult::kFailed);
    EXPECT_FALSE(mFolder.Exists("other"));
}

TEST_F(PlatformFiles, FoldersAreCreatedWithTheirParents)
{
    EXPECT_TRUE(CreateFolders(mFolder.PathOf("a\\b\\c")));
    EXPECT_TRUE(IsExistingFolder(mFolder.PathOf("a\\b\\c")));
    EXPECT_TRUE(CreateFolders(mFolder.PathOf("a\\b\\")));  // already there
    mFolder.WriteFile("file", "x");
    EXPECT_FALSE(CreateFolders(mFolder.PathOf("file\\sub")));
}

TEST_F(PlatformFiles, DeleteRemovesOnlyWhatExists)
{
    mFolder.WriteFile("gone", "x");
    EXPECT_TRUE(DeleteFile(mFolder.PathOf("gone")));
    EXPECT_FALSE(mFolder.Exists("gone"));
    EXPECT_FALSE(DeleteFile(mFolder.PathOf("gone")));
}
