#include <gtest/gtest.h>
#include "physics/toys/Toy.h"
#include "physics/toys/ToyRenderGeometry.h"
#include "render/Texture.h"

using namespace KIV;

namespace {

// A square toy of side 100 at (500, 300), turned a little.
class ToyGeometryFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        const VectorF square[4] = {{-50, -50}, {50, -50}, {50, 50}, {-50, 50}};
        ASSERT_TRUE(mToy.BuildFromPolygon(square, 4, 1.0f, {500, 300}, 0.3f));
        ASSERT_TRUE(mTexture.InitBlank(VectorI(64, 64)));
        mOptions.mViewRect = RectF(0, 0, 800, 600);
    }
    Shape& ShapeAt(ToyShapeSlot slot) { return mToy.mShapes[slot]; }

    Toy mToy;
    Texture mTexture;
    DrawOptions mOptions;
};

} // namespace

TEST_F(ToyGeometryFixture, ToyLeftOfTheViewBuildsNothingWhenTested)
{
    mToy.mMainTexture = &mTexture;
    mOptions.mViewRect = RectF(1000, 0, 1800, 600);
    mOptions.mToyPoints = 1;
    mOptions.mTestVisible = 1;
    BuildToyRenderGeometry(mToy, mOptions);
    EXPECT_EQ(mToy.mVisible, 0);
    EXPECT_EQ(ShapeAt(kToyShapeTextured).mPoints.Count(), 0);
    EXPECT_EQ(ShapeAt(kToyShapeOutline).mPoints.Count(), 0);
    // The box is kept, in the toy and in the textured shape's bounds.
    EXPECT_EQ(ShapeAt(kToyShapeTextured).mBounds, mToy.mBounds);
    EXPECT_LT(mToy.mBounds.x2, 1000.0f);

    mOptions.mTestVisible = 0;
    BuildToyRenderGeometry(mToy, mOptions);
    EXPECT_EQ(mToy.mVisible, 1);
    EXPECT_EQ(ShapeAt(kToyShapeTextured).mPoints.Count(), mToy.mGeometry.mPoints.Count());
    EXPECT_EQ(ShapeAt(kToyShapeOutline).mPoints.Count(), 2 * mToy.mOutline.Count());
}

TEST_F(ToyGeometryFixture, TexturedShapeFollowsTheToy)
{
    mToy.mMainTexture = &mTexture;
    BuildToyRenderGeometry(mToy, mOptions);
    const Shape& s = ShapeAt(kToyShapeTextured);
    ASSERT_EQ(s.mPoints.Count(), mToy.mGeometry.mPoints.Count());
    EXPECT_EQ(s.mTexture, &mTexture);
    EXPECT_EQ(s.mTexCoords.Count(), s.mPoints.Count());
    EXPECT_EQ(s.mColors.Count(), s.mPoints.Count());
    EXPECT_EQ(s.mTriangles.Count(), mToy.mGeometry.mTriangles.Count());
    EXPECT_GE(s.mDrawGroups.Count(), 1);
    EXPECT_TRUE(s.mPointsChanged && s.mTrianglesChanged);
    // Outline points of the mesh land where the toy's world outline is.
    for (int32_t i = 0; i < mToy.mGeometry.mOutlineCount; ++i) {
        EXPECT_NEAR(s.mPoints[i].mX, mToy.mOutline[i].mX, 1e-3f);
        EXPECT_NEAR(s.mPoints[i].mY, mToy.mOutline[i].mY, 1e-3f);
    }
}

