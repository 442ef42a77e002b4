// A robot's photo through a real OpenGL context: written beside its file,
// readable as a picture, and framed on the robot.
#include "LibraryFixture.h"
#include "physics/toys/Toy.h"
#include "render/ImageFile.h"
#include "robots/Robot.h"
#include "robots/RobotPictures.h"

using namespace KIV;

namespace {

class RobotPhotoTest : public LibraryGLTest {
protected:
    void SetUp() override
    {
        LibraryGLTest::SetUp();
        if (IsSkipped()) return;
        Write("Toys\\block.png", TestPicture::Filled(40, 20, 220, 40, 40));
        OpenLibrary();
    }
};

// The photo of a 40 x 20 block robot is a square picture whose middle is the
// block's colour; the block, with the frame's margin round it, fills about
// 40 / (1.1 x 70) of its width and 20 / (1.1 x 70) of its height.
TEST_F(RobotPhotoTest, ThePhotoIsASquarePictureOfTheRobotFramedOnIt)
{
    Toy toy;
    ASSERT_TRUE(toy.BuildFromTexture("Toys\\block.png", 1.0f, false, {1, 1}, 0.0f, {300, 200}, false, 0.0f));
    Robot robot;
    robot.AddToy(&toy);
    mFolder.WriteFile("walker.robot.png", "an old picture");
    ASSERT_TRUE(SaveRobotPhoto(R(), robot, mFolder.PathOf("walker.robot.png")));
    robot.ReleaseParts();

    ImageFile* photo = GetImageFile("walker.robot.png");
    ASSERT_NE(photo, nullptr) << "the file is a picture";
    EXPECT_EQ(photo->mFullWidth, 256);
    EXPECT_EQ(photo->mFullHeight, 256);
    const int32_t x = photo->mStoredWidth / 2, y = photo->mStoredHeight / 2;
    const uint8_t* middle = &photo->mPixels[(y * photo->mStoredWidth + x) * photo->mBytesPerPixel];
    EXPECT_NEAR(middle[0], 220, 3);
    EXPECT_NEAR(middle[1], 40, 3);
    EXPECT_NEAR(middle[2], 40, 3);
    // Where the block lies in the picture: the kept, not fully clear, part.
    int32_t left = 256, right = -1, top = 256, bottom = -1;
    for (int32_t py = 0; py < photo->mStoredHeight; ++py)
        for (int32_t px = 0; px < photo->mStoredWidth; ++px) {
            const uint8_t* p = &photo->mPixels[(py * photo->mStoredWidth + px) * photo->mBytesPerPixel];
            if (p[0] < 180 || p[1] > 80) continue;
            left = std::min(left, px + photo->mCropRect.mP1.mX);
            right = std::max(right, px + photo->mCropRect.mP1.mX);
            top = std::min(top, py + photo->mCropRect.mP1.mY);
            bottom = std::max(bottom, py + photo->mCropRect.mP1.mY);
        }
    EXPECT_NEAR(right - left + 1, 256.0f * 40.0f / 77.0f, 6.0f);
    EXPECT_NEAR(bottom - top + 1, 256.0f * 20.0f / 77.0f, 6.0f);
    EXPECT_NEAR((left + right) * 0.5f, 128.0f, 4.0f);
    EXPECT_NEAR((top + bottom) * 0.5f, 128.0f, 4.0f);
}

} // namespace
