#include <gtest/gtest.h>
#include "physics/toys/Toy.h"
#include "robots/RobotFiles.h"
#include "support/GameFixture.h"

using namespace KIV;

// The scenario's robots are built at every level start, at their start
// positions, and the old ones go first.
TEST_F(GameFixture, ScenarioRobotsAreBuiltAtTheirStartPositionsOnEveryReset)
{
    TestPicture block(40, 20);
    block.FillRect(2, 2, 38, 18, 200, 120, 40);
    Write("Robots\\block.png", block);
    Robot leg;
    leg.SetDataRoot(mFolder.Path());
    leg.SetName("leg");
    leg.AddObject();
    leg.ObjectSetName("body");
    leg.Objects()[0]->mTexture = "Robots\\block.png";
    leg.ObjectSetMaster(true);
    ASSERT_TRUE(SaveRobotFile(leg));

    mGame->mScenario.AddRobot("leg");
    mGame->mScenario.SetSelectedRobotPosition({300, 40});
    mGame->mScenario.AddRobot("leg.robot"); // the same file, named with its extension
    mGame->mScenario.AddRobot("..%5Cevil");
    // The level's default toys follow the robots with notices of their own.
    mGame->CreateScenarioRobots();
    EXPECT_NE(Notices().GetLast().find("evil"), std::string::npos);
    mGame->mRobots.RemoveAll();
    for (int round = 0; round < 2; ++round) {
        mGame->ResetLevel(false);
        ASSERT_EQ(mGame->mRobots.GetCount(), 2) << "round " << round;
        const Robot* first = mGame->mRobots.Get(0);
        ASSERT_EQ(first->GetToyCount(), 1);
        EXPECT_EQ(first->GetToy(0)->GetPosition(), VectorF(300, 40));
        EXPECT_EQ(mGame->mRobots.Get(1)->GetToyCount(), 1);
    }
}
