#pragma once
#include <cstdint>
#include "base/Array.h"

namespace KIV {

class Toy;

// Toys of the scene's list in groups that reach nothing outside themselves,
// so that the groups can run side by side while each keeps the list order of
// its toys: the groups in the order of their first toys, members in list
// order. Only toys that take part are grouped; each starts alone, and Join
// puts two toys' groups together.
class ToyGroups {
public:
    // Starts over on the list: takesPart(toy) says which toys are grouped.
    template <typename Predicate>
    void Begin(const PtrArray<Toy>& toys, Predicate&& takesPart);
    // The list index of a toy that takes part, else -1.
    int32_t IndexOf(const Toy* toy) const;
    bool TakesPart(int32_t index) const { return mParent[index] >= 0; }
    void Join(int32_t a, int32_t b);
    // Lays the groups out; the toys must be those given to Begin.
    void Finish(const PtrArray<Toy>& toys);

    int32_t Count() const { return mStart.Count() - 1; }
    // Per group, its range of Members(); one more entry than groups.
    const Array<int32_t>& Start() const { return mStart; }
    const Array<Toy*>& Members() const { return mMembers; }

private:
    void Prepare(int32_t count);
    void Enter(int32_t index, const Toy* toy);
    int32_t Find(int32_t i);

    Array<int32_t> mStart;
    Array<Toy*> mMembers;
    Array<int32_t> mParent;  // per list index, -1 when it does not take part
    Array<int32_t> mGroupOf;
    Array<int32_t> mFill;
    Array<int32_t> mIndexOfSlot;
    const PtrArray<Toy>* mToys = nullptr;
};

template <typename Predicate>
void ToyGroups::Begin(const PtrArray<Toy>& toys, Predicate&& takesPart)
{
    mToys = &toys;
    const int32_t n = toys.Count();
    Prepare(n);
    for (int32_t i = 0; i < n; ++i)
        if (takesPart(*toys[i])) Enter(i, toys[i]);
}

} // namespace KIV
