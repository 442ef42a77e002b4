#include "physics/toys/PointContactMemo.h"
#include "physics/grid/SpatialGrid.h"
#include "physics/toys/MemoBits.h"
#include "physics/toys/Toy.h"

namespace KIV {

namespace {

PointContactFields ReadFields(const Toy& toy)
{
    PointContactFields f;
    f.mQueried = ReadQueriedFields(toy);
    f.mPredictedPosition = toy.mPredictedPosition;
    f.mOrientation = toy.mOrientation;
    f.mPredictedOrientation = toy.mPredictedOrientation;
    return f;
}

bool SameFields(const PointContactFields& a, const PointContactFields& b)
{
    return SameQueriedFields(a.mQueried, b.mQueried) && SameBits(a.mPredictedPosition, b.mPredictedPosition) &&
           SameBits(a.mOrientation, b.mOrientation) && SameBits(a.mPredictedOrientation, b.mPredictedOrientation);
}

// The step's pass: noted by the crossing memo at the step's start.
uint64_t StepPass(const Toy& toy) { return toy.mCrossingMemo.mNotedPass; }
uint64_t PointNotedPass(const Toy& toy) { return toy.mPointContactMemo.mNotedPass; }
uint64_t PointSteadyPass(const Toy& toy) { return toy.mPointContactMemo.mSteadyPass; }

} // namespace

void NotePointContactInputs(Toy& toy)
{
    PointContactMemo& m = toy.mPointContactMemo;
    const uint64_t pass = StepPass(toy);
    if (pass == 0 || m.mNotedPass == pass) return;
    const PointContactFields fields = ReadFields(toy);
    const bool same = m.mNotedPass != 0 && m.mNotedPass + 1 == pass && SameFields(fields, m.mFields) &&
                      SameRecords(m.mOutline, toy.mOutline) && SameRecords(m.mPredictedOutline, toy.mPredictedOutline);
    m.mSteadyPass = same ? pass : 0;
    m.mNotedPass = pass;
    if (same) return;
    m.mFields = fields;
    if (!CopyRecords(m.mOutline, toy.mOutline) || !CopyRecords(m.mPredictedOutline, toy.mPredictedOutline))
        m.mNotedPass = 0;
}

bool TakeKeptPointContacts(Toy& toy, const SpatialGrid& grid, GridQueryContext& context)
{
    PointContactMemo& m = toy.mPointContactMemo;
    const uint64_t pass = StepPass(toy);
    const bool steady = pass != 0 && m.mSteadyPass == pass;
    m.mReused = steady && m.mKeptPass != 0 && m.mKeptPass + 1 == pass &&
                GridReadsHold(m.mReads, toy, grid, PointSteadyPass, pass) && CopyRecords(toy.mPointContacts, m.mContacts);
    m.mLogging = false;
    if (m.mReused) {
        m.mKeptPass = pass;
        return true;
    }
    m.mKeptPass = 0;
    if (!steady) return false;
    m.mLog.Clear();
    m.mLogging = true;
    context.SetReadLog(&m.mLog);
    return false;
}

void KeepPointContacts(Toy& toy, const SpatialGrid& grid, GridQueryContext& context)
{
    PointContactMemo& m = toy.mPointContactMemo;
    if (!m.mLogging) return;
    context.SetReadLog(nullptr);
    m.mLogging = false;
    const uint64_t pass = StepPass(toy);
    if (KeepGridReads(m.mReads, toy, grid, m.mLog, PointNotedPass, pass) && CopyRecords(m.mContacts, toy.mPointContacts))
        m.mKeptPass = pass;
}

void ForgetPointContacts(Toy& toy)
{
    toy.mPointContactMemo.mKeptPass = 0;
    toy.mPointContactMemo.mReused = false;
}

} // namespace KIV
