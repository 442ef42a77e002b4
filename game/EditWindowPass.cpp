#include "game/EditWindowPass.h"
#include "game/KIVGame.h"
#include "render/BitmapFont.h"
#include "render/Renderer.h"
#include "render/TextureLib.h"
#include "render/WindowFrame.h"

namespace KIV {

void EditWindowPass::Draw(Renderer& renderer, KIVGame& game)
{
    EditWindowManager& windows = game.mEditWindows;
    if (windows.GetWindowCount() == 0) return;
    mShapes.resize(static_cast<size_t>(windows.GetWindowCount()));
    const float w = float(renderer.GetWindowWidth()), h = float(renderer.GetWindowHeight());
    if (w <= 0.0f || h <= 0.0f) return;
    renderer.SetView(RectF(0.0f, 0.0f, w, h), 0.0f);
    Texture* frameTexture = game.mTextureLib ? game.mTextureLib->GetTexture(kWindowFramePictureName) : nullptr;
    for (int32_t index : windows.GetZOrder()) {
        EditWindow* window = windows.GetWindow(index);
        if (!window || !window->IsVisible() || window->IsInOwnWindow()) continue;
        WindowShapes& shapes = mShapes[static_cast<size_t>(index)];
        const VectorI p = window->GetPosition();
        const VectorI s = window->GetSize();
        const VectorF at = IntPointToVectorF(p);
        if (frameTexture &&
            BuildWindowFrameShapes(shapes.mFrame, frameTexture, 3.0f, 16.0f, window->HasButtons(), !window->IsNative(),
                                   true, s.mX, s.mY)) {
            shapes.mFrame.Translate(at);
            renderer.UploadTextureIfPending(frameTexture);
            renderer.DrawShape(shapes.mFrame, false, 255, true);
        }
        if (window->IsNative() && window->GetKind() == EditWindow::kRobotEditor) {
            game.mRobotPanel.Draw(renderer, *window, game.GetEditRobot(), game.mRobotEdit.mOverlay,
                                 game.mTextureLib, game.mRobotEdit.mMode);
        } else if (!window->IsNative() && window->GetView()) {
            Texture& content = window->GetContentTexture();
            window->CopySurfaceToTexture();
            const VectorI storage = content.mStorageSize;
            // The texture is a power of two larger than the page: only the page area shows.
            if (shapes.mContent.InitTexturedQuad(&content, ColorRGBA(255, 255, 255, 255),
                                                 RectF(at.mX, at.mY, at.mX + float(storage.mX), at.mY + float(storage.mY)))) {
                renderer.SetScissor(RectI(p.mX, p.mY, p.mX + s.mX, p.mY + s.mY));
                renderer.UploadTextureIfPending(&content);
                renderer.DrawShape(shapes.mContent, false, 255, true);
                renderer.ClearScissor();
            }
        }
        if (DrawTextWhite(shapes.mTitle, window->GetTitle(), 8.0f, ColorRGBA(0, 0, 0, 255),
                          VectorF(at.mX + 4.0f, at.mY - 11.0f))) {
            renderer.UploadTextureIfPending(shapes.mTitle.mTexture);
            renderer.DrawShape(shapes.mTitle, false, 255, true);
        }
    }
}

} // namespace KIV
