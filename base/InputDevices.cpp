#include "base/InputDevices.h"
#include <cmath>
#include <cstring>

namespace KIV {

namespace {

constexpr int32_t kDeviceListGrowBy = 32;
constexpr int32_t kKeyListCapacity = 16;
constexpr int32_t kKeyEventQueueCapacity = 32;

void PrepareKeyList(Array<int32_t>& list)
{
    list.SetGrowBy(kKeyListCapacity);
    list.SetCapacity(kKeyListCapacity, 0);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Keyboard

KeyboardDevice::KeyboardDevice()
{
    mLastCombo.SetGrowBy(1);
    Reset();
}

void KeyboardDevice::Reset()
{
    std::memset(mHeld, 0, sizeof(mHeld));
    std::memset(mWentDown, 0, sizeof(mWentDown));
    std::memset(mWentUp, 0, sizeof(mWentUp));
    std::memset(mRepeated, 0, sizeof(mRepeated));
    PrepareKeyList(mFrameKeys);
    PrepareKeyList(mHeldKeys);
    PrepareKeyList(mPressedCombo);
    PrepareKeyList(mReleasedCombo);
}

void KeyboardDevice::OnKeyDown(int32_t key)
{
    // Caps Lock toggles rather than holds, so it would stay "held" forever and spoil every combination.
    if (key == kKeyCapsLock || !IsValidKey(key)) return;
    if (mHeld[key]) {
        mRepeated[key] = 1;
        mFrameKeys.PushBack(key);
        return;
    }
    mHeld[key] = 1;
    mWentDown[key] = 1;
    mFrameKeys.PushBack(key);
    mHeldKeys.AddUnique(key);
    mPressedCombo.Assign(mHeldKeys);
    mLastCombo.Assign(mPressedCombo);
}

void KeyboardDevice::OnKeyUp(int32_t key)
{
    if (key == kKeyCapsLock || !IsValidKey(key)) return;
    mHeldKeys.RemoveValue(key);
    mHeld[key] = 0;
    mWentUp[key] = 1;
    mFrameKeys.PushBack(key);
    // A combination counts as released when its last key goes up, with every key it had.
    if (mHeldKeys.Count() == 0) mReleasedCombo.Assign(mLastCombo);
}

void KeyboardDevice::EndFrame()
{
    for (int32_t i = 0; i < mFrameKeys.Count(); ++i) {
        int32_t key = mFrameKeys[i];
        mWentDown[key] = 0;
        mWentUp[key] = 0;
        mRepeated[key] = 0;
    }
    mFrameKeys.Clear();
    mPressedCombo.Clear();
    mReleasedCombo.Clear();
}

bool KeyboardDevice::MatchesCombo(const Array<int32_t>& list, int32_t key1, int32_t key2, int32_t key3)
{
    int32_t keys[3];
    int32_t count = 0;
    for (int32_t key : {key1, key2, key3})
        if (key != 0) keys[count++] = key;
    if (count == 0 || count != list.Count()) return false;
    for (int32_t i = 0; i < count; ++i)
        if (list.IndexOf(keys[i]) < 0) return false;
    return true;
}

bool KeyboardDevice::MatchesPressedCombo(int32_t key1, int32_t key2, int32_t key3) const
{
    return MatchesCombo(mPressedCombo, key1, key2, key3);
}

bool KeyboardDevice::MatchesHeldCombo(int32_t key1, int32_t key2, int32_t key3) const
{
    return MatchesCombo(mHeldKeys, key1, key2, key3);
}

bool KeyboardDevice::MatchesReleasedCombo(int32_t key1, int32_t key2, int32_t key3) const
{
    return MatchesCombo(mReleasedCombo, key1, key2, key3);
}

// ---------------------------------------------------------------------------------------------
// Mouse

MouseDevice::MouseDevice()
{
    Reset();
}

void MouseDevice::Reset()
{
    std::memset(mHeld, 0, sizeof(mHeld));
    std::memset(mWentDown, 0, sizeof(mWentDown));
    std::memset(mWentUp, 0, sizeof(mWentUp));
    std::memset(mDoubleClicked, 0, sizeof(mDoubleClicked));
    std::memset(mLastPressTime, 0, sizeof(mLastPressTime));
    std::memset(mClicked, 0, sizeof(mClicked));
    std::memset(mDragging, 0, sizeof(mDragging));
    std::memset(mDistance, 0, sizeof(mDistance));
    mPosition = {};
    mPreviousPosition = {};
    mMotion = {};
    mMoved = 0;
    mWheel = 0;
}

void MouseDevice::OnButtonDown(int32_t button, uint32_t nowMs)
{
    if (!IsValidButton(button)) return;
    mHeld[button] = 1;
    mWentDown[button] = 1;
    if (nowMs > mLastPressTime[button] && nowMs - mLastPressTime[button] < kDoubleClickMs)
        mDoubleClicked[button] = 1;
    mLastPressTime[button] = nowMs;
    mDragging[button] = 0;
    // A release without motion keeps the travel of the previous drag; without this reset the
    // next press-and-release in place would never count as a click.
    mDistance[button] = 0;
}

void MouseDevice::OnButtonUp(int32_t button)
{
    if (!IsValidButton(button)) return;
    mHeld[button] = 0;
    mWentUp[button] = 1;
    if (mDistance[button] <= kClickSlopPixels) mClicked[button] = 1;
    mDragging[button] = 0;
}

void MouseDevice::OnWheel(int32_t button)
{
    if (button == kMouseWheelUp) mWheel += 1;
    else if (button == kMouseWheelDown) mWheel -= 1;
}

void MouseDevice::OnMotion(int32_t x, int32_t y)
{
    mPosition = {x, y};
    mMotion = mPosition - mPreviousPosition;
    mMoved = 1;
    // Measured from the previous frame's position, so several motions in one frame each add the
    // whole motion so far; that only makes a drag start sooner.
    int32_t travel = static_cast<int32_t>(std::lround(GetMotionVector().GetLength()));
    for (int32_t b = 0; b < kMouseButtonCount; ++b) {
        if (mHeld[b]) {
            mDistance[b] += travel;
            mDragging[b] = mDistance[b] > kClickSlopPixels ? 1 : 0;
        } else {
            mDistance[b] = 0;
            mDragging[b] = 0;
        }
    }
}

void MouseDevice::EndFrame()
{
    std::memset(mWentDown, 0, sizeof(mWentDown));
    std::memset(mWentUp, 0, sizeof(mWentUp));
    std::memset(mDoubleClicked, 0, sizeof(mDoubleClicked));
    std::memset(mClicked, 0, sizeof(mClicked));
    std::memset(mDragging, 0, sizeof(mDragging));
    mPreviousPosition = mPosition;
    mMotion = {};
    mMoved = 0;
    mWheel = 0;
}

bool MouseDevice::IsAnythingActive() const
{
    if (mWheel != 0) return true;
    for (int32_t b = 0; b < kMouseButtonCount; ++b)
        if (mHeld[b] || mWentDown[b] || mWentUp[b]) return true;
    return false;
}

// ---------------------------------------------------------------------------------------------
// Joystick

JoystickDevice::JoystickDevice()
{
    Reset();
}

void JoystickDevice::Reset()
{
    std::memset(mButtonsHeld, 0, sizeof(mButtonsHeld));
    std::memset(mButtonsWentDown, 0, sizeof(mButtonsWentDown));
    std::memset(mButtonsWentUp, 0, sizeof(mButtonsWentUp));
    std::memset(mAxes, 0, sizeof(mAxes));
    for (BallMotion& ball : mBalls) ball = {};
    std::memset(mHats, 0, sizeof(mHats));
}

void JoystickDevice::OnButtonDown(int32_t button)
{
    if (button < 0 || button >= kJoystickButtonCount) return;
    mButtonsHeld[button] = 1;
    mButtonsWentDown[button] = 1;
}

void JoystickDevice::OnButtonUp(int32_t button)
{
    if (button < 0 || button >= kJoystickButtonCount) return;
    mButtonsHeld[button] = 0;
    mButtonsWentUp[button] = 1;
}

void JoystickDevice::OnAxis(int32_t axis, int16_t value)
{
    if (axis >= 0 && axis < kJoystickAxisCount) mAxes[axis] = value;
}

void JoystickDevice::OnBall(int32_t ball, int32_t dx, int32_t dy)
{
    if (ball >= 0 && ball < kJoystickAxisCount) mBalls[ball] = {dx, dy};
}

void JoystickDevice::OnHat(int32_t hat, uint8_t position)
{
    if (hat >= 0 && hat < kJoystickAxisCount) mHats[hat] = position;
}

void JoystickDevice::EndFrame()
{
    std::memset(mButtonsWentDown, 0, sizeof(mButtonsWentDown));
    std::memset(mButtonsWentUp, 0, sizeof(mButtonsWentUp));
}

// ---------------------------------------------------------------------------------------------
// The device lists

InputDevices::InputDevices()
{
    mKeyboards.SetGrowBy(kDeviceListGrowBy);
    mMice.SetGrowBy(kDeviceListGrowBy);
    mJoysticks.SetGrowBy(kDeviceListGrowBy);
    mKeyEvents.SetGrowBy(kKeyEventQueueCapacity);
    mKeyEvents.SetCapacity(kKeyEventQueueCapacity, 0);
}

KeyboardDevice* InputDevices::AddKeyboard() { return mKeyboards.AppendNew(); }
MouseDevice* InputDevices::AddMouse() { return mMice.AppendNew(); }
JoystickDevice* InputDevices::AddJoystick() { return mJoysticks.AppendNew(); }

namespace {

template <typename Device, typename AddFn>
bool EnsureDevice(PtrArray<Device>& list, int32_t index, AddFn add)
{
    if (index < 0 || index >= kMaxInputDevices) return false;
    while (list.Count() <= index)
        if (!add()) return false;
    return list[index] != nullptr;
}

} // namespace

bool InputDevices::EnsureKeyboard(int32_t index)
{
    return EnsureDevice(mKeyboards, index, [this] { return AddKeyboard(); });
}

bool InputDevices::EnsureMouse(int32_t index)
{
    return EnsureDevice(mMice, index, [this] { return AddMouse(); });
}

bool InputDevices::EnsureJoystick(int32_t index)
{
    return EnsureDevice(mJoysticks, index, [this] { return AddJoystick(); });
}

void InputDevices::HandleEvent(const InputEvent& e)
{
    switch (e.mType) {
    case InputEvent::kKeyDown:
    case InputEvent::kKeyUp:
        // The page views get every key event, also those of devices we do not track.
        AppendKeyEvent(e.mRawKey);
        if (!EnsureKeyboard(e.mDevice)) return;
        if (e.mType == InputEvent::kKeyDown) mKeyboards[e.mDevice]->OnKeyDown(e.mCode);
        else mKeyboards[e.mDevice]->OnKeyUp(e.mCode);
        return;
    case InputEvent::kMouseButtonDown:
        if (!EnsureMouse(e.mDevice)) return;
        if (e.mCode == kMouseWheelUp || e.mCode == kMouseWheelDown) mMice[e.mDevice]->OnWheel(e.mCode);
        else if (e.mCode >= 0 && e.mCode <= 3) mMice[e.mDevice]->OnButtonDown(e.mCode, e.mTimeMs);
        return;
    case InputEvent::kMouseButtonUp:
        if (EnsureMouse(e.mDevice)) mMice[e.mDevice]->OnButtonUp(e.mCode);
        return;
    case InputEvent::kMouseMotion:
        if (EnsureMouse(e.mDevice)) mMice[e.mDevice]->OnMotion(e.mX, e.mY);
        return;
    case InputEvent::kJoyButtonDown:
        if (EnsureJoystick(e.mDevice)) mJoysticks[e.mDevice]->OnButtonDown(e.mCode);
        return;
    case InputEvent::kJoyButtonUp:
        if (EnsureJoystick(e.mDevice)) mJoysticks[e.mDevice]->OnButtonUp(e.mCode);
        return;
    case InputEvent::kJoyAxis:
        if (EnsureJoystick(e.mDevice)) mJoysticks[e.mDevice]->OnAxis(e.mCode, static_cast<int16_t>(e.mX));
        return;
    case InputEvent::kJoyBall:
        if (EnsureJoystick(e.mDevice)) mJoysticks[e.mDevice]->OnBall(e.mCode, e.mX, e.mY);
        return;
    case InputEvent::kJoyHat:
        if (EnsureJoystick(e.mDevice)) mJoysticks[e.mDevice]->OnHat(e.mCode, static_cast<uint8_t>(e.mX));
        return;
    case InputEvent::kNone:
        return;
    }
}

void InputDevices::AppendKeyEvent(const KeyEventRecord& record)
{
    mKeyEvents.PushBack(record);
}

void InputDevices::EndFrame()
{
    for (int32_t i = mKeyboards.Count() - 1; i >= 0; --i) mKeyboards[i]->EndFrame();
    for (int32_t i = mMice.Count() - 1; i >= 0; --i) mMice[i]->EndFrame();
    for (int32_t i = 0; i < mJoysticks.Count(); ++i) mJoysticks[i]->EndFrame();
    mKeyEvents.Clear();
}

// ---------------------------------------------------------------------------------------------
// Queries

template <typename Device, typename Test>
bool InputDevices::AnyDevice(const PtrArray<Device>& list, int32_t index, Test test)
{
    if (index >= list.Count()) return false;
    if (index >= 0) return test(*list[index]);
    for (int32_t i = 0; i < list.Count(); ++i)
        if (test(*list[i])) return true;
    return false;
}

bool InputDevices::IsKeyDown(int32_t index, int32_t key) const
{
    return AnyDevice(mKeyboards, index, [key](const KeyboardDevice& k) { return k.IsHeld(key) || k.WentDown(key); });
}

bool InputDevices::IsKeyPressed(int32_t index, int32_t key) const
{
    return AnyDevice(mKeyboards, index, [key](const KeyboardDevice& k) { return k.WentDown(key); });
}

bool InputDevices::IsKeyReleased(int32_t index, int32_t key) const
{
    return AnyDevice(mKeyboards, index, [key](const KeyboardDevice& k) { return k.WentUp(key); });
}

bool InputDevices::IsKeyPressedOrRepeated(int32_t index, int32_t key) const
{
    return AnyDevice(mKeyboards, index,
                     [key](const KeyboardDevice& k) { return k.WentDown(key) || k.Repeated(key); });
}

bool InputDevices::IsAnyKeyDown(int32_t index) const
{
    return AnyDevice(mKeyboards, index, [](const KeyboardDevice& k) { return k.HasAnyKeyActivity(); });
}

bool InputDevices::IsComboPressed(int32_t index, int32_t key1, int32_t key2, int32_t key3) const
{
    return AnyDevice(mKeyboards, index,
                     [=](const KeyboardDevice& k) { return k.MatchesPressedCombo(key1, key2, key3); });
}

bool InputDevices::IsComboDown(int32_t index, int32_t key1, int32_t key2, int32_t key3) const
{
    return AnyDevice(mKeyboards, index,
                     [=](const KeyboardDevice& k) { return k.MatchesHeldCombo(key1, key2, key3); });
}

bool InputDevices::IsComboReleased(int32_t index, int32_t key1, int32_t key2, int32_t key3) const
{
    return AnyDevice(mKeyboards, index,
                     [=](const KeyboardDevice& k) { return k.MatchesReleasedCombo(key1, key2, key3); });
}

bool InputDevices::AnyMouseFlag(int32_t index, int32_t b, MouseFlag flag) const
{
    return MouseDevice::IsValidButton(b) &&
           AnyDevice(mMice, index, [b, flag](const MouseDevice& m) { return (m.*flag)[b] != 0; });
}

bool InputDevices::IsMouseButtonDown(int32_t index, int32_t b) const
{
    return AnyMouseFlag(index, b, &MouseDevice::mHeld) || AnyMouseFlag(index, b, &MouseDevice::mWentDown);
}

bool InputDevices::IsMouseButtonPressed(int32_t index, int32_t b) const
{
    return AnyMouseFlag(index, b, &MouseDevice::mWentDown);
}

bool InputDevices::IsMouseButtonReleased(int32_t index, int32_t b) const
{
    return AnyMouseFlag(index, b, &MouseDevice::mWentUp);
}

bool InputDevices::IsMouseButtonDoubleClicked(int32_t index, int32_t b) const
{
    return AnyMouseFlag(index, b, &MouseDevice::mDoubleClicked);
}

bool InputDevices::IsMouseButtonClicked(int32_t index, int32_t b) const
{
    return AnyMouseFlag(index, b, &MouseDevice::mClicked);
}

bool InputDevices::IsMouseDragging(int32_t index, int32_t b) const
{
    return MouseDevice::IsValidButton(b) &&
           AnyDevice(mMice, index, [b](const MouseDevice& m) { return m.mHeld[b] && m.mDragging[b]; });
}

bool InputDevices::IsMouseButtonUp(int32_t index, int32_t b) const
{
    return !AnyMouseFlag(index, b, &MouseDevice::mHeld);
}

const MouseDevice* InputDevices::GetSingleMouse(int32_t index) const
{
    return (index >= 0 && index < mMice.Count()) ? mMice[index] : nullptr;
}

VectorI InputDevices::GetMousePosition(int32_t index) const
{
    const MouseDevice* m = GetSingleMouse(index);
    return m ? m->mPosition : VectorI{};
}

VectorF InputDevices::GetMouseMotion(int32_t index) const
{
    const MouseDevice* m = GetSingleMouse(index);
    return m ? m->GetMotionVector() : VectorF{};
}

int32_t InputDevices::GetMouseWheel(int32_t index) const
{
    const MouseDevice* m = GetSingleMouse(index);
    return m ? m->mWheel : 0;
}

bool InputDevices::HasMouseMoved(int32_t index) const
{
    const MouseDevice* m = GetSingleMouse(index);
    return m && m->mMoved != 0;
}

int32_t InputDevices::GetKeyboardCount() const { return mKeyboards.Count(); }
int32_t InputDevices::GetMouseCount() const { return mMice.Count(); }
int32_t InputDevices::GetJoystickCount() const { return mJoysticks.Count(); }

KeyboardDevice* InputDevices::GetKeyboard(int32_t index) const
{
    return (index >= 0 && index < mKeyboards.Count()) ? mKeyboards[index] : nullptr;
}

MouseDevice* InputDevices::GetMouse(int32_t index) const
{
    return (index >= 0 && index < mMice.Count()) ? mMice[index] : nullptr;
}

JoystickDevice* InputDevices::GetJoystick(int32_t index) const
{
    return (index >= 0 && index < mJoysticks.Count()) ? mJoysticks[index] : nullptr;
}

} // namespace KIV
