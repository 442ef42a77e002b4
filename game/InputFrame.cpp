#include "game/InputFrame.h"
#include "base/InputDevices.h"

namespace KIV {

namespace {
void SampleKey(KeyTriple& t, const InputDevices& d, int32_t key, bool clear, bool firstStep)
{
    bool wasDown = t.mIsDown != 0;
    if (clear) {
        t = {0, 0, static_cast<uint8_t>(wasDown)};
        return;
    }
    bool down = d.IsKeyDown(0, key) || d.IsKeyPressed(0, key);
    t.mIsDown = down;
    t.mWentDown = firstStep && d.IsKeyPressed(0, key);
    t.mWentUp = firstStep && d.IsKeyReleased(0, key);
}
} // namespace

void SampleInputFrame(InputFrame& frame, const InputDevices& devices, bool clear, bool firstStepOfFrame)
{
    struct {
        KeyTriple InputFrame::*triple;
        int32_t key;
    } const keys[] = {{&InputFrame::mW, kKeyW},         {&InputFrame::mS, kKeyS},   {&InputFrame::mA, kKeyA},
                      {&InputFrame::mD, kKeyD},         {&InputFrame::mSpace, kKeySpace},
                      {&InputFrame::mUp, kKeyUp},       {&InputFrame::mDown, kKeyDown}};
    for (const auto& k : keys) SampleKey(frame.*k.triple, devices, k.key, clear, firstStepOfFrame);

    KeyTriple& fire = frame.mFire;
    if (clear) {
        fire = {0, 0, fire.mIsDown};
        frame.mEWentDown = 0;
        frame.mQWentDown = 0;
        return;
    }
    bool fireDown = devices.IsMouseButtonDown(0, 1) || devices.IsKeyDown(0, kKeyReturn);
    bool firePressed = devices.IsMouseButtonPressed(0, 1) || devices.IsKeyPressed(0, kKeyReturn);
    bool fireReleased = devices.IsMouseButtonReleased(0, 1) || devices.IsKeyReleased(0, kKeyReturn);
    fire.mIsDown = fireDown || firePressed;
    fire.mWentDown = firstStepOfFrame && firePressed;
    fire.mWentUp = firstStepOfFrame && fireReleased;
    frame.mEWentDown = firstStepOfFrame && devices.IsKeyPressed(0, kKeyE);
    frame.mQWentDown = firstStepOfFrame && devices.IsKeyPressed(0, kKeyQ);
}

} // namespace KIV
