#include "base/IndexPool.h"
#include <algorithm>

namespace KIV {

namespace {

// Sizes an array to count elements without ever giving storage back, so a
// pool re-initialised every frame does not reallocate.
template <typename T>
bool SetCountKeepingStorage(Array<T>& array, int32_t count)
{
    return array.SetCapacity(std::max(count, array.Capacity()), count);
}

} // namespace

bool IndexPool::Init(int32_t capacity)
{
    if (capacity < 0 || capacity == INT32_MAX || !SetCountKeepingStorage(mSlots, capacity + 1)) return false;
    for (int32_t i = 0; i <= capacity; ++i) mSlots[i] = Slot{i + 1, i - 1, 0};
    mFreeHead = 0;
    mHead = mTail = -1;
    mUsedCount = 0;
    return true;
}

int32_t IndexPool::Allocate()
{
    if (mFreeHead >= mSlots.Count() - 1) return -1;
    int32_t s = mFreeHead;
    mFreeHead = mSlots[s].mNext;
    mSlots[mFreeHead].mPrev = -1;
    mSlots[s].mNext = mHead;
    mSlots[s].mPrev = -1;
    mSlots[s].mInUse = 1;
    if (mHead != -1) mSlots[mHead].mPrev = s;
    else mTail = s;
    mHead = s;
    ++mUsedCount;
    return s;
}

int32_t IndexPool::Release(int32_t slot)
{
    if (!IsInUse(slot)) return -1;
    Slot& s = mSlots[slot];
    int32_t next = s.mNext;
    if (s.mPrev != -1) mSlots[s.mPrev].mNext = s.mNext;
    else mHead = s.mNext;
    if (s.mNext != -1) mSlots[s.mNext].mPrev = s.mPrev;
    else mTail = s.mPrev;
    s.mPrev = -1;
    s.mNext = mFreeHead;
    s.mInUse = 0;
    mSlots[mFreeHead].mPrev = slot;
    mFreeHead = slot;
    --mUsedCount;
    return next;
}

void BucketList::LinkFreeNodes(int32_t from, int32_t to)
{
    for (int32_t i = from; i < to; ++i) mNodes[i] = Node{0, i - 1, i + 1};
}

bool BucketList::Init(int32_t nodeCount, int32_t bucketCount)
{
    if (nodeCount < 0 || bucketCount < 0) return false;
    if (!mNodes.SetCapacity(nodeCount, nodeCount) || !mBucketHeads.Resize(bucketCount)) return false;
    LinkFreeNodes(0, nodeCount);
    mFreeHead = 0;
    mBucketHeads.FillMinusOne();
    return true;
}

bool BucketList::Grow()
{
    if (mNodes.GetGrowBy() < 1) mNodes.SetGrowBy(1);
    int32_t oldCount = mNodes.Count();
    if (oldCount > INT32_MAX - mNodes.GetGrowBy()) return false;
    int32_t newCount = oldCount + mNodes.GetGrowBy();
    if (!mNodes.SetCapacity(newCount, newCount)) return false;
    LinkFreeNodes(oldCount, newCount);
    return true;
}

bool BucketList::PushFront(int32_t value, int32_t bucket)
{
    if (bucket < 0 || bucket >= mBucketHeads.Count()) return false;
    // The last node is never taken, so the node after the free head always
    // exists. A pool sized to no nodes may need more than one step for that.
    while (mFreeHead >= mNodes.Count() - 1)
        if (!Grow()) return false;
    int32_t n = mFreeHead;
    mFreeHead = mNodes[n].mNext;
    mNodes[mFreeHead].mPrev = -1;
    int32_t first = mBucketHeads[bucket];
    mNodes[n] = Node{value, -1, first};
    if (first != -1) mNodes[first].mPrev = n;
    mBucketHeads[bucket] = n;
    return true;
}

bool KeyedListPool::Init(int32_t nodeCount, int32_t keyCount)
{
    if (nodeCount < 0 || nodeCount == INT32_MAX || keyCount < 0) return false;
    if (!SetCountKeepingStorage(mHeads, keyCount) || !SetCountKeepingStorage(mNodes, nodeCount + 1)) return false;
    mHeads.FillMinusOne();
    for (int32_t i = 0; i <= nodeCount; ++i) mNodes[i] = Node{i + 1, i - 1};
    mFreeHead = 0;
    return true;
}

int32_t KeyedListPool::Add(int32_t key)
{
    if (key < 0 || key >= mHeads.Count() || mFreeHead >= mNodes.Count() - 1) return -1;
    int32_t f = mFreeHead;
    mFreeHead = mNodes[f].mNext;
    mNodes[mFreeHead].mPrev = -1;
    int32_t first = mHeads[key];
    mNodes[f] = Node{first, -1};
    if (first != -1) mNodes[first].mPrev = f;
    mHeads[key] = f;
    return f;
}

} // namespace KIV
