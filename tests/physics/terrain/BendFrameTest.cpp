#include <gtest/gtest.h>
#include <cmath>
#include <set>
#include "base/Rect.h"
#include "physics/terrain/BendFrame.h"

using namespace KIV;

namespace {

BendFrame RectFrame(float x1, float y1, float x2, float y2, int32_t columns, int32_t rows)
{
    BendFrame f;
    f.SetFromRect(x1, y1, x2, y2);
    f.SetGridSize(columns, rows);
    return f;
}

void ExpectNear(const VectorF& actual, const VectorF& expected, float tolerance = 1e-3f)
{
    EXPECT_NEAR(actual.mX, expected.mX, tolerance);
    EXPECT_NEAR(actual.mY, expected.mY, tolerance);
}

} // namespace

TEST(BendFrameTest, FromRectangleHasStraightSidesWithInnerPointsAtThirds)
{
    struct Case {
        RectF rect;
    } cases[] = {{{0, 0, 100, 50}}, {{-30, 10, 60, 400}}, {{5, 5, 5.5f, 7}}};
    for (const Case& c : cases) {
        BendFrame f;
        f.mChanged = 0;
        f.SetFromRect(c.rect.x1, c.rect.y1, c.rect.x2, c.rect.y2);
        EXPECT_TRUE(f.IsChanged());
        const VectorF corners[4] = {
            {c.rect.x1, c.rect.y1}, {c.rect.x2, c.rect.y1}, {c.rect.x2, c.rect.y2}, {c.rect.x1, c.rect.y2}};
        for (int32_t k = 0; k < 4; ++k) {
            const CubicBezier& side = f.mSides[k];
            EXPECT_EQ(side.mStart, corners[k]);
            EXPECT_EQ(side.mEnd, corners[(k + 1) % 4]) << "each corner is stored twice, equal";
            const VectorF d = side.mEnd - side.mStart;
            ExpectNear(side.GetStartInner(), side.mStart + d / 3.0f);
            ExpectNear(side.GetEndInner(), side.mStart + d * (2.0f / 3.0f));
            // Sampled points of a straight side lie on it, evenly spaced.
            ExpectNear(side.Evaluate(0.25f), side.mStart + d * 0.25f);
        }
    }
    // A 100 x 50 rectangle: control vectors of length 100/3 and 50/3.
    BendFrame f = RectFrame(0, 0, 100, 50, 3, 1);
    EXPECT_FLOAT_EQ(f.mSides[0].mStartVector.GetLength(), 100.0f / 3.0f);
    EXPECT_FLOAT_EQ(f.mSides[1].mEndVector.GetLength(), 50.0f / 3.0f);
}

TEST(BendFrameTest, GridCornerPointsOfAnUnbentFrameAreItsCornersInBothCurveDirections)
{
    // Rows <= columns lays the curves along the rows, otherwise along the columns.
    struct Case {
        int32_t columns, rows;
        uint8_t byRow;
    } cases[] = {{3, 1, 1}, {1, 1, 1}, {2, 5, 0}, {7, 7, 1}};
    for (const Case& c : cases) {
        BendFrame f = RectFrame(10, 20, 110, 70, c.columns, c.rows);
        VectorF p;
        struct Corner {
            int32_t col, row;
            VectorF at;
        } corners[] = {{0, 0, {10, 20}}, {c.columns, 0, {110, 20}}, {c.columns, c.rows, {110, 70}}, {0, c.rows, {10, 70}}};
        for (const Corner& k : corners) {
            ASSERT_TRUE(f.GetGridPoint(k.col, k.row, p));
            EXPECT_EQ(p, k.at) << c.columns << "x" << c.rows << " at " << k.col << "," << k.row;
        }
        EXPECT_EQ(f.mCurvesByRow, c.byRow);
        EXPECT_EQ(f.mCurves.Count(), (c.byRow ? c.rows : c.columns) + 1);
        EXPECT_FALSE(f.IsChanged()) << "a rebuild clears the changed flag";
        // Interior grid points of an unbent frame are evenly spaced.
        ASSERT_TRUE(f.GetGridPoint(1, 1, p));
        ExpectNear(p, {10 + 100.0f / c.columns, 20 + 50.0f / c.rows});
        // Outside the lattice there is no point.
        for (VectorI bad : {VectorI(-1, 0), VectorI(0, -1), VectorI(c.columns + 1, 0), VectorI(0, c.rows + 1)})
            EXPECT_FALSE(f.GetGridPoint(bad.mX, bad.mY, p));
    }
}

