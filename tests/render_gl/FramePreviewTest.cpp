// Whole frames through Renderer::RenderFrame: the loading screen, a frame capture, a thumbnail, and
// a preview picture (toys, ghost copies, an outline, a window frame, text and the statistics page)
// written as PNG for a person to look at.
#include <cmath>
#include <filesystem>
#include "LibraryFixture.h"
#include "base/Statistics.h"
#include "render/BitmapFont.h"
#include "render/ImageFile.h"
#include "render/TextureLib.h"
#include "physics/toys/Toy.h"
#include "physics/toys/ToyRenderGeometry.h"
#include "render/WindowFrame.h"
#include "support/FontPicture.h"
#include "support/PictureFolder.h"

using namespace KIV;

#ifndef KIV_PREVIEW_DIR
#define KIV_PREVIEW_DIR "."
#endif

namespace {

// A textures folder with the font, the window frame and a toy picture, and a library on it.
class FrameTest : public LibraryGLTest {
protected:
    void SetUp() override
    {
        LibraryGLTest::SetUp();
        if (IsSkipped()) return;
        Write(kFontPictureName, MakeFontPicture());
        Write(kWindowFramePictureName, MakeWindowFramePicture());
        Write("Toys\\ball.png", MakeBall());
        OpenLibrary();
    }
    static TestPicture MakeBall()
    {
        TestPicture p(64, 64);
        for (int32_t y = 0; y < 64; ++y)
            for (int32_t x = 0; x < 64; ++x) {
                const float dx = float(x) - 31.5f, dy = float(y) - 31.5f;
                if (dx * dx + dy * dy > 31.0f * 31.0f) continue;
                const bool stripe = ((x + y) / 8) % 2 == 0;
                p.Set(x, y, stripe ? 240 : 60, stripe ? 150 : 90, stripe ? 40 : 200, 255);
            }
        return p;
    }

};

// The preview scene: a world layer with toys, then screen-space text and a window.
class PreviewScene : public FramePass {
public:
    explicit PreviewScene(TextureLib& lib) : mLib(lib) {}

    void DrawScene(Renderer& r, bool screenOverlays) override
    {
        const float w = float(r.GetWindowWidth()), h = float(r.GetWindowHeight());
        Texture* white = mBackground.mPoints.Count() == 0 ? mLib.CreateTexture(VectorI(4, 4)) : nullptr;
        if (white) {
            white->mOwnPixels.Fill(0xFFFFFFFFu);
            white->mOwnPixelsChanged = true;
            mBackground.InitTexturedQuad(white, ColorRGBA(255, 255, 255, 255), RectF(0, 0, w, h));
            const ColorRGBA corners[4] = {{30, 40, 70, 255}, {30, 40, 70, 255}, {90, 70, 60, 255}, {90, 70, 60, 255}};
            for (int i = 0; i < 4; ++i) mBackground.mColors[i] = corners[i].Pack();
        }
        r.SetView(RectF(0, 0, w, h), 0.0f);
        r.UploadTextureIfPending(mBackground.mTexture);
        r.DrawShape(mBackground, false, 255, true);

        // The world: a camera on (1000, 500), turned a little, and three toys built from their picture.
        r.SetView(RectF(1000 - w * 0.5f, 500 - h * 0.5f, 1000 + w * 0.5f, 500 + h * 0.5f), 0.05f);
        const VectorF places[3] = {{820, 520}, {1000, 430}, {1180, 560}};
        DrawOptions options;
        options.mTestVisible = 0;  // no view rectangle here: every toy is drawn
        options.mToyDiagonals = 1;
        options.mToyPoints = 1;
        for (int i = 0; i < 3; ++i) {
            Toy& toy = mToys[i];
            if (!toy.mMainTexture && !toy.BuildFromTexture("Toys\\ball.png", 1.0f, false, {1.5f, 1.5f}, 0.0f,
                                                           places[i], false, 0.4f * float(i)))
                continue;
            BuildToyRenderGeometry(toy, options);
            r.UploadTextureIfPending(toy.mMainTexture);
            r.DrawShape(toy.mShapes[kToyShapeTextured], false, 255, true);
        }
        // A fast toy trails ghost copies along its last step.
        r.DrawGhostCopies(mToys[2].mShapes[kToyShapeTextured], places[2], 0.6f, {160, -40},
                          ComputeGhostCopyCount(0.0f, 1500.0f));
        // The middle toy's mesh edges and outline points.
        r.DrawShapeWireframe(mToys[1].mShapes[kToyShapeDiagonals]);
        r.DrawShapeWireframe(mToys[1].mShapes[kToyShapePoints]);

        if (!screenOverlays) return;
        r.SetView(RectF(0, 0, w, h), 0.0f);
        DrawTextWhite(mTitle, "KIV RENDER PREVIEW", 16.0f, ColorRGBA(255, 230, 120, 255), {20, 16});
        r.UploadTextureIfPending(mTitle.mTexture);
        r.DrawShape(mTitle, false, 255, true);

        // The statistics page: every named item, two columns.
        DrawTextWhite(mStats, "", 8.0f, ColorRGBA(255, 255, 255, 255), {0, 0});
        for (int i = 1; i < kStatNamedCount; ++i) {
            const float x = i < 32 ? 20.0f : 410.0f;
            const float y = 56.0f + 11.0f * float(i < 32 ? i - 1 : i - 32);
            BitmapFont::DrawString(mStats, gStatistics->FormatItemLine(i, 46), 8.0f,
                                   ColorRGBA(200, 255, 200, 255), {x, y});
        }
        r.DrawShape(mStats, false, 255, true);

        Texture* frame = mLib.GetTexture(kWindowFramePictureName);
        if (frame) {
            frame->mMapping = 1;
            BuildWindowFrameShapes(mFrame, frame, 3.0f, 16.0f, true, false, true, 220, 90);
            mFrame.Translate({w - 250, h - 120});
            r.UploadTextureIfPending(frame);
            r.DrawShape(mFrame, false, 255, true);
            DrawTextWhite(mCaption, "WINDOW", 8.0f, ColorRGBA(255, 255, 255, 255), {w - 246, h - 132});
            r.DrawShape(mCaption, false, 255, true);
        }
    }

