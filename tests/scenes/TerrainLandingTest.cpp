#include <gtest/gtest.h>
#include "physics/terrain/BendObject.h"
#include "physics/world/GameSettings.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/Scenes.h"
#include "scenes/StepWorlds.h"
#include "scenes/TerrainWorlds.h"
#include "support/TerrainPictures.h"

using namespace KIV;

namespace {

class TerrainLandingTest : public TerrainPictureTest {
protected:
    void SetUp() override
    {
        TerrainPictureTest::SetUp();
        Write("T\\ground.png", Opaque(600, 60));
        ASSERT_TRUE(mScene.SetupGrid(RectF(0, 0, 1000, 800)));
        mGround = Scenes::AddTerrainObject(mScene, Library(), "T\\ground.png", VectorF(200, 600));
        ASSERT_NE(mGround, nullptr);
        ASSERT_GE(mGround->mStaticSlot, 0);
    }

    Scene mScene;
    BendObject* mGround = nullptr;
};

TEST_F(TerrainLandingTest, ToysFallOntoATerrainObjectAndComeToRestOnItsTopEdge)
{
    const float sizes[][2] = {{30, 30}, {50, 20}, {24, 40}, {36, 36}};
    for (int32_t i = 0; i < 4; ++i)
        ASSERT_NE(Scenes::AddBoxToy(mScene, {sizes[i][0], sizes[i][1]}, {300.0f + 120.0f * i, 450.0f}), nullptr);
    Scenes::ApplyStepDefaults(mScene);
    GameSettings settings;
    Scenes::StepWorld(mScene, settings, 3 * 210);

    for (int32_t i = 0; i < mScene.GetToyCount(); ++i) {
        const Toy& toy = *mScene.GetToy(i);
        // Resting on the edge at y = 600: its lowest point there, a little sunk in at most.
        float lowest = -1e9f;
        for (int32_t p = 0; p < toy.GetOutlinePointCount(); ++p) lowest = std::max(lowest, toy.mOutline[p].mY);
        EXPECT_NEAR(lowest, 600.0f, 3.0f) << "toy " << i;
        EXPECT_NEAR(toy.GetPosition().mY, 600.0f - 0.5f * sizes[i][1], 3.0f) << "toy " << i;
        EXPECT_NEAR(toy.GetPosition().mX, 300.0f + 120.0f * i, 5.0f) << "toy " << i;
        EXPECT_LT(toy.mVelocity.GetLength(), 5.0f) << "toy " << i;
    }
}

TEST_F(TerrainLandingTest, AToyRestsInTheHollowOfABentTerrainObject)
{
    // Both control points of the top side pulled down 60: the middle of the top sags by 45.
    ASSERT_TRUE(mGround->mFrame.ApplyHandleDrag(0, VectorF(0, 60)));
    ASSERT_TRUE(mGround->mFrame.ApplyHandleDrag(1, VectorF(0, 60)));
    mGround->Rebuild();
    mScene.RebuildStaticGrid();
    ASSERT_NE(Scenes::AddBoxToy(mScene, {20, 20}, {500, 500}), nullptr);
    Scenes::ApplyStepDefaults(mScene);
    GameSettings settings;
    Scenes::StepWorld(mScene, settings, 4 * 210);
    const Toy& toy = *mScene.GetToy(0);
    EXPECT_NEAR(toy.GetPosition().mX, 500.0f, 6.0f);
    EXPECT_NEAR(toy.GetPosition().mY, 645.0f - 10.0f, 4.0f) << "in the hollow, below the straight top at 600";
    EXPECT_LT(toy.mVelocity.GetLength(), 5.0f);
}

TEST_F(TerrainLandingTest, ToysPassThroughTerrainThatLetsThemOrHasNoCollisions)
{
    ASSERT_NE(Scenes::AddBoxToy(mScene, {30, 30}, {500, 450}), nullptr);
    Scenes::ApplyStepDefaults(mScene);
    mGround->mPassDynamics = 1;
    mScene.RebuildStaticGrid();
    GameSettings settings;
    Scenes::StepWorld(mScene, settings, 210);
    EXPECT_GT(mScene.GetToy(0)->GetPosition().mY, 660.0f);
}

} // namespace
