#include <gtest/gtest.h>
#include "render/RenderCommandBuffer.h"
#include "support/CommandStream.h"

using namespace KIV;

namespace {

std::vector<uint8_t> Bytes(const RenderCommandBuffer& b)
{
    return std::vector<uint8_t>(b.GetBytes().Data(), b.GetBytes().Data() + b.GetBytes().Count());
}

} // namespace

TEST(RenderCommandBuffer, ResetStateRecordsOneResetCommand)
{
    RenderCommandBuffer b;
    b.ResetState();
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{0, 1}));
    EXPECT_EQ(b.GetCommandCount(), 1);
    b.Clear();
    EXPECT_EQ(b.GetCommandCount(), 0);
    EXPECT_EQ(b.GetBytes().Count(), 0);
    EXPECT_GE(b.GetBytes().Capacity(), 512); // storage is kept from frame to frame
}

TEST(RenderCommandBuffer, DrawStateCachesSuppressUnchangedState)
{
    RenderCommandBuffer b;
    b.ResetState();
    DrawState s;  // blend 0, modulate, no fog, lighting on
    b.ApplyDrawState(s);
    // After a reset the blend and environment always record; the alpha test records every time.
    EXPECT_EQ(Opcodes(b), (std::vector<uint8_t>{kOpResetState, kOpBlend, kOpAlphaTest, kOpTexEnv, kOpLighting}));
    const auto first = SplitCommands(b);
    EXPECT_EQ(first[1].As<BlendPayload>().mSource, 770u);
    EXPECT_EQ(first[1].As<BlendPayload>().mDestination, 771u);
    EXPECT_EQ(first[3].As<uint32_t>(), 0x2100u);
    EXPECT_EQ(first[4].mPayload, (std::vector<uint8_t>{1}));

    b.Clear();
    b.ApplyDrawState(s);
    EXPECT_EQ(Opcodes(b), (std::vector<uint8_t>{kOpAlphaTest}));

    // A fog colour change without fog on either side stays out of the stream; real fog records.
    b.Clear();
    s.mFogColor = ColorRGBA(10, 20, 30, 0);
    b.ApplyDrawState(s);
    EXPECT_EQ(CountOpcode(b, kOpFog), 0);
    s.mFogColor = ColorRGBA(10, 20, 30, 40);
    b.ApplyDrawState(s);
    b.ApplyDrawState(s);
    ASSERT_EQ(CountOpcode(b, kOpFog), 1);
    s.mFogColor = ColorRGBA(10, 20, 30, 0);  // switching fog off records too
    b.ApplyDrawState(s);
    EXPECT_EQ(CountOpcode(b, kOpFog), 2);

    b.Clear();
    s.mBlender = 1;
    s.mTexColorOp = 1;
    s.mLighted = 0;
    s.mAlphaExtrude = -1;
    b.ApplyDrawState(s);
    const auto changed = SplitCommands(b);
    ASSERT_EQ(Opcodes(b), (std::vector<uint8_t>{kOpBlend, kOpAlphaTest, kOpTexEnv, kOpLighting}));
    EXPECT_EQ(changed[0].As<BlendPayload>().mDestination, 1u);
    EXPECT_EQ(changed[1].As<int32_t>(), -1);
    EXPECT_EQ(changed[2].As<uint32_t>(), 0x0104u);
    EXPECT_EQ(changed[3].mPayload, (std::vector<uint8_t>{0}));
}

TEST(RenderCommandBuffer, BlendTableMatchesTheModes)
{
    struct Case {
        int32_t mode;
        uint32_t src, dst;
    };
    for (Case c : {Case{0, 770, 771}, Case{2, 1, 1}, Case{9, 774, 1}, Case{14, 775, 0}, Case{18, 770, 0},
                   Case{-1, 770, 771}, Case{19, 770, 771}}) {
        BlendPayload p = RenderCommandBuffer::GetBlendFactors(c.mode);
        EXPECT_EQ(p.mSource, c.src) << c.mode;
        EXPECT_EQ(p.mDestination, c.dst) << c.mode;
    }
}

TEST(RenderCommandBuffer, CameraRecordsOnlyWhenItChanges)
{
    RenderCommandBuffer b;
    b.ResetState();
    const RectF view(0, 0, 800, 600);
    b.SetCamera(view, 0.0f);
    b.SetCamera(view, 0.0f);
    b.SetCamera(view, 0.5f);
    b.SetCamera(RectF(10, 0, 800, 600), 0.5f);
    const auto cmds = SplitCommands(b);
    ASSERT_EQ(Opcodes(b), (std::vector<uint8_t>{kOpResetState, kOpCamera, kOpCamera, kOpCamera}));
    const CameraPayload c = cmds[1].As<CameraPayload>();
    EXPECT_EQ(c.mRight, 800.0f);
    EXPECT_EQ(c.mBottom, 600.0f);
    EXPECT_EQ(cmds[2].As<CameraPayload>().mAngle, 0.5f);

    // An all-zero camera counts as none recorded: it records every time.
    b.Clear();
    b.ResetState();
    b.SetCamera(RectF(), 0.0f);
    b.SetCamera(RectF(), 0.0f);
    EXPECT_EQ(CountOpcode(b, kOpCamera), 2);
}

TEST(RenderCommandBuffer, CommandSizesStayFixedWithPoolIndices)
{
    RenderCommandBuffer b;
    b.BindTexture(7, 2);
    b.BindTexture(kNoPoolIndex, 2);  // no record: nothing
    b.SetMesh(3, DrawState{});
    b.DrawIndexed(3, 0, 7, 4, true, 3);
    const auto cmds = SplitCommands(b);
    ASSERT_GE(cmds.size(), 3u);
    EXPECT_EQ(cmds[0].mOpcode, kOpBindTexture);
    EXPECT_EQ(cmds[0].mPayload, (std::vector<uint8_t>{7, 0, 0, 0, 2, 0, 0, 0}));
    EXPECT_EQ(cmds[1].mOpcode, kOpVertexArrays);
    EXPECT_EQ(cmds[1].mPayload, (std::vector<uint8_t>{3, 0, 0, 0}));
    const RecordedCommand& draw = cmds.back();
    ASSERT_EQ(draw.mOpcode, kOpDrawIndexed);
    ASSERT_EQ(draw.mPayload.size(), 24u);
    const DrawIndexedPayload p = draw.As<DrawIndexedPayload>();
    EXPECT_EQ(p.mKind, 3);
    EXPECT_EQ(p.mFirstIndex, 7);
    EXPECT_EQ(p.mIndexCount, 12);
    EXPECT_EQ(p.mWireframe, 1);
    EXPECT_EQ(p.mMesh, 3u);
    // 1 + 8, 1 + 4, the draw state (blend, alpha, env, lighting: 9 + 5 + 5 + 2), 1 + 24
    EXPECT_EQ(b.GetBytes().Count(), 9 + 5 + 21 + 25);
}

TEST(RenderCommandBuffer, AppendGrowsThePayloadInPlace)
{
    RenderCommandBuffer b;
    for (int i = 0; i < 200; ++i) b.SetScissor(i, 2 * i, 3, 4);
    ASSERT_EQ(b.GetCommandCount(), 200);
    ASSERT_EQ(b.GetBytes().Count(), 200 * 17);
    const auto cmds = SplitCommands(b);
    EXPECT_EQ(cmds[199].As<ScissorPayload>().mY, 398);
}

TEST(RenderCommandBuffer, EmptyBufferExecutesAsTrue)
{
    RenderCommandBuffer b;
    RenderPools pools;
    EXPECT_TRUE(b.Execute(pools));
}