TEST(BendFrameTest, FrameWithoutAGridHasNoPointsAndStaysChanged)
{
    BendFrame f;
    f.SetFromRect(0, 0, 10, 10);
    VectorF p(7, 7);
    EXPECT_FALSE(f.GetGridPoint(0, 0, p));
    EXPECT_EQ(p, VectorF(7, 7));
    EXPECT_TRUE(f.IsChanged());
    EXPECT_FALSE(f.SetGridSize(0, 3));
    EXPECT_FALSE(f.SetGridSize(3, -1));
    ASSERT_TRUE(f.SetGridSize(2, 2));
    ASSERT_TRUE(f.RebuildCurves());
    // The same size again is accepted without marking the frame.
    EXPECT_TRUE(f.SetGridSize(2, 2));
    EXPECT_FALSE(f.IsChanged());
}

TEST(BendFrameTest, BentCornerCarriesTheGridWithIt)
{
    BendFrame f = RectFrame(0, 0, 90, 60, 3, 2);
    VectorF before;
    ASSERT_TRUE(f.GetGridPoint(2, 1, before));
    // Handle 10 is corner 2 (bottom right).
    ASSERT_TRUE(f.ApplyHandleDrag(10, VectorF(30, 30)));
    VectorF corner, inner;
    ASSERT_TRUE(f.GetGridPoint(3, 2, corner));
    EXPECT_EQ(corner, VectorF(120, 90));
    ASSERT_TRUE(f.GetGridPoint(2, 1, inner));
    EXPECT_GT(inner.mX, before.mX);
    EXPECT_GT(inner.mY, before.mY);
}

TEST(BendFrameTest, HandleDragsMoveOneControlVectorOrBothCopiesOfACorner)
{
    BendFrame f = RectFrame(0, 0, 100, 100, 1, 1);
    const BendFrame original = f;
    f.mChanged = 0;
    EXPECT_FALSE(f.ApplyHandleDrag(9, VectorF(0, 0)));
    EXPECT_FALSE(f.ApplyHandleDrag(-1, VectorF(1, 0)));
    EXPECT_FALSE(f.ApplyHandleDrag(12, VectorF(1, 0)));
    EXPECT_FALSE(f.IsChanged());

    // Each corner handle moves the start of its side and the end of the side before.
    struct Case {
        int32_t handle, side, previous;
    } corners[] = {{8, 0, 3}, {9, 1, 0}, {10, 2, 1}, {11, 3, 2}};
    for (const Case& c : corners) {
        BendFrame g = original;
        ASSERT_TRUE(g.ApplyHandleDrag(c.handle, VectorF(4, -6)));
        EXPECT_EQ(g.mSides[c.side].mStart, original.mSides[c.side].mStart + VectorF(4, -6));
        EXPECT_EQ(g.mSides[c.previous].mEnd, g.mSides[c.side].mStart);
        EXPECT_TRUE(g.IsChanged());
    }
    // Control handles: 2k the start vector of side k, 2k + 1 its end vector.
    for (int32_t h = 0; h < 8; ++h) {
        BendFrame g = original;
        ASSERT_TRUE(g.ApplyHandleDrag(h, VectorF(1, 2)));
        const CubicBezier& side = g.mSides[h / 2];
        const CubicBezier& was = original.mSides[h / 2];
        EXPECT_EQ(side.mStartVector, was.mStartVector + (h % 2 ? VectorF() : VectorF(1, 2)));
        EXPECT_EQ(side.mEndVector, was.mEndVector + (h % 2 ? VectorF(1, 2) : VectorF()));
        EXPECT_EQ(side.mStart, was.mStart);
    }
}

