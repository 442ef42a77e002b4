#include "game/RobotEditorPanel.h"
#include "base/Color.h"
#include "base/InputDevices.h"
#include "editor/EditWindow.h"
#include "game/GameKeys.h"
#include "render/Renderer.h"
#include "robots/Robot.h"
#include "robots/RobotPictures.h"
#include <algorithm>

namespace KIV {

namespace {
constexpr int32_t kKeypadMinus = 269, kKeypadPlus = 270;
} // namespace

RobotEditorPanel::RobotEditorPanel()
{
    mCamera.mPosition = mCamera.mTargetPosition = VectorF(0.0f, 0.0f);
    mCamera.mZoom = mCamera.mTargetZoom = kStartZoom;
    mCamera.mAccumulatorMs = 0;
    BuildGrid();
    if (mWhite.InitBlank(VectorI(4, 4))) {
        mWhite.mOwnPixels.Fill(0xFFFFFFFFu);
        mWhite.mOwnPixelsChanged = true;
    }
}

void RobotEditorPanel::BuildGrid()
{
    // Lines every 5 units from -1000 to 1000 both ways, their strength
    // cycling so that every fourth line stands out a little.
    constexpr uint8_t kAlphas[4] = {40, 10, 20, 10};
    mPoints.Clear();
    mColours.Clear();
    for (int32_t pass = 0; pass < 2; ++pass) {
        for (int32_t i = 0; i <= 400; ++i) {
            const float at = -1000.0f + 5.0f * float(i);
            const uint32_t colour = ColorRGBA(255, 255, 255, kAlphas[i % 4]).Pack();
            if (pass == 0) {
                mPoints.PushBack(VectorF(at, -1000.0f));
                mPoints.PushBack(VectorF(at, 1000.0f));
            } else {
                mPoints.PushBack(VectorF(-1000.0f, at));
                mPoints.PushBack(VectorF(1000.0f, at));
            }
            mColours.PushBack(colour);
            mColours.PushBack(colour);
        }
    }
    mGrid.InitColouredPoints(1, mPoints, mColours);
}

void RobotEditorPanel::HandleInput(const InputDevices& in)
{
    ViewCamera& c = mCamera;
    const int32_t wheel = in.GetMouseWheel(0);
    if (wheel != 0) {
        const float step = c.mTargetZoom > 0.1101f ? 0.1f : 0.03f;
        c.mTargetZoom = std::max(kMinZoom, c.mTargetZoom - step * float(wheel));
    }
    if (IsCombo(in, ComboWhen::kPressed, kCtrl, Key::Letter('z'))) c.mTargetZoom = kStartZoom;
    if (in.IsKeyDown(0, Key::kMinus) || in.IsKeyDown(0, kKeypadMinus))
        c.mTargetZoom = std::max(kMinZoom, c.mTargetZoom / 0.97f);
    if (in.IsKeyDown(0, Key::kEquals) || in.IsKeyDown(0, kKeypadPlus))
        c.mTargetZoom = std::max(kMinZoom, c.mTargetZoom * 0.97f);
    if (in.IsMouseButtonDown(0, 3)) c.mTargetPosition -= in.GetMouseMotion(0) * c.mZoom;
    const bool modifier = in.IsKeyDown(0, Key::kLCtrl) || in.IsKeyDown(0, Key::kRCtrl) ||
                          in.IsKeyDown(0, Key::kLShift) || in.IsKeyDown(0, Key::kRShift);
    if (modifier) {
        if (in.IsKeyDown(0, Key::kLeft)) c.mTargetPosition.mX -= 20.0f * c.mZoom;
        if (in.IsKeyDown(0, Key::kRight)) c.mTargetPosition.mX += 20.0f * c.mZoom;
        if (in.IsKeyDown(0, Key::kUp)) c.mTargetPosition.mY -= 15.0f * c.mZoom;
        if (in.IsKeyDown(0, Key::kDown)) c.mTargetPosition.mY += 15.0f * c.mZoom;
    }
}

RectF RobotEditorPanel::GetWorldRect(VectorI size)
{
    mCamera.SetScreenSize(size.mX, size.mY);
    return mCamera.GetViewRect();
}

RectF RobotEditorPanel::GetWindowWorldRect(VectorI position, VectorI size, VectorI window)
{
    const RectF panel = GetWorldRect(size);
    if (size.mX <= 0 || size.mY <= 0) return panel;
    const float sx = (panel.x2 - panel.x1) / float(size.mX);
    const float sy = (panel.y2 - panel.y1) / float(size.mY);
    return RectF(panel.x1 - sx * float(position.mX), panel.y1 - sy * float(position.mY),
                 panel.x1 + sx * float(window.mX - position.mX), panel.y1 + sy * float(window.mY - position.mY));
}

RobotEditView RobotEditorPanel::GetRobotEditView(const EditWindow& window)
{
    RobotEditView view;
    view.mWindowPosition = IntPointToVectorF(window.GetPosition());
    view.mWindowSize = IntPointToVectorF(window.GetSize());
    view.mWorld = GetWorldRect(window.GetSize());
    return view;
}

void RobotEditorPanel::Draw(Renderer& renderer, const EditWindow& window, const Robot* robot,
                            RobotEditOverlay& overlay, TextureLib* textures, int32_t mode)
{
    const VectorI p = window.GetPosition();
    const VectorI s = window.GetSize();
    const VectorI screen{renderer.GetWindowWidth(), renderer.GetWindowHeight()};
    if (s.mX <= 0 || s.mY <= 0 || screen.mX <= 0 || screen.mY <= 0) return;
    const RectF windowPixels(0.0f, 0.0f, float(screen.mX), float(screen.mY));
    if (textures) mChrome.DrawBackground(renderer, *textures, p, s);
    renderer.SetView(GetWindowWorldRect(p, s, screen), 0.0f);
    renderer.SetScissor(RectI(p.mX, p.mY, p.mX + s.mX, p.mY + s.mY));
    renderer.DrawShapeWireframe(mGrid);
    if (robot) {
        DrawRobotPictures(renderer, *robot);
        // The overlay's marks are line lists: drawn as lines, they have no triangles to fill.
        for (Shape* shape : overlay.mToyOutlines) renderer.DrawShapeWireframe(*shape);
        for (Shape* shape : overlay.mToyBoxes) renderer.DrawShapeWireframe(*shape);
        for (Shape* shape : {&overlay.mJointMarks, &overlay.mSelectedJointMark, &overlay.mParticleMarks})
            renderer.DrawShapeWireframe(*shape);
    }
    // The mode buttons are the chrome's pictures; where they are not loaded the
    // overlay's plain faces and names stand in for them on the same squares.
    if (robot && !RobotEditorChrome::HasModeButtonPictures(textures)) {
        // The mode buttons are laid out in pixels from the page area's corner.
        renderer.SetView(RectF(-float(p.mX), -float(p.mY), float(screen.mX - p.mX), float(screen.mY - p.mY)), 0.0f);
        if (overlay.mModeFaces.mTriangles.Count() > 0) {
            // Faces take their colour from their corners, through a white picture.
            overlay.mModeFaces.mTexture = &mWhite;
            renderer.UploadTextureIfPending(&mWhite);
            renderer.DrawShape(overlay.mModeFaces, false, 255, true);
        }
        renderer.DrawShapeWireframe(overlay.mModeFrames);
        if (overlay.mModeNames.mTexture) {
            renderer.UploadTextureIfPending(overlay.mModeNames.mTexture);
            renderer.DrawShape(overlay.mModeNames, false, 255, true);
        }
    }
    renderer.ClearScissor();
    // The controls, the frame and the title are drawn in window pixels again.
    renderer.SetView(windowPixels, 0.0f);
    if (textures) mChrome.DrawControls(renderer, *textures, p, s, mode, robot);
}

} // namespace KIV
