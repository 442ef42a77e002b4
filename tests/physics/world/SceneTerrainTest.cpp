#include <gtest/gtest.h>
#include <map>
#include "physics/world/Scene.h"
#include "support/TerrainPictures.h"

using namespace KIV;

namespace {

class SceneTerrainTest : public TerrainPictureTest {
protected:
    void SetUp() override
    {
        TerrainPictureTest::SetUp();
        ASSERT_TRUE(mScene.SetupGrid(RectF(-500, -500, 1500, 1500)));
        Write("T\\slab.png", Opaque(200, 40));
    }
    BendObject* AddObject(int32_t layer, const VectorF& at)
    {
        BendObject* o = mScene.mTerrainObjects.AppendNew();
        EXPECT_TRUE(o->SetTexture(Library(), "T\\slab.png"));
        o->SetLayer(layer);
        o->Move(at);
        return o;
    }
    // The segments the grid holds for an object, in chain order.
    std::vector<StaticSegment> SegmentsOf(const BendObject& o) const
    {
        std::vector<StaticSegment> v;
        const SlotList& store = mScene.GetGrid().GetStaticStore();
        if (!store.IsObjectInUse(o.mStaticSlot)) return v;
        for (int32_t node = store.GetObject(o.mStaticSlot).mFirstNode; node >= 0; node = store.GetNode(node).mNext)
            v.push_back(mScene.GetGrid().GetStaticSegment(node));
        return v;
    }
    // Where a segment dropped straight down at x first meets terrain, or -1.
    float DropOnto(float x)
    {
        GridSegmentQuery q;
        q.mFrom = VectorF(x, -400);
        q.mTo = VectorF(x, 1400);
        q.mTestToys = false;
        q.mMover = GridMover::kToy;
        GridSegmentHit hit;
        if (!mScene.GetGrid().QuerySegment(q, mScene.GetGrid().GetQueryContext(), hit)) return -1.0f;
        return hit.mPoint.mY;
    }

    Scene mScene;
};

TEST_F(SceneTerrainTest, OnlyCollidingObjectsOfTheLayersThatMoveWithPlayEnterTheGrid)
{
    BendObject* ground = AddObject(0, {0, 300});
    BendObject* ghost = AddObject(0, {300, 300});
    ghost->mCollisions = 0;
    BendObject* front = AddObject(2, {600, 300});
    BendObject* back = AddObject(-5, {900, 300});
    ground->mSlippery = 0.25f;
    ground->mPassParticles = 1;

    mScene.RebuildStaticGrid();
    EXPECT_GE(ground->mStaticSlot, 0);
    EXPECT_EQ(ghost->mStaticSlot, -1);
    EXPECT_EQ(front->mStaticSlot, -1) << "without a layer list only layer 0 exists";
    EXPECT_EQ(back->mStaticSlot, -1);
    EXPECT_EQ(mScene.GetGrid().GetStaticStore().GetUsedObjectCount(), 1);

    // Each outline edge is one segment carrying the object's switches.
    const std::vector<StaticSegment> segments = SegmentsOf(*ground);
    const int32_t n = ground->mOutline.mPoints.Count();
    ASSERT_EQ(int32_t(segments.size()), n);
    for (const StaticSegment& s : segments) {
        EXPECT_EQ(s.mOwner, ground);
        EXPECT_EQ(s.mStart, ground->mOutline.mPoints[s.mEdgeIndex]);
        EXPECT_EQ(s.mEnd, ground->mOutline.mPoints[(s.mEdgeIndex + 1) % n]);
        EXPECT_EQ(s.mCollidesWithToys, 1);
        EXPECT_EQ(s.mCollidesWithParticles, 0);
        EXPECT_EQ(s.mSlippery, 0.25f);
    }
    // The top edge faces up: a drop from above lands on it, past the others nothing is hit.
    EXPECT_NEAR(DropOnto(100), 300.0f, 1.0f);
    EXPECT_EQ(DropOnto(400), -1.0f);
    EXPECT_EQ(DropOnto(700), -1.0f);

    // The game's layers decide: exactly factor 1.0 collides.
    std::map<int32_t, float> factors = {{0, 1.0f}, {2, 1.0f}, {-5, 0.9f}};
    mScene.mLayerFactorLookup = [&](int32_t layer, float& factor) {
        auto it = factors.find(layer);
        if (it == factors.end()) return false;
        factor = it->second;
        return true;
    };
    mScene.RebuildStaticGrid();
    mScene.RebuildStaticGrid();
    EXPECT_GE(ground->mStaticSlot, 0);
    EXPECT_GE(front->mStaticSlot, 0);
    EXPECT_EQ(back->mStaticSlot, -1);
    EXPECT_EQ(mScene.GetGrid().GetStaticStore().GetUsedObjectCount(), 2) << "a rebuild starts from a clear store";
    EXPECT_NEAR(DropOnto(700), 300.0f, 1.0f);
    factors.erase(2);
    mScene.RebuildStaticGrid();
    EXPECT_EQ(front->mStaticSlot, -1) << "a layer that does not exist";
}

TEST_F(SceneTerrainTest, AnimatedTerrainMovesItsEdgesAndALevelResetBringsThemBack)
{
    BendObject* slab = AddObject(0, {0, 300});
    slab->mAnimation.mKeyFrames.AppendCopy(slab->mFrame);
    BendFrame lower = slab->mFrame;
    lower.Translate(VectorF(0, 100));
    slab->mAnimation.mKeyFrames.AppendCopy(lower);
    // As a loaded scene starts: the level begins where the object stands.
    slab->mSavedFrame.Assign(slab->mFrame);
    mScene.RebuildStaticGrid();
    ASSERT_NEAR(DropOnto(100), 300.0f, 1.0f);

    for (int32_t step = 0; step < 30; ++step) mScene.StepTerrainObjects(false);
    EXPECT_NEAR(DropOnto(100), 350.0f, 1.0f) << "halfway through the first blend";

    mScene.ResetTerrainObjects();
    EXPECT_NEAR(DropOnto(100), 300.0f, 1.0f);
}

TEST(SceneLightsTest, TheLightPassStepsEveryLight)
{
    Scene scene;
    for (int32_t i = 0; i < 3; ++i) ASSERT_NE(scene.mLights.AppendNew(), nullptr);
    scene.mLights[1]->mFlickerEnabled = 0;
    for (int32_t step = 0; step < 10; ++step) scene.AnimateLights(false);
    EXPECT_EQ(scene.mLights[0]->mStepCounter, 10u);
    EXPECT_EQ(scene.mLights[1]->mStepCounter, 0u);
    EXPECT_EQ(scene.mLights[2]->mStepCounter, 10u);
}

} // namespace
