#include "physics/contacts/IslandSnapshots.h"
#include <algorithm>
#include <cstring>
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"

namespace KIV {

namespace {

// Copied as bits (memcpy): a restored value must be exactly what was saved.
constexpr int32_t kToyFloats = 3 + 6;     // velocity, turning, pending impulses
constexpr int32_t kJointFloats = 2;       // accumulated impulse
constexpr int32_t kRecordFloats = 6;      // impulse, point term, relative term
constexpr int32_t kPenetrationFloats = 2; // impulse

} // namespace

void IslandSnapshots::Plan(Toy* const* members, int32_t count, const int32_t* lastWriter)
{
    mMembers = members;
    mCount = count;
    mToyStart.assign(count + 1, 0);
    for (int32_t t = 0; t < count; ++t) ++mToyStart[lastWriter[t] + 1];
    for (int32_t k = 0; k < count; ++k) mToyStart[k + 1] += mToyStart[k];
    mToys.assign(count, nullptr);
    std::vector<int32_t> next(mToyStart.begin(), mToyStart.end() - 1);
    for (int32_t t = 0; t < count; ++t) mToys[next[lastWriter[t]]++] = members[t];

    // A joint is solved with each of its toys; the later of them in chain
    // order leaves it as the iteration ends.
    mJointWriters.clear();
    for (int32_t k = 0; k < count; ++k)
        for (Joint* joint : members[k]->mJoints)
            if (joint) mJointWriters.emplace_back(joint, k);
    std::sort(mJointWriters.begin(), mJointWriters.end());
    mJointStart.assign(count + 1, 0);
    const int32_t writers = static_cast<int32_t>(mJointWriters.size());
    for (int32_t w = 0; w < writers; ++w)
        if (w + 1 == writers || mJointWriters[w + 1].first != mJointWriters[w].first)
            ++mJointStart[mJointWriters[w].second + 1];
    for (int32_t k = 0; k < count; ++k) mJointStart[k + 1] += mJointStart[k];
    mJoints.assign(mJointStart[count], nullptr);
    next.assign(mJointStart.begin(), mJointStart.end() - 1);
    for (int32_t w = 0; w < writers; ++w)
        if (w + 1 == writers || mJointWriters[w + 1].first != mJointWriters[w].first)
            mJoints[next[mJointWriters[w].second]++] = mJointWriters[w].first;

    mOffset.assign(count + 1, 0);
    for (int32_t k = 0; k < count; ++k) {
        const Toy& toy = *members[k];
        mOffset[k + 1] = mOffset[k] + kToyFloats * (mToyStart[k + 1] - mToyStart[k]) +
                         kJointFloats * (mJointStart[k + 1] - mJointStart[k]) +
                         kRecordFloats * (toy.mLineContacts.Count() + toy.mPointContacts.Count()) +
                         kPenetrationFloats * toy.mPenetrationContacts.Count();
    }
    mStride = mOffset[count];
}

void IslandSnapshots::SetSlots(int32_t slots)
{
    const size_t size = static_cast<size_t>(mStride) * slots;
    if (mData.size() < size) mData.resize(size);
}

template <typename Copy>
void IslandSnapshots::Visit(int32_t solve, Copy&& copy) const
{
    for (int32_t i = mToyStart[solve]; i < mToyStart[solve + 1]; ++i) {
        Toy& toy = *mToys[i];
        copy(&toy.mVelocityAfterImpulses, 2);
        copy(&toy.mAngularVelocityAfterImpulses, 1);
        copy(toy.mPendingImpulse, 6);
    }
    for (int32_t i = mJointStart[solve]; i < mJointStart[solve + 1]; ++i) copy(&mJoints[i]->mConstraint, 2);
    Toy& toy = *mMembers[solve];
    for (ContactRecord& c : toy.mLineContacts) {
        copy(&c.mImpulse, 2);
        copy(&c.mPointTerm, 2);
        copy(&c.mRelativeTerm, 2);
    }
    for (ContactRecord& c : toy.mPointContacts) {
        copy(&c.mImpulse, 2);
        copy(&c.mPointTerm, 2);
        copy(&c.mRelativeTerm, 2);
    }
    for (PenetrationRecord& r : toy.mPenetrationContacts) copy(&r.mImpulse, 2);
}

void IslandSnapshots::Save(int32_t solve, int32_t slot)
{
    float* out = mData.data() + static_cast<size_t>(slot) * mStride + mOffset[solve];
    Visit(solve, [&out](void* field, int32_t floats) {
        std::memcpy(out, field, sizeof(float) * floats);
        out += floats;
    });
}

void IslandSnapshots::Restore(int32_t slot)
{
    const float* in = mData.data() + static_cast<size_t>(slot) * mStride;
    for (int32_t solve = 0; solve < mCount; ++solve)
        Visit(solve, [&in](void* field, int32_t floats) {
            std::memcpy(field, in, sizeof(float) * floats);
            in += floats;
        });
}

} // namespace KIV
