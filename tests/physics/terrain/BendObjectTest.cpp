#include <gtest/gtest.h>
#include <cstring>
#include "physics/terrain/BendObject.h"
#include "physics/geometry/FragmentGrid.h"
#include "render/Texture.h"
#include "support/TerrainPictures.h"

using namespace KIV;

namespace {

using BendObjectTest = TerrainPictureTest;

void ExpectNear(const VectorF& actual, const VectorF& expected, float tolerance = 1e-3f)
{
    EXPECT_NEAR(actual.mX, expected.mX, tolerance);
    EXPECT_NEAR(actual.mY, expected.mY, tolerance);
}

bool SameBits(const Array<VectorF>& a, const Array<VectorF>& b)
{
    return a.Count() == b.Count() && std::memcmp(a.Data(), b.Data(), sizeof(VectorF) * a.Count()) == 0;
}

// Every triangle of a textured shape refers to points the shape has.
void ExpectConsistentShape(const Shape& s)
{
    EXPECT_EQ(s.mColors.Count(), s.mPoints.Count());
    EXPECT_EQ(s.mTexCoords.Count(), s.mPoints.Count());
    for (const IndexTriangle& t : s.mTriangles) {
        ASSERT_LT(t.mA, s.mPoints.Count());
        ASSERT_LT(t.mB, s.mPoints.Count());
        ASSERT_LT(t.mC, s.mPoints.Count());
    }
}

TEST_F(BendObjectTest, SetTextureLaysThePictureOverItsDefaultFragmentGrid)
{
    struct Case {
        int32_t w, h;
        VectorI fragments;
    } cases[] = {{100, 50, {3, 1}}, {20, 20, {1, 1}}, {64, 200, {2, 6}}};
    for (const Case& c : cases) Write("T\\p" + std::to_string(c.w) + "x" + std::to_string(c.h) + ".png", Opaque(c.w, c.h));
    for (const Case& c : cases) {
        const std::string name = "T\\p" + std::to_string(c.w) + "x" + std::to_string(c.h) + ".png";
        BendObject o;
        ASSERT_TRUE(o.SetTexture(Library(), name)) << name;
        EXPECT_EQ(o.GetOrigTextureFn(), name);
        EXPECT_EQ(o.GetFragmentSize(), c.fragments) << name;
        const float w = float(c.w), h = float(c.h);
        const VectorF corners[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
        for (int32_t k = 0; k < 4; ++k) {
            EXPECT_EQ(o.mFrame.GetCorner(k), corners[k]);
            EXPECT_EQ(o.mSavedFrame.GetCorner(k), corners[k]);
        }
        EXPECT_EQ(o.mFrame.GetColumns(), c.fragments.mX);
        EXPECT_EQ(o.mSavedFrame.GetRows(), c.fragments.mY);
        // An opaque picture uses every cell: all lattice points, two triangles per cell.
        const int32_t cells = c.fragments.mX * c.fragments.mY;
        EXPECT_EQ(o.mVertexGrid.Count(), (c.fragments.mX + 1) * (c.fragments.mY + 1));
        EXPECT_EQ(o.mTriangles.Count(), 2 * cells);
        const Shape& s = o.mTexturedShape;
        ExpectConsistentShape(s);
        EXPECT_EQ(s.mTriangles.Count(), 2 * cells);
        EXPECT_EQ(s.mTexture, o.GetTexture());
        EXPECT_EQ(s.mBounds, RectF(0, 0, w, h));
        EXPECT_GE(s.mDrawGroups.Count(), 1);
        // The lattice's far corner lies at corner 2, textured with the picture's far corner.
        const int32_t last = o.mVertexGrid.IndexOf(c.fragments);
        ASSERT_GE(last, 0);
        EXPECT_EQ(s.mPoints[last], VectorF(w, h));
        ExpectNear(s.mTexCoords[last], o.GetTexture()->mCorners[2], 1e-6f);
        ExpectNear(o.mVertexTexCoords[last], VectorF(w, h));
        // The collision outline runs around the picture.
        ASSERT_GE(o.mOutline.mPoints.Count(), 4);
        for (const VectorF& p : o.mOutline.mPoints) {
            EXPECT_GE(p.mX, -1e-3f);
            EXPECT_LE(p.mX, w + 1e-3f);
            EXPECT_GE(p.mY, -1e-3f);
            EXPECT_LE(p.mY, h + 1e-3f);
        }
    }
    // The control vectors of a 100 x 50 picture are a third of their side.
    BendObject o;
    ASSERT_TRUE(o.SetTexture(Library(), "T\\p100x50.png"));
    EXPECT_FLOAT_EQ(o.mFrame.mSides[0].mStartVector.GetLength(), 100.0f / 3.0f);
    EXPECT_FLOAT_EQ(o.mFrame.mSides[1].mStartVector.GetLength(), 50.0f / 3.0f);
    EXPECT_FALSE(o.SetTexture(Library(), "T\\missing.png"));
    EXPECT_EQ(o.GetOrigTextureFn(), "T\\p100x50.png");
}

TEST_F(BendObjectTest, TransparentCellsGetNoTriangles)
{
    // The left half opaque: the right columns of a 4 x 2 grid are empty.
    TestPicture p(128, 64);
    p.FillRect(0, 0, 64, 64, 255, 255, 255);
    p.Set(127, 63, 1, 1, 1, 255);  // keeps the picture's crop at full size
    Write("T\\half.png", p);
    BendObject o;
    ASSERT_TRUE(o.SetTexture(Library(), "T\\half.png"));
    ASSERT_TRUE(o.SetFragments(4, 2));
    FragmentGrid* grid = nullptr;
    ASSERT_TRUE(GetFragmentCache(o.GetTexture())->GetOrBuild(o.GetTexture()->mImage, {4, 2}, grid));
    EXPECT_EQ(o.mTriangles.Count(), grid->mUsedCount);
    EXPECT_LT(o.mTriangles.Count(), 16);
    EXPECT_GE(o.mTriangles.Count(), 8);
    ExpectConsistentShape(o.mTexturedShape);
    // Each used grid triangle is the one the fragment grid numbered.
    for (int32_t t = 0; t < 16; ++t) {
        if (grid->mTriangleIndex[t] < 0) continue;
        const IndexTriangle& tri = o.mTriangles[grid->mTriangleIndex[t]];
        const int32_t cell = t / 2;
        const VectorI first = o.mVertexGrid[tri.mA];
        EXPECT_EQ(first, VectorI(cell % 4, cell / 4)) << "triangle " << t;
        const VectorI third = o.mVertexGrid[tri.mC];
        EXPECT_EQ(third, t % 2 ? VectorI(cell % 4 + 1, cell / 4 + 1) : VectorI(cell % 4, cell / 4 + 1));
    }
}

TEST_F(BendObjectTest, FragmentSizesAreRefusedBelowOneAndBeyondSixteenBitIndicesOrTheSideBound)
{
    Write("T\\a.png", Opaque(100, 50));
    BendObject o;
    ASSERT_TRUE(o.SetTexture(Library(), "T\\a.png"));
    const Array<VectorF> outline = o.mOutline.mPoints;
    struct Case {
        int32_t columns, rows;
    } refused[] = {{0, 3},     {3, 0},    {-2, 4},   {300, 300}, {65535, 1}, {256, 255}, {1 << 20, 1 << 20},
                   {10922, 3}, {1025, 1}, {1, 1025}};
    for (const Case& c : refused) {
        EXPECT_FALSE(o.SetFragments(c.columns, c.rows)) << c.columns << "x" << c.rows;
        EXPECT_EQ(o.GetFragmentSize(), VectorI(3, 1));
        EXPECT_EQ(o.mFrame.GetColumns(), 3);
        EXPECT_EQ(o.mVertexGrid.Count(), 8);
        EXPECT_TRUE(SameBits(o.mOutline.mPoints, outline));
    }
    // The largest grid whose lattice still fits: 256 x 256 points.
    ASSERT_TRUE(o.SetFragments(255, 255));
    EXPECT_EQ(o.mTexturedShape.mPoints.Count(), 65536);
    ExpectConsistentShape(o.mTexturedShape);
    EXPECT_EQ(o.mSavedFrame.GetColumns(), 255);
    EXPECT_EQ(o.mTexturedShape.mPoints[65535], VectorF(100, 50));

    // A large grid is built without reallocating its arrays on every append.
    BendObject big;
    ASSERT_TRUE(big.SetTexture(Library(), "T\\a.png"));
    StatSetInt(kStatArrayReallocate, 0);
    ASSERT_TRUE(big.SetFragments(128, 256));
    EXPECT_EQ(big.mTriangles.Count(), 2 * 128 * 256);
    EXPECT_LT(StatGetInt(kStatArrayReallocate), 1000);
    ASSERT_TRUE(big.SetFragments(1024, 2));

    ASSERT_TRUE(o.SetFragments(5, 2));
    EXPECT_EQ(o.mVertexGrid.Count(), 18);
    EXPECT_EQ(o.mSavedFrame.GetRows(), 2);
    ASSERT_TRUE(o.SetDefaultFragments());
    EXPECT_EQ(o.GetFragmentSize(), VectorI(3, 1));
    BendObject untextured;
    EXPECT_FALSE(untextured.SetDefaultFragments());
}

TEST_F(BendObjectTest, EditsMoveThePictureAndItsOutlineTogether)
{
    Write("T\\a.png", Opaque(100, 50));
    BendObject o;
    ASSERT_TRUE(o.SetTexture(Library(), "T\\a.png"));
    const Array<VectorF> rest = o.mOutline.mPoints;
    const int32_t n = rest.Count();

    o.Move(VectorF(10, -20));
    EXPECT_EQ(o.mTexturedShape.mBounds, RectF(10, -20, 110, 30));
    ASSERT_EQ(o.mOutline.mPoints.Count(), n);
    for (int32_t i = 0; i < n; ++i) ExpectNear(o.mOutline.mPoints[i], rest[i] + VectorF(10, -20));

    // Scaling by a non-positive factor changes nothing.
    const RectF before = o.mTexturedShape.mBounds;
    o.ScaleXY(0.0f, 2.0f);
    o.ScaleXY(2.0f, -1.0f);
    EXPECT_EQ(o.mTexturedShape.mBounds, before);

    // About the frame centre (60, 5).
    o.ScaleXY(2.0f, 3.0f);
    const RectF b = o.mTexturedShape.mBounds;
    EXPECT_NEAR(b.x1, -40, 1e-3f);
    EXPECT_NEAR(b.x2, 160, 1e-3f);
    EXPECT_NEAR(b.y1, -70, 1e-3f);
    EXPECT_NEAR(b.y2, 80, 1e-3f);
    for (int32_t i = 0; i < n; ++i)
        ExpectNear(o.mOutline.mPoints[i], VectorF(60, 5) + (rest[i] + VectorF(10, -20) - VectorF(60, 5)) * VectorF(2, 3));

    o.Rotate(kPi / 2);
    const VectorF centre = o.mFrame.GetCentre();
    ExpectNear(centre, VectorF(60, 5));
    // A quarter turn swaps the extents.
    ExpectNear(o.mTexturedShape.mBounds.GetSize(), VectorF(150, 200));
    EXPECT_EQ(o.mDebugShapes[BendObject::kBoundBoxShape].mPoints[0],
              VectorF(o.mTexturedShape.mBounds.x1, o.mTexturedShape.mBounds.y1));
}

TEST_F(BendObjectTest, DebugShapesFollowTheFrameAndTheOutline)
{
    Write("T\\a.png", Opaque(100, 50));
    BendObject o;
    ASSERT_TRUE(o.SetTexture(Library(), "T\\a.png"));
    o.mFrame.ApplyHandleDrag(3, VectorF(40, 5));
    o.Rebuild();

    const Shape& beziers = o.mDebugShapes[BendObject::kBeziersShape];
    ASSERT_EQ(beziers.mPoints.Count(), 81);
    EXPECT_EQ(beziers.mPoints[80], beziers.mPoints[0]);
    EXPECT_EQ(beziers.mColors[0], ColorRGBA(200, 100, 100, 255).Pack());
    EXPECT_EQ(beziers.mColors[10], ColorRGBA::Lerp({200, 100, 100, 255}, {200, 190, 190, 255}, 0.5f).Pack());
    EXPECT_EQ(beziers.mColors[80], ColorRGBA(200, 100, 100, 255).Pack());
    EXPECT_EQ(beziers.mPoints[20], VectorF(100, 0)) << "side 1 starts at corner 1";

    const Shape& vectors = o.mDebugShapes[BendObject::kBezierVectorsShape];
    ASSERT_EQ(vectors.mPoints.Count(), 8 * 6);
    EXPECT_EQ(vectors.mKind, 1);
    // Side 1's end arrow: from corner 2 to its inner point, then a head stroke of length 10.
    EXPECT_EQ(vectors.mPoints[18], VectorF(100, 50));
    ExpectNear(vectors.mPoints[19], o.mFrame.mSides[1].GetEndInner());
    EXPECT_NEAR(VectorF::GetDistance(vectors.mPoints[20], vectors.mPoints[21]), 10.0f, 1e-4f);

    const Shape& border = o.mDebugShapes[BendObject::kVectorBorderShape];
    ASSERT_EQ(border.mPoints.Count(), o.mOutline.mPoints.Count() + 1);
    EXPECT_EQ(border.mPoints[border.mPoints.Count() - 1], border.mPoints[0]);
    EXPECT_EQ(border.mDrawState.mFillColor, ColorRGBA(255, 255, 0, 255));

    const Shape& box = o.mDebugShapes[BendObject::kBoundBoxShape];
    ASSERT_EQ(box.mPoints.Count(), 5);
    EXPECT_EQ(box.mPoints[2], VectorF(o.mTexturedShape.mBounds.x2, o.mTexturedShape.mBounds.y2));

    const Shape& boxes = o.mDebugShapes[BendObject::kTriangleBoxesShape];
    EXPECT_EQ(boxes.mPoints.Count(), 8 * o.mTexturedShape.mTriangles.Count());
    EXPECT_EQ(boxes.mKind, 1);
}

TEST_F(BendObjectTest, TexturedPolygonNeedsAFrameOfTheGivenSize)
{
    Write("T\\a.png", Opaque(100, 50));
    BendObject o;
    ASSERT_TRUE(o.SetTexture(Library(), "T\\a.png"));
    Shape shape;
    BendFrame frame = o.mFrame;
    EXPECT_FALSE(InitTexturedPolygon(shape, frame, o.mVertexGrid, o.mTriangles, o.GetTexture(), 4, 1));
    EXPECT_FALSE(InitTexturedPolygon(shape, frame, o.mVertexGrid, o.mTriangles, nullptr, 3, 1));
    EXPECT_FALSE(InitTexturedPolygon(shape, frame, o.mVertexGrid, o.mTriangles, o.GetTexture(), 0, 1));
    EXPECT_EQ(shape.mPoints.Count(), 0);
    EXPECT_EQ(shape.mTexture, nullptr);
    ASSERT_TRUE(InitTexturedPolygon(shape, frame, o.mVertexGrid, o.mTriangles, o.GetTexture(), 3, 1));
    EXPECT_EQ(shape.mPoints.Count(), 8);
    EXPECT_TRUE(shape.mPointsChanged);
    EXPECT_TRUE(shape.mTrianglesChanged);
}

TEST_F(BendObjectTest, FillColourTintsEveryVertexAndSurvivesANewFragmentGrid)
{
    Write("T\\a.png", Opaque(100, 50));
    BendObject o;
    ASSERT_TRUE(o.SetTexture(Library(), "T\\a.png"));
    o.mEditCounter = 50;
    o.SetFillColor(ColorRGBA(10, 20, 30, 128));
    EXPECT_EQ(o.mEditCounter, 0);
    EXPECT_EQ(o.GetFillColor(), ColorRGBA(10, 20, 30, 128));
    for (uint32_t c : o.mTexturedShape.mColors) EXPECT_EQ(c, ColorRGBA(10, 20, 30, 128).Pack());
    ASSERT_TRUE(o.SetFragments(6, 3));
    ASSERT_EQ(o.mTexturedShape.mColors.Count(), 28);
    for (uint32_t c : o.mTexturedShape.mColors) EXPECT_EQ(c, ColorRGBA(10, 20, 30, 128).Pack());
}

TEST_F(BendObjectTest, CopyTakesTheGeometryMovedByTheOffsetAndRestartsItsAnimationSequence)
{
    Write("T\\a.png", Opaque(100, 50));
    BendObject original;
    ASSERT_TRUE(original.SetTexture(Library(), "T\\a.png"));
    ASSERT_TRUE(original.SetFragments(4, 2));
    original.SetLayer(-2);
    original.Move(VectorF(5, 5));
    original.mAnimation.mRandom.NextFloat();

    BendObject copy;
    copy.mAnimation.mRandom.NextFloat();
    ASSERT_TRUE(copy.AssignFrom(original, VectorF(100, 0)));
    EXPECT_EQ(copy.GetTexture(), original.GetTexture());
    EXPECT_EQ(copy.GetCurrentTexture(), original.GetTexture());
    EXPECT_EQ(copy.GetOrigTextureFn(), "T\\a.png");
    EXPECT_EQ(copy.GetLayer(), -2);
    EXPECT_EQ(copy.GetFragmentSize(), VectorI(4, 2));
    EXPECT_EQ(copy.mVertexGrid.Count(), original.mVertexGrid.Count());
    for (int32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(copy.mFrame.GetCorner(k), original.mFrame.GetCorner(k) + VectorF(100, 0));
        EXPECT_EQ(copy.mSavedFrame.GetCorner(k), copy.mFrame.GetCorner(k));
    }
    ASSERT_EQ(copy.mOutline.mPoints.Count(), original.mOutline.mPoints.Count());
    for (int32_t i = 0; i < copy.mOutline.mPoints.Count(); ++i)
        ExpectNear(copy.mOutline.mPoints[i], original.mOutline.mPoints[i] + VectorF(100, 0));
    EXPECT_EQ(copy.mAnimation.mRandom.mSeed, 1);
    EXPECT_EQ(copy.mDebugShapes[BendObject::kBeziersShape].mPoints.Count(), 81);
}

TEST_F(BendObjectTest, CyclingTexturesKeepsTheFrameCentre)
{
    Write("T\\a.png", Opaque(100, 50));
    Write("T\\b.png", Opaque(40, 80));
    Write("T\\c.png", Opaque(64, 64));
    TextureLib& lib = Library();
    ASSERT_EQ(lib.mCurrent.mFileNames.Count(), 3);
    BendObject o;
    ASSERT_TRUE(o.SetTexture(lib, lib.mCurrent.mFileNames[0]));
    o.Move(VectorF(300, 200));
    const VectorF centre = o.mFrame.GetCentre();
    // Forward through all three and round to the first; back wraps to the last.
    for (int32_t i : {1, 2, 0}) {
        ASSERT_TRUE(o.CycleTexture(lib, true));
        EXPECT_EQ(o.GetOrigTextureFn(), lib.mCurrent.mFileNames[i]);
        ExpectNear(o.mFrame.GetCentre(), centre);
        ExpectNear(o.mTexturedShape.mBounds.GetCenter(), centre);
    }
    ASSERT_TRUE(o.CycleTexture(lib, false));
    EXPECT_EQ(o.GetOrigTextureFn(), lib.mCurrent.mFileNames[2]);
    // A picture that is not in the library's list is not cycled.
    Write("loose.png", Opaque(8, 8));
    BendObject loose;
    ASSERT_TRUE(loose.SetTexture(lib, "loose.png"));
    EXPECT_FALSE(loose.CycleTexture(lib, true));
    EXPECT_EQ(loose.GetOrigTextureFn(), "loose.png");
}

TEST_F(BendObjectTest, ShardPointsLieJustInsideTheTracedEdge)
{
    Write("T\\a.png", Opaque(100, 50));
    BendObject o;
    ASSERT_TRUE(o.SetTexture(Library(), "T\\a.png"));
    OutlineRecord* traced = &o.mOutline;
    ASSERT_TRUE(GetOutlineCache(o.GetTexture())->HasEntryFor(traced));
    const int32_t n = traced->mPoints.Count();
    ASSERT_GE(n, 3);
    EXPECT_EQ(o.GetShardPointOnEdge(n), VectorF());
    EXPECT_EQ(o.GetShardPointOnEdge(-1), VectorF());

    const Texture& tex = *o.GetCurrentTexture();
    auto toPixels = [&](const VectorF& uv) {
        return VectorF((uv.mX - tex.mCorners[0].mX) / tex.mSpan.mX * float(tex.mTextureSize.mX),
                       (uv.mY - tex.mCorners[0].mY) / tex.mSpan.mY * float(tex.mTextureSize.mY));
    };
    int32_t checked = 0;
    for (int32_t edge = 0; edge < n; ++edge) {
        const VectorF a = traced->mPoints[edge];
        const VectorF b = traced->mPoints[(edge + 1) % n];  // the last edge closes back to point 0
        if (!(b.mY == a.mY && b.mX > a.mX)) continue;
        for (int32_t k = 0; k < 20; ++k) {
            const VectorF p = toPixels(o.GetShardPointOnEdge(edge));
            EXPECT_GE(p.mX, a.mX - 1e-3f);
            EXPECT_LE(p.mX, b.mX + 1e-3f);
            EXPECT_GE(p.mY - a.mY, 1.0f - 1e-3f);
            EXPECT_LE(p.mY - a.mY, 6.0f + 1e-3f);
        }
        ++checked;
    }
    EXPECT_GT(checked, 0);
    // Without a cached outline of the object's settings there is nowhere to chip from.
    o.GetTexture()->ClearCaches();
    EXPECT_EQ(o.GetShardPointOnEdge(0), VectorF());
    EXPECT_EQ(o.GetTexture()->GetCache(kTextureOutlineCache), nullptr) << "looking up traces nothing";
}

TEST_F(BendObjectTest, StepCountsEditsAndAnimatesBetweenKeyFrames)
{
    Write("T\\a.png", Opaque(100, 50));
    BendObject o;
    ASSERT_TRUE(o.SetTexture(Library(), "T\\a.png"));
    o.mEditCounter = 198;
    const Array<VectorF> still = o.mOutline.mPoints;
    for (int32_t i = 0; i < 5; ++i) o.Step();
    EXPECT_EQ(o.mEditCounter, 200);
    EXPECT_TRUE(SameBits(o.mOutline.mPoints, still)) << "no key frames: nothing moves";

    o.mAnimation.mKeyFrames.AppendCopy(o.mFrame);
    BendFrame moved = o.mFrame;
    moved.Translate(VectorF(0, 60));
    o.mAnimation.mKeyFrames.AppendCopy(moved);
    for (int32_t i = 0; i < 30; ++i) o.Step();
    EXPECT_EQ(o.mFrame.GetColumns(), 3);
    ExpectNear(o.mTexturedShape.mBounds.GetSize(), VectorF(100, 50));
    EXPECT_NEAR(o.mTexturedShape.mBounds.y1, 30.0f, 1e-3f) << "halfway through the 60-step first blend";
    ASSERT_EQ(o.mOutline.mPoints.Count(), still.Count());
    ExpectNear(o.mOutline.mPoints[0], still[0] + VectorF(0, 30));

    // A level reset returns to the saved frame.
    o.ResetToSavedFrame();
    EXPECT_TRUE(SameBits(o.mOutline.mPoints, still));
}

TEST_F(BendObjectTest, ParallelTerrainPassNeverTracesAndMatchesTheSerialPass)
{
    Write("T\\a.png", Opaque(100, 50));
    Write("T\\b.png", Opaque(70, 90));
    PtrArray<BendObject> serial, parallel;
    for (PtrArray<BendObject>* list : {&serial, &parallel}) {
        for (int32_t i = 0; i < 6; ++i) {
            BendObject* o = list->AppendNew();
            ASSERT_TRUE(o->SetTexture(Library(), i % 2 ? "T\\a.png" : "T\\b.png"));
            o->Move(VectorF(150.0f * i, 0));
            o->mAnimation.mDurationMin = 5 + i;
            o->mAnimation.mDurationMax = 30 + i;
            o->mAnimation.mKeyFrames.AppendCopy(o->mFrame);
            BendFrame bent = o->mFrame;
            bent.ApplyHandleDrag(9, VectorF(20, -15));
            bent.ApplyHandleDrag(4, VectorF(0, 25));
            o->mAnimation.mKeyFrames.AppendCopy(bent);
        }
    }
    // The pictures' caches are dropped (as a rescan does): the step body alone
    // may only look up, so the outline goes and nothing is traced.
    BendObject lone;
    lone.AssignFrom(*serial[0], VectorF());
    lone.mAnimation.mKeyFrames.AppendCopy(lone.mFrame);
    for (const char* name : {"T\\a.png", "T\\b.png"}) Library().GetTexture(name)->ClearCaches();
    lone.Step();
    EXPECT_EQ(lone.mOutline.mPoints.Count(), 0);
    EXPECT_EQ(lone.GetTexture()->GetCache(kTextureOutlineCache), nullptr);

    // The pass itself prepares the outlines serially before its parallel loop.
    for (int32_t step = 0; step < 40; ++step) {
        StepBendObjectsParallel(serial, false);
        StepBendObjectsParallel(parallel, true);
    }
    for (const char* name : {"T\\a.png", "T\\b.png"}) {
        const auto* cache =
            static_cast<const OutlineCache*>(Library().GetTexture(name)->GetCache(kTextureOutlineCache));
        ASSERT_NE(cache, nullptr);
        EXPECT_EQ(cache->Count(), 1) << "one outline per picture and settings";
    }
    for (int32_t i = 0; i < serial.Count(); ++i) {
        EXPECT_GE(serial[i]->mOutline.mPoints.Count(), 4);
        EXPECT_TRUE(SameBits(serial[i]->mOutline.mPoints, parallel[i]->mOutline.mPoints)) << i;
        EXPECT_TRUE(SameBits(serial[i]->mTexturedShape.mPoints, parallel[i]->mTexturedShape.mPoints)) << i;
        EXPECT_EQ(serial[i]->mAnimation.mDuration, parallel[i]->mAnimation.mDuration);
    }
}

} // namespace
