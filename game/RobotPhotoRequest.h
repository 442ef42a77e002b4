#pragma once
#include <functional>

namespace KIV {

class Robot;

// The robot whose thumbnail the main loop is to take. Every request raises
// the flag, the first one too: a robot saved for the first time must get its
// picture at once, not only when a second robot asks. The robot stays
// recorded after its photo and is forgotten only once it no longer exists.
class RobotPhotoRequest {
public:
    void Request(const Robot* robot)
    {
        if (!robot) return;
        mRobot = robot;
        mPending = true;
    }
    bool IsPending() const { return mPending; }
    const Robot* GetRecorded() const { return mRobot; }

    // The robot to photograph now, clearing the flag; null when nothing is
    // asked, or when the recorded robot has gone (it is dropped then).
    const Robot* Take(const std::function<bool(const Robot*)>& exists)
    {
        if (!mPending) return nullptr;
        mPending = false;
        if (!mRobot || !exists(mRobot)) {
            mRobot = nullptr;
            return nullptr;
        }
        return mRobot;
    }

private:
    const Robot* mRobot = nullptr;
    bool mPending = false;
};

} // namespace KIV
