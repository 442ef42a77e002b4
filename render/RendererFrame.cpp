// One frame: record, execute, finish, then swap or read back; and the robot thumbnail.
#include <GL/gl.h>
#include <algorithm>
#include <cstdio>
#include "base/FileUtils.h"
#include "base/Platform.h"
#include "base/Statistics.h"
#include "render/BitmapFont.h"
#include "render/ImageFile.h"
#include "render/Renderer.h"
#include "render/Shape.h"

namespace KIV {

namespace {

constexpr const char* kLoadingTitle = "ORLIMBAR";
constexpr const char* kLoadingText = "LOADING";
constexpr float kLoadingGlyphSize = 8.0f;
constexpr int32_t kThumbnailSize = 256;
constexpr float kThumbnailMargin = 1.1f;

} // namespace

void Renderer::DrawLoadingScreen(Shape* textShape)
{
    SetScreenView();
    if (!textShape) return;
    const VectorF centre(mWidthF * 0.5f, mHeightF * 0.5f);
    if (!DrawTextWhite(*textShape, "", kLoadingGlyphSize, ColorRGBA(255, 255, 255, 255), centre)) return;
    BitmapFont::DrawTextAligned(*textShape, kLoadingTitle, kLoadingGlyphSize, ColorRGBA(255, 255, 255, 255), true,
                                true, centre);
    BitmapFont::DrawTextAligned(*textShape, kLoadingText, kLoadingGlyphSize, ColorRGBA(255, 255, 255, 200), true,
                                true, centre + VectorF(0.0f, 12.0f));
    UploadTextureIfPending(textShape->mTexture);
    DrawShape(*textShape, false, 255, false);
}

bool Renderer::RenderFrame(const FrameRequest& request)
{
    StatTimerStart(kStatRenderTime);
    StatTimerStart(kStatRenderPrepare);
    mDrawBuffer.Clear();
    ClearLightSlots();
    mDrawBuffer.ResetState();
    mDrawBuffer.SetTextureMapping(request.mTextureMapping);
    mClearColor = request.mClearColor;

    if (request.mLoadingScreen) {
        DrawLoadingScreen(request.mTextShape);
    } else if (request.mHold) {
        SetScreenView();
    } else if (request.mScene) {
        mSceneDrawnOnce = 1;
        request.mScene->DrawScene(*this, request.mScreenOverlays);
    }
    StatTimerStop(kStatRenderPrepare);

    StatTimerStart(kStatRenderStart);
    ClearScreen();
    StatTimerStop(kStatRenderStart);

    StatTimerStart(kStatRenderProcessCommands);
    mDrawBuffer.Execute(mPools);
    StatTimerStop(kStatRenderProcessCommands);

    StatTimerStart(kStatRenderEndRender);
    if (mContextValid) glFinish();
    StatTimerStop(kStatRenderEndRender);

    StatTimerStart(kStatRenderFlipBuffer);
    if (request.mCaptureFileName.empty()) SwapBuffers();
    else mLastCaptureOk = CaptureFrame(request.mCaptureFileName);
    StatTimerStop(kStatRenderFlipBuffer);
    StatTimerStop(kStatRenderTime);
    return true;
}

bool Renderer::CaptureFrame(const std::string& fileName)
{
    // Read back after the finish and before the swap: the back buffer holds this frame only until then.
    if (!mReadBackPixels.Resize(mWidth * mHeight * 4)) return false;
    ReadBackAndSwap(mWidth, mHeight, false, true);
    return SaveReadBackPixels(fileName, false, 0, 0);
}

bool Renderer::SaveReadBackPixels(const std::string& path, bool rgba, int32_t targetWidth, int32_t targetHeight)
{
    if (mReadBackPixels.Count() < mWidth * mHeight * (rgba ? 4 : 3) || mWidth <= 0 || mHeight <= 0) return false;
    if (!mPicture) mPicture = new (std::nothrow) ImageFile();
    if (!mPicture) return false;
    const std::string folder = GetPathDirectory(path);
    if (!folder.empty()) CreateFolders(folder);
    return SaveImageFile(*mPicture, mReadBackPixels.Data(), mWidth, mHeight, rgba, path, targetWidth, targetHeight);
}

bool Renderer::SaveThumbnail(const RectF& bounds, const std::function<void(Renderer&)>& draw, const std::string& path)
{
    const VectorF size = bounds.GetSize();
    const float side = std::max(size.mX, size.mY) * kThumbnailMargin;
    const VectorF centre = bounds.GetCenter();
    const RectF view(centre.mX - side * 0.5f, centre.mY - side * 0.5f, centre.mX + side * 0.5f,
                     centre.mY + side * 0.5f);

    mDrawBuffer.Clear();
    ResetDrawBuffer();
    SetView(view, 0.0f);
    if (draw) draw(*this);
    ClearScreen();
    mDrawBuffer.Execute(mPools);
    if (mContextValid) glFinish();

    if (!mReadBackPixels.Resize(mWidth * mHeight * 4)) return false;
    // No swap: the photo never reaches the screen.
    if (!ReadBackAndSwap(mWidth, mHeight, true, false)) return false;

    // The old picture stays until a complete new one stands beside it; the rename replaces it at once.
    // The picture type follows the extension, so the temporary name keeps it.
    const std::string extension = GetPathExtension(path);
    const std::string temporary = extension.empty() ? path + ".tmp" : RemovePathExtension(path) + ".tmp." + extension;
    if (IsExistingFile(temporary)) DeleteFile(temporary);
    if (!SaveReadBackPixels(temporary, true, kThumbnailSize, kThumbnailSize) || !IsExistingFile(temporary))
        return false;
    if (std::rename(ToOsPath(temporary).c_str(), ToOsPath(path).c_str()) != 0) {
        DeleteFile(temporary);
        return false;
    }
    return true;
}

} // namespace KIV