TEST(BendFrameTest, NearestHandlePrefersControlHandlesAndKeepsTheLowerIndexOnTies)
{
    // Square 0..90: control points at 30 and 60 along each side.
    BendFrame f = RectFrame(0, 0, 90, 90, 1, 1);
    struct Case {
        VectorF point;
        float radius;
        int32_t expected;
    } cases[] = {
        {{30, 0}, 5, 0},       // side 0 start control point
        {{60, 0}, 5, 1},       // side 0 end control point
        {{90, 30}, 5, 2},      // side 1 start control point
        {{45, 0}, 20, 0},      // midway between handles 0 and 1: the lower wins
        {{0, 45}, 20, 6},      // between side 3's control points 7 (0,30) and 6 (0,60): tie, lower index
        {{0, 0}, 5, 8},        // corner 0, no control handle within reach
        {{90, 90}, 5, 10},     // corner 2
        {{2, 2}, 40, 0},       // a control handle in reach beats the nearer corner
        {{45, 45}, 5, -1},     // nothing within the radius
        {{30, 5}, 5, -1},      // exactly at the radius is outside
    };
    for (const Case& c : cases)
        EXPECT_EQ(f.FindNearestFrameHandle(c.point, c.radius), c.expected) << c.point.mX << "," << c.point.mY;
}

TEST(BendFrameTest, TranslateAssignScaleAndRotateKeepCornersPaired)
{
    BendFrame f = RectFrame(0, 0, 40, 20, 2, 1);
    f.Translate(VectorF(5, 7));
    EXPECT_EQ(f.GetCorner(0), VectorF(5, 7));
    EXPECT_EQ(f.mSides[3].mEnd, VectorF(5, 7));
    EXPECT_EQ(f.mSides[0].mStartVector, VectorF(40.0f / 3.0f, 0)) << "control vectors are relative";
    EXPECT_EQ(f.GetCentre(), VectorF(25, 17));

    BendFrame g;
    ASSERT_TRUE(g.SetGridSize(9, 9));
    ASSERT_TRUE(g.RebuildCurves());
    g.Assign(f);
    EXPECT_EQ(g.GetColumns(), 2);
    EXPECT_EQ(g.GetRows(), 1);
    EXPECT_TRUE(g.IsChanged());
    EXPECT_EQ(g.mSides[2].mEnd, f.mSides[2].mEnd);

    g.ScaleAbout(VectorF(2, 3), g.GetCentre());
    EXPECT_EQ(g.GetCorner(0), VectorF(-15, -13));
    EXPECT_EQ(g.mSides[3].mEnd, g.GetCorner(0));
    ExpectNear(g.mSides[1].mStartVector, VectorF(0, 20));
    g.RotateAbout(kPi / 2, g.GetCentre());
    for (int32_t k = 0; k < 4; ++k) EXPECT_EQ(g.mSides[(k + 3) % 4].mEnd, g.mSides[k].mStart);
    ExpectNear(g.GetCentre(), VectorF(25, 17));
}

TEST(BendFrameTest, BlendedFrameTurnsControlVectorsAndMovesCornersLinearly)
{
    BendFrame a = RectFrame(0, 0, 100, 100, 4, 4);
    BendFrame b = RectFrame(100, 0, 200, 100, 2, 2);
    a.mSides[0].mStartVector = VectorF(30, 0);
    b.mSides[0].mStartVector = VectorF(0, 10);
    BendFrame out = RectFrame(0, 0, 1, 1, 7, 3);
    ASSERT_TRUE(out.RebuildCurves());
    out.Lerp(a, b, 0.5f);
    EXPECT_TRUE(out.IsChanged());
    EXPECT_EQ(out.GetColumns(), 7) << "the blend keeps the grid size of the blended frame";
    EXPECT_EQ(out.GetCorner(0), VectorF(50, 0));
    EXPECT_EQ(out.mSides[3].mEnd, VectorF(50, 0));
    const VectorF v = out.mSides[0].mStartVector;
    EXPECT_NEAR(v.GetLength(), 20.0f, 1e-4f);
    EXPECT_NEAR(std::atan2(v.mY, v.mX), kPi / 4, 1e-5f);
    // The ends of the blend are the key frames themselves.
    out.Lerp(a, b, 0.0f);
    EXPECT_EQ(out.mSides[0].mStartVector, VectorF(30, 0));
    out.Lerp(a, b, 1.0f);
    EXPECT_EQ(out.mSides[0].mStartVector, VectorF(0, 10));
}

