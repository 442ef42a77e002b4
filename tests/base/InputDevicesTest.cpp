#include <gtest/gtest.h>
#include "base/InputDevices.h"

using namespace KIV;

namespace {

constexpr int32_t kCtrl = 306;
constexpr int32_t kShift = 304;
constexpr int32_t kKeyS = 's';
constexpr int32_t kLeft = 1;

// Feeds the devices as the event pump does, one synthesised event at a time.
class InputFixture : public ::testing::Test {
protected:
    void Key(InputEvent::Type type, int32_t key, int32_t device = 0)
    {
        InputEvent e;
        e.mType = type;
        e.mDevice = device;
        e.mCode = key;
        e.mRawKey.mBytes[0] = static_cast<uint8_t>(type == InputEvent::kKeyDown ? 2 : 3);
        e.mRawKey.mBytes[4] = static_cast<uint8_t>(key);
        mInput.HandleEvent(e);
    }
    void KeyDown(int32_t key, int32_t device = 0) { Key(InputEvent::kKeyDown, key, device); }
    void KeyUp(int32_t key, int32_t device = 0) { Key(InputEvent::kKeyUp, key, device); }
    void Button(InputEvent::Type type, int32_t button, uint32_t timeMs = 1000)
    {
        InputEvent e;
        e.mType = type;
        e.mCode = button;
        e.mTimeMs = timeMs;
        mInput.HandleEvent(e);
    }
    void Press(int32_t button, uint32_t timeMs = 1000) { Button(InputEvent::kMouseButtonDown, button, timeMs); }
    void Release(int32_t button) { Button(InputEvent::kMouseButtonUp, button); }
    void Move(int32_t x, int32_t y)
    {
        InputEvent e;
        e.mType = InputEvent::kMouseMotion;
        e.mX = x;
        e.mY = y;
        mInput.HandleEvent(e);
    }
    void EndFrame() { mInput.EndFrame(); }

    InputDevices mInput;
};

} // namespace

TEST_F(InputFixture, AutoRepeatIsRepeatedButNotWentDown)
{
    KeyDown('a');
    EXPECT_TRUE(mInput.IsKeyPressed(0, 'a'));
    EXPECT_TRUE(mInput.IsKeyPressedOrRepeated(0, 'a'));
    EndFrame();
    KeyDown('a'); // the window system's auto-repeat
    EXPECT_FALSE(mInput.IsKeyPressed(0, 'a'));
    EXPECT_TRUE(mInput.IsKeyPressedOrRepeated(0, 'a'));
    EXPECT_TRUE(mInput.IsKeyDown(0, 'a'));
    EXPECT_EQ(mInput.GetKeyboard(0)->GetHeldKeys().Count(), 1);
    EXPECT_EQ(mInput.GetKeyboard(0)->GetFrameKeys().Count(), 1);
    EndFrame();
    EXPECT_FALSE(mInput.IsKeyPressedOrRepeated(0, 'a'));
    KeyUp('a');
    EXPECT_TRUE(mInput.IsKeyReleased(0, 'a'));
    EXPECT_FALSE(mInput.IsKeyDown(0, 'a'));
}

TEST_F(InputFixture, CombinationPressedAndReleasedInTheRightFrames)
{
    KeyDown(kCtrl);
    EndFrame();
    KeyDown(kKeyS);
    EXPECT_TRUE(mInput.IsComboPressed(0, kCtrl, kKeyS, 0));
    EXPECT_TRUE(mInput.IsComboPressed(0, kKeyS, 0, kCtrl)); // order does not matter
    EXPECT_TRUE(mInput.IsComboDown(-1, kCtrl, kKeyS, 0));
    EndFrame();
    EXPECT_FALSE(mInput.IsComboPressed(0, kCtrl, kKeyS, 0));
    KeyUp(kKeyS);
    EXPECT_FALSE(mInput.IsComboReleased(0, kCtrl, kKeyS, 0));
    EndFrame();
    KeyUp(kCtrl);
    EXPECT_TRUE(mInput.IsComboReleased(0, kCtrl, kKeyS, 0));
    EndFrame();
    EXPECT_FALSE(mInput.IsComboReleased(0, kCtrl, kKeyS, 0));
}

TEST_F(InputFixture, ExtraHeldKeySpoilsCombinationAndNoKeysNeverMatch)
{
    KeyDown(kCtrl);
    KeyDown(kShift);
    KeyDown(kKeyS);
    EXPECT_FALSE(mInput.IsComboDown(0, kCtrl, kKeyS, 0));
    EXPECT_FALSE(mInput.IsComboPressed(0, kCtrl, kKeyS, 0));
    EXPECT_TRUE(mInput.IsComboDown(0, kCtrl, kShift, kKeyS));
    EXPECT_FALSE(mInput.IsComboDown(0, 0, 0, 0));
}

