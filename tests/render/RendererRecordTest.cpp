// The drawing operations, recorded without a GL context and checked as bytes.
#include <gtest/gtest.h>
#include <cmath>
#include "render/Renderer.h"
#include "render/Shape.h"
#include "render/Texture.h"
#include "render/TextureLib.h"
#include "support/CommandStream.h"
#include "support/PictureFolder.h"

using namespace KIV;

namespace {

// A renderer with a window size but no context, its buffer reset as a frame starts.
class RecordFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        mRenderer.SetWindowSize(800, 600);
        mRenderer.ResetDrawBuffer();
        mRenderer.SetView(RectF(0, 0, 800, 600), 0.0f);
        Buffer().Clear();
    }
    RenderCommandBuffer& Buffer() { return mRenderer.GetDrawBuffer(); }
    std::vector<DrawIndexedPayload> Draws()
    {
        std::vector<DrawIndexedPayload> draws;
        for (const RecordedCommand& c : SplitCommands(Buffer()))
            if (c.mOpcode == kOpDrawIndexed) draws.push_back(c.As<DrawIndexedPayload>());
        return draws;
    }

    Renderer mRenderer;
};

// One quad per section at the given x positions, each its own draw group.
void MakeSections(Shape& s, const std::vector<float>& xs, const std::vector<uint8_t>& sameLights)
{
    Array<VectorF> points;
    for (float x : xs)
        for (VectorF p : {VectorF{x, 0}, VectorF{x + 10, 0}, VectorF{x + 10, 10}, VectorF{x, 10}}) points.PushBack(p);
    ASSERT_TRUE(s.InitPoints(3, points, ColorRGBA(255, 255, 255, 255)));
    s.mTriangles.Clear();
    s.mDrawGroups.Free();
    for (size_t i = 0; i < xs.size(); ++i) {
        const uint16_t b = uint16_t(4 * i);
        s.mTriangles.PushBack({b, uint16_t(b + 1), uint16_t(b + 2)});
        s.mTriangles.PushBack({uint16_t(b + 2), uint16_t(b + 3), b});
        DrawGroup g;
        g.mRect = RectF(xs[i], 0, xs[i] + 10, 10);
        g.mFirstTriangle = int32_t(2 * i);
        g.mTriangleCount = 2;
        g.mSameLights = sameLights[i];
        s.mDrawGroups.PushBack(g);
    }
}

} // namespace

TEST_F(RecordFixture, ScissorCountsRowsFromTheBottom)
{
    // The formula holds: 600 - (70 - 20) - 20 = 530.
    mRenderer.SetScissor(RectI(10, 20, 110, 70));
    mRenderer.ClearScissor();
    const auto cmds = SplitCommands(Buffer());
    ASSERT_EQ(cmds.size(), 2u);
    ASSERT_EQ(cmds[0].mOpcode, kOpScissor);
    const ScissorPayload p = cmds[0].As<ScissorPayload>();
    EXPECT_EQ(p.mX, 10);
    EXPECT_EQ(p.mY, 530);
    EXPECT_EQ(p.mWidth, 100);
    EXPECT_EQ(p.mHeight, 50);
    EXPECT_EQ(cmds[1].mPayload, std::vector<uint8_t>(16, 0));
}

TEST_F(RecordFixture, VisibleSectionsFormRunsOfOneDrawEach)
{
    struct Case {
        const char* name;
        std::vector<float> xs;
        std::vector<uint8_t> same;
        std::vector<std::pair<int32_t, int32_t>> draws;  // first index, index count
    };
    const std::vector<Case> cases = {
        {"middle off screen", {0, 900, 20}, {1, 1, 1}, {{0, 6}, {12, 6}}},
        {"all visible and alike", {0, 20, 40}, {1, 1, 1}, {{0, 18}}},
        {"lights differ in the middle", {0, 20, 40}, {1, 0, 1}, {{0, 6}, {6, 12}}},
        {"none visible", {900, 920, 940}, {1, 1, 1}, {}},
    };
    for (const Case& c : cases) {
        Shape s;
        MakeSections(s, c.xs, c.same);
        Buffer().Clear();
        mRenderer.DrawShape(s, false, 255, false);
        const auto draws = Draws();
        ASSERT_EQ(draws.size(), c.draws.size()) << c.name;
        for (size_t i = 0; i < draws.size(); ++i) {
            EXPECT_EQ(draws[i].mFirstIndex, c.draws[i].first) << c.name;
            EXPECT_EQ(draws[i].mIndexCount, c.draws[i].second) << c.name;
            EXPECT_EQ(draws[i].mMesh, uint32_t(s.mMeshIndex)) << c.name;
        }
    }
}

