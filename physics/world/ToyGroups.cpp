#include "physics/world/ToyGroups.h"
#include "base/WorkTeam.h"
#include "physics/toys/Toy.h"

namespace KIV {

void ToyGroups::Prepare(int32_t count)
{
    if (mIndexOfSlot.Count() < Toy::kMaxToys) {
        mIndexOfSlot.Resize(Toy::kMaxToys);
        mIndexOfSlot.FillMinusOne();
    }
    mParent.Resize(count);
    for (int32_t i = 0; i < count; ++i) mParent[i] = -1;
}

void ToyGroups::Enter(int32_t index, const Toy* toy)
{
    mParent[index] = index;
    if (toy->mSlotIndex >= 0 && toy->mSlotIndex < Toy::kMaxToys) mIndexOfSlot[toy->mSlotIndex] = index;
}

int32_t ToyGroups::IndexOf(const Toy* toy) const
{
    if (!toy || toy->mSlotIndex < 0 || toy->mSlotIndex >= Toy::kMaxToys) return -1;
    const int32_t i = mIndexOfSlot[toy->mSlotIndex];
    return i >= 0 && i < mParent.Count() && (*mToys)[i] == toy ? i : -1;
}

int32_t ToyGroups::Find(int32_t i)
{
    while (mParent[i] != i) i = mParent[i] = mParent[mParent[i]];
    return i;
}

void ToyGroups::Join(int32_t a, int32_t b)
{
    // Each group's root is its first toy in the list.
    a = Find(a);
    b = Find(b);
    if (a < b)
        mParent[b] = a;
    else if (b < a)
        mParent[a] = b;
}

void ToyGroups::Link(int32_t a, int32_t b)
{
    Join(a, b);
    mLinks.PushBack(a);
    mLinks.PushBack(b);
}

void ToyGroups::Finish(const PtrArray<Toy>& toys)
{
    const int32_t n = mParent.Count();
    for (int32_t i = 0; i < n; ++i)
        if (mParent[i] >= 0 && toys[i]->mSlotIndex >= 0 && toys[i]->mSlotIndex < Toy::kMaxToys)
            mIndexOfSlot[toys[i]->mSlotIndex] = -1;
    mGroupOf.Resize(n);
    mStart.Clear();
    mStart.PushBack(0);
    for (int32_t i = 0; i < n; ++i) {
        if (mParent[i] < 0) continue;
        const int32_t root = Find(i);
        if (root == i) mStart.PushBack(0);
        mGroupOf[i] = root == i ? mStart.Count() - 2 : mGroupOf[root];
        ++mStart[mGroupOf[i] + 1];
    }
    const int32_t groups = mStart.Count() - 1;
    for (int32_t g = 0; g < groups; ++g) mStart[g + 1] += mStart[g];
    mMembers.Resize(mStart[groups]);
    mFill.Resize(groups);
    for (int32_t g = 0; g < groups; ++g) mFill[g] = mStart[g];
    mMemberOf.Resize(n);
    for (int32_t i = 0; i < n; ++i)
        if (mParent[i] >= 0) {
            mMemberOf[i] = mFill[mGroupOf[i]]++;
            mMembers[mMemberOf[i]] = toys[i];
        }
    FinishWaits();
}

void ToyGroups::FinishWaits()
{
    // Members follow the list order inside their group, and linked toys
    // share one: the later toy of a link is the later member.
    const int32_t members = mMembers.Count();
    mWaitStart.Resize(members + 1);
    mWaitStart.FillZero();
    const int32_t links = mLinks.Count();
    for (int32_t k = 0; k < links; k += 2) {
        const int32_t a = mMemberOf[mLinks[k]], b = mMemberOf[mLinks[k + 1]];
        if (a != b) ++mWaitStart[(a > b ? a : b) + 1];
    }
    for (int32_t m = 0; m < members; ++m) mWaitStart[m + 1] += mWaitStart[m];
    mWaits.Resize(mWaitStart[members]);
    mFill.Resize(members);
    for (int32_t m = 0; m < members; ++m) mFill[m] = mWaitStart[m];
    for (int32_t k = 0; k < links; k += 2) {
        const int32_t a = mMemberOf[mLinks[k]], b = mMemberOf[mLinks[k + 1]];
        if (a != b) mWaits[mFill[a > b ? a : b]++] = a > b ? b : a;
    }
}

void ToyGroups::BeginRun()
{
    const int32_t members = mMembers.Count();
    if (members > mDoneCapacity) {
        mDoneCapacity = members + members / 2;
        mDone = std::make_unique<std::atomic<uint32_t>[]>(static_cast<size_t>(mDoneCapacity));
        for (int32_t m = 0; m < mDoneCapacity; ++m) mDone[m].store(0, std::memory_order_relaxed);
        mRun = 0;
    }
    // Stamps of a run long past could match again only after 2^32 runs;
    // starting over clears them first.
    if (++mRun == 0) {
        for (int32_t m = 0; m < mDoneCapacity; ++m) mDone[m].store(0, std::memory_order_relaxed);
        mRun = 1;
    }
}

void ToyGroups::WaitForEarlier(int32_t member)
{
    for (int32_t k = mWaitStart[member]; k < mWaitStart[member + 1]; ++k) {
        std::atomic<uint32_t>& done = mDone[mWaits[k]];
        for (uint32_t seen = done.load(std::memory_order_acquire); seen != mRun;)
            seen = WorkTeam::WaitWhileEqual(done, seen, mSleepers);
    }
}

void ToyGroups::MarkDone(int32_t member)
{
    mDone[member].store(mRun, std::memory_order_seq_cst);
    if (mSleepers.load() > 0) mDone[member].notify_all();
}

} // namespace KIV