TEST_F(InputFixture, CapsLockIsQueuedButChangesNoState)
{
    KeyDown(kKeyCapsLock);
    KeyUp(kKeyCapsLock);
    EXPECT_EQ(mInput.GetKeyEvents().Count(), 2);
    const KeyboardDevice* k = mInput.GetKeyboard(0);
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->GetFrameKeys().Count(), 0);
    EXPECT_EQ(k->GetHeldKeys().Count(), 0);
    EXPECT_FALSE(mInput.IsKeyDown(0, kKeyCapsLock));
    EXPECT_FALSE(mInput.IsAnyKeyDown(0));
    EndFrame();
    EXPECT_EQ(mInput.GetKeyEvents().Count(), 0);
}

TEST_F(InputFixture, OutOfRangeKeyCodesAndDeviceIndicesAreRefused)
{
    KeyDown('a');
    // Codes from scripts or odd events must not index past the key tables.
    for (int32_t key : {-1, kKeyCodeCount, 100000}) {
        KeyDown(key);
        EXPECT_FALSE(mInput.IsKeyDown(0, key)) << key;
        EXPECT_FALSE(mInput.IsKeyPressed(-1, key)) << key;
        KeyUp(key);
        EXPECT_FALSE(mInput.IsKeyReleased(0, key)) << key;
    }
    EXPECT_EQ(mInput.GetKeyboard(0)->GetHeldKeys().Count(), 1);

    KeyDown('b', 70); // device index beyond 63: queued, no keyboard
    EXPECT_EQ(mInput.GetKeyboardCount(), 1);
    EXPECT_EQ(mInput.GetKeyEvents().Count(), 1 + 3 * 2 + 1);

    EXPECT_FALSE(mInput.IsKeyDown(5, 'a'));
    EXPECT_TRUE(mInput.IsKeyDown(-1, 'a'));
    EXPECT_TRUE(mInput.IsMouseButtonUp(5, kLeft)); // no mouse at all
    EXPECT_FALSE(mInput.IsMouseButtonDown(5, kLeft));
}

TEST_F(InputFixture, DevicesAreCreatedUpToTheEventsIndex)
{
    KeyDown('x', 3);
    EXPECT_EQ(mInput.GetKeyboardCount(), 4);
    EXPECT_FALSE(mInput.IsKeyDown(0, 'x'));
    EXPECT_TRUE(mInput.IsKeyDown(3, 'x'));
    EXPECT_TRUE(mInput.IsKeyDown(-1, 'x'));
    EXPECT_FALSE(mInput.EnsureMouse(64));
    EXPECT_FALSE(mInput.EnsureJoystick(-1));
}

TEST_F(InputFixture, DoubleClickNeedsLessThan400ms)
{
    struct Case {
        uint32_t gap;
        bool doubleClicked;
    };
    for (Case c : {Case{399, true}, Case{400, false}, Case{0, false}}) {
        InputDevices fresh;
        auto press = [&](uint32_t t) {
            InputEvent e;
            e.mType = InputEvent::kMouseButtonDown;
            e.mCode = kLeft;
            e.mTimeMs = t;
            fresh.HandleEvent(e);
            e.mType = InputEvent::kMouseButtonUp;
            fresh.HandleEvent(e);
        };
        press(5000);
        EXPECT_FALSE(fresh.IsMouseButtonDoubleClicked(0, kLeft));
        fresh.EndFrame();
        press(5000 + c.gap);
        EXPECT_EQ(fresh.IsMouseButtonDoubleClicked(0, kLeft), c.doubleClicked) << c.gap;
    }
}

TEST_F(InputFixture, ClickOrDragDependsOnTravel)
{
    struct Case {
        int32_t dx;
        bool clicked;
        bool dragging;
    };
    for (Case c : {Case{2, true, false}, Case{3, false, true}}) {
        InputDevices fresh;
        InputEvent e;
        e.mType = InputEvent::kMouseMotion;
        e.mX = 100;
        e.mY = 100;
        fresh.HandleEvent(e);
        fresh.EndFrame();
        e.mType = InputEvent::kMouseButtonDown;
        e.mCode = kLeft;
        fresh.HandleEvent(e);
        fresh.EndFrame();
        e.mType = InputEvent::kMouseMotion;
        e.mX = 100 + c.dx;
        fresh.HandleEvent(e);
        EXPECT_EQ(fresh.IsMouseDragging(0, kLeft), c.dragging) << c.dx;
        fresh.EndFrame();
        e.mType = InputEvent::kMouseButtonUp;
        fresh.HandleEvent(e);
        EXPECT_EQ(fresh.IsMouseButtonClicked(0, kLeft), c.clicked) << c.dx;
        EXPECT_FALSE(fresh.IsMouseDragging(0, kLeft));
    }
}

