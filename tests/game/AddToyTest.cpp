#include <gtest/gtest.h>
#include "base/Notices.h"
#include "support/GameFixture.h"

using namespace KIV;

TEST_F(GameFixture, AToyFromAPictureStartsMovingInTheGrid)
{
    Write("Toys\\box.png", TestPicture::Filled(40, 30, 200, 100, 50));
    Toy* toy = mGame->AddToy("Toys\\box.png", VectorF(100.0f, 50.0f), 0.0f, 1.0f, "a-name-longer-than-sixteen",
                             VectorF(30.0f, -5.0f), 0.5f);
    ASSERT_NE(toy, nullptr);
    EXPECT_EQ(mGame->GetToyCount(), 1);
    EXPECT_GE(toy->mGridSlot, 0);
    EXPECT_EQ(toy->mVelocity, VectorF(30.0f, -5.0f));
    EXPECT_EQ(toy->mAngularVelocity, 0.5f);
    EXPECT_FLOAT_EQ(toy->mStepLength, mGame->mStepLength);
    EXPECT_EQ(toy->mName.GetInString(), "a-name-longer-th");
}

TEST_F(GameFixture, AMissingPictureMakesNoToyAndSaysWhich)
{
    Notices().SetEchoToStderr(false);
    EXPECT_EQ(mGame->AddToy("Toys\\none.png", VectorF(), 0.0f, 1.0f, "x"), nullptr);
    Notices().SetEchoToStderr(true);
    EXPECT_EQ(mGame->GetToyCount(), 0);
    EXPECT_EQ(mGame->GetToySlots().GetUsedCount(), 0);
    EXPECT_NE(Notices().GetLast().find("Toys\\none.png"), std::string::npos);
}

// A break needs two free slots before it gives its own back: with the table
// full, a pending hit waits and nothing is lost.
TEST_F(GameFixture, TheBreakPassWaitsWhileTheToyTableIsFull)
{
    for (int32_t i = 0; i < Scene::kMaxToys; ++i)
        ASSERT_NE(AddRoundToy(*mGame, 20.0f, VectorF(float(i % 64) * 30.0f, float(i / 64) * 30.0f)), nullptr) << i;
    Toy* hit = mGame->GetToy(5);
    hit->mHit.mOutlineIndex = 3;
    hit->mHit.mPosition = hit->mPosition;
    mGame->BreakPass();
    EXPECT_EQ(mGame->GetToyCount(), Scene::kMaxToys);
    EXPECT_EQ(mGame->GetToy(5), hit);
    EXPECT_TRUE(hit->mHit.IsPending());
}
