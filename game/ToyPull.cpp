#include "game/GameKeys.h"
#include "game/KIVGame.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"

namespace KIV {

namespace {

bool IsLeftButtonHeld(const InputDevices& in) { return in.IsMouseButtonDown(0, 1) || in.IsMouseButtonPressed(0, 1); }

// The whole robot follows the mouse with its mean toy position, its own particle systems with it.
void MoveRobotTo(Robot& robot, const VectorF& point, SpatialGrid& grid)
{
    const Array<Toy*>& toys = robot.GetToys();
    if (toys.Count() == 0) return;
    VectorF mean;
    for (const Toy* toy : toys) mean += toy->GetPosition();
    mean = mean / float(toys.Count());
    const VectorF offset = point - mean;
    for (Toy* toy : toys) {
        toy->MoveTo(toy->GetPosition() + offset, toy->GetOrientation(), &grid);
        toy->Wake();
    }
    for (int32_t i = 0; i < robot.GetParticleSystemCount(); ++i) {
        ParticleSystem* system = robot.GetParticleSystem(i);
        if (!system || system->IsLinkedToToy()) continue;
        const VectorF p = system->GetPosition() + offset;
        system->SetPositionX(p.mX);
        system->SetPositionY(p.mY);
    }
}

} // namespace

bool KIVGame::IsEditWindowUnderMouse() const
{
    if (mEditWindows.IsAllHidden()) return false;
    for (int32_t i = 0; i < mEditWindows.GetWindowCount(); ++i) {
        const EditWindow* w = mEditWindows.GetWindow(i);
        if (w && w->IsVisible() && !w->IsInOwnWindow() && w->HitTest(mMousePosition)) return true;
    }
    return false;
}

// Pulling runs once per physics step, not once per drawn frame, so a pull
// is as strong at 20 frames a second as at 200; and only in the modes whose
// left button means nothing else, so a terrain drag does not also drag the
// selected toy along.
bool KIVGame::IsToyPullActive() const
{
    if (mGameMode) return false;
    if (mEditMode != kEditModeScene && mEditMode != kEditModeObject && mEditMode != kEditModeTests) return false;
    return !IsEditWindowUnderMouse();
}

void KIVGame::HandleToyPullInput()
{
    const InputDevices& in = mInput;
    Toy* toy = mToys.GetSelected();
    const bool ctrl = in.IsKeyDown(0, Key::kLCtrl) || in.IsKeyDown(0, Key::kRCtrl);
    const bool shift = in.IsKeyDown(0, Key::kLShift) || in.IsKeyDown(0, Key::kRShift);
    // While paused a pull would pile up with no step to spend it.
    if (toy && !mPaused && !ctrl && IsLeftButtonHeld(in)) toy->PullTest(mMouseWorld, shift);
    if (toy && in.IsKeyDown(0, Key::Letter('i'))) {
        if (!toy->mOwningRobot) {
            toy->SetPlacement(mMouseWorld, toy->GetOrientation(), false);
            mGrid.UpdateToy(*toy);
        } else {
            MoveRobotTo(*toy->mOwningRobot, mMouseWorld, mGrid);
        }
    }
    if (!mPaused && in.IsKeyDown(0, Key::Letter('u')))
        for (Toy* t : mToys) t->PullTest(mMouseWorld, false);
}

} // namespace KIV
