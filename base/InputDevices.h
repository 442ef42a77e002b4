#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Vector.h"

namespace KIV {

// Key codes are the window system's key symbols, 0 .. kKeyCodeCount - 1.
inline constexpr int32_t kKeyCodeCount = 323;
inline constexpr int32_t kKeyCapsLock = 301;
inline constexpr int32_t kMouseButtonCount = 32;
inline constexpr int32_t kMouseWheelUp = 4;
inline constexpr int32_t kMouseWheelDown = 5;
inline constexpr int32_t kJoystickButtonCount = 256;
inline constexpr int32_t kJoystickAxisCount = 16;
inline constexpr int32_t kMaxInputDevices = 64;
// Two presses closer than this are a double click.
inline constexpr uint32_t kDoubleClickMs = 400;
// A button that travelled more than this many pixels while held drags instead of clicking.
inline constexpr int32_t kClickSlopPixels = 2;

// A verbatim copy of the window system's keyboard event, kept for the page views.
struct KeyEventRecord {
    uint8_t mBytes[20] = {};
};
static_assert(sizeof(KeyEventRecord) == 20);

class KeyboardDevice {
public:
    KeyboardDevice();

    void Reset();
    void OnKeyDown(int32_t key);
    void OnKeyUp(int32_t key);
    void EndFrame();

    bool IsHeld(int32_t key) const { return IsValidKey(key) && mHeld[key] != 0; }
    bool WentDown(int32_t key) const { return IsValidKey(key) && mWentDown[key] != 0; }
    bool WentUp(int32_t key) const { return IsValidKey(key) && mWentUp[key] != 0; }
    bool Repeated(int32_t key) const { return IsValidKey(key) && mRepeated[key] != 0; }
    bool HasAnyKeyActivity() const { return mHeldKeys.Count() > 0 || mFrameKeys.Count() > 0; }

    bool MatchesPressedCombo(int32_t key1, int32_t key2, int32_t key3) const;
    bool MatchesHeldCombo(int32_t key1, int32_t key2, int32_t key3) const;
    bool MatchesReleasedCombo(int32_t key1, int32_t key2, int32_t key3) const;

    const Array<int32_t>& GetFrameKeys() const { return mFrameKeys; }
    const Array<int32_t>& GetHeldKeys() const { return mHeldKeys; }
    const Array<int32_t>& GetPressedCombo() const { return mPressedCombo; }
    const Array<int32_t>& GetReleasedCombo() const { return mReleasedCombo; }
    const Array<int32_t>& GetLastCombo() const { return mLastCombo; }

    // Codes from events or scripts may be anything; only the symbol range indexes the tables.
    static bool IsValidKey(int32_t key) { return key >= 0 && key < kKeyCodeCount; }

private:
    static bool MatchesCombo(const Array<int32_t>& list, int32_t key1, int32_t key2, int32_t key3);

    uint8_t mHeld[kKeyCodeCount];
    uint8_t mWentDown[kKeyCodeCount];
    uint8_t mWentUp[kKeyCodeCount];
    uint8_t mRepeated[kKeyCodeCount];
    Array<int32_t> mFrameKeys;
    // The keys held now, in the order they went down; also the current combination.
    Array<int32_t> mHeldKeys;
    Array<int32_t> mPressedCombo;
    Array<int32_t> mReleasedCombo;
    Array<int32_t> mLastCombo;
};

class MouseDevice {
public:
    MouseDevice();

    void Reset();
    // nowMs is the window system's millisecond tick at the event.
    void OnButtonDown(int32_t button, uint32_t nowMs);
    void OnButtonUp(int32_t button);
    void OnWheel(int32_t button);
    void OnMotion(int32_t x, int32_t y);
    void EndFrame();

    bool IsAnythingActive() const;
    VectorF GetMotionVector() const { return IntPointToVectorF(mMotion); }

    static bool IsValidButton(int32_t button) { return button >= 0 && button < kMouseButtonCount; }

    uint8_t mHeld[kMouseButtonCount];
    uint8_t mWentDown[kMouseButtonCount];
    uint8_t mWentUp[kMouseButtonCount];
    uint8_t mDoubleClicked[kMouseButtonCount];
    uint32_t mLastPressTime[kMouseButtonCount];
    uint8_t mClicked[kMouseButtonCount];
    uint8_t mDragging[kMouseButtonCount];
    int32_t mDistance[kMouseButtonCount];
    VectorI mPosition;
    VectorI mPreviousPosition;
    VectorI mMotion;
    uint8_t mMoved;
    int32_t mWheel;
};

class JoystickDevice {
public:
    JoystickDevice();

