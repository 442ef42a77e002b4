#include "physics/grid/SlotList.h"
#include <algorithm>
#include <atomic>

namespace KIV {

namespace {

// Tables double when they run out, so a busy scene reaches its size in a few
// steps and never grows again.
int32_t GrownSize(int32_t current, int32_t needed)
{
    int64_t size = std::max<int64_t>(current, 32);
    while (size < static_cast<int64_t>(current) + needed) size *= 2;
    return size > INT32_MAX / 2 ? -1 : static_cast<int32_t>(size);
}

// Epochs of every store of the process: a store set up anew, or a new store
// in the place of a destroyed one, never meets counts kept from before.
std::atomic<uint64_t> gEpochs{0};

} // namespace

bool SlotList::Init(int32_t cellCount, int32_t capacity)
{
    if (cellCount < 0) return false;
    capacity = std::max(capacity, 2);
    mEpoch = ++gEpochs;
    if (!mCellHeads.Resize(cellCount) || !mCellChanges.Resize(cellCount) || !mEntries.Resize(capacity) ||
        !mNodes.Resize(capacity) || !mObjects.Resize(capacity))
        return false;
    mCellHeads.FillMinusOne();
    for (uint32_t& changes : mCellChanges) changes = 0;
    for (int32_t i = 0; i < capacity; ++i) {
        mEntries[i] = SlotCellEntry{};
        mEntries[i].mNextInCell = i + 1 < capacity ? i + 1 : -1;
        mNodes[i] = SlotChainNode{};
        mNodes[i].mPrev = i - 1;
        mNodes[i].mNext = i + 1 < capacity ? i + 1 : -1;
        mObjects[i] = SlotObject{};
        mObjects[i].mNext = i + 1 < capacity ? i + 1 : -1;
    }
    mFreeEntry = 0;
    mUsedEntries = 0;
    mFreeNode = 0;
    mUsedNodes = 0;
    mFreeObject = 0;
    mObjectTail = -1;
    mUsedObjects = 0;
    return true;
}

void SlotList::Clear()
{
    Init(mCellHeads.Count(), std::max(mNodes.Count(), std::max(mEntries.Count(), mObjects.Count())));
}

bool SlotList::GrowEntries()
{
    int32_t old = mEntries.Count();
    int32_t size = GrownSize(old, 1);
    if (size < 0 || !mEntries.Resize(size)) return false;
    for (int32_t i = old; i < size; ++i) {
        mEntries[i] = SlotCellEntry{};
        mEntries[i].mNextInCell = i + 1 < size ? i + 1 : mFreeEntry;
    }
    mFreeEntry = old;
    return true;
}

bool SlotList::GrowNodes(int32_t needed)
{
    int32_t old = mNodes.Count();
    int32_t size = GrownSize(old, needed);
    if (size < 0 || !mNodes.Resize(size)) return false;
    for (int32_t i = old; i < size; ++i) {
        mNodes[i] = SlotChainNode{};
        mNodes[i].mPrev = i > old ? i - 1 : -1;
        mNodes[i].mNext = i + 1 < size ? i + 1 : mFreeNode;
    }
    if (mFreeNode >= 0) mNodes[mFreeNode].mPrev = size - 1;
    mFreeNode = old;
    return true;
}

bool SlotList::GrowObjects()
{
    int32_t old = mObjects.Count();
    int32_t size = GrownSize(old, 1);
    if (size < 0 || !mObjects.Resize(size)) return false;
    for (int32_t i = old; i < size; ++i) {
        mObjects[i] = SlotObject{};
        mObjects[i].mNext = i + 1 < size ? i + 1 : mFreeObject;
    }
    mFreeObject = old;
    return true;
}

int32_t SlotList::Alloc(int32_t userValue)
{
    if (mFreeObject < 0 && !GrowObjects()) return -1;
    int32_t o = mFreeObject;
    SlotObject& obj = mObjects[o];
    mFreeObject = obj.mNext;
    obj.mUserValue = userValue;
    obj.mFirstNode = -1;
    obj.mNodeCount = 0;
    obj.mInUse = 1;
    obj.mPrev = mObjectTail;
    obj.mNext = -1;
    if (mObjectTail >= 0) mObjects[mObjectTail].mNext = o;
    mObjectTail = o;
    ++mUsedObjects;
    return o;
}

bool SlotList::Release(int32_t object)
{
    if (!IsObjectInUse(object)) return false;
    ReleaseChain(object);
    SlotObject& obj = mObjects[object];
    if (obj.mPrev >= 0) mObjects[obj.mPrev].mNext = obj.mNext;
    if (obj.mNext >= 0) mObjects[obj.mNext].mPrev = obj.mPrev;
    if (mObjectTail == object) mObjectTail = obj.mPrev;
    obj = SlotObject{};
    obj.mNext = mFreeObject;
    mFreeObject = object;
    --mUsedObjects;
    return true;
}

int32_t SlotList::AllocateChain(int32_t object, int32_t n)
{
    if (n <= 0 || !IsObjectInUse(object)) return -1;
    if (CountFreeNodes() < n && !GrowNodes(n - CountFreeNodes())) return -1;
    SlotObject& obj = mObjects[object];
    for (int32_t k = 0; k < n; ++k) {
        int32_t node = mFreeNode;
        mFreeNode = mNodes[node].mNext;
        if (mFreeNode >= 0) mNodes[mFreeNode].mPrev = -1;
        SlotChainNode& nd = mNodes[node];
        nd.mPrev = -1;
        nd.mNext = obj.mFirstNode;
        nd.mFirstEntry = -1;
        if (obj.mFirstNode >= 0) mNodes[obj.mFirstNode].mPrev = node;
        obj.mFirstNode = node;
    }
    obj.mNodeCount += n;
    mUsedNodes += n;
    return obj.mFirstNode;
}

void SlotList::ReleaseChain(int32_t object)
{
    if (!IsObjectInUse(object)) return;
    RemoveCellEntries(object);
    SlotObject& obj = mObjects[object];
    int32_t node = obj.mFirstNode;
    while (node >= 0) {
        int32_t next = mNodes[node].mNext;
        mNodes[node].mPrev = -1;
        mNodes[node].mNext = mFreeNode;
        mNodes[node].mFirstEntry = -1;
        if (mFreeNode >= 0) mNodes[mFreeNode].mPrev = node;
        mFreeNode = node;
        node = next;
    }
    mUsedNodes -= obj.mNodeCount;
    obj.mFirstNode = -1;
    obj.mNodeCount = 0;
}

bool SlotList::ReserveFreeEntries(int32_t n)
{
    while (mEntries.Count() - mUsedEntries < n)
        if (!GrowEntries()) return false;
    return true;
}

int32_t SlotList::TakeFreeEntry()
{
    const int32_t e = mFreeEntry;
    if (e < 0) return -1;
    mFreeEntry = mEntries[e].mNextInCell;
    ++mUsedEntries;
    return e;
}

void SlotList::ReturnEntry(int32_t e)
{
    SlotCellEntry& entry = mEntries[e];
    entry = SlotCellEntry{};
    entry.mNextInCell = mFreeEntry;
    mFreeEntry = e;
    --mUsedEntries;
}

void SlotList::UnlinkFromCell(int32_t e)
{
    const SlotCellEntry& entry = mEntries[e];
    if (entry.mPrevInCell >= 0)
        mEntries[entry.mPrevInCell].mNextInCell = entry.mNextInCell;
    else
        mCellHeads[entry.mCell] = entry.mNextInCell;
    if (entry.mNextInCell >= 0) mEntries[entry.mNextInCell].mPrevInCell = entry.mPrevInCell;
    ++mCellChanges[entry.mCell];
}

void SlotList::LinkAtCellHead(int32_t e, int32_t node, int32_t cell, int32_t nextOfNode)
{
    SlotCellEntry& entry = mEntries[e];
    entry.mNode = node;
    entry.mCell = cell;
    entry.mPrevInCell = -1;
    entry.mNextInCell = mCellHeads[cell];
    if (entry.mNextInCell >= 0) mEntries[entry.mNextInCell].mPrevInCell = e;
    mCellHeads[cell] = e;
    entry.mNextOfNode = nextOfNode;
    ++mCellChanges[cell];
}

int32_t SlotList::AddCellEntry(int32_t node, int32_t cell)
{
    if (cell < 0 || cell >= mCellHeads.Count() || node < 0 || node >= mNodes.Count()) return -1;
    if (mFreeEntry < 0 && !GrowEntries()) return -1;
    const int32_t e = TakeFreeEntry();
    LinkAtCellHead(e, node, cell, mNodes[node].mFirstEntry);
    mNodes[node].mFirstEntry = e;
    return e;
}

void SlotList::RemoveNodeCellEntries(int32_t node)
{
    int32_t e = mNodes[node].mFirstEntry;
    while (e >= 0) {
        const int32_t nextOfNode = mEntries[e].mNextOfNode;
        UnlinkFromCell(e);
        ReturnEntry(e);
        e = nextOfNode;
    }
    mNodes[node].mFirstEntry = -1;
}

void SlotList::RemoveCellEntries(int32_t object)
{
    if (!IsObjectInUse(object)) return;
    for (int32_t node = mObjects[object].mFirstNode; node >= 0; node = mNodes[node].mNext)
        RemoveNodeCellEntries(node);
}

void SlotList::TouchObjectCells(int32_t object)
{
    if (!IsObjectInUse(object)) return;
    for (int32_t node = mObjects[object].mFirstNode; node >= 0; node = mNodes[node].mNext)
        for (int32_t e = mNodes[node].mFirstEntry; e >= 0; e = mEntries[e].mNextOfNode) ++mCellChanges[mEntries[e].mCell];
}

} // namespace KIV
