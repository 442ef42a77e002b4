#include "physics/geometry/EdgeLengthHeap.h"

namespace KIV {

namespace {

// Doubling growth: the heap fills one edge at a time.
template <typename T>
bool GrowTo(Array<T>& a, int32_t count)
{
    if (count <= a.Capacity()) return a.SetCount(count);
    const int32_t capacity = count > 2 * a.Capacity() ? count : 2 * a.Capacity();
    return a.SetCapacity(capacity, count);
}

} // namespace

bool EdgeLengthHeap::Set(int32_t edge, float lengthSquared)
{
    if (edge < 0) return false;
    if (edge >= mKey.Count()) {
        const int32_t old = mKey.Count();
        if (!GrowTo(mKey, edge + 1)) return false;
        for (int32_t i = old; i <= edge; ++i) mKey[i] = -1.0f;
    }
    // An unchanged length keeps its entry.
    if (lengthSquared == mKey[edge]) return true;
    mKey[edge] = lengthSquared;
    if (!(lengthSquared > mThreshold)) return true;

    if (!GrowTo(mHeap, mHeap.Count() + 1)) return false;
    const Entry entry{lengthSquared, edge};
    int32_t slot = mHeap.Count() - 1;
    while (slot > 0) {
        const int32_t parent = (slot - 1) / kArity;
        if (!Before(entry, mHeap[parent])) break;
        mHeap[slot] = mHeap[parent];
        slot = parent;
    }
    mHeap[slot] = entry;
    return true;
}

int32_t EdgeLengthHeap::Top()
{
    while (mHeap.Count() > 0) {
        const Entry& top = mHeap[0];
        if (mKey[top.mEdge] == top.mKey) return top.mEdge;
        PopTop();
    }
    return -1;
}

void EdgeLengthHeap::PopTop()
{
    const int32_t count = mHeap.Count() - 1;
    const Entry entry = mHeap[count];
    mHeap.SetCount(count);
    if (count == 0) return;
    int32_t slot = 0;
    for (;;) {
        const int32_t first = kArity * slot + 1;
        if (first >= count) break;
        const int32_t last = first + kArity < count ? first + kArity : count;
        int32_t best = first;
        for (int32_t child = first + 1; child < last; ++child) best = Before(mHeap[child], mHeap[best]) ? child : best;
        if (!Before(mHeap[best], entry)) break;
        mHeap[slot] = mHeap[best];
        slot = best;
    }
    mHeap[slot] = entry;
}

} // namespace KIV
