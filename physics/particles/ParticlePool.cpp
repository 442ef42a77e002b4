#include <algorithm>
#include <cstdint>
#include "physics/particles/ParticleSystem.h"

// The pool of particle slots: the moving and sleeping lists, and the free
// chain that runs through the same links and ends at the pool's capacity.

namespace KIV {

namespace {

// Growing by fewer slots would reallocate every array for a handful of particles.
constexpr int32_t kMinPoolGrowth = 4;

} // namespace

void ParticleSystem::PushFront(ParticleList& list, int32_t slot)
{
    ParticleLink& link = mLinks[slot];
    link.mPrevious = -1;
    link.mNext = list.mHead;
    if (list.mHead >= 0) mLinks[list.mHead].mPrevious = slot;
    list.mHead = slot;
    ++list.mCount;
}

void ParticleSystem::Unlink(ParticleList& list, int32_t slot)
{
    const ParticleLink link = mLinks[slot];
    if (link.mPrevious >= 0) mLinks[link.mPrevious].mNext = link.mNext;
    else list.mHead = link.mNext;
    if (link.mNext >= 0) mLinks[link.mNext].mPrevious = link.mPrevious;
    --list.mCount;
}

int32_t ParticleSystem::FreeParticle(ParticleList& list, int32_t slot)
{
    const int32_t next = mLinks[slot].mNext;
    Unlink(list, slot);
    mLinks[slot].mNext = mFreeHead;
    mLinks[slot].mPrevious = -1;
    mFreeHead = slot;
    return next;
}

int32_t ParticleSystem::FreeMovingParticle(int32_t slot) { return FreeParticle(mMoving, slot); }

int32_t ParticleSystem::FreeSleepingParticle(int32_t slot) { return FreeParticle(mSleeping, slot); }

void ParticleSystem::MoveToSleeping(int32_t slot)
{
    Unlink(mMoving, slot);
    PushFront(mSleeping, slot);
}

int32_t ParticleSystem::AllocateParticle()
{
    if (mMoving.mCount + mSleeping.mCount >= kMaxParticles) return -1;
    if (mArraysShort) {
        SyncParticleArrays();
        if (mArraysShort) return -1;
    }
    if (mFreeHead < 0 || mFreeHead >= mLinks.Capacity()) {
        if (!GrowPool()) return -1;
    }
    const int32_t slot = mFreeHead;
    mFreeHead = mLinks[slot].mNext;
    PushFront(mMoving, slot);
    return slot;
}

bool ParticleSystem::GrowPool()
{
    mPoolGrowth = std::max(mPoolGrowth, kMinPoolGrowth);
    const int32_t oldCapacity = mLinks.Capacity();
    if (mPoolGrowth > INT32_MAX - oldCapacity) return false;
    const int32_t newCapacity = oldCapacity + mPoolGrowth;
    if (oldCapacity == 0) {
        mMoving = ParticleList{};
        mSleeping = ParticleList{};
        mFreeHead = 0;
    }
    // Every array first: a pool that cannot grow whole does not grow at all.
    if (!ReserveParticleArrays(newCapacity)) return false;
    for (int32_t i = oldCapacity; i < newCapacity; ++i) mLinks[i] = ParticleLink{i + 1, i - 1};
    mLinks[oldCapacity].mPrevious = -1;
    // The old free chain ended at the old capacity, which is now the first new
    // slot: the chain runs on into the new slots by itself.
    return true;
}

void ParticleSystem::DeleteAllParticles()
{
    const int32_t capacity = mLinks.Capacity();
    for (int32_t i = 0; i < capacity; ++i) mLinks[i] = ParticleLink{i + 1, i - 1};
    mFreeHead = 0;
    mMoving = ParticleList{};
    mSleeping = ParticleList{};
}

} // namespace KIV
