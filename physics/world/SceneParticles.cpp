#include "base/Statistics.h"
#include "base/WorkTeam.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"
#include "render/Texture.h"

// The scene's two particle-system lists: creating systems in them, the
// per-step update of the simulated list, and the removal of finished systems.

namespace KIV {

ParticleSystem* Scene::NewParticleSystem(ParticleSystemList& list)
{
    ParticleSystem* system = list.NewSystem();
    if (!system) return nullptr;
    system->mOwner = this;
    system->SetTimeStep(mStepLength);
    system->mSceneGravity = mGravity;
    system->RebuildStepProgram();
    return system;
}

ParticleSystem* Scene::CreateParticleSystem(const std::string& name, Robot* robot, const std::string& textureName,
                                            int32_t layer, bool inSecondList)
{
    ParticleSystemList& list = inSecondList ? mEditParticleSystems : mParticleSystems;
    ParticleSystem* system = NewParticleSystem(list);
    if (!system) return nullptr;
    system->SetName(name);
    system->SetTexture(textureName);
    system->mLayer = layer;
    if (robot) {
        if (mParticleRobotHook) mParticleRobotHook(*robot, *system, true);
        else system->mLinkedRobot = robot;
    }
    if (!inSecondList && mParticleLayerHook) mParticleLayerHook(*system, layer, true);
    return system;
}

ParticleSystem* Scene::SpawnParticleSystemCopy(const ParticleSystem* source, int32_t poolSize)
{
    if (!source) return nullptr;
    ParticleSystem* system = NewParticleSystem(mParticleSystems);
    if (!system) return nullptr;
    if (poolSize > 0) system->mInitialPoolSize = poolSize;
    if (!system->CopyFrom(*source)) {
        mParticleSystems.Delete(system);
        return nullptr;
    }
    if (mParticleLayerHook) mParticleLayerHook(*system, system->mLayer, true);
    return system;
}

ParticleSystem* Scene::AddDefaultRockParticles()
{
    ParticleSystem* rock = CreateParticleSystem("", nullptr, "Particles\\rock.png", -2, false);
    if (rock) rock->PresetRock();
    return rock;
}

bool Scene::EnsureShardParticleSystem(Texture* texture)
{
    if (!texture) return false;
    if (texture->mShardSystems.Get(this)) return true;
    ParticleSystem* shards = CreateParticleSystem("SHARD PARTICLES", nullptr, texture->mFileName, -2, false);
    if (!shards) return false;
    // Shards are cut from this very picture, and the system must know it to
    // leave the picture's map when it goes, even when the library holds no
    // picture of that name.
    shards->mTexture = texture;
    shards->PresetShards(mGravity);
    texture->mShardSystems.Set(this, shards);
    return true;
}

void Scene::UpdateParticleSystems(bool parallel)
{
    StatSetInt(kStatParticlesTotalCount, 0);
    StatSetInt(kStatParticlesEmittedLastFrame, 0);
    if (parallel) mGrid.ReserveQueryContexts(WorkTeam::Shared().GetThreadCount());
    // Systems finished by an earlier pass and not yet removed would break
    // the list order of those noted: their removal looks at every system.
    if (mParticleSystems.mFinished.Count() > 0) mParticleSystems.mFinishedUnlisted = true;
    // Copies that hits spawn during the pass wait for the next step.
    const int32_t count = mParticleSystems.Count();
    int32_t particles = 0;
    for (int32_t i = 0; i < count; ++i) {
        // Most systems are bursts of a few particles whose flight is over in
        // less time than fetching their state takes: the next ones are
        // fetched while this one flies.
        if (i + 2 < count) mParticleSystems[i + 2]->PrefetchStepState();
        if (i + 1 < count) mParticleSystems[i + 1]->PrefetchFirstParticle();
        ParticleSystem& system = *mParticleSystems[i];
        system.Fly(mGrid, false, this, parallel);
        system.Fly(mGrid, true, this, parallel);
        // Bursts have emitted already: most systems have nothing to emit.
        if (system.mBoomRequested || system.mParticleEmitting) system.UpdateEmission();
        system.MarkBoundsStale();
        if (system.mDeleteWhenEmpty && system.GetParticleCount() == 0) mParticleSystems.MarkFinished(system);
        particles += system.GetParticleCount();
    }
    // One shared write for the pass, not one per burst.
    StatAdd(kStatParticlesTotalCount, particles);
}

void Scene::RemoveFinishedParticleSystems()
{
    // Last to first in the list: the order their pool indices go back in
    // decides which index each later system gets.
    ParticleSystemList& list = mParticleSystems;
    if (list.mFinishedUnlisted) {
        for (int32_t i = list.Count() - 1; i >= 0; --i)
            if (list[i]->mFinished) DeleteParticleSystem(list, list[i]);
        list.mFinished.Clear();
        list.mFinishedUnlisted = false;
    } else {
        // The noted ones only, which one pass noted in list order: reading
        // every system of the list again would cost more than their flight did.
        Array<ParticleSystem*>& finished = list.mFinished;
        while (finished.Count() > 0) {
            ParticleSystem* system = finished.Last();
            // One no longer in the list has nothing to delete.
            if (!DeleteParticleSystem(list, system)) finished.RemoveValue(system);
        }
    }
    StatSetInt(kStatParticleSystemsCount, mParticleSystems.Count());
    StatSetInt(kStatParticleSystemsEditCount, mEditParticleSystems.Count());
}

bool Scene::DeleteParticleSystem(ParticleSystemList& list, ParticleSystem* system)
{
    if (list.IndexOf(system) < 0) return false;
    if (&list == &mParticleSystems && mParticleLayerHook) mParticleLayerHook(*system, system->mLayer, false);
    if (system->mLinkedRobot && mParticleRobotHook) mParticleRobotHook(*system->mLinkedRobot, *system, false);
    if (system->mLinkedToy) system->mLinkedToy->RemoveLink(system);
    return list.Delete(system);
}

void Scene::DeleteAllParticleSystems(ParticleSystemList& list)
{
    while (list.Count() > 0) DeleteParticleSystem(list, list[list.Count() - 1]);
}

} // namespace KIV