    TextureLib& mLib;
    Toy mToys[3];
    Shape mBackground, mTitle, mStats, mFrame, mCaption;
};

// A captured frame is read back as RGB, bottom row first.
std::array<int, 3> CapturedPixel(const Array<uint8_t>& rgb, int32_t width, int32_t height, int32_t x, int32_t y)
{
    const uint8_t* p = rgb.Data() + (size_t(height - 1 - y) * width + x) * 3;
    return {p[0], p[1], p[2]};
}

} // namespace

TEST_F(FrameTest, LoadingScreenCentresTheTitleAndTheLoadingLine)
{
    Shape text;
    FrameRequest request;
    request.mLoadingScreen = true;
    request.mTextShape = &text;
    ASSERT_TRUE(R().RenderFrame(request));
    ASSERT_EQ(text.mPoints.Count(), (8 + 7) * 4);  // "ORLIMBAR" and "LOADING"
    EXPECT_EQ(text.mPoints[0], (VectorF{kWidth * 0.5f - 32.0f, kHeight * 0.5f - 4.0f}));
    EXPECT_EQ(text.mPoints[8 * 4], (VectorF{kWidth * 0.5f - 28.0f, kHeight * 0.5f + 8.0f}));
    EXPECT_EQ(text.mTexture, mLib->GetTexture(kFontPictureName));
    EXPECT_NE(R().FindUpload(text.mTexture), nullptr);
}

TEST_F(FrameTest, TextShowsItsGlyphs)
{
    // 'H' at twice the picture's cell size: two strokes joined by a bar in the middle row.
    Shape text;
    ASSERT_TRUE(DrawTextWhite(text, "H", 32.0f, ColorRGBA(255, 255, 255, 255), {10, 10}));
    ASSERT_TRUE(Render([&](Renderer& r) {
        r.UploadTextureIfPending(text.mTexture);
        r.DrawShape(text, false, 255, true);
    }));
    EXPECT_THAT(Pixel(18, 15), NearRGB(255, 255, 255, 2));  // left stroke
    EXPECT_THAT(Pixel(26, 15), NearRGB(0, 0, 0, 2));        // between the strokes
    EXPECT_THAT(Pixel(26, 25), NearRGB(255, 255, 255, 2));  // the bar
    EXPECT_THAT(Pixel(60, 25), NearRGB(0, 0, 0, 2));        // beyond the glyph
}

