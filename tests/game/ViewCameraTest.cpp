#include <gtest/gtest.h>
#include "game/ViewCamera.h"

using namespace KIV;

TEST(ViewCamera, TimeIsSpentInFiveMillisecondSlices)
{
    ViewCamera c;
    c.mZoom = c.mTargetZoom = 1.0f;
    c.mTargetPosition = c.mPosition + VectorF(100.0f, 0.0f);
    c.Update(4);
    EXPECT_EQ(c.mPosition.mX, 1500.0f);
    c.Update(1);
    EXPECT_NEAR(c.mPosition.mX, 1503.3f, 1e-3f);
}

TEST(ViewCamera, ZoomClampsBrakesAndArrives)
{
    ViewCamera c;
    c.mTargetZoom = 40.0f;
    c.Update(5);
    EXPECT_EQ(c.mTargetZoom, 32.0f);

    ViewCamera d;
    d.mZoom = 1.0f;
    d.mTargetZoom = 1.001f;
    d.Update(5);
    EXPECT_EQ(d.mZoom, 1.001f);
    EXPECT_EQ(d.mZoomRate, 0.0f);

    ViewCamera e;
    e.mZoom = 0.5f;
    e.mTargetZoom = 2.0f;
    for (int i = 0; i < 2000; ++i) e.Update(5);
    EXPECT_EQ(e.mZoom, 2.0f);
}

TEST(ViewCamera, CloseTargetSnapsOnlyWhenZoomedOut)
{
    struct { float zoom; bool snaps; } cases[] = {{0.3f, false}, {0.2f, false}, {0.31f, true}};
    for (auto& k : cases) {
        ViewCamera c;
        c.mZoom = c.mTargetZoom = k.zoom;
        c.mTargetPosition = c.mPosition + VectorF(0.5f, 0.0f);
        c.Update(5);
        EXPECT_EQ(c.mTargetPosition == c.mPosition, k.snaps) << k.zoom;
    }
}

TEST(ViewCamera, ViewRectKeepsAConstantArea)
{
    ViewCamera c;
    c.mZoom = 1.0f;
    c.mPosition = {0, 0};
    RectF r = c.GetViewRect();
    EXPECT_NEAR(r.x2 - r.x1, 1600.0f, 1.0f);
    EXPECT_NEAR(r.y2 - r.y1, 900.0f, 1.0f);
    c.SetScreenSize(0, 0); // a minimised window shows nothing instead of dividing by zero
    r = c.GetViewRect();
    EXPECT_EQ(r.x1, 0.0f);
    EXPECT_EQ(r.x2, 0.0f);
}
