// The command stream executed against a real GL context (Mesa under a virtual X server), checked by
// reading GL state and pixels back.
#include "GLFixture.h"
#include "render/LightSource.h"
#include "support/CommandStream.h"

using namespace KIV;

TEST_F(GLTest, TexturedQuadShowsItsTexels)
{
    Texture checker;
    ASSERT_TRUE(checker.InitBlank(VectorI(2, 2)));
    const uint32_t red = ColorRGBA(255, 0, 0, 255).Pack(), green = ColorRGBA(0, 255, 0, 255).Pack();
    const uint32_t blue = ColorRGBA(0, 0, 255, 255).Pack(), white = ColorRGBA(255, 255, 255, 255).Pack();
    checker.mOwnPixels[0] = red;
    checker.mOwnPixels[1] = green;
    checker.mOwnPixels[2] = blue;
    checker.mOwnPixels[3] = white;
    checker.mOwnPixelsChanged = true;
    Shape s;
    Quad(s, RectF(0, 0, kWidth, kHeight), ColorRGBA(255, 255, 255, 255), &checker);
    ASSERT_TRUE(Render([&](Renderer& r) { DrawQuad(r, s); }));
    // The first texel row lies at the top: world y grows down the screen.
    EXPECT_THAT(Pixel(40, 40), NearRGB(255, 0, 0, 2));
    EXPECT_THAT(Pixel(280, 40), NearRGB(0, 255, 0, 2));
    EXPECT_THAT(Pixel(40, 200), NearRGB(0, 0, 255, 2));
    EXPECT_THAT(Pixel(280, 200), NearRGB(255, 255, 255, 2));
    R().ReleaseTexture(checker);
}

TEST_F(GLTest, AlphaBlendMixesWithWhatIsBelow)
{
    Shape below, above, added;
    Quad(below, RectF(0, 0, kWidth, kHeight), ColorRGBA(255, 255, 255, 255));
    Quad(above, RectF(0, 0, 160, kHeight), ColorRGBA(255, 0, 0, 128));
    Quad(added, RectF(160, 0, kWidth, kHeight), ColorRGBA(0, 0, 0, 255));
    ASSERT_TRUE(Render([&](Renderer& r) {
        DrawQuad(r, below);
        DrawQuad(r, above);
        DrawQuad(r, added);
    }));
    EXPECT_THAT(Pixel(80, 120), NearRGB(255, 127, 127, 2));
    EXPECT_THAT(Pixel(240, 120), NearRGB(0, 0, 0, 1));

    // Additive blending (mode 1) adds the source scaled by its alpha.
    Shape dark, glow;
    Quad(dark, RectF(0, 0, kWidth, kHeight), ColorRGBA(100, 0, 0, 255));
    Quad(glow, RectF(0, 0, kWidth, kHeight), ColorRGBA(0, 200, 0, 255));
    glow.mDrawState.mBlender = 1;
    ASSERT_TRUE(Render([&](Renderer& r) {
        DrawQuad(r, dark);
        DrawQuad(r, glow);
    }));
    EXPECT_THAT(Pixel(160, 120), NearRGB(100, 200, 0, 2));
}

TEST_F(GLTest, ScissorKeepsDrawingInsideItsRectangle)
{
    Shape s;
    Quad(s, RectF(0, 0, kWidth, kHeight), ColorRGBA(0, 255, 0, 255));
    ASSERT_TRUE(Render([&](Renderer& r) {
        r.SetScissor(RectI(10, 20, 110, 70));
        DrawQuad(r, s);
        r.ClearScissor();
    }));
    EXPECT_THAT(Pixel(50, 50), NearRGB(0, 255, 0, 1));
    EXPECT_THAT(Pixel(50, 10), NearRGB(0, 0, 0, 1));    // above it
    EXPECT_THAT(Pixel(50, 75), NearRGB(0, 0, 0, 1));    // below it
    EXPECT_THAT(Pixel(115, 50), NearRGB(0, 0, 0, 1));   // right of it
    EXPECT_EQ(glIsEnabled(GL_SCISSOR_TEST), GL_FALSE);  // zeros switch it off
}

