#include <gtest/gtest.h>
#include <filesystem>
#include "base/Platform.h"
#include "editor/RobotLibrary.h"
#include "support/TempFolder.h"

using namespace KIV;

namespace {
struct LibraryFixture : ::testing::Test {
    void SetUp() override
    {
        for (const char* name : {"a.robot", "b.robot", "c.robot"}) {
            folder.WriteFile(name, "robot");
            folder.WriteFile(std::string(name) + ".png", "photo");
        }
        library.Reload();
    }
    bool Exists(const std::string& name) const
    {
        return std::filesystem::exists(ToOsPath(folder.PathOf(name)));
    }
    TempFolder folder;
    RobotLibrary library{folder.Path().substr(0, folder.Path().size() - 1)};
};
} // namespace

TEST_F(LibraryFixture, TheFirstFileIsSelectedAndRobotZeroCanBePicked)
{
    ASSERT_EQ(library.GetFileCount(), 3);
    EXPECT_EQ(library.GetSelected(), "a.robot");
    EXPECT_TRUE(library.SelectByName("c.robot"));
    EXPECT_FALSE(library.SelectByName("z.robot"));
    EXPECT_EQ(library.GetSelected(), "c.robot");
    EXPECT_TRUE(library.SelectByName(library.GetFileName(0)));
    EXPECT_EQ(library.GetSelected(), "a.robot");
}

TEST_F(LibraryFixture, DeletingBacksUpRemovesBothFilesAndSelectsTheNeighbour)
{
    ASSERT_TRUE(library.SelectByName("b.robot"));
    ASSERT_TRUE(library.DeleteSelected());
    EXPECT_FALSE(Exists("b.robot"));
    EXPECT_FALSE(Exists("b.robot.png"));
    EXPECT_TRUE(Exists("backups"));
    EXPECT_EQ(library.GetFileCount(), 2);
    EXPECT_EQ(library.GetSelected(), "c.robot");
    ASSERT_TRUE(library.DeleteSelected());
    EXPECT_EQ(library.GetSelected(), "a.robot");
    ASSERT_TRUE(library.DeleteSelected());
    EXPECT_EQ(library.GetSelected(), "");
    EXPECT_FALSE(library.DeleteSelected());
}

TEST_F(LibraryFixture, ARescanMovesASelectionWhoseFileWent)
{
    ASSERT_TRUE(library.SelectByName("c.robot"));
    std::filesystem::remove(ToOsPath(folder.PathOf("c.robot")));
    library.Reload();
    EXPECT_EQ(library.GetSelected(), "b.robot");
    folder.WriteFile("0.robot", "robot");
    library.Reload();
    EXPECT_EQ(library.GetSelected(), "b.robot");
}

TEST(RobotLibrary, NamesThatLeaveTheFolderAreNeverDeleted)
{
    for (const char* name : {"..\\x.robot", "../x.robot", "a\\b.robot", "/etc/x.robot", ".robot", "..robot",
                             "x.robot.png", "C:x.robot", ""})
        EXPECT_FALSE(RobotLibrary::IsSafeFileName(name)) << name;
    EXPECT_TRUE(RobotLibrary::IsSafeFileName("Spider%201.robot"));

    // A file on disk whose name holds a backslash is listed by its last part
    // only: deleting it never reaches the file above the folder.
    TempFolder root;
    std::filesystem::create_directories(ToOsPath(root.PathOf("Robots")));
    root.WriteFile("victim.robot", "keep");
    std::ofstream(ToOsPath(root.PathOf("Robots")) + "/..\\victim.robot") << "robot";
    RobotLibrary library(root.PathOf("Robots"));
    library.Reload();
    ASSERT_EQ(library.GetSelected(), "victim.robot");
    library.DeleteSelected();
    EXPECT_EQ(root.ReadFile("victim.robot"), "keep");
}
