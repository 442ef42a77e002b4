#include "physics/world/ToyGroups.h"
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
    for (int32_t i = 0; i < n; ++i)
        if (mParent[i] >= 0) mMembers[mFill[mGroupOf[i]]++] = toys[i];
}

} // namespace KIV