TEST_F(GLTest, FogTintsByTheDistanceInTheAlpha)
{
    Shape full, half;
    Quad(full, RectF(0, 0, 160, kHeight), ColorRGBA(255, 255, 255, 255));
    Quad(half, RectF(160, 0, kWidth, kHeight), ColorRGBA(255, 255, 255, 255));
    full.mDrawState.mFogColor = ColorRGBA(0, 0, 255, 255);
    half.mDrawState.mFogColor = ColorRGBA(0, 0, 255, 128);
    ASSERT_TRUE(Render([&](Renderer& r) {
        DrawQuad(r, full);
        DrawQuad(r, half);
    }));
    // The picture plane lies half a view height from the eye: a distance of 255 is all fog.
    EXPECT_THAT(Pixel(80, 120), NearRGB(0, 0, 255, 3));
    EXPECT_THAT(Pixel(240, 120), NearRGB(127, 127, 255, 4));

    // Fog from half height minus the alpha to 255 further.
    RenderCommandBuffer b;
    b.SetCamera(RectF(0, 0, 800, 600), 0.0f);
    b.RecordColor(kOpFog, ColorRGBA(10, 20, 30, 40));
    ASSERT_TRUE(b.Execute(R().GetPools()));
    GLfloat start = 0, end = 0;
    glGetFloatv(GL_FOG_START, &start);
    glGetFloatv(GL_FOG_END, &end);
    EXPECT_EQ(start, 260.0f);
    EXPECT_EQ(end, 515.0f);
    EXPECT_EQ(glIsEnabled(GL_FOG), GL_TRUE);
}

TEST_F(GLTest, TextureColourOperationAddsColour)
{
    Texture grey;
    ASSERT_TRUE(grey.InitBlank(VectorI(1, 1)));
    grey.mOwnPixels[0] = ColorRGBA(100, 100, 100, 255).Pack();
    grey.mOwnPixelsChanged = true;
    Shape modulate, add;
    Quad(modulate, RectF(0, 0, 160, kHeight), ColorRGBA(255, 128, 0, 255), &grey);
    Quad(add, RectF(160, 0, kWidth, kHeight), ColorRGBA(100, 50, 0, 255), &grey);
    add.mDrawState.mTexColorOp = 1;
    ASSERT_TRUE(Render([&](Renderer& r) {
        DrawQuad(r, modulate);
        DrawQuad(r, add);
    }));
    EXPECT_THAT(Pixel(80, 120), NearRGB(100, 50, 0, 2));
    EXPECT_THAT(Pixel(240, 120), NearRGB(200, 150, 100, 2));
    R().ReleaseTexture(grey);
}

TEST_F(GLTest, AlphaTestReferenceAndResetState)
{
    struct Case {
        int32_t reference;
        bool enabled;
    };
    for (Case c : {Case{0, true}, Case{200, true}, Case{-1, false}}) {
        RenderCommandBuffer b;
        b.RecordI32(kOpAlphaTest, c.reference);
        ASSERT_TRUE(b.Execute(R().GetPools()));
        EXPECT_EQ(glIsEnabled(GL_ALPHA_TEST) == GL_TRUE, c.enabled) << c.reference;
        if (!c.enabled) continue;
        GLint func = 0;
        GLfloat ref = -1;
        glGetIntegerv(GL_ALPHA_TEST_FUNC, &func);
        glGetFloatv(GL_ALPHA_TEST_REF, &ref);
        EXPECT_EQ(func, GL_GREATER);
        EXPECT_EQ(ref, 0.0f);
    }
    RenderCommandBuffer reset;
    reset.ResetState();
    ASSERT_TRUE(reset.Execute(R().GetPools()));
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_TRUE);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_TRUE);
    EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_FALSE);
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, 771);
    EXPECT_EQ(dst, 770);
}

TEST_F(GLTest, UnknownOpcodeStopsAfterTheCommandsBeforeIt)
{
    RenderCommandBuffer b;
    b.RecordI32(kOpAlphaTest, -1);
    b.SetScissor(1, 2, 3, 4);
    b.Append(20, 0);
    b.RecordI32(kOpAlphaTest, 0);  // never reached
    EXPECT_FALSE(b.Execute(R().GetPools()));
    EXPECT_EQ(glIsEnabled(GL_ALPHA_TEST), GL_FALSE);
    GLint box[4] = {};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[1], 2);
    EXPECT_EQ(box[3], 4);
    glDisable(GL_SCISSOR_TEST);
}

TEST_F(GLTest, DrawFromIndexSevenStartsAtTheThirdTriangle)
{
    // Three triangles side by side; indices 6.. belong to the third, on the right.
    Array<VectorF> points;
    for (float x : {0.0f, 110.0f, 220.0f})
        for (VectorF p : {VectorF{x, 0}, VectorF{x + 100, 0}, VectorF{x, kHeight}}) points.PushBack(p);
    Shape s;
    ASSERT_TRUE(s.InitPoints(3, points, ColorRGBA(255, 255, 0, 255)));
    for (uint16_t t = 0; t < 3; ++t) s.mTriangles.PushBack({uint16_t(3 * t), uint16_t(3 * t + 1), uint16_t(3 * t + 2)});
    ASSERT_TRUE(Render([&](Renderer& r) {
        RenderMesh* mesh = r.GetPooledMesh(s.mMeshIndex);
        ASSERT_TRUE(mesh->UpdateFromShape(s));
        r.GetDrawBuffer().SetMesh(uint32_t(s.mMeshIndex), mesh->mDrawState);
        glBindTexture(GL_TEXTURE_2D, 0);
        r.GetDrawBuffer().DrawIndexed(3, 0, 7, 1, false, uint32_t(s.mMeshIndex));
    }));
    EXPECT_THAT(Pixel(10, 20), NearRGB(0, 0, 0, 1));
    EXPECT_THAT(Pixel(230, 20), NearRGB(255, 255, 0, 2));
}