TEST_F(InputFixture, ClickRightAfterADragIsNotLost)
{
    Move(0, 0);
    EndFrame();
    Press(kLeft, 1000);
    Move(50, 0);
    EndFrame();
    Release(kLeft);
    EXPECT_FALSE(mInput.IsMouseButtonClicked(0, kLeft));
    EndFrame();
    // No motion between the release and the next press: the old travel must not stick.
    Press(kLeft, 3000);
    Release(kLeft);
    EXPECT_TRUE(mInput.IsMouseButtonClicked(0, kLeft));
}

TEST_F(InputFixture, WheelStepAddsOneAndItsUpEventClicksButtonFour)
{
    Press(kMouseWheelUp);
    Release(kMouseWheelUp);
    EXPECT_EQ(mInput.GetMouseWheel(0), 1);
    EXPECT_TRUE(mInput.IsMouseButtonReleased(0, kMouseWheelUp));
    EXPECT_TRUE(mInput.IsMouseButtonClicked(0, kMouseWheelUp));
    EXPECT_FALSE(mInput.IsMouseButtonPressed(0, kMouseWheelUp));
    Press(kMouseWheelDown);
    Press(kMouseWheelDown);
    EXPECT_EQ(mInput.GetMouseWheel(0), -1);
    EXPECT_TRUE(mInput.GetMouse(0)->IsAnythingActive());
    EndFrame();
    EXPECT_EQ(mInput.GetMouseWheel(0), 0);
    EXPECT_FALSE(mInput.GetMouse(0)->IsAnythingActive());
}

TEST_F(InputFixture, OutOfRangeMouseButtonsAreRefused)
{
    Press(kLeft);
    for (int32_t b : {-1, 32, 1000}) {
        Release(b);
        EXPECT_FALSE(mInput.IsMouseButtonDown(0, b)) << b;
        EXPECT_FALSE(mInput.IsMouseButtonReleased(-1, b)) << b;
        EXPECT_FALSE(mInput.IsMouseButtonClicked(0, b)) << b;
        EXPECT_TRUE(mInput.IsMouseButtonUp(0, b)) << b;
    }
    EXPECT_FALSE(mInput.IsMouseButtonUp(0, kLeft));
}

TEST_F(InputFixture, MotionIsMeasuredFromThePreviousFrame)
{
    Move(10, 10);
    EndFrame();
    Move(13, 14);
    Move(16, 18);
    EXPECT_EQ(mInput.GetMousePosition(0), (VectorI{16, 18}));
    EXPECT_EQ(mInput.GetMouseMotion(0), (VectorF{6.0f, 8.0f}));
    EXPECT_TRUE(mInput.HasMouseMoved(0));
    EXPECT_EQ(mInput.GetMousePosition(1), (VectorI{}));
    EXPECT_FALSE(mInput.HasMouseMoved(-1));
    EndFrame();
    EXPECT_EQ(mInput.GetMouseMotion(0), (VectorF{}));
    EXPECT_FALSE(mInput.HasMouseMoved(0));
}

TEST_F(InputFixture, JoystickEventsWriteTheirEntriesOnly)
{
    InputEvent e;
    e.mDevice = 1;
    e.mType = InputEvent::kJoyButtonDown;
    e.mCode = 255;
    mInput.HandleEvent(e);
    e.mCode = 256; // ignored
    mInput.HandleEvent(e);
    e.mType = InputEvent::kJoyAxis;
    e.mCode = 15;
    e.mX = -32768;
    mInput.HandleEvent(e);
    e.mType = InputEvent::kJoyHat;
    e.mCode = 16; // ignored
    e.mX = 3;
    mInput.HandleEvent(e);
    ASSERT_EQ(mInput.GetJoystickCount(), 2);
    const JoystickDevice* j = mInput.GetJoystick(1);
    EXPECT_EQ(j->mButtonsHeld[255], 1);
    EXPECT_EQ(j->mButtonsWentDown[255], 1);
    EXPECT_EQ(j->mAxes[15], -32768);
    for (uint16_t hat : j->mHats) EXPECT_EQ(hat, 0);
    mInput.EndFrame();
    EXPECT_EQ(j->mButtonsWentDown[255], 0);
    EXPECT_EQ(j->mButtonsHeld[255], 1);
}
