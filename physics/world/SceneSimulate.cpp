#include <algorithm>
#include <vector>
#include "base/FasterWay.h"
#include "base/Statistics.h"
#include "base/WorkTeam.h"
#include "physics/contacts/Contacts.h"
#include "physics/world/GameSettings.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"

// Scene::SimulateFrame: the twelve toy stages of one fixed step, top to
// bottom. Each stage is timed into statistics item 18 + k and runs only when
// its switch is on (stage 10 has nothing to do).
//
// Parallel loops run on the work team when the settings allow it and the
// loop is long enough to pay for it. Each item writes only its own toy and
// reads what no item of the same loop writes; grid queries stamp into the
// context of their own thread. So a run gives the same bits on any number of
// threads. Work that writes other toys goes side by side in groups that
// share nothing: the jointed toys' step starts per group of toys joined to
// each other, the pair solves per contact island. The pair solves of a large
// island write other toys, yet run on a team: each waits for the earlier
// solves it shares a toy with, so the chain order's results come out.
// Un-penetration goes side by side in groups of toys whose pushes read each
// other's outlines, or, when one group is too large for that, toy by toy,
// each toy after the earlier partners it reads, as the pair solves wait. The grid
// updates of stage 11 go side by side in bands of cell columns, each band's
// cell lists relinked in list order.

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

// Chunk sizes of the loops. A chunk should hold some tens of microseconds of
// work: taking one costs a fraction of a microsecond, waking a sleeping worker
// a few, and a loop of fewer than two chunks runs on the calling thread alone.
// The per-toy work of most stages grows with the toy's outline points
// (instruction counts per outline point on a settled pile: about 800 for the
// toy step with its line contacts, 600 for the point contacts, under 50 for
// the outline passes), so those chunks are sized in outline points: a world
// of a few hundred points, such as chains of four-point links, stays on one
// thread, where waking the team would cost more than its whole step.
constexpr int32_t kChunkPointsToyStep = 400;   // stage 1, 3, 6 and 9 work: four toys of 100 points
constexpr int32_t kChunkPointsOutlines = 1600; // predicted outlines, inside marking, shared depths
constexpr int32_t kGrainBookkeeping = 256;     // clearing, committing, measuring: tens of ns a toy

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
    int32_t mMeanOutlinePoints;  // of the toys at entry, at least 1

    PtrArray<Toy>& Toys() const { return mScene.mToys; }
    SpatialGrid& Grid() const { return mScene.mGrid; }
    // A count taken earlier never runs past the list as it is now.
    int32_t CountAtEntry() const { return mCountAtEntry < Toys().Count() ? mCountAtEntry : Toys().Count(); }

    // Toys to a chunk of about the given outline points.
    int32_t ToysPerChunk(int32_t chunkPoints) const
    {
        const int32_t toys = chunkPoints / mMeanOutlinePoints;
        return toys > 1 ? toys : 1;
    }
    // Whether n toys hold at least two chunks of the given outline points.
    bool Pays(int32_t n, int32_t chunkPoints) const
    {
        return mParallel && static_cast<int64_t>(n) * mMeanOutlinePoints >= 2 * static_cast<int64_t>(chunkPoints);
    }

    // body(item, thread) for every item of [0, count), `grain` items to a
    // chunk. A loop that pays by its size still forks only while its timings
    // (kept per place in the code) find the team faster than this thread
    // alone: on a busy machine or for light work they may not.
    template <typename Body>
    void For(int32_t count, int32_t grain, bool pays, Body&& body,
             const CodePlace& where = CodePlace::Here()) const
    {
        ForFaster(mScene.mLoopWays, count, grain, mParallel && pays, body, where);
    }
    // body(toy, thread) for the first n toys of the list, `grain` toys to a chunk.
    template <typename Body>
    void ForToys(int32_t n, int32_t grain, Body&& body,
                 const CodePlace& where = CodePlace::Here()) const
    {
        PtrArray<Toy>& toys = Toys();
        For(n, grain, true, [&](int32_t i, int32_t thread) { body(*toys[i], thread); }, where);
    }
    // The same with chunks of about the given outline points.
    template <typename Body>
    void ForToysByPoints(int32_t n, int32_t chunkPoints, Body&& body,
                         const CodePlace& where = CodePlace::Here()) const
    {
        ForToys(n, ToysPerChunk(chunkPoints), body, where);
    }
};