TEST_F(ToyGeometryFixture, ToyWithoutTextureStillRunsItsDebugPasses)
{
    mOptions.mToyDiagonals = 1;
    mOptions.mToySprings = 1;
    mOptions.mToyMoveVectors = 1;
    mOptions.mToyPoints = 1;
    BuildToyRenderGeometry(mToy, mOptions);
    EXPECT_EQ(ShapeAt(kToyShapeTextured).mPoints.Count(), 0);
    EXPECT_EQ(ShapeAt(kToyShapePoints).mPoints.Count(), mToy.mOutline.Count());
    EXPECT_EQ(ShapeAt(kToyShapePoints).mKind, 0);
    EXPECT_EQ(ShapeAt(kToyShapeSprings).mPoints.Count(), 2 * mToy.mGeometry.mSprings.Count());
    EXPECT_EQ(ShapeAt(kToyShapeMoveVectors).mPoints.Count(), 2 * mToy.mOutline.Count());
    const Shape& edges = ShapeAt(kToyShapeDiagonals);
    ASSERT_EQ(edges.mPoints.Count(), 2 * mToy.mGeometry.mInnerEdges.Count());
    EXPECT_EQ(edges.mKind, 1);
    ASSERT_EQ(edges.mColors.Count(), edges.mPoints.Count());
    // Edges come last first, coloured by whether they are core edges.
    const TracedGeometry& g = mToy.mGeometry;
    const int32_t last = g.mInnerEdges.Count() - 1;
    const bool core = last < g.mCoreEdgeFlags.Count() && g.mCoreEdgeFlags[last];
    EXPECT_EQ(edges.mColors[0], (core ? ColorRGBA(255, 0, 0, 155) : ColorRGBA(0, 255, 0, 155)).Pack());
    const int32_t a = g.mInnerEdges[last].mA;
    if (a < mToy.mOutline.Count()) {
        EXPECT_EQ(edges.mPoints[0], mToy.mOutline[a]);
    }
}

TEST_F(ToyGeometryFixture, ContactsPassDrawsTheCrossedEdgeAndFeet)
{
    PenetrationRecord pen;
    pen.mEdgeStart = {400, 200};
    pen.mEdgeEnd = {600, 200};
    pen.mFirstPoint = 0;
    pen.mLastPoint = 0;
    mToy.mPenetrationContacts.PushBack(pen);
    mToy.mOutline[0] = {450, 210};  // its foot lies on the edge
    mOptions.mToyContacts = 1;
    BuildToyRenderGeometry(mToy, mOptions);
    const Shape& s = ShapeAt(kToyShapeContacts);
    ASSERT_EQ(s.mPoints.Count(), 4);
    EXPECT_EQ(s.mColors[0], ColorRGBA(255, 0, 0, 255).Pack());
    EXPECT_EQ(s.mPoints[2], (VectorF{450, 210}));
    EXPECT_EQ(s.mPoints[3], (VectorF{450, 200}));
    EXPECT_EQ(s.mColors[3], ColorRGBA(200, 200, 200, 155).Pack());
}

TEST_F(ToyGeometryFixture, ParallelLoopGivesTheSerialShapes)
{
    Toy second;
    const VectorF tri[3] = {{0, 0}, {80, 0}, {0, 60}};
    ASSERT_TRUE(second.BuildFromPolygon(tri, 3, 1.0f, {200, 200}, 1.0f));
    mToy.mMainTexture = &mTexture;
    second.mMainTexture = &mTexture;
    mOptions.mToyDiagonals = 1;
    Toy* toys[2] = {&mToy, &second};
    BuildToyRenderGeometryParallel(toys, 2, mOptions, true);
    const Array<VectorF> parallelPoints = second.mShapes[kToyShapeTextured].mPoints;
    BuildToyRenderGeometryParallel(toys, 2, mOptions, false);
    const Array<VectorF>& serialPoints = second.mShapes[kToyShapeTextured].mPoints;
    ASSERT_EQ(parallelPoints.Count(), serialPoints.Count());
    for (int32_t i = 0; i < serialPoints.Count(); ++i) EXPECT_EQ(parallelPoints[i], serialPoints[i]);
}

TEST_F(ToyGeometryFixture, OutlineAndBoxShapes)
{
    Shape outline, box;
    ASSERT_TRUE(BuildToyOutlineShape(mToy, outline, ColorRGBA(1, 2, 3, 4)));
    EXPECT_EQ(outline.mPoints.Count(), 2 * mToy.mOutline.Count());
    EXPECT_EQ(outline.mPoints.Last(), mToy.mOutline[0]);  // closed
    ASSERT_TRUE(BuildToyBoxShape(mToy, box, ColorRGBA(1, 2, 3, 4)));
    ASSERT_EQ(box.mPoints.Count(), 5);
    EXPECT_EQ(box.mPoints[0], box.mPoints[4]);
    EXPECT_EQ(box.mBounds, box.mBounds.GetNormalized());
    EXPECT_EQ(mToy.mBoxOutline.mPoints[2], box.mPoints[2]);
}
