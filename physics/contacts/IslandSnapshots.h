#pragma once
#include <cstdint>
#include <vector>

namespace KIV {

class Joint;
class Toy;

// Copies of what an island's pair solves change (the velocities after
// impulses and the pending impulses of its toys, the impulses and velocity
// terms of its contact records, the joints' accumulated impulses) as they
// stood at the end of an iteration, in a ring of slots, one per iteration.
//
// A solve saves, once it is done, what no later solve of the same iteration
// changes any more: its own records, and the toys and joints of which it is
// the last to write in chain order. So the slot of an iteration is complete
// when all its solves are, and nothing of the next iteration has reached it.
class IslandSnapshots {
public:
    // members in chain order; lastWriter[t] the last solve that touches
    // member t. Only members are copied: the caller keeps solves that write
    // toys outside the island away from here.
    void Plan(Toy* const* members, int32_t count, const int32_t* lastWriter);
    void SetSlots(int32_t slots);

    void Save(int32_t solve, int32_t slot);
    // Every member, record and joint as its solve last saved it in the slot.
    void Restore(int32_t slot);

private:
    // copy(field, floats) for every field the solve saves, in slot order.
    template <typename Copy>
    void Visit(int32_t solve, Copy&& copy) const;

    Toy* const* mMembers = nullptr;
    int32_t mCount = 0;
    std::vector<int32_t> mOffset;      // per solve, where its copy starts in a slot
    std::vector<int32_t> mToyStart;    // per solve, its range of mToys
    std::vector<Toy*> mToys;           // the toys each solve writes last
    std::vector<int32_t> mJointStart;  // per solve, its range of mJoints
    std::vector<Joint*> mJoints;       // the joints each solve writes last
    std::vector<std::pair<Joint*, int32_t>> mJointWriters;  // scratch of the plan
    int32_t mStride = 0;
    std::vector<float> mData;
};

} // namespace KIV
