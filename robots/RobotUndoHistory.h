#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/MemoryStream.h"

namespace KIV {

class Robot;

// The robot editor's undo steps: each one the whole robot written as a robot
// stream just before a change. Bounded by count and by bytes, oldest dropped
// first, so a long editing session cannot eat the machine's memory.
class RobotUndoHistory {
public:
    static constexpr int32_t kMaxSteps = 256;
    static constexpr int64_t kMaxBytes = 64LL << 20;

    RobotUndoHistory() : mSteps(32) {}

    // Drops the steps that redo could reach, then appends a snapshot of the robot.
    bool Push(const Robot& robot);
    // The snapshot to restore for one undo, or null; moves the current index.
    // At the newest step the present state is pushed first, so redo can return to it.
    MemoryStream* TakeUndoStep(const Robot& robot);
    // The snapshot to restore for one redo, or null; moves the current index.
    MemoryStream* TakeRedoStep();

    bool CanUndo() const { return mCurrent >= 0 && mCurrent < mSteps.Count(); }
    bool CanRedo() const { return mCurrent < mSteps.Count() - 2; }
    int32_t GetCount() const { return mSteps.Count(); }
    int32_t GetCurrentIndex() const { return mCurrent; }
    int64_t GetBytes() const { return mBytes; }
    void Clear();

private:
    void DropOldestBeyondBounds();

    PtrArray<MemoryStream> mSteps;
    int32_t mCurrent = -1;
    int64_t mBytes = 0;
};

} // namespace KIV
