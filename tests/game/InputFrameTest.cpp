#include <gtest/gtest.h>
#include <cstring>
#include "base/InputDevices.h"
#include "game/InputFrame.h"

using namespace KIV;

TEST(InputFrame, GoldenByteLayout)
{
    InputFrame f;
    f.mW = {1, 1, 0};
    f.mDown = {0, 1, 1};
    f.mMouseWorldX = 1.0f;
    f.mFire = {1, 0, 0};
    f.mEWentDown = 1;
    f.mQWentDown = 1;
    f.mCameraZoom = 2.0f;
    uint8_t bytes[128];
    std::memcpy(bytes, &f, 128);
    uint8_t expected[128] = {};
    expected[0] = expected[1] = 1;
    expected[19] = expected[20] = 1;
    expected[26] = 0x80; // 1.0f = 0x3F800000
    expected[27] = 0x3F;
    expected[32] = 1;
    expected[35] = expected[36] = 1;
    expected[51] = 0x40; // 2.0f = 0x40000000
    EXPECT_EQ(std::memcmp(bytes, expected, 128), 0);
}

namespace {
struct Devices {
    InputDevices d;
    Devices()
    {
        d.AddKeyboard();
        d.AddMouse();
    }
    void Key(int32_t key, bool down)
    {
        InputEvent e;
        e.mType = down ? InputEvent::kKeyDown : InputEvent::kKeyUp;
        e.mCode = key;
        d.HandleEvent(e);
    }
};
} // namespace

TEST(InputFrame, OnePressIsOnePressHoweverManyStepsTheFrameRuns)
{
    Devices dev;
    dev.Key(kKeyW, true);
    InputFrame f;
    int presses = 0;
    for (int step = 0; step < 7; ++step) {
        SampleInputFrame(f, dev.d, false, step == 0);
        presses += f.mW.mWentDown;
        EXPECT_EQ(f.mW.mIsDown, 1);
    }
    EXPECT_EQ(presses, 1);
}

TEST(InputFrame, ClearTurnsHeldKeysIntoReleases)
{
    Devices dev;
    dev.Key(kKeyD, true);
    dev.Key(kKeyE, true);
    InputFrame f;
    SampleInputFrame(f, dev.d, false, true);
    EXPECT_EQ(f.mEWentDown, 1);
    f.mCameraX = 5.0f;
    SampleInputFrame(f, dev.d, true, true);
    EXPECT_EQ(f.mD.mIsDown, 0);
    EXPECT_EQ(f.mD.mWentUp, 1);
    EXPECT_EQ(f.mEWentDown, 0);
    EXPECT_EQ(f.mCameraX, 5.0f);
}
