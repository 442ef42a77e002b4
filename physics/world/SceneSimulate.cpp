#include <omp.h>
#include "base/Statistics.h"
#include "physics/contacts/Contacts.h"
#include "physics/world/GameSettings.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"

// Scene::SimulateFrame: the twelve toy stages of one fixed step, top to
// bottom. Each stage is timed into statistics item 18 + k and runs only when
// its switch is on (stage 10 has nothing to do).
//
// Parallel loops are static-schedule OpenMP loops forked only when the
// settings allow it. Each iteration writes only its own toy and reads what no
// iteration of the same loop writes; grid queries stamp into the context of
// their own thread. So a run gives the same bits on any number of threads.
// Work that writes other toys or shared lists (un-penetration, the grid
// updates of 11, the step start of jointed toys) stays serial; work that only
// reads other toys or the terrain (the grid queries of 1, 6 and the commit of
// 11) runs in parallel with the same results as in list order. The pair solves of a large island write
// other toys, yet run on a team: each waits for the earlier solves it shares
// a toy with, so the chain order's results come out.

namespace KIV {

namespace {

class StageTimer {
public:
    explicit StageTimer(int32_t item) : mItem(item) { StatTimerStart(mItem); }
    ~StageTimer() { StatTimerStop(mItem); }
    StageTimer(const StageTimer&) = delete;
    StageTimer& operator=(const StageTimer&) = delete;

private:
    int32_t mItem;
};

int32_t ThreadIndex() { return omp_get_thread_num(); }

// An emptied list keeps its storage unless its growth step asks to give it back.
template <typename T>
void EmptyList(Array<T>& list)
{
    if (list.GetGrowBy() < 0)
        list.Free();
    else
        list.Clear();
}

struct StepContext {
    Scene& mScene;
    const GameSettings& mSettings;
    int32_t mCountAtEntry;  // N0: toys created during the step skip the stages that count from it
    bool mParallel;

