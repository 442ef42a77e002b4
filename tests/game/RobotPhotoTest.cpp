#include <gtest/gtest.h>
#include <string>
#include "base/Notices.h"
#include "game/KIVGame.h"
#include "game/RobotPhoto.h"
#include "render/Renderer.h"
#include "robots/Robot.h"
#include "support/GameFixture.h"

using namespace KIV;

// Without an OpenGL context, or for a robot with no name, no photo is taken
// and the player hears why; a robot that has gone is forgotten quietly. The
// request is used up either way, and no picture file appears.
TEST_F(GameFixture, ARobotPhotoThatCannotBeTakenIsToldAndUsesUpItsRequest)
{
    Renderer noContext;
    mGame->mEditRobots.SetDataRoot(mGame->mDataRoot);
    struct Case {
        const char* name;
        bool removed;
        const char* told; // "" for nothing
    };
    const Case cases[] = {
        {"walker", false, "Robot photo Robots\\walker.robot.png not taken: there is no OpenGL context to draw it in"},
        {"", false, "Robot photo not taken: the robot has no name to file its photo under"},
        {"walker", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Robot* robot = mGame->mEditRobots.AddRobot("", VectorF());
        robot->SetName(c.name);
        mGame->mSceneEditor.mPhotoRequest.Request(robot);
        if (c.removed) mGame->mEditRobots.RemoveRobot(robot);
        const int32_t notices = Notices().GetReportedCount();
        TakeRequestedRobotPhoto(*mGame, noContext);
        EXPECT_FALSE(mGame->mSceneEditor.mPhotoRequest.IsPending());
        EXPECT_EQ(Notices().GetReportedCount(), notices + (*c.told ? 1 : 0));
        if (*c.told) EXPECT_EQ(Notices().GetLast(), c.told);
        EXPECT_FALSE(mFolder.Exists("Robots\\walker.robot.png"));
        if (!c.removed) mGame->mEditRobots.RemoveRobot(robot);
    }
    // Without a request nothing at all happens.
    const int32_t notices = Notices().GetReportedCount();
    TakeRequestedRobotPhoto(*mGame, noContext);
    EXPECT_EQ(Notices().GetReportedCount(), notices);
}