TEST_F(GLTest, ReuploadOfTheSameSizeKeepsTheGLName)
{
    Shape s;
    Quad(s, RectF(0, 0, 10, 10), ColorRGBA(255, 255, 255, 255));
    ASSERT_TRUE(Render([&](Renderer& r) { DrawQuad(r, s); }));
    const TextureUpload* record = R().FindUpload(&mWhite);
    ASSERT_NE(record, nullptr);
    const uint32_t name = record->mGLName;
    ASSERT_NE(name, 0u);
    mWhite.mOwnPixelsChanged = true;
    ASSERT_TRUE(Render([&](Renderer& r) { DrawQuad(r, s); }));
    EXPECT_EQ(record->mGLName, name);

    // A new size takes a new texture in place of the old one.
    ASSERT_TRUE(mWhite.InitBlank(VectorI(8, 8)));
    mWhite.mOwnPixelsChanged = true;
    ASSERT_TRUE(Render([&](Renderer& r) { DrawQuad(r, s); }));
    EXPECT_EQ(record->mUploadedWidth, 8);
    EXPECT_EQ(glIsTexture(record->mGLName), GL_TRUE);
}

TEST_F(GLTest, RecreatingTheContextDeletesTexturesAndUploadsAgain)
{
    Shape s;
    Quad(s, RectF(0, 0, kWidth, kHeight), ColorRGBA(255, 255, 255, 255));
    ASSERT_TRUE(Render([&](Renderer& r) { DrawQuad(r, s); }));
    const TextureUpload* record = R().FindUpload(&mWhite);
    ASSERT_NE(record, nullptr);
    const GLuint before = record->mGLName;
    ASSERT_EQ(glIsTexture(before), GL_TRUE);

    ASSERT_TRUE(R().RecreateContext(kWidth + 40, kHeight));
    // The window system kept the context: without the deletion every resize would leak this texture.
    EXPECT_EQ(glIsTexture(before), GL_FALSE);
    EXPECT_EQ(R().FindUpload(&mWhite), nullptr);

    mWhite.mOwnPixelsChanged = true;  // the page views write their pixels again after a re-creation
    Shape wide;
    Quad(wide, RectF(0, 0, kWidth + 40, kHeight), ColorRGBA(255, 255, 255, 255));
    ASSERT_TRUE(Render([&](Renderer& r) { DrawQuad(r, wide); }));
    ASSERT_NE(R().FindUpload(&mWhite), nullptr);
    // The window grows when the X server has taken the new size, which a swap waits for.
    R().SwapBuffers();
    ASSERT_TRUE(Render([&](Renderer& r) { DrawQuad(r, wide); }));
    EXPECT_THAT(Pixel(kWidth + 30, 100), NearRGB(255, 255, 255, 1));  // the viewport follows the new size
    ASSERT_TRUE(R().RecreateContext(kWidth, kHeight));
}

TEST_F(GLTest, LightsReachTheLitShape)
{
    // Lighting is worked out per vertex: the page grid has a point every 64 pixels.
    Shape lit;
    ASSERT_TRUE(lit.SetTexture(&mWhite, VectorI(kWidth, kHeight)));
    LightSource light;
    light.mPosition = {128, 80};  // right above a grid point
    light.mHeight = 40.0f;
    light.mDiffuse = {1.0f, 0.0f, 0.0f, 1.0f};
    ASSERT_GE(lit.mDrawGroups.Count(), 1);
    for (DrawGroup& g : lit.mDrawGroups) {
        g.mLights[0] = &light;
        g.mLightCount = 1;
    }
    lit.mDrawState.mLighted = 1;
    ASSERT_TRUE(Render([&](Renderer& r) { DrawQuad(r, lit); }));
    EXPECT_EQ(CountOpcode(R().GetDrawBuffer(), kOpLightSetup), 1);
    const auto under = Pixel(128, 80);
    const auto far = Pixel(300, 220);
    // A red light: red where it shines, the ambient grey elsewhere.
    EXPECT_GT(under[0], under[1] + 100);
    EXPECT_EQ(under[1], under[2]);
    EXPECT_THAT(far, NearRGB(51, 51, 51, 2));
}
