#pragma once
#include <cstdint>
#include <cstring>
#include "base/Array.h"
#include "base/Vector.h"

// Bit-exact comparisons and copies for the step's memos, which may give back
// a kept result only when its inputs are the same bits: -0 and +0 differ (in
// a contact's normal, say), and a NaN stays equal to itself.

namespace KIV {

inline bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
inline bool SameBits(const VectorF& a, const VectorF& b) { return SameBits(a.mX, b.mX) && SameBits(a.mY, b.mY); }

template <typename T>
bool SameRecords(const Array<T>& kept, const Array<T>& list)
{
    const int32_t n = list.Count();
    return kept.Count() == n && (n == 0 || std::memcmp(kept.Data(), list.Data(), sizeof(T) * n) == 0);
}

// A copy of the list's records; false, the copy unchanged, when it cannot grow.
template <typename T>
bool CopyRecords(Array<T>& copy, const Array<T>& list)
{
    const int32_t n = list.Count();
    if (!copy.SetCount(n)) return false;
    if (n > 0) std::memcpy(static_cast<void*>(copy.Data()), list.Data(), sizeof(T) * n);
    return true;
}

} // namespace KIV