    PtrArray<Toy>& Toys() const { return mScene.mToys; }
    SpatialGrid& Grid() const { return mScene.mGrid; }
    // A count taken earlier never runs past the list as it is now.
    int32_t CountAtEntry() const { return mCountAtEntry < Toys().Count() ? mCountAtEntry : Toys().Count(); }
};

// Gravity, balancer, impacts and deformation of the toys that share nothing
// in their step start: each reads and writes only itself, so they run side
// by side with the same results as in list order.
void BeginUnsharedToySteps(const StepContext& s, int32_t n)
{
    PtrArray<Toy>& toys = s.Toys();
    // The costly toys lie together in the list (a pile's bottom rows dent
    // under its weight every step): dealt out one by one, they spread over
    // the threads instead of filling one thread's block.
#pragma omp parallel for schedule(static, 1) if (s.mParallel)
    for (int32_t i = 0; i < n; ++i)
        if (!toys[i]->SharesStepStart()) toys[i]->BeginStep(s.mScene.mGravity);
}

// The same for the toys whose dents reach their joints, serially and in list
// order, as the joints' values are measured from both of their toys.
void BeginSharedToySteps(const StepContext& s, int32_t n)
{
    PtrArray<Toy>& toys = s.Toys();
    for (int32_t i = 0; i < n; ++i)
        if (toys[i]->SharesStepStart()) toys[i]->BeginStep(s.mScene.mGravity);
}

// Each toy's integration and line contacts.
void IntegrateToys(const StepContext& s, int32_t n)
{
    PtrArray<Toy>& toys = s.Toys();
    SpatialGrid& grid = s.Grid();
#pragma omp parallel for schedule(static) if (s.mParallel)
    for (int32_t i = 0; i < n; ++i) toys[i]->IntegrateAndCollectLineContacts(grid, grid.GetQueryContext(ThreadIndex()));
}

// Stage 1: every toy's step start, then its integration and line contacts.
void StageToySteps(const StepContext& s)
{
    const int32_t n = s.Toys().Count();
    BeginUnsharedToySteps(s, n);
    BeginSharedToySteps(s, n);
    IntegrateToys(s, n);
}

// Stage 2: which outline points lie inside a partner.
void StageInsideMarking(const StepContext& s)
{
    PtrArray<Toy>& toys = s.Toys();
    const int32_t n = s.CountAtEntry();
#pragma omp parallel for schedule(static) if (s.mParallel)
    for (int32_t i = 0; i < n; ++i) MarkInsidePoints(*toys[i]);
}

// Stage 3: penetration contacts.
void StagePenetrationContacts(const StepContext& s)
{
    PtrArray<Toy>& toys = s.Toys();
    const SpatialGrid& grid = s.Grid();
    const int32_t n = toys.Count();
#pragma omp parallel for schedule(static) if (s.mParallel)
    for (int32_t i = 0; i < n; ++i) toys[i]->BuildPenetrationContacts(grid);
}

// Stage 4: depths shared with the partners' records of the same overlaps.
void StageSharedDepth(const StepContext& s)
{
    PtrArray<Toy>& toys = s.Toys();
    const int32_t n = toys.Count();
#pragma omp parallel for schedule(static) if (s.mParallel)
    for (int32_t i = 0; i < n; ++i) toys[i]->ShareDepths();
}

// Stage 5: un-penetration; serial, a toy's pushes read its partners' outlines.
void StageUnPenetration(const StepContext& s)
{
    if (!s.mSettings.mUnPenetrate) return;
    PtrArray<Toy>& toys = s.Toys();
    GridQueryContext& context = s.Grid().GetQueryContext(0);
    for (int32_t i = 0; i < toys.Count(); ++i) UnPenetrate(*toys[i], s.Grid(), context);
}

// Stage 6: predicted outlines of the toys that were there at entry, then the
// point contacts of every toy and where they leave their points.
void StagePointContacts(const StepContext& s)
{
    PtrArray<Toy>& toys = s.Toys();
    SpatialGrid& grid = s.Grid();
    const int32_t n0 = s.CountAtEntry();
#pragma omp parallel for schedule(static) if (s.mParallel)
    for (int32_t i = 0; i < n0; ++i) toys[i]->BuildPredictedOutline();
    const int32_t n = toys.Count();
#pragma omp parallel for schedule(static) if (s.mParallel)
    for (int32_t i = 0; i < n; ++i) {
        GridQueryContext& context = grid.GetQueryContext(ThreadIndex());
        toys[i]->CollectPointContacts(grid, context);
        ComputePointContactTargets(*toys[i], grid, context);
    }
}

// Radial pushes act through the toys' point forces, serially, in list order.
void ApplyRadialPushes(const StepContext& s)
{
    for (RadialPush* push : s.mScene.mRadialPushes)
        if (push) ApplyRadialPush(*push, s.Grid(), s.Grid().GetQueryContext(0));
}

// The joints' anchors in world orientation.
void UpdateJointAnchorsParallel(const StepContext& s)
{
    KIV::UpdateJointAnchorsParallel(s.mScene.mJoints.mJoints, s.mParallel);
}

// The joints' drift fed back into the velocities, serially.
void CorrectJointPositions(const StepContext& s) { KIV::CorrectJointPositions(s.mScene.mJoints.mJoints); }

// Stage 7: impulses. The islands touch disjoint sets of toys, so they are
// solved side by side; each island's own order is the chain order. A large
// island would keep one thread busy while the rest wait: such islands take the
// whole team each, one after another, and the others share the threads.
void StageImpulses(const StepContext& s)
{
    PtrArray<Toy>& toys = s.Toys();
    const int32_t n = toys.Count();
#pragma omp parallel for schedule(static) if (s.mParallel)
    for (int32_t i = 0; i < n; ++i) ClearPendingImpulses(*toys[i]);
#pragma omp parallel for schedule(static) if (s.mParallel)
    for (int32_t i = 0; i < n; ++i) EmptyList(toys[i]->mVelocityChanges);
    ApplyRadialPushes(s);
    UpdateJointAnchorsParallel(s);
    Scene& scene = s.mScene;
    const int32_t islands = scene.mIslandCount;
    const bool teams = s.mParallel && omp_get_max_threads() > 1;
    auto takesTeam = [&](int32_t g) { return teams && scene.GetIslandSize(g) >= Scene::kTeamIslandSize; };
    for (int32_t g = 0; g < islands; ++g)
        if (takesTeam(g)) scene.SolveContactIsland(g, s.mSettings, true);
    // Island sizes vary widely; any schedule gives the same result.
#pragma omp parallel for schedule(dynamic, 1) if (s.mParallel)
    for (int32_t g = 0; g < islands; ++g)
        if (!takesTeam(g)) scene.SolveContactIsland(g, s.mSettings);
}

// Stage 8: joint position correction, then every toy's pose after its move.
void StagePrediction(const StepContext& s)
{
    CorrectJointPositions(s);
    PtrArray<Toy>& toys = s.Toys();
    const int32_t n = toys.Count();
#pragma omp parallel for schedule(static) if (s.mParallel)
    for (int32_t i = 0; i < n; ++i) toys[i]->PredictPose();
}

// Stage 9: the predicted outlines at the final poses.
void StagePredictedOutlines(const StepContext& s)
{
    PtrArray<Toy>& toys = s.Toys();
    const int32_t n = toys.Count();
#pragma omp parallel for schedule(static) if (s.mParallel)
    for (int32_t i = 0; i < n; ++i) {
        toys[i]->BuildPredictedOutline();
        EmptyList(toys[i]->mContactList2);
    }
}

// Stage 11: sleep and commit, then the grid follows the toys that moved
// (serially: the grid's cell lists are shared).
void StageSleepAndCommit(const StepContext& s)
{
    PtrArray<Toy>& toys = s.Toys();
    const int32_t n = toys.Count();
    const bool sleeping = s.mSettings.mSleepingEnabled != 0;
    SpatialGrid& grid = s.Grid();
#pragma omp parallel for schedule(static) if (s.mParallel)
    for (int32_t i = 0; i < n; ++i) {
        toys[i]->SleepAndCommit(sleeping, grid, grid.GetQueryContext(ThreadIndex()));
        if (!toys[i]->mSleeping) toys[i]->RefreshBounds();
    }
    for (int32_t i = 0; i < toys.Count(); ++i)
        if (!toys[i]->mSleeping) grid.UpdateToy(*toys[i]);
}

// Stage 12: velocity history and the measured maxima of awake toys.
void StageMeasure(const StepContext& s)
{
    PtrArray<Toy>& toys = s.Toys();
    const int32_t n = toys.Count();
#pragma omp parallel for schedule(static) if (s.mParallel)
    for (int32_t i = 0; i < n; ++i) {
        toys[i]->RecordVelocityHistory();
        if (!toys[i]->mSleeping) toys[i]->UpdateMeasuredMaxima();
    }
}

// The counts of every thread that worked in the stages reach the statistics.
void FoldCounterTallies(const StepContext& s)
{
#pragma omp parallel if (s.mParallel)
    StatFoldThreadTally();
}

void RunStage(const StepContext& s, int32_t stage, void (*body)(const StepContext&))
{
    StageTimer timer(kStatToysStageBase + stage);
    if (s.mSettings.IsStageEnabled(stage)) body(s);
}

} // namespace

void Scene::SimulateFrame(const GameSettings& settings)
{
    StageTimer whole(kStatToysPlaytime);
    const bool parallel = settings.mParallelismEnabled != 0;
    if (parallel) mGrid.ReserveQueryContexts(omp_get_max_threads());
    const StepContext s{*this, settings, mToys.Count(), parallel};
    for (Toy* toy : mToys)
        if (!toy->mContactListsPrepared) toy->PrepareContactLists();

    RunStage(s, 1, StageToySteps);
    RunStage(s, 2, StageInsideMarking);
    RunStage(s, 3, StagePenetrationContacts);
    RunStage(s, 4, StageSharedDepth);
    RunStage(s, 5, StageUnPenetration);
    {
        // The islands are rebuilt inside stage 6's time whether or not the stage runs.
        StageTimer timer(kStatToysStageBase + 6);
        if (settings.IsStageEnabled(6)) StagePointContacts(s);
        BuildContactIslands();
    }
    RunStage(s, 7, StageImpulses);
    RunStage(s, 8, StagePrediction);
    RunStage(s, 9, StagePredictedOutlines);
    {
        StageTimer timer(kStatToysStageBase + 10);  // stage 10 has nothing to do
    }
    RunStage(s, 11, StageSleepAndCommit);
    RunStage(s, 12, StageMeasure);
    FoldCounterTallies(s);
}

} // namespace KIV
