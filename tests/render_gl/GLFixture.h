#pragma once
#include <GL/gl.h>
#include <array>
#include <chrono>
#include <thread>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include <functional>
#include <memory>
#include "render/Renderer.h"
#include "render/Shape.h"
#include "render/Texture.h"

// One window and GL context for the whole program: the window system keeps a single OpenGL video
// mode per process. Without a display every test skips.
class GLTest : public ::testing::Test {
protected:
    static constexpr int32_t kWidth = 320;
    static constexpr int32_t kHeight = 240;

    static void SetUpTestSuite()
    {
        if (sRenderer || sUnavailable) return;
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        if (!std::getenv("DISPLAY")) {
            sUnavailable = true;
            return;
        }
        sRenderer = new KIV::Renderer();
        // A virtual X server that was just started may not take connections yet.
        bool ready = false;
        for (int attempt = 0; attempt < 40 && !ready; ++attempt) {
            ready = sRenderer->Init(kWidth, kHeight);
            if (!ready) std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        if (!ready) {
            delete sRenderer;
            sRenderer = nullptr;
            sUnavailable = true;
        }
    }

    void SetUp() override
    {
        if (!sRenderer) GTEST_SKIP() << "no display for an OpenGL window";
        if (sRenderer->GetWindowWidth() != kWidth || sRenderer->GetWindowHeight() != kHeight) {
            ASSERT_TRUE(sRenderer->RecreateContext(kWidth, kHeight));
        }
        KIV::gRenderer = sRenderer;
        R().GetDrawBuffer().SetTextureMapping(1);
        ASSERT_TRUE(mWhite.InitBlank(KIV::VectorI(4, 4)));
        mWhite.mOwnPixels.Fill(0xFFFFFFFFu);
        mWhite.mOwnPixelsChanged = true;
    }

    void TearDown() override
    {
        if (sRenderer) sRenderer->ReleaseTexture(mWhite);
    }

    static KIV::Renderer& R() { return *sRenderer; }

    // Records a frame through draw on the screen view, executes it and leaves the pixels in the back
    // buffer for reading.
    bool Render(const std::function<void(KIV::Renderer&)>& draw)
    {
        KIV::Renderer& r = R();
        r.GetDrawBuffer().Clear();
        r.ResetDrawBuffer();
        r.SetView(KIV::RectF(0, 0, float(r.GetWindowWidth()), float(r.GetWindowHeight())), 0.0f);
        draw(r);
        r.ClearScreen();
        const bool ok = r.GetDrawBuffer().Execute(r.GetPools());
        glFinish();
        return ok;
    }

    // RGBA of the window pixel at (x, y), y counted from the top as the world's y.
    static std::array<int, 4> Pixel(int32_t x, int32_t y)
    {
        uint8_t p[4] = {};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, R().GetWindowHeight() - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2], p[3]};
    }

    // A quad in one colour, textured white so no earlier binding shows through.
    void Quad(KIV::Shape& s, const KIV::RectF& rect, const KIV::ColorRGBA& colour, KIV::Texture* texture = nullptr)
    {
        ASSERT_TRUE(s.InitTexturedQuad(texture ? texture : &mWhite, colour, rect));
    }
    void DrawQuad(KIV::Renderer& r, KIV::Shape& s)
    {
        r.UploadTextureIfPending(s.mTexture);
        r.DrawShape(s, false, 255, false);
    }

    static inline KIV::Renderer* sRenderer = nullptr;
    static inline bool sUnavailable = false;
    KIV::Texture mWhite;
};

// Within a few steps of 255: blending and filtering round.
MATCHER_P4(NearRGB, r, g, b, tolerance, "")
{
    return std::abs(arg[0] - r) <= tolerance && std::abs(arg[1] - g) <= tolerance && std::abs(arg[2] - b) <= tolerance;
}
