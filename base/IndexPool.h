#pragma once
#include <cstdint>
#include "base/Array.h"

namespace KIV {

// Hands out the slot indices of a fixed-size table, so objects can live in
// fixed tables and be visited in a stable order while others come and go.
// Used slots form a chain from head (newest) by next to tail (oldest); a
// released slot is the next one handed out.
class IndexPool {
public:
    // All N slots free. The storage never shrinks on a re-init.
    bool Init(int32_t capacity);
    // A free slot, or -1 when all N are in use.
    int32_t Allocate();
    // Gives a slot back and answers the slot after it in the walk from head,
    // so a walk can release the current slot and go on; -1 at the end of the
    // walk. A slot out of range or not in use is refused with -1 and changes
    // nothing: a second release would otherwise put the slot on the free
    // chain twice and hand it to two owners.
    int32_t Release(int32_t slot);

    int32_t GetHead() const { return mHead; }
    int32_t GetTail() const { return mTail; }
    int32_t GetNext(int32_t slot) const { return mSlots[slot].mNext; }
    int32_t GetPrev(int32_t slot) const { return mSlots[slot].mPrev; }
    int32_t GetUsedCount() const { return mUsedCount; }
    int32_t GetCapacity() const { return mSlots.Count() > 0 ? mSlots.Count() - 1 : 0; }
    bool IsInUse(int32_t slot) const { return slot >= 0 && slot < GetCapacity() && mSlots[slot].mInUse != 0; }

private:
    struct Slot {
        int32_t mNext;
        int32_t mPrev;
        uint8_t mInUse;
    };

    // One slot more than the capacity: the free chain ends on it, and it is never handed out.
    Array<Slot> mSlots;
    int32_t mFreeHead = 0;
    int32_t mHead = -1;
    int32_t mTail = -1;
    int32_t mUsedCount = 0;
};

// Many short lists of integer values, one per bucket, in one growable node
// pool. Lists are walked from the bucket's head by next, newest first.
class BucketList {
public:
    struct Node {
        int32_t mValue;
        int32_t mPrev;
        int32_t mNext;
    };

    // Sizes the pool to nodeCount nodes, all free, and empties every bucket.
    bool Init(int32_t nodeCount, int32_t bucketCount);
    // False for a bucket out of range or when the pool cannot grow.
    bool PushFront(int32_t value, int32_t bucket);
    // Adds growBy nodes to the end of the free chain.
    bool Grow();

    int32_t GetBucketHead(int32_t bucket) const { return mBucketHeads[bucket]; }
    int32_t GetNext(int32_t node) const { return mNodes[node].mNext; }
    int32_t GetValue(int32_t node) const { return mNodes[node].mValue; }
    int32_t GetBucketCount() const { return mBucketHeads.Count(); }
    int32_t GetNodeCount() const { return mNodes.Count(); }
    void SetGrowBy(int32_t growBy) { mNodes.SetGrowBy(growBy); }

private:
    void LinkFreeNodes(int32_t from, int32_t to);

    Array<Node> mNodes;
    int32_t mFreeHead = 0;
    Array<int32_t> mBucketHeads;
};

// Many short lists of node indices, one per integer key, in one node pool of
// fixed size. A node's index is its payload: the user keeps a table indexed by
// node beside the pool. Nodes are not given back one by one; Init empties all.
class KeyedListPool {
public:
    // nodeCount free nodes and keyCount empty lists; storage never shrinks.
    bool Init(int32_t nodeCount, int32_t keyCount);
    // A node put at the front of the key's list, or -1 when all nodes are
    // handed out or the key is out of range (nothing changes then).
    int32_t Add(int32_t key);

    int32_t GetHead(int32_t key) const { return mHeads[key]; }
    int32_t GetNext(int32_t node) const { return mNodes[node].mNext; }
    int32_t GetKeyCount() const { return mHeads.Count(); }

private:
    struct Node {
        int32_t mNext;
        int32_t mPrev;
    };

    // One node more than the pool holds: the free chain ends on it.
    Array<Node> mNodes;
    Array<int32_t> mHeads;
    int32_t mFreeHead = 0;
};

} // namespace KIV