TEST_F(RecordFixture, ViewTouchingTheBoundsStillDraws)
{
    Shape s;
    MakeSections(s, {800}, {1});  // bounds (800, 0)-(810, 10), the view ends at x = 800
    mRenderer.DrawShape(s, false, 255, false);
    EXPECT_EQ(Draws().size(), 1u);
}

TEST_F(RecordFixture, ShapeDrawRecordsMeshStateWashAndLightingOff)
{
    Shape s;
    MakeSections(s, {0}, {1});
    mRenderer.DrawShape(s, true, 100, true);
    const auto cmds = SplitCommands(Buffer());
    // The first state after the frame's reset records its blend and environment.
    ASSERT_EQ(Opcodes(Buffer()), (std::vector<uint8_t>{kOpVertexArrays, kOpBlend, kOpAlphaTest, kOpTexEnv,
                                                       kOpColorWash, kOpDrawIndexed}));
    EXPECT_EQ(cmds[4].mPayload, (std::vector<uint8_t>{255, 255, 255, 100}));
    EXPECT_EQ(cmds[5].As<DrawIndexedPayload>().mWireframe, 1);
    // The points were handed over once; the next draw copies only the draw state.
    EXPECT_FALSE(s.mPointsChanged);
    EXPECT_FALSE(s.mTrianglesChanged);
}

TEST_F(RecordFixture, TriangleShapeWithMismatchedListsIsNotDrawn)
{
    Shape s;
    MakeSections(s, {0}, {1});
    s.mColors.Resize(3);  // four points, three colours
    s.MarkChanged();
    EXPECT_FALSE(mRenderer.DrawShape(s, false, 255, false));
    EXPECT_EQ(Draws().size(), 0u);
}

TEST_F(RecordFixture, NineLightsTakeEightSlotsAndBoundLightsKeepTheirs)
{
    LightSource lights[9];
    const LightSource* list[9];
    for (int i = 0; i < 9; ++i) {
        lights[i].mPosition = {float(10 * i), 5.0f};
        lights[i].mHeight = -2.0f;
        lights[i].mDiffuse = {0.5f, 0.25f, 1.0f, 0.0f};
        list[i] = &lights[i];
    }
    ASSERT_TRUE(mRenderer.SetLights(list, 9));
    EXPECT_EQ(CountOpcode(Buffer(), kOpLightEnable), 8);
    EXPECT_EQ(CountOpcode(Buffer(), kOpLightSetup), 8);
    for (int slot = 0; slot < 8; ++slot) EXPECT_EQ(mRenderer.GetLightSlot(slot).mLight, &lights[slot]);
    for (const RecordedCommand& c : SplitCommands(Buffer()))
        if (c.mOpcode == kOpLightSetup && c.As<LightSetupPayload>().mSlot == 3) {
            const LightSetupPayload p = c.As<LightSetupPayload>();
            EXPECT_EQ(p.mPosition[0], 30.0f);
            EXPECT_FLOAT_EQ(p.mPosition[2], -8.8f);
            EXPECT_EQ(p.mPosition[3], 1.0f);
            EXPECT_EQ(p.mDiffuse[1], 0.25f);
        }

    // Two of them again: no new setup, the other six slots are switched off.
    Buffer().Clear();
    const LightSource* two[2] = {&lights[4], &lights[1]};
    ASSERT_TRUE(mRenderer.SetLights(two, 2));
    EXPECT_EQ(CountOpcode(Buffer(), kOpLightSetup), 0);
    EXPECT_EQ(CountOpcode(Buffer(), kOpLightEnable), 6);

    Buffer().Clear();
    ASSERT_TRUE(mRenderer.SetLights(nullptr, 0));
    EXPECT_EQ(CountOpcode(Buffer(), kOpLightEnable), 2);
    EXPECT_FALSE(mRenderer.SetLights(nullptr, -1));
}

