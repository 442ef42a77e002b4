#include <gtest/gtest.h>
#include "base/MemoryStream.h"
#include "base/Notices.h"
#include "robots/Robot.h"
#include "robots/RobotFiles.h"
#include "robots/RobotSamples.h"
#include "support/TempFolder.h"

using namespace KIV;
using namespace KIV::samples;

namespace {

struct RobotFolder : ::testing::Test {
    TempFolder root;
    Robot robot;
    RobotFolder()
    {
        Notices().SetEchoToStderr(false); // the refusals below are on purpose
        robot.SetDataRoot(root.Path());
        MakeSmallRobot(robot);
    }
    ~RobotFolder() override { Notices().SetEchoToStderr(true); }
    static std::string LastNotice() { return Notices().GetLast(); }
};

} // namespace

TEST_F(RobotFolder, SavedUnderItsEncodedNameWithOneBackupPerOverwrite)
{
    robot.SetName("a b");
    robot.SetChanged(true);
    ASSERT_TRUE(SaveRobotFile(robot));
    EXPECT_FALSE(robot.GetChanged());
    EXPECT_TRUE(root.Exists("Robots/a%20b.robot"));
    robot.SetNotes("second save");
    ASSERT_TRUE(SaveRobotFile(robot));
    const auto backups = root.Names("Robots/backups");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].rfind("a%20b.", 0), 0u);
    EXPECT_EQ(robot.GetPrevVersionsListArray().front(), '[');
    EXPECT_EQ(robot.GetSelectedPrevVersion().empty(), false);

    Robot loaded;
    loaded.SetDataRoot(root.Path());
    int rebuilds = 0;
    ASSERT_TRUE(LoadRobotFile(loaded, "a%20b.robot", [&](Robot&) { ++rebuilds; }));
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(Written(loaded), Written(robot));
}

TEST_F(RobotFolder, AFailedSaveKeepsTheChangedFlagAndSaysSo)
{
    root.WriteFile("Robots", "a file where the folder should be");
    robot.SetChanged(true);
    EXPECT_FALSE(SaveRobotFile(robot));
    EXPECT_TRUE(robot.GetChanged());
    EXPECT_NE(LastNotice().find("could not save robot"), std::string::npos);
}

TEST_F(RobotFolder, EveryCutOfARobotFileLeavesTheRobotAsItWas)
{
    ASSERT_TRUE(SaveRobotFile(robot));
    const std::string full = root.ReadFile("Robots/walker.robot");
    Robot target;
    target.SetDataRoot(root.Path());
    target.SetNotes("untouched");
    const std::vector<uint8_t> before = Written(target);
    for (size_t n = 0; n < full.size(); ++n) {
        root.WriteFile("Robots/cut.robot", full.substr(0, n));
        // Cuts inside the part states are fine: the definition is whole.
        bool loaded = LoadRobotFile(target, "cut.robot", nullptr);
        if (loaded) {
            EXPECT_GE(n, 1 + Written(robot).size()) << "cut at " << n;
            break;
        }
        ASSERT_EQ(Written(target), before) << "cut at " << n;
    }
    EXPECT_NE(Notices().GetLast().find("cut.robot"), std::string::npos);
}

TEST(RobotFileNames, NamesThatLeaveTheRobotsFolderAreRefused)
{
    const struct {
        const char* name;
        bool safe;
    } cases[] = {
        {"walker.robot", true},     {"a%20b.robot", true},     {"", false},
        {"..\\Scenes\\x", false},   {"../x.robot", false},     {"sub/x.robot", false},
        {"c:x.robot", false},       {"%2E%2E%5Cx.robot", false}, {"%2Fetc%2Fpasswd", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsSafeRobotFileName(c.name), c.safe) << c.name;

    TempFolder root;
    Robot r;
    r.SetDataRoot(root.Path());
    r.SetNotes("kept");
    EXPECT_FALSE(LoadRobotFile(r, "%2E%2E%5Coutside.robot", nullptr));
    EXPECT_FALSE(LoadRobotFile(r, "missing.robot", nullptr));
    EXPECT_EQ(r.GetNotes(), "kept");
}
