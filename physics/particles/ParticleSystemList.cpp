#include "physics/particles/ParticleSystemList.h"
#include "physics/particles/ParticleSystem.h"

namespace KIV {

ParticleSystemList::ParticleSystemList()
{
    mSystems.SetGrowBy(64);
    mIndexPool.Init(kMaxSystems);
}

ParticleSystemList::~ParticleSystemList() { DeleteAll(); }

ParticleSystem* AppendNewParticleSystem(PtrArray<ParticleSystem>& systems) { return systems.AppendNew(); }

ParticleSystem* ParticleSystemList::NewSystem()
{
    if (mUsedCount >= kMaxSystems) return nullptr;
    const int32_t index = mIndexPool.Allocate();
    if (index < 0) return nullptr;
    ParticleSystem* system = AppendNewParticleSystem(mSystems);
    if (!system) {
        mIndexPool.Release(index);
        return nullptr;
    }
    system->mPoolIndex = index;
    ++mUsedCount;
    return system;
}

bool ParticleSystemList::Delete(ParticleSystem* system)
{
    const int32_t i = mSystems.IndexOf(system);
    if (i < 0) return false;
    // Finished systems mostly go from the end of the noted ones.
    if (system->mFinished) {
        if (!mFinished.IsEmpty() && mFinished.Last() == system) mFinished.SetCount(mFinished.Count() - 1);
        else mFinished.RemoveValue(system);
    }
    // The index goes back with the system, or the pool runs dry after 32768
    // short-lived systems.
    if (mIndexPool.IsInUse(system->mPoolIndex)) {
        mIndexPool.Release(system->mPoolIndex);
        --mUsedCount;
    }
    return mSystems.DeleteAt(i);
}

void ParticleSystemList::MarkFinished(ParticleSystem& system)
{
    if (system.mFinished) return;
    system.mFinished = 1;
    if (!mFinished.PushBack(&system)) mFinishedUnlisted = true;
}

void ParticleSystemList::DeleteAll()
{
    while (mSystems.Count() > 0) Delete(mSystems[mSystems.Count() - 1]);
}

} // namespace KIV
