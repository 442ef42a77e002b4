// The GL context of the game window: the window system's OpenGL video mode stands in for a context
// made on a window handle.
#include <SDL/SDL.h>
#include <GL/gl.h>
#include "render/Renderer.h"
#include "render/Texture.h"
#include "render/TextureLib.h"

namespace KIV {

namespace {

void ReleaseUploadOfTexture(Texture& texture)
{
    if (gRenderer) gRenderer->ReleaseTexture(texture);
}

} // namespace

bool Renderer::Init(int32_t width, int32_t height)
{
    SetWindowSize(width, height);
    mContextValid = 0;
    mSceneDrawnOnce = 0;
    const bool ok = CreateContext();
    mContextValid = ok ? 1 : 0;
    mContextReady = ok ? 1 : 0;
    // Textures destroyed with their toys give their upload records back.
    if (gTextureLib) gTextureLib->SetReleaseHandler(&ReleaseUploadOfTexture);
    return ok;
}

bool Renderer::CreateContext()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    // 24-bit colour, a 16-bit depth buffer and double buffering, as the game has always asked for.
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    const Uint32 mode = mFullScreen ? SDL_FULLSCREEN : SDL_RESIZABLE;
    if (!SDL_SetVideoMode(mWidth, mHeight, 32, SDL_OPENGL | mode)) return false;
    // The window system keeps one context across mode changes, with the old viewport.
    glViewport(0, 0, mWidth, mHeight);
    glGetError();
    return true;
}

void Renderer::Shutdown()
{
    mFreeUploads.Clear();
    for (TextureUpload* record : mPools.mTextures) {
        // The context outlives a mode change here, so its textures must go before the records
        // that name them, or every resize leaks all of them.
        if (mContextValid && record->mGLName != 0) {
            GLuint name = record->mGLName;
            glDeleteTextures(1, &name);
            glGetError();
        }
        record->mGLName = 0;
        record->mUploadedWidth = record->mUploadedHeight = record->mUploadedBytesPerPixel = 0;
        record->mPixels.Free();
        record->mUploadPending = 0;
        // Unowned: a texture still holding this record uploads afresh into a new one.
        record->mOwner = nullptr;
        mFreeUploads.PushBack(record->mPoolIndex);
    }
}

bool Renderer::RecreateContext(int32_t width, int32_t height)
{
    Shutdown();
    mContextValid = 0;
    mContextReady = 0;
    if (gTextureLib) gTextureLib->ForgetGLTextures();
    return Init(width, height);
}

bool Renderer::ReadBackAndSwap(int32_t width, int32_t height, bool rgba, bool swap)
{
    if (!mContextValid) return false;
    const int64_t needed = int64_t(width) * height * (rgba ? 4 : 3);
    if (width > 0 && height > 0 && mReadBackPixels.Count() >= needed) {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, rgba ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, mReadBackPixels.Data());
        glGetError();
    }
    if (swap) SwapBuffers();
    return true;
}

void Renderer::ClearScreen()
{
    if (!mContextValid) return;
    glClearColor(mClearColor.mRed, mClearColor.mGreen, mClearColor.mBlue, mClearColor.mAlpha);
    glClear(GL_COLOR_BUFFER_BIT);
}

void Renderer::SwapBuffers()
{
    if (mContextValid) SDL_GL_SwapBuffers();
}

} // namespace KIV
