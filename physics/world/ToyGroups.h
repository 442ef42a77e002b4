#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include "base/Array.h"

namespace KIV {

class Toy;

// Toys of the scene's list in groups that reach nothing outside themselves,
// so that the groups can run side by side while each keeps the list order of
// its toys: the groups in the order of their first toys, members in list
// order. Only toys that take part are grouped; each starts alone, and Join
// puts two toys' groups together.
//
// A large group need not run on one thread: Link joins two toys and notes
// that the later of them must wait for the earlier, and the members may
// then run side by side, each after the earlier members it is linked to.
// Taken in member order, as the work team hands out its chunks, no member
// waits for one that no thread has started, and each member finds what the
// list order would have left it.
class ToyGroups {
public:
    // Starts over on the list: takesPart(toy) says which toys are grouped.
    template <typename Predicate>
    void Begin(const PtrArray<Toy>& toys, Predicate&& takesPart);
    // The list index of a toy that takes part, else -1.
    int32_t IndexOf(const Toy* toy) const;
    bool TakesPart(int32_t index) const { return mParent[index] >= 0; }
    void Join(int32_t a, int32_t b);
    // Join, and the later toy waits for the earlier one.
    void Link(int32_t a, int32_t b);
    // Lays the groups out; the toys must be those given to Begin.
    void Finish(const PtrArray<Toy>& toys);

    int32_t Count() const { return mStart.Count() - 1; }
    // Per group, its range of Members(); one more entry than groups.
    const Array<int32_t>& Start() const { return mStart; }
    const Array<Toy*>& Members() const { return mMembers; }
    // Per member, its range of Waits(): the earlier members it is linked to
    // (their places in Members()). One more entry than members.
    const Array<int32_t>& WaitStart() const { return mWaitStart; }
    const Array<int32_t>& Waits() const { return mWaits; }

    // Member runs side by side: BeginRun once before they start, then per
    // member WaitForEarlier before its work and MarkDone after it.
    void BeginRun();
    void WaitForEarlier(int32_t member);
    void MarkDone(int32_t member);

private:
    void Prepare(int32_t count);
    void Enter(int32_t index, const Toy* toy);
    int32_t Find(int32_t i);
    void FinishWaits();

    Array<int32_t> mStart;
    Array<Toy*> mMembers;
    Array<int32_t> mParent;  // per list index, -1 when it does not take part
    Array<int32_t> mGroupOf;
    Array<int32_t> mFill;
    Array<int32_t> mIndexOfSlot;
    Array<int32_t> mLinks;       // pairs of list indices, as linked
    Array<int32_t> mMemberOf;    // per list index, its place in Members()
    Array<int32_t> mWaitStart;
    Array<int32_t> mWaits;
    const PtrArray<Toy>* mToys = nullptr;
    // Per member, the run that last finished it: no clearing between runs.
    std::unique_ptr<std::atomic<uint32_t>[]> mDone;
    int32_t mDoneCapacity = 0;
    uint32_t mRun = 0;
    std::atomic<int32_t> mSleepers{0};
};

template <typename Predicate>
void ToyGroups::Begin(const PtrArray<Toy>& toys, Predicate&& takesPart)
{
    mToys = &toys;
    mLinks.Clear();
    const int32_t n = toys.Count();
    Prepare(n);
    for (int32_t i = 0; i < n; ++i)
        if (takesPart(*toys[i])) Enter(i, toys[i]);
}

} // namespace KIV
