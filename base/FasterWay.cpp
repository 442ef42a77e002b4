#include "base/FasterWay.h"
#include <algorithm>
#include <chrono>
#include <cmath>

namespace KIV {

bool FasterWay::PickTeam(int64_t units)
{
    if (units > 0) {
        // A running mean, so that work whose size swings from run to run
        // (islands of different sizes by turns) is not taken for changed work.
        const double size = static_cast<double>(units);
        mMeanUnits = mMeanUnits == 0.0 ? size : mMeanUnits + 0.25 * (size - mMeanUnits);
        if (mUnits == 0.0) {
            mUnits = mMeanUnits;
        } else if (mMeanUnits >= kSizeChange * mUnits || mMeanUnits * kSizeChange <= mUnits) {
            // Retried not sooner than the first retry interval after the last
            // try, however often the size moves.
            mUnits = mMeanUnits;
            mRetryInterval = 0;
            mRunsUntilRetry = std::min(mRunsUntilRetry, std::max(1, kFirstRetryInterval - mRunsSinceRetry));
        }
    }
    const double alone = mSecondsPerUnit[0], team = mSecondsPerUnit[1];
    if (team == 0.0) return true;
    if (alone == 0.0) return false;
    const bool teamFaster = team <= alone;
    ++mRunsSinceRetry;
    if (--mRunsUntilRetry > 0) return teamFaster;
    mRunsSinceRetry = 0;
    return !teamFaster;
}

void FasterWay::Record(bool team, double secondsPerUnit)
{
    const bool wasFaster = mSecondsPerUnit[team] != 0.0 && mSecondsPerUnit[!team] != 0.0 &&
                           mSecondsPerUnit[team] <= mSecondsPerUnit[!team];
    // A retry replaces what the slower way measured long ago: the work and
    // the load on the cores may have changed since.
    double& mean = mSecondsPerUnit[team];
    mean = mean == 0.0 || !wasFaster ? secondsPerUnit : 0.5 * (mean + secondsPerUnit);
    if (mSecondsPerUnit[!team] == 0.0) return;
    const bool isFaster = mean <= mSecondsPerUnit[!team];
    // A retry that loses again waits twice as long for the next one.
    if (!wasFaster && !isFaster)
        mRetryInterval = std::min(2 * std::max(mRetryInterval, kFirstRetryInterval / 2), kLongestRetryInterval);
    else if (isFaster != wasFaster)
        mRetryInterval = kFirstRetryInterval;
    const double slower = std::max(mean, mSecondsPerUnit[!team]), faster = std::min(mean, mSecondsPerUnit[!team]);
    // A retry's loss in runs of the faster way; far past any useful interval,
    // the clamp keeps the count in range.
    if (faster > 0.0) {
        const double loss = std::min((slower - faster) / faster, 1e6);
        mRetryInterval = std::max(mRetryInterval, static_cast<int32_t>(std::ceil(loss * kRetryLossShare)));
    }
    if (mRunsUntilRetry <= 0) mRunsUntilRetry = mRetryInterval;
}

FasterWay& FasterWays::At(const CodePlace& where)
{
    // A handful of places, each looked up once per step: a short list is
    // the fastest table. The function's name is one string per place.
    const char* function = where.mFunction;
    const uint32_t line = where.mLine;
    for (Entry& e : mEntries)
        if (e.mLine == line && e.mFunction == function) return e.mWay;
    mEntries.push_back(Entry{function, line, FasterWay()});
    return mEntries.back().mWay;
}

double SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace KIV