TEST(BendFrameAnimationTest, BlendFactorEasesFromZeroToOne)
{
    BendFrameAnimation anim;
    struct Case {
        int32_t counter, duration;
        float expected;
    } cases[] = {{0, 60, 0.0f}, {60, 60, 1.0f}, {61, 60, 1.0f}, {30, 60, 0.5f}, {15, 60, 0.14644661f},
                 {5, 0, 0.0f},  {0, 0, 0.0f},   {-1, 60, 1.0f}};  // compared unsigned: -1 is past the end
    for (const Case& c : cases) {
        anim.mStepCounter = c.counter;
        anim.mDuration = c.duration;
        EXPECT_NEAR(anim.GetBlendFactor(), c.expected, 1e-6f) << c.counter << "/" << c.duration;
    }
}

TEST(BendFrameAnimationTest, TwoKeyFramesAlternateWithRandomDurations)
{
    BendFrameAnimation anim;
    BendFrame frame = RectFrame(0, 0, 10, 10, 1, 1);
    anim.mKeyFrames.AppendCopy(RectFrame(0, 0, 10, 10, 1, 1));
    anim.mKeyFrames.AppendCopy(RectFrame(100, 0, 110, 10, 1, 1));

    // The first blend takes the initial 60 steps.
    for (int32_t i = 0; i < 59; ++i) anim.Advance();
    EXPECT_EQ(anim.mFromKey, 0);
    ASSERT_TRUE(anim.Apply(frame));
    EXPECT_GT(frame.GetCorner(0).mX, 99.0f);
    anim.Advance();
    EXPECT_EQ(anim.mFromKey, 1);
    EXPECT_EQ(anim.mToKey, 0);
    EXPECT_EQ(anim.mStepCounter, 1);

    std::set<int32_t> durations;
    int32_t expectedFrom = 1;
    for (int32_t blend = 0; blend < 40; ++blend) {
        const int32_t duration = anim.mDuration;
        EXPECT_GE(duration, 150);
        EXPECT_LE(duration, 250);
        durations.insert(duration);
        EXPECT_EQ(anim.mFromKey, expectedFrom);
        EXPECT_EQ(anim.mToKey, 1 - expectedFrom);
        for (int32_t s = 1; s < duration; ++s) anim.Advance();
        expectedFrom = 1 - expectedFrom;
    }
    EXPECT_GT(durations.size(), 10u) << "durations are drawn from the animation's generator";
}

TEST(BendFrameAnimationTest, ApplyClampsKeysThatNoLongerExist)
{
    BendFrameAnimation anim;
    BendFrame frame = RectFrame(0, 0, 10, 10, 1, 1);
    EXPECT_FALSE(anim.Apply(frame));
    anim.mKeyFrames.AppendCopy(RectFrame(20, 30, 40, 50, 1, 1));
    anim.mFromKey = 5;
    anim.mToKey = -2;
    ASSERT_TRUE(anim.Apply(frame));
    EXPECT_EQ(anim.mFromKey, 0);
    EXPECT_EQ(anim.mToKey, 0);
    EXPECT_EQ(frame.GetCorner(0), VectorF(20, 30));
    // A single key frame keeps blending onto itself.
    for (int32_t i = 0; i < 100; ++i) anim.Advance();
    EXPECT_EQ(anim.mFromKey, 0);
    EXPECT_EQ(anim.mToKey, 0);
}