// Stage 1: every toy's step start (gravity, balancer, impacts and
// deformation), then its integration and line contacts. A toy without joints
// reads and writes only itself; the dents of a jointed toy reach its joints,
// which are measured from both of their toys, so jointed toys start their
// steps per group of toys joined to each other, in list order inside it.
void StageToySteps(const StepContext& s)
{
    const int32_t n = s.Toys().Count();
    Scene& scene = s.mScene;
    // Every toy notes what crossing walks read of it once its step has
    // started, before any toy walks: a walk then finds its partners' notes.
    const uint64_t pass = ++scene.mCrossingPass;
    // The costly toys lie together in the list (a pile's bottom rows dent
    // under its weight every step): small chunks spread them over the threads.
    s.For(n, 1, s.Pays(n, kChunkPointsToyStep), [&](int32_t i, int32_t) {
        Toy& toy = *s.Toys()[i];
        if (toy.SharesStepStart()) return;
        toy.BeginStep(scene.mGravity);
        NoteCrossingInputs(toy, pass);
    });
    scene.BuildJointGroups();
    const Array<int32_t>& start = scene.mJointGroups.Start();
    const Array<Toy*>& members = scene.mJointGroups.Members();
    const int32_t groups = scene.mJointGroups.Count();
    s.For(groups, 1, s.Pays(members.Count(), kChunkPointsToyStep), [&](int32_t g, int32_t) {
        for (int32_t k = start[g]; k < start[g + 1]; ++k) {
            members[k]->BeginStep(scene.mGravity);
            NoteCrossingInputs(*members[k], pass);
        }
    });
    SpatialGrid& grid = s.Grid();
    s.ForToysByPoints(n, kChunkPointsToyStep, [&](Toy& toy, int32_t thread) {
        toy.IntegrateAndCollectLineContacts(grid, grid.GetQueryContext(thread), pass);
    });
}

// Stage 2: which outline points lie inside a partner.
void StageInsideMarking(const StepContext& s)
{
    s.ForToysByPoints(s.CountAtEntry(), kChunkPointsOutlines, [](Toy& toy, int32_t) { MarkInsidePoints(toy); });
}

// Stage 3: penetration contacts.
void StagePenetrationContacts(const StepContext& s)
{
    const SpatialGrid& grid = s.Grid();
    s.ForToysByPoints(s.Toys().Count(), kChunkPointsOutlines, [&](Toy& toy, int32_t) { toy.BuildPenetrationContacts(grid); });
}

// Stage 4: depths shared with the partners' records of the same overlaps.
void StageSharedDepth(const StepContext& s)
{
    s.ForToysByPoints(s.Toys().Count(), kChunkPointsOutlines, [](Toy& toy, int32_t) { toy.ShareDepths(); });
}

// Stage 5: un-penetration. A toy's pushes read the outlines of its
// penetration partners, which their own pushes move: of two partners the
// later in the list goes after the earlier. A settled pile's penetrations
// chain through most of it, so rather than one group after another, every
// member goes side by side with the rest, waiting only for its earlier
// partners.
void StageUnPenetration(const StepContext& s)
{
    if (!s.mSettings.mUnPenetrate) return;
    Scene& scene = s.mScene;
    SpatialGrid& grid = s.Grid();
    scene.BuildPenetrationGroups();
    ToyGroups& groups = scene.mPenetrationGroups;
    const Array<Toy*>& members = groups.Members();
    const Array<int32_t>& start = groups.Start();
    const bool pays = s.Pays(members.Count(), kChunkPointsToyStep);
    int32_t largest = 0;
    for (int32_t g = 0; g < groups.Count(); ++g) largest = std::max(largest, start[g + 1] - start[g]);
    if (static_cast<int64_t>(largest) * WorkTeam::Shared().GetThreadCount() <= members.Count()) {
        // Many small groups (toys scattered over a long world): whole groups
        // side by side keep every thread busy without a single wait.
        s.For(groups.Count(), 1, pays, [&](int32_t g, int32_t thread) {
            GridQueryContext& context = grid.GetQueryContext(thread);
            for (int32_t k = start[g]; k < start[g + 1]; ++k) UnPenetrate(*members[k], grid, context);
        });
    } else {
        // A group too large for one thread's share (a settled pile's
        // penetrations chain through most of it): its members go side by
        // side, each after its earlier partners. A chunk's members run in
        // member order on its thread, so a few to a chunk keep every wait and
        // save claims.
        groups.BeginRun();
        const int32_t grain = s.ToysPerChunk(kChunkPointsToyStep);
        s.For(members.Count(), grain, pays, [&](int32_t k, int32_t thread) {
            groups.WaitForEarlier(k);
            UnPenetrate(*members[k], grid, grid.GetQueryContext(thread));
            groups.MarkDone(k);
        });
    }
    // The rest only close their outlines, which nobody reads meanwhile.
    s.ForToys(s.Toys().Count(), kGrainBookkeeping, [&](Toy& toy, int32_t thread) {
        if (toy.mPenetrationContacts.IsEmpty()) UnPenetrate(toy, grid, grid.GetQueryContext(thread));
    });
}

// Stage 6: predicted outlines of the toys that were there at entry, then the
// point contacts of every toy and where they leave their points.
void StagePointContacts(const StepContext& s)
{
    SpatialGrid& grid = s.Grid();
    s.ForToysByPoints(s.CountAtEntry(), kChunkPointsOutlines, [](Toy& toy, int32_t) { toy.BuildPredictedOutline(); });
    s.ForToysByPoints(s.Toys().Count(), kChunkPointsToyStep, [&](Toy& toy, int32_t thread) {
        GridQueryContext& context = grid.GetQueryContext(thread);
        toy.CollectPointContacts(grid, context);
        ComputePointContactTargets(toy, grid, context);
    });
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
    RunFaster(s.mScene.mLoopWays, s.mParallel,
              [&](bool parallel) { KIV::UpdateJointAnchorsParallel(s.mScene.mJoints.mJoints, parallel); });
}

