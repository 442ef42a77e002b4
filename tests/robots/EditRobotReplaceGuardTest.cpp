#include <gtest/gtest.h>
#include "base/Notices.h"
#include "robots/EditRobotReplaceGuard.h"
#include "robots/Robot.h"

using namespace KIV;

TEST(EditRobotReplaceGuard, UnsavedChangesAreKeptUnlessTheDiscardIsForced)
{
    Notices().Clear();
    Notices().SetEchoToStderr(false);
    Robot saved;
    Robot changed;
    changed.SetName("walker");
    ASSERT_TRUE(changed.GetChanged());
    const struct {
        const Robot* robot;
        bool force;
        bool allowed;
    } cases[] = {
        {nullptr, false, true}, {&saved, false, true}, {&changed, false, false}, {&changed, true, true},
    };
    for (const auto& c : cases) {
        const int32_t notices = Notices().GetReportedCount();
        EXPECT_EQ(MayReplaceEditRobot(c.robot, c.force), c.allowed);
        EXPECT_EQ(Notices().GetReportedCount(), notices + (c.allowed ? 0 : 1));
    }
    EXPECT_NE(Notices().GetLast().find("walker"), std::string::npos) << Notices().GetLast();
    Notices().SetEchoToStderr(true);
    Notices().Clear();
}
