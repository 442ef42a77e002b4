#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/IndexPool.h"

namespace KIV {

class ParticleSystem;

// The scene's particle systems of one kind (the simulated ones, or those of
// the robot being built): an owning array in list order, its selection, and
// the pool that hands each system its index. A system holds its pool index
// from its creation to its removal, and gives it back then.
class ParticleSystemList {
public:
    static constexpr int32_t kMaxSystems = 32768;

    ParticleSystemList();
    ~ParticleSystemList();
    ParticleSystemList(const ParticleSystemList&) = delete;
    ParticleSystemList& operator=(const ParticleSystemList&) = delete;

    // A new default system with a pool index, appended; null (and nothing
    // taken) when the list is full, the pool has no index or memory runs out.
    ParticleSystem* NewSystem();
    // Destroys the system and gives its index back; false when it is not in the list.
    bool Delete(ParticleSystem* system);
    void DeleteAll();

    int32_t Count() const { return mSystems.Count(); }
    ParticleSystem* operator[](int32_t i) const { return mSystems[i]; }
    ParticleSystem* const* begin() const { return mSystems.begin(); }
    ParticleSystem* const* end() const { return mSystems.end(); }
    int32_t IndexOf(const ParticleSystem* system) const { return mSystems.IndexOf(system); }
    int32_t GetUsedCount() const { return mUsedCount; }
    // Marks the system finished (once) and notes it: removing the finished
    // systems then reads these, not every system of the list.
    void MarkFinished(ParticleSystem& system);
    const IndexPool& GetIndexPool() const { return mIndexPool; }

    PtrArray<ParticleSystem> mSystems;
    IndexPool mIndexPool;
    int32_t mUsedCount = 0;
    // The systems marked finished and not yet deleted (Delete takes a system
    // off); mFinishedUnlisted when one of them could not be noted.
    Array<ParticleSystem*> mFinished;
    bool mFinishedUnlisted = false;
};

// Constructs a system and appends it to the array (growing it by its
// growth step when full); null when either fails.
ParticleSystem* AppendNewParticleSystem(PtrArray<ParticleSystem>& systems);

} // namespace KIV
