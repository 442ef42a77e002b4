#include "physics/geometry/ClipRingIndex.h"

namespace KIV {

bool ClipRingIndex::Init(const uint8_t* reflex, int32_t count)
{
    mCount = count;
    const int32_t words = (count + 63) / 64;
    if (!mConvex.Resize(words) || !mSummary.Resize((words + 63) / 64) || !mAlive.Resize(count + 1)) return false;
    mConvex.FillZero();
    mSummary.FillZero();
    for (int32_t i = 0; i < count; ++i)
        if (!reflex[i]) SetBit(i, true);
    // Every point alive: node i covers the (i & -i) points ending at i.
    mAlive[0] = 0;
    for (int32_t i = 1; i <= count; ++i) mAlive[i] = i & -i;
    return true;
}

void ClipRingIndex::SetBit(int32_t point, bool on)
{
    const int32_t word = point >> 6;
    const uint64_t bit = uint64_t(1) << (point & 63);
    if (on) mConvex[word] |= bit;
    else mConvex[word] &= ~bit;
    const uint64_t summaryBit = uint64_t(1) << (word & 63);
    if (mConvex[word]) mSummary[word >> 6] |= summaryBit;
    else mSummary[word >> 6] &= ~summaryBit;
}

void ClipRingIndex::Remove(int32_t point)
{
    SetBit(point, false);
    for (int32_t i = point + 1; i <= mCount; i += i & -i) --mAlive[i];
}

void ClipRingIndex::SetReflex(int32_t point, bool reflex) { SetBit(point, !reflex); }

int32_t ClipRingIndex::FirstBitFrom(int32_t point) const
{
    if (point >= mCount) return -1;
    int32_t word = point >> 6;
    const uint64_t here = mConvex[word] & (~uint64_t(0) << (point & 63));
    if (here) return (word << 6) + __builtin_ctzll(here);
    // Later words, found through the summary.
    ++word;
    for (int32_t s = word >> 6; s < mSummary.Count(); ++s) {
        uint64_t bits = mSummary[s];
        if (s == word >> 6) bits &= ~uint64_t(0) << (word & 63);
        if (bits) {
            const int32_t w = (s << 6) + __builtin_ctzll(bits);
            return (w << 6) + __builtin_ctzll(mConvex[w]);
        }
    }
    return -1;
}

int32_t ClipRingIndex::NextConvexAfter(int32_t point) const
{
    const int32_t after = FirstBitFrom(point + 1);
    if (after >= 0) return after;
    return FirstBitFrom(0);
}

int32_t ClipRingIndex::CountUpTo(int32_t point) const
{
    int32_t sum = 0;
    for (int32_t i = point; i > 0; i -= i & -i) sum += mAlive[i];
    return sum;
}

int32_t ClipRingIndex::CountBetween(int32_t a, int32_t b) const
{
    if (a < b) return CountUpTo(b) - CountUpTo(a + 1);
    // Wrapping: after a to the end, then from 0 up to b.
    return CountUpTo(mCount) - CountUpTo(a + 1) + CountUpTo(b);
}

} // namespace KIV
