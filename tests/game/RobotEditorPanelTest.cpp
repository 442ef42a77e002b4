#include <gtest/gtest.h>

#include "base/InputDevices.h"
#include "game/GameKeys.h"
#include "game/RobotEditorPanel.h"

using namespace KIV;

// The view set for the whole window puts the panel's own world rectangle
// exactly on the panel's page area, wherever the panel lies.
TEST(RobotEditorPanel, WindowViewPutsThePanelWorldOnThePageArea)
{
    RobotEditorPanel panel;
    panel.mCamera.mPosition = {40.0f, -30.0f};
    const struct { VectorI mAt, mSize, mWindow; } cases[] = {
        {{250, 16}, {450, 256}, {1024, 576}},
        {{0, 0}, {1024, 576}, {1024, 576}},
        {{600, 300}, {256, 128}, {800, 600}},
    };
    for (const auto& c : cases) {
        const RectF panelWorld = panel.GetWorldRect(c.mSize);
        const RectF whole = panel.GetWindowWorldRect(c.mAt, c.mSize, c.mWindow);
        auto toWorld = [&](VectorI p) {
            return VectorF(whole.x1 + (whole.x2 - whole.x1) * float(p.mX) / float(c.mWindow.mX),
                           whole.y1 + (whole.y2 - whole.y1) * float(p.mY) / float(c.mWindow.mY));
        };
        const VectorF topLeft = toWorld(c.mAt);
        const VectorF bottomRight = toWorld(c.mAt + c.mSize);
        EXPECT_NEAR(topLeft.mX, panelWorld.x1, 1e-2f);
        EXPECT_NEAR(topLeft.mY, panelWorld.y1, 1e-2f);
        EXPECT_NEAR(bottomRight.mX, panelWorld.x2, 1e-2f);
        EXPECT_NEAR(bottomRight.mY, panelWorld.y2, 1e-2f);
        EXPECT_NEAR(panelWorld.GetCenter().mX, 40.0f, 1e-3f);
        EXPECT_NEAR(panelWorld.GetCenter().mY, -30.0f, 1e-3f);
    }
}

// The panel's camera zooms by the wheel in coarse steps, then fine ones,
// never below its least zoom, and Ctrl+Z takes it back to where it started.
TEST(RobotEditorPanel, WheelZoomStopsAtTheLeastZoomAndCtrlZResets)
{
    RobotEditorPanel panel;
    InputDevices in;
    in.AddKeyboard();
    in.AddMouse();
    auto wheelUp = [&] {
        InputEvent e;
        e.mType = InputEvent::kMouseButtonDown;
        e.mCode = 4;
        in.HandleEvent(e);
        panel.HandleInput(in);
        in.EndFrame();
    };
    wheelUp();
    EXPECT_FLOAT_EQ(panel.mCamera.mTargetZoom, 0.15f);
    wheelUp();
    EXPECT_NEAR(panel.mCamera.mTargetZoom, 0.05f, 1e-6f);
    wheelUp();
    EXPECT_NEAR(panel.mCamera.mTargetZoom, 0.02f, 1e-6f);
    for (int i = 0; i < 5; ++i) wheelUp();
    EXPECT_FLOAT_EQ(panel.mCamera.mTargetZoom, RobotEditorPanel::kMinZoom);

    for (int32_t key : {Key::kLCtrl, Key::Letter('z')}) {
        InputEvent e;
        e.mType = InputEvent::kKeyDown;
        e.mCode = key;
        in.HandleEvent(e);
    }
    panel.HandleInput(in);
    EXPECT_FLOAT_EQ(panel.mCamera.mTargetZoom, RobotEditorPanel::kStartZoom);
}
