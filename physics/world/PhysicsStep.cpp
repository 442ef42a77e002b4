#include "physics/world/PhysicsStep.h"
#include "base/FasterWay.h"
#include "base/Statistics.h"
#include "physics/world/GameSettings.h"
#include "physics/world/Scene.h"

// The order of one fixed step reads top to bottom in PhysicsStep. The passes
// of subsystems that arrive later are named here and filled by them.

namespace KIV {

namespace {

// pass(parallel): parallel when the settings allow it and the pass's loops,
// once they fork, prove faster on the team than on this thread alone.
template <typename Pass>
void Parallel(Scene& scene, const GameSettings& settings, Pass&& pass,
              const CodePlace& where = CodePlace::Here())
{
    RunFaster(scene.mLoopWays, settings.mParallelismEnabled != 0, pass, where);
}

// Each light's colour step (statistics item 10).
void AnimateLightsParallel(Scene& scene, const GameSettings& settings)
{
    Parallel(scene, settings, [&](bool parallel) { scene.AnimateLights(parallel); });
}

// Each terrain object's frame-counter step (item 11).
void StepBendObjectsParallel(Scene& scene, const GameSettings& settings)
{
    Parallel(scene, settings, [&](bool parallel) { scene.StepTerrainObjects(parallel); });
}

// The particle systems fly against the grid, then the finished ones go (item 12).
void UpdateParticleSystems(Scene& scene, const GameSettings& settings)
{
    Parallel(scene, settings, [&](bool parallel) { scene.UpdateParticleSystems(parallel); });
}
void RemoveFinishedParticleSystems(Scene& scene) { scene.RemoveFinishedParticleSystems(); }

// Each joint's own step: measured constraint cleared, motor and spring fades (item 13).
void StepJointsParallel(Scene& scene, const GameSettings& settings)
{
    Parallel(scene, settings, [&](bool parallel) { KIV::StepJointsParallel(scene.mJoints.mJoints, parallel); });
}

// Radial pushes: the expired ones go (last to first), the timed ones count
// down; one that expires now still pushes in this step.
void DeleteExpiredRadialPushes(Scene& scene) { KIV::DeleteExpiredRadialPushes(scene.mRadialPushes); }
void CountDownTimersParallel(Scene& scene, const GameSettings& settings)
{
    Parallel(scene, settings, [&](bool parallel) {
        KIV::CountDownTimersParallel(scene.mRadialPushes, &scene.mStepLength, parallel);
    });
}

// Motors, springs, friction and brakes of the joints, serially (item 14).
void SolveJoints(Scene& scene, const GameSettings&) { KIV::SolveJoints(scene.mJoints.mJoints, &scene.mStepLength); }

// Each joint's constraint measured after the step.
void MeasureJointConstraintsParallel(Scene& scene, const GameSettings& settings)
{
    Parallel(scene, settings,
             [&](bool parallel) { KIV::MeasureJointConstraintsParallel(scene.mJoints.mJoints, parallel); });
}

void Timed(int32_t item, void (*pass)(Scene&, const GameSettings&), Scene& scene, const GameSettings& settings)
{
    StatTimerStart(item);
    pass(scene, settings);
    StatTimerStop(item);
}

} // namespace

void PhysicsStep(Scene& scene, const GameSettings& settings)
{
    Timed(kStatLightsPlaytime, AnimateLightsParallel, scene, settings);
    Timed(kStatBendObjectsPlaytime, StepBendObjectsParallel, scene, settings);
    Timed(kStatParticlesPlaytime, UpdateParticleSystems, scene, settings);
    RemoveFinishedParticleSystems(scene);
    Timed(kStatJointsPlaytime, StepJointsParallel, scene, settings);
    DeleteExpiredRadialPushes(scene);
    CountDownTimersParallel(scene, settings);
    Timed(kStatJointsSolvePlaytime, SolveJoints, scene, settings);
    scene.SimulateFrame(settings);
    MeasureJointConstraintsParallel(scene, settings);
}

} // namespace KIV