TEST(GhostCopies, CountGrowsWithSpeedAndIsCapped)
{
    struct Case {
        float turn, motion;
        int32_t copies;
    };
    for (Case c : {Case{0, 0, 0}, Case{10.4f, 0, 0}, Case{15.4f, 0, 5}, Case{-15.6f, 0, 6}, Case{0, 2000, 10},
                   Case{1e9f, 0, kMaxGhostCopies}, Case{0, 1e30f, kMaxGhostCopies}, Case{NAN, 0, 0}})
        EXPECT_EQ(ComputeGhostCopyCount(c.turn, c.motion), c.copies) << c.turn << " " << c.motion;
}

TEST_F(RecordFixture, GhostCopiesAreFramedByRotatedDrawsAndFade)
{
    Shape s;
    MakeSections(s, {0}, {1});
    mRenderer.DrawGhostCopies(s, {5, 5}, 0.2f, {30, 0}, 2);
    std::vector<RecordedCommand> rotated;
    std::vector<std::vector<uint8_t>> washes;
    for (const RecordedCommand& c : SplitCommands(Buffer())) {
        if (c.mOpcode == kOpRotatedDraw) rotated.push_back(c);
        if (c.mOpcode == kOpColorWash) washes.push_back(c.mPayload);
    }
    ASSERT_EQ(rotated.size(), 4u);
    EXPECT_EQ(rotated[0].As<RotatedDrawPayload>().mPivotX, 5.0f);
    EXPECT_EQ(rotated[1].mPayload, std::vector<uint8_t>(20, 0));
    EXPECT_EQ(washes, (std::vector<std::vector<uint8_t>>{{255, 255, 255, 100}, {255, 255, 255, 50}}));
}

TEST_F(RecordFixture, ParticleDrawsBeyondSixteenBitIndicesAreSplit)
{
    int32_t meshIndex = -1;
    RenderMesh* mesh = mRenderer.GetPooledMesh(meshIndex);
    ASSERT_NE(mesh, nullptr);
    const int32_t particles = 20000;
    ASSERT_TRUE(mesh->mVertices.Resize(particles * kQuadParticleVertices));
    ASSERT_TRUE(mRenderer.DrawParticleMesh(meshIndex, kQuadParticleVertices, particles, nullptr));
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].mBaseVertex, 0);
    EXPECT_EQ(draws[0].mIndexCount, 16384 * 6);
    EXPECT_EQ(draws[1].mBaseVertex, 65536);
    EXPECT_EQ(draws[1].mIndexCount, (particles - 16384) * 6);
    // One batch of indices serves every batch, and none of them wraps.
    ASSERT_EQ(mesh->mIndices.Count(), 16384 * 2);
    EXPECT_EQ(mesh->mIndices.Last().mC, 65534);
    EXPECT_EQ(mesh->mParticleCapacity, particles);

    // Fans: five triangles per particle around vertex v.
    RenderMesh fan;
    ASSERT_TRUE(fan.BuildFanIndices(2));
    ASSERT_EQ(fan.mIndices.Count(), 10);
    EXPECT_EQ(fan.mIndices[9].mA, 6);
    EXPECT_EQ(fan.mIndices[9].mB, 11);
    EXPECT_EQ(fan.mIndices[9].mC, 7);
}

TEST_F(RecordFixture, DestroyedShapesHandTheirMeshesBack)
{
    int32_t first = -1;
    {
        Shape s;
        MakeSections(s, {0}, {1});
        mRenderer.DrawShape(s, false, 255, false);
        first = s.mMeshIndex;
        ASSERT_GE(first, 0);
    }
    Shape next;
    MakeSections(next, {0}, {1});
    mRenderer.DrawShape(next, false, 255, false);
    EXPECT_EQ(next.mMeshIndex, first);
    EXPECT_EQ(mRenderer.GetPools().mMeshes.Count(), 1);

    // A copy draws through a mesh of its own.
    Shape copy(next);
    mRenderer.DrawShape(copy, false, 255, false);
    EXPECT_NE(copy.mMeshIndex, next.mMeshIndex);
}

