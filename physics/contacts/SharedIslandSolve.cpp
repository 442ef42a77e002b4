#include "physics/contacts/SharedIslandSolve.h"
#include <algorithm>
#include "base/FasterWay.h"
#include "base/Statistics.h"
#include "base/WorkTeam.h"
#include "physics/contacts/Contact.h"
#include "physics/contacts/Contacts.h"
#include "physics/world/GameSettings.h"
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"

namespace KIV {

namespace {

// Waits are short while every thread has a core of its own: the solve waited
// for is running on another one. When threads outnumber free cores it may
// belong to a thread that is not running at all; the waiter then sleeps until
// the flag moves, so its core goes to the threads that can work.
constexpr int32_t kSpinsBeforeSleep = 4096;

// Added to every done flag when the stop is decided: above any iteration
// count a waiter could wait for, and far from overflowing.
constexpr int32_t kStopRaise = 1 << 29;
constexpr int32_t kAllJudged = INT32_MAX;

// What the deal counts a wait for a solve on another thread, in contact records.
constexpr int64_t kHandOverCost = 4;

void PrefetchSolveData(const Toy& toy)
{
    __builtin_prefetch(&toy.mInverseMass);
    __builtin_prefetch(&toy.mVelocityAfterImpulses);
    __builtin_prefetch(toy.mLineContacts.Data());
    __builtin_prefetch(toy.mPointContacts.Data());
    __builtin_prefetch(toy.mPenetrationContacts.Data());
}

} // namespace

int32_t SolveIslandIterations(Toy* const* members, int32_t count, const GameSettings& settings, int32_t first)
{
    int32_t i = first;
    while (i < settings.mVelIterations) {
        bool solved = false;
        float largestSquared = 0.0f;
        for (int32_t k = 0; k < count; ++k) {
            // A large island outgrows the caches: the next member's toy and
            // contacts are fetched while this one is solved.
            if (k + 1 < count) PrefetchSolveData(*members[k + 1]);
            if (SolveToyContacts(*members[k], i == 0, largestSquared, settings)) solved = true;
        }
        if (!settings.mImmediateImpulses && solved)
            for (int32_t k = 0; k < count; ++k) ApplyPendingImpulses(*members[k]);
        ++i;
        if (largestSquared < settings.mMaxvABPSquared || !solved) break;
    }
    return i;
}

void SharedIslandSolve::LinkPredecessors(Toy* const* members, int32_t count)
{
    for (int32_t k = 0; k < count; ++k) {
        const int32_t slot = members[k]->mSlotIndex;
        if (slot < 0) continue;
        if (slot >= static_cast<int32_t>(mLocalOfSlot.size())) mLocalOfSlot.resize(slot + 1, -1);
        mLocalOfSlot[slot] = k;
    }
    // Toys outside the island (none, as islands are built) share one stand-in.
    const int32_t outside = count;
    auto localOf = [&](const Toy* toy) {
        const int32_t slot = toy->mSlotIndex;
        if (slot < 0 || slot >= static_cast<int32_t>(mLocalOfSlot.size())) return outside;
        const int32_t k = mLocalOfSlot[slot];
        return k >= 0 && members[k] == toy ? k : outside;
    };

    mLastSolve.assign(count + 1, -1);
    mPredStart.assign(count + 1, 0);
    mPreds.clear();
    mCost.assign(count, 1);
    mDepth.assign(count, 1);
    mDeepest = 0;
    mTouchesOutside = false;
    std::vector<int32_t>& firstSolve = mLastWriter;  // until the chain is walked
    firstSolve.assign(count + 1, -1);
    for (int32_t k = 0; k < count; ++k) {
        const Toy& toy = *members[k];
        mTouched.clear();
        auto touch = [&](const Toy* other) {
            if (!other) return;
            const int32_t t = localOf(other);
            if (std::find(mTouched.begin(), mTouched.end(), t) == mTouched.end()) mTouched.push_back(t);
        };
        touch(&toy);
        for (const ContactRecord& c : toy.mLineContacts) touch(c.mPartnerToy);
        for (const ContactRecord& c : toy.mPointContacts) touch(c.mPartnerToy);
        for (const PenetrationRecord& r : toy.mPenetrationContacts) touch(r.mPartner);
        for (const Joint* joint : toy.mJoints) {
            if (!joint) continue;
            touch(joint->mToyA);
            touch(joint->mToyB);
        }
        mCost[k] = 1 + toy.mLineContacts.Count() + toy.mPointContacts.Count() + toy.mPenetrationContacts.Count();

        mPredStart[k] = static_cast<int32_t>(mPreds.size());
        for (const int32_t t : mTouched) {
            const int32_t p = mLastSolve[t];
            mLastSolve[t] = k;
            if (t == outside) mTouchesOutside = true;
            if (p < 0) firstSolve[t] = k;
            if (p < 0 || std::find(mPreds.begin() + mPredStart[k], mPreds.end(), p) != mPreds.end()) continue;
            mPreds.push_back(p);
            mDepth[k] = std::max(mDepth[k], mDepth[p] + 1);
        }
        mDeepest = std::max(mDeepest, mDepth[k]);
    }
    mPredStart[count] = static_cast<int32_t>(mPreds.size());

    // Running ahead, the first solve of an iteration that touches a toy waits
    // for the last one that touched it in the iteration before.
    mWrapStart.assign(count + 1, 0);
    for (int32_t t = 0; t < count; ++t)
        if (firstSolve[t] >= 0 && mLastSolve[t] != firstSolve[t]) ++mWrapStart[firstSolve[t] + 1];
    for (int32_t k = 0; k < count; ++k) mWrapStart[k + 1] += mWrapStart[k];
    mWrapPreds.assign(mWrapStart[count], -1);
    mTouched.assign(mWrapStart.begin(), mWrapStart.end() - 1);
    for (int32_t t = 0; t < count; ++t)
        if (firstSolve[t] >= 0 && mLastSolve[t] != firstSolve[t]) mWrapPreds[mTouched[firstSolve[t]]++] = mLastSolve[t];
    mLastWriter.assign(mLastSolve.begin(), mLastSolve.begin() + count);

    for (int32_t k = 0; k < count; ++k) {
        const int32_t slot = members[k]->mSlotIndex;
        if (slot >= 0) mLocalOfSlot[slot] = -1;
    }
}

int32_t SharedIslandSolve::UsefulThreads(int32_t count) const
{
    // More threads than solves per step of the longest chain would only wait.
    const int32_t breadth = (count + mDeepest - 1) / std::max(mDeepest, 1) + 1;
    return std::max(1, std::min(WorkTeam::Shared().GetThreadCount(), breadth));
}

void SharedIslandSolve::Deal(int32_t count, int32_t threads)
{
    mFinish.assign(count, 0);
    mThreadOf.assign(count, 0);
    mThreadFree.assign(threads, 0);
    for (int32_t k = 0; k < count; ++k) {
        int32_t best = 0;
        int64_t bestStart = INT64_MAX;
        for (int32_t t = 0; t < threads; ++t) {
            int64_t start = mThreadFree[t];
            for (int32_t i = mPredStart[k]; i < mPredStart[k + 1]; ++i) {
                const int32_t p = mPreds[i];
                start = std::max(start, mFinish[p] + (mThreadOf[p] == t ? 0 : kHandOverCost));
            }
            if (start < bestStart) {
                bestStart = start;
                best = t;
            }
        }
        mThreadOf[k] = best;
        mFinish[k] = bestStart + mCost[k];
        mThreadFree[best] = mFinish[k];
    }
    // Each thread runs its solves in the order they were dealt, which is the
    // order of their planned starts.
    mDealStart.assign(threads + 1, 0);
    for (int32_t k = 0; k < count; ++k) ++mDealStart[mThreadOf[k] + 1];
    for (int32_t t = 0; t < threads; ++t) mDealStart[t + 1] += mDealStart[t];
    mDealt.assign(count, 0);
    std::vector<int64_t>& next = mThreadFree;
    next.assign(mDealStart.begin(), mDealStart.end() - 1);
    for (int32_t k = 0; k < count; ++k) mDealt[next[mThreadOf[k]]++] = k;

    mDone = std::vector<DoneFlag>(count);
    mResults = std::vector<ThreadResult>(2 * threads);
}

void SharedIslandSolve::WaitForIteration(DoneFlag& flag, int32_t iterations)
{
    int32_t spins = 0;
    for (int32_t seen = flag.mIterations.load(std::memory_order_acquire); seen < iterations;
         seen = flag.mIterations.load(std::memory_order_acquire)) {
        if (++spins < kSpinsBeforeSleep) {
            __builtin_ia32_pause();
            continue;
        }
        // Announced before the flag is checked once more inside the wait, so
        // the thread that raises it either sees a sleeper or is seen.
        mSleepers.fetch_add(1);
        flag.mIterations.wait(seen);
        mSleepers.fetch_sub(1);
    }
}

void SharedIslandSolve::RunSolves(Toy* const* members, int32_t thread, int32_t iteration, ThreadResult& result,
                                  const GameSettings& settings)
{
    for (int32_t d = mDealStart[thread]; d < mDealStart[thread + 1]; ++d) {
        const int32_t k = mDealt[d];
        for (int32_t i = mPredStart[k]; i < mPredStart[k + 1]; ++i) WaitForIteration(mDone[mPreds[i]], iteration + 1);
        if (SolveToyContacts(*members[k], iteration == 0, result.mLargest, settings)) result.mSolved = true;
        mDone[k].mIterations.store(iteration + 1);
        if (mSleepers.load() > 0) mDone[k].mIterations.notify_all();
    }
}

int32_t SharedIslandSolve::RunTeam(Toy* const* members, int32_t count, int32_t threads, const GameSettings& settings)
{
    mIterationsRun = 0;
    Deal(count, threads);
    WorkTeam::Barrier barrier(threads);
    const bool together = WorkTeam::Shared().Together(threads, [&](int32_t thread, int32_t team) {
        for (int32_t iteration = 0; iteration < settings.mVelIterations; ++iteration) {
            ThreadResult* results = &mResults[(iteration & 1) * team];
            results[thread] = ThreadResult();
            RunSolves(members, thread, iteration, results[thread], settings);
            barrier.Arrive();
            float largest = 0.0f;
            bool solved = false;
            for (int32_t t = 0; t < team; ++t) {
                if (results[t].mLargest > largest) largest = results[t].mLargest;
                if (results[t].mSolved) solved = true;
            }
            if (!settings.mImmediateImpulses && solved) {
                for (int32_t k = thread; k < count; k += team) ApplyPendingImpulses(*members[k]);
                barrier.Arrive();
            }
            if (thread == 0) mIterationsRun = iteration + 1;
            if (largest < settings.mMaxvABPSquared || !solved) break;
        }
    });
    return together ? mIterationsRun : SolveIslandIterations(members, count, settings);
}

bool SharedIslandSolve::AwaitJudged(int32_t iteration)
{
    for (int32_t judged = mJudged.load(std::memory_order_acquire); judged <= iteration;
         judged = mJudged.load(std::memory_order_acquire))
        WorkTeam::WaitWhileEqual(mJudged, judged, mJudgedSleepers);
    return mStopAt.load(std::memory_order_acquire) < 0;
}

bool SharedIslandSolve::RunSolvesAhead(Toy* const* members, int32_t thread, int32_t iteration, ThreadResult& result,
                                       const GameSettings& settings)
{
    const int32_t slot = iteration % mSlots;
    for (int32_t d = mDealStart[thread]; d < mDealStart[thread + 1]; ++d) {
        const int32_t k = mDealt[d];
        for (int32_t i = mPredStart[k]; i < mPredStart[k + 1]; ++i) WaitForIteration(mDone[mPreds[i]], iteration + 1);
        if (iteration > 0)
            for (int32_t i = mWrapStart[k]; i < mWrapStart[k + 1]; ++i) WaitForIteration(mDone[mWrapPreds[i]], iteration);
        // A stop raises every flag, so a wait may have ended without its
        // predecessor: nothing more may be solved then.
        if (mStopAt.load(std::memory_order_acquire) >= 0) return false;
        if (SolveToyContacts(*members[k], iteration == 0, result.mLargest, settings)) result.mSolved = true;
        ++result.mSolves;
        mSnapshots.Save(k, slot);
        // An addition, not a store: it never lowers a flag that a stop raised.
        mDone[k].mIterations.fetch_add(1, std::memory_order_release);
        if (mSleepers.load() > 0) mDone[k].mIterations.notify_all();
    }
    return true;
}

void SharedIslandSolve::Arrive(int32_t iteration, int32_t team, const GameSettings& settings)
{
    const int32_t slot = iteration % mSlots;
    if (mArrivals[slot].mThreads.fetch_add(1, std::memory_order_acq_rel) + 1 < team) return;
    // Every thread is done with the iteration: this one judges it. The slot's
    // next iteration cannot start before the judgement is out.
    mArrivals[slot].mThreads.store(0, std::memory_order_relaxed);
    float largest = 0.0f;
    bool solved = false;
    for (int32_t t = 0; t < team; ++t) {
        const ThreadResult& r = mResults[slot * team + t];
        if (r.mLargest > largest) largest = r.mLargest;
        if (r.mSolved) solved = true;
    }
    if (largest < settings.mMaxvABPSquared || !solved) {
        StopAfter(iteration);
    } else if (iteration + 1 < settings.mVelIterations && GivesUp(iteration + 1)) {
        mGaveUp = true;
        StopAfter(iteration);
    } else {
        mJudged.store(iteration + 1);
        if (mJudgedSleepers.load() > 0) mJudged.notify_all();
    }
}

bool SharedIslandSolve::GivesUp(int32_t iterations) const
{
    if (mGiveUpAfter >= 0) return iterations >= mGiveUpAfter;
    // One iteration's grace: a single stall while the threads start up is
    // no measure of the team.
    return mGiveUpSecondsPerIteration > 0.0 &&
           SteadySeconds() - mStart > mGiveUpSecondsPerIteration * static_cast<double>(iterations + 1);
}

void SharedIslandSolve::StopAfter(int32_t iteration)
{
    mStopAt.store(iteration, std::memory_order_release);
    // Threads waiting for solves that will now never run are let go.
    for (DoneFlag& flag : mDone) flag.mIterations.fetch_add(kStopRaise, std::memory_order_release);
    if (mSleepers.load() > 0)
        for (DoneFlag& flag : mDone) flag.mIterations.notify_all();
    mJudged.store(kAllJudged);
    if (mJudgedSleepers.load() > 0) mJudged.notify_all();
}

int32_t SharedIslandSolve::RunPipelined(Toy* const* members, int32_t count, int32_t threads,
                                        const GameSettings& settings)
{
    const int32_t iterations = settings.mVelIterations;
    mSlots = std::min(kLookAhead + 1, iterations);
    Deal(count, threads);
    mSnapshots.Plan(members, count, mLastWriter.data());
    mSnapshots.SetSlots(mSlots);
    mResults = std::vector<ThreadResult>(static_cast<size_t>(mSlots) * threads);
    mArrivals = std::vector<Arrivals>(mSlots);
    mJudged.store(0);
    mStopAt.store(-1);
    mGaveUp = false;
    const double alone = mWay.SecondsPerUnit(false);
    mGiveUpSecondsPerIteration = kGiveUpRatio * alone * count;
    mSolvesRun.assign(threads, 0);
    mStart = SteadySeconds();
    const bool together = WorkTeam::Shared().Together(threads, [&](int32_t thread, int32_t team) {
        int32_t solves = 0;
        for (int32_t iteration = 0; iteration < iterations; ++iteration) {
            if (iteration >= mSlots && !AwaitJudged(iteration - mSlots)) break;
            if (mStopAt.load(std::memory_order_acquire) >= 0) break;
            ThreadResult& result = mResults[(iteration % mSlots) * team + thread];
            result = ThreadResult();
            const bool going = RunSolvesAhead(members, thread, iteration, result, settings);
            solves += result.mSolves;
            if (!going) break;
            Arrive(iteration, team, settings);
        }
        mSolvesRun[thread] = solves;
    });
    if (!together) return SolveIslandIterations(members, count, settings);
    const int32_t stop = mStopAt.load();
    if (stop < 0 || stop + 1 == iterations) return iterations;
    mSnapshots.Restore(stop % mSlots);
    // The undone solves do not count either.
    int32_t solves = 0;
    for (const int32_t n : mSolvesRun) solves += n;
    StatAdd(kStatSolverStepsCount, (stop + 1) * count - solves);
    return mGaveUp ? SolveIslandIterations(members, count, settings, stop + 1) : stop + 1;
}

int32_t SharedIslandSolve::Run(Toy* const* members, int32_t count, const GameSettings& settings)
{
    if (count <= 0 || settings.mVelIterations <= 0) return 0;
    const double start = SteadySeconds();
    // The calling thread alone goes first: until its time is known, a team
    // that runs slow has nothing to give up against.
    bool team = mAlwaysTeam || (mWay.SecondsPerUnit(false) > 0.0 && mWay.PickTeam(count));
    bool ahead = false;
    int32_t threads = 1;
    if (team) {
        LinkPredecessors(members, count);
        // Gathered impulses are applied between iterations, which no
        // iteration may run ahead of; a toy outside the island would be
        // missing from the copies.
        ahead = mPipelined && settings.mImmediateImpulses && !mTouchesOutside && settings.mVelIterations < kStopRaise;
        const int32_t all = WorkTeam::Shared().GetThreadCount();
        // Running ahead, the breadth of several iterations is there to share.
        threads = mTeamThreads > 0 ? std::min(mTeamThreads, all)
                  : ahead          ? std::min(all, count)
                                   : UsefulThreads(count);
        team = threads > 1;
    }
    const int32_t iterations = !team ? SolveIslandIterations(members, count, settings)
                               : ahead ? RunPipelined(members, count, threads, settings)
                                       : RunTeam(members, count, threads, settings);
    if (iterations > 0) mWay.Record(team, (SteadySeconds() - start) / (static_cast<double>(iterations) * count));
    return iterations;
}

} // namespace KIV
