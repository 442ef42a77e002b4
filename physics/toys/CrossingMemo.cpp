#include "physics/toys/CrossingMemo.h"
#include "physics/grid/SpatialGrid.h"
#include "physics/toys/MemoBits.h"
#include "physics/toys/Toy.h"

namespace KIV {

namespace {

uint64_t CrossingNotedPass(const Toy& toy) { return toy.mCrossingMemo.mNotedPass; }
uint64_t CrossingSteadyPass(const Toy& toy) { return toy.mCrossingMemo.mSteadyPass; }

// Keeps the fresh walk's events with what it read; false when the lists cannot grow.
bool KeepWalk(Toy& toy, const SpatialGrid& grid, uint64_t pass)
{
    CrossingMemo& m = toy.mCrossingMemo;
    if (!KeepGridReads(m.mReads, toy, grid, m.mLog, CrossingNotedPass, pass)) return false;
    return CopyRecords(m.mEvents, toy.mLineContacts);
}

} // namespace

void NoteCrossingInputs(Toy& toy, uint64_t pass)
{
    CrossingMemo& m = toy.mCrossingMemo;
    const QueriedFields fields = ReadQueriedFields(toy);
    const bool same = m.mNotedPass != 0 && m.mNotedPass + 1 == pass && SameQueriedFields(fields, m.mFields) &&
                      SameRecords(m.mOutline, toy.mOutline);
    m.mSteadyPass = same ? pass : 0;
    m.mNotedPass = pass;
    if (same) return;
    m.mFields = fields;
    if (!CopyRecords(m.mOutline, toy.mOutline)) m.mNotedPass = 0;
}

void CollectCrossingsWithMemo(Toy& toy, const SpatialGrid& grid, GridQueryContext& context, uint64_t pass)
{
    CrossingMemo& m = toy.mCrossingMemo;
    const bool steady = pass != 0 && m.mSteadyPass == pass;
    m.mReused = steady && m.mWalkPass != 0 && m.mWalkPass + 1 == pass &&
                GridReadsHold(m.mReads, toy, grid, CrossingSteadyPass, pass) && CopyRecords(toy.mLineContacts, m.mEvents);
    if (m.mReused) {
        m.mWalkPass = pass;
        return;
    }
    m.mWalkPass = 0;
    // A toy that moves would not meet its walk again: only a steady one notes what it reads.
    m.mLog.Clear();
    if (steady) context.SetReadLog(&m.mLog);
    const bool walked = grid.CollectToyCrossings(toy, context) >= 0;
    context.SetReadLog(nullptr);
    if (walked && steady && KeepWalk(toy, grid, pass)) m.mWalkPass = pass;
}

void ForgetCrossings(Toy& toy)
{
    toy.mCrossingMemo.mWalkPass = 0;
    toy.mCrossingMemo.mReused = false;
}

} // namespace KIV
