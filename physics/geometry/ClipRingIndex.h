#pragma once
#include <cstdint>
#include "base/Array.h"

namespace KIV {

// Which outline points are still on the clipping ring and which of those are
// convex, so the ear clipping can step over a run of reflex corners at once
// and still count one miss per corner passed, as walking them would.
class ClipRingIndex {
public:
    // Points 0 .. count - 1 all on the ring, convex where convex[i] is 0 (the
    // reflex flags of the ring).
    bool Init(const uint8_t* reflex, int32_t count);
    void Remove(int32_t point);
    void SetReflex(int32_t point, bool reflex);
    // The first convex ring point after the point in ring order (wrapping),
    // -1 when there is none.
    int32_t NextConvexAfter(int32_t point) const;
    // Ring points strictly between a and b going forward (wrapping).
    int32_t CountBetween(int32_t a, int32_t b) const;

private:
    void SetBit(int32_t point, bool on);
    int32_t FirstBitFrom(int32_t point) const; // -1 when none at or after it
    int32_t CountUpTo(int32_t point) const;    // ring points 0 .. point - 1

    int32_t mCount = 0;
    Array<uint64_t> mConvex;  // one bit per point: on the ring and convex
    Array<uint64_t> mSummary; // one bit per word of mConvex: the word has a bit set
    Array<int32_t> mAlive;    // Fenwick tree of ring membership
};

} // namespace KIV
