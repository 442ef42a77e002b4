// A pool traced in a U-shaped basin and drawn through the real renderer: the
// water fills the basin below its level and nothing else.
#include "LibraryFixture.h"
#include "physics/world/Scene.h"

using namespace KIV;

namespace {

class WaterDrawTest : public LibraryGLTest {
protected:
    void SetUp() override
    {
        LibraryGLTest::SetUp();
        if (IsSkipped()) return;
        Write("Water\\water1.png", TestPicture::Filled(64, 64, 30, 90, 220));
        OpenLibrary();
    }
};

TEST_F(WaterDrawTest, PoolFillsTheBasinBelowItsLevel)
{
    // The world in window pixels: a U whose cavity spans x 100 to 220 and
    // reaches down to y 200, its arms rising to y 60; the level at y 120.
    Scene scene;
    ASSERT_TRUE(scene.SetupGrid(RectF(-100, -100, 420, 340)));
    const VectorF basin[] = {{90, 60},   {100, 60},  {100, 200}, {220, 200},
                             {220, 60},  {230, 60},  {230, 210}, {90, 210}};
    ASSERT_GE(scene.GetGrid().InsertStaticPolygon(basin, 8), 0);
    Water* water = scene.AddWater({160, 120});
    ASSERT_NE(water, nullptr);
    ASSERT_FALSE(water->IsEmpty());
    ASSERT_NE(water->mSurfaceShape.mTexture, nullptr);
    EXPECT_TRUE(water->mSurfaceShape.mTexture->mRepeat);

    ASSERT_TRUE(Render([&](Renderer& r) {
        r.UploadTextureIfPending(water->mSurfaceShape.mTexture);
        r.DrawShape(water->mSurfaceShape, false, 255, false);
    }));
    // Under the level, wall to wall and down to the floor: the water picture.
    for (auto [x, y] : {std::pair{160, 160}, {103, 125}, {217, 195}, {160, 197}})
        EXPECT_THAT(Pixel(x, y), NearRGB(30, 90, 220, 3)) << x << "," << y;
    // Above the level, inside the walls, beyond the floor and outside the basin: nothing.
    for (auto [x, y] : {std::pair{160, 115}, {160, 80}, {95, 150}, {225, 150}, {160, 205}, {40, 150}})
        EXPECT_THAT(Pixel(x, y), NearRGB(0, 0, 0, 3)) << x << "," << y;
}

} // namespace