    void Reset();
    void OnButtonDown(int32_t button);
    void OnButtonUp(int32_t button);
    void OnAxis(int32_t axis, int16_t value);
    void OnBall(int32_t ball, int32_t dx, int32_t dy);
    void OnHat(int32_t hat, uint8_t position);
    void EndFrame();

    struct BallMotion {
        int32_t mDx = 0;
        int32_t mDy = 0;
    };

    uint8_t mButtonsHeld[kJoystickButtonCount];
    uint8_t mButtonsWentDown[kJoystickButtonCount];
    uint8_t mButtonsWentUp[kJoystickButtonCount];
    int16_t mAxes[kJoystickAxisCount];
    BallMotion mBalls[kJoystickAxisCount];
    uint16_t mHats[kJoystickAxisCount];
};

// One window-system event reduced to what the devices need, so the devices do not depend on the
// window system's headers and tests can make events of their own.
struct InputEvent {
    enum Type : int32_t {
        kNone,
        kKeyDown,
        kKeyUp,
        kMouseButtonDown,
        kMouseButtonUp,
        kMouseMotion,
        kJoyButtonDown,
        kJoyButtonUp,
        kJoyAxis,
        kJoyBall,
        kJoyHat,
    };

    Type mType = kNone;
    int32_t mDevice = 0;  // the event's device index
    int32_t mCode = 0;    // key symbol, mouse or joystick button, axis, ball or hat number
    int32_t mX = 0;       // mouse position, axis value, ball dx, hat position
    int32_t mY = 0;       // mouse position, ball dy
    uint32_t mTimeMs = 0; // tick at the event (mouse presses)
    KeyEventRecord mRawKey;
};

class InputDevices {
public:
    InputDevices();
    InputDevices(const InputDevices&) = delete;
    InputDevices& operator=(const InputDevices&) = delete;

    KeyboardDevice* AddKeyboard();
    MouseDevice* AddMouse();
    JoystickDevice* AddJoystick();
    bool EnsureKeyboard(int32_t index);
    bool EnsureMouse(int32_t index);
    bool EnsureJoystick(int32_t index);

    // The event pump's dispatch of one event to its device, in event order.
    void HandleEvent(const InputEvent& event);
    void AppendKeyEvent(const KeyEventRecord& record);
    void EndFrame();

    bool IsKeyDown(int32_t index, int32_t key) const;
    bool IsKeyPressed(int32_t index, int32_t key) const;
    bool IsKeyReleased(int32_t index, int32_t key) const;
    bool IsKeyPressedOrRepeated(int32_t index, int32_t key) const;
    bool IsAnyKeyDown(int32_t index) const;
    bool IsComboPressed(int32_t index, int32_t key1, int32_t key2, int32_t key3) const;
    bool IsComboDown(int32_t index, int32_t key1, int32_t key2, int32_t key3) const;
    bool IsComboReleased(int32_t index, int32_t key1, int32_t key2, int32_t key3) const;

    bool IsMouseButtonDown(int32_t index, int32_t button) const;
    bool IsMouseButtonPressed(int32_t index, int32_t button) const;
    bool IsMouseButtonReleased(int32_t index, int32_t button) const;
    bool IsMouseButtonDoubleClicked(int32_t index, int32_t button) const;
    bool IsMouseButtonClicked(int32_t index, int32_t button) const;
    bool IsMouseDragging(int32_t index, int32_t button) const;
    bool IsMouseButtonUp(int32_t index, int32_t button) const;

    VectorI GetMousePosition(int32_t index) const;
    VectorF GetMouseMotion(int32_t index) const;
    int32_t GetMouseWheel(int32_t index) const;
    bool HasMouseMoved(int32_t index) const;

    int32_t GetKeyboardCount() const;
    int32_t GetMouseCount() const;
    int32_t GetJoystickCount() const;
    KeyboardDevice* GetKeyboard(int32_t index) const;
    MouseDevice* GetMouse(int32_t index) const;
    JoystickDevice* GetJoystick(int32_t index) const;
    const Array<KeyEventRecord>& GetKeyEvents() const { return mKeyEvents; }

private:
    template <typename Device, typename Test>
    static bool AnyDevice(const PtrArray<Device>& list, int32_t index, Test test);
    using MouseFlag = uint8_t (MouseDevice::*)[kMouseButtonCount];
    bool AnyMouseFlag(int32_t index, int32_t button, MouseFlag flag) const;
    const MouseDevice* GetSingleMouse(int32_t index) const;

    PtrArray<KeyboardDevice> mKeyboards;
    PtrArray<MouseDevice> mMice;
    PtrArray<JoystickDevice> mJoysticks;
    Array<KeyEventRecord> mKeyEvents;
};

} // namespace KIV
