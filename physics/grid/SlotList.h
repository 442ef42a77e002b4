#pragma once
#include <cstdint>
#include "base/Array.h"

namespace KIV {

// One link of a chain node into one grid cell. Free entries are chained
// through mNextInCell.
struct SlotCellEntry {
    int32_t mNode = -1;
    int32_t mPrevInCell = -1;
    int32_t mNextInCell = -1;
    int32_t mNextOfNode = -1;
    int32_t mCell = -1;
};

// One segment of an object (a terrain edge or a toy outline edge). Free nodes
// are chained through mNext.
struct SlotChainNode {
    int32_t mPrev = -1;
    int32_t mNext = -1;
    int32_t mFirstEntry = -1;
};

// One inserted object: its user value and its chain of nodes.
struct SlotObject {
    int32_t mUserValue = 0;
    int32_t mFirstNode = -1;
    int32_t mNodeCount = 0;
    int32_t mPrev = -1;
    int32_t mNext = -1;
    int32_t mInUse = 0;
};

// The spatial grid's object store: objects own chains of nodes, and every
// node is linked into the cells its segment covers. All links are indices,
// so the tables can grow without invalidating anything but raw pointers.
class SlotList {
public:
    // Cell heads for cellCount cells; the other tables start with room for
    // capacity records (at least 2).
    bool Init(int32_t cellCount, int32_t capacity);

    // A new object at the tail of the used list; -1 when the tables cannot grow.
    int32_t Alloc(int32_t userValue);
    // Drops the object's cell entries and nodes; false for an index that is
    // not an object in use (so a double release cannot corrupt the lists).
    bool Release(int32_t object);

    // Hangs n new nodes in front of the object's chain and returns the new
    // first node; -1 for n <= 0, a bad object, or failed growth.
    int32_t AllocateChain(int32_t object, int32_t n);
    // Returns every node of the object to the free chain (entries first).
    void ReleaseChain(int32_t object);
    // Links the node into a cell; -1 for a cell outside the grid.
    int32_t AddCellEntry(int32_t node, int32_t cell);
    void RemoveNodeCellEntries(int32_t node);
    void RemoveCellEntries(int32_t object);
    // Every object released, every cell empty; capacities kept.
    void Clear();

    // The pieces of AddCellEntry and RemoveNodeCellEntries for callers that
    // relink many nodes at once and plan which entry goes where themselves.
    // Unlinking and linking touch only the cell's list (and the entry), so
    // callers that own disjoint sets of cells may do them side by side.
    // Room for n more entries without growth; false when the table cannot grow.
    bool ReserveFreeEntries(int32_t n);
    // A free entry, counted as used; -1 when none is left.
    int32_t TakeFreeEntry();
    // An entry back to the free chain, no longer counted as used; it must no
    // longer be linked into its cell.
    void ReturnEntry(int32_t entry);
    // Takes the entry out of its cell's list; its own fields are left as they are.
    void UnlinkFromCell(int32_t entry);
    // Links the entry at the head of the cell's list as a link of the node,
    // after nextOfNode in the node's own list.
    void LinkAtCellHead(int32_t entry, int32_t node, int32_t cell, int32_t nextOfNode);
    void SetFirstEntry(int32_t node, int32_t entry) { mNodes[node].mFirstEntry = entry; }

    // A cell's change count moves on whenever an entry joins or leaves its
    // list, and when the owner reports that an object listed there changed
    // in place (TouchObjectCells). Whoever read a cell may keep its count and
    // trust what it read while the count is the same and the store was not
    // set up anew meanwhile: every Init takes an epoch no store has had.
    uint32_t GetCellChanges(int32_t cell) const { return mCellChanges[cell]; }
    uint64_t GetEpoch() const { return mEpoch; }
    void TouchObjectCells(int32_t object);

    bool IsObjectInUse(int32_t object) const
    {
        return object >= 0 && object < mObjects.Count() && mObjects[object].mInUse != 0;
    }
    const SlotObject& GetObject(int32_t object) const { return mObjects[object]; }
    const SlotChainNode& GetNode(int32_t node) const { return mNodes[node]; }
    const SlotCellEntry& GetEntry(int32_t entry) const { return mEntries[entry]; }
    int32_t GetCellHead(int32_t cell) const { return mCellHeads[cell]; }

    int32_t GetCellCount() const { return mCellHeads.Count(); }
    int32_t GetNodeCapacity() const { return mNodes.Count(); }
    int32_t GetObjectCapacity() const { return mObjects.Count(); }
    int32_t GetUsedEntryCount() const { return mUsedEntries; }
    int32_t GetUsedNodeCount() const { return mUsedNodes; }
    int32_t GetUsedObjectCount() const { return mUsedObjects; }
    // Last allocated object still in use; walk on with GetObject(o).mPrev.
    int32_t GetUsedTail() const { return mObjectTail; }

private:
    bool GrowEntries();
    bool GrowNodes(int32_t needed);
    bool GrowObjects();
    int32_t CountFreeNodes() const { return mNodes.Count() - mUsedNodes; }

    Array<int32_t> mCellHeads;
    Array<uint32_t> mCellChanges;
    uint64_t mEpoch = 0;
    Array<SlotCellEntry> mEntries;
    int32_t mFreeEntry = -1;
    int32_t mUsedEntries = 0;
    Array<SlotChainNode> mNodes;
    int32_t mFreeNode = -1;
    int32_t mUsedNodes = 0;
    Array<SlotObject> mObjects;
    int32_t mObjectTail = -1;
    int32_t mFreeObject = -1;
    int32_t mUsedObjects = 0;
};

} // namespace KIV