class UploadFixture : public PictureFolderTest {
protected:
    void SetUp() override
    {
        PictureFolderTest::SetUp();
        mRenderer.SetWindowSize(800, 600);
        mRenderer.ResetDrawBuffer();
        mRenderer.SetView(RectF(0, 0, 800, 600), 0.0f);
        mRenderer.GetDrawBuffer().Clear();
    }
    Renderer mRenderer;
};

TEST_F(UploadFixture, FileTextureUploadsOnFirstUseAndAfterAStamp)
{
    TestPicture picture(4, 4);
    picture.FillRect(0, 0, 4, 4, 200, 10, 10, 255);
    Write("red.png", picture);
    std::string root = mFolder.Path();
    root.pop_back();
    TextureLib lib(root);
    Texture* t = lib.GetTexture("red.png");
    ASSERT_NE(t, nullptr);
    RenderCommandBuffer& b = mRenderer.GetDrawBuffer();

    EXPECT_TRUE(mRenderer.UploadTextureIfPending(t));
    ASSERT_EQ(Opcodes(b), (std::vector<uint8_t>{kOpUploadTexture}));
    const TextureUpload* record = mRenderer.FindUpload(t);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(SplitCommands(b)[0].As<uint32_t>(), uint32_t(record->mPoolIndex));
    EXPECT_EQ(record->mWidth, 4);
    EXPECT_EQ(record->mBytesPerPixel, 4);
    EXPECT_EQ(record->mUploadPending, 1);

    b.Clear();
    EXPECT_TRUE(mRenderer.UploadTextureIfPending(t));
    EXPECT_EQ(b.GetCommandCount(), 0);
    t->mStamped = true;
    EXPECT_TRUE(mRenderer.UploadTextureIfPending(t));
    EXPECT_EQ(b.GetCommandCount(), 1);
    EXPECT_FALSE(t->mStamped);

    // A textured quad binds the record with the texture's mapping.
    b.Clear();
    Shape quad;
    ASSERT_TRUE(quad.InitTexturedQuad(t, ColorRGBA(255, 255, 255, 255), RectF(0, 0, 10, 10)));
    mRenderer.DrawShape(quad, false, 255, false);
    bool bound = false;
    for (const RecordedCommand& c : SplitCommands(b))
        if (c.mOpcode == kOpBindTexture) {
            bound = true;
            EXPECT_EQ(c.As<BindTexturePayload>().mUpload, uint32_t(record->mPoolIndex));
            EXPECT_EQ(c.As<BindTexturePayload>().mMapping, t->mMapping);
        }
    EXPECT_TRUE(bound);

    // After the context goes, the old handle names an emptied record: the texture uploads afresh.
    mRenderer.Shutdown();
    EXPECT_EQ(mRenderer.FindUpload(t), nullptr);
    b.Clear();
    EXPECT_TRUE(mRenderer.UploadTextureIfPending(t));
    EXPECT_EQ(b.GetCommandCount(), 1);
    EXPECT_EQ(mRenderer.GetPools().mTextures.Count(), 1);  // the emptied record serves again
}

TEST_F(UploadFixture, GeneratedTextureUploadsOnlyNewPixels)
{
    Texture t;
    ASSERT_TRUE(t.InitBlank(VectorI(4, 4)));
    RenderCommandBuffer& b = mRenderer.GetDrawBuffer();
    EXPECT_FALSE(mRenderer.UploadTextureIfPending(&t));
    EXPECT_EQ(b.GetCommandCount(), 0);
    t.mOwnPixelsChanged = true;
    EXPECT_TRUE(mRenderer.UploadTextureIfPending(&t));
    EXPECT_EQ(Opcodes(b), (std::vector<uint8_t>{kOpUploadTexture}));
    EXPECT_FALSE(t.mOwnPixelsChanged);
    EXPECT_FALSE(mRenderer.UploadTextureIfPending(&t));
    EXPECT_EQ(b.GetCommandCount(), 1);
    EXPECT_FALSE(mRenderer.UploadTextureIfPending(nullptr));

    mRenderer.ReleaseTexture(t);
    EXPECT_EQ(mRenderer.FindUpload(&t), nullptr);
}
