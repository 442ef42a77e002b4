#pragma once
#include <cstdint>
#include "base/Array.h"

namespace KIV {

// Max-heap of the inner edges longer than a threshold, by squared length: its
// top is exactly the edge a scan in index order would pick (the longest, the
// lowest index among equals) whenever that edge is longer than the threshold,
// and there is none when no edge is. So the mesh does not depend on whether
// the heap or a scan chose, and edges that can never be chosen cost nothing.
//
// A changed edge is filed again with its new length; entries whose length is
// no longer the edge's are dropped when they reach the top.
class EdgeLengthHeap {
public:
    explicit EdgeLengthHeap(float threshold = 0.0f) : mThreshold(threshold) {}
    void SetThreshold(float threshold) { mThreshold = threshold; }
    // Files a new or changed edge; false when memory runs out.
    bool Set(int32_t edge, float lengthSquared);
    // The longest edge above the threshold, or -1.
    int32_t Top();

private:
    struct Entry {
        float mKey;
        int32_t mEdge;
    };
    // Four children a node: half the levels of a binary heap, and the
    // children of a node share a cache line.
    static constexpr int32_t kArity = 4;
    static bool Before(const Entry& a, const Entry& b)
    {
        return a.mKey > b.mKey || (a.mKey == b.mKey && a.mEdge < b.mEdge);
    }
    void PopTop();

    float mThreshold;
    Array<Entry> mHeap;  // best first
    Array<float> mKey;   // per edge: its squared length now, -1 before it is filed
};

} // namespace KIV