TEST_F(FrameTest, CaptureReadsTheFrameBackBeforeTheSwap)
{
    PreviewScene scene(*mLib);
    FrameRequest request;
    request.mScene = &scene;
    request.mCaptureFileName = mFolder.PathOf("capture.png");
    ASSERT_TRUE(R().RenderFrame(request));
    EXPECT_TRUE(R().WasSceneDrawn());
    ASSERT_TRUE(mFolder.Exists("capture.png"));
    // The read-back holds this frame: the background's top colour at the top-left corner.
    const auto corner = CapturedPixel(R().GetReadBackPixels(), kWidth, kHeight, 2, 2);
    EXPECT_NEAR(corner[2], 70, 3);
    ImageFile* saved = GetImageFile("capture.png");
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->mFullWidth, kWidth);
}

// Where nothing is drawn the frame shows the requested colour (the game's sky), not black.
TEST_F(FrameTest, UndrawnPixelsShowTheClearColour)
{
    FrameRequest request;
    request.mClearColor = ColorRGBAF(0.4f, 0.6f, 0.8f, 1.0f);
    request.mCaptureFileName = mFolder.PathOf("sky.png");
    ASSERT_TRUE(R().RenderFrame(request));
    const auto p = CapturedPixel(R().GetReadBackPixels(), kWidth, kHeight, kWidth / 2, kHeight / 2);
    EXPECT_NEAR(p[0], 102, 2);
    EXPECT_NEAR(p[1], 153, 2);
    EXPECT_NEAR(p[2], 204, 2);
}

TEST_F(FrameTest, ThumbnailReplacesTheOldPictureAndLeavesNoTemporary)
{
    mFolder.WriteFile("robot.robot.png", "old picture");
    Shape ball;
    Texture* texture = mLib->GetTexture("Toys\\ball.png");
    ASSERT_TRUE(ball.InitTexturedQuad(texture, ColorRGBA(255, 255, 255, 255), RectF(0, 0, 100, 40)));
    RectF seen;
    const bool ok = R().SaveThumbnail(RectF(0, 0, 100, 40),
                                      [&](Renderer& r) {
                                          seen = r.GetViewRect();
                                          r.UploadTextureIfPending(texture);
                                          r.DrawShape(ball, false, 255, true);
                                      },
                                      mFolder.PathOf("robot.robot.png"));
    ASSERT_TRUE(ok);
    // A 100 × 40 robot is photographed in a 110 × 110 square around its centre.
    EXPECT_EQ(seen, RectF(-5, -35, 105, 75));
    EXPECT_EQ(mFolder.Names(), (std::vector<std::string>{"Editor", "Fonts", "Toys", "robot.robot.png"}));
    ImageFile* thumb = GetImageFile("robot.robot.png");
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->mFullWidth, 256);
    EXPECT_EQ(thumb->mFullHeight, 256);
}

TEST_F(FrameTest, PreviewPictureOfAWholeFrame)
{
    constexpr int32_t kPreviewWidth = 800, kPreviewHeight = 600;
    ASSERT_TRUE(R().RecreateContext(kPreviewWidth, kPreviewHeight));
    PreviewScene scene(*mLib);
    FrameRequest request;
    request.mScene = &scene;
    ASSERT_TRUE(R().RenderFrame(request));  // a first frame fills the render timers
    const std::string path = std::string(KIV_PREVIEW_DIR) + "/render-preview.png";
    std::filesystem::remove(path);
    request.mCaptureFileName = path;
    ASSERT_TRUE(R().RenderFrame(request));
    EXPECT_TRUE(std::filesystem::exists(path)) << path;
    // The statistics text is bright green, the background is not.
    int bright = 0;
    for (int32_t y = 56; y < 400; ++y)
        for (int32_t x = 20; x < 380; ++x)
            bright += CapturedPixel(R().GetReadBackPixels(), kPreviewWidth, kPreviewHeight, x, y)[1] > 200 ? 1 : 0;
    EXPECT_GT(bright, 500);
    ASSERT_TRUE(R().RecreateContext(kWidth, kHeight));
}