// The joints' drift fed back into the velocities, serially.
void CorrectJointPositions(const StepContext& s) { KIV::CorrectJointPositions(s.mScene.mJoints.mJoints); }

// Stage 7: impulses, island by island.
void StageImpulses(const StepContext& s)
{
    s.ForToys(s.Toys().Count(), kGrainBookkeeping, [](Toy& toy, int32_t) {
        ClearPendingImpulses(toy);
        EmptyList(toy.mVelocityChanges);
    });
    ApplyRadialPushes(s);
    UpdateJointAnchorsParallel(s);
    s.mScene.SolveContactIslands(s.mSettings, s.mParallel);
}

// Stage 8: joint position correction, then every toy's pose after its move.
void StagePrediction(const StepContext& s)
{
    CorrectJointPositions(s);
    s.ForToys(s.Toys().Count(), kGrainBookkeeping, [](Toy& toy, int32_t) { toy.PredictPose(); });
}

// Stage 9: the predicted outlines at the final poses.
void StagePredictedOutlines(const StepContext& s)
{
    s.ForToysByPoints(s.Toys().Count(), kChunkPointsOutlines, [](Toy& toy, int32_t) {
        toy.BuildPredictedOutline();
        EmptyList(toy.mContactList2);
    });
}

// Stage 11: sleep and commit, then the grid follows the toys that moved.
void StageSleepAndCommit(const StepContext& s)
{
    const bool sleeping = s.mSettings.mSleepingEnabled != 0;
    SpatialGrid& grid = s.Grid();
    // The toys still awake are counted as they commit, per thread, rather
    // than in a pass of their own over every toy after the loop.
    struct alignas(64) Awake {
        int32_t mToys = 0;
        int64_t mPoints = 0;
    };
    const int32_t threads = std::max(WorkTeam::Shared().GetThreadCount(), WorkTeam::ThreadIndex() + 1);
    std::vector<Awake> tally(static_cast<size_t>(threads));
    s.ForToysByPoints(s.Toys().Count(), kChunkPointsOutlines, [&](Toy& toy, int32_t thread) {
        toy.SleepAndCommit(sleeping, grid, grid.GetQueryContext(thread));
        if (toy.mSleeping) return;
        toy.RefreshBounds();
        ++tally[thread].mToys;
        tally[thread].mPoints += toy.mOutline.Count();
    });
    PtrArray<Toy>& toys = s.Toys();
    int32_t awake = 0;
    int64_t awakePoints = 0;
    for (const Awake& t : tally) {
        awake += t.mToys;
        awakePoints += t.mPoints;
    }
    // Relinking side by side costs a plan and three forks: the timings
    // judge when that pays, over worlds of enough moving outline to try.
    const bool pays = s.mParallel && awakePoints >= 2 * kChunkPointsOutlines;
    PickFaster(s.mScene.mLoopWays, awake, pays,
               [&](bool sideBySide) { grid.UpdateAwakeToys(toys.begin(), toys.Count(), sideBySide); });
}

// Stage 12: velocity history and the measured maxima of awake toys.
void StageMeasure(const StepContext& s)
{
    s.ForToys(s.Toys().Count(), kGrainBookkeeping, [](Toy& toy, int32_t) {
        toy.RecordVelocityHistory();
        if (!toy.mSleeping) toy.UpdateMeasuredMaxima();
    });
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
    if (parallel) mGrid.ReserveQueryContexts(WorkTeam::Shared().GetThreadCount());
    int64_t outlinePoints = 0;
    for (Toy* toy : mToys) {
        if (!toy->mContactListsPrepared) toy->PrepareContactLists();
        outlinePoints += toy->mOutline.Count();
    }
    const int64_t meanPoints = mToys.Count() > 0 ? outlinePoints / mToys.Count() : 1;
    const StepContext s{*this, settings, mToys.Count(), parallel, meanPoints > 1 ? static_cast<int32_t>(meanPoints) : 1};

    RunStage(s, 1, StageToySteps);
    RunStage(s, 2, StageInsideMarking);
    RunStage(s, 3, StagePenetrationContacts);
    RunStage(s, 4, StageSharedDepth);
    RunStage(s, 5, StageUnPenetration);
    {
        // The islands are rebuilt inside stage 6's time whether or not the stage runs.
        StageTimer timer(kStatToysStageBase + 6);
        if (settings.IsStageEnabled(6)) StagePointContacts(s);
        BuildContactIslands(parallel);
    }
    RunStage(s, 7, StageImpulses);
    RunStage(s, 8, StagePrediction);
    RunStage(s, 9, StagePredictedOutlines);
    {
        StageTimer timer(kStatToysStageBase + 10);  // stage 10 has nothing to do
    }
    RunStage(s, 11, StageSleepAndCommit);
    RunStage(s, 12, StageMeasure);
    // The workers fold their counts after every chunk; the calling thread's own reach the table here.
    StatFoldThreadTally();
}

} // namespace KIV
