#include <gtest/gtest.h>
#include <cmath>
#include "physics/contacts/Contacts.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/Scenes.h"
#include "scenes/StepWorlds.h"

namespace KIV {
namespace {

TEST(ToyPointForce, ZeroForceIsSkippedAndOthersWakeAndGather)
{
    Scene scene;
    ASSERT_TRUE(Scenes::MakeWalledWorld(scene, RectF(0.0f, 0.0f, 400.0f, 300.0f)));
    Scenes::ApplyStepDefaults(scene);
    Toy* toy = Scenes::AddBoxToy(scene, VectorF(40.0f, 40.0f), VectorF(200.0f, 100.0f));
    ASSERT_NE(toy, nullptr);
    toy->mSleeping = 1;
    toy->ApplyPointForce(0, VectorF());
    EXPECT_EQ(toy->mVelocityChanges.Count(), 0);
    EXPECT_TRUE(toy->GetSleeping()) << "nothing happened";
    for (float v : toy->mPendingImpulse) EXPECT_EQ(v, 0.0f);

    toy->ApplyPointForce(0, VectorF(5000.0f, 0.0f));
    ASSERT_EQ(toy->mVelocityChanges.Count(), 1);
    EXPECT_FALSE(toy->GetSleeping());
    const VectorF change = toy->mVelocityChanges[0].mChange;
    EXPECT_TRUE(std::isfinite(change.mX) && std::isfinite(change.mY));
    EXPECT_GT(change.mX, 0.0f);
    EXPECT_EQ(toy->mPendingImpulse[2], change.mX) << "the push enters the pending extremes";
    toy->ApplyPointForce(toy->GetOutlinePointCount(), VectorF(1.0f, 1.0f));
    EXPECT_EQ(toy->mVelocityChanges.Count(), 1) << "a point beyond the outline is refused";
}

// Two boxes overlapping at one corner each: A's bottom-right corner lies in
// B, B's top-left corner in A.
class OverlapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Scenes::MakeWalledWorld(mScene, RectF(0.0f, 0.0f, 400.0f, 400.0f)));
        Scenes::ApplyStepDefaults(mScene);
        mA = Scenes::AddBoxToy(mScene, VectorF(40.0f, 40.0f), VectorF(200.0f, 200.0f));
        mB = Scenes::AddBoxToy(mScene, VectorF(40.0f, 40.0f), VectorF(210.0f, 236.0f));
        ASSERT_NE(mA, nullptr);
        ASSERT_NE(mB, nullptr);
        for (Toy* t : {mA, mB}) {
            GridQueryContext& context = mScene.GetGrid().GetQueryContext(0);
            mScene.GetGrid().CollectToyCrossings(*t, context);
            MarkInsidePoints(*t);
        }
        for (Toy* t : {mA, mB}) t->BuildPenetrationContacts(mScene.GetGrid());
        for (Toy* t : {mA, mB}) t->ShareDepths();
    }

    Scene mScene;
    Toy* mA = nullptr;
    Toy* mB = nullptr;
};

TEST_F(OverlapTest, EachToyRecordsItsPenetrationAndTheSharedDepth)
{
    ASSERT_EQ(mA->mPenetrationContacts.Count(), 1);
    ASSERT_EQ(mB->mPenetrationContacts.Count(), 1);
    const PenetrationRecord& a = mA->mPenetrationContacts[0];
    const PenetrationRecord& b = mB->mPenetrationContacts[0];
    EXPECT_EQ(a.mPartner, mB);
    EXPECT_EQ(b.mPartner, mA);
    EXPECT_GT(a.mDepth, 0.0f);
    EXPECT_GT(b.mDepth, 0.0f);
    EXPECT_FLOAT_EQ(a.mSharedDepth, a.mDepth + b.mDepth);
    EXPECT_FLOAT_EQ(b.mSharedDepth, a.mDepth + b.mDepth);
    // The crossings are where A's right edge meets B's top and A's bottom meets B's left.
    const VectorF ends[2] = {a.mEdgeStart, a.mEdgeEnd};
    for (const VectorF& p : ends) {
        const bool onRight = std::fabs(p.mX - 220.0f) < 1e-3f && std::fabs(p.mY - 216.0f) < 1e-3f;
        const bool onBottom = std::fabs(p.mX - 190.0f) < 1e-3f && std::fabs(p.mY - 220.0f) < 1e-3f;
        EXPECT_TRUE(onRight || onBottom) << p.mX << ", " << p.mY;
    }
}

TEST_F(OverlapTest, UnPenetrationPushesTheInsideCornerAcrossTheChord)
{
    const PenetrationRecord r = mA->mPenetrationContacts[0];
    int32_t corner = -1;
    for (int32_t i = 0; i < mA->GetOutlinePointCount(); ++i)
        if (std::fabs(mA->mOutline[i].mX - 220.0f) < 1e-3f && std::fabs(mA->mOutline[i].mY - 220.0f) < 1e-3f) corner = i;
    ASSERT_GE(corner, 0);
    const VectorF chord = r.mEdgeEnd - r.mEdgeStart;
    const float before = Cross(chord, mA->mOutline[corner] - r.mEdgeStart);
    UnPenetrate(*mA, mScene.GetGrid(), mScene.GetGrid().GetQueryContext(0));
    const float after = Cross(chord, mA->mOutline[corner] - r.mEdgeStart);
    EXPECT_NE(before, 0.0f);
    EXPECT_TRUE((before > 0.0f) != (after > 0.0f)) << "the corner ends just beyond the chord";
    EXPECT_LT(std::fabs(after), 0.01f * std::fabs(before));
    const int32_t n = mA->GetOutlinePointCount();
    EXPECT_EQ(mA->mOutline.Data()[n], mA->mOutline[0]) << "the loop stays closed";
}

} // namespace
} // namespace KIV
