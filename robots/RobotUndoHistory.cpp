#include "robots/RobotUndoHistory.h"
#include "robots/Robot.h"

namespace KIV {

void RobotUndoHistory::Clear()
{
    mSteps.DeleteAll();
    mCurrent = -1;
    mBytes = 0;
}

bool RobotUndoHistory::Push(const Robot& robot)
{
    for (int32_t i = mSteps.Count() - 1; i > mCurrent; --i) {
        mBytes -= mSteps[i]->GetSize();
        mSteps.DeleteAt(i);
    }
    int32_t at = mCurrent + 1;
    if (mCurrent < 0 || mCurrent > mSteps.Count() || mSteps.Count() == 0) at = mSteps.Count();
    MemoryStream* step = mSteps.InsertNew(at);
    if (!step) return false;
    mCurrent = at;
    robot.WriteToStream(*step);
    mBytes += step->GetSize();
    DropOldestBeyondBounds();
    return true;
}

void RobotUndoHistory::DropOldestBeyondBounds()
{
    // The newest step is always kept, however large.
    while (mSteps.Count() > 1 && (mSteps.Count() > kMaxSteps || mBytes > kMaxBytes)) {
        mBytes -= mSteps[0]->GetSize();
        mSteps.DeleteAt(0);
        --mCurrent;
    }
}

MemoryStream* RobotUndoHistory::TakeUndoStep(const Robot& robot)
{
    if (!CanUndo()) return nullptr;
    MemoryStream* target = mSteps[mCurrent];
    if (mCurrent == mSteps.Count() - 1 && !Push(robot)) return nullptr;
    // The push may have dropped the oldest steps, so find the target again.
    int32_t restore = mSteps.IndexOf(target);
    if (restore < 0) return nullptr;
    mCurrent = restore - 1;
    return target;
}

MemoryStream* RobotUndoHistory::TakeRedoStep()
{
    if (!CanRedo()) return nullptr;
    MemoryStream* step = mSteps[mCurrent + 2];
    ++mCurrent;
    return step;
}

} // namespace KIV
